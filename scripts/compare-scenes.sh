#!/usr/bin/env bash
# Compares the scenes that two builds of qfobjimp make of the same files: every OBJ file the
# repository holds and a generated corpus of many layouts (scripts/scene_corpus.py), each imported
# with several sets of options. The scene JSON, the exit code and the error output must be the
# same byte for byte. Use it with the binary of the branch point and the binary of a change.
#
#   scripts/compare-scenes.sh OLD_QFOBJIMP NEW_QFOBJIMP [WORK_DIR]
set -uo pipefail
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
  echo "usage: $0 OLD_QFOBJIMP NEW_QFOBJIMP [WORK_DIR]" >&2
  exit 2
fi
old=$(realpath "$1")
new=$(realpath "$2")
work=${3:-$(mktemp -d)}
corpus="$work/corpus"
rm -rf "$corpus" "$work/out"
mkdir -p "$corpus" "$work/out"

python3 scripts/scene_corpus.py "$corpus/generated" >/dev/null
# The repository's own files, each with its folder (libraries and textures beside it).
n=0
while IFS= read -r f; do
  n=$((n + 1))
  mkdir -p "$corpus/repo$n"
  cp -r "$(dirname "$f")"/. "$corpus/repo$n/"
done < <(git ls-files '*.obj' | sort)

option_sets=(
  ""
  "--clusters"
  "--flip-zy --scale 2.5 --no-center-pivots"
  "--no-texcoords --no-materials"
  "--select part1* --clusters"
  "--select part1*"
)

files=0
differ=0
while IFS= read -r obj; do
  files=$((files + 1))
  for i in "${!option_sets[@]}"; do
    # shellcheck disable=SC2206
    opts=(${option_sets[$i]})
    for side in old new; do
      bin=${!side}
      out="$work/out/$side"
      rm -f "$out.json" "$out.cfg"
      (cd "$(dirname "$obj")" && "$bin" import "$(basename "$obj")" "${opts[@]}" --config "$out.cfg" \
        --scene "$out.json" >"$out.stdout" 2>"$out.stderr" </dev/null)
      echo "exit $?" >>"$out.stderr"
      [ -f "$out.json" ] || echo "no scene" >"$out.json"
    done
    if ! cmp -s "$work/out/old.json" "$work/out/new.json" || ! cmp -s "$work/out/old.stderr" "$work/out/new.stderr"; then
      differ=$((differ + 1))
      echo "DIFFERENT: $obj ${option_sets[$i]}"
      diff <(head -c 2000 "$work/out/old.stderr") <(head -c 2000 "$work/out/new.stderr") | head -5
    fi
  done
done < <(find "$corpus" -name '*.obj' | sort)

echo "$files files, ${#option_sets[@]} option sets each: $differ different"
[ "$differ" -eq 0 ]
