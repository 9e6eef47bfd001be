// 1,000 panels connecting at once after a console restart: the console has just started listening, its database
// knows every panel (with what the panels report, as after an earlier session), and every panel connects in the same
// instant. All must be handshaken within 2 s, none needing a SYN retry (Qt 5 listens with a backlog of 50, so the
// console must accept promptly; a dropped SYN costs the panel a whole second).
//
// Two kinds of panels: "raw" panels (plain sockets on epoll in load threads) open all their connections within a few
// milliseconds, the harshest burst; "sim" panels are the simulated panels of tools/panelsim on a thread of their own,
// each with its own Qt socket, as in every other test. Each kind runs under Qt's GLib and Unix event dispatchers, each
// combination in a child process of its own (the command server is a process-wide singleton). The reference is the
// same burst against a plain epoll server that accepts with a backlog of 50, in the same run.

#include "BaselineServers.h"
#include "BenchSupport.h"
#include "RawPanels.h"

#include "network/CmdServer.h"
#include "network/DeviceChannel.h"
#include "tools/panelsim/PanelFleet.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <thread>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace {

constexpr int kDeadlineMs = 2000;

struct Settings
{
    int count = 1000;
    QStringList kinds = {QStringLiteral("raw"), QStringLiteral("sim")};
    QStringList dispatchers = {QStringLiteral("glib"), QStringLiteral("unix")};
    int threads = 3;
    int maxPending = 0; // 0 = the configuration's default
};

// Retransmissions on every TCP socket of this process with `port` at either end: a SYN dropped at a full accept
// queue shows on the connecting side, a dropped handshake ACK as a retransmitted SYN-ACK on the accepted side.
struct Retransmits
{
    int clientSockets = 0;
    int clientsRetransmitting = 0;
    int acceptedSockets = 0;
    int acceptedRetransmitting = 0;
};

Retransmits scanRetransmits(quint16 port)
{
    Retransmits result;
    DIR *dir = opendir("/proc/self/fd");
    if (!dir)
        return result;
    while (dirent *entry = readdir(dir)) {
        const int fd = atoi(entry->d_name);
        if (fd <= 2)
            continue;
        int type = 0;
        socklen_t len = sizeof type;
        if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &len) != 0 || type != SOCK_STREAM)
            continue;
        sockaddr_in local{};
        sockaddr_in peer{};
        socklen_t localLen = sizeof local;
        socklen_t peerLen = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr *>(&local), &localLen) != 0 || local.sin_family != AF_INET ||
            getpeername(fd, reinterpret_cast<sockaddr *>(&peer), &peerLen) != 0)
            continue;
        tcp_info info{};
        socklen_t infoLen = sizeof info;
        if (getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &infoLen) != 0)
            continue;
        if (ntohs(peer.sin_port) == port) {
            ++result.clientSockets;
            result.clientsRetransmitting += info.tcpi_total_retrans > 0 ? 1 : 0;
        } else if (ntohs(local.sin_port) == port) {
            ++result.acceptedSockets;
            result.acceptedRetransmitting += info.tcpi_total_retrans > 0 ? 1 : 0;
        }
    }
    closedir(dir);
    return result;
}

int countLogLines(const QString &folder, const QString &text)
{
    int count = 0;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly))
            count += QString::fromUtf8(file.readAll()).count(text);
    }
    return count;
}

struct Counters
{
    long long overflows = netstatCounterOr0("ListenOverflows");
    long long drops = netstatCounterOr0("ListenDrops");
    long long synRetrans = netstatCounterOr0("TCPSynRetrans");
    static long long netstatCounterOr0(const char *name) { return qMax(0LL, bench::netstatCounter(name)); }
};

// The reference: the same raw burst against a plain epoll server with Qt's backlog of 50.
void runReference(int count, int threads)
{
    EchoServer server(50);
    if (!server.start())
        return;
    RawPanels::Options options;
    options.count = count;
    options.threads = threads;
    options.serverPort = server.port();
    options.identify = false;
    RawPanels panels(options);
    panels.connectAll();
    panels.waitReady(10000);
    const std::vector<RawPanels::PanelTimes> times = panels.panelTimes();
    int64_t last = 0;
    int retried = 0;
    for (const RawPanels::PanelTimes &t : times) {
        last = std::max(last, t.connectedNs);
        retried += t.synRetransmits > 0 ? 1 : 0;
    }
    std::printf("  reference: %d raw connects to a plain epoll server (backlog 50): all connected after %.0f ms, "
                "%d needed a SYN retry\n",
                count, last / 1e6, retried);
}

int runChild(const QString &kind, const Settings &settings)
{
    bench::raiseFdLimit();
    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    const QString dispatcher = bench::dispatcherName();
    const int count = settings.count;
    if (kind == QLatin1String("raw"))
        runReference(count, settings.threads);

    if (settings.maxPending > 0)
        fixture.config().maxPendingHandshakes = settings.maxPending;

    // The restart: the database already holds every panel as it reports itself.
    const QString password = QStringLiteral("bench");
    QList<VelkIFPDevice> devices;
    for (int i = 0; i < count; ++i)
        devices.append(bench::panelDevice(i, password));
    if (!fixture.seedDevices(devices))
        return 1;
    CmdServer *server = fixture.start(devices, password);
    const quint16 port = server->serverPort();

    std::vector<int64_t> handshakes;
    handshakes.reserve(size_t(count));
    int64_t t0 = 0;
    QEventLoop loop;
    QObject::connect(server, &CmdServer::newConnection, &loop, [&](DeviceChannel *) {
        handshakes.push_back(bench::nowNs() - t0);
        if (int(handshakes.size()) == count)
            loop.quit();
    });
    const Counters before;

    std::unique_ptr<RawPanels> raw;
    QThread fleetThread;
    QObject *fleetContext = nullptr;
    PanelFleet *fleet = nullptr;
    int reconnects = 0;
    if (kind == QLatin1String("raw")) {
        RawPanels::Options options;
        options.count = count;
        options.threads = settings.threads;
        options.serverPort = port;
        options.identify = true;
        for (int i = 0; i < count; ++i)
            options.identities.append(bench::panelIdentityJson(i, password));
        raw.reset(new RawPanels(options));
        t0 = bench::nowNs();
        raw->connectAll();
    } else {
        FleetOptions options;
        options.count = count;
        options.baseAddress = QHostAddress(QStringLiteral("127.0.1.2")); // panel i on bench::panelAddress(i)
        options.identity = SimulatedPanel::defaultIdentity(0);
        options.identity.password = password;
        options.settings.consoleAddress = QHostAddress(QHostAddress::LocalHost);
        options.settings.consolePort = port;
        options.settings.bootDelayMs = 0;
        options.bindAnswerSockets = false;
        fleetThread.start();
        fleetContext = new QObject;
        fleetContext->moveToThread(&fleetThread);
        // Built first, started in one go: every panel connects in the same turn of the fleet's event loop.
        QMetaObject::invokeMethod(
            fleetContext, [&, options] { fleet = new PanelFleet(options); }, Qt::BlockingQueuedConnection);
        t0 = bench::nowNs();
        QMetaObject::invokeMethod(
            fleetContext, [&] { fleet->startAll(); }, Qt::QueuedConnection);
    }
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    loop.exec();
    // Let the last answers reach the panels before looking at their sockets.
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    const Counters after;
    const Retransmits retransmits = scanRetransmits(port);
    if (fleet) {
        QMetaObject::invokeMethod(
            fleetContext,
            [&] {
                for (SimulatedPanel *panel : fleet->panels())
                    reconnects += qMax(0, panel->connectCount() - 1);
            },
            Qt::BlockingQueuedConnection);
    }
    int rawRetried = 0;
    if (raw) {
        for (const RawPanels::PanelTimes &t : raw->panelTimes())
            rawRetried += t.synRetransmits > 0 ? 1 : 0;
    }
    const int refused = countLogLines(fixture.folder() + QStringLiteral("/log"),
                                      QStringLiteral("too many connections awaiting identity"));

    std::sort(handshakes.begin(), handshakes.end());
    const int handshaken = int(handshakes.size());
    const double lastMs = handshakes.empty() ? -1 : handshakes.back() / 1e6;
    const double p50Ms = handshakes.empty() ? -1 : handshakes[handshakes.size() / 2] / 1e6;
    int withinDeadline = 0;
    for (int64_t t : handshakes)
        withinDeadline += t <= int64_t(kDeadlineMs) * 1000000 ? 1 : 0;
    const int retried = qMax(retransmits.clientsRetransmitting, rawRetried);
    const bool pass = handshaken == count && lastMs <= kDeadlineMs && retried == 0 &&
                      retransmits.acceptedRetransmitting == 0 && refused == 0;
    std::printf("  %s panels, %-4s dispatcher: %d/%d handshaken, %d within %d ms, median %.0f ms, last %.0f ms | "
                "SYN retried by %d panels (sockets now open: %d), SYN-ACK retried on %d accepted sockets | "
                "refused while %d awaited identity: %d | listen overflows %+lld, drops %+lld, SYN retransmits %+lld "
                "(whole host)%s\n",
                qPrintable(kind), qPrintable(dispatcher), handshaken, count, withinDeadline, kDeadlineMs, p50Ms, lastMs,
                retried, retransmits.clientSockets, retransmits.acceptedRetransmitting,
                fixture.config().maxPendingHandshakes, refused, after.overflows - before.overflows,
                after.drops - before.drops, after.synRetrans - before.synRetrans,
                reconnects > 0 ? qPrintable(QStringLiteral(" | %1 panels connected twice").arg(reconnects)) : "");
    std::printf("RESULT kind=%s dispatcher=%s handshaken=%d last=%.0f retried=%d refused=%d pass=%d\n",
                qPrintable(kind), qPrintable(dispatcher), handshaken, lastMs, retried, refused, pass ? 1 : 0);
    std::fflush(stdout);

    if (raw)
        raw->stop();
    if (fleet) {
        QMetaObject::invokeMethod(
            fleetContext,
            [&] {
                delete fleet;
                delete fleetContext;
            },
            Qt::BlockingQueuedConnection);
        fleetThread.quit();
        fleetThread.wait();
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    Settings settings;
    if (!bench::argValue(args, QStringLiteral("--panels")).isEmpty())
        settings.count = bench::argValue(args, QStringLiteral("--panels")).toInt();
    if (!bench::argValue(args, QStringLiteral("--kinds")).isEmpty())
        settings.kinds = bench::argValue(args, QStringLiteral("--kinds")).split(QLatin1Char(','));
    if (!bench::argValue(args, QStringLiteral("--dispatchers")).isEmpty())
        settings.dispatchers = bench::argValue(args, QStringLiteral("--dispatchers")).split(QLatin1Char(','));
    if (!bench::argValue(args, QStringLiteral("--threads")).isEmpty())
        settings.threads = bench::argValue(args, QStringLiteral("--threads")).toInt();
    if (!bench::argValue(args, QStringLiteral("--max-pending")).isEmpty())
        settings.maxPending = bench::argValue(args, QStringLiteral("--max-pending")).toInt();

    QCoreApplication app(argc, argv);
    if (args.contains(QStringLiteral("--child")))
        return runChild(bench::argValue(args, QStringLiteral("--child")), settings);

    std::printf("%d panels connecting at once to a console that just started (target: all handshaken within %d ms, "
                "no SYN retry)\n",
                settings.count, kDeadlineMs);
    const QStringList forwarded = {QStringLiteral("--panels"),      QString::number(settings.count),
                                   QStringLiteral("--threads"),     QString::number(settings.threads),
                                   QStringLiteral("--max-pending"), QString::number(settings.maxPending)};
    QStringList summary;
    bool allOk = true;
    for (const QString &kind : qAsConst(settings.kinds)) {
        for (const QString &mode : qAsConst(settings.dispatchers)) {
            const QStringList env = mode == QLatin1String("unix") ? QStringList{QStringLiteral("QT_NO_GLIB=1")}
                                                                  : QStringList{QStringLiteral("QT_NO_GLIB")};
            const QString out = bench::runChild(QStringList{QStringLiteral("--child"), kind} + forwarded, env, 120000);
            const QRegularExpressionMatch m =
                QRegularExpression(
                    QStringLiteral("RESULT kind=\\S+ dispatcher=(\\S+) handshaken=(\\d+) last=(\\S+) retried=(\\d+) "
                                   "refused=(\\d+) pass=(\\d)"))
                    .match(out);
            if (!m.hasMatch()) {
                summary.append(QStringLiteral("  %1 %2: no result").arg(kind, mode));
                allOk = false;
                continue;
            }
            const bool pass = m.captured(6) == QLatin1String("1");
            allOk = allOk && pass;
            summary.append(QStringLiteral("  %1 panels, %2: %3/%4 handshaken, last after %5 ms, %6 SYN retries, "
                                          "%7 refused  %8")
                               .arg(kind, m.captured(1), m.captured(2))
                               .arg(settings.count)
                               .arg(m.captured(3), m.captured(4), m.captured(5))
                               .arg(pass ? QStringLiteral("ok") : QStringLiteral("MISSED")));
        }
    }
    std::printf("\nSummary\n%s\n", qPrintable(summary.join(QLatin1Char('\n'))));
    return allOk ? 0 : 2;
}
