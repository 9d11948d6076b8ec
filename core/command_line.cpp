// Command-line host and Windows argument splitting.
#include "core/command_line.h"

#include <algorithm>

#include "core/address.h"

namespace lintara {

std::string HostFromCommandLine(const std::string& commandLineText) {
    const auto first = commandLineText.find('/');
    if (first == std::string::npos) return {};
    const auto second = commandLineText.find('/', first + 1);
    if (second == std::string::npos) return {};
    const auto third = commandLineText.find('/', second + 1);
    return commandLineText.substr(
        second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
}

namespace {

constexpr std::size_t kMaxHostName = 253;

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

// Letters, digits, "-" and "_" in labels joined by "."; none empty, none beginning or
// ending with "-"; an optional final ".".
bool IsHostName(std::string_view name) {
    if (name.empty() || name.size() > kMaxHostName) return false;
    if (name.back() == '.') name.remove_suffix(1);
    if (name.empty()) return false;
    std::size_t begin = 0;
    for (;;) {
        const auto end = std::min(name.find('.', begin), name.size());
        const std::string_view label = name.substr(begin, end - begin);
        if (label.empty() || label.front() == '-' || label.back() == '-') return false;
        for (const char c : label) {
            if (!IsNameCharacter(c)) return false;
        }
        if (end == name.size()) return true;
        begin = end + 1;
    }
}

}  // namespace

std::string UntrustedHostProblem(const std::string& host) {
    if (host.empty()) return {};  // nothing is taken, and nothing is wrong
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        if (ParsesAsAddress(host.substr(1, host.size() - 2), true)) return {};
        return "it is not an IPv6 address";
    }
    if (ParsesAsAddress(host, false) || ParsesAsAddress(host, true)) return {};
    // A name made of digits and dots alone is a malformed address, not a name.
    if (host.find_first_not_of("0123456789.") == std::string::npos)
        return "it is not a valid IPv4 address";
    if (host.size() > kMaxHostName) return "it is longer than a host name can be";
    if (!IsHostName(host)) return "it is neither a host name nor an IP address";
    return {};
}

std::string ShownSafely(std::string_view text, std::size_t maxLength) {
    static const char hex[] = "0123456789ABCDEF";
    std::string shown;
    std::size_t count = 0;
    for (const char c : text) {
        if (count == maxLength) return shown + "...";
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            shown += c;
        } else {
            shown += "\\x";
            shown += hex[byte >> 4];
            shown += hex[byte & 0xF];
        }
        ++count;
    }
    return shown;
}

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
}  // namespace

std::vector<std::string> SplitArguments(std::string_view s) {
    std::vector<std::string> args;
    std::size_t p = 0;
    for (;;) {
        while (p < s.size() && IsBlank(s[p])) ++p;
        if (p >= s.size()) break;
        std::string arg;
        bool inQuotes = false;
        while (p < s.size() && (inQuotes || !IsBlank(s[p]))) {
            if (s[p] == '\\') {
                std::size_t n = 0;
                while (p < s.size() && s[p] == '\\') ++n, ++p;
                if (p < s.size() && s[p] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2 == 1) {
                        arg.push_back('"');
                        ++p;
                    }
                } else {
                    arg.append(n, '\\');
                }
            } else if (s[p] == '"') {
                if (inQuotes && p + 1 < s.size() && s[p + 1] == '"') {
                    arg.push_back('"');
                    p += 2;
                } else {
                    inQuotes = !inQuotes;
                    ++p;
                }
            } else {
                arg.push_back(s[p++]);
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    // The program name has a simpler rule: quotes only group, backslashes are literal.
    std::string program;
    bool inQuotes = false;
    std::size_t p = 0;
    for (; p < commandLine.size() && (inQuotes || !IsBlank(commandLine[p])); ++p) {
        if (commandLine[p] == '"') {
            inQuotes = !inQuotes;
        } else {
            program.push_back(commandLine[p]);
        }
    }
    std::vector<std::string> argv{program};
    for (auto& arg : SplitArguments(std::string_view(commandLine).substr(p))) {
        argv.push_back(std::move(arg));
    }
    return argv;
}

}  // namespace lintara
