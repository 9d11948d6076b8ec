// Command-line host and Windows argument splitting.
#include "core/command_line.h"

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

std::string UntrustedHostProblem(const std::string& host) {
    if (!host.empty() && host[0] == '-')
        return "it begins with \"-\" and would be read as an option";
    for (unsigned char c : host) {
        if (c == ' ' || c == '\t') return "it holds a blank";
        if (c < 0x20 || c == 0x7F) return "it holds a control character";
        if (c == '"' || c == '\'') return "it holds a quotation mark";
    }
    return {};
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
