#include "network/CmdServer.h"

#include "datastore/DbHeldWrites.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBManager.h"
#include "network/AccountSyncCache.h"
#include "network/DeviceChannel.h"
#include "network/FrameCodec.h"
#include "network/PanelIdentity.h"
#include "network/ProtocolCodes.h"
#include "network/WorkThread.h"
#include "platform/ArpTable.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QVector>

#ifdef Q_OS_UNIX
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

// Qt 5 listens with a backlog of 50. When a whole fleet reconnects at once after a restart, the kernel drops every
// SYN past 50 connections not yet accepted and each of those panels waits a second or more for its retry, however
// promptly we accept. The listening socket is therefore made here with a deeper queue and handed to QTcpServer.
constexpr int kListenBacklog = 1024;

// Handshakes answered in one turn of the event loop at most for this long.
constexpr qint64 kHandshakeSliceMs = 10;
// The same for the answers of account synchronisations.
constexpr qint64 kSyncSliceMs = 10;
// The longest a panel's final synchronisation answer waits for the others before the statuses are written: a run's
// answers come within a few hundredths of a second, a panel that stays silent must not hold the rest back, and a
// console ended meanwhile loses no more than that of the answers.
constexpr int kSyncGatherMs = 100;
// Statuses written in one transaction for at most this long: the 48,000 rows of a thousand panels take about 25 ms,
// and the event loop must not stop for a tenth of a second.
constexpr qint64 kSyncWriteSliceMs = 50;
// A repeated refusal is said once per address and episode, and the episode's count when no repeat came for this long,
// or this long after it began at the latest; this many addresses at most are told apart (RepeatedLines).
constexpr qint64 kRepeatQuietMs = 60 * 1000;
constexpr qint64 kRepeatLongestMs = 60 * 60 * 1000;
constexpr int kRepeatAddresses = 4096;

bool listenWithBacklog(QTcpServer *server, const QHostAddress &address, quint16 port)
{
#ifdef Q_OS_UNIX
    bool ipv4 = false;
    const quint32 ip = address.toIPv4Address(&ipv4);
    if (ipv4) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd >= 0) {
            const int one = 1;
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
            sockaddr_in local{};
            local.sin_family = AF_INET;
            local.sin_port = htons(port);
            local.sin_addr.s_addr = htonl(ip);
            if (::bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) == 0 &&
                ::listen(fd, kListenBacklog) == 0 && server->setSocketDescriptor(fd))
                return true;
            ::close(fd);
        }
    }
#endif
    // Elsewhere, or when that failed: Qt's own listen, which also sets the error text.
    return server->listen(address, port);
}

// Channels are keyed by the normalised MAC ("aa:bb:..."), while a stored device may carry the form it was typed
// or imported in, upper case or with dashes, as older databases do. Every MAC that meets a channel key goes
// through here.
QString macKey(const QString &mac)
{
    // Most MACs are in the normal form already; this runs for every device on each state refresh.
    bool normalAlready = mac.size() == 17;
    for (int i = 0; normalAlready && i < 17; ++i) {
        const QChar c = mac.at(i);
        normalAlready = i % 3 == 2 ? c == QLatin1Char(':')
                                   : (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
                                         (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
    }
    if (normalAlready)
        return mac;
    const QString normal = PanelIdentity::normaliseMac(mac);
    return normal.isEmpty() ? mac : normal;
}

void normaliseMacs(QList<VelkIFPDevice> &devices)
{
    for (VelkIFPDevice &device : devices)
        device.macAddress = macKey(device.macAddress);
}

// True for a record entered by address alone, and for one holding a MAC that no network card can have: such a MAC,
// written back before it was refused, names no one panel, and the record is matched by its address.
bool holdsNoMac(const VelkIFPDevice &device)
{
    if (device.macAddress.isEmpty())
        return true;
    const QString normal = PanelIdentity::normaliseMac(device.macAddress);
    return !normal.isEmpty() && !ArpTable::isUsableMac(normal);
}

// The link key of a device whose record holds no MAC a panel can be reached by.
const QLatin1String kDidKeyPrefix("did:");

QString didKey(quint32 did)
{
    return did == 0 ? QString() : kDidKeyPrefix + QString::number(did);
}

// The fields a handshake reports, one bit each: a held write-back sets only those that changed, so that whatever else
// changed in the record meanwhile (an edit, a later report's field) stands.
enum ReportField
{
    MacField = 1 << 0,
    IpField = 1 << 1,
    ModelField = 1 << 2,
    FwField = 1 << 3,
    PanelFwField = 1 << 4,
    ClientField = 1 << 5,
    SkuField = 1 << 6,
    SubnetField = 1 << 7,
    GatewayField = 1 << 8,
    PasswordField = 1 << 9,
    AllReportFields = (1 << 10) - 1
};

// The reported fields in which two records differ.
int reportDifferences(const VelkIFPDevice &a, const VelkIFPDevice &b)
{
    return (a.macAddress != b.macAddress || a.learnedMac != b.learnedMac ? MacField : 0) |
           (a.ipAddress != b.ipAddress ? IpField : 0) | (a.modelName != b.modelName ? ModelField : 0) |
           (a.fwVersion != b.fwVersion ? FwField : 0) | (a.panelFwVersion != b.panelFwVersion ? PanelFwField : 0) |
           (a.displayClientVersion != b.displayClientVersion ? ClientField : 0) | (a.sku != b.sku ? SkuField : 0) |
           (a.subnetMask != b.subnetMask ? SubnetField : 0) | (a.gateway != b.gateway ? GatewayField : 0) |
           (a.lastPassword != b.lastPassword ? PasswordField : 0);
}

// The fields of a report a handshake writes back; the MAC only into a record entered by address alone, and with it
// the mark that it was learned there, so that the one is never stored without the other.
void takeReport(VelkIFPDevice &device, const VelkIFPDevice &report, int fields = AllReportFields)
{
    if ((fields & MacField) && holdsNoMac(device)) {
        device.macAddress = report.macAddress;
        device.learnedMac = report.learnedMac;
    }
    const auto take = [fields](int field, QString &to, const QString &from) {
        if (fields & field)
            to = from;
    };
    take(IpField, device.ipAddress, report.ipAddress);
    take(ModelField, device.modelName, report.modelName);
    take(FwField, device.fwVersion, report.fwVersion);
    take(PanelFwField, device.panelFwVersion, report.panelFwVersion);
    take(ClientField, device.displayClientVersion, report.displayClientVersion);
    take(SkuField, device.sku, report.sku);
    take(SubnetField, device.subnetMask, report.subnetMask);
    take(GatewayField, device.gateway, report.gateway);
    take(PasswordField, device.lastPassword, report.lastPassword);
}

bool sameReport(const VelkIFPDevice &a, const VelkIFPDevice &b)
{
    return reportDifferences(a, b) == 0;
}

// What a write-back supersedes: the panel's earlier one, still held.
QString writeBackKey(quint32 did)
{
    return QStringLiteral("record of device %1").arg(did);
}

} // namespace

CmdServer *CmdServer::getInstance()
{
    static QMutex mutex;
    static CmdServer *instance = nullptr;
    QMutexLocker locker(&mutex);
    if (!instance)
        instance = new CmdServer(NetworkConfig::current());
    return instance;
}

QString CmdServer::syncStatusKey(quint32 did)
{
    return QStringLiteral("sync status of device %1").arg(did);
}

QString CmdServer::kickKey(quint32 did)
{
    return QStringLiteral("kick of device %1").arg(did);
}

OrvantaDBIntf *CmdServer::database()
{
    return OrvantaDBManager::getInstance();
}

CmdServer::CmdServer(const NetworkConfig &config)
    : m_config(config), m_server(new QTcpServer(this)), m_clock(Clock::system()), m_reread(database()->heldWrites()),
      m_retryTimer(new QTimer(this)), m_repeated(kRepeatQuietMs, kRepeatLongestMs, kRepeatAddresses),
      m_repeatTimer(new QTimer(this)), m_writeTimer(new QTimer(this)), m_acceptTimer(new QTimer(this)),
      m_identityReads(this, kHandshakeSliceMs, [](DeviceChannel *channel) { channel->readQueuedIdentity(); }),
      m_identified(this, kHandshakeSliceMs,
                   [this](DeviceChannel *channel) {
                       if (channel->state() == DeviceChannel::AwaitIdentity)
                           handshake(channel);
                   }),
      m_accountCache(new AccountSyncCache(database(), this)), m_syncStatusTimer(new QTimer(this)),
      m_firstSyncAnswers(this, kSyncSliceMs, [](DeviceChannel *channel) { channel->answerFirstSync(); })
{
    connect(m_clock, &Clock::jumped, this, &CmdServer::onClockMoved);
    m_repeatTimer->setSingleShot(true);
    connect(m_repeatTimer, &QTimer::timeout, this, &CmdServer::sayEndedRepeats);
    m_acceptTimer->setSingleShot(true);
    m_acceptTimer->setInterval(0);
    connect(m_acceptTimer, &QTimer::timeout, this, &CmdServer::acceptPending);
    m_syncStatusTimer->setSingleShot(true);
    connect(m_syncStatusTimer, &QTimer::timeout, this, &CmdServer::flushSyncStatuses);
    if (QCoreApplication *app = QCoreApplication::instance()) {
        // Answers waiting for the rest of their run are written now: the rest will not come. The held writes had
        // their turn already (the data store heard of the end first); what the database refuses now is named in the
        // log as theirs was.
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            if (m_syncStatuses.isEmpty())
                return;
            while (!m_syncStatuses.isEmpty())
                flushSyncStatuses();
            database()->heldWrites()->endOfProcess("the console ended while the database refused them");
        });
    }
    m_writeTimer->setSingleShot(true);
    m_writeTimer->setInterval(0);
    connect(m_writeTimer, &QTimer::timeout, this, &CmdServer::flushWriteBacks);
    // Write-backs the database held for a while are among them: the lists read from it follow once they land.
    connect(database()->heldWrites(), &DbHeldWrites::heldWritesWritten, this, &CmdServer::deviceRecordsWritten);
    qRegisterMetaType<DeviceChannel *>("DeviceChannel*");
    registerVelkMetaTypes();

    connect(&m_reread, &DbReadRetry::retry, this, &CmdServer::readHandshakeRecords);
    connect(m_accountCache, &AccountSyncCache::readsDue, this, &CmdServer::resumeAccountSyncs);
    readHandshakeRecords();

    connect(m_server, &QTcpServer::newConnection, this, &CmdServer::onNewConnection);
    // A port in use must not stop the console: try again on every tick.
    m_retryTimer->setInterval(m_config.reannounceIntervalMs);
    connect(m_retryTimer, &QTimer::timeout, this, &CmdServer::listen);
    listen();
}

void CmdServer::listen()
{
    if (m_server->isListening()) {
        m_retryTimer->stop();
        return;
    }
    if (listenWithBacklog(m_server, m_config.tcpListenAddress, m_config.tcpPort)) {
        writeLog(LOG_LEVEL_INFO, "CmdServer: listening on port %d", m_server->serverPort());
        m_retryTimer->stop();
        return;
    }
    writeLog(LOG_LEVEL_ERROR, "CmdServer: cannot listen on port %d: %s", m_config.tcpPort,
             qPrintable(m_server->errorString()));
    if (!m_retryTimer->isActive())
        m_retryTimer->start();
}

void CmdServer::setClock(Clock *clock)
{
    disconnect(m_clock, &Clock::jumped, this, &CmdServer::onClockMoved);
    m_clock = clock;
    m_elapsedMovedMs = m_clock->elapsedMovedMs();
    connect(m_clock, &Clock::jumped, this, &CmdServer::onClockMoved);
}

void CmdServer::onClockMoved()
{
    // Every time-out counts on the clock's elapsed reading, which a wall-clock step (the time set, a time sync, a wake
    // from sleep) leaves where it was: the timers armed for them are still right. Re-armed all the same, two timers per
    // connection, each a search through every timer of the thread, held the GUI thread for seconds with a fleet.
    const qint64 moved = m_clock->elapsedMovedMs();
    if (moved == m_elapsedMovedMs)
        return;
    m_elapsedMovedMs = moved;
    // Once here rather than a connection per channel: a fleet's thousands of connections to one signal made every
    // channel's end a search through them.
    QList<QPointer<DeviceChannel>> channels;
    channels.reserve(m_pending.size() + m_channels.size() + m_locked.size());
    for (DeviceChannel *channel : qAsConst(m_pending))
        channels.append(channel);
    for (DeviceChannel *channel : qAsConst(m_channels))
        channels.append(channel);
    for (DeviceChannel *channel : qAsConst(m_locked))
        channels.append(channel);
    for (const QPointer<DeviceChannel> &channel : qAsConst(channels)) {
        if (channel)
            channel->clockMoved();
    }
    sayEndedRepeats();
}

bool CmdServer::firstOfEpisode(const QString &what, const QString &address)
{
    const bool first = m_repeated.first(what, address, m_clock->elapsedMs());
    if (first && !m_repeatTimer->isActive())
        sayEndedRepeats();
    return first;
}

void CmdServer::sayEndedRepeats()
{
    const qint64 now = m_clock->elapsedMs();
    sayRepeats(m_repeated.takeEnded(now));
    const qint64 next = m_repeated.nextEndMs();
    if (next < 0)
        m_repeatTimer->stop();
    else
        m_repeatTimer->start(int(qBound<qint64>(0, next - now, kRepeatLongestMs)));
}

void CmdServer::sayRepeats(const QList<RepeatedLines::Episode> &episodes)
{
    for (const RepeatedLines::Episode &episode : episodes) {
        if (episode.repeats > 0)
            writeLog(LOG_LEVEL_WARNING, "CmdServer: %s from %s, %d more times in %lld s", qPrintable(episode.what),
                     qPrintable(episode.address), episode.repeats,
                     static_cast<long long>((episode.lastMs - episode.startMs) / 1000));
    }
}

quint16 CmdServer::serverPort() const
{
    return m_server->isListening() ? m_server->serverPort() : 0;
}

void CmdServer::onNewConnection()
{
    // Taken in a turn of our own: QTcpServer accepts at most its pending limit per turn, and we take them a slice at a
    // time.
    if (!m_acceptTimer->isActive())
        m_acceptTimer->start();
}

void CmdServer::acceptPending()
{
    QElapsedTimer slice;
    slice.start();
    while (m_server->hasPendingConnections() && slice.elapsed() < kHandshakeSliceMs) {
        QTcpSocket *socket = m_server->nextPendingConnection();
        const QString address = DeviceChannel::peerAddressText(socket);
        // A flood of connections that never identify must not exhaust descriptors or memory; nor may one host's take
        // every place, or the panels reconnecting meanwhile stay out, their SOS with them. Yet a site behind one
        // router reconnects from one address, hundreds of panels at once, each identifying within milliseconds: held
        // to a share from the first, they waited for their retries, a fleet of 500 for up to half a minute. So the
        // share holds only once the places run out.
        if (m_pending.size() >= m_config.maxPendingHandshakes)
            cutToShares();
        int &fromAddress = m_pendingPerAddress[address];
        if (m_pending.size() >= m_config.maxPendingHandshakes ||
            (fromAddress >= m_config.maxPendingPerAddress && m_heldToShare.contains(address))) {
            if (fromAddress == 0)
                m_pendingPerAddress.remove(address);
            if (firstOfEpisode(QStringLiteral("connections refused, too many awaiting identity"), address))
                writeLog(LOG_LEVEL_WARNING, "CmdServer: too many connections awaiting identity, refusing %s",
                         qPrintable(address));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++fromAddress;
        auto *channel = new DeviceChannel(socket, this, m_config);
        m_pending.insert(channel);
        connect(channel, &DeviceChannel::identityReceived, this, &CmdServer::onIdentity);
        connect(channel, &DeviceChannel::kickReported, this, &CmdServer::onKick);
        connect(channel, &DeviceChannel::closed, this, &CmdServer::onChannelClosed);

        connect(channel, &DeviceChannel::checkOtaStateResult, this, &CmdServer::checkOtaStateResult);
        connect(channel, &DeviceChannel::transferFileComplete, this, &CmdServer::transferFileComplete);
        connect(channel, &DeviceChannel::setupTransferFileTimeout, this, &CmdServer::setupTransferFileTimeout);
        connect(channel, &DeviceChannel::setupTransferFileCompleteTimeout, this,
                &CmdServer::setupTransferFileCompleteTimeout);
        connect(channel, &DeviceChannel::otaResult, this, &CmdServer::otaResult);
        connect(channel, &DeviceChannel::resetOtaResultTimeout, this, &CmdServer::resetOtaResultTimeout);
        connect(channel, &DeviceChannel::transferBroadcastFileStarted, this, &CmdServer::transferBroadcastFileStarted);
        connect(channel, &DeviceChannel::sendBroadcastDataComplete, this, &CmdServer::sendBroadcastDataComplete);
        connect(channel, &DeviceChannel::broadcastResult, this, &CmdServer::broadcastResult);
        connect(channel, &DeviceChannel::setupBroadcastTransferFileTimeout, this,
                &CmdServer::setupBroadcastTransferFileTimeout);
        connect(channel, &DeviceChannel::setupBroadcastTransferFileCompleteTimeout, this,
                &CmdServer::setupBroadcastTransferFileCompleteTimeout);
        connect(channel, &DeviceChannel::setupSyncUserDeviceTimeout, this, &CmdServer::setupSyncUserDeviceTimeout);
        connect(channel, &DeviceChannel::syncUserDeviceFinished, this, &CmdServer::syncUserDeviceFinished);
        connect(channel, &DeviceChannel::safeAlert, this,
                [this, channel](const QString &mac) { onSafeAlert(channel, mac); });
    }
    if (m_server->hasPendingConnections())
        m_acceptTimer->start();
}

bool CmdServer::endPending(DeviceChannel *channel)
{
    if (!m_pending.remove(channel))
        return false;
    const auto count = m_pendingPerAddress.find(channel->getIpAddress());
    if (count == m_pendingPerAddress.end())
        return true;
    --*count;
    if (*count < m_config.maxPendingPerAddress)
        m_heldToShare.remove(count.key());
    if (*count <= 0)
        m_pendingPerAddress.erase(count);
    return true;
}

void CmdServer::cutToShares()
{
    QHash<QString, int> over;
    for (auto it = m_pendingPerAddress.cbegin(); it != m_pendingPerAddress.cend(); ++it) {
        if (it.value() > m_config.maxPendingPerAddress)
            over.insert(it.key(), it.value() - m_config.maxPendingPerAddress);
    }
    if (over.isEmpty())
        return;
    // Those that said nothing yet go first: a panel whose identity arrived is answered within the turn.
    QList<DeviceChannel *> cut;
    for (int pass = 0; pass < 2; ++pass) {
        for (DeviceChannel *channel : qAsConst(m_pending)) {
            const auto excess = over.find(channel->getIpAddress());
            if (excess == over.end() || *excess <= 0 || channel->hasSpoken() != (pass == 1))
                continue;
            --*excess;
            cut.append(channel);
        }
    }
    for (auto it = over.cbegin(); it != over.cend(); ++it)
        m_heldToShare.insert(it.key());
    for (DeviceChannel *channel : qAsConst(cut)) {
        if (firstOfEpisode(QStringLiteral("connections refused, too many awaiting identity"), channel->getIpAddress()))
            writeLog(LOG_LEVEL_WARNING, "CmdServer: too many connections awaiting identity, refusing %s",
                     qPrintable(channel->getIpAddress()));
        channel->close();
    }
}

void CmdServer::queueIdentityRead(DeviceChannel *channel)
{
    m_identityReads.append(channel);
}

void CmdServer::onIdentity(DeviceChannel *channel)
{
    m_identified.append(channel);
}

void CmdServer::readHandshakeRecords()
{
    OrvantaDBIntf *db = database();
    // Known unless the database refused the read for now. A read that failed for a reason of its own would fail
    // again: the server goes on without it, as it always did.
    const auto known = [db](quint32 rc, const char *operation) {
        if (rc == DB_OK || db->refusedForNow())
            return rc == DB_OK;
        writeLog(LOG_LEVEL_ERROR, "CmdServer, %s error", operation);
        return true;
    };
    if (!m_passwordKnown) {
        QList<VelkAccount> accounts;
        m_passwordKnown = known(db->queryAccount(accounts), "queryAccount");
        for (const VelkAccount &account : qAsConst(accounts)) {
            if (account.isAdmin) {
                m_controlPassword = account.password;
                break;
            }
        }
    }
    if (!m_consoleIdKnown) {
        QString id;
        m_consoleIdKnown = known(db->queryDatabaseIdentifierUniqueId(id), "queryDatabaseIdentifierUniqueId");
        m_consoleId = id;
        m_consoleIdUtf8 = id.toUtf8();
    }
    if (!m_managedKnown) {
        QList<VelkIFPDevice> devices;
        m_managedKnown = known(db->queryAllAvailableIFP(devices), "queryAllAvailableIFP");
        if (m_managedKnown) {
            m_managedDevices = devices;
            normaliseMacs(m_managedDevices);
            m_managedIndexStale = true;
        }
    }
    if (!handshakeRecordsKnown()) {
        // Said once for the whole wait: the reads go on at growing pauses for as long as the other program holds on.
        if (!m_readsRefused)
            writeLog(LOG_LEVEL_WARNING, "CmdServer: the device list cannot be read for now (another program holds the "
                                        "database); panels that connect wait for it");
        m_readsRefused = true;
        m_reread.later();
        return;
    }
    answerWaitingHandshakes();
}

void CmdServer::answerWaitingHandshakes()
{
    m_reread.done();
    if (m_readsRefused)
        writeLog(LOG_LEVEL_INFO, "CmdServer: the device list is known; %d waiting panels are answered",
                 int(m_waitingHandshakes.size()));
    m_readsRefused = false;
    const QList<QPointer<DeviceChannel>> waiting = std::exchange(m_waitingHandshakes, {});
    // In the slices of the other handshakes: a fleet that waited is answered without holding the event loop.
    for (const QPointer<DeviceChannel> &channel : waiting) {
        if (channel)
            m_identified.append(channel);
    }
}

void CmdServer::setRetryIntervalMs(int first, int longest)
{
    m_reread.setIntervalMs(first, longest);
    m_accountCache->setRetryIntervalMs(first, longest);
}

void CmdServer::handshake(DeviceChannel *channel)
{
    if (!handshakeRecordsKnown()) {
        // Turned away on a list not read yet, a managed panel stayed out, its SOS unheard, until the device list
        // page handed its own list over. It waits for its answer instead, for a while; then it connects again.
        m_waitingHandshakes.append(channel);
        channel->waitForDecision(m_config.handshakeTimeoutMs);
        return;
    }
    endPending(channel);
    const PanelIdentity &identity = channel->identity();
    const QString address = channel->getIpAddress();

    // A managed device by its MAC; else one by its address and type. A MAC that no network card can have
    // (uninitialised cards report all zeros) is the same on many panels: matched by it, the first such panel's device
    // would take every other one, at any address, each pushing the last off.
    const VelkIFPDevice *matched = nullptr;
    if (identity.macUsable) {
        const int index = managedIndex(identity.mac);
        if (index >= 0)
            matched = &m_managedDevices.at(index);
    }
    QString key = identity.mac;
    // Newest connection wins: a MAC names one panel, and one that reconnects before its old socket noticed replaces
    // it, also when it is matched by address (its record did not take its MAC).
    QList<DeviceChannel *> previous;
    if (identity.macUsable)
        previous = {m_channels.value(key), m_locked.value(key)};
    bool sendOurPassword = false;
    bool locked = false;
    if (identity.password.isEmpty())
        sendOurPassword = !m_controlPassword.isEmpty();
    else
        locked = identity.password != m_controlPassword;
    // A panel known by its address alone, locked on the device this panel takes.
    DeviceChannel *lockedHolder = nullptr;
    // What a panel matched by its address leaves in the record as its model and SKU.
    QString model = identity.model;
    QString sku = identity.sku;
    if (!matched) {
        const PanelAdmission::Newcomer newcomer{identity.macUsable, identity.model, identity.sku, identity.deviceType,
                                                locked};
        QVector<int> indexes;
        QVector<PanelAdmission::Record> records;
        for (int i = 0; i < m_managedDevices.size(); ++i) {
            if (m_managedDevices.at(i).ipAddress == address) {
                indexes.append(i);
                records.append(admissionRecord(m_managedDevices.at(i)));
            }
        }
        const PanelAdmission::Decision decision = PanelAdmission::decide(newcomer, records);
        if (decision.take < 0) {
            refuseAtAddress(channel, decision, indexes);
            return;
        }
        matched = &m_managedDevices.at(indexes.at(decision.take));
        PanelAdmission::modelAndSku(records.at(decision.take), newcomer, &model, &sku);
        if (decision.closeHolder)
            lockedHolder = handshakenChannel(recordKey(*matched));
        if (!identity.macUsable)
            key = recordKey(*matched);
    }
    // A panel of the address is in: what was refused from it so far is one episode, said with its count.
    sayRepeats(m_repeated.endAddress(address));
    const VelkIFPDevice device = *matched;
    if (!identity.macUsable && !m_noMacNoted.contains(address)) {
        m_noMacNoted.insert(address);
        writeLog(LOG_LEVEL_WARNING,
                 "CmdServer::handshake, %s at %s reports a MAC no network card can have: matched by its address only "
                 "as %s, its MAC is not stored",
                 qPrintable(identity.mac), qPrintable(address), qPrintable(device.deviceName));
    }

    if (lockedHolder) {
        writeLog(LOG_LEVEL_WARNING,
                 "CmdServer::handshake, %s at %s held locked gives way to a panel with the console's password",
                 qPrintable(device.deviceName), qPrintable(lockedHolder->getIpAddress()));
        lockedHolder->close();
    }
    for (DeviceChannel *old : qAsConst(previous)) {
        if (old && old != channel) {
            writeLog(LOG_LEVEL_INFO, "CmdServer::handshake, replacing connection of %s", qPrintable(key));
            old->close();
        }
    }
    if (channel->state() == DeviceChannel::Closed)
        return;

    channel->setLinkKey(key);
    if (!identity.macUsable)
        m_byAddress.insert(device.did, channel);
    if (locked) {
        writeLog(LOG_LEVEL_INFO, "CmdServer::handshake, %s is locked", qPrintable(key));
        channel->acceptAsLocked(m_consoleId);
        m_locked.insert(key, channel);
        emit connectionStatesChanged();
        return;
    }
    writeLog(LOG_LEVEL_INFO, "CmdServer::handshake, %s connected", qPrintable(key));
    channel->acceptAsConnected(m_consoleId);
    if (sendOurPassword)
        channel->sendFrame(VELK_REMOTE_CMD_SET_PASSWORD, m_controlPassword.toUtf8());
    m_channels.insert(key, channel);
    writeBack(device, channel, model, sku);
    if (channel->state() == DeviceChannel::Closed)
        return;
    emit newConnection(channel);
    if (channel->state() == DeviceChannel::Closed)
        return;
    emit connectionStatesChanged();
}

PanelAdmission::Record CmdServer::admissionRecord(const VelkIFPDevice &device)
{
    PanelAdmission::Record record;
    if (holdsNoMac(device))
        record.mac = PanelAdmission::Mac::None;
    else if (!device.learnedMac.isEmpty() && macKey(device.learnedMac) == macKey(device.macAddress))
        record.mac = PanelAdmission::Mac::Learned;
    else
        record.mac = PanelAdmission::Mac::Entered;
    record.deviceType = device.deviceType;
    record.model = device.modelName;
    record.sku = device.sku;
    if (DeviceChannel *holder = handshakenChannel(recordKey(device))) {
        record.holder =
            holder->identity().macUsable ? PanelAdmission::Holder::ByMac : PanelAdmission::Holder::ByAddress;
        record.holderLocked = holder->isLocked();
        record.holderTransferring = holder->receivesFile();
    }
    return record;
}

void CmdServer::refuseAtAddress(DeviceChannel *channel, const PanelAdmission::Decision &decision,
                                const QVector<int> &indexes)
{
    const PanelIdentity &identity = channel->identity();
    const QString address = channel->getIpAddress();
    const VelkIFPDevice *unlike = decision.unlike >= 0 ? &m_managedDevices.at(indexes.at(decision.unlike)) : nullptr;
    switch (decision.refusal) {
    case PanelAdmission::Refusal::OtherModel:
        if (firstOfEpisode(QStringLiteral("refused, not of the model of the device at its address"), address))
            writeLog(LOG_LEVEL_WARNING,
                     "CmdServer::handshake, %s at %s refused: its model %s (SKU %s) is not that of %s (%s, SKU %s)",
                     qPrintable(identity.mac), qPrintable(address), qPrintable(identity.model),
                     qPrintable(identity.sku), qPrintable(unlike->deviceName), qPrintable(unlike->modelName),
                     qPrintable(unlike->sku));
        break;
    case PanelAdmission::Refusal::EveryHeld:
        // A holder that no longer answers is let go, so that a panel which reconnects before its old connection
        // noticed gets in at its next try.
        if (firstOfEpisode(QStringLiteral("refused, every device of the address held"), address))
            writeLog(LOG_LEVEL_WARNING,
                     "CmdServer::handshake, %s at %s refused: every device of that address is held by another "
                     "connection",
                     qPrintable(identity.mac), qPrintable(address));
        for (int i : decision.probe) {
            if (DeviceChannel *held = handshakenChannel(recordKey(m_managedDevices.at(indexes.at(i)))))
                held->probe(m_config.probeTimeoutMs);
        }
        break;
    case PanelAdmission::Refusal::Unmanaged:
    case PanelAdmission::Refusal::None:
        if (firstOfEpisode(QStringLiteral("unmanaged device refused"), address))
            writeLog(LOG_LEVEL_WARNING, "CmdServer::handshake, unmanaged device %s at %s", qPrintable(identity.mac),
                     qPrintable(address));
        break;
    }
    channel->refuse(m_consoleId);
}

void CmdServer::writeBack(const VelkIFPDevice &matched, DeviceChannel *channel, const QString &model,
                          const QString &sku)
{
    VelkIFPDevice reported = matched;
    // A MAC learned by an address match is marked so in the record: such a record stays its address's, also after
    // a restart, where a MAC the operator entered keeps a panel of another model out.
    if (holdsNoMac(reported) && channel->identity().macUsable) {
        reported.macAddress = channel->getMacAddress();
        reported.learnedMac = reported.macAddress;
    } else if (holdsNoMac(reported)) {
        reported.macAddress.clear();
        reported.learnedMac.clear();
    }
    reported.ipAddress = channel->getIpAddress();
    reported.modelName = model;
    reported.fwVersion = channel->getFwVersion();
    reported.panelFwVersion = channel->getPanelFwVersion();
    reported.displayClientVersion = channel->getDisplayClientVersion();
    reported.sku = sku;
    reported.subnetMask = channel->getSubnetMask();
    reported.gateway = channel->getGateway();
    reported.lastPassword = m_controlPassword;
    // The held record is a full one and mirrors the database: when it already says what the panel reports, there is
    // nothing to write. This is every reconnect.
    if (sameReport(matched, reported))
        return;
    // The held record takes the report at once, so listeners of newConnection see it; the database follows at the
    // end of this event-loop turn, with every other handshake of the turn in one transaction. A fleet's first connect
    // after an import writes every record, and a commit per handshake, each with its own read of the record, held
    // the event loop for seconds.
    auto pending = m_pendingWrites.find(reported.did);
    if (pending == m_pendingWrites.end())
        m_pendingWrites.insert(reported.did, PendingWrite{matched, reported});
    else
        pending->after = reported;
    for (VelkIFPDevice &held : m_managedDevices) {
        if (held.did == reported.did) {
            const QString heldMac = held.macAddress;
            held = reported;
            held.macAddress = macKey(held.macAddress);
            m_managedIndexStale = m_managedIndexStale || held.macAddress != heldMac;
            break;
        }
    }
    if (!m_writeTimer->isActive())
        m_writeTimer->start();
}

void CmdServer::flushWriteBacks()
{
    OrvantaDBIntf *db = database();
    DbHeldWrites *held = db->heldWrites();
    const QList<PendingWrite> pending = m_pendingWrites.values();
    m_pendingWrites.clear();
    QVector<int> fieldsOf;
    fieldsOf.reserve(pending.size());
    DbWriteBatch batch(db, "CmdServer::writeBack");
    for (const PendingWrite &write : pending) {
        // Held and written later when the database refuses it for now (another program holds it, the disk is full):
        // the panel may stay connected for days, and its next handshake would be the next chance. Held per panel,
        // not per handshake: a later one replaces the one still held and carries its fields along.
        const VelkIFPDevice report = write.after;
        const QString key = writeBackKey(report.did);
        int fields = reportDifferences(write.before, report);
        if (held->holds(key))
            fields |= m_heldWriteBackFields.value(report.did);
        fieldsOf.append(fields);
        batch.write(QStringLiteral("record of %1").arg(report.deviceName), key,
                    [db, report, fields] { return writeBackRecord(db, report, fields); });
    }
    batch.finish();
    QHash<quint32, const PendingWrite *> kept;
    QHash<quint32, const PendingWrite *> failed;
    bool written = false;
    for (int i = 0; i < pending.size(); ++i) {
        const PendingWrite &write = pending.at(i);
        written = written || (batch.isKept(i) && !batch.isHeld(i));
        if (batch.isHeld(i))
            m_heldWriteBackFields.insert(write.after.did, fieldsOf.at(i));
        else
            m_heldWriteBackFields.remove(write.after.did);
        if (batch.isKept(i)) {
            kept.insert(write.after.did, &write);
        } else {
            writeLog(LOG_LEVEL_ERROR, "CmdServer::handshake, updateIFPDeviceById error");
            failed.insert(write.after.did, &write);
        }
    }
    for (VelkIFPDevice &record : m_managedDevices) {
        const QString heldMac = record.macAddress;
        if (const PendingWrite *write = kept.value(record.did)) {
            // A list handed over meanwhile, read from the database before the write, gets the report as well.
            takeReport(record, write->after);
            record.macAddress = macKey(record.macAddress);
        } else if (const PendingWrite *refused = failed.value(record.did)) {
            // A held record that claims a report the database did not take is set back, so the panel's next
            // handshake tries the write again. A record changed since is left alone.
            if (sameReport(record, refused->after)) {
                takeReport(record, refused->before);
                record.macAddress = refused->before.macAddress;
                record.learnedMac = refused->before.learnedMac;
            }
        }
        m_managedIndexStale = m_managedIndexStale || record.macAddress != heldMac;
    }
    if (written)
        emit deviceRecordsWritten();
}

quint32 CmdServer::writeBackRecord(OrvantaDBIntf *db, const VelkIFPDevice &report, int fields)
{
    // Read-modify-write on the record as stored now (also when the write runs again later), of the reported fields that
    // changed: fields the panel does not report, and edits made since the handshake, stay as they are.
    QList<VelkIFPDevice> found;
    const quint32 rc = db->queryIFPById(found, report.did);
    if (rc != DB_OK)
        return rc;
    if (found.isEmpty())
        return DB_OK; // deleted since the handshake
    VelkIFPDevice device = found.first();
    takeReport(device, report, fields);
    if (sameReport(found.first(), device))
        return DB_OK;
    return db->updateIFPDeviceById(device);
}

void CmdServer::onKick(DeviceChannel *channel, const QString &otherConsoleId)
{
    const QString mac = channel->getMacAddress();
    const quint32 addressDid = m_byAddress.key(channel, 0);
    writeLog(LOG_LEVEL_WARNING, "CmdServer: %s was taken over by console %s", qPrintable(mac),
             qPrintable(otherConsoleId));
    if (isAdminLogin) {
        // From the held record: read from a database another program held exclusively, the device was not found and
        // the mark was lost.
        const int index = addressDid != 0 ? managedIndexOfDid(addressDid) : managedIndex(mac);
        if (index >= 0) {
            VelkIFPDevice &held = m_managedDevices[index];
            held.isKicked = true;
            const quint32 did = held.did;
            OrvantaDBIntf *db = database();
            // Held and written later when the database refuses it for now (another program holds it, the disk is
            // full): nothing else would write it. It sets the mark alone, so that whatever changed in the record by
            // then stands. The lists follow the kick signal meanwhile.
            if (DbWriteBatch::writeOne(db, "CmdServer::kick", QStringLiteral("kick of %1").arg(held.deviceName),
                                       kickKey(did),
                                       [db, did] { return db->updateIFPDeviceKicked(did, true); }) != DB_OK)
                writeLog(LOG_LEVEL_ERROR, "CmdServer::kick, updateIFPDeviceKicked error");
        } else {
            writeLog(LOG_LEVEL_ERROR, "CmdServer::kick, %s is not among the managed devices", qPrintable(mac));
        }
        emit kick(mac);
    }
    channel->close();
}

void CmdServer::onChannelClosed(DeviceChannel *channel)
{
    if (endPending(channel)) {
        m_waitingHandshakes.removeOne(channel);
        return;
    }
    const quint32 addressDid = m_byAddress.key(channel, 0);
    if (addressDid != 0)
        m_byAddress.remove(addressDid);
    const QString key = channel->getMacAddress();
    bool registered = false;
    if (m_channels.value(key) == channel) {
        m_channels.remove(key);
        registered = true;
    } else if (m_locked.value(key) == channel) {
        m_locked.remove(key);
        registered = true;
    }
    if (!registered)
        return;
    emit channelDisconnect(channel);
    emit connectionStatesChanged();
}

void CmdServer::onSafeAlert(DeviceChannel *channel, const QString &mac)
{
    // The MAC of a panel known by its address alone names no one panel; the device its address matched does.
    const quint32 did = channel->identity().macUsable ? 0 : m_byAddress.key(channel, 0);
    if (did != 0)
        emit safeAlertOfDevice(did);
    else
        emit safeAlert(mac);
}

DeviceChannel *CmdServer::getChannel(QString mac) const
{
    return m_channels.value(macKey(mac));
}

QString CmdServer::connectedAddress(const QString &mac) const
{
    const DeviceChannel *channel = handshakenChannel(mac);
    return channel ? channel->getIpAddress() : QString();
}

QString CmdServer::connectedAddressOfDevice(quint32 did) const
{
    const DeviceChannel *channel = m_byAddress.value(did);
    return channel ? channel->getIpAddress() : QString();
}

DeviceChannel *CmdServer::handshakenChannel(const QString &mac) const
{
    const QString key = macKey(mac);
    DeviceChannel *channel = m_channels.value(key);
    return channel ? channel : m_locked.value(key);
}

bool CmdServer::isDeviceOnline(const VelkIFPDevice &device) const
{
    const QString key = linkKey(device);
    return !key.isEmpty() && m_channels.contains(key);
}

QString CmdServer::recordKey(const VelkIFPDevice &record)
{
    return holdsNoMac(record) ? didKey(record.did) : macKey(record.macAddress);
}

QString CmdServer::linkKey(const VelkIFPDevice &device) const
{
    // The held record mirrors what handshakes reported before the database has it, and what was edited since the
    // caller read its copy.
    const int index = device.did == 0 ? -1 : managedIndexOfDid(device.did);
    return recordKey(index < 0 ? device : m_managedDevices.at(index));
}

bool CmdServer::isDeviceOnline(const VelkIFPDevice *device) const
{
    return device && isDeviceOnline(*device);
}

CmdServer::ConnectionState CmdServer::connectionState(QString mac) const
{
    if (mac.isEmpty())
        return Offline;
    const QString key = macKey(mac);
    if (m_channels.contains(key))
        return Connected;
    if (m_locked.contains(key))
        return Locked;
    return Offline;
}

CmdServer::ConnectionState CmdServer::connectionStateOfDevice(quint32 did) const
{
    const DeviceChannel *channel = m_byAddress.value(did);
    if (!channel)
        return Offline;
    return channel->state() == DeviceChannel::Locked ? Locked : Connected;
}

bool CmdServer::managedDevice(const QString &mac, VelkIFPDevice *device) const
{
    if (mac.isEmpty())
        return false;
    const int index = managedIndex(macKey(mac));
    if (index < 0)
        return false;
    *device = m_managedDevices.at(index);
    return true;
}

bool CmdServer::isManaged(const QString &mac) const
{
    return !mac.isEmpty() && managedIndex(macKey(mac)) >= 0;
}

quint32 CmdServer::managedDeviceId(const QString &mac) const
{
    if (mac.isEmpty())
        return 0;
    const int index = managedIndex(macKey(mac));
    return index < 0 ? 0 : m_managedDevices.at(index).did;
}

int CmdServer::managedIndex(const QString &key) const
{
    if (key.startsWith(kDidKeyPrefix)) {
        bool ok = false;
        const quint32 did = key.mid(kDidKeyPrefix.size()).toUInt(&ok);
        const int index = ok ? managedIndexOfDid(did) : -1;
        // The key of a record that holds a MAC is that MAC.
        return index >= 0 && recordKey(m_managedDevices.at(index)) == key ? index : -1;
    }
    refreshManagedIndex();
    return m_managedByMac.value(key, -1);
}

int CmdServer::managedIndexOfDid(quint32 did) const
{
    refreshManagedIndex();
    return m_managedByDid.value(did, -1);
}

void CmdServer::refreshManagedIndex() const
{
    // Asked several times in every panel's synchronisation: a search through a thousand records each time added up.
    if (!m_managedIndexStale)
        return;
    m_managedByMac.clear();
    m_managedByMac.reserve(m_managedDevices.size());
    m_managedByDid.clear();
    m_managedByDid.reserve(m_managedDevices.size());
    for (int i = 0; i < m_managedDevices.size(); ++i) {
        const QString &held = m_managedDevices.at(i).macAddress;
        if (!held.isEmpty() && !m_managedByMac.contains(held))
            m_managedByMac.insert(held, i);
        if (!m_managedByDid.contains(m_managedDevices.at(i).did))
            m_managedByDid.insert(m_managedDevices.at(i).did, i);
    }
    m_managedIndexStale = false;
}

void CmdServer::setManagedDevices(const QList<VelkIFPDevice> &devices)
{
    m_managedDevices = devices;
    normaliseMacs(m_managedDevices);
    m_managedIndexStale = true;
    if (!m_managedKnown) {
        m_managedKnown = true;
        if (handshakeRecordsKnown())
            answerWaitingHandshakes();
    }
    // A panel known by its address alone is not closed by its MAC when its device is deleted; nor is it found under
    // the key of its device once an edit gave the device another MAC. Either way it goes, and a panel still managed
    // comes back under the key its device has now.
    QList<DeviceChannel *> stale;
    for (auto it = m_byAddress.cbegin(); it != m_byAddress.cend(); ++it) {
        const int index = managedIndexOfDid(it.key());
        if (index < 0 || recordKey(m_managedDevices.at(index)) != it.value()->getMacAddress())
            stale.append(it.value());
    }
    for (DeviceChannel *channel : qAsConst(stale))
        channel->close();
}

void CmdServer::disconnectDevice(QString mac)
{
    if (DeviceChannel *channel = handshakenChannel(mac))
        channel->close();
}

void CmdServer::setControlPassword(const QString &password)
{
    m_controlPassword = password;
    if (!m_passwordKnown) {
        m_passwordKnown = true;
        if (handshakeRecordsKnown())
            answerWaitingHandshakes();
    }
}

int CmdServer::sendPassword(QString mac, QString password)
{
    DeviceChannel *channel = getChannel(mac);
    if (!channel)
        return -1;
    return channel->sendFrame(VELK_REMOTE_CMD_SET_PASSWORD, password.toUtf8());
}

bool CmdServer::canWake(const VelkIFPDevice &device) const
{
    return !WorkThread::magicPacket(linkKey(device)).isEmpty();
}

void CmdServer::powerOn(QList<VelkIFPDevice> devices)
{
    QList<VelkIFPDevice> valid;
    for (VelkIFPDevice device : qAsConst(devices)) {
        // By the MAC of the held record, which a handshake may have filled in since the caller read its copy.
        const QString mac = linkKey(device);
        if (!canWake(device)) {
            // A packet for all zeros would wake no one panel, if any.
            if (mac.isEmpty() || mac.startsWith(kDidKeyPrefix))
                writeLog(LOG_LEVEL_WARNING, "CmdServer::powerOn, no MAC to wake %s", qPrintable(device.deviceName));
            else
                writeLog(LOG_LEVEL_WARNING, "CmdServer::powerOn, invalid mac: %s", qPrintable(mac));
            continue;
        }
        device.macAddress = mac;
        valid.append(device);
    }
    if (valid.isEmpty())
        return;
    QList<QHostAddress> targets;
    const QList<QHostAddress> candidates =
        m_config.wolTargets.isEmpty() ? WorkThread::broadcastTargets() : m_config.wolTargets;
    for (const QHostAddress &target : candidates) {
        if (m_config.allowsDestination(target))
            targets.append(target);
        else
            writeLog(LOG_LEVEL_WARNING, "CmdServer::powerOn, destination %s not allowed",
                     qPrintable(target.toString()));
    }
    if (targets.isEmpty())
        return;
    auto *thread = new WorkThread(valid, targets, m_config.wolPort, m_config.wolRounds, m_config.wolRoundGapMs);
    thread->start();
}

void CmdServer::sendToConnected(const QList<VelkIFPDevice> &devices, quint16 code, const char *operation)
{
    for (const VelkIFPDevice &device : devices) {
        DeviceChannel *channel = getChannel(linkKey(device));
        if (!channel)
            continue;
        if (channel->sendInt32(code, 0) != 0)
            writeLog(LOG_LEVEL_ERROR, "CmdServer::%s, send error: %s", operation, qPrintable(channel->getMacAddress()));
    }
}

void CmdServer::powerOff(QList<VelkIFPDevice> devices)
{
    sendToConnected(devices, VELK_REMOTE_CMD_POWER_OFF, "powerOff");
}

void CmdServer::reboot(QList<VelkIFPDevice> devices)
{
    sendToConnected(devices, VELK_REMOTE_CMD_REBOOT, "reboot");
}

void CmdServer::checkOtaState(const VelkIFPDevice &device)
{
    if (DeviceChannel *channel = getChannel(linkKey(device)))
        channel->sendInt32(VELK_REMOTE_CMD_CHECK_OTA_STATE, 0);
}

void CmdServer::checkOtaState(QList<VelkIFPDevice *> &devices)
{
    for (VelkIFPDevice *device : devices) {
        if (device)
            checkOtaState(*device);
    }
}

void CmdServer::sendFile(VelkIFPDevice *device, QString localPath, QString fileName)
{
    if (!device)
        return;
    writeLog(LOG_LEVEL_INFO, "CmdServer::sendFile: %s as %s", qPrintable(localPath), qPrintable(fileName));
    device->otaState = 4;
    const QString mac = linkKey(*device);
    DeviceChannel *channel = getChannel(mac);
    if (!channel) {
        writeLog(LOG_LEVEL_WARNING, "CmdServer::sendFile, device offline: %s", qPrintable(mac));
        emit setupTransferFileCompleteTimeout(mac, 1000);
        return;
    }
    if (channel->isOtaTransferRunning())
        writeLog(LOG_LEVEL_WARNING, "CmdServer::sendFile, replacing running transfer: %s", qPrintable(mac));
    if (!channel->startOtaTransfer(localPath, fileName)) {
        writeLog(LOG_LEVEL_ERROR, "CmdServer::sendFile, cannot send %s to %s", qPrintable(localPath), qPrintable(mac));
        emit setupTransferFileCompleteTimeout(mac, 1000);
    }
}

void CmdServer::sendFile(QList<VelkIFPDevice *> &devices, QString localPath, QString fileName)
{
    for (VelkIFPDevice *device : devices)
        sendFile(device, localPath, fileName);
}

int CmdServer::sendStartOta(VelkIFPDevice *device, int upgradeType)
{
    const QString mac = device ? linkKey(*device) : QString();
    writeLog(LOG_LEVEL_INFO, "CmdServer::sendStartOta: %s, upgradeType: %s", qPrintable(mac),
             qPrintable(QString::number(upgradeType)));
    DeviceChannel *channel = getChannel(mac);
    if (!channel)
        return -1;
    device->otaState = 5;
    return channel->sendInt32(VELK_REMOTE_CMD_START_OTA, upgradeType);
}

void CmdServer::cancelFileTransfer(VelkIFPDevice *device)
{
    DeviceChannel *channel = device ? getChannel(linkKey(*device)) : nullptr;
    if (!channel)
        return;
    writeLog(LOG_LEVEL_INFO, "CmdServer::cancelFileTransfer: %s", qPrintable(channel->getMacAddress()));
    channel->stopOtaTransfer(true);
}

void CmdServer::cancelFileTransferByTimeout(QString mac)
{
    DeviceChannel *channel = getChannel(mac);
    if (!channel)
        return;
    writeLog(LOG_LEVEL_WARNING, "CmdServer::cancelFileTransferByTimeout: %s", qPrintable(mac));
    channel->stopOtaTransfer(false);
}

void CmdServer::sendBroadcastData(VelkIFPDevice *device, VelkBroadcast *broadcast, bool isWoken)
{
    DeviceChannel *channel = device ? getChannel(linkKey(*device)) : nullptr;
    if (!channel || !broadcast)
        return;
    channel->keepBroadcast(*broadcast);
    BroadcastDataPayload payload;
    payload.displayType = broadcast->displayType;
    payload.audioSelection = broadcast->audioSelection;
    payload.durationMin = broadcast->durationMin;
    payload.durationSec = broadcast->durationSec;
    payload.woken = isWoken;
    payload.contentText = broadcast->contentText;
    if (channel->sendFrame(VELK_REMOTE_CMD_BROADCAST_DATA, payload.encode()) != 0)
        writeLog(LOG_LEVEL_ERROR, "CmdServer::sendBroadcastData, send error: %s", qPrintable(channel->getMacAddress()));
}

void CmdServer::sendBroadcastFile(QString mac)
{
    writeLog(LOG_LEVEL_INFO, "CmdServer::sendBroadcastFile");
    DeviceChannel *channel = getChannel(mac);
    if (!channel) {
        writeLog(LOG_LEVEL_WARNING, "CmdServer::sendBroadcastFile, device offline: %s", qPrintable(mac));
        emit setupBroadcastTransferFileCompleteTimeout(mac, 1000);
        return;
    }
    if (!channel->startBroadcastTransfer(m_config.effectiveAudioFolder())) {
        writeLog(LOG_LEVEL_ERROR, "CmdServer::sendBroadcastFile, no audio file to send: %s", qPrintable(mac));
        emit setupBroadcastTransferFileCompleteTimeout(mac, 1000);
    }
}

void CmdServer::startBroadcast(VelkIFPDevice *device)
{
    if (DeviceChannel *channel = device ? getChannel(linkKey(*device)) : nullptr)
        channel->sendInt32(VELK_REMOTE_CMD_START_BROADCAST, 0);
}

void CmdServer::cancelBroadcastFileTransfer(VelkIFPDevice *device)
{
    const QString mac = device ? linkKey(*device) : QString();
    writeLog(LOG_LEVEL_INFO, "CmdServer::cancelBroadcastFileTransfer: %s", qPrintable(mac));
    if (DeviceChannel *channel = getChannel(mac))
        channel->stopBroadcastTransfer(true);
}

void CmdServer::cancelBroadcastFileTransferByTimeout(QString mac)
{
    writeLog(LOG_LEVEL_WARNING, "CmdServer::cancelBroadcastFileTransferByTimeout: %s", qPrintable(mac));
    if (DeviceChannel *channel = getChannel(mac))
        channel->stopBroadcastTransfer(true);
}

QList<QString> CmdServer::checkAccountSync(QList<VelkIFPDevice> devices)
{
    // Each device's connection is looked up once; what a run reads is read only when more than one panel takes part.
    QVector<QPair<DeviceChannel *, int>> free;
    free.reserve(devices.size());
    for (int i = 0; i < devices.size(); ++i) {
        DeviceChannel *channel = getChannel(linkKey(devices.at(i)));
        if (channel && !channel->isSyncing())
            free.append({channel, i});
    }
    if (free.size() > 1 && isAdminLogin)
        m_accountCache->prepareRun();
    QList<QString> started;
    for (const auto &entry : qAsConst(free)) {
        // Two records of one panel find one connection: the first starts it. A connection closed while the others
        // were asked is no longer the panel's.
        DeviceChannel *channel = entry.first;
        if (channel->isSyncing() || channel->state() != DeviceChannel::Connected)
            continue;
        channel->checkAccountSync();
        started.append(channel->getMacAddress());
    }
    return started;
}

void CmdServer::connectSyncReport(QString mac)
{
    DeviceChannel *channel = getChannel(mac);
    if (!channel)
        return;
    channel->checkAccountSync();
    // One connection however often the report asks: more would refresh the report once per earlier call.
    connect(channel, &DeviceChannel::updateSyncReport, this, &CmdServer::updateAccountReportDialog,
            Qt::UniqueConnection);
}

void CmdServer::resetSyncingUserDevice(QString mac)
{
    DeviceChannel *channel = getChannel(mac);
    if (!channel)
        return;
    writeLog(LOG_LEVEL_INFO, "CmdServer::resetSyncingUserDevice: %s", qPrintable(mac));
    channel->setSyncing(false);
}

void CmdServer::stopSafeAlert(QString mac)
{
    if (DeviceChannel *channel = handshakenChannel(mac))
        sendStopSafeAlert(channel);
}

void CmdServer::stopSafeAlertOfDevice(quint32 did)
{
    if (DeviceChannel *channel = m_byAddress.value(did))
        sendStopSafeAlert(channel);
}

void CmdServer::sendStopSafeAlert(DeviceChannel *channel)
{
    // Handed to the kernel at once: an Exit that waited for this answer ends the event loop right after it, and a
    // frame left for the socket's next write notification never reached the panel, which went on alerting.
    if (channel->sendInt32(VELK_REMOTE_CMD_STOP_SAFE_ALERT, 0) == 0)
        channel->sendNow();
}

void CmdServer::updateAccountReportDialog()
{
    emit emitUpdateAccountReportDialog();
}

void CmdServer::queueFirstSyncAnswer(DeviceChannel *channel)
{
    m_firstSyncAnswers.append(channel);
}

void CmdServer::waitForAccountData(DeviceChannel *channel)
{
    if (!m_accountWaiters.contains(channel))
        m_accountWaiters.append(channel);
}

void CmdServer::resumeAccountSyncs()
{
    const QList<QPointer<DeviceChannel>> waiting = std::exchange(m_accountWaiters, {});
    QList<DeviceChannel *> open;
    for (const QPointer<DeviceChannel> &channel : waiting) {
        if (channel && channel->state() == DeviceChannel::Connected)
            open.append(channel);
    }
    if (open.isEmpty())
        return;
    // One read for all of them, as for a run: refused again, each waits again without a read of its own.
    if (open.size() > 1 && isAdminLogin)
        m_accountCache->prepareRun();
    for (DeviceChannel *channel : qAsConst(open))
        channel->resumeSync();
}

void CmdServer::recordSyncStatus(DeviceChannel *channel, int status)
{
    m_syncStatuses.append({channel, channel->getMacAddress(), status});
    scheduleSyncFlush();
}

void CmdServer::noteSyncExchange(bool open)
{
    m_syncExchanges += open ? 1 : -1;
    if (!open)
        scheduleSyncFlush();
}

void CmdServer::scheduleSyncFlush()
{
    if (m_syncStatuses.isEmpty())
        return;
    if (m_syncExchanges <= 0) {
        if (!m_syncStatusTimer->isActive() || m_syncStatusTimer->remainingTime() > 0)
            m_syncStatusTimer->start(0);
    } else if (!m_syncStatusTimer->isActive()) {
        m_syncStatusTimer->start(kSyncGatherMs);
    }
}

void CmdServer::flushSyncStatuses()
{
    if (m_syncStatuses.isEmpty())
        return;
    OrvantaDBIntf *db = database();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    QList<SyncStatus> statuses;
    // A slice per turn, each in a transaction of its own that ends within the turn: the write lock is never kept
    // while the console waits for panels. The slice begins once the transaction has: a database held by another
    // program made the begin wait longer than a slice, no status was taken, and the next turn waited again at once,
    // for as long as the hold lasted. A refused begin holds the statuses instead, and at least one is taken per turn.
    DbWriteBatch batch(db, "CmdServer::recordSyncStatus");
    QElapsedTimer slice;
    slice.start();
    while (!m_syncStatuses.isEmpty() && (statuses.isEmpty() || slice.elapsed() < kSyncWriteSliceMs)) {
        const SyncStatus answer = m_syncStatuses.takeFirst();
        statuses.append(answer);
        const quint32 did = managedDeviceId(answer.mac);
        if (did == 0)
            continue;
        const int status = answer.status;
        batch.write(QStringLiteral("sync status of %1").arg(answer.mac), syncStatusKey(did),
                    [db, did, status, stamp] { return db->updateUserDeviceSyncStatus(did, status, stamp); });
    }
    // The batch names the statuses it could not keep in its own log line.
    batch.finish();
    // The statuses are in the database, or held to be written once it takes them, before anyone hears of the answers.
    for (const SyncStatus &answer : qAsConst(statuses)) {
        if (answer.channel)
            answer.channel->finishSync();
        else
            emit syncUserDeviceFinished(answer.mac);
    }
    if (!m_syncStatuses.isEmpty())
        m_syncStatusTimer->start(0);
}
