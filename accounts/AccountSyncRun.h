#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <map>

#include "datastore/VelkIFPDevice.h"

class Clock;
class CmdServer;
class OrvantaDBIntf;
class QTimer;

/// The console's side of account synchronisation, apart from any widget: the time-out of every
/// panel whose synchronisation is awaited, whoever started it, and the progress of a "Sync Now"
/// run over many panels.
///
/// The network layer arms no timer of its own: it asks for one through armTimeout() and ends it
/// through finished(). A panel that does not answer in time is recorded as failed here. Panels are
/// keyed as the command server names them (CmdServer::linkKey): by their MAC in the network's
/// normal form ("aa:bb:cc:dd:ee:ff"), whatever form the database holds, so a device stored in
/// capitals or with dashes still ends its run; a panel known by its address alone by its device.
///
/// A run asks every panel when it starts, and every panel's time-out is armed then and never
/// again, so a run ends at the latest when the longest time-out after its start has passed,
/// however many panels stay silent.
class AccountSyncRun : public QObject
{
    Q_OBJECT
public:
    AccountSyncRun(OrvantaDBIntf *db, CmdServer *server, QObject *parent = nullptr);
    ~AccountSyncRun() override;

    /// Where the time of a recorded failure comes from; Clock::system() by default.
    void setClock(Clock *clock);
    /// Every time-out asked for is multiplied by this (tests shorten them); 1 by default.
    void setTimeoutScale(double scale);

    /// The devices a "Sync Now" goes to: those that pass the multi-user gate, as stored
    /// (DeviceAssignment::supportedDevices). While the database cannot give them (another program
    /// holds it exclusively), those of the command server's held records that pass the same gate:
    /// they name every panel that can be connected. False when neither is known yet.
    bool syncNowDevices(QList<VelkIFPDevice> &devices) const;
    /// A run over every listed device that is connected and not synchronising already: each is
    /// asked now. Returns the number of panels in the run; 0 starts no run.
    int start(const QList<VelkIFPDevice> &devices);
    bool isRunning() const { return !m_targets.isEmpty(); }
    int total() const { return m_total; }
    int done() const { return m_total - m_targets.size(); }
    /// Panels whose time-out is armed, in any run or none.
    int awaited() const { return m_deadlines.size(); }

public slots:
    /// The network layer asks for the panel's time-out (a second request for the same panel
    /// replaces the first).
    void armTimeout(const QString &mac, int timeoutMillis);
    /// The panel's final answer was recorded, or its time-out expired: its timer goes, and a
    /// run waiting for it moves on. A panel counts once: a late answer finds nothing to do.
    void finished(const QString &mac);

signals:
    void progressed(int done, int total);
    /// The last panel of the run finished or timed out.
    void runFinished();
    /// A panel did not answer in time; its assignments were written as failed.
    void timedOut(const QString &mac);

private:
    void onTimeout();
    /// The panel leaves the run; the run ends with its last panel.
    void leaveRun(const QString &mac);
    void removeTimeout(const QString &mac);
    /// Lets the timer fire at the earliest deadline, unless it fires before that anyway.
    void scheduleTimer();
    /// Writes the status and the time into every assignment on the panels' devices.
    void recordStatus(const QList<QString> &macs, int status);
    static QString key(const QString &mac);

    OrvantaDBIntf *m_db;
    CmdServer *m_server;
    Clock *m_clock;
    double m_timeoutScale = 1.0;
    // Every time-out on one timer: a timer object per panel cost a run of hundreds of panels as much as recording
    // their answers. Deadlines are milliseconds of m_elapsed.
    QElapsedTimer m_elapsed;
    QTimer *m_timer;
    qint64 m_timerDue = -1; // when m_timer fires, -1 when it is stopped
    // A panel's entry points into the ordered deadlines, so that removing it finds it at once: a fleet asked in one
    // go has hundreds of equal deadlines, and a search among them for each answer grew with the square of the fleet.
    using Deadlines = std::multimap<qint64, QString>;
    Deadlines m_byDeadline;
    QHash<QString, Deadlines::iterator> m_deadlines;
    QSet<QString> m_targets;
    int m_total = 0;
};
