// Where the settings file's bytes live: one implementation per platform (the portable
// engine over an atomically replaced file, or the Windows private-profile functions).
#pragma once

#include <string>
#include <vector>

#include "core/settings.h"

namespace lintara::backend {

// The key's value as the private-profile read gives it (outer blanks and one pair of
// matching quotes removed), or the default less its trailing spaces. Not cut in length.
std::string GetProfileValue(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& defaultValue);

// Applies the writes in order as one replacement of the file. On failure the file is
// as it was and *reason (when given) says why.
bool PutProfileValues(const std::string& path, const std::vector<SettingWrite>& writes,
                      std::string* reason);

}  // namespace lintara::backend
