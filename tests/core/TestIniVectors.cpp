// Every recorded case of the Windows private-profile functions, through the engine and
// through the settings file backend.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "core/ini_engine.h"
#include "core/settings_backend.h"

namespace {

// The vectors spell each byte as one code point U+0000..U+00FF.
std::string Bytes(const nlohmann::json& s) {
    const std::string utf8 = s.get<std::string>();
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else {
            const auto next = static_cast<unsigned char>(utf8[++i]);
            out.push_back(static_cast<char>(((c & 0x03) << 6) | (next & 0x3F)));
        }
    }
    return out;
}

struct VectorCase {
    std::string name;
    nlohmann::json data;
};

// Test names show the recording's name, not the object's bytes.
void PrintTo(const VectorCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<VectorCase> LoadCases() {
    std::ifstream in(std::string(LINTARA_TEST_DATA) + "/private-profile.jsonl");
    std::vector<VectorCase> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        auto data = nlohmann::json::parse(line);
        cases.push_back({data["name"].get<std::string>(), data});
    }
    return cases;
}

class IniVectors : public ::testing::TestWithParam<VectorCase> {};

TEST_P(IniVectors, EngineMatchesRecording) {
    const auto& c = GetParam().data;
    std::optional<std::string> file;
    if (!c["file"].is_null()) file = Bytes(c["file"]);
    int step = 0;
    for (const auto& op : c["ops"]) {
        SCOPED_TRACE("op " + std::to_string(step++) + ": " + op.dump());
        const std::string kind = op["op"];
        if (kind == "read") {
            const std::string got =
                lintara::ini::GetProfileString(file.value_or(""), Bytes(op["section"]),
                                               Bytes(op["key"]), Bytes(op["default"]), 255);
            EXPECT_EQ(got, Bytes(op["result"]));
            EXPECT_EQ(got.size(), op["count"].get<std::size_t>());
        } else if (kind == "write") {
            ASSERT_TRUE(op["ok"].get<bool>());
            file = lintara::ini::WriteProfileString(file.value_or(""), Bytes(op["section"]),
                                                    Bytes(op["key"]), Bytes(op["value"]));
        } else if (kind == "dump") {
            if (op["file"].is_null()) {
                EXPECT_FALSE(file.has_value());
            } else {
                ASSERT_TRUE(file.has_value());
                EXPECT_EQ(*file, Bytes(op["file"]));
            }
        }
    }
}

// The same case against a real file: reads through the backend, which never cuts
// values, agree with the recording wherever the recording was not cut.
TEST_P(IniVectors, FileBackendMatchesRecording) {
    const auto& c = GetParam().data;
    const auto folder = std::filesystem::temp_directory_path() /
                        ("lintara-vector-" + std::to_string(::getpid()) + "-" + GetParam().name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "Lintara.ini").string();
    if (!c["file"].is_null()) std::ofstream(path, std::ios::binary) << Bytes(c["file"]);
    for (const auto& op : c["ops"]) {
        SCOPED_TRACE(op.dump());
        const std::string kind = op["op"];
        if (kind == "read") {
            const std::string result = Bytes(op["result"]);
            if (result.size() == 254) continue;  // cut by the 255 buffer; we read whole
            EXPECT_EQ(lintara::backend::GetProfileValue(path, Bytes(op["section"]),
                                                        Bytes(op["key"]), Bytes(op["default"])),
                      result);
        } else if (kind == "write") {
            EXPECT_TRUE(lintara::backend::PutProfileValues(
                path, {{Bytes(op["section"]), Bytes(op["key"]), Bytes(op["value"])}}, nullptr));
        } else if (kind == "dump") {
            if (op["file"].is_null()) {
                EXPECT_FALSE(std::filesystem::exists(path));
            } else {
                std::ifstream in(path, std::ios::binary);
                std::stringstream content;
                content << in.rdbuf();
                EXPECT_EQ(content.str(), Bytes(op["file"]));
            }
        }
    }
    std::filesystem::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Recorded, IniVectors, ::testing::ValuesIn(LoadCases()),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });

}  // namespace
