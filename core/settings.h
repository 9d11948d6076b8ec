// The settings file: every read and write of Lintara.ini goes through these two.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lintara {

// The stored value of key in section, or defaultValue when the file, the section or
// the key is missing; spaces removed at both ends. Values come back whole. Never throws.
std::string ReadSetting(const std::string& settingsPath, const std::string& section,
                        const std::string& key, const std::string& defaultValue);

// Stores value (exactly as given) as key of section, creating file, section or key as
// needed and keeping every other byte of the file. The file is replaced atomically.
// false: nothing changed (file or folder not writable, path not a file, ...).
bool WriteSetting(const std::string& settingsPath, const std::string& section,
                  const std::string& key, const std::string& value);

// text less its spaces at both ends (tabs stay): how setting values are cleaned.
std::string TrimSpaces(std::string_view text);

// Like WriteSetting; on failure *reason says why in words.
bool WriteSetting(const std::string& settingsPath, const std::string& section,
                  const std::string& key, const std::string& value, std::string* reason);

// Writes several keys as one replacement of the file: all of them or none.
struct SettingWrite {
    std::string section, key, value;
};
bool WriteSettings(const std::string& settingsPath, const std::vector<SettingWrite>& writes,
                   std::string* reason);

}  // namespace lintara
