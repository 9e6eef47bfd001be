// A console process ended by SIGTERM or Ctrl+C while a transaction stays open across turns of the event loop (a
// Sync Now gathering its statuses) and an SOS's Event Log row is held behind it, for datastore_heldwrites: the data
// store, the open work and the quit signal handler as the console has them.
// Usage: quit_probe <data folder>
// Prints "file <database file>", then "ready <held writes>" once the row is held; after the signal ended the event
// loop, "held <writes still held>".
#include "datastore/DbHeldWrites.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBManager.h"
#include "platform/QuitSignalHandler.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || !QuitSignalHandler::install())
        return 2;
    OrvantaDBManager::setDataFolder(QString::fromLocal8Bit(argv[1]));
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    std::printf("file %s\n", qPrintable(db->databaseFilePath()));

    // The open work, as the command server keeps it: a batch whose transaction stays open until another use of the
    // database ends it.
    auto sync = std::make_unique<DbWriteBatch>(db, "quit_probe, sync statuses");
    db->runAsOpenWork([&] {
        sync->write(QStringLiteral("sync status"), [db] {
            VelkGroups group;
            group.groupName = QStringLiteral("Status");
            group.groupType = QStringLiteral("Control Box");
            return db->createGroups(group);
        });
    });
    db->setOpenWork([&] {
        db->setOpenWork({});
        if (sync)
            sync->finish();
        sync.reset();
    });
    db->heldWrites()->writeLater("quit_probe", QStringLiteral("event-log row of the SOS from Gym"), [db] {
        VelkEventLog event;
        event.deviceName = QStringLiteral("Gym");
        event.time = QStringLiteral("2026-03-02 09:15:00");
        return db->insertEventLog(event);
    });
    // A try has found the open transaction by then, and left the row held.
    QTimer::singleShot(100, [db] {
        std::printf("ready %d\n", db->heldWrites()->count());
        std::fflush(stdout);
    });
    const int result = app.exec();
    std::printf("held %d\n", db->heldWrites()->count());
    std::fflush(stdout);
    return result;
}
