// Test stand-in for a client program. Records the time it started, its argv and its
// standard input to a file, each field length-prefixed so any bytes survive:
//   $LINTARA_RECORD, else $LINTARA_RECORD_DIR/<name>.record, else argv[0].record.
// With LINTARA_RECORD_SLEEP=N it stays alive N seconds after recording; then it
// prints LINTARA_RECORD_PRINT to its standard output and LINTARA_RECORD_SAY to its
// error output, each if set, and exits with
// LINTARA_RECORD_EXIT (default 0), or ends by the signal LINTARA_RECORD_SIGNAL.
// Plain system calls only: it starts in the least time, so a benchmark measures the
// program that started it, not this stand-in.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

void Field(std::string& out, const char* name, const char* value, std::size_t size) {
    out += name;
    out += ' ';
    out += std::to_string(size);
    out += ' ';
    out.append(value, size);
    out += '\n';
}

}  // namespace

int main(int argc, char** argv) {
    // Time first, so a benchmark can see when exec handed over.
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    std::string path;
    if (const char* target = std::getenv("LINTARA_RECORD")) {
        path = target;
    } else {
        const char* slash = std::strrchr(argv[0], '/');
        const char* name = slash ? slash + 1 : argv[0];
        const char* folder = std::getenv("LINTARA_RECORD_DIR");
        path = folder ? std::string(folder) + "/" + name + ".record"
                      : std::string(argv[0]) + ".record";
    }
    std::string record;
    char stamp[64];
    const int length = std::snprintf(stamp, sizeof stamp, "%lld.%09ld",
                                     static_cast<long long>(now.tv_sec), now.tv_nsec);
    Field(record, "time", stamp, static_cast<std::size_t>(length));
    const std::string pid = std::to_string(::getpid()), sid = std::to_string(::getsid(0));
    Field(record, "pid", pid.data(), pid.size());
    Field(record, "sid", sid.data(), sid.size());
    for (int i = 0; i < argc; ++i) Field(record, "arg", argv[i], std::strlen(argv[i]));
    std::string input;
    char buffer[4096];
    // Inside a terminal standard input is the terminal itself, which never ends.
    while (!::isatty(STDIN_FILENO)) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) break;
        input.append(buffer, static_cast<std::size_t>(n));
    }
    Field(record, "stdin", input.data(), input.size());

    // Renamed when complete, so a reader never sees half a record.
    const std::string partial = path + ".part";
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return 1;
    const bool written =
        ::write(fd, record.data(), record.size()) == static_cast<ssize_t>(record.size());
    ::close(fd);
    if (!written || std::rename(partial.c_str(), path.c_str()) != 0) return 1;
    if (const char* sleep = std::getenv("LINTARA_RECORD_SLEEP")) ::sleep(std::atoi(sleep));
    if (const char* print = std::getenv("LINTARA_RECORD_PRINT")) {
        if (::write(STDOUT_FILENO, print, std::strlen(print)) < 0) return 1;
    }
    if (const char* say = std::getenv("LINTARA_RECORD_SAY")) {
        if (::write(STDERR_FILENO, say, std::strlen(say)) < 0) return 1;
    }
    if (const char* signal = std::getenv("LINTARA_RECORD_SIGNAL"))
        ::kill(::getpid(), std::atoi(signal));
    const char* exitCode = std::getenv("LINTARA_RECORD_EXIT");
    return exitCode ? std::atoi(exitCode) : 0;
}
