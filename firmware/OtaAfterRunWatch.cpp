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
    : QObject(parent), m_db(db), m_server(server), m_clock(clock), m_reread(db->heldWrites())
{
    connect(&m_reread, &DbReadRetry::retry, this, &OtaAfterRunWatch::readStored);
}

QString OtaAfterRunWatch::waitEnd() const
{
    return m_clock->now().addMSecs(m_waitMs).toUTC().toString(Qt::ISODateWithMs);
}

QString OtaAfterRunWatch::waitKey(quint32 osid, quint32 did)
{
    return QStringLiteral("after-run wait of device %1 in firmware-update schedule %2").arg(did).arg(osid);
}

QString OtaAfterRunWatch::logKey(const Watch &watch) const
{
    return m_server->linkKey(watch.device);
}

void OtaAfterRunWatch::watch(const QList<VelkIFPDevice> &devices, quint32 osid)
{
    // The run ends once every device is judged, which for one device is the moment it is back at its new version. Its
    // A/B firmware may still fail its own health check, restart once more and come back at the old image; the wake
    // time-out it had to come back in the first place is the time it has to do so.
    const QString until = waitEnd();
    DbWriteBatch batch(m_db, "OtaAfterRunWatch::watch");
    QList<quint32> written;
    for (const VelkIFPDevice &device : devices) {
        if (device.did == 0)
            continue;
        start(device, osid, QString());
        const quint32 did = device.did;
        batch.write(QStringLiteral("wait of %1 after schedule %2").arg(device.deviceName).arg(osid), waitKey(osid, did),
                    [db = m_db, osid, did, until] { return db->updateOtaScheduleReportWatch(osid, did, until); });
        written.append(did);
    }
    batch.finish();
    for (int i = 0; i < written.size(); ++i) {
        if (batch.isKept(i))
            m_watches[written.at(i)].storedUntil = until;
    }
}

void OtaAfterRunWatch::start(const VelkIFPDevice &device, quint32 osid, const QString &storedUntil)
{
    const quint32 did = device.did;
    if (m_readRefused)
        m_settledMeanwhile.insert(did);
    Watch &watch = m_watches[did];
    if (!watch.timer) {
        watch.timer = new QTimer(this);
        watch.timer->setSingleShot(true);
        connect(watch.timer, &QTimer::timeout, this, [this, did] { waitEnded(did); });
    }
    watch.device = device;
    watch.osid = osid;
    watch.storedUntil = storedUntil;
    watch.timer->start(m_waitMs);
    listen();
}

void OtaAfterRunWatch::listen()
{
    if (!m_connections.isEmpty())
        return;
    // Copied when they happen and handled from the event loop in order, as during the run. The device a connection
    // belongs to is the one the command server holds it for when it comes or goes: later, a box known by its address
    // alone may be held under the MAC its card reports.
    m_connections.append(connect(m_server, &CmdServer::channelDisconnect, this, [this](DeviceChannel *channel) {
        const quint32 did = m_server->managedDeviceId(channel->getMacAddress());
        if (did != 0)
            QMetaObject::invokeMethod(
                this, [=] { away(did); }, Qt::QueuedConnection);
    }));
    m_connections.append(connect(m_server, &CmdServer::newConnection, this, [this](DeviceChannel *channel) {
        const quint32 did = m_server->managedDeviceId(channel->getMacAddress());
        const QString fw = channel->getFwVersion();
        const QString panelFw = channel->getPanelFwVersion();
        if (did != 0)
            QMetaObject::invokeMethod(
                this, [=] { back(did, fw, panelFw); }, Qt::QueuedConnection);
    }));
}

void OtaAfterRunWatch::away(quint32 did)
{
    const auto watch = m_watches.find(did);
    if (watch == m_watches.end())
        return;
    writeLog(LOG_LEVEL_INFO, "OtaAfterRunWatch, away after its run, judged again when back: %s",
             qPrintable(logKey(*watch)));
    restartWait(*watch);
}

void OtaAfterRunWatch::back(quint32 did, const QString &fwVersion, const QString &panelFwVersion)
{
    const auto watch = m_watches.find(did);
    if (watch == m_watches.end())
        return;
    const QString key = logKey(*watch);
    if (fwVersion == watch->device.fwVersion) {
        writeLog(LOG_LEVEL_INFO, "OtaAfterRunWatch, back at %s after its run: %s", qPrintable(fwVersion),
                 qPrintable(key));
        restartWait(*watch);
        emit deviceKept(did);
        return;
    }
    writeLog(LOG_LEVEL_WARNING, "OtaAfterRunWatch, back at %s after its run, not at the %s it installed: %s",
             qPrintable(fwVersion), qPrintable(watch->device.fwVersion), qPrintable(key));
    VelkIFPDevice device = watch->device;
    device.fwVersion = fwVersion;
    device.panelFwVersion = panelFwVersion;
    const quint32 osid = watch->osid;
    drop(did);
    // The row and the end of its wait together, so that a console started again does not judge it anew.
    DbWriteBatch batch(m_db, "OtaAfterRunWatch::back");
    writeReportRow(batch, m_db, device, osid, UPDATE_FAILED);
    batch.write(QStringLiteral("wait of %1 after schedule %2").arg(device.deviceName).arg(osid), waitKey(osid, did),
                [db = m_db, osid, did] { return db->updateOtaScheduleReportWatch(osid, did, QString()); });
    batch.finish();
    if (!batch.isKept(0)) {
        writeLog(LOG_LEVEL_ERROR, "OtaAfterRunWatch, updateOtaScheduleReport error");
        return;
    }
    emit deviceFailed(osid);
}

void OtaAfterRunWatch::waitEnded(quint32 did)
{
    const auto watch = m_watches.find(did);
    if (watch == m_watches.end())
        return;
    // Connected now, it has run what it installed since it was last seen coming back or judged. Away now, it went away
    // and never came back within the wait: nothing shows what it runs, and its row stays as the run left it.
    if (m_server->isDeviceOnline(watch->device))
        writeLog(LOG_LEVEL_INFO, "OtaAfterRunWatch, kept what it installed through the wake time-out: %s",
                 qPrintable(logKey(*watch)));
    else
        writeLog(LOG_LEVEL_WARNING,
                 "OtaAfterRunWatch, not seen within the wake time-out after its run, not judged: %s, %s",
                 qPrintable(watch->device.deviceName), qPrintable(logKey(*watch)));
    storeWait(*watch, QString(), "OtaAfterRunWatch::waitEnded");
    drop(did);
}

void OtaAfterRunWatch::restartWait(Watch &watch)
{
    watch.timer->start(m_waitMs);
    storeWait(watch, waitEnd(), "OtaAfterRunWatch::restartWait");
}

void OtaAfterRunWatch::storeWait(Watch &watch, const QString &until, const char *context)
{
    if (until == watch.storedUntil)
        return;
    const quint32 osid = watch.osid;
    const quint32 did = watch.device.did;
    if (DbWriteBatch::writeOne(
            m_db, context, QStringLiteral("wait of %1 after schedule %2").arg(watch.device.deviceName).arg(osid),
            waitKey(osid, did),
            [db = m_db, osid, did, until] { return db->updateOtaScheduleReportWatch(osid, did, until); }) == DB_OK)
        watch.storedUntil = until;
}

void OtaAfterRunWatch::stop(const VelkIFPDevice &device)
{
    if (m_readRefused)
        m_settledMeanwhile.insert(device.did);
    const auto watch = m_watches.find(device.did);
    if (device.did == 0 || watch == m_watches.end())
        return;
    storeWait(*watch, QString(), "OtaAfterRunWatch::stop");
    drop(device.did);
}

void OtaAfterRunWatch::forget(const VelkIFPDevice &device)
{
    if (m_readRefused)
        m_settledMeanwhile.insert(device.did);
    for (auto watch = m_watches.cbegin(); watch != m_watches.cend(); ++watch) {
        if (device.did != 0 ? watch->device.did == device.did : watch->device.deviceName == device.deviceName) {
            drop(watch.key());
            return;
        }
    }
}

void OtaAfterRunWatch::takeUpStored()
{
    for (quint32 did : m_watches.keys())
        drop(did);
    m_reread.done();
    m_readRefused = false;
    m_settledMeanwhile.clear();
    readStored();
}

void OtaAfterRunWatch::readStored()
{
    QList<VelkOtaScheduleReport> rows;
    if (m_db->queryWatchedOtaScheduleReports(rows) != DB_OK) {
        if (m_db->refusedForNow()) {
            // Not read is not "nothing watched": a device that rolls back meanwhile would stay Successfully.
            if (!m_readRefused)
                writeLog(LOG_LEVEL_WARNING, "OtaAfterRunWatch::takeUpStored, the watched report rows cannot be read "
                                            "for now; read again shortly");
            m_readRefused = true;
            m_reread.later();
            return;
        }
        writeLog(LOG_LEVEL_ERROR, "OtaAfterRunWatch::takeUpStored, queryWatchedOtaScheduleReports error");
        m_readRefused = false;
        m_settledMeanwhile.clear();
        return;
    }
    m_reread.done();
    m_readRefused = false;
    const QSet<quint32> settled = m_settledMeanwhile;
    m_settledMeanwhile.clear();
    const QDateTime now = m_clock->now();
    for (const VelkOtaScheduleReport &row : qAsConst(rows)) {
        const QDateTime until = QDateTime::fromString(row.watchUntil, Qt::ISODateWithMs);
        const quint32 did = row.device.did;
        if (row.status != UPDATE_SUCCESSFULLY || !until.isValid() || until <= now || did == 0 ||
            m_watches.contains(did) || settled.contains(did))
            continue;
        // The version its run left in its row is the one it installed.
        VelkIFPDevice device = row.device;
        device.fwVersion = row.fwVersion;
        start(device, row.osid, row.watchUntil);
        Watch &watch = m_watches[did];
        writeLog(LOG_LEVEL_INFO, "OtaAfterRunWatch, watched on after its run of schedule %u: %s, %s", row.osid,
                 qPrintable(device.deviceName), qPrintable(logKey(watch)));
        restartWait(watch);
        // Back already, before anyone watched: judged by what it reported.
        if (const DeviceChannel *channel = m_server->getChannel(logKey(watch)))
            back(did, channel->getFwVersion(), channel->getPanelFwVersion());
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

void OtaAfterRunWatch::drop(quint32 did)
{
    const auto watch = m_watches.find(did);
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
