// The port box's numeric value and the Connect check.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>

#include "core/port_text.h"

namespace {

struct PortCase {
    const char* text;
    double value;
    bool passes;
};

// Test names show the port text, not the object's bytes.
void PrintTo(const PortCase& c, std::ostream* out) {
    *out << ::testing::PrintToString(std::string(c.text));
}

class PortText : public ::testing::TestWithParam<PortCase> {};

TEST_P(PortText, ValueAndCheck) {
    const auto& c = GetParam();
    if (std::isinf(c.value)) {
        EXPECT_TRUE(std::isinf(lintara::PortTextValue(c.text)));
    } else if (std::string(c.text) != "N/A") {
        EXPECT_DOUBLE_EQ(lintara::PortTextValue(c.text), c.value);
    }
    EXPECT_EQ(lintara::PortTextPasses(c.text), c.passes);
}

constexpr double kInf = HUGE_VAL;

INSTANTIATE_TEST_SUITE_P(
    Texts, PortText,
    ::testing::Values(
        PortCase{"22", 22, true}, PortCase{" 2 2", 22, true}, PortCase{"22 ", 22, true},
        PortCase{"\t2\n2", 22, true}, PortCase{"22abc", 22, true}, PortCase{"1.5", 1.5, true},
        PortCase{"&H16", 22, true}, PortCase{"&h16", 22, true}, PortCase{"&O26", 22, true},
        PortCase{"&HFFFF", 65535, true}, PortCase{"&H", 0, false}, PortCase{"&X1", 0, false},
        PortCase{"0", 0, false}, PortCase{"-1", -1, false}, PortCase{"65536", 65536, false},
        PortCase{"65535", 65535, true}, PortCase{"1", 1, true}, PortCase{"0.99", 0.99, false},
        PortCase{"N/A", 0, true}, PortCase{"n/a", 0, false}, PortCase{"", 0, false},
        PortCase{"abc", 0, false}, PortCase{"1e999", kInf, false}, PortCase{"-1e999", -kInf, false},
        PortCase{"1e-999", 0, false}, PortCase{"2.2e1", 22, true}, PortCase{"2.2E+1x", 22, true},
        PortCase{"22e", 22, true}, PortCase{"+22", 22, true}, PortCase{"- 22", -22, false},
        PortCase{".5", 0.5, false}, PortCase{"5.", 5, true}, PortCase{"1.2.3", 1.2, true},
        PortCase{"\r22", 0, false}, PortCase{"2,2", 2, true}));

}  // namespace
