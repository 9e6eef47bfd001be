// Runs a program as another user, for the tests that need file permissions to bind (they do not
// bind root). Usage: as_user <uid> <program> [arguments...]   The uid is also taken as the group.
#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 2;
    const uid_t uid = uid_t(std::atoi(argv[1]));
    if (setgroups(0, nullptr) != 0 || setresgid(uid, uid, uid) != 0 || setresuid(uid, uid, uid) != 0) {
        std::perror("as_user");
        return 3;
    }
    execv(argv[2], argv + 2);
    std::perror("as_user");
    return 4;
}
