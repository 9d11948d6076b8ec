// The port value: never crashes, never NaN, and the check agrees with the value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/port_text.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const double value = lintara::PortTextValue(text);
    LINTARA_FUZZ_CHECK(!std::isnan(value));
    LINTARA_FUZZ_CHECK(lintara::PortTextPasses(text) ==
                       (text == "N/A" || (value >= 1 && value <= 65535)));
    // Blanks, tabs and line feeds count nowhere.
    std::string spread;
    for (char c : text) {
        spread.push_back(c);
        spread.push_back(' ');
    }
    const double spreadValue = lintara::PortTextValue(spread);
    LINTARA_FUZZ_CHECK(spreadValue == value || (std::isinf(value) && std::isinf(spreadValue)));
    return 0;
}
