// Stages a restore as the user settings do and reports what the check and the staging found, for the tests that need
// another user than the one running them (file permissions do not bind root), or backs the database up, for the tests
// that need a disk of its own (the disk goes with the process).
// Usage: fileops_probe [--room <bytes>] <live database file> <file to restore> [uid]   With a uid, runs as that user
// (and its group); with --room, the restore takes that many bytes for the room free beside the live file.
// Prints "check <n>" and "stage <n>" (DatabaseFileOps::Result), then "left <name>" for every file beside the live
// file; a staged copy stays for the test to read.
// Usage: fileops_probe --backup <live database file> <target> [uid]   With a uid, runs as that user (and its group).
// Prints "backup <n>", then "left <name>" for every file in the target's folder.
#include "datastore/DatabaseFileOps.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

#include "support/ProbeUser.h"

int main(int argc, char *argv[])
{
    if (argc < 3)
        return 2;
    if (qstrcmp(argv[1], "--backup") == 0) {
        if (argc < 4)
            return 2;
        if (argc > 4 && !becomeProbeUser(argv[4]))
            return 3;
        QCoreApplication app(argc, argv);
        const QString target = QString::fromLocal8Bit(argv[3]);
        std::printf("backup %d\n", int(DatabaseFileOps::backup(QString::fromLocal8Bit(argv[2]), target)));
        const QStringList left =
            QFileInfo(target).absoluteDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString &name : left)
            std::printf("left %s\n", qPrintable(name));
        return 0;
    }
    int first = 1;
    if (qstrcmp(argv[1], "--room") == 0) {
        if (argc < 5)
            return 2;
        const qint64 room = QByteArray(argv[2]).toLongLong();
        DatabaseFileOps::setFreeRoom([room](const QString &) { return room; });
        first = 3;
    }
    if (argc > first + 2 && !becomeProbeUser(argv[first + 2]))
        return 3;
    QCoreApplication app(argc, argv);
    const QString live = QString::fromLocal8Bit(argv[first]);
    const QString source = QString::fromLocal8Bit(argv[first + 1]);
    const DatabaseFileOps::Result check = DatabaseFileOps::checkRestoreSource(live, source);
    std::printf("check %d\n", int(check));
    std::printf("stage %d\n", int(check == DatabaseFileOps::Ok ? DatabaseFileOps::stageRestore(live, source) : check));
    const QStringList left =
        QFileInfo(live).absoluteDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &name : left)
        std::printf("left %s\n", qPrintable(name));
    return 0;
}
