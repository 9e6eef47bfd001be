#include "accounts/AccountSyncRun.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "network/CmdServer.h"
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
    // The time-outs are armed while this call runs, before the targets are known.
    const QList<QString> started = m_server->checkAccountSync(devices);
    m_targets.clear();
    for (const QString &mac : started)
        m_targets.insert(key(mac));
    m_total = m_targets.size();
    writeLog(LOG_LEVEL_INFO, "syncTargetList: %d", m_total);
    return m_total;
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
    if (!m_targets.remove(panel))
        return;
    // Decided before anyone hears of the progress: a listener that lets the event loop run
    // could see further panels end meanwhile, and the run must end once.
    const bool last = m_targets.isEmpty();
    emit progressed(done(), m_total);
    if (last)
        emit runFinished();
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
    }
}
