#pragma once

#include <cstdlib>
#include <grp.h>
#include <unistd.h>

// Makes the probe process run as the user (and group) with the id given as text, for the tests that need file
// permissions to bind (they do not bind root). False when the switch failed.
inline bool becomeProbeUser(const char *uidText)
{
    const uid_t uid = uid_t(std::atoi(uidText));
    return setgroups(0, nullptr) == 0 && setresgid(uid, uid, uid) == 0 && setresuid(uid, uid, uid) == 0;
}
