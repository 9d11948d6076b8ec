// An INI engine that reads and edits documents byte for byte like the Windows
// private-profile functions (GetPrivateProfileStringA / WritePrivateProfileStringA).
// It works on the document's bytes, so it is tested without files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lintara::ini {

// Buffer size meaning "no limit": the value comes back whole.
constexpr std::size_t kUnlimited = 0;

// What GetPrivateProfileStringA leaves in a buffer of bufferSize bytes for this
// document (empty for a missing file). A document starting with FF FE is UTF-16LE and
// its text comes back in code page 1252.
std::string GetProfileString(std::string_view document, std::string_view section,
                             std::string_view key, std::string_view defaultValue,
                             std::size_t bufferSize);

// The document after WritePrivateProfileStringA(section, key, value): only the key's
// line changes, or one line (or a section and its key) is added.
std::string WriteProfileString(std::string_view document, std::string_view section,
                               std::string_view key, std::string_view value);

}  // namespace lintara::ini
