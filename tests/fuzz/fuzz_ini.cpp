// The INI engine: any bytes as a file; read any key; write then read back.
#include <cstddef>
#include <cstdint>

#include "core/ini_engine.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string TrimSpaces(std::string s) {
    s.erase(s.find_last_not_of(' ') + 1);
    s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
    return s;
}

// A name that the file can hold as written: one line, no '=' or ']', not read as a
// comment or a header, no blanks the file would drop.
bool Plain(const std::string& raw, bool section) {
    const std::string name = TrimSpaces(raw);
    if (name.empty() || IsBlank(name.front()) || IsBlank(name.back())) return false;
    if (name.front() == ';' || name.front() == '[') return false;
    for (char c : name) {
        if (c == '\r' || c == '\n' || c == '=' || (section && c == ']')) return false;
    }
    return true;
}

// What a value reads back as: its first line, blanks trimmed, one pair of quotes gone.
std::string ReadsBackAs(const std::string& value) {
    std::string v = value.substr(0, value.find_first_of("\r\n"));
    while (!v.empty() && IsBlank(v.back())) v.pop_back();
    std::size_t first = 0;
    while (first < v.size() && IsBlank(v[first])) ++first;
    v.erase(0, first);
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\'')) {
        v = v.substr(1, v.size() - 2);
    }
    return v;
}

bool SameName(const std::string& a, const std::string& b) {
    const std::string x = TrimSpaces(a), y = TrimSpaces(b);
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (fold(x[i]) != fold(y[i])) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace lintara;
    const auto f = fuzz::Fields(data, size, 6);
    const std::string &doc = f[0], &section = f[1], &key = f[2], &value = f[3];
    const std::string &otherSection = f[4], &otherKey = f[5];

    const std::string read = ini::GetProfileString(doc, section, key, "D", 255);
    LINTARA_FUZZ_CHECK(read.size() <= 254);
    const std::string whole = ini::GetProfileString(doc, section, key, "D", ini::kUnlimited);
    LINTARA_FUZZ_CHECK(whole.compare(0, read.size(), read) == 0);

    // UTF-16 files hold text in another encoding; the properties below are for bytes.
    const bool utf16 = doc.size() >= 2 && uint8_t(doc[0]) == 0xFF && uint8_t(doc[1]) == 0xFE;
    const std::string after = ini::WriteProfileString(doc, section, key, value);
    if (utf16 || !Plain(section, true) || !Plain(key, false)) return 0;

    LINTARA_FUZZ_CHECK(ini::GetProfileString(after, section, key, "D", ini::kUnlimited) ==
                       ReadsBackAs(value));

    const bool sameKey = SameName(section, otherSection) && SameName(key, otherKey);
    if (!sameKey && value.find_first_of("\r\n") == std::string::npos) {
        LINTARA_FUZZ_CHECK(
            ini::GetProfileString(doc, otherSection, otherKey, "D", ini::kUnlimited) ==
            ini::GetProfileString(after, otherSection, otherKey, "D", ini::kUnlimited));
    }
    return 0;
}
