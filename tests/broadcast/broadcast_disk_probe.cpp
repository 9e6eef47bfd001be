// A one-off broadcast sent while the disk of the database is full, for broadcast_timing's full-disk case: it runs
// inside a small file system of its own (support/SmallDisk.h), with its data folder there. The console side is this
// process (database, command server, broadcast manager and scheduler), the panels are simulated on loopback.
// Usage: broadcast_disk_probe <data folder on the small disk> <panels> <full ms>
// Once its database is set up it fills the rest of the disk, sends the broadcast and lets it end, keeps the disk
// full for <full ms> more while the held writes are tried again every 20 ms, then frees the space and waits for them.
// Prints "starts <fewest> <most>" (START_BROADCAST frames per panel), "log <lines> <lines>" (log lines when the run
// had ended, and when the disk was freed), "held <writes>", "status <stored status>" and "rows <rows> <successful>";
// a line "error <text>" and exit code 1 when the run could not be set up.
#include "BroadcastTestSupport.h"

#include "broadcast/BroadcastCapability.h"
#include "broadcast/BroadcastScheduler.h"
#include "datastore/DatabaseManager.h"
#include "datastore/DbHeldWrites.h"
#include "shell/base/Clock.h"
#include "support/Settle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <cstdio>
#include <functional>

using namespace BroadcastTest;

namespace {

int fail(const char *what)
{
    std::printf("error %s\n", what);
    return 1;
}

// Writes zeros beside the data folder until the file system takes no more.
void fillDisk(const QString &path)
{
    QFile filler(path);
    if (!filler.open(QIODevice::WriteOnly))
        return;
    const QByteArray block(4096, '\0');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 4)
        return fail("usage: broadcast_disk_probe <data folder> <panels> <full ms>");
    const QString data = QString::fromLocal8Bit(argv[1]);
    const int count = QByteArray(argv[2]).toInt();
    const int fullMs = QByteArray(argv[3]).toInt();
    LogCapture log;
    OrvantaDBManager::setDataFolder(data);
    NetworkConfig::setCurrent(loopbackNetworkConfig(data));
    auto *db = static_cast<OrvantaDBManager *>(OrvantaDBManager::getInstance());
    if (db->databaseManager()->openState() != DatabaseManager::Ready)
        return fail("the database did not open");
    db->heldWrites()->setRetryIntervalMs(20, 20);
    CmdServer *server = CmdServer::getInstance();
    server->setControlPassword(QString::fromLatin1(kPassword));

    std::unique_ptr<PanelFleet> fleet = makeFleet(count, 701, QStringLiteral("Disk-"), QStringLiteral("127.0.7.2"));
    const QList<VelkIFPDevice> devices = storeFleet(*fleet);
    fleet->startAll();
    if (!waitFor([&] { return fleet->connectedCount() == count; }, 30000))
        return fail("the panels did not connect");

    BroadcastManager manager(server, db);
    BroadcastScheduler scheduler(db, &manager, Clock::system(), NetworkConfig::current().audioFolder,
                                 [db] { return BroadcastCapability::supportedDevices(db); });
    // Started before the broadcast is stored: start-up sends an immediate broadcast back to pending.
    scheduler.start();
    const VelkBroadcast broadcast = storeBroadcast(devices);
    if (broadcast.bid == 0)
        return fail("the broadcast could not be stored");

    const QString filler = QDir(data).absoluteFilePath(QStringLiteral("../filler"));
    fillDisk(filler);
    QSignalSpy finished(&manager, &BroadcastManager::broadcastFinished);
    scheduler.refreshBroadcastTables();
    scheduler.checkBroadcastTask();
    if (!waitFor([&] { return finished.count() > 0 && !scheduler.completedList().isEmpty(); }, 30000))
        return fail("the broadcast did not end");
    waitFor([] { return false; }, 300);
    const int linesAtEnd = log.lines().size();
    waitFor([] { return false; }, fullMs);
    const int linesFull = log.lines().size();
    int fewest = INT_MAX;
    int most = 0;
    for (SimulatedPanel *panel : fleet->panels()) {
        fewest = qMin(fewest, panel->receivedCount(VELK_REMOTE_CMD_START_BROADCAST));
        most = qMax(most, panel->receivedCount(VELK_REMOTE_CMD_START_BROADCAST));
    }
    std::printf("starts %d %d\n", fewest, most);
    std::printf("log %d %d\n", linesAtEnd, linesFull);
    std::printf("held %d\n", db->heldWrites()->count());

    QFile::remove(filler);
    waitFor([&] { return db->heldWrites()->isEmpty(); }, 30000);
    QList<VelkBroadcast> completed;
    db->queryBroadcastByStatus(VelkBroadcast::Completed, completed);
    int status = VelkBroadcast::Upcoming;
    for (const VelkBroadcast &stored : qAsConst(completed)) {
        if (stored.bid == broadcast.bid)
            status = stored.status;
    }
    const QMap<QString, QPair<int, int>> rows = reportOf(broadcast);
    int successful = 0;
    for (const QPair<int, int> &row : rows)
        successful += row == qMakePair(1, 0) ? 1 : 0;
    std::printf("status %d\n", status);
    std::printf("rows %d %d\n", int(rows.size()), successful);
    std::fflush(stdout);
    fleet->shutDownAll();
    return 0;
}
