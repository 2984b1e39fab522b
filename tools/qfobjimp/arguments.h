// The tool's command line: a verb, its file, and the flags that apply to that verb.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "qfobjimp/option_settings.h"

namespace qf {

enum class Verb { None, Scan, Parse, Import, Config };

struct Arguments {
    Verb verb = Verb::None;
    std::string verbName;
    std::vector<std::string> operands;  // what follows the verb that is not a flag
    bool help = false;
    bool version = false;
    bool json = false;
    bool saveOptions = false;
    std::optional<std::string> configPath;
    std::optional<std::string> scenePath;
    std::optional<std::string> gltfPath;
    std::string select = "*";
    std::vector<std::string> searchFolders;
    OptionFlags optionFlags;
    // Set when the command line cannot be used: what is wrong, for the usage message.
    std::string error;
};

Arguments parseArguments(int argc, const char* const* argv);

// "usage: qfobjimp scan FILE.obj [--json]", or every verb's line for Verb::None.
std::string usageText(Verb verb);
// What --help prints: the verb's usage, what it does and its flags; the overview for Verb::None.
std::string helpText(Verb verb);

}  // namespace qf
