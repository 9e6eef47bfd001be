#pragma once

#include "datastore/DbReadRetry.h"
#include "datastore/VelkIFPDevice.h"

#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QSet>
#include <QString>

class Clock;
class CmdServer;
class DbWriteBatch;
class OrvantaDBIntf;
class QTimer;

/// Devices that ended a firmware run Successfully, watched on for the wake time-out after it: an A/B firmware whose new
/// image fails its own health check restarts once more and comes back at the old one. Back at another version than it
/// installed, a device's report row becomes Failed at the version it runs, and deviceFailed() tells the update manager.
/// The wait counts again from each return at what the device installed and from each time it goes away; a device not
/// connected when it ends was not seen keeping what it installed, and the log says so.
///
/// The end of each wait is kept in the device's report row (VelkOtaScheduleReport::watchUntil), so that a console
/// started again within it watches on (takeUpStored()). Its start counts as the devices going away: their connections
/// went with the console before it, and each is watched for a whole wait from then. Writes go through DbWriteBatch:
/// what the database refuses for a while is held and written in order later, the latest wait of a row replacing the
/// one still held, so a device that comes and goes during a hold leaves one write; a wait its row says already is not
/// written again.
///
/// Devices are known by their database id, and the connections that come and go by the device the command server
/// holds them for: a device known by its address alone is watched as well, also when its card reports its MAC after a
/// restart and its connection is held under that MAC from then on.
class OtaAfterRunWatch : public QObject
{
    Q_OBJECT
public:
    OtaAfterRunWatch(OrvantaDBIntf *db, CmdServer *server, Clock *clock, QObject *parent = nullptr);
    ~OtaAfterRunWatch() override = default;

    void setClock(Clock *clock) { m_clock = clock; }
    /// The wait, the wake time-out of a run.
    void setWaitMs(int ms) { m_waitMs = ms; }

    /// Watches the devices as the run of schedule osid left them: at the versions they installed.
    void watch(const QList<VelkIFPDevice> &devices, quint32 osid);
    /// Stops watching the device (a new run judges it itself); its row keeps no wait.
    void stop(const VelkIFPDevice &device);
    /// Stops watching the device the console deleted (matched by its did, else by its name); its row went with it.
    void forget(const VelkIFPDevice &device);
    /// What the report rows keep, as a console starting anew takes it up: the devices whose wait has not ended are
    /// watched for a whole wait from now, in place of what was watched so far. Rows the database refuses to give for
    /// now (another program holds it exclusively) are read again after a pause (DbReadRetry), and then watch the
    /// devices that nothing watched, stopped or forgot meanwhile; rows that cannot be read otherwise are logged.
    void takeUpStored();
    /// The first and the longest pause before the rows are read again (DbReadRetry's; tests shorten them).
    void setRereadIntervalMs(int first, int longest) { m_reread.setIntervalMs(first, longest); }

    /// Adds to the batch the write of the device's report row in schedule osid: the status, at the version the device
    /// runs. A row whose schedule was deleted by the time it is written is no failure.
    static void writeReportRow(DbWriteBatch &batch, OrvantaDBIntf *db, const VelkIFPDevice &device, quint32 osid,
                               int status);

signals:
    /// A watched device came back at another version than it installed: its report row of schedule osid is Failed now,
    /// at the version it runs.
    void deviceFailed(quint32 osid);
    /// A watched device came back at the version it installed.
    void deviceKept(quint32 did);

private:
    struct Watch
    {
        VelkIFPDevice device; ///< at the version it installed
        quint32 osid = 0;     ///< the schedule whose report row it has
        QTimer *timer = nullptr;
        QString storedUntil; ///< the wait its row says, or will say once the writes held now land
    };

    /// Watches the device (by its did) for the run of schedule osid; storedUntil is the wait its row says now.
    void start(const VelkIFPDevice &device, quint32 osid, const QString &storedUntil);
    void away(quint32 did);
    void back(quint32 did, const QString &fwVersion, const QString &panelFwVersion);
    void waitEnded(quint32 did);
    /// Restarts the device's wait and keeps its end in the row.
    void restartWait(Watch &watch);
    /// Keeps the end of the device's wait in its row (none for an empty `until`), unless the row says it already.
    void storeWait(Watch &watch, const QString &until, const char *context);
    void drop(quint32 did);
    void listen();
    /// Reads the waits the rows keep and watches the devices that are not watched and were not stopped or forgotten
    /// since takeUpStored() began; the database refusing for now reads again later.
    void readStored();
    QString waitEnd() const;
    /// How the log names a watched device: the key its connection is held under now.
    QString logKey(const Watch &watch) const;
    /// What a write of the wait of that row supersedes (see DbHeldWrites).
    static QString waitKey(quint32 osid, quint32 did);

    OrvantaDBIntf *m_db;
    CmdServer *m_server;
    Clock *m_clock;
    int m_waitMs = 600000;
    QHash<quint32, Watch> m_watches; ///< by the device's did
    QList<QMetaObject::Connection> m_connections;
    DbReadRetry m_reread;
    bool m_readRefused = false; ///< the stored waits are not read yet: the database refused them for now
    /// Devices watched, stopped or forgotten while the stored waits are not read yet: what was read before is older.
    QSet<quint32> m_settledMeanwhile;
};
