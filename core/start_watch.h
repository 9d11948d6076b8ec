// The watch over what a launch started: a program that fails at once is reported
// instead of vanishing with the closed window.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "core/platform.h"

namespace lintara {

// How long a started client is watched for an early failure.
inline constexpr std::chrono::milliseconds kEarlyFailureWatch{2000};
// How long Lintara's own short commands (a mount before its share opens) are waited for.
inline constexpr std::chrono::milliseconds kOwnCommandWatch{60000};

class StartWatch {
  public:
    enum class Verdict { Watching, Failed, Done };
    using Clock = std::chrono::steady_clock;

    StartWatch(std::vector<long> tasks, Clock::time_point started = Clock::now());

    // Failed when a task has failed (FailureText then says how); Done when all have
    // ended well, or the watch is over and none of Lintara's own commands still runs.
    Verdict Check(PlatformServices& services, Clock::time_point now = Clock::now());
    const std::string& FailureText() const { return m_failure; }

  private:
    std::vector<long> m_tasks;
    Clock::time_point m_started;
    std::string m_failure;
};

}  // namespace lintara
