// The settings backend on Windows: the kernel32 private-profile functions. A batch of
// writes goes to a copy of the file beside it, which then replaces the file in one move.
#include "core/settings_backend.h"

#include <windows.h>

#include <cstdint>
#include <random>

#include "platform/win32/text_convert.h"

namespace lintara::backend {
namespace {

using win32::ErrorText;
using win32::Narrow;
using win32::Widen;

// No settings value comes near this; it only bounds the buffer's growth.
constexpr DWORD kLargestBuffer = 1u << 26;

void SetReason(std::string* reason, const std::string& text) {
    if (reason) *reason = text;
}

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring NameOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Serialises writers of one file across the processes of the session, so no update is
// lost between copying the file and moving the copy back.
class WriterLock {
  public:
    explicit WriterLock(const std::wstring& path) {
        std::wstring full(MAX_PATH, L'\0');
        DWORD n =
            ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n >= full.size()) {
            full.resize(n);
            n = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
        }
        full.resize(n < full.size() ? n : 0);
        if (full.empty()) full = path;
        ::CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
        std::uint64_t hash = 14695981039346656037ULL;  // FNV-1a
        for (wchar_t c : full) hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ULL;
        wchar_t name[64];
        ::wsprintfW(name, L"Local\\lintara-settings-%08lx%08lx",
                    static_cast<unsigned long>(hash >> 32), static_cast<unsigned long>(hash));
        m_mutex = ::CreateMutexW(nullptr, FALSE, name);
        if (m_mutex) {
            const DWORD waited = ::WaitForSingleObject(m_mutex, INFINITE);
            m_held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        }
    }
    ~WriterLock() {
        if (m_held) ::ReleaseMutex(m_mutex);
        if (m_mutex) ::CloseHandle(m_mutex);
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

  private:
    HANDLE m_mutex = nullptr;
    bool m_held = false;
};

// Copies are "~<name>.<number>.tmp" beside the file.
std::wstring TemporaryPattern(const std::wstring& target) {
    return FolderOf(target) + L"~" + NameOf(target) + L".*.tmp";
}

void RemoveFile(const std::wstring& path) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // a copy of a read-only file
    ::DeleteFileW(path.c_str());
}

// A writer that died between copying and moving leaves its copy behind. Under the lock
// no other writer is half-way, so any such copy is stale.
void RemoveStaleCopies(const std::wstring& target) {
    const std::wstring prefix = L"~" + NameOf(target) + L".";
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(TemporaryPattern(target).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name.size() <= prefix.size() + 4) continue;
        const std::wstring number = name.substr(prefix.size(), name.size() - prefix.size() - 4);
        if (number.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        RemoveFile(FolderOf(target) + name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

// Makes the copy: the file's bytes and attributes, or an empty file when there is none.
bool CreateCopy(const std::wstring& target, bool exists, std::wstring& copy, std::string* reason) {
    static std::mt19937 random(std::random_device{}());
    DWORD error = 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        copy = FolderOf(target) + L"~" + NameOf(target) + L"." +
               std::to_wstring(random() % 1000000000u) + L".tmp";
        bool made = false;
        if (exists) {
            made = ::CopyFileW(target.c_str(), copy.c_str(), TRUE) != 0;
        } else {
            HANDLE file = ::CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
            made = file != INVALID_HANDLE_VALUE;
            if (made) ::CloseHandle(file);
        }
        if (made) return true;
        error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    SetReason(reason, "cannot make a copy in its folder (" + ErrorText(error) + ")");
    return false;
}

}  // namespace

std::string GetProfileValue(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& defaultValue) {
    // The function fills the buffer to size - 1 when the value does not fit: grow and
    // read again until the value comes back whole.
    std::string buffer(256, '\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD n = ::GetPrivateProfileStringA(
            section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(), size, path.c_str());
        if (n + 1 < size || size >= kLargestBuffer) {
            buffer.resize(n);
            return buffer;
        }
        buffer.assign(static_cast<std::size_t>(size) * 2, '\0');
    }
}

bool PutProfileValues(const std::string& path, const std::vector<SettingWrite>& writes,
                      std::string* reason) {
    const std::wstring target = Widen(path);
    if (target.empty() || NameOf(target).empty()) {
        SetReason(reason, "no file name");
        return false;
    }
    WriterLock lock(target);

    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetReason(reason, "it is not an ordinary file");
        return false;
    }
    // The move below would replace a read-only file where the system allows it; the
    // private-profile functions never write one.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetReason(reason, ErrorText(ERROR_ACCESS_DENIED));
        return false;
    }
    RemoveStaleCopies(target);

    std::wstring copy;
    if (!CreateCopy(target, exists, copy, reason)) return false;
    const std::string copyName = Narrow(copy);
    for (const auto& write : writes) {
        if (!::WritePrivateProfileStringA(write.section.c_str(), write.key.c_str(),
                                          write.value.c_str(), copyName.c_str())) {
            SetReason(reason, ErrorText(::GetLastError()));
            RemoveFile(copy);
            return false;
        }
    }
    // Nothing of the copy may stay in a cache or in flight when it takes the file's place.
    ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, copyName.c_str());
    HANDLE file = ::CreateFileW(copy.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::FlushFileBuffers(file);
        ::CloseHandle(file);
    }
    if (!::MoveFileExW(copy.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        SetReason(reason, ErrorText(::GetLastError()));
        RemoveFile(copy);
        return false;
    }
    return true;
}

}  // namespace lintara::backend
