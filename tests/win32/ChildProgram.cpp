// Stand-in for a started program on Windows: records its raw command line, how it was
// asked to show its window, and what the services report inside it, to the file named
// by LINTARA_CHILD_RECORD. With LINTARA_CHILD_EVENT it first waits for that event.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/win32/win32_services.h"

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[1024];
    const DWORD n = ::GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

void Field(std::ofstream& out, const char* name, const std::string& value) {
    out << name << ' ' << value.size() << ' ' << value << '\n';
}

}  // namespace

int main() {
    const std::wstring record = Environment(L"LINTARA_CHILD_RECORD");
    if (record.empty()) return 2;
    std::string waited = "no";
    const std::wstring event = Environment(L"LINTARA_CHILD_EVENT");
    if (!event.empty()) {
        HANDLE handle = ::OpenEventW(SYNCHRONIZE, FALSE, event.c_str());
        // Bounded, so a starter that waits for us shows up as "timeout" rather than a hang.
        waited = handle && ::WaitForSingleObject(handle, 30000) == WAIT_OBJECT_0 ? "signalled"
                                                                                 : "timeout";
        if (handle) ::CloseHandle(handle);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ::GetStartupInfoW(&startup);
    lintara::Win32Services services;

    const std::wstring partial = record + L".part";
    {
        std::ofstream out(std::filesystem::path(partial), std::ios::binary);
        Field(out, "raw", Utf8(::GetCommandLineW()));
        Field(out, "arguments", services.CommandLineText());
        Field(out, "folder", services.ApplicationFolder());
        Field(out, "usesShowWindow", (startup.dwFlags & STARTF_USESHOWWINDOW) ? "yes" : "no");
        Field(out, "showWindow", std::to_string(startup.wShowWindow));
        Field(out, "waited", waited);
    }
    // Moved into place when complete, so a reader never sees half a record.
    ::MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING);
    return 0;
}
