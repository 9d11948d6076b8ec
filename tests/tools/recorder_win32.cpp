// Test stand-in for a client program on Windows: writes its raw command line (UTF-8) to
// %LINTARA_RECORD_DIR%\<name>.record, name being its own file name without ".exe", and
// exits with LINTARA_RECORD_EXIT (default 0), after LINTARA_RECORD_SLEEP milliseconds. Does nothing
// else, so what a test reads is exactly the line CreateProcess handed over.
#include <windows.h>

#include <string>

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t value[1024];
    const DWORD n = ::GetEnvironmentVariableW(name, value, 1024);
    return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

}  // namespace

int wmain() {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring name(self, length);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    if (name.size() > 4 && ::lstrcmpiW(name.c_str() + name.size() - 4, L".exe") == 0) {
        name.resize(name.size() - 4);
    }
    const std::wstring folder = Variable(L"LINTARA_RECORD_DIR");
    const std::wstring path =
        (folder.empty() ? std::wstring(L".") : folder) + L"\\" + name + L".record";

    const wchar_t* line = ::GetCommandLineW();
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line, -1, text.data(), size, nullptr, nullptr);

    // Written under a temporary name and moved, so a reader never sees half a record.
    const std::wstring partial = path + L".part";
    HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    ::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    ::Sleep(static_cast<DWORD>(_wtoi(Variable(L"LINTARA_RECORD_SLEEP").c_str())));
    return _wtoi(Variable(L"LINTARA_RECORD_EXIT").c_str());
}
