#include "accounts/AccountSyncRun.h"

#include "accounts/DeviceAssignment.h"
#include "datastore/DbResult.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBIntf.h"
#include "network/AccountSyncCache.h"
#include "network/CmdServer.h"
#include "network/DeviceChannel.h"
#include "network/PanelIdentity.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"

#include <QTimer>

namespace {
// Written by a time-out; the network layer writes 1 and 3 from the panels' answers, and 2 at once for a panel whose
// account file it could not take in.
constexpr int SyncFailed = 2;
} // namespace

AccountSyncRun::AccountSyncRun(OrvantaDBIntf *db, CmdServer *server, QObject *parent)
    : QObject(parent), m_db(db), m_server(server), m_clock(Clock::system()), m_timer(new QTimer(this))
{
    m_elapsed.start();
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &AccountSyncRun::onTimeout);
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

bool AccountSyncRun::syncNowDevices(QList<VelkIFPDevice> &devices) const
{
    if (DeviceAssignment::supportedDevices(m_db, devices) == DB_OK)
        return true;
    writeLog(LOG_LEVEL_ERROR, "AccountSyncRun::syncNowDevices, supportedDevices error");
    // Refused for now, the panels' users would be too: the run asks for them after a pause, not in this turn again.
    if (m_db->refusedForNow())
        m_server->accountSyncCache()->readRefusedElsewhere();
    // Read as "no device", the operator's Sync Now started nothing and said nothing.
    if (!m_server->managedDevicesKnown())
        return false;
    devices = DeviceAssignment::supportedAmong(m_server->managedDevices());
    return true;
}

int AccountSyncRun::start(const QList<VelkIFPDevice> &devices)
{
    m_targets.clear();
    // Every panel is asked now and its time-out armed while this call runs; a device without a connection, or one
    // synchronising already, is passed over there. Answers come from the event loop, after the targets are known.
    const QList<QString> started = devices.isEmpty() ? QList<QString>() : m_server->checkAccountSync(devices);
    for (const QString &mac : started)
        m_targets.insert(key(mac));
    m_total = m_targets.size();
    writeLog(LOG_LEVEL_INFO, "syncTargetList: %d", m_total);
    return m_total;
}

void AccountSyncRun::leaveRun(const QString &mac)
{
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
    const qint64 deadline = m_elapsed.elapsed() + qMax(1, int(timeoutMillis * m_timeoutScale));
    // Equal deadlines keep the order they were armed in.
    m_deadlines.insert(panel, m_byDeadline.emplace_hint(m_byDeadline.end(), deadline, panel));
    scheduleTimer();
}

void AccountSyncRun::scheduleTimer()
{
    if (m_byDeadline.empty()) {
        m_timer->stop();
        m_timerDue = -1;
        return;
    }
    // A timer that fires early finds nothing due and is set again; only an earlier deadline moves it.
    const qint64 earliest = m_byDeadline.begin()->first;
    if (m_timer->isActive() && m_timerDue <= earliest)
        return;
    m_timerDue = earliest;
    m_timer->start(int(qMax<qint64>(0, earliest - m_elapsed.elapsed())));
}

void AccountSyncRun::finished(const QString &mac)
{
    const QString panel = key(mac);
    writeLog(LOG_LEVEL_INFO, "syncUserDeviceFinished: %s", qPrintable(panel));
    removeTimeout(panel);
    leaveRun(panel);
}

void AccountSyncRun::removeTimeout(const QString &mac)
{
    const auto found = m_deadlines.find(mac);
    if (found == m_deadlines.end())
        return;
    m_byDeadline.erase(*found);
    m_deadlines.erase(found);
}

void AccountSyncRun::onTimeout()
{
    m_timerDue = -1;
    QList<QString> expired;
    while (!m_byDeadline.empty() && m_byDeadline.begin()->first <= m_elapsed.elapsed()) {
        const QString mac = m_byDeadline.begin()->second;
        removeTimeout(mac);
        writeLog(LOG_LEVEL_WARNING, "syncUserDeviceTimeout: %s", qPrintable(mac));
        expired.append(mac);
    }
    // Silent panels of a run expire together: their failures are written at once.
    if (!expired.isEmpty())
        recordStatus(expired, SyncFailed);
    for (const QString &mac : qAsConst(expired)) {
        m_server->resetSyncingUserDevice(mac);
        finished(mac);
        emit timedOut(mac);
    }
    scheduleTimer();
}

void AccountSyncRun::recordStatus(const QList<QString> &macs, int status)
{
    // The devices as the console knows them: read from a database another program holds, the time-outs were lost.
    // The key a time-out carries is the panel's link key, which names its device also when it is known by its address.
    const QString now = m_clock->now().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    DbWriteBatch batch(m_db, "AccountSyncRun::recordStatus");
    for (const QString &mac : macs) {
        const quint32 did = m_server->managedDeviceId(mac);
        if (did == 0)
            continue;
        const quint32 rc =
            batch.write(QStringLiteral("sync status of %1").arg(mac), CmdServer::syncStatusKey(did),
                        [db = m_db, did, status, now] { return db->updateUserDeviceSyncStatus(did, status, now); });
        if (rc != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "AccountOverview::updateUserDeviceSyncStatus, status of %s not written (0x%08x)",
                     qPrintable(mac), rc);
    }
    batch.finish();
}
