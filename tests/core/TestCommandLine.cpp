// The host handed on the command line, and Windows command-line splitting.
#include <gtest/gtest.h>

#include "core/command_line.h"

namespace {

TEST(HostFromCommandLine, ThirdSlashField) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"lintara://myhost/", "myhost"},
        {"lintara://myhost", "myhost"},
        {"lintara://myhost/extra/more", "myhost"},
        {"x://", ""},
        {"//", ""},
        {"/", ""},
        {"plainhost", ""},
        {"", ""},
        {" a:// spaced host /", " spaced host "},
        {"a:///", ""},
    };
    for (const auto& [text, host] : cases) {
        EXPECT_EQ(lintara::HostFromCommandLine(text), host) << text;
    }
}

TEST(UntrustedHostProblem, SaysWhyInWords) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"myhost", ""},
        {"", ""},
        {"[::1]", ""},
        {"[server]", "it is not an IPv6 address"},
        {"1.2.3", "it is not a valid IPv4 address"},
        {std::string(254, 'a'), "it is longer than a host name can be"},
        {"a;b", "it is neither a host name nor an IP address"},
    };
    for (const auto& [host, why] : cases)
        EXPECT_EQ(lintara::UntrustedHostProblem(host), why) << host;
}

TEST(ShownSafely, PlainCharactersOnlyAndShort) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain.host", "plain.host"},
        {"\xE2\x80\xAE"
         "abc",
         "\\xE2\\x80\\xAEabc"},
        {"a\nb\tc", "a\\x0Ab\\x09c"},
        {std::string(100, 'x'), std::string(80, 'x') + "..."},
    };
    for (const auto& [text, shown] : cases) EXPECT_EQ(lintara::ShownSafely(text), shown);
}

using Argv = std::vector<std::string>;

TEST(SplitCommandLine, MicrosoftDocumentedExamples) {
    // Each line is preceded by a program name, which has its own rule.
    const std::vector<std::pair<std::string, Argv>> cases = {
        {R"("a b c" d e)", {"a b c", "d", "e"}},
        {R"("ab\"c" "\\" d)", {"ab\"c", "\\", "d"}},
        {R"(a\\\b d"e f"g h)", {"a\\\\\\b", "de fg", "h"}},
        {R"(a\\\"b c d)", {"a\\\"b", "c", "d"}},
        {R"(a\\\\"b c" d e)", {"a\\\\b c", "d", "e"}},
        {R"(a"b"" c d)", {"ab\" c d"}},
    };
    for (const auto& [args, expected] : cases) {
        Argv want{"prog"};
        want.insert(want.end(), expected.begin(), expected.end());
        EXPECT_EQ(lintara::SplitCommandLine("prog " + args), want) << args;
    }
}

TEST(SplitCommandLine, ProgramNameRule) {
    const std::vector<std::pair<std::string, Argv>> cases = {
        {R"("C:\Program Files\x.exe" -a)", {R"(C:\Program Files\x.exe)", "-a"}},
        {R"(C:\"Program Files"\x.exe)", {R"(C:\Program Files\x.exe)"}},
        {R"(C:\dir\ -a)", {R"(C:\dir\)", "-a"}},
        {R"(prog\"x y)", {R"(prog\x y)"}},
        {"ping -t  host", {"ping", "-t", "host"}},
        {"prog\targ", {"prog", "arg"}},
        {"prog ", {"prog"}},
        {"", {""}},
        {"prog \"unterminated arg", {"prog", "unterminated arg"}},
        {"prog \"\"", {"prog", ""}},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(lintara::SplitCommandLine(line), expected) << line;
    }
}

}  // namespace
