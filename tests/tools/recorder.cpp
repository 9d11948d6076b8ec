// Test stand-in for a client program. Records the time it started, its argv and its
// standard input to a file, each field length-prefixed so any bytes survive:
//   $LINTARA_RECORD, else $LINTARA_RECORD_DIR/<name>.record, else argv[0].record.
// With LINTARA_RECORD_SLEEP=N it stays alive N seconds after recording.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace {
void Field(std::ofstream& out, const char* name, const std::string& value) {
    out << name << ' ' << value.size() << ' ' << value << '\n';
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
        std::string name = argv[0];
        name = name.substr(name.find_last_of('/') + 1);
        const char* folder = std::getenv("LINTARA_RECORD_DIR");
        path = folder ? std::string(folder) + "/" + name + ".record"
                      : std::string(argv[0]) + ".record";
    }
    const std::string partial = path + ".part";
    {
        std::ofstream out(partial, std::ios::binary);
        char stamp[64];
        std::snprintf(stamp, sizeof stamp, "%lld.%09ld", static_cast<long long>(now.tv_sec),
                      now.tv_nsec);
        Field(out, "time", stamp);
        for (int i = 0; i < argc; ++i) Field(out, "arg", argv[i]);
        std::string input((std::istreambuf_iterator<char>(std::cin)),
                          std::istreambuf_iterator<char>());
        Field(out, "stdin", input);
    }
    // Renamed when complete, so a reader never sees half a record.
    std::rename(partial.c_str(), path.c_str());
    if (const char* sleep = std::getenv("LINTARA_RECORD_SLEEP")) ::sleep(std::atoi(sleep));
    return 0;
}
