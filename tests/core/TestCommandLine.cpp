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

TEST(UntrustedHostProblem, RejectsWhatCouldBecomeAnOption) {
    for (const std::string ok : {"myhost", "10.0.0.1", "[::1]", "h:8080", "$(x)", ";x", ""}) {
        EXPECT_EQ(lintara::UntrustedHostProblem(ok), "") << ok;
    }
    for (const std::string& bad :
         std::vector<std::string>{"-oProxyCommand=x", "a b", "a\tb", "a\nb", std::string("a\0b", 3),
                                  "a\"b", "a'b", "a\x7f"}) {
        EXPECT_NE(lintara::UntrustedHostProblem(bad), "") << bad;
    }
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
