// The portable INI engine against the system's own GetPrivateProfileStringA and
// WritePrivateProfileStringA: generated documents and operations, applied to both.
// Seeded, so a failure is reproduced by its seed and case number:
//   LINTARA_DIFF_SEED (default 20240611), LINTARA_DIFF_CASES (default 3000).
#include <gtest/gtest.h>

#include <windows.h>
// windows.h maps these names to its own win.ini functions; here they are the engine's.
#undef GetProfileString
#undef WriteProfileString

#include <cstdint>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/ini_engine.h"
#include "tests/support/TempFolder.h"

namespace {

using lintara::test::ReadFile;
using lintara::test::TempFolder;
using lintara::test::WriteFile;

constexpr std::uint32_t kDefaultSeed = 20240611;
constexpr int kDefaultCases = 3000;
constexpr DWORD kBuffer = 255;  // the size every reader passes

int FromEnvironment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::atoi(text) : fallback;
}

// Printable form of a byte string for failure messages.
std::string Shown(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// Draws documents and operations from the inputs on which the system's functions are
// known to behave like Windows. Kept out: ";" lines holding "=", "[" without "]", tabs
// at the ends of the section and key arguments, a UTF-8 byte-order mark, and keys
// before the first section header.
class Generator {
  public:
    explicit Generator(std::uint32_t seed) : m_random(seed) {}

    std::size_t Below(std::size_t n) { return m_random() % n; }
    bool Chance(int percent) { return static_cast<int>(Below(100)) < percent; }
    template <typename T>
    const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }

    // A name as it may stand in the file or in a call: another letter case at times.
    std::string Spelling(const std::string& name) {
        std::string out = name;
        if (Chance(30)) {
            for (char& c : out) {
                if (c >= 'a' && c <= 'z' && Chance(50))
                    c = static_cast<char>(c - 'a' + 'A');
                else if (c >= 'A' && c <= 'Z' && Chance(50))
                    c = static_cast<char>(c - 'A' + 'a');
            }
        }
        return out;
    }

    std::string Blanks(int percent) {
        if (!Chance(percent)) return "";
        return Pick(std::vector<std::string>{" ", "  ", "\t", " \t "});
    }

    std::string Section() { return Pick(m_sections); }
    std::string Key() { return Pick(m_keys); }

    std::string Value() {
        switch (Below(12)) {
            case 0:
                return "";
            case 1:
                return Long();
            default:
                return Pick(m_values);
        }
    }

    std::string Long() {
        std::string out;
        const std::size_t size = 240 + Below(40);
        while (out.size() < size) out += Chance(85) ? static_cast<char>('a' + Below(26)) : ' ';
        return out;
    }

    // An argument of a call: spaces (never tabs) may surround it. Wine keeps the trailing
    // spaces of a new section or key name, which Windows removes, so writes have none.
    std::string Argument(const std::string& name, bool forWrite) {
        const std::string pad[] = {" ", "  "};
        return (Chance(15) ? pad[Below(2)] : "") + Spelling(name) +
               (!forWrite && Chance(15) ? pad[Below(2)] : "");
    }

    std::string Default() {
        switch (Below(8)) {
            case 0:
                return "";
            case 1:
                return "  two  words  ";
            case 2:
                return "tab\t";
            case 3:
                return Long();
            default:
                return "NOTCONFIGURED";
        }
    }

    std::string LineBreak() {
        switch (Below(10)) {
            case 0:
                return "\n";
            case 1:
                return "\r";
            default:
                return "\r\n";
        }
    }

    // tidy: the functions' own layout, so that writes are compared byte for byte.
    std::string Document(bool tidy) {
        std::vector<std::string> lines;
        // Only comments and blank lines before the first header.
        const int mess = tidy ? 0 : 100;  // scales every departure from that layout
        if (Chance(20)) lines.push_back(tidy ? "; settings" : Pick(m_comments));
        if (Chance(mess / 10)) lines.push_back("");
        const std::size_t sections = Below(5);
        for (std::size_t s = 0; s < sections; ++s) {
            std::string header = Blanks(mess * 15 / 100) + "[" + Blanks(mess * 15 / 100) +
                                 Spelling(Section()) + Blanks(mess * 15 / 100) + "]";
            if (Chance(mess / 20)) {
                header += Pick(std::vector<std::string>{" ; note", "Program=inline"});
            }
            lines.push_back(header);
            const std::size_t keys = Below(5);
            for (std::size_t k = 0; k < keys; ++k) {
                switch (Below(14)) {
                    case 0:
                        // Where a new key goes after a section's closing comments is not
                        // settled for Windows, and Wine puts it after them: a tidy section
                        // always has a key after a comment.
                        lines.push_back(tidy ? "; settings" : Pick(m_comments));
                        if (!tidy) break;
                        [[fallthrough]];
                    case 1:
                        if (!tidy) {
                            lines.push_back(Chance(50) ? "" : "   ");
                            break;
                        }
                        [[fallthrough]];
                    case 2:
                        if (!tidy) {
                            lines.push_back("text without an equals sign");
                            break;
                        }
                        [[fallthrough]];
                    default: {
                        std::string value = Value();
                        if (tidy) value = Tidy(value);
                        lines.push_back(Blanks(mess * 15 / 100) + Spelling(Key()) +
                                        Blanks(mess / 5) + "=" + Blanks(mess / 5) + value +
                                        Blanks(mess / 10));
                        break;
                    }
                }
            }
        }
        std::string document;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            document += lines[i];
            if (tidy || i + 1 < lines.size() || Chance(90)) document += tidy ? "\r\n" : LineBreak();
        }
        return document;
    }

    // The value as the functions would write it on one line, without outer blanks.
    static std::string Tidy(std::string value) {
        value = value.substr(0, value.find_first_of("\r\n"));
        while (!value.empty() && value.back() == ' ') value.pop_back();
        return value;
    }

  private:
    std::mt19937 m_random;
    const std::vector<std::string> m_sections = {"RemoteDesktop", "RDPConsole", "VNC",
                                                 "SSH",           "FTP",        "DefaultConnection",
                                                 "Drive Letter",  "x",          "caf\xE9"};
    const std::vector<std::string> m_keys = {"Program",      "Options",  "Type",    "k",
                                             "Drive Letter", "#Program", "caf\xE9", "a.b"};
    const std::vector<std::string> m_comments = {"; settings", ";", "  ; indented [VNC]",
                                                 ";Program"};
    const std::vector<std::string> m_values = {
        "C:\\Windows\\System32\\mstsc.exe",
        "/v:HOST:PORT /admin",
        "\"C:\\Program Files\\VNC\\vncviewer.exe\"",
        "\"  -v HOST  \"",
        "'single'",
        "\"say \"hi\" now\"",
        "\"unmatched",
        "HOST PORT\"",
        "'abc\"",
        "\"\"",
        "''",
        "/w=800 /h==600=",
        "HOST ;PORT",
        ";telnet.exe",
        "two  inner  blanks",
        "SSH",
        "caf\xE9 \x80",
        "HOST\r\nPORT=23",
    };
};

// The layout the functions themselves write: CR LF after every line, no blank lines,
// headers as "[Name]", keys as "key=value" with no blanks around "=", comments.
bool IsNormalForm(const std::string& document) {
    std::size_t p = 0;
    while (p < document.size()) {
        const auto end = document.find("\r\n", p);
        if (end == std::string::npos) return false;
        const std::string line = document.substr(p, end - p);
        p = end + 2;
        if (line.find_first_of("\r\n") != std::string::npos || line.empty()) return false;
        if (line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']' || line.find(']') != line.size() - 1) return false;
            const std::string name = line.substr(1, line.size() - 2);
            if (name.empty() || name.front() == ' ' || name.front() == '\t' || name.back() == ' ' ||
                name.back() == '\t') {
                return false;
            }
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos || eq == 0) return false;
        const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
        if (isBlank(line[0]) || isBlank(line[eq - 1])) return false;
        if (eq + 1 < line.size() && (isBlank(line[eq + 1]) || isBlank(line.back()))) return false;
    }
    return true;
}

// UTF-16LE with its byte-order mark, from code page 1252 text.
std::string Utf16(const std::string& text) {
    const int n =
        ::MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    std::string out("\xFF\xFE", 2);
    for (wchar_t c : wide) {
        out.push_back(static_cast<char>(c & 0xFF));
        out.push_back(static_cast<char>((c >> 8) & 0xFF));
    }
    return out;
}

std::string SystemRead(const std::string& path, const std::string& section, const std::string& key,
                       const std::string& defaultValue, DWORD& count) {
    char buffer[kBuffer + 1] = {};
    count = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer,
                                       kBuffer, path.c_str());
    return std::string(buffer);
}

TEST(IniDifferential, EngineMatchesTheSystemFunctions) {
    const auto seed =
        static_cast<std::uint32_t>(FromEnvironment("LINTARA_DIFF_SEED", kDefaultSeed));
    const int caseCount = FromEnvironment("LINTARA_DIFF_CASES", kDefaultCases);
    ASSERT_EQ(::GetACP(), 1252u) << "the engine's UTF-16 files assume code page 1252";
    TempFolder folder;
    Generator generate(seed);
    int failures = 0, byteChecks = 0, readChecks = 0;

    for (int number = 0; number < caseCount && failures < 10; ++number) {
        std::string document = generate.Document(generate.Chance(50));
        // Now and then the same document in UTF-16LE, as the functions also read and write.
        if (generate.Chance(5)) document = Utf16(document);
        const bool exists = !document.empty() || generate.Chance(50);
        const std::string path = folder.file("case" + std::to_string(number) + ".ini");
        if (exists) WriteFile(path, document);
        std::ostringstream history;
        history << "seed " << seed << ", case " << number << ", file "
                << (exists ? Shown(document) : "(none)");
        bool sameBytes = true;  // the file still holds exactly the engine's document

        auto fail = [&](const std::string& what) {
            ADD_FAILURE() << history.str() << "\n  " << what;
            ++failures;
        };
        auto compareRead = [&](const std::string& section, const std::string& key,
                               const std::string& defaultValue) {
            DWORD count = 0;
            const std::string system = SystemRead(path, section, key, defaultValue, count);
            const std::string engine =
                lintara::ini::GetProfileString(document, section, key, defaultValue, kBuffer);
            ++readChecks;
            history << "\n  read " << Shown(section) << " " << Shown(key) << " "
                    << Shown(defaultValue) << " -> " << Shown(system);
            if (engine != system || count != engine.size()) {
                fail("engine read " + Shown(engine) + ", system read " + Shown(system) +
                     " (count " + std::to_string(count) + ")");
                return false;
            }
            return true;
        };

        const std::size_t operations = 2 + generate.Below(6);
        for (std::size_t op = 0; op < operations && failures < 10; ++op) {
            const bool write = generate.Chance(35);
            const std::string section = generate.Argument(generate.Section(), write);
            const std::string key = generate.Argument(generate.Key(), write);
            if (!write) {
                if (!compareRead(section, key, generate.Default())) break;
                continue;
            }
            const std::string value = generate.Value();
            const bool comparable = sameBytes && IsNormalForm(document) &&
                                    value.find_first_of("\r\n") == std::string::npos &&
                                    (value.empty() || (value[0] != ' ' && value[0] != '\t'));
            history << "\n  write " << Shown(section) << " " << Shown(key) << " " << Shown(value);
            if (!::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                              path.c_str())) {
                fail("the system refused the write");
                break;
            }
            document = lintara::ini::WriteProfileString(document, section, key, value);
            const std::string written = ReadFile(path);
            sameBytes = written == document;
            if (comparable) {
                ++byteChecks;
                if (!sameBytes) {
                    fail("engine wrote " + Shown(document) + "\n  system wrote " + Shown(written));
                    break;
                }
            }
            // What was written reads back alike, and so does another key.
            if (!compareRead(section, key, "NOTCONFIGURED")) break;
            if (!compareRead(generate.Section(), generate.Key(), "")) break;
        }
        ::WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
        ::DeleteFileA(path.c_str());
    }
    std::printf("seed %u: %d cases, %d reads and %d written files compared\n", seed, caseCount,
                readChecks, byteChecks);
    EXPECT_GT(byteChecks, caseCount / 10);  // the byte comparison really ran
}

}  // namespace
