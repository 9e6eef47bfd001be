#include "BenchSupport.h"

#include "FleetRecords.h"

#include "datastore/DatabaseManager.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "network/CmdServer.h"
#include "network/PanelIdentity.h"
#include "platform/AutoSerialFileLogger.h"
#include "platform/LogSystem.h"
#include "support/LoopbackNetwork.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include <sys/resource.h>
#include <sys/vfs.h>

namespace bench {

long raiseFdLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    if (limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
        getrlimit(RLIMIT_NOFILE, &limit);
    }
    return long(limit.rlim_cur);
}

long procStatusKb(const char *field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

bool resetPeakRss()
{
    FILE *file = std::fopen("/proc/self/clear_refs", "w");
    if (!file)
        return false;
    const bool ok = std::fputs("5", file) >= 0;
    return (std::fclose(file) == 0) && ok;
}

long long netstatCounter(const char *name)
{
    QFile file(QStringLiteral("/proc/net/netstat"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = file.readAll().split('\n');
    // Pairs of lines: "TcpExt: Name1 Name2 ..." then "TcpExt: 1 2 ...".
    for (int i = 0; i + 1 < lines.size(); i += 2) {
        const QList<QByteArray> names = lines.at(i).simplified().split(' ');
        const QList<QByteArray> values = lines.at(i + 1).simplified().split(' ');
        for (int k = 1; k < names.size() && k < values.size(); ++k) {
            if (names.at(k) == name)
                return values.at(k).toLongLong();
        }
    }
    return -1;
}

QString panelMac(int index)
{
    const quint32 serial = quint32(index) + 1;
    return QStringLiteral("02:51:4d:%1:%2:%3")
        .arg((serial >> 16) & 0xff, 2, 16, QLatin1Char('0'))
        .arg((serial >> 8) & 0xff, 2, 16, QLatin1Char('0'))
        .arg(serial & 0xff, 2, 16, QLatin1Char('0'));
}

QString panelAddress(int index)
{
    return QStringLiteral("127.0.%1.%2").arg(1 + index / 250).arg(2 + index % 250);
}

static PanelIdentity identityOf(int index, const QString &password)
{
    PanelIdentity identity;
    identity.mac = panelMac(index);
    identity.model = QStringLiteral("Velk TM B-Series");
    identity.deviceType = QStringLiteral("Control Box");
    identity.fwVersion = QStringLiteral("1.1.1030.30");
    identity.panelFwVersion = QStringLiteral("1.1.1030.30");
    identity.displayClientVersion = QStringLiteral("1.1.1030.30");
    identity.subnetMask = QStringLiteral("255.0.0.0");
    identity.gateway = QStringLiteral("127.0.0.1");
    identity.ipAddress = panelAddress(index);
    identity.password = password;
    return identity;
}

QByteArray panelIdentityJson(int index, const QString &password)
{
    return identityOf(index, password).toJson();
}

VelkIFPDevice panelDevice(int index, const QString &password)
{
    const PanelIdentity identity = identityOf(index, password);
    VelkIFPDevice device;
    device.deviceName = QStringLiteral("Panel-%1").arg(index + 1, 4, 10, QLatin1Char('0'));
    device.macAddress = identity.mac;
    device.ipAddress = identity.ipAddress;
    device.modelName = identity.model;
    device.fwVersion = identity.fwVersion;
    device.panelFwVersion = identity.panelFwVersion;
    device.displayClientVersion = identity.displayClientVersion;
    device.sku = identity.sku;
    device.subnetMask = identity.subnetMask;
    device.gateway = identity.gateway;
    device.lastPassword = password;
    device.deviceType = identity.deviceType;
    device.position = QStringLiteral("Room %1").arg(index + 1);
    return device;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
    return values[values.size() / 2];
}

double percentile(std::vector<uint32_t> &samples, double pct)
{
    if (samples.empty())
        return 0;
    const size_t at = std::min(samples.size() - 1, size_t(pct / 100.0 * double(samples.size())));
    std::nth_element(samples.begin(), samples.begin() + long(at), samples.end());
    return samples[at];
}

int64_t nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double cpuSeconds(qint64 pid)
{
    // The kernel's CPU clock of the process: exact at the moment it is read, where /proc's figures move in ticks.
    clockid_t clock = CLOCK_PROCESS_CPUTIME_ID;
    if (pid != 0 && clock_getcpuclockid(pid_t(pid), &clock) != 0)
        return 0;
    timespec ts{};
    if (clock_gettime(clock, &ts) != 0)
        return 0;
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

ConsoleFixture::ConsoleFixture()
    // tmpfs: the database's commits must not turn a network benchmark into a disk benchmark.
    : m_dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/netbench-XXXXXX")
                                                      : QDir::tempPath() + QStringLiteral("/netbench-XXXXXX"))
{
    if (!m_dir.isValid())
        return;
    const QString root = m_dir.path();
    QDir().mkpath(root + QStringLiteral("/Documents"));
    QDir().mkpath(root + QStringLiteral("/tmp"));
    QDir().mkpath(root + QStringLiteral("/Audio"));
    qputenv("HOME", QFile::encodeName(root));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/.local/share")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/.config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/.cache")));
    qunsetenv("XDG_DOCUMENTS_DIR");

    // The console logs at INFO into a file, as in production: per-connection log lines are part of the cost.
    m_logger.reset(new AutoSerialFileLogger(root + QStringLiteral("/log/Quorvin-YYMMDD-999.log")));
    QDir().mkpath(root + QStringLiteral("/log"));
    LogSystem::getSysLogSystem()->setLogLevel(LOG_LEVEL_INFO);
    LogSystem::getSysLogSystem()->setLogger(m_logger.get());
    LogSystem::getSysLogSystem()->startLog();

    OrvantaDBManager::setDataFolder(root);

    m_config = loopbackNetworkConfig(root);
    m_valid = true;
}

ConsoleFixture::~ConsoleFixture()
{
    LogSystem::getSysLogSystem()->stopLog();
    LogSystem::getSysLogSystem()->setLogger(nullptr);
}

QString ConsoleFixture::folder() const
{
    return m_dir.path();
}

bool ConsoleFixture::seedDevices(const QList<VelkIFPDevice> &devices)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    auto *manager = dynamic_cast<OrvantaDBManager *>(db);
    if (!manager)
        return false;
    SqlTransaction transaction(manager->databaseManager()->database(), "bench seed");
    for (VelkIFPDevice device : devices) {
        if (db->createIFPDevice(device) != DB_OK) {
            std::fprintf(stderr, "createIFPDevice failed for %s\n", qPrintable(device.deviceName));
            return false;
        }
    }
    return transaction.commit();
}

CmdServer *ConsoleFixture::start(const QList<VelkIFPDevice> &managed, const QString &password)
{
    NetworkConfig::setCurrent(m_config);
    CmdServer *server = CmdServer::getInstance();
    server->setControlPassword(password);
    // What the connected-device list hands over after reading the database.
    QList<VelkIFPDevice> held = managed;
    QList<VelkIFPDevice> stored;
    if (OrvantaDBManager::getInstance()->queryAllAvailableIFP(stored) == DB_OK && !stored.isEmpty())
        held = stored;
    server->setManagedDevices(held);
    return server;
}

CmdServer *ConsoleFixture::startFleet(int count, const QString &password, QList<VelkIFPDevice> *stored)
{
    const QList<VelkIFPDevice> devices = fleetRecords(count, Records::Matching, password);
    if (!seedDevices(devices))
        return nullptr;
    QUdpSocket wolSocket;
    wolSocket.bind(QHostAddress(QHostAddress::AnyIPv4), 0);
    m_config.wolPort = wolSocket.localPort();
    wolSocket.close();
    m_config.maxPendingHandshakes = count + 16;
    CmdServer *server = start(devices, password);
    stored->clear();
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(*stored);
    return server;
}

quint16 ConsoleFixture::port() const
{
    return CmdServer::getInstance()->serverPort();
}

bool ConsoleFixture::putDatabaseOnDisk(const QString &parent, const QString &name)
{
    m_databaseDir.reset(new QTemporaryDir(parent + QLatin1Char('/') + name + QStringLiteral("-db-XXXXXX")));
    m_databaseFileSystem = m_databaseDir->isValid() ? fileSystemOf(m_databaseDir->path()) : FileSystem();
    if (!m_databaseDir->isValid() || m_databaseFileSystem.inMemory) {
        std::fprintf(stderr, "no folder for the database on disk under %s (%s)\n", qPrintable(parent),
                     qPrintable(m_databaseFileSystem.name));
        return false;
    }
    OrvantaDBManager::setDataFolder(m_databaseDir->path());
    return true;
}

QString ConsoleFixture::databaseFolder() const
{
    return m_databaseDir ? m_databaseDir->path() : m_dir.path();
}

QString dispatcherName()
{
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
    if (!dispatcher)
        return QStringLiteral("none");
    const QString name = QString::fromLatin1(dispatcher->metaObject()->className());
    if (name.contains(QLatin1String("Glib"), Qt::CaseInsensitive))
        return QStringLiteral("glib");
    if (name.contains(QLatin1String("UNIX"), Qt::CaseInsensitive))
        return QStringLiteral("unix");
    return name;
}

QString runChild(const QStringList &arguments, const QStringList &environment, int timeoutMs)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : environment) {
        const int eq = entry.indexOf(QLatin1Char('='));
        if (eq < 0)
            env.remove(entry);
        else
            env.insert(entry.left(eq), entry.mid(eq + 1));
    }
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForStarted(5000))
        return QString();
    QString output;
    const int64_t deadline = nowNs() + int64_t(timeoutMs) * 1000000;
    while (child.state() != QProcess::NotRunning && nowNs() < deadline) {
        child.waitForReadyRead(200);
        const QString part = QString::fromLocal8Bit(child.readAllStandardOutput());
        std::fputs(qPrintable(part), stdout);
        std::fflush(stdout);
        output += part;
    }
    if (child.state() != QProcess::NotRunning) {
        std::fprintf(stdout, "child %s timed out after %d ms\n", qPrintable(arguments.join(QLatin1Char(' '))),
                     timeoutMs);
        child.kill();
        child.waitForFinished(5000);
        return QString();
    }
    const QString rest = QString::fromLocal8Bit(child.readAllStandardOutput());
    std::fputs(qPrintable(rest), stdout);
    output += rest;
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
        std::fprintf(stdout, "child %s ended with code %d\n", qPrintable(arguments.join(QLatin1Char(' '))),
                     child.exitCode());
    return output;
}

QByteArray readLine(QProcess &process, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!process.canReadLine()) {
        if (clock.elapsed() > timeoutMs || !process.waitForReadyRead(int(timeoutMs - clock.elapsed())))
            return QByteArray();
    }
    return process.readLine().trimmed();
}

FileSystem fileSystemOf(const QString &folder)
{
    struct statfs info = {};
    if (::statfs(QFile::encodeName(folder).constData(), &info) != 0)
        return {QStringLiteral("unknown (statfs failed)"), false};
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0x01021994UL:
        return {QStringLiteral("tmpfs"), true};
    case 0x858458f6UL:
        return {QStringLiteral("ramfs"), true};
    case 0xef53UL:
        return {QStringLiteral("ext2/ext3/ext4"), false};
    case 0x58465342UL:
        return {QStringLiteral("xfs"), false};
    case 0x9123683eUL:
        return {QStringLiteral("btrfs"), false};
    case 0x794c7630UL:
        return {QStringLiteral("overlayfs"), false};
    default:
        return {QStringLiteral("0x%1").arg(static_cast<qulonglong>(info.f_type), 0, 16), false};
    }
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 0);
}

QStringList arguments(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    return args;
}

QString argValue(const QStringList &args, const QString &name)
{
    const int at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : QString();
}

QStringList consoleChildEnvironment()
{
    return {QStringLiteral("QT_NO_GLIB=1"),
            QStringLiteral("QT_QPA_PLATFORM=") + qEnvironmentVariable("QT_QPA_PLATFORM", "offscreen")};
}

void runLoop(int timeoutMs, const std::function<void(QEventLoop &)> &arm)
{
    QEventLoop loop;
    arm(loop);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
}

void runFor(int ms)
{
    runLoop(ms, [](QEventLoop &) {});
}

bool runUntil(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return done();
}

int onlineCount(const QList<VelkIFPDevice> &devices)
{
    CmdServer *server = CmdServer::getInstance();
    int online = 0;
    for (const VelkIFPDevice &device : devices)
        online += server->isDeviceOnline(device) ? 1 : 0;
    return online;
}

} // namespace bench
