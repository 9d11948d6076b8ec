// The settings file under crashes and concurrent writers: never torn, nothing lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/settings.h"
#include "tests/support/TempFolder.h"

namespace {

using lintara::ReadSetting;
using lintara::WriteSetting;
using lintara::test::TempFolder;

const std::vector<std::string> kKeys = {"Program", "Options", "Extra"};

long Generation(const std::string& value) {
    if (value.rfind("value-", 0) != 0) return -1;
    return std::stol(value.substr(6));
}

// Rewrites every key, one write at a time, with ever newer values until killed.
[[noreturn]] void Rewriter(const std::string& path, long from) {
    for (long generation = from;; ++generation) {
        for (const auto& key : kKeys) {
            WriteSetting(path, "SSH", key, "value-" + std::to_string(generation));
        }
    }
}

TEST(FileSafety, KilledWriterNeverLeavesATornFile) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    for (const auto& key : kKeys) ASSERT_TRUE(WriteSetting(path, "SSH", key, "value-0"));
    std::mt19937 random(12345);
    std::vector<long> before(kKeys.size(), 0);
    int kills = 0;
    for (; kills < 200; ++kills) {
        const long next = *std::max_element(before.begin(), before.end()) + 1;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) Rewriter(path, next);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        ASSERT_TRUE(std::filesystem::is_regular_file(path)) << "after kill " << kills;
        for (std::size_t i = 0; i < kKeys.size(); ++i) {
            // Either the value it had, or one the killed writer stored: never torn or lost.
            const long now = Generation(ReadSetting(path, "SSH", kKeys[i], "MISSING"));
            ASSERT_TRUE(now == before[i] || now >= next) << kKeys[i] << " after kill " << kills;
            before[i] = now;
        }
    }
    EXPECT_EQ(kills, 200);
    // No stray temporary files pile up beside the settings.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        ++files;
    }
    EXPECT_LE(files, 2u);
}

TEST(FileSafety, ConcurrentWritersLoseNothing) {
    TempFolder folder;
    const std::string path = folder.file("Lintara.ini");
    constexpr int kRounds = 300;
    std::vector<pid_t> children;
    for (const std::string section : {"VNC", "Telnet"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool ok = true;
            for (int round = 1; round <= kRounds; ++round) {
                for (const auto& key : kKeys) {
                    ok = WriteSetting(path, section, key, section + "-" + std::to_string(round)) &&
                         ok;
                }
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (const std::string section : {"VNC", "Telnet"}) {
        for (const auto& key : kKeys) {
            EXPECT_EQ(ReadSetting(path, section, key, ""), section + "-" + std::to_string(kRounds));
        }
    }
}

}  // namespace
