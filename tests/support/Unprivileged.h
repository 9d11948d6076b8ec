// Runs a check without root's rights: as root, in a child that becomes "nobody" first,
// since root reads and writes through any permission.
#pragma once

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

namespace lintara::test {

// The check's verdict; false also when the child could not drop its rights.
inline bool Unprivileged(const std::function<bool()>& check) {
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace lintara::test
