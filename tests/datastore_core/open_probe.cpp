// Opens the database of a data folder as the console does and reports what it found, for the
// tests that need another user than the one running them (file permissions do not bind root).
// Usage: open_probe <data folder> [uid]   With a uid, runs as that user (and its group) first.
// Prints "state <n>", "error <text>", "diskfull <0|1>" and "write <result code>" for one device created afterwards.
#include "datastore/CoreTables.h"
#include "datastore/DatabaseManager.h"

#include <QCoreApplication>

#include <cstdio>

#include "support/ProbeUser.h"

int main(int argc, char *argv[])
{
    if (argc < 2)
        return 2;
    if (argc > 2 && !becomeProbeUser(argv[2]))
        return 3;
    QCoreApplication app(argc, argv);
    DatabaseManager manager(QString::fromLocal8Bit(argv[1]), QStringLiteral("probe"));
    std::printf("state %d\n", int(manager.openState()));
    std::printf("error %s\n", qPrintable(manager.openError()));
    std::printf("diskfull %d\n", manager.diskFull() ? 1 : 0);
    VelkIFPDevice device;
    device.deviceName = QStringLiteral("Probe");
    device.deviceType = QStringLiteral("Control Box");
    std::printf("write %08x\n", CoreTables::createIFPDevice(manager.connection(), device));
    return 0;
}
