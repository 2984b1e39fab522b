#include "qfobjimp/option_settings.h"

#include <charconv>
#include <cmath>

#include "model/fixed_text.h"

namespace qf {

namespace {

using O = ImportOptions;

const std::vector<OptionSetting> kSettings = {
    {"replace-scene", &O::replaceScene, nullptr, 0, 0, "start from a new scene", false},
    {"clusters", &O::importAsClusters, nullptr, 0, 0,
     "one mesh for the file, one cluster per object", true},
    {"flip-zy", &O::flipZY, nullptr, 0, 0, "swap the Y and Z axes", true},
    {"center-pivots", &O::centerPivots, nullptr, 0, 0, "each mesh's pivot at the centre of its bounds", false},
    {"texcoords", &O::textureCoords, nullptr, 0, 0, "import the texture coordinates", true},
    {"materials", &O::importMaterials, nullptr, 0, 0, "read the MTL libraries, build the materials", true},
    {"material-prefix", &O::useMaterialPrefix, nullptr, 0, 0,
     "prefix material names (by default _FILENAME)", false},
    {"force-black-ambient", &O::forceBlackAmbient, nullptr, 0, 0, "black ambient colour in every material",
     false},
    {"scale", nullptr, &O::objectScale, kObjectScaleMin, kObjectScaleMax, "factor applied to every position", true},
    {"default-bump", nullptr, &O::defaultBump, kDefaultBumpMin, kDefaultBumpMax,
     "factor of bump maps that give none", true},
};

std::string numberText(float value) {
    char text[32];
    auto r = std::to_chars(text, text + sizeof text, value);
    return std::string(text, r.ptr);
}

}  // namespace

const std::vector<OptionSetting>& optionSettings() { return kSettings; }

const OptionSetting* findOptionSetting(const std::string& key) {
    for (const OptionSetting& s : kSettings)
        if (key == s.key) return &s;
    return nullptr;
}

bool parseOnOff(const std::string& text, bool& value) {
    if (text == "on" || text == "true" || text == "yes" || text == "1") value = true;
    else if (text == "off" || text == "false" || text == "no" || text == "0") value = false;
    else return false;
    return true;
}

bool parseSettingNumber(const OptionSetting& setting, const std::string& text, float& value) {
    // strtof takes the forms people type (".5", "1e3", "+2"); the whole text must be the number.
    if (text.empty()) return false;
    char* end = nullptr;
    const float f = std::strtof(text.c_str(), &end);
    if (!end || *end != '\0' || !std::isfinite(f) || f < setting.min || f > setting.max) return false;
    value = f;
    return true;
}

std::string rangeText(const OptionSetting& setting) {
    return "from " + numberText(setting.min) + " to " + numberText(setting.max);
}

bool applyOptionFlags(const OptionFlags& flags, ImportOptions& options, std::string& error) {
    for (const auto& [flag, value] : flags) {
        if (flag == "--material-prefix") {
            if (value.size() >= sizeof options.materialPrefix) {
                error = "--material-prefix takes at most " + std::to_string(sizeof options.materialPrefix - 1) +
                        " characters";
                return false;
            }
            options.useMaterialPrefix = true;
            copyBounded(options.materialPrefix, value.c_str());
            continue;
        }
        const bool negated = flag.rfind("--no-", 0) == 0;
        const OptionSetting* setting = findOptionSetting(flag.substr(negated ? 5 : 2));
        if (!setting) {
            error = "unknown option " + flag;
            return false;
        }
        if (setting->flag) {
            options.*setting->flag = !negated;
        } else if (negated || !parseSettingNumber(*setting, value, options.*setting->number)) {
            error = "--" + std::string(setting->key) + " takes a number " + rangeText(*setting);
            return false;
        }
    }
    return true;
}

}  // namespace qf
