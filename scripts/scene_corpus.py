#!/usr/bin/env python3
"""Writes OBJ files of many layouts, with their MTL libraries, into a folder: the corpus on which
scripts/compare-scenes.sh compares the scenes two builds of qfobjimp make.

    scene_corpus.py OUT_DIR [--seed N] [--random COUNT]
"""
import os
import random
import sys


def write(folder, name, text, newline="\n"):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(text.replace("\n", newline).encode("latin-1"))


MTL = """newmtl Red
Kd 1 0 0
Ka 0.1 0.1 0.1
Ks 0.5 0.5 0.5
Ns 20
map_Kd red.png
newmtl blue
Kd 0 0 1
d 0.5
newmtl "quoted name"
Kd 0 1 0
"""


def grid(width, height, first=1, tex=True, origin=(0.0, 0.0)):
    out = []
    for y in range(height):
        for x in range(width):
            out.append("v %.6f %.6f %.6f" % (origin[0] + x * 0.25, origin[1] + y * 0.25, (x * y) % 7 * 0.125))
    if tex:
        for y in range(height):
            for x in range(width):
                out.append("vt %.6f %.6f" % (x / max(1, width - 1), y / max(1, height - 1)))
    for y in range(height - 1):
        for x in range(width - 1):
            a = first + y * width + x
            b, c, d = a + 1, a + width, a + width + 1
            if tex:
                out.append("f %d/%d %d/%d %d/%d %d/%d" % (a, a, b, b, d, d, c, c))
            else:
                out.append("f %d %d %d" % (a, b, d))
    return "\n".join(out) + "\n"


def fixed_cases(folder):
    write(folder, "cases.mtl", MTL)
    cases = {
        "grid_single": "mtllib cases.mtl\ng grid\nusemtl Red\n" + grid(6, 5),
        "no_group": grid(4, 4),
        "vertices_first": "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\ng a\nf 1 2 3\ng b\nf 1 3 4\n",
        "blocks": "g a\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\ng b\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\nf 5 6 7 8\n",
        "relative": "g a\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf -4 -3 -2 -1\ng b\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\nf -4 -3 -2 -1\n",
        "back_reference": "g a\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\ng b\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\n",
        "back_reference_missing": "g a\nv 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3\ng b\nv 5 0 0\nv 6 0 0\nv 6 1 0\nf 1 2 3\n",
        "revisited": "g a\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nf 1 2 3 4\ng b\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\nf 5 6 7 8\ng a\nv 0 0 2\nv 1 0 2\nv 1 1 2\nv 0 1 2\nf 9 10 11 12\n",
        "zero_index": "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n",
        "out_of_range": "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n",
        "tex_zero": "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/0 2/0 3/0\n",
        "tex_missing_corner": "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2 3/3\n",
        "tex_none_first": "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1 2/2 3/3\n",
        "normals": "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1/1 2/2/1 3/3/1\nf 1//1 2//1 3//1\n",
        "too_big": "v 2.0e8 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
        "limit": "v 1.0e8 -1e8 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
        "not_finite": "v nan 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
        "numbers": "v +1.5 -.5 1.\nv 2.5e3 1E-3 0x1p3\nv 1,5 7 -0\nv 3 4\nv\nf 1 2 3 4 5\n",
        "tex_before_vertices": "vt 0 0\nvt 1 0\nvt 0 1\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/1 2/2 3/3\n",
        "statements": "# c\no thing\ns 1\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvp 0.5\nl 1 2\ns off\nf 1 2 3\ncstype bspline\n",
        "quoted": 'g "my object" tail\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\ng "ab"cd\nv 0 0 1\nv 1 0 1\nv 0 1 1\nf 4 5 6\n',
        "names": "g front wheel left\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\ng 2box.part\nv 0 0 1\nv 1 0 1\nv 0 1 1\nf 4 5 6\ng\nv 0 0 2\nv 1 0 2\nv 0 1 2\nf 7 8 9\n",
        "case_twins": "g Box\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\ng box\nv 0 0 1\nv 1 0 1\nv 0 1 1\nf 4 5 6\n",
        "long_name": "g " + "n" * 300 + "\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
        "rename": "g a\ng b\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
        "default_later": "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\ng other\nv 0 0 1\nv 1 0 1\nv 0 1 1\nf 4 5 6\ng default\nv 0 0 2\nv 1 0 2\nv 0 1 2\nf 7 8 9\n",
        "faces_before_vertices": "g a\nf 1 2 3\nv 0 0 0\nv 1 0 0\nv 0 1 0\ng b\nv 0 0 1\nv 1 0 1\nv 0 1 1\nf 4 5 6\n",
        "small_polygons": "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1\nf 1 2\nf\nf 1 2 3\n",
        "continuation": "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\nf 1 2 \\\n3 \\\n4\ng last\\\n",
        "materials": "mtllib cases.mtl\ng a\nusemtl Red\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nusemtl BLUE\nf 3 2 1\nusemtl missing\nf 1 3 2\nusemtl missing\nusemtl default\nf 2 1 3\ng b\nusemtl \"quoted name\"\nv 0 0 1\nv 1 0 1\nv 0 1 1\nf 4 5 6\n",
        "missing_library": "mtllib nowhere.mtl other.mtl\nmtllib nowhere.mtl\nMTLLIB cases.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl Red\nf 1 2 3\n",
        "whitespace": "  v\t0 0 0 \n\tv 1  0\t0\nv 0 1 0   \n   f\t1  2\t 3 \n\n\n",
        "empty": "",
        "no_line_end": "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3",
        "comments_only": "# nothing\n# at all\n",
        "groups_no_faces": "g a\nv 0 0 0\ng b\nv 1 1 1\n",
        "long_face": "".join("v %d 0 %d\n" % (i, i % 3) for i in range(400)) + "f " + " ".join(str(i + 1) for i in range(400)) + "\n",
        "many_tokens": "v 0 0 0\nv 1 0 0\nv 0 1 0\nf " + " ".join(["1", "2", "3"] * 9000) + "\n",
        "long_line": "v 0 0 0 " + "0 " * 60000 + "\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
        "clusters_forward": "g a\nf 1 2 3\ng b\nf 4 5 6\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 0 1 1\n",
        "nul_byte": "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\x003\ng x\x00y\nf 1 2 3\n",
        "high_bytes": "g caf\xe9 \xff\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n",
    }
    for name, text in cases.items():
        write(folder, name + ".obj", text)
    write(folder, "crlf.obj", cases["materials"], "\r\n")
    write(folder, "cr.obj", cases["revisited"], "\r")
    mixed = "g a\r\nv 0 0 0\rv 1 0 0\nv 0 1 0\r\nf 1 2 3\n\rg b\rv 0 0 1\nv 1 0 1\r\nv 0 1 1\rf 4 5 6\r\n"
    write(folder, "mixed_ends.obj", mixed)
    write(folder, "cr_blank_lines.obj", "\r\r" + cases["blocks"].replace("\n", "\r\r"), "\n")
    groups = "mtllib cases.mtl\n"
    first = 1
    for g in range(30):
        groups += "g part%d\nusemtl %s\n" % (g, ["Red", "blue", "none"][g % 3])
        groups += grid(3, 2 + g % 3, first, True, (g, 0))
        first += 3 * (2 + g % 3)
    write(folder, "groups.obj", groups)
    # Larger files, so that lines straddle every read window and progress points come often.
    write(folder, "big_grid.obj", "mtllib cases.mtl\ng big grid\nusemtl Red\n" + grid(300, 250))
    many = "mtllib cases.mtl\n"
    first = 1
    for g in range(2000):
        many += "g piece%d\nusemtl %s\n" % (g % 1500, ["Red", "blue"][g % 2])
        many += grid(4, 2, first, g % 5 != 0, (g * 0.5, g))
        first += 8
    write(folder, "many_groups.obj", many)


def random_file(rng):
    """Statements in random order that mostly refer to what exists: blocks, groups coming back,
    relative and absolute references, texture references with gaps, materials."""
    lines = []
    verts = 0
    texs = 0
    names = ["a", "b", "c", "Deck", "deck", "default", "x y"]
    for _ in range(rng.randint(5, 80)):
        r = rng.random()
        if r < 0.15:
            lines.append("g " + rng.choice(names))
        elif r < 0.2:
            lines.append("usemtl " + rng.choice(["Red", "blue", "nothing", "default"]))
        elif r < 0.5:
            for _ in range(rng.randint(1, 6)):
                coords = [rng.choice([0.0, 0.5, 1.0, rng.uniform(-5, 5)]) for _ in range(3)]
                lines.append("v %s %s %s" % tuple(repr(round(c, rng.choice([1, 3, 6]))) for c in coords))
                verts += 1
            for _ in range(rng.randint(0, 4)):
                lines.append("vt %.3f %.3f" % (rng.random(), rng.random()))
                texs += 1
        elif r < 0.95 and verts:
            corners = []
            with_tex = texs and rng.random() < 0.6
            for _ in range(rng.randint(3, 6)):
                if rng.random() < 0.3:
                    v = str(-rng.randint(1, min(verts, 6)))
                else:
                    v = str(rng.randint(max(1, verts - 8), verts))
                if with_tex and rng.random() < 0.9:
                    t = rng.randint(max(1, texs - 5), texs)
                    v += "/" + str(t if rng.random() < 0.8 else t - texs - 1)
                corners.append(v)
            lines.append("f " + " ".join(corners))
        elif r < 0.97:
            lines.append(rng.choice(["s 1", "o obj", "# note", "vn 0 0 1", "l 1 2", ""]))
    text = "mtllib cases.mtl\n" + "\n".join(lines) + "\n"
    return text


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    seed, count = 1, 150
    args = sys.argv[2:]
    while args:
        flag = args.pop(0)
        if flag == "--seed":
            seed = int(args.pop(0))
        elif flag == "--random":
            count = int(args.pop(0))
    os.makedirs(folder, exist_ok=True)
    fixed_cases(folder)
    rng = random.Random(seed)
    for i in range(count):
        write(folder, "random%03d.obj" % i, random_file(rng), rng.choice(["\n", "\n", "\r\n", "\r"]))


if __name__ == "__main__":
    main()
