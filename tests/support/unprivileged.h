#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {

// Permission cases need a user that permissions apply to; root ignores them.
// Runs a check in a child process that has dropped to the user "nobody" when
// the test runs as root, or in this process otherwise. Returns the check's
// result; false too when the child could not drop its privileges.
template <typename Check> bool checkAsUnprivilegedUser(Check check) {
    if (geteuid() != 0)
        return check();
    const pid_t child = fork();
    if (child == 0) {
        const uid_t nobody = 65534;
        const bool dropped = setgroups(0, nullptr) == 0 && setresgid(nobody, nobody, nobody) == 0 &&
                             setresuid(nobody, nobody, nobody) == 0;
        _exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

} // namespace test_support
