// Held writes on a disk with a few KiB left, for datastore_heldwrites: it runs inside a small file system of its own
// (support/SmallDisk.h), with its data folder there.
// Usage: heldwrites_disk_probe <data folder> <bytes left free, or -1 for a disk with room> <counter at its end: 0|1>
//        [<link: file|folder> <folder on a roomy disk>]
// With a link, the database is made in the data folder and then opened from a data folder on the roomy disk, through a
// symbolic link to the file itself or to the folder that holds it.
// It stores a device and twenty report rows, fills the disk but for the bytes left (or sets the Event Log's
// AUTOINCREMENT counter at its end) and hands the held writes an SOS's Event Log row, the twenty rows' results in one
// batch (rows spread over several pages) and the device's write-back (two pages). Once they were tried many times, it
// prints "lost <writes given up>" and "written <results stored>", frees the disk and waits for the held writes, then
// prints "held <writes left>", "events <rows>", "rows <results stored>" and "kicked <devices marked>". A line
// "error <text>" and exit code 1 when it could not be set up.
#include "datastore/DatabaseManager.h"
#include "datastore/DbHeldWrites.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBManager.h"
#include "support/Settle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QVariant>

#include <cstdio>
#include <functional>

namespace {

int fail(const char *what)
{
    std::printf("error %s\n", what);
    return 1;
}

qlonglong number(OrvantaDBManager &db, const QString &sql)
{
    QSqlQuery query(db.databaseManager()->connection());
    return query.exec(sql) && query.next() ? query.value(0).toLongLong() : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 4)
        return fail("usage: heldwrites_disk_probe <data folder> <bytes free> <counter at its end> [<link> <folder>]");
    const QString data = QString::fromLocal8Bit(argv[1]);
    const qint64 freeBytes = QByteArray(argv[2]).toLongLong();
    const bool counterAtItsEnd = QByteArray(argv[3]) == "1";
    const QByteArray link = argc > 5 ? QByteArray(argv[4]) : QByteArray();
    QString opened = data;
    if (!link.isEmpty()) {
        {
            OrvantaDBManager made(data, QStringLiteral("diskprobe-made"));
            if (made.databaseManager()->openState() != DatabaseManager::Ready)
                return fail("the database to link to did not open");
        }
        opened = QString::fromLocal8Bit(argv[5]) + QStringLiteral("/Quorvin");
        const QString folder = QStringLiteral("/dbManagement");
        const QString file = folder + QStringLiteral("/QuorvinDatabase.db");
        const bool linked = link == "file" ? QDir().mkpath(opened + folder) && QFile::link(data + file, opened + file)
                                           : QDir().mkpath(opened) && QFile::link(data + folder, opened + folder);
        if (!linked)
            return fail("the link could not be made");
    }
    OrvantaDBManager db(opened, QStringLiteral("diskprobe"));
    if (db.databaseManager()->openState() != DatabaseManager::Ready)
        return fail("the database did not open");
    db.heldWrites()->setRetryIntervalMs(20, 20);
    int lost = 0;
    QObject::connect(db.heldWrites(), &DbHeldWrites::writesLost, [&lost](int writes) { lost += writes; });
    VelkIFPDevice hall;
    hall.deviceName = QStringLiteral("Hall");
    hall.macAddress = QStringLiteral("02:51:4d:00:00:21");
    if (db.createIFPDevice(hall) != DB_OK)
        return fail("the device could not be stored");
    const quint32 hallId = quint32(number(db, QStringLiteral("SELECT did FROM Device WHERE deviceName = 'Hall'")));

    // Long enough that the twenty rows and their indexes take several pages.
    const QString pad(200, QLatin1Char('x'));
    for (int i = 0; i < 20; ++i) {
        VelkGroups group;
        group.groupName = QStringLiteral("Report row %1 ").arg(i) + pad;
        group.groupType = QStringLiteral("Control Box");
        if (db.createGroups(group) != DB_OK)
            return fail("the report rows could not be stored");
    }
    const QString filler = QDir(data).absoluteFilePath(QStringLiteral("../filler"));
    if (counterAtItsEnd) {
        QSqlQuery counter(db.databaseManager()->connection());
        if (!counter.exec(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES ('EventLog', "
                                         "9223372036854775807)")))
            return fail("the counter could not be set");
    }
    if (freeBytes >= 0) {
        // Every block written, as another program's data would be.
        QFile fill(filler);
        const QByteArray blocks(QStorageInfo(data).bytesAvailable() - freeBytes, '\1');
        if (!fill.open(QIODevice::WriteOnly) || fill.write(blocks) != blocks.size() || !fill.flush())
            return fail("the disk could not be filled");
    }

    // Writes run, held or not: two hundred are far more tries than any write is given up after.
    int runs = 0;
    db.heldWrites()->writeLater("AlertRoad", QStringLiteral("event-log row of the SOS from Gym"), [&db, &runs] {
        ++runs;
        VelkEventLog event;
        event.deviceName = QStringLiteral("Gym");
        event.time = QStringLiteral("2026-03-02 09:15:00");
        return db.insertEventLog(event);
    });
    {
        DbWriteBatch report(&db, "report");
        for (int i = 0; i < 20; ++i) {
            report.write(QStringLiteral("report row %1").arg(i), [&db, &runs, pad, i] {
                ++runs;
                return db.changeGroupsName(QStringLiteral("Report row %1 ").arg(i) + pad,
                                           QStringLiteral("Report row %1 done ").arg(i) + pad);
            });
        }
    }
    DbWriteBatch::writeOne(&db, "writeBack", QStringLiteral("record of Hall"), QStringLiteral("record of Hall"),
                           [&db, &runs, hallId] {
                               ++runs;
                               return db.updateIFPDeviceKicked(hallId, true);
                           });
    if (!waitFor([&] { return runs >= 200 || db.heldWrites()->isEmpty(); }, 60000))
        return fail("the held writes were not tried");
    std::printf("lost %d\n", lost);
    std::printf("written %lld\n",
                number(db, QStringLiteral("SELECT count(*) FROM Groups WHERE groupName LIKE '%done%'")));

    QFile::remove(filler);
    waitFor([&] { return db.heldWrites()->isEmpty(); }, 60000);
    std::printf("held %d\n", db.heldWrites()->count());
    std::printf("events %lld\n", number(db, QStringLiteral("SELECT count(*) FROM EventLog")));
    std::printf("rows %lld\n", number(db, QStringLiteral("SELECT count(*) FROM Groups WHERE groupName LIKE '%done%'")));
    std::printf("kicked %lld\n", number(db, QStringLiteral("SELECT count(*) FROM Device WHERE isKicked = 1")));
    std::fflush(stdout);
    return 0;
}
