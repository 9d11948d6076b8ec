// ReadSetting / WriteSetting: the program's view of the settings file, over the
// platform's private-profile backend.
#include "core/settings.h"

#include "core/settings_backend.h"

namespace lintara {

std::string TrimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string ReadSetting(const std::string& settingsPath, const std::string& section,
                        const std::string& key, const std::string& defaultValue) {
    return TrimSpaces(backend::GetProfileValue(settingsPath, section, key, defaultValue));
}

bool WriteSetting(const std::string& settingsPath, const std::string& section,
                  const std::string& key, const std::string& value) {
    return WriteSetting(settingsPath, section, key, value, nullptr);
}

bool WriteSetting(const std::string& settingsPath, const std::string& section,
                  const std::string& key, const std::string& value, std::string* reason) {
    return backend::PutProfileValues(settingsPath, {{section, key, value}}, reason);
}

bool WriteSettings(const std::string& settingsPath, const std::vector<SettingWrite>& writes,
                   std::string* reason) {
    return backend::PutProfileValues(settingsPath, writes, reason);
}

}  // namespace lintara
