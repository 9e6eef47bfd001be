#pragma once

#include <cstdlib>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// The tests that need file permissions to bind run their probe as another user when they run as root, since
// permissions do not bind root: this user (nobody), who is handed the files the probe works on.
constexpr uid_t kProbeUid = 65534;

// Why such a test is skipped where probeUserCanBeMade() is false.
constexpr const char *kNoProbeUser =
    "the probe user 65534 cannot be made here (a root in a user namespace that maps no other user can neither become "
    "that user nor hand it a folder), so file permissions cannot be made to bind";

// Makes the calling process run as the user (and group) uid. False when the switch failed.
inline bool becomeUser(uid_t uid)
{
    return setgroups(0, nullptr) == 0 && setresgid(uid, uid, uid) == 0 && setresuid(uid, uid, uid) == 0;
}

// Makes the probe process run as the user (and group) with the id given as text, for the tests that need file
// permissions to bind (they do not bind root). False when the switch failed.
inline bool becomeProbeUser(const char *uidText)
{
    return becomeUser(uid_t(std::atoi(uidText)));
}

// Whether a probe can run where file permissions bind: anyone but root runs it as itself; root needs the probe user,
// which a root in a user namespace (a rootless container, `unshare -r`) may not have. Tried in a child process.
inline bool probeUserCanBeMade()
{
    if (geteuid() != 0)
        return true;
    const pid_t child = fork();
    if (child == 0)
        _exit(becomeUser(kProbeUid) ? 0 : 1);
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
