// Setting values as the windows show them: bytes from the file to UTF-8 and back.
#pragma once

#include <string>
#include <string_view>

namespace lintara {

// True when bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool IsUtf8(std::string_view bytes);

// The text of bytes in code page 1252, as UTF-8. Bytes the page leaves unassigned become
// the control character of the same number, as Windows maps them.
std::string Cp1252ToUtf8(std::string_view bytes);

// A value is one line of the settings file: a pasted or chosen line break would split it
// and turn the rest into keys or sections of their own. Each break becomes one blank.
std::string OneLine(std::string_view text);

}  // namespace lintara
