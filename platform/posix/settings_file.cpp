// The settings backend on POSIX: the portable engine over a file that is replaced
// atomically, under a lock on its folder, keeping its mode.
#include "core/ini_engine.h"
#include "core/settings_backend.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lintara::backend {
namespace {

std::string ErrnoText(int error) {
    return std::strerror(error);
}

void SetReason(std::string* reason, const std::string& text) {
    if (reason) *reason = text;
}

class Fd {
  public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

  private:
    int m_fd;
};

enum class ReadOutcome { Read, Missing, Failed };

// Reads a regular file whole. A FIFO, device or folder is never opened for reading in
// a way that could block.
ReadOutcome ReadRegularFile(const std::string& path, std::string& bytes, struct stat& info,
                            std::string* reason) {
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) return ReadOutcome::Missing;
        SetReason(reason, ErrnoText(errno));
        return ReadOutcome::Failed;
    }
    if (::fstat(fd.get(), &info) != 0) {
        SetReason(reason, ErrnoText(errno));
        return ReadOutcome::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        SetReason(reason, "it is not an ordinary file");
        return ReadOutcome::Failed;
    }
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            SetReason(reason, ErrnoText(errno));
            return ReadOutcome::Failed;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return ReadOutcome::Read;
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The file that a write must replace: the settings path itself, or the file a link
// names (so the link survives the replacement).
bool ResolveTarget(const std::string& path, std::string& target, std::string* reason) {
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        target = path;
        return true;
    }
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        SetReason(reason, "it is a link to nothing (" + ErrnoText(errno) + ")");
        return false;
    }
    target = resolved;
    return true;
}

// Temporary files are ".<name>.<number>.tmp" beside the target.
std::string TemporaryPrefix(const std::string& target) {
    const auto slash = target.find_last_of('/');
    return "." + (slash == std::string::npos ? target : target.substr(slash + 1)) + ".";
}

// A writer killed between creating its temporary file and renaming it leaves the file
// behind. Under the lock no other writer is half-way, so any such file is stale.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string prefix = TemporaryPrefix(target);
    DIR* folder = ::opendir(FolderOf(target).c_str());
    if (folder == nullptr) return;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.size() > prefix.size() + 4 && name.compare(0, prefix.size(), prefix) == 0 &&
            name.compare(name.size() - 4, 4, ".tmp") == 0) {
            ::unlinkat(::dirfd(folder), name.c_str(), 0);
        }
    }
    ::closedir(folder);
}

std::string TemporaryName(const std::string& target) {
    static std::mt19937_64 random(std::random_device{}());
    return FolderOf(target) + "/" + TemporaryPrefix(target) +
           std::to_string(random() % 1000000000ULL) + ".tmp";
}

// Writes bytes to a new file beside target and renames it over target.
bool ReplaceFile(const std::string& target, const std::string& bytes, const struct stat* old,
                 std::string* reason) {
    std::string temporary;
    int raw = -1;
    for (int attempt = 0; attempt < 16 && raw < 0; ++attempt) {
        temporary = TemporaryName(target);
        raw = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (raw < 0 && errno != EEXIST) break;
    }
    if (raw < 0) {
        SetReason(reason, "cannot create a file in its folder (" + ErrnoText(errno) + ")");
        return false;
    }
    Fd fd(raw);
    bool ok = true;
    int error = 0;
    if (old) {
        // Keep the owner where we may, and the mode always.
        if (::fchown(fd.get(), old->st_uid, old->st_gid) != 0) { /* not ours to change */
        }
        if (::fchmod(fd.get(), old->st_mode & 07777) != 0) ok = false, error = errno;
    }
    if (ok && !WriteAll(fd.get(), bytes)) ok = false, error = errno;
    if (ok && ::fsync(fd.get()) != 0) ok = false, error = errno;
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) ok = false, error = errno;
    if (!ok) {
        ::unlink(temporary.c_str());
        SetReason(reason, ErrnoText(error));
        return false;
    }
    Fd folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return true;
}

}  // namespace

std::string GetProfileValue(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& defaultValue) {
    std::string bytes;
    struct stat info;
    if (ReadRegularFile(path, bytes, info, nullptr) != ReadOutcome::Read) bytes.clear();
    return ini::GetProfileString(bytes, section, key, defaultValue, ini::kUnlimited);
}

bool PutProfileValues(const std::string& path, const std::vector<SettingWrite>& writes,
                      std::string* reason) {
    std::string target;
    if (!ResolveTarget(path, target, reason)) return false;

    // Writers in other processes wait here, so no update is lost between read and rename.
    Fd folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        SetReason(reason, "cannot open its folder (" + ErrnoText(errno) + ")");
        return false;
    }
    while (::flock(folder.get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            SetReason(reason, "cannot lock its folder (" + ErrnoText(errno) + ")");
            return false;
        }
    }

    std::string before;
    struct stat info;
    const ReadOutcome outcome = ReadRegularFile(target, before, info, reason);
    if (outcome == ReadOutcome::Failed) return false;
    // A read-only settings file is the user's way of saying "leave it": the rename
    // below would replace it regardless, so refuse here as the Windows functions do.
    if (outcome == ReadOutcome::Read &&
        ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        SetReason(reason, "the file is read-only (" + ErrnoText(errno) + ")");
        return false;
    }

    std::string after = before;
    for (const auto& write : writes) {
        after = ini::WriteProfileString(after, write.section, write.key, write.value);
    }
    if (outcome == ReadOutcome::Read && after == before) return true;
    RemoveStaleTemporaries(target);
    return ReplaceFile(target, after, outcome == ReadOutcome::Read ? &info : nullptr, reason);
}

}  // namespace lintara::backend
