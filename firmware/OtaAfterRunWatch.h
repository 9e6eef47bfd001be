#pragma once

#include "datastore/VelkIFPDevice.h"

#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QObject>
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
/// what the database refuses for a while is held and written in order later.
///
/// Devices are known by their link key (CmdServer::linkKey()), so one known by its address alone is watched as well.
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
    /// watched for a whole wait from now, in place of what was watched so far. Rows that cannot be read are logged.
    void takeUpStored();

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
    };

    void start(const QString &key, const VelkIFPDevice &device, quint32 osid);
    void away(const QString &key);
    void back(const QString &key, const QString &fwVersion, const QString &panelFwVersion);
    void waitEnded(const QString &key);
    /// Restarts the device's wait and keeps its end in the row (none for an empty `until`).
    void restartWait(Watch &watch);
    void storeWait(const Watch &watch, const QString &until, const char *context);
    void drop(const QString &key);
    void listen();
    QString waitEnd() const;

    OrvantaDBIntf *m_db;
    CmdServer *m_server;
    Clock *m_clock;
    int m_waitMs = 600000;
    QHash<QString, Watch> m_watches; ///< by link key
    QList<QMetaObject::Connection> m_connections;
};
