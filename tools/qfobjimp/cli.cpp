#include "qfobjimp/cli.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <optional>
#include <vector>

#include "controls/format_thousands.h"
#include "model/fixed_text.h"
#include "model/import_model.h"
#include "obj/input_source.h"
#include "obj/prescan.h"
#include "qfobjimp/json_writer.h"
#include "qfobjimp/terminal_progress.h"
#include "run/config_file.h"
#include "run/string_table.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace qf {

namespace {

const char kUsage[] =
    "usage: qfobjimp scan FILE.obj [--json]\n"
    "       qfobjimp config [--config PATH] [set KEY VALUE]\n"
    "\n"
    "scan    lists the objects of an OBJ file with their counts, the file totals and\n"
    "        the material libraries it names (--json: one JSON object)\n"
    "config  shows the saved import options, or changes one of them; the options file\n"
    "        lives beside this program unless --config names another\n";

struct Arguments {
    std::vector<std::string> positional;
    bool json = false;
    std::optional<std::string> configPath;
    std::string error;
};

Arguments parseArguments(int argc, const char* const* argv) {
    Arguments a;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--json") a.json = true;
        else if (arg == "--config") {
            if (i + 1 >= argc) a.error = "--config needs a path";
            else a.configPath = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") a.error = "unknown option " + arg;
        else a.positional.push_back(arg);
    }
    return a;
}

// Reports the pre-scan to the terminal: the bar follows the bytes read.
class ScanProgressLink final : public DialogLink {
public:
    ScanProgressLink(TerminalProgress& progress, uint64_t total) : progress_(progress), total_(total) {}
    intptr_t send(DialogMessage code, uintptr_t, intptr_t lParam) override {
        if (code == DialogMessage::ScanProgress && total_ > 0)
            progress_.setFraction(double(uint64_t(lParam)) / double(total_));
        return 0;
    }
    void addObjectRow(const char*, int32_t) override {}
    void showMessage(int textId) override { message = loadText(textId); }
    std::string message;

private:
    TerminalProgress& progress_;
    uint64_t total_;
};

std::string describeOpenFailure(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return "no such file";
    if (std::filesystem::is_directory(path, ec)) return "it is a folder";
    return std::strerror(errno);
}

int scanCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
    if (args.positional.size() != 2) {
        err << "qfobjimp scan: expected one OBJ file\n" << kUsage;
        return 2;
    }
    const std::string& path = args.positional[1];
    std::error_code ec;
    std::unique_ptr<FileSource> file;
    if (!std::filesystem::is_directory(path, ec)) file = FileSource::open(path);
    if (!file) {
        err << "qfobjimp: cannot read '" << path << "': " << describeOpenFailure(path) << "\n";
        return 1;
    }
    ObjImporter importer;
    importer.progressTotal = fileSize(path);
    importer.objFile = file.get();
    if (!importer.lineBuffer.allocate(kLineBufferSize)) {
        err << "qfobjimp: out of memory\n";
        return 1;
    }
    TerminalProgress progress;
    progress.setPhase("scanning " + std::filesystem::path(path).filename().string());
    ScanProgressLink link(progress, importer.progressTotal);
    prescanObj(importer, link);
    progress.finish();
    if (importer.errorText[0]) {
        err << "qfobjimp: " << path << ": " << importer.errorText << "\n";
        return 1;
    }

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
    if (verb == "config") return configCommand(args, argc > 0 ? argv[0] : nullptr, out, err);
    err << "qfobjimp: unknown command '" << verb << "'\n" << kUsage;
    return 2;
}

}  // namespace qf
