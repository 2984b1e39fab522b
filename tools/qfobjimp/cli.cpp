#include "qfobjimp/cli.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <optional>
#include <sstream>
#include <vector>

#include "controls/format_thousands.h"
#include "dialogs/object_selection.h"
#include "host/host_scene.h"
#include "host/json_writer.h"
#include "materials/mtl_reader.h"
#include "model/fixed_text.h"
#include "model/import_model.h"
#include "model/string_table.h"
#include "obj/input_source.h"
#include "obj/obj_parser.h"
#include "obj/prescan.h"
#include "qfobjimp/console_ui.h"
#include "qfobjimp/terminal_progress.h"
#include "run/config_file.h"
#include "run/import_run.h"
#include "run/run_paths.h"
#include "run/workers.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qf {

namespace {

const char kUsage[] =
    "usage: qfobjimp scan FILE.obj [--json]\n"
    "       qfobjimp parse FILE.obj [--select PATTERN] [OPTIONS] [--json]\n"
    "       qfobjimp import FILE.obj [--select PATTERN] [OPTIONS] [--scene OUT.json]\n"
    "       qfobjimp config [--config PATH] [set KEY VALUE]\n"
    "\n"
    "scan    lists the objects of an OBJ file with their counts, the file totals and\n"
    "        the material libraries it names (--json: one JSON object)\n"
    "parse   reads the file as an import does (materials, then the chosen objects)\n"
    "        and reports the meshes it would build, or the error that stops it\n"
    "        --select PATTERN  objects whose names match (* and ?, case ignored; all)\n"
    "        --clusters --flip-zy --scale S --no-texcoords --no-materials\n"
    "        --default-bump B\n"
    "import  runs a whole import into the stand-in host scene, as the plug-in does:\n"
    "        options file, pre-scan, selection, materials, meshes; prints the warnings,\n"
    "        or the error on standard error (exit 1); Ctrl-C cancels the import\n"
    "        --scene OUT.json      writes the scene (objects, materials, clips, commands)\n"
    "        --no-center-pivots --force-black-ambient --material-prefix TEXT\n"
    "        --search-path DIR     offered when a texture is missing (repeatable)\n"
    "        The options are saved to the options file as the plug-in saves them.\n"
    "config  shows the saved import options, or changes one of them; the options file\n"
    "        lives beside this program unless --config names another\n";

struct Arguments {
    std::vector<std::string> positional;
    bool json = false;
    std::optional<std::string> configPath;
    std::string select = "*";
    std::optional<std::string> scenePath;
    std::optional<std::string> materialPrefix;
    std::vector<std::string> searchFolders;
    // Import options given on the command line, applied over the defaults.
    std::vector<std::pair<std::string, std::string>> optionFlags;
    std::string error;
};

// Flags that set an import option; those with a value take the next argument.
const struct {
    const char* flag;
    bool takesValue;
} kOptionFlags[] = {{"--clusters", false},          {"--flip-zy", false},    {"--no-texcoords", false},
                    {"--no-materials", false},      {"--no-center-pivots", false},
                    {"--force-black-ambient", false}, {"--scale", true},     {"--default-bump", true}};

Arguments parseArguments(int argc, const char* const* argv) {
    Arguments a;
    for (int i = 1; i < argc && a.error.empty(); ++i) {
        std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) a.error = arg + " needs a value";
            else out = argv[++i];
        };
        bool isOption = false;
        for (const auto& f : kOptionFlags) {
            if (arg != f.flag) continue;
            isOption = true;
            std::string v;
            if (f.takesValue) value(v);
            a.optionFlags.emplace_back(arg, v);
        }
        if (isOption) continue;
        if (arg == "--json") a.json = true;
        else if (arg == "--select") value(a.select);
        else if (arg == "--scene") {
            std::string path;
            value(path);
            a.scenePath = path;
        } else if (arg == "--material-prefix") {
            std::string prefix;
            value(prefix);
            a.materialPrefix = prefix;
        } else if (arg == "--search-path") {
            std::string folder;
            value(folder);
            a.searchFolders.push_back(folder);
        }
        else if (arg == "--config") {
            std::string path;
            value(path);
            a.configPath = path;
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") a.error = "unknown option " + arg;
        else a.positional.push_back(arg);
    }
    return a;
}

// Shows the passes' reports on the terminal: phases and the bar; keeps the message box text.
class ConsoleLink final : public DialogLink {
public:
    ConsoleLink(TerminalProgress& progress, const ObjImporter& importer) : progress_(progress), importer_(importer) {}
    intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override {
        switch (code) {
        case DialogMessage::ScanProgress:
        case DialogMessage::Progress:
            if (importer_.progressTotal > 0)
                progress_.setFraction(double(uint64_t(lParam)) / double(importer_.progressTotal));
            break;
        case DialogMessage::Phase:
            if (wParam) progress_.setPhase(loadText(int(wParam)));
            break;
        case DialogMessage::Fraction:
            progress_.setFraction(*reinterpret_cast<const float*>(lParam));
            break;
        default:
            break;
        }
        return 0;
    }
    void addObjectRows(const ObjectRow*, size_t) override {}
    void showMessage(int textId) override { message = loadText(textId); }
    std::string message;

private:
    TerminalProgress& progress_;
    const ObjImporter& importer_;
};

std::string describeOpenFailure(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return "no such file";
    if (std::filesystem::is_directory(path, ec)) return "it is a folder";
    return std::strerror(errno);
}

// Prints the error that ended the passes, if there is one.
bool reportedError(const ObjImporter& importer, const std::string& path, std::ostream& err) {
    if (!importer.errorText[0]) return false;
    err << "qfobjimp: " << path << ": " << importer.errorText << "\n";
    return true;
}

// Opens the OBJ file of a verb and readies the importer for the passes; false after a message.
bool openObjFile(const std::string& path, ObjImporter& importer, std::unique_ptr<FileSource>& file,
                 std::ostream& err) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec)) file = FileSource::open(path);
    if (!file) {
        err << "qfobjimp: cannot read '" << path << "': " << describeOpenFailure(path) << "\n";
        return false;
    }
    importer.progressTotal = fileSize(path);
    importer.objFile = file.get();
    const std::string absolute = std::filesystem::absolute(path, ec).string();
    setRunPaths(importer, ec ? path.c_str() : absolute.c_str());
    if (!importer.lineBuffer.allocate(kLineBufferSize)) {
        err << "qfobjimp: out of memory\n";
        return false;
    }
    return true;
}

int scanCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
    if (args.positional.size() != 2) {
        err << "qfobjimp scan: expected one OBJ file\n" << kUsage;
        return 2;
    }
    const std::string& path = args.positional[1];
    ObjImporter importer;
    std::unique_ptr<FileSource> file;
    if (!openObjFile(path, importer, file, err)) return 1;
    TerminalProgress progress;
    progress.setPhase("scanning " + std::filesystem::path(path).filename().string());
    ConsoleLink link(progress, importer);
    prescanObj(importer, link);
    progress.finish();
    if (reportedError(importer, path, err)) return 1;

    if (args.json) {
        JsonWriter json(out);
        json.beginObject();
        json.key("vertexTotal").value(importer.vertexTotal);
        json.key("normalTotal").value(importer.normalTotal);
        json.key("texCoordTotal").value(importer.texCoordTotal);
        json.key("materialLibraries").beginArray();
        for (const auto& l : importer.materialLibraries) json.value(l);
        json.endArray();
        json.key("objects").beginArray();
        for (const auto& o : importer.objects) {
            json.beginObject();
            json.key("name").value(o->name);
            json.key("vertexCount").value(o->vertexCount);
            json.key("normalCount").value(o->normalCount);
            json.key("texCoordCount").value(o->texCoordCount);
            json.key("polygonCount").value(o->polygonCount);
            json.key("indexCount").value(o->indexCount);
            json.endObject();
        }
        json.endArray();
        json.endObject();
        out << "\n";
        return 0;
    }

    out << path << ": " << FormatThousands(importer.progressTotal) << " bytes\n";
    if (!link.message.empty()) out << link.message << "\n";
    if (!importer.objects.empty()) {
        out << std::left << std::setw(32) << "Name" << std::right << std::setw(14) << "Polygons"
            << std::setw(14) << "Vertices" << std::setw(14) << "Tex. vertices" << "\n";
        for (const auto& o : importer.objects) {
            out << std::left << std::setw(32) << o->name << std::right << std::setw(14)
                << FormatThousands(uint64_t(o->polygonCount)) << std::setw(14)
                << FormatThousands(uint64_t(o->vertexCount)) << std::setw(14)
                << FormatThousands(uint64_t(o->texCoordCount));
            if (o->polygonCount == 0) out << "  (no polygons: not listed)";
            out << "\n";
        }
    }
    out << "Objects: " << importer.objects.size() << "\n";
    out << "Vertices: " << FormatThousands(uint64_t(importer.vertexTotal))
        << "  Texture vertices: " << FormatThousands(uint64_t(importer.texCoordTotal))
        << "  Normals: " << FormatThousands(uint64_t(importer.normalTotal)) << "\n";
    out << "Material libraries:";
    if (importer.materialLibraries.empty()) out << " none";
    for (const auto& l : importer.materialLibraries) out << " \"" << l << "\"";
    out << "\n";
    return 0;
}

int parseCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
    if (args.positional.size() != 2) {
        err << "qfobjimp parse: expected one OBJ file\n" << kUsage;
        return 2;
    }
    const std::string& path = args.positional[1];
    ObjImporter importer;
    std::string optionError;
    if (!applyOptionFlags(args.optionFlags, importer.options, optionError)) {
        err << "qfobjimp: " << optionError << "\n";
        return 2;
    }
    std::unique_ptr<FileSource> file;
    if (!openObjFile(path, importer, file, err)) return 1;
    TerminalProgress progress;
    ConsoleLink link(progress, importer);
    progress.setPhase("scanning " + std::filesystem::path(path).filename().string());
    prescanObj(importer, link);
    if (!importer.errorText[0] && selectObjects(importer, args.select.c_str()) > 0) {
        importWorkerBody(importer, link);
    } else if (!importer.errorText[0]) {
        link.message = loadText(IDS_NOTHING_TO_IMPORT);
    }
    progress.finish();
    if (reportedError(importer, path, err)) return 1;

    if (args.json) {
        JsonWriter json(out);
        json.beginObject();
        json.key("meshes").beginArray();
        for (const auto& named : importer.meshes) {
            const Mesh& m = named->mesh;
            json.beginObject();
            json.key("name").value(named->name);
            json.key("vertexCount").value(m.vertexCount);
            json.key("texCoordCount").value(m.texCoordCount);
            json.key("polygonCount").value(m.polygonCount);
            json.key("cornerCount").value(m.vertexIndexFill);
            json.endObject();
        }
        json.endArray();
        json.key("clusters").beginArray();
        if (importer.options.importAsClusters)
            for (const auto& o : importer.objects)
                if (o->clusterPolygons.GetCount() > 0) {
                    json.beginObject();
                    json.key("name").value(o->name);
                    json.key("polygonCount").value(int64_t(o->clusterPolygons.GetCount()));
                    json.endObject();
                }
        json.endArray();
        json.key("materials").beginArray();
        for (const auto& m : importer.materials) json.value(m->name);
        json.endArray();
        json.key("warnings").beginArray();
        for (const auto& w : importer.warnings) json.value(w);
        json.endArray();
        json.endObject();
        out << "\n";
        return 0;
    }

    if (!link.message.empty()) out << link.message << "\n";
    if (!importer.meshes.empty())
        out << std::left << std::setw(32) << "Mesh" << std::right << std::setw(14) << "Vertices" << std::setw(14)
            << "Polygons" << std::setw(14) << "Corners" << std::setw(14) << "Tex. vertices" << "\n";
    for (const auto& named : importer.meshes) {
        const Mesh& m = named->mesh;
        out << std::left << std::setw(32) << named->name << std::right << std::setw(14)
            << FormatThousands(uint64_t(m.vertexCount)) << std::setw(14) << FormatThousands(uint64_t(m.polygonCount))
            << std::setw(14) << FormatThousands(uint64_t(m.vertexIndexFill)) << std::setw(14)
            << FormatThousands(uint64_t(m.texCoordCount)) << "\n";
    }
    if (importer.options.importAsClusters)
        for (const auto& o : importer.objects)
            if (o->clusterPolygons.GetCount() > 0)
                out << "  cluster " << o->name << ": " << FormatThousands(uint64_t(o->clusterPolygons.GetCount()))
                    << " polygons\n";
    out << "Materials read: " << importer.materials.size() << "\n";
    for (const auto& w : importer.warnings) out << "warning: " << w << "\n";
    return 0;
}

int importCommand(const Arguments& args, const char* argv0, std::ostream& out, std::ostream& err) {
    if (args.positional.size() != 2) {
        err << "qfobjimp import: expected one OBJ file\n" << kUsage;
        return 2;
    }
    const std::string& path = args.positional[1];
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec) || !FileSource::open(path)) {
        err << "qfobjimp: cannot read '" << path << "': " << describeOpenFailure(path) << "\n";
        return 1;
    }
    {
        ImportOptions check;
        std::string optionError;
        if (!applyOptionFlags(args.optionFlags, check, optionError)) {
            err << "qfobjimp: " << optionError << "\n";
            return 2;
        }
    }
    ConsoleChoices choices;
    choices.select = args.select;
    choices.optionFlags = args.optionFlags;
    choices.materialPrefixGiven = args.materialPrefix.has_value();
    if (args.materialPrefix) choices.materialPrefix = *args.materialPrefix;
    choices.searchFolders = args.searchFolders;
    ConsoleUi ui(choices, out, err);
    installInterruptHandler();

    const std::string absolute = std::filesystem::absolute(path, ec).string();
    ObjImporter importer;
    const std::string module = executablePath(argv0);
    const int result = runImport(importer, ec ? path.c_str() : absolute.c_str(), module.c_str(), ui,
                                 args.configPath ? args.configPath->c_str() : nullptr);
    if (args.scenePath) {
        std::ofstream scene(*args.scenePath, std::ios::binary);
        XSI::standin::HostScene::instance().writeJson(scene);
        scene << "\n";
        if (!scene) {
            err << "qfobjimp: cannot write the scene to '" << *args.scenePath << "'\n";
            return 1;
        }
    }
    if (ui.cancelled()) return 130;
    return result ? 0 : 1;
}

// Option keys of the config verb, by their flag name.
struct OptionKey {
    const char* name;
    bool ImportOptions::*flag;
    float ImportOptions::*number;
};
const OptionKey kOptionKeys[] = {
    {"replace-scene", &ImportOptions::replaceScene, nullptr},
    {"clusters", &ImportOptions::importAsClusters, nullptr},
    {"flip-zy", &ImportOptions::flipZY, nullptr},
    {"center-pivots", &ImportOptions::centerPivots, nullptr},
    {"texcoords", &ImportOptions::textureCoords, nullptr},
    {"materials", &ImportOptions::importMaterials, nullptr},
    {"material-prefix", &ImportOptions::useMaterialPrefix, nullptr},
    {"force-black-ambient", &ImportOptions::forceBlackAmbient, nullptr},
    {"scale", nullptr, &ImportOptions::objectScale},
    {"default-bump", nullptr, &ImportOptions::defaultBump},
};

bool parseFlag(const std::string& text, bool& flag) {
    if (text == "on" || text == "true" || text == "1") flag = true;
    else if (text == "off" || text == "false" || text == "0") flag = false;
    else return false;
    return true;
}

int configCommand(const Arguments& args, const char* argv0, std::ostream& out, std::ostream& err) {
    ObjImporter importer;
    if (args.configPath) copyBounded(importer.configPath, args.configPath->c_str());
    else configPathBeside(executablePath(argv0).c_str(), importer.configPath);
    bool loaded = loadOptions(importer);
    ImportOptions& o = importer.options;

    if (args.positional.size() == 4 && args.positional[1] == "set") {
        const std::string& key = args.positional[2];
        const std::string& value = args.positional[3];
        bool known = false, valid = false;
        if (key == "search-path") {
            known = valid = value.size() < sizeof o.mapSearchPath;
            if (valid) copyBounded(o.mapSearchPath, value.c_str());
        }
        for (const OptionKey& k : kOptionKeys) {
            if (key != k.name) continue;
            known = true;
            if (k.flag) valid = parseFlag(value, o.*k.flag);
            else {
                char* end = nullptr;
                float f = std::strtof(value.c_str(), &end);
                float lo = k.number == &ImportOptions::objectScale ? kObjectScaleMin : kDefaultBumpMin;
                float hi = k.number == &ImportOptions::objectScale ? kObjectScaleMax : kDefaultBumpMax;
                valid = end && *end == '\0' && !value.empty() && f >= lo && f <= hi;
                if (valid) o.*k.number = f;
            }
        }
        if (!known || !valid) {
            err << "qfobjimp config: " << (known ? "invalid value for " : "unknown option ") << key << "\n";
            return 2;
        }
        saveOptions(importer);
        loaded = true;
    } else if (args.positional.size() != 1) {
        err << kUsage;
        return 2;
    }

    out << "options file: " << importer.configPath << (loaded ? "" : " (not found: defaults)") << "\n";
    auto onOff = [](bool b) { return b ? "on" : "off"; };
    for (const OptionKey& k : kOptionKeys) {
        out << "  " << std::left << std::setw(22) << k.name;
        if (k.flag) out << onOff(o.*k.flag) << "\n";
        else out << o.*k.number << "\n";
    }
    out << "  " << std::left << std::setw(22) << "search-path" << o.mapSearchPath << "\n";
    return 0;
}

}  // namespace

std::string executablePath(const char* argv0) {
#if defined(_WIN32)
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return path;
#else
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return p.string();
#endif
    return argv0 ? argv0 : "";
}

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    Arguments args = parseArguments(argc, argv);
    if (!args.error.empty()) {
        err << "qfobjimp: " << args.error << "\n" << kUsage;
        return 2;
    }
    if (args.positional.empty() || args.positional[0] == "help") {
        (args.positional.empty() ? err : out) << kUsage;
        return args.positional.empty() ? 2 : 0;
    }
    const std::string& verb = args.positional[0];
    if (verb == "scan") return scanCommand(args, out, err);
    if (verb == "parse") return parseCommand(args, out, err);
    if (verb == "import") return importCommand(args, argc > 0 ? argv[0] : nullptr, out, err);
    if (verb == "config") return configCommand(args, argc > 0 ? argv[0] : nullptr, out, err);
    err << "qfobjimp: unknown command '" << verb << "'\n" << kUsage;
    return 2;
}

}  // namespace qf
