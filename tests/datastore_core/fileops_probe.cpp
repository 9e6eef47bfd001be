// Stages a restore as the user settings do and reports what the check and the staging found, for the tests that need
// another user than the one running them (file permissions do not bind root).
// Usage: fileops_probe <live database file> <file to restore> [uid]   With a uid, runs as that user (and its group).
// Prints "check <n>" and "stage <n>" (DatabaseFileOps::Result); a staged copy stays for the test to read.
#include "datastore/DatabaseFileOps.h"

#include <QCoreApplication>

#include <cstdio>

#include "support/ProbeUser.h"

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 2;
    if (argc > 3 && !becomeProbeUser(argv[3]))
        return 3;
    QCoreApplication app(argc, argv);
    const QString live = QString::fromLocal8Bit(argv[1]);
    const QString source = QString::fromLocal8Bit(argv[2]);
    const DatabaseFileOps::Result check = DatabaseFileOps::checkRestoreSource(live, source);
    std::printf("check %d\n", int(check));
    std::printf("stage %d\n", int(check == DatabaseFileOps::Ok ? DatabaseFileOps::stageRestore(live, source) : check));
    return 0;
}
