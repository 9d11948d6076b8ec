// Private-profile parsing and in-place editing, for byte files and UTF-16LE files alike.
#include "core/ini_engine.h"

#include <array>
#include <optional>

namespace lintara::ini {
namespace {

// Code page 1252, 0x80-0x9F; the five unassigned bytes map to the same code point,
// as the Windows conversion does.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t FromCp1252(unsigned char c) {
    if (c >= 0x80 && c < 0xA0) return kCp1252High[c - 0x80];
    return c;
}

char ToCp1252(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return static_cast<char>(u);
    for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
        if (kCp1252High[i] == u) return static_cast<char>(0x80 + i);
    }
    return '?';
}

std::u16string Widen(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) out.push_back(FromCp1252(static_cast<unsigned char>(c)));
    return out;
}

std::string Narrow(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t u : text) out.push_back(ToCp1252(u));
    return out;
}

bool IsUtf16(std::string_view document) {
    return document.size() >= 2 && static_cast<unsigned char>(document[0]) == 0xFF &&
           static_cast<unsigned char>(document[1]) == 0xFE;
}

std::u16string DecodeUtf16(std::string_view document) {
    std::u16string out;
    out.reserve(document.size() / 2);
    for (std::size_t i = 2; i + 1 < document.size(); i += 2) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(document[i]) |
                                            (static_cast<unsigned char>(document[i + 1]) << 8)));
    }
    return out;
}

std::string EncodeUtf16(std::u16string_view text) {
    std::string out("\xFF\xFE", 2);
    out.reserve(2 + text.size() * 2);
    for (char16_t u : text) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
    }
    return out;
}

template <typename C>
bool IsBlank(C c) {
    return c == C(' ') || c == C('\t');
}

template <typename C>
std::basic_string_view<C> TrimBlanks(std::basic_string_view<C> s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

template <typename C>
std::basic_string_view<C> TrimSpaces(std::basic_string_view<C> s) {
    while (!s.empty() && s.front() == C(' ')) s.remove_prefix(1);
    while (!s.empty() && s.back() == C(' ')) s.remove_suffix(1);
    return s;
}

template <typename C>
C FoldAscii(C c) {
    return (c >= C('A') && c <= C('Z')) ? C(c - C('A') + C('a')) : c;
}

template <typename C>
bool EqualsIgnoreCase(std::basic_string_view<C> a, std::basic_string_view<C> b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

enum class LineKind { Blank, Comment, Header, Key, Text };

// One physical line: [begin, end) is its text, next is where the following line starts.
template <typename C>
struct Line {
    std::size_t begin = 0, end = 0, next = 0;
    LineKind kind = LineKind::Blank;
    std::basic_string_view<C> name;  // section name or key name, blanks removed
    std::size_t valueBegin = 0;      // just after the '=' of a key line
};

template <typename C>
class Lines {
  public:
    explicit Lines(std::basic_string_view<C> doc) : m_doc(doc) {}

    // Reads the line starting at pos; false at the end of the document.
    bool Next(std::size_t pos, Line<C>& line) const {
        if (pos >= m_doc.size()) return false;
        line = Line<C>{};
        line.begin = pos;
        std::size_t e = pos;
        while (e < m_doc.size() && m_doc[e] != C('\r') && m_doc[e] != C('\n')) ++e;
        line.end = e;
        if (e < m_doc.size()) {
            line.next = e + 1;
            if (m_doc[e] == C('\r') && e + 1 < m_doc.size() && m_doc[e + 1] == C('\n')) ++line.next;
        } else {
            line.next = e;
        }
        Classify(line);
        return true;
    }

    std::basic_string_view<C> Text(std::size_t b, std::size_t e) const {
        return m_doc.substr(b, e - b);
    }

  private:
    void Classify(Line<C>& line) const {
        std::size_t p = line.begin;
        while (p < line.end && IsBlank(m_doc[p])) ++p;
        if (p == line.end) {
            line.kind = LineKind::Blank;
        } else if (m_doc[p] == C(';')) {
            line.kind = LineKind::Comment;
        } else if (m_doc[p] == C('[')) {
            // The name runs to the first ']' or, without one, to the end of the line.
            std::size_t close = p + 1;
            while (close < line.end && m_doc[close] != C(']')) ++close;
            line.kind = LineKind::Header;
            line.name = TrimBlanks(Text(p + 1, close));
        } else {
            std::size_t eq = p;
            while (eq < line.end && m_doc[eq] != C('=')) ++eq;
            if (eq == line.end) {
                line.kind = LineKind::Text;
            } else {
                line.kind = LineKind::Key;
                line.name = TrimBlanks(Text(p, eq));
                line.valueBegin = eq + 1;
            }
        }
    }

    std::basic_string_view<C> m_doc;
};

// Where a section and a key stand in a document.
template <typename C>
struct Location {
    bool sectionFound = false;
    Line<C> header;
    std::optional<Line<C>> key;
    std::optional<Line<C>> lastKey;  // last key line of the section
};

template <typename C>
Location<C> Find(const Lines<C>& lines, std::basic_string_view<C> section,
                 std::basic_string_view<C> key) {
    Location<C> loc;
    Line<C> line;
    std::size_t pos = 0;
    while (lines.Next(pos, line)) {
        pos = line.next;
        if (!loc.sectionFound) {
            if (line.kind == LineKind::Header && EqualsIgnoreCase(line.name, section)) {
                loc.sectionFound = true;
                loc.header = line;
            }
            continue;
        }
        // Only the first section of that name counts: stop at the next header.
        if (line.kind == LineKind::Header) break;
        if (line.kind != LineKind::Key) continue;
        loc.lastKey = line;
        if (!loc.key && EqualsIgnoreCase(line.name, key)) loc.key = line;
    }
    return loc;
}

template <typename C>
std::basic_string_view<C> Unquote(std::basic_string_view<C> v) {
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == C('"') || v.front() == C('\''))) {
        return v.substr(1, v.size() - 2);
    }
    return v;
}

template <typename C>
std::basic_string<C> Cut(std::basic_string_view<C> v, std::size_t bufferSize) {
    if (bufferSize != kUnlimited && v.size() > bufferSize - 1) v = v.substr(0, bufferSize - 1);
    return std::basic_string<C>(v);
}

template <typename C>
std::basic_string<C> Get(std::basic_string_view<C> doc, std::basic_string_view<C> section,
                         std::basic_string_view<C> key, std::basic_string_view<C> defaultValue,
                         std::size_t bufferSize) {
    const Lines<C> lines(doc);
    const Location<C> loc = Find(lines, TrimSpaces(section), TrimSpaces(key));
    if (loc.key) {
        const auto value = TrimBlanks(lines.Text(loc.key->valueBegin, loc.key->end));
        return Cut(Unquote(value), bufferSize);
    }
    while (!defaultValue.empty() && defaultValue.back() == C(' ')) defaultValue.remove_suffix(1);
    return Cut(defaultValue, bufferSize);
}

template <typename C>
std::basic_string<C> Lit(const char* s) {
    std::basic_string<C> out;
    for (; *s; ++s) out.push_back(C(static_cast<unsigned char>(*s)));
    return out;
}

template <typename C>
std::basic_string<C> Put(std::basic_string_view<C> doc, std::basic_string_view<C> section,
                         std::basic_string_view<C> key, std::basic_string_view<C> value) {
    section = TrimSpaces(section);
    key = TrimSpaces(key);
    const std::basic_string<C> crlf = Lit<C>("\r\n");
    std::basic_string<C> keyLine(key);
    keyLine += C('=');
    keyLine += value;

    const Lines<C> lines(doc);
    const Location<C> loc = Find(lines, section, key);
    std::basic_string<C> out(doc);
    if (loc.key) {
        // Replace the value in place; the key keeps its spelling, the line its ending.
        out.replace(loc.key->valueBegin, loc.key->end - loc.key->valueBegin, value);
        return out;
    }
    if (loc.sectionFound) {
        const Line<C>& after = loc.lastKey ? *loc.lastKey : loc.header;
        std::basic_string<C> insert;
        if (after.next == after.end) insert += crlf;  // last line of the file had no break
        insert += keyLine;
        insert += crlf;
        out.insert(after.next, insert);
        return out;
    }
    if (!out.empty() && out.back() != C('\n') && out.back() != C('\r')) out += crlf;
    out += C('[');
    out += section;
    out += C(']');
    out += crlf;
    out += keyLine;
    out += crlf;
    return out;
}

}  // namespace

std::string GetProfileString(std::string_view document, std::string_view section,
                             std::string_view key, std::string_view defaultValue,
                             std::size_t bufferSize) {
    if (IsUtf16(document)) {
        const std::u16string doc = DecodeUtf16(document);
        const std::u16string s = Widen(section), k = Widen(key), d = Widen(defaultValue);
        return Narrow(Get<char16_t>(doc, s, k, d, bufferSize));
    }
    return Get<char>(document, section, key, defaultValue, bufferSize);
}

std::string WriteProfileString(std::string_view document, std::string_view section,
                               std::string_view key, std::string_view value) {
    if (IsUtf16(document)) {
        const std::u16string doc = DecodeUtf16(document);
        const std::u16string s = Widen(section), k = Widen(key), v = Widen(value);
        return EncodeUtf16(Put<char16_t>(doc, s, k, v));
    }
    return Put<char>(document, section, key, value);
}

}  // namespace lintara::ini
