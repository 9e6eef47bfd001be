#include "datastore/BroadcastTables.h"

#include <QSqlQuery>

#include "datastore/DbResult.h"
#include "datastore/LinkQueries.h"
#include "datastore/SqlTransaction.h"
#include "shell/base/Log.h"

namespace {

/// The 21 written columns in table order.
QVariantList broadcastValues(const VelkBroadcast &b)
{
    return {int(b.status),
            b.displayType,
            b.contentText,
            b.audioSelection,
            b.displayedAudioFilename,
            b.savedAudioFilename,
            b.wakeOnLan ? 1 : 0,
            b.repeat ? 1 : 0,
            b.durationMin,
            b.durationSec,
            b.target,
            b.isNow ? 1 : 0,
            b.startDate,
            b.time,
            b.repeatSun ? 1 : 0,
            b.repeatMon ? 1 : 0,
            b.repeatTue ? 1 : 0,
            b.repeatWed ? 1 : 0,
            b.repeatThu ? 1 : 0,
            b.repeatFri ? 1 : 0,
            b.repeatSat ? 1 : 0};
}

VelkBroadcast broadcastFromQuery(const QSqlQuery &query)
{
    VelkBroadcast b;
    b.bid = query.value(0).toUInt();
    b.status = static_cast<VelkBroadcast::Status>(query.value(1).toInt());
    b.displayType = query.value(2).toInt();
    b.contentText = query.value(3).toString();
    b.audioSelection = query.value(4).toInt();
    b.displayedAudioFilename = query.value(5).toString();
    b.savedAudioFilename = query.value(6).toString();
    b.wakeOnLan = query.value(7).toInt() != 0;
    b.repeat = query.value(8).toInt() != 0;
    b.durationMin = query.value(9).toInt();
    b.durationSec = query.value(10).toInt();
    b.target = query.value(11).toInt();
    b.isNow = query.value(12).toInt() != 0;
    b.startDate = query.value(13).toString();
    b.time = query.value(14).toString();
    b.repeatSun = query.value(15).toInt() != 0;
    b.repeatMon = query.value(16).toInt() != 0;
    b.repeatTue = query.value(17).toInt() != 0;
    b.repeatWed = query.value(18).toInt() != 0;
    b.repeatThu = query.value(19).toInt() != 0;
    b.repeatFri = query.value(20).toInt() != 0;
    b.repeatSat = query.value(21).toInt() != 0;
    b.failedCount = 0;
    return b;
}

quint32 broadcastExists(QSqlDatabase db, quint32 bid, const char *context)
{
    return LinkQueries::rowExists(db, "Broadcast", "bid", bid, context);
}

quint32 insertLinks(QSqlDatabase db, const VelkBroadcast &broadcast, quint32 bid, const char *context)
{
    return LinkQueries::insertLinks(db, broadcast.target, broadcast.devices, broadcast.groups, "DeviceBroadcast",
                                    "GroupsBroadcast", "bid", bid, context);
}

const char kBroadcastColumns[] =
    "bid, status, displayType, contentText, audioSelection, displayedAudioFilename, savedAudioFilename, wakeOnLan, "
    "repeat, durationMin, durationSec, target, isNow, startDate, time, repeatSun, repeatMon, repeatTue, repeatWed, "
    "repeatThu, repeatFri, repeatSat";

} // namespace

quint32 BroadcastTables::insertBroadcast(QSqlDatabase db, VelkBroadcast &broadcast)
{
    const char *context = "BroadcastTables::insertBroadcast";
    return LinkQueries::insertWithLinks(
        db,
        QStringLiteral("INSERT INTO Broadcast (status, displayType, contentText, "
                       "audioSelection, displayedAudioFilename, savedAudioFilename, "
                       "wakeOnLan, repeat, durationMin, durationSec, target, isNow, "
                       "startDate, time, repeatSun, repeatMon, repeatTue, repeatWed, "
                       "repeatThu, repeatFri, repeatSat) "
                       "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
        broadcastValues(broadcast), [&](quint32 key) { return insertLinks(db, broadcast, key, context); },
        broadcast.bid, context);
}

quint32 BroadcastTables::updateBroadcast(QSqlDatabase db, VelkBroadcast &broadcast)
{
    const char *context = "BroadcastTables::updateBroadcast";
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 rc = broadcastExists(db, broadcast.bid, context);
        if (rc != DB_OK)
            return rc;
        QVariantList values = broadcastValues(broadcast);
        values << broadcast.bid;
        rc = LinkQueries::exec(
            db,
            QStringLiteral("UPDATE Broadcast SET status = ?, displayType = ?, contentText = ?, "
                           "audioSelection = ?, displayedAudioFilename = ?, savedAudioFilename = ?, "
                           "wakeOnLan = ?, repeat = ?, durationMin = ?, durationSec = ?, target = ?, "
                           "isNow = ?, startDate = ?, time = ?, repeatSun = ?, repeatMon = ?, "
                           "repeatTue = ?, repeatWed = ?, repeatThu = ?, repeatFri = ?, repeatSat = ? "
                           "WHERE bid = ?"),
            values, context);
        if (rc == DB_OK)
            rc = LinkQueries::deleteLinks(db, "DeviceBroadcast", "GroupsBroadcast", "bid", broadcast.bid, context);
        if (rc == DB_OK)
            rc = insertLinks(db, broadcast, broadcast.bid, context);
        return rc;
    });
}

quint32 BroadcastTables::updateBroadcastStatus(QSqlDatabase db, VelkBroadcast &broadcast)
{
    const char *context = "BroadcastTables::updateBroadcastStatus";
    return inTransaction(db, context, [&]() -> quint32 {
        quint32 rc = broadcastExists(db, broadcast.bid, context);
        if (rc == DB_OK)
            rc = LinkQueries::exec(db, QStringLiteral("UPDATE Broadcast SET status = ? WHERE bid = ?"),
                                   {int(broadcast.status), broadcast.bid}, context);
        return rc;
    });
}

quint32 BroadcastTables::updateBroadcastStatusIf(QSqlDatabase db, VelkBroadcast &broadcast, VelkBroadcast::Status from,
                                                 bool &set)
{
    const char *context = "BroadcastTables::updateBroadcastStatusIf";
    set = false;
    return inTransaction(db, context, SqlTransaction::SingleWrite, [&]() -> quint32 {
        VelkBroadcast stored;
        {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            if (!sqlExec(query,
                         QStringLiteral("SELECT %1 FROM Broadcast WHERE bid = ?").arg(QLatin1String(kBroadcastColumns)),
                         {broadcast.bid}, context))
                return DB_STATEMENT_FAILED;
            if (!query.next())
                return DB_ROW_NOT_FOUND;
            stored = broadcastFromQuery(query);
        }
        // Changed since the caller read it (the operator's edit or move, another program's change): that stands.
        if (stored.status != from || !startsAlike(stored, broadcast))
            return DB_OK;
        const quint32 rc = LinkQueries::exec(db, QStringLiteral("UPDATE Broadcast SET status = ? WHERE bid = ?"),
                                             {int(broadcast.status), broadcast.bid}, context);
        set = rc == DB_OK;
        return rc;
    });
}

quint32 BroadcastTables::deleteBroadcast(QSqlDatabase db, VelkBroadcast &broadcast)
{
    return LinkQueries::deleteWithLinks(db, "Broadcast", "DeviceBroadcast", "GroupsBroadcast", "BroadcastReport", "bid",
                                        broadcast.bid, "BroadcastTables::deleteBroadcast");
}

quint32 BroadcastTables::insertBroadcastReport(QSqlDatabase db, VelkBroadcast &broadcast, QList<VelkIFPDevice> &devices)
{
    const char *context = "BroadcastTables::insertBroadcastReport";
    return inTransaction(db, context, [&]() -> quint32 {
        // Written late (held while another program held the database), the rows may come after the broadcast or a
        // device was deleted: rows under either would be orphans nobody deletes.
        const quint32 rc = broadcastExists(db, broadcast.bid, context);
        if (rc != DB_OK)
            return rc;
        // Rows of earlier sendings stay: a repeating broadcast keeps one row per device and sending.
        for (const VelkIFPDevice &device : qAsConst(devices)) {
            if (LinkQueries::exec(
                    db,
                    QStringLiteral("INSERT INTO BroadcastReport (did, bid, status, note) SELECT ?, ?, 0, 0 "
                                   "WHERE EXISTS (SELECT 1 FROM Device WHERE did = ?)"),
                    {device.did, broadcast.bid, device.did}, context) != DB_OK)
                return DB_STATEMENT_FAILED;
        }
        return DB_OK;
    });
}

quint32 BroadcastTables::updateBroadcastReport(QSqlDatabase db, VelkIFPDevice &device, VelkBroadcast &broadcast,
                                               int status, int note)
{
    const char *context = "BroadcastTables::updateBroadcastReport";
    return inTransaction(db, context, [&]() -> quint32 {
        // The newest row is the current sending's: a result must not overwrite an earlier run's row.
        quint32 brid = 0;
        quint32 rc = LinkQueries::firstId(
            db, QStringLiteral("SELECT brid FROM BroadcastReport WHERE did = ? AND bid = ? ORDER BY brid DESC LIMIT 1"),
            {device.did, broadcast.bid}, brid, context);
        if (rc == DB_OK)
            rc = LinkQueries::exec(db, QStringLiteral("UPDATE BroadcastReport SET status = ?, note = ? WHERE brid = ?"),
                                   {status, note, brid}, context);
        return rc;
    });
}

quint32 BroadcastTables::moveBroadcastReport(QSqlDatabase db, VelkBroadcast &from, VelkBroadcast &to)
{
    const char *context = "BroadcastTables::moveBroadcastReport";
    return inTransaction(db, context, SqlTransaction::SingleWrite, [&]() -> quint32 {
        const quint32 rc = broadcastExists(db, from.bid, context);
        if (rc != DB_OK)
            return rc;
        return LinkQueries::exec(db, QStringLiteral("UPDATE BroadcastReport SET bid = ? WHERE bid = ?"),
                                 {to.bid, from.bid}, context);
    });
}

quint32 BroadcastTables::deleteBroadcastReport(QSqlDatabase db, VelkBroadcast &broadcast)
{
    const char *context = "BroadcastTables::deleteBroadcastReport";
    return inTransaction(db, context, SqlTransaction::SingleWrite, [&]() -> quint32 {
        return LinkQueries::exec(db, QStringLiteral("DELETE FROM BroadcastReport WHERE bid = ?"), {broadcast.bid},
                                 context);
    });
}

quint32 BroadcastTables::queryBroadcastByStatus(QSqlDatabase db, VelkBroadcast::Status status,
                                                QList<VelkBroadcast> &broadcasts)
{
    const char *context = "BroadcastTables::queryBroadcastByStatus";
    QString orderBy;
    switch (int(status)) {
    case VelkBroadcast::Pending:
        orderBy = QStringLiteral(" ORDER BY bid");
        break;
    case VelkBroadcast::Upcoming:
        break;
    case VelkBroadcast::Completed:
        orderBy = QStringLiteral(" ORDER BY startDate, time, bid");
        break;
    default:
        return DB_BAD_ARGUMENT;
    }

    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!sqlExec(query,
                 QStringLiteral("SELECT %1 FROM Broadcast WHERE status = ?%2")
                     .arg(QLatin1String(kBroadcastColumns), orderBy),
                 {int(status)}, context))
        return DB_STATEMENT_FAILED;
    while (query.next()) {
        VelkBroadcast broadcast = broadcastFromQuery(query);
        quint32 rc = LinkQueries::targetLinks(db, broadcast.target, "DeviceBroadcast", "GroupsBroadcast", "bid",
                                              broadcast.bid, broadcast.devices, broadcast.groups, context);
        if (rc == DB_OK && broadcast.status == VelkBroadcast::Completed)
            rc = LinkQueries::firstInt(
                db, QStringLiteral("SELECT COUNT(*) FROM BroadcastReport WHERE bid = ? AND status = 2"),
                {broadcast.bid}, broadcast.failedCount, context);
        if (rc != DB_OK)
            return rc;
        broadcasts.append(broadcast);
    }
    return DB_OK;
}

quint32 BroadcastTables::queryBroadcastReportByBroadcast(QSqlDatabase db, const VelkBroadcast &broadcast,
                                                         QList<VelkBroadcastReport> &rows)
{
    const char *context = "BroadcastTables::queryBroadcastReportByBroadcast";
    return LinkQueries::reportRows(
        db, QStringLiteral("SELECT brid, did, bid, status, note FROM BroadcastReport WHERE bid = ? ORDER BY brid"),
        broadcast.bid, context, [&rows](const QSqlQuery &row, const VelkIFPDevice &device) {
            VelkBroadcastReport report;
            report.brid = row.value(0).toUInt();
            report.status = row.value(3).toInt();
            report.note = row.value(4).toInt();
            report.device = device;
            rows.append(report);
        });
}
