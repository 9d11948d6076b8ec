// Splits a fuzzer's bytes into several strings (separated by a 0xFF 0x00 pair).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lintara::fuzz {

inline std::vector<std::string> Fields(const uint8_t* data, std::size_t size, std::size_t count) {
    std::vector<std::string> fields(count);
    std::size_t field = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (field + 1 < count && i + 1 < size && data[i] == 0xFF && data[i + 1] == 0x00) {
            ++field;
            ++i;
            continue;
        }
        fields[field].push_back(static_cast<char>(data[i]));
    }
    return fields;
}

#define LINTARA_FUZZ_CHECK(condition)                                                          \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            __builtin_printf("property broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            __builtin_trap();                                                                  \
        }                                                                                      \
    } while (0)

}  // namespace lintara::fuzz
