#include "accounts/AccountSyncRun.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "network/CmdServer.h"
#include "network/DeviceChannel.h"
#include "network/PanelIdentity.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"

#include <QTimer>

namespace {
// Written by a time-out; the network layer writes 1 and 3 from the panels' answers.
constexpr int SyncFailed = 2;
} // namespace

AccountSyncRun::AccountSyncRun(OrvantaDBIntf *db, CmdServer *server, QObject *parent)
    : QObject(parent), m_db(db), m_server(server), m_clock(Clock::system())
{
}

AccountSyncRun::~AccountSyncRun() = default;

void AccountSyncRun::setClock(Clock *clock)
{
    m_clock = clock;
}

void AccountSyncRun::setTimeoutScale(double scale)
{
    m_timeoutScale = scale;
}

QString AccountSyncRun::key(const QString &mac)
{
    const QString normal = PanelIdentity::normaliseMac(mac);
    return normal.isEmpty() ? mac : normal;
}

int AccountSyncRun::start(const QList<VelkIFPDevice> &devices)
{
    m_targets.clear();
    m_waiting.clear();
    m_inFlight.clear();
    for (const VelkIFPDevice &device : devices) {
        const DeviceChannel *channel = m_server->getChannel(device.macAddress);
        const QString panel = key(device.macAddress);
        if (!channel || channel->isSyncing() || m_targets.contains(panel))
            continue;
        m_targets.insert(panel);
        m_waiting.append(device);
    }
    m_total = m_targets.size();
    writeLog(LOG_LEVEL_INFO, "syncTargetList: %d", m_total);
    startWaiting();
    return m_total;
}

void AccountSyncRun::startWaiting()
{
    while (m_inFlight.size() < m_maxInFlight && !m_waiting.isEmpty()) {
        const VelkIFPDevice device = m_waiting.takeFirst();
        const QString panel = key(device.macAddress);
        // The time-out is armed while this call runs.
        if (!m_server->checkAccountSync({device}).isEmpty()) {
            m_inFlight.insert(panel);
            continue;
        }
        writeLog(LOG_LEVEL_INFO, "syncTargetList: %s no longer free", qPrintable(panel));
        leaveRun(panel);
    }
}

void AccountSyncRun::leaveRun(const QString &mac)
{
    m_inFlight.remove(mac);
    if (!m_targets.remove(mac))
        return;
    // Decided before anyone hears of the progress: a listener that lets the event loop run
    // could see further panels end meanwhile, and the run must end once.
    const bool last = m_targets.isEmpty();
    emit progressed(done(), m_total);
    if (last)
        emit runFinished();
}

void AccountSyncRun::armTimeout(const QString &mac, int timeoutMillis)
{
    const QString panel = key(mac);
    writeLog(LOG_LEVEL_INFO, "AccountOverview::setupSyncUserDeviceTimeout: %s", qPrintable(panel));
    removeTimeout(panel);
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setInterval(qMax(1, int(timeoutMillis * m_timeoutScale)));
    timer->setProperty("mac", panel);
    connect(timer, &QTimer::timeout, this, &AccountSyncRun::onTimeout);
    m_timers.insert(panel, timer);
    timer->start();
}

void AccountSyncRun::finished(const QString &mac)
{
    const QString panel = key(mac);
    writeLog(LOG_LEVEL_INFO, "syncUserDeviceFinished: %s", qPrintable(panel));
    removeTimeout(panel);
    if (!m_inFlight.contains(panel))
        return;
    leaveRun(panel);
    startWaiting();
}

void AccountSyncRun::removeTimeout(const QString &mac)
{
    QTimer *timer = m_timers.take(mac);
    if (!timer)
        return;
    timer->stop();
    timer->deleteLater();
}

void AccountSyncRun::onTimeout()
{
    const auto *timer = qobject_cast<QTimer *>(sender());
    if (!timer)
        return;
    const QString mac = timer->property("mac").toString();
    if (m_timers.value(mac) != timer)
        return;
    writeLog(LOG_LEVEL_WARNING, "syncUserDeviceTimeout: %s", qPrintable(mac));
    recordStatus(mac, SyncFailed);
    m_server->resetSyncingUserDevice(mac);
    finished(mac);
    emit timedOut(mac);
}

void AccountSyncRun::recordStatus(const QString &mac, int status)
{
    QList<VelkIFPDevice> devices;
    quint32 rc = m_db->queryAllAvailableIFP(devices);
    if (rc != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "AccountOverview::updateUserDeviceSyncStatus, queryAllAvailableIFP error 0x%08x", rc);
        return;
    }
    const QString now = m_clock->now().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    for (const VelkIFPDevice &device : qAsConst(devices)) {
        if (key(device.macAddress) != mac)
            continue;
        QList<VelkMultiUser> users;
        rc = m_db->queryMultiUserByIFP(users, device.did);
        if (rc != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "AccountOverview::updateUserDeviceSyncStatus, queryMultiUserByIFP error 0x%08x",
                     rc);
        DbTransaction transaction = m_db->transaction("AccountOverview::updateUserDeviceSyncStatus");
        QSet<quint32> written;
        for (const VelkMultiUser &user : qAsConst(users)) {
            if (written.contains(user.muid))
                continue;
            written.insert(user.muid);
            VelkUserDevice assignment;
            assignment.syncStatus = status;
            assignment.lastSyncTime = now;
            m_db->updateUserDevice(assignment, device.deviceName, user.muid);
        }
        if (!transaction.commit())
            writeLog(LOG_LEVEL_ERROR, "AccountOverview::updateUserDeviceSyncStatus, status of %s not written",
                     qPrintable(mac));
    }
}
