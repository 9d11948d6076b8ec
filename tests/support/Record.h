// Reads what the recorder program wrote, waiting for it to appear.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempFolder.h"

namespace lintara::test {

struct Record {
    std::string time, pid, sid;
    std::vector<std::string> argv;
    std::string standardInput;
};

// A record is a list of fields "name size value\n"; names may repeat.
using Fields = std::vector<std::pair<std::string, std::string>>;

inline std::optional<Fields> ParseFields(const std::string& bytes) {
    Fields fields;
    std::size_t p = 0;
    while (p < bytes.size()) {
        const auto space = bytes.find(' ', p);
        const auto space2 = bytes.find(' ', space + 1);
        if (space == std::string::npos || space2 == std::string::npos) return std::nullopt;
        const std::size_t size = std::stoul(bytes.substr(space + 1, space2 - space - 1));
        fields.emplace_back(bytes.substr(p, space - p), bytes.substr(space2 + 1, size));
        p = space2 + 1 + size + 1;
    }
    return fields;
}

inline std::optional<Record> ParseRecord(const std::string& bytes) {
    const auto fields = ParseFields(bytes);
    if (!fields) return std::nullopt;
    Record record;
    for (const auto& [name, value] : *fields) {
        if (name == "time") record.time = value;
        if (name == "pid") record.pid = value;
        if (name == "sid") record.sid = value;
        if (name == "arg") record.argv.push_back(value);
        if (name == "stdin") record.standardInput = value;
    }
    return record;
}

// Waits up to timeout for a record file to appear (records are renamed into place
// complete); false means the program never wrote it.
inline bool WaitForFile(const std::string& path, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Waits up to timeout for the record file; none means the program never ran.
inline std::optional<Record> ReadRecord(
    const std::string& path, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    if (!WaitForFile(path, timeout)) return std::nullopt;
    return ParseRecord(ReadFile(path));
}

}  // namespace lintara::test
