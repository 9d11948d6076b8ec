// Reads what the recorder program wrote, waiting for it to appear.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempFolder.h"

namespace lintara::test {

struct Record {
    std::string time;
    std::vector<std::string> argv;
    std::string standardInput;
};

inline std::optional<Record> ParseRecord(const std::string& bytes) {
    Record record;
    std::size_t p = 0;
    while (p < bytes.size()) {
        const auto space = bytes.find(' ', p);
        const auto space2 = bytes.find(' ', space + 1);
        if (space == std::string::npos || space2 == std::string::npos) return std::nullopt;
        const std::string name = bytes.substr(p, space - p);
        const std::size_t size = std::stoul(bytes.substr(space + 1, space2 - space - 1));
        const std::string value = bytes.substr(space2 + 1, size);
        p = space2 + 1 + size + 1;
        if (name == "time") record.time = value;
        if (name == "arg") record.argv.push_back(value);
        if (name == "stdin") record.standardInput = value;
    }
    return record;
}

// Waits up to timeout for the record file; none means the program never ran.
inline std::optional<Record> ReadRecord(
    const std::string& path, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!std::filesystem::exists(path)) {
        if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ParseRecord(ReadFile(path));
}

}  // namespace lintara::test
