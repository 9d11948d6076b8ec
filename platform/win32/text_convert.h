// Conversions between the core's ANSI code-page bytes and the wide strings of the
// W functions, and the system's words for an error code.
#pragma once

#include <string>

namespace lintara::win32 {

// Bytes in the ANSI code page to UTF-16, as the A functions convert them.
std::wstring Widen(const std::string& text);

// UTF-16 to the ANSI code page; characters it cannot hold become the system's default.
std::string Narrow(const std::wstring& text);

// The system's text for an error code (GetLastError), without the final line break.
std::string ErrorText(unsigned long error);

}  // namespace lintara::win32
