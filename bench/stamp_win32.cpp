// Stands in for a client in the Windows Connect figures: stamps the wall-clock time
// first thing, in the form the measuring tool reads ("time SIZE SECONDS.NANOS"), to the
// file %LINTARA_RECORD% names. A window program, as most clients are: a console one would
// get a console window of its own, which would show up in the next start-up figure.
#include <windows.h>

#include <cstdio>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    FILETIME now;
    ::GetSystemTimePreciseAsFileTime(&now);
    // 100 ns units since 1601 to seconds since 1970.
    const unsigned long long ticks =
        ((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime) -
        116444736000000000ULL;
    char stamp[64];
    const int length = std::snprintf(stamp, sizeof stamp, "%llu.%07llu00", ticks / 10000000ULL,
                                     ticks % 10000000ULL);
    char record[96];
    const int size = std::snprintf(record, sizeof record, "time %d %s\n", length, stamp);
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetEnvironmentVariableW(L"LINTARA_RECORD", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 2;
    HANDLE file = ::CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, record, static_cast<DWORD>(size), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == static_cast<DWORD>(size) ? 0 : 1;
}
