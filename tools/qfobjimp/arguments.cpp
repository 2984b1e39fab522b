#include "qfobjimp/arguments.h"

#include <cstring>

namespace qf {

namespace {

enum VerbBit : unsigned { kScan = 1, kParse = 2, kImport = 4, kConfig = 8, kAll = 15 };

unsigned bitOf(Verb verb) {
    switch (verb) {
    case Verb::Scan: return kScan;
    case Verb::Parse: return kParse;
    case Verb::Import: return kImport;
    case Verb::Config: return kConfig;
    default: return 0;
    }
}

struct FlagSpec {
    std::string name;
    bool takesValue;
    unsigned verbs;
};

// Every flag with the verbs it applies to; the option flags come from the option table.
const std::vector<FlagSpec>& flagSpecs() {
    static const std::vector<FlagSpec> specs = [] {
        std::vector<FlagSpec> s = {
            {"--help", false, kAll},          {"-h", false, kAll},
            {"--version", false, kAll},       {"--json", false, kScan | kParse},
            {"--select", true, kParse | kImport}, {"--config", true, kParse | kImport | kConfig},
            {"--save-options", false, kImport}, {"--scene", true, kImport},
            {"--gltf", true, kImport},        {"--search-path", true, kImport},
            {"--material-prefix", true, kImport}, {"--no-material-prefix", false, kImport},
        };
        for (const OptionSetting& o : optionSettings()) {
            if (std::strcmp(o.key, "material-prefix") == 0) continue;
            const unsigned verbs = o.readingOption ? kParse | kImport : kImport;
            s.push_back({std::string("--") + o.key, o.number != nullptr, verbs});
            if (o.flag) s.push_back({std::string("--no-") + o.key, false, verbs});
        }
        return s;
    }();
    return specs;
}

const FlagSpec* findFlag(const std::string& name) {
    for (const FlagSpec& f : flagSpecs())
        if (f.name == name) return &f;
    return nullptr;
}

Verb verbNamed(const std::string& name) {
    if (name == "scan") return Verb::Scan;
    if (name == "parse") return Verb::Parse;
    if (name == "import") return Verb::Import;
    if (name == "config") return Verb::Config;
    return Verb::None;
}

// Takes one flag (with its value) into the arguments.
void take(Arguments& a, const std::string& flag, const std::string& value) {
    if (flag == "--help" || flag == "-h") a.help = true;
    else if (flag == "--version") a.version = true;
    else if (flag == "--json") a.json = true;
    else if (flag == "--select") a.select = value;
    else if (flag == "--config") a.configPath = value;
    else if (flag == "--save-options") a.saveOptions = true;
    else if (flag == "--scene") a.scenePath = value;
    else if (flag == "--gltf") a.gltfPath = value;
    else if (flag == "--search-path") a.searchFolders.push_back(value);
    else a.optionFlags.emplace_back(flag, value);
}

const char* const kVerbUsage[] = {
    "",
    "qfobjimp scan FILE.obj [--json]",
    "qfobjimp parse FILE.obj [--select PATTERN] [OPTIONS] [--config PATH] [--json]",
    "qfobjimp import FILE.obj [--select PATTERN] [OPTIONS] [--scene OUT.json] [--gltf OUT.gltf|OUT.glb]\n"
    "                         [--search-path DIR]... [--config PATH] [--save-options]",
    "qfobjimp config [--config PATH] [set KEY VALUE]",
};

std::string optionLines(bool readingOnly) {
    std::string text;
    for (const OptionSetting& o : optionSettings()) {
        if (readingOnly && !o.readingOption) continue;
        std::string left = "  --";
        left += o.key;
        if (std::strcmp(o.key, "material-prefix") == 0) left += " TEXT, --no-material-prefix";
        else if (o.flag) left += std::string(", --no-") + o.key;
        else left += " N";
        if (left.size() < 34) left.resize(34, ' ');
        else left += "\n" + std::string(34, ' ');
        text += left + o.meaning;
        if (o.number) text += " (" + rangeText(o) + ")";
        text += "\n";
    }
    return text;
}

}  // namespace

Arguments parseArguments(int argc, const char* const* argv) {
    Arguments a;
    int i = 1;
    // Flags before the verb: --help and --version.
    for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; ++i) {
        const std::string flag = argv[i];
        if (flag == "--help" || flag == "-h") a.help = true;
        else if (flag == "--version") a.version = true;
        else if (a.error.empty()) a.error = "unknown option " + flag + " before the command";
    }
    if (i >= argc) return a;
    a.verbName = argv[i++];
    if (a.verbName == "help") {
        // "help VERB" is "VERB --help".
        a.help = true;
        a.verbName = i < argc ? argv[i++] : "";
        if (a.verbName.empty() || a.verbName == "help") {
            a.verbName.clear();
            return a;
        }
    }
    a.verb = verbNamed(a.verbName);
    if (a.verb == Verb::None) {
        a.error = "unknown command '" + a.verbName + "'";
        return a;
    }
    bool flagsEnded = false;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        // The value of "config set KEY VALUE" is an operand, whatever its sign.
        const bool settingValue = a.verb == Verb::Config && a.operands.size() == 2 && a.operands[0] == "set";
        if (flagsEnded || settingValue || arg.size() < 2 || arg[0] != '-') {
            a.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            flagsEnded = true;
            continue;
        }
        // --flag=value is --flag value.
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const FlagSpec* spec = findFlag(name);
        if (!spec) {
            if (a.error.empty()) a.error = "unknown option " + name;
            continue;
        }
        if (!(spec->verbs & bitOf(a.verb))) {
            if (a.error.empty()) a.error = name + " does not apply to '" + a.verbName + "'";
            continue;
        }
        std::string value;
        if (spec->takesValue) {
            if (equals != std::string::npos) value = arg.substr(equals + 1);
            else if (i + 1 < argc) value = argv[++i];
            else if (a.error.empty()) a.error = name + " needs a value";
        } else if (equals != std::string::npos && a.error.empty()) {
            a.error = name + " takes no value";
        }
        const bool namesAPath = name == "--config" || name == "--scene" || name == "--gltf" || name == "--search-path";
        if (namesAPath && value.empty() && a.error.empty()) a.error = name + " needs a path, not an empty text";
        take(a, name, value);
    }
    return a;
}

std::string usageText(Verb verb) {
    if (verb != Verb::None) return std::string("usage: ") + kVerbUsage[int(verb)] + "\n";
    std::string text = "usage: ";
    for (int v = 1; v <= 4; ++v) text += std::string(v > 1 ? "       " : "") + kVerbUsage[v] + "\n";
    text += "       qfobjimp --help | --version | help COMMAND\n";
    return text;
}

std::string helpText(Verb verb) {
    switch (verb) {
    case Verb::Scan:
        return usageText(verb) +
               "\nLists the objects (groups) of an OBJ file with their polygon counts and vertex and\n"
               "texture-vertex slots, the file's totals and the material libraries it names.\n\n"
               "  --json                          one JSON object instead of the table\n";
    case Verb::Parse:
        return usageText(verb) +
               "\nReads the file as an import does (material libraries, then the chosen objects) and\n"
               "lists the meshes it would build, or the error that stops it. The options start from\n"
               "the options file; the flags below change them for this run only.\n\n"
               "  --select PATTERN                objects whose names match (* and ?, case ignored; all)\n" +
               optionLines(true) +
               "  --config PATH                   the options file to start from\n"
               "  --json                          one JSON object instead of the table\n";
    case Verb::Import:
        return usageText(verb) +
               "\nRuns a whole import into the stand-in host scene, as the plug-in does: pre-scan,\n"
               "selection, materials, meshes. Prints the warnings, then one summary line; an error\n"
               "goes to standard error as FILE:LINE: TEXT. The options start from the options file;\n"
               "the flags below change them for this run only. Ctrl-C cancels the import.\n\n"
               "  --select PATTERN                objects whose names match (* and ?, case ignored; all)\n" +
               optionLines(false) +
               "  --search-path DIR               a folder (with its sub-folders) to look in for a\n"
               "                                  missing texture, as the map-search dialog would be\n"
               "                                  answered; repeatable, one folder per question\n"
               "  --scene OUT.json                write the scene as JSON\n"
               "  --gltf OUT.gltf|OUT.glb         write the scene as glTF 2.0; a .glb holds its textures,\n"
               "                                  a .gltf refers to them where they are\n"
               "  --config PATH                   the options file to start from\n"
               "  --save-options                  keep this run's options in the options file (a\n"
               "                                  material prefix is kept as on, its text is not: later\n"
               "                                  runs use _FILENAME)\n"
               "\nExit status: 0 imported, 1 failed or nothing to import, 2 wrong command line,\n"
               "130 cancelled. A failed or cancelled import leaves earlier output files as they were;\n"
               "an output that would replace the OBJ file, a file it reads or another output is refused.\n";
    case Verb::Config: {
        std::string keys;
        for (const OptionSetting& o : optionSettings()) keys += std::string(keys.empty() ? "" : ", ") + o.key;
        return usageText(verb) +
               "\nShows the import options kept in the options file, where that file is and what each\n"
               "option means, or changes one of them. The file is qf_objimp.cfg beside this program\n"
               "(as the plug-in keeps it beside its library) unless --config names another.\n\n"
               "KEY is one of: " + keys + ", search-path.\n"
               "On/off options take on or off; scale and default-bump take a number; search-path\n"
               "takes a folder that every import searches, with its sub-folders, for missing textures\n"
               "(an empty text clears it).\n";
    }
    case Verb::None:
        break;
    }
    return usageText(Verb::None) +
           "\nThe OBJ importer's passes, headless.\n\n"
           "  scan     list the objects of an OBJ file with their counts\n"
           "  parse    read the file as an import does and list the meshes it would build\n"
           "  import   run a whole import into the stand-in host scene; write it as JSON or glTF\n"
           "  config   show or change the options kept in the options file\n\n"
           "Run 'qfobjimp COMMAND --help' for a command's flags.\n";
}

}  // namespace qf
