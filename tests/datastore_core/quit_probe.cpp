// A console process ended by SIGTERM or Ctrl+C while an SOS's Event Log row is held because another program held the
// database file, for datastore_heldwrites: the data store, its held writes and the quit signal handler as the console
// has them.
// Usage: quit_probe <data folder>
// Prints "file <database file>" and waits for a line on its input, while the test takes the file. Then the row is
// handed to the held writes as the SOS hands it; once a try was refused, it prints "ready <held writes>". The next try
// is ten minutes off, so only the end of the process can write the row before the test's signal. After the signal
// ended the event loop, it prints "held <writes still held>".
#include "datastore/DbHeldWrites.h"
#include "datastore/OrvantaDBManager.h"
#include "platform/QuitSignalHandler.h"
#include "support/HeldEventRow.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kNextTryMs = 10 * 60 * 1000;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || !QuitSignalHandler::install())
        return 2;
    OrvantaDBManager::setDataFolder(QString::fromLocal8Bit(argv[1]));
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    std::printf("file %s\n", qPrintable(db->databaseFilePath()));
    std::fflush(stdout);
    char line[64];
    if (!std::fgets(line, sizeof line, stdin))
        return 2;

    DbHeldWrites *held = db->heldWrites();
    held->setRetryIntervalMs(kNextTryMs, kNextTryMs);
    holdEventRow(db, "quit_probe", QStringLiteral("event-log row of the SOS from Gym"), QStringLiteral("Gym"),
                 QStringLiteral("2026-03-02 09:15:00"));
    QTimer refused;
    refused.setInterval(10);
    QObject::connect(&refused, &QTimer::timeout, [&] {
        if (held->isRefused()) {
            refused.stop();
            std::printf("ready %d\n", held->count());
        } else if (held->isEmpty()) {
            refused.stop();
            std::printf("written at once\n");
        } else {
            return;
        }
        std::fflush(stdout);
    });
    refused.start();
    const int result = app.exec();
    std::printf("held %d\n", held->count());
    std::fflush(stdout);
    return result;
}
