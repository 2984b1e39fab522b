// The import options as the tool names them: one key per option, shared by the flags of a run
// (--key, --no-key, --key VALUE) and by `config set KEY VALUE`, with what each one means.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "model/import_options.h"

namespace qf {

struct OptionSetting {
    const char* key;
    bool ImportOptions::*flag;     // an on/off option, or
    float ImportOptions::*number;  // a number within [min, max]
    float min, max;
    const char* meaning;
    bool readingOption;  // changes what the passes read (and so applies to `parse` too)
};

// Every option the options file keeps, in the order `config` lists them.
const std::vector<OptionSetting>& optionSettings();
const OptionSetting* findOptionSetting(const std::string& key);

// "on"/"off" (also true/false, yes/no, 1/0); false when the text is none of them.
bool parseOnOff(const std::string& text, bool& value);
// A number within the setting's range; false when the text is not one or lies outside.
bool parseSettingNumber(const OptionSetting& setting, const std::string& text, float& value);
// "from 0.001 to 10000".
std::string rangeText(const OptionSetting& setting);

// Option flags of one run in the order given: ("--flip-zy", ""), ("--no-texcoords", ""),
// ("--scale", "2"), ("--material-prefix", "foo_"), ("--no-material-prefix", "").
using OptionFlags = std::vector<std::pair<std::string, std::string>>;

// Applies the flags over the options (later flags win); false with a message naming the flag
// and what it takes.
bool applyOptionFlags(const OptionFlags& flags, ImportOptions& options, std::string& error);

}  // namespace qf
