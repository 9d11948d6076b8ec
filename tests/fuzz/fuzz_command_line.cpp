// Command-line host and splitting: quoting any argv and splitting it again gives it back.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

// The usual quoting for the C runtime's rules.
std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            out.append(backslashes * 2 + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, '\\');
    out.push_back('"');
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string host = lintara::HostFromCommandLine(text);
    LINTARA_FUZZ_CHECK(host.find('/') == std::string::npos);
    LINTARA_FUZZ_CHECK(host.empty() || text.find(host) != std::string::npos);
    const auto argv = lintara::SplitCommandLine(text);
    LINTARA_FUZZ_CHECK(!argv.empty());

    std::vector<std::string> args = lintara::fuzz::Fields(data, size, 4);
    std::string line = "prog";
    for (const auto& arg : args) line += " " + Quote(arg);
    std::vector<std::string> expected{"prog"};
    expected.insert(expected.end(), args.begin(), args.end());
    LINTARA_FUZZ_CHECK(lintara::SplitCommandLine(line) == expected);
    return 0;
}
