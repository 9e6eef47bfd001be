#include "firmware/OtaAfterRunWatch.h"

#include "datastore/DbResult.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBIntf.h"
#include "datastore/UpdateStatus.h"
#include "datastore/VelkOtaSchedule.h"
#include "datastore/VelkOtaScheduleReport.h"
#include "network/CmdServer.h"
#include "network/DeviceChannel.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"

#include <QTimer>

OtaAfterRunWatch::OtaAfterRunWatch(OrvantaDBIntf *db, CmdServer *server, Clock *clock, QObject *parent)
    : QObject(parent), m_db(db), m_server(server), m_clock(clock)
{
}

QString OtaAfterRunWatch::waitEnd() const
{
    return m_clock->now().addMSecs(m_waitMs).toUTC().toString(Qt::ISODateWithMs);
}

void OtaAfterRunWatch::watch(const QList<VelkIFPDevice> &devices, quint32 osid)
{
    // The run ends once every device is judged, which for one device is the moment it is back at its new version. Its
    // A/B firmware may still fail its own health check, restart once more and come back at the old image; the wake
    // time-out it had to come back in the first place is the time it has to do so.
    const QString until = waitEnd();
    DbWriteBatch batch(m_db, "OtaAfterRunWatch::watch");
    for (const VelkIFPDevice &device : devices) {
        const QString key = m_server->linkKey(device);
        if (key.isEmpty())
            continue;
        start(key, device, osid);
        const quint32 did = device.did;
        batch.write(QStringLiteral("wait of %1 after schedule %2").arg(device.deviceName).arg(osid),
                    [db = m_db, osid, did, until] { return db->updateOtaScheduleReportWatch(osid, did, until); });
    }
    batch.finish();
}

void OtaAfterRunWatch::start(const QString &key, const VelkIFPDevice &device, quint32 osid)
{
    Watch &watch = m_watches[key];
    if (!watch.timer) {
        watch.timer = new QTimer(this);
        watch.timer->setSingleShot(true);
        connect(watch.timer, &QTimer::timeout, this, [this, key] { waitEnded(key); });
    }
    watch.device = device;
    watch.osid = osid;
    watch.timer->start(m_waitMs);
    listen();
}

void OtaAfterRunWatch::listen()
{
    if (!m_connections.isEmpty())
        return;
    // Copied when they happen and handled from the event loop in order, as during the run.
    m_connections.append(connect(m_server, &CmdServer::channelDisconnect, this, [this](DeviceChannel *channel) {
        const QString key = channel->getMacAddress();
        QMetaObject::invokeMethod(
            this, [=] { away(key); }, Qt::QueuedConnection);
    }));
    m_connections.append(connect(m_server, &CmdServer::newConnection, this, [this](DeviceChannel *channel) {
        const QString key = channel->getMacAddress();
        const QString fw = channel->getFwVersion();
        const QString panelFw = channel->getPanelFwVersion();
        QMetaObject::invokeMethod(
            this, [=] { back(key, fw, panelFw); }, Qt::QueuedConnection);
    }));
}

void OtaAfterRunWatch::away(const QString &key)
{
    const auto watch = m_watches.find(key);
    if (watch == m_watches.end())
        return;
    writeLog(LOG_LEVEL_INFO, "OtaAfterRunWatch, away after its run, judged again when back: %s", qPrintable(key));
    restartWait(*watch);
}

void OtaAfterRunWatch::back(const QString &key, const QString &fwVersion, const QString &panelFwVersion)
{
    const auto watch = m_watches.find(key);
    if (watch == m_watches.end())
        return;
    if (fwVersion == watch->device.fwVersion) {
        writeLog(LOG_LEVEL_INFO, "OtaAfterRunWatch, back at %s after its run: %s", qPrintable(fwVersion),
                 qPrintable(key));
        restartWait(*watch);
        emit deviceKept(watch->device.did);
        return;
    }
    writeLog(LOG_LEVEL_WARNING, "OtaAfterRunWatch, back at %s after its run, not at the %s it installed: %s",
             qPrintable(fwVersion), qPrintable(watch->device.fwVersion), qPrintable(key));
    VelkIFPDevice device = watch->device;
    device.fwVersion = fwVersion;
    device.panelFwVersion = panelFwVersion;
    const quint32 osid = watch->osid;
    drop(key);
    // The row and the end of its wait together, so that a console started again does not judge it anew.
    DbWriteBatch batch(m_db, "OtaAfterRunWatch::back");
    writeReportRow(batch, m_db, device, osid, UPDATE_FAILED);
    const quint32 did = device.did;
    batch.write(QStringLiteral("wait of %1 after schedule %2").arg(device.deviceName).arg(osid),
                [db = m_db, osid, did] { return db->updateOtaScheduleReportWatch(osid, did, QString()); });
    batch.finish();
    if (!batch.isKept(0)) {
        writeLog(LOG_LEVEL_ERROR, "OtaAfterRunWatch, updateOtaScheduleReport error");
        return;
    }
    emit deviceFailed(osid);
}

void OtaAfterRunWatch::waitEnded(const QString &key)
{
    const auto watch = m_watches.find(key);
    if (watch == m_watches.end())
        return;
    // Connected now, it has run what it installed since it was last seen coming back or judged. Away now, it went away
    // and never came back within the wait: nothing shows what it runs, and its row stays as the run left it.
    if (m_server->isDeviceOnline(watch->device))
        writeLog(LOG_LEVEL_INFO, "OtaAfterRunWatch, kept what it installed through the wake time-out: %s",
                 qPrintable(key));
    else
        writeLog(LOG_LEVEL_WARNING,
                 "OtaAfterRunWatch, not seen within the wake time-out after its run, not judged: %s, %s",
                 qPrintable(watch->device.deviceName), qPrintable(key));
    storeWait(*watch, QString(), "OtaAfterRunWatch::waitEnded");
    drop(key);
}

void OtaAfterRunWatch::restartWait(Watch &watch)
{
    watch.timer->start(m_waitMs);
    storeWait(watch, waitEnd(), "OtaAfterRunWatch::restartWait");
}

void OtaAfterRunWatch::storeWait(const Watch &watch, const QString &until, const char *context)
{
    const quint32 osid = watch.osid;
    const quint32 did = watch.device.did;
    DbWriteBatch::writeOne(
        m_db, context, QStringLiteral("wait of %1 after schedule %2").arg(watch.device.deviceName).arg(osid),
        [db = m_db, osid, did, until] { return db->updateOtaScheduleReportWatch(osid, did, until); });
}

void OtaAfterRunWatch::stop(const VelkIFPDevice &device)
{
    const QString key = m_server->linkKey(device);
    const auto watch = m_watches.constFind(key);
    if (watch == m_watches.constEnd())
        return;
    storeWait(*watch, QString(), "OtaAfterRunWatch::stop");
    drop(key);
}

void OtaAfterRunWatch::forget(const VelkIFPDevice &device)
{
    for (auto watch = m_watches.cbegin(); watch != m_watches.cend(); ++watch) {
        if (device.did != 0 ? watch->device.did == device.did : watch->device.deviceName == device.deviceName) {
            drop(watch.key());
            return;
        }
    }
}

void OtaAfterRunWatch::takeUpStored()
{
    for (const QString &key : m_watches.keys())
        drop(key);
    QList<VelkOtaScheduleReport> rows;
    if (m_db->queryWatchedOtaScheduleReports(rows) != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "OtaAfterRunWatch::takeUpStored, queryWatchedOtaScheduleReports error");
        return;
    }
    const QDateTime now = m_clock->now();
    for (const VelkOtaScheduleReport &row : qAsConst(rows)) {
        const QDateTime until = QDateTime::fromString(row.watchUntil, Qt::ISODateWithMs);
        if (row.status != UPDATE_SUCCESSFULLY || !until.isValid() || until <= now)
            continue;
        // The version its run left in its row is the one it installed.
        VelkIFPDevice device = row.device;
        device.fwVersion = row.fwVersion;
        const QString key = m_server->linkKey(device);
        if (key.isEmpty())
            continue;
        writeLog(LOG_LEVEL_INFO, "OtaAfterRunWatch, watched on after its run of schedule %u: %s, %s", row.osid,
                 qPrintable(device.deviceName), qPrintable(key));
        start(key, device, row.osid);
        restartWait(m_watches[key]);
        // Back already, before anyone watched: judged by what it reported.
        if (const DeviceChannel *channel = m_server->getChannel(key))
            back(key, channel->getFwVersion(), channel->getPanelFwVersion());
    }
}

void OtaAfterRunWatch::writeReportRow(DbWriteBatch &batch, OrvantaDBIntf *db, const VelkIFPDevice &device, quint32 osid,
                                      int status)
{
    batch.write(QStringLiteral("report row of %1 in schedule %2").arg(device.deviceName).arg(osid),
                [db, device, osid, status] {
                    VelkIFPDevice row = device;
                    VelkOtaSchedule schedule;
                    schedule.osid = osid;
                    // Written late (held while another program held the database), a row whose schedule the operator
                    // deleted meanwhile is gone: nothing to set, nothing lost.
                    return goneIsDone(db->updateOtaScheduleReport(row, schedule, status));
                });
}

void OtaAfterRunWatch::drop(const QString &key)
{
    const auto watch = m_watches.find(key);
    if (watch == m_watches.end())
        return;
    watch->timer->stop();
    watch->timer->deleteLater();
    m_watches.erase(watch);
    if (!m_watches.isEmpty())
        return;
    for (const QMetaObject::Connection &connection : qAsConst(m_connections))
        disconnect(connection);
    m_connections.clear();
}
