// The launch plan: any request and settings file give a consistent plan.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "core/launch.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace lintara;
    static const std::string path = [] {
        std::string name = "/tmp/lintara-fuzz-launch-" + std::to_string(::getpid()) + ".ini";
        // The run's own file goes when the run ends.
        static std::string removed = name;
        std::atexit([] { std::remove(removed.c_str()); });
        return name;
    }();
    const auto f = fuzz::Fields(data, size, 8);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << f[0];
    const LaunchRequest request{f[1], f[2], f[3], f[4], f[5], f[6], f[7], size % 2 == 0};
    const bool exists = size % 3 == 0;
    const LaunchPlan plan = PlanLaunch(request, path, [&](const std::string&) { return exists; });

    const bool message = !plan.messageText.empty();
    LINTARA_FUZZ_CHECK(message == !plan.messageTitle.empty());
    LINTARA_FUZZ_CHECK(!(message && !plan.commandLines.empty()));
    LINTARA_FUZZ_CHECK(!(message && plan.closeMainWindow));
    const auto row = FindConnectionType(request.typeKey);
    if (!row) {
        LINTARA_FUZZ_CHECK(message && plan.messageTitle == "Fatal Error");
        return 0;
    }
    switch (row->kind) {
        case LaunchKind::Configured:
            if (!message) {
                LINTARA_FUZZ_CHECK(plan.commandLines.size() == 1);
                LINTARA_FUZZ_CHECK(plan.commandLines[0] ==
                                   plan.programPath + " " + plan.programOptions);
                LINTARA_FUZZ_CHECK(plan.programPath != kNotConfigured);
            }
            break;
        case LaunchKind::Ping:
            LINTARA_FUZZ_CHECK(plan.commandLines ==
                               std::vector<std::string>{"ping -t " + request.host});
            LINTARA_FUZZ_CHECK(!plan.closeMainWindow);
            break;
        case LaunchKind::Browser:
            LINTARA_FUZZ_CHECK(plan.commandLines.size() == 1 && plan.closeMainWindow);
            break;
        case LaunchKind::MapDrive:
            LINTARA_FUZZ_CHECK(plan.commandLines.size() == 2);
            LINTARA_FUZZ_CHECK(plan.commandLines[1] == "explorer " + request.drive);
            break;
    }
    return 0;
}
