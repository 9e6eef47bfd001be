// 1,000 panels connecting in the same instant to a console that just started listening, in two states of its data
// store: a restart, where every record already says what its panel reports and a handshake writes nothing; and a
// first connect, where the records are as a device import leaves them (name, address, MAC, type, location) and every
// handshake writes the panel's report back (the same holds after a firmware update, an address change or a new control
// password). Both must have every panel handshaken within 2 s, none needing a SYN retry (a dropped SYN costs the panel
// a whole second) and none refused; after the first connect every record must hold what its panel reported.
//
// Two kinds of panels: "raw" panels (plain sockets on epoll in load threads of this process) open all their
// connections within a few milliseconds, the harshest burst; "sim" panels are tools/panelsim in a process of its own,
// switched on through its standard input, each with its own Qt socket. The raw case also runs the same burst against a
// plain epoll server listening with Qt 5's backlog of 50, to show what that backlog alone costs. Every combination runs
// in a child process of its own (the command server is a process-wide singleton) on Qt's Unix event dispatcher, the
// console's; `--dispatchers glib,unix` adds GLib rows for comparison, which are not part of the verdict.

#include "BaselineServers.h"
#include "BenchSupport.h"
#include "FleetRecords.h"
#include "PanelProcess.h"
#include "RawPanels.h"

#include "datastore/OrvantaDBManager.h"
#include "network/CmdServer.h"
#include "network/DeviceChannel.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
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
    QStringList records = {QStringLiteral("matching"), QStringLiteral("stale")};
    QStringList kinds = {QStringLiteral("raw"), QStringLiteral("sim")};
    QStringList dispatchers = {QStringLiteral("unix")};
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

QString scenarioName(const QString &records)
{
    return records == QLatin1String("stale") ? QStringLiteral("first connect") : QStringLiteral("restart");
}

int runChild(const QString &kind, const QString &recordsName, const Settings &settings)
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

    const QString password = QStringLiteral("bench");
    const bench::Records records =
        recordsName == QLatin1String("stale") ? bench::Records::Stale : bench::Records::Matching;
    const QList<VelkIFPDevice> devices = bench::fleetRecords(count, records, password);
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

    std::unique_ptr<RawPanels> raw;
    bench::PanelProcess sim;
    if (kind == QLatin1String("sim")) {
        bench::PanelProcess::Options options;
        options.count = count;
        options.consolePort = port;
        options.password = password;
        if (!sim.start(options, fixture.folder() + QStringLiteral("/panelsim.log"))) {
            std::printf("cannot start %s\n", qPrintable(bench::PanelProcess::program()));
            return 1;
        }
    }
    const Counters before;
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
        // Every panel boots at once on the command and connects in the same turn of panelsim's event loop.
        t0 = sim.powerOnAll();
    }
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    loop.exec();
    // Let the last answers reach the panels (and the last writes the database) before looking.
    QTimer::singleShot(200, &loop, &QEventLoop::quit);
    loop.exec();
    const Counters after;
    const Retransmits retransmits = scanRetransmits(port);
    int rawRetried = 0;
    if (raw) {
        for (const RawPanels::PanelTimes &t : raw->panelTimes())
            rawRetried += t.synRetransmits > 0 ? 1 : 0;
    }
    // Said once per address and episode: with a panel per address, the panels refused at least once.
    const int refused = countLogLines(fixture.folder() + QStringLiteral("/log"),
                                      QStringLiteral("too many connections awaiting identity"));
    QList<VelkIFPDevice> stored;
    OrvantaDBManager::getInstance()->queryAllAvailableIFP(stored);
    const int notWritten = bench::recordsNotWrittenBack(stored, count, password).size();

    std::sort(handshakes.begin(), handshakes.end());
    const int handshaken = int(handshakes.size());
    const double lastMs = handshakes.empty() ? -1 : handshakes.back() / 1e6;
    const double p50Ms = handshakes.empty() ? -1 : handshakes[handshakes.size() / 2] / 1e6;
    int withinDeadline = 0;
    for (int64_t t : handshakes)
        withinDeadline += t <= int64_t(kDeadlineMs) * 1000000 ? 1 : 0;
    const int retried = qMax(retransmits.clientsRetransmitting, rawRetried);
    const bool pass = handshaken == count && lastMs <= kDeadlineMs && retried == 0 &&
                      retransmits.acceptedRetransmitting == 0 && refused == 0 && notWritten == 0;
    std::printf(
        "  %s, %s panels, %-4s dispatcher: %d/%d handshaken, %d within %d ms, median %.0f ms, last %.0f ms | "
        "SYN retried by %d panels%s, SYN-ACK retried on %d accepted sockets | addresses refused while %d awaited "
        "identity: %d | records not holding the report: %d | listen overflows %+lld, drops %+lld, SYN "
        "retransmits %+lld (whole host)\n",
        qPrintable(scenarioName(recordsName)), qPrintable(kind), qPrintable(dispatcher), handshaken, count,
        withinDeadline, kDeadlineMs, p50Ms, lastMs, retried,
        raw ? "" : " (in this process; panelsim's own sockets are not seen)", retransmits.acceptedRetransmitting,
        fixture.config().maxPendingHandshakes, refused, notWritten, after.overflows - before.overflows,
        after.drops - before.drops, after.synRetrans - before.synRetrans);
    std::printf("RESULT kind=%s records=%s dispatcher=%s handshaken=%d last=%.0f retried=%d refused=%d notwritten=%d "
                "pass=%d\n",
                qPrintable(kind), qPrintable(recordsName), qPrintable(dispatcher), handshaken, lastMs, retried, refused,
                notWritten, pass ? 1 : 0);
    std::fflush(stdout);

    if (raw)
        raw->stop();
    sim.stop();
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = bench::arguments(argc, argv);
    Settings settings;
    if (!bench::argValue(args, QStringLiteral("--panels")).isEmpty())
        settings.count = bench::argValue(args, QStringLiteral("--panels")).toInt();
    if (!bench::argValue(args, QStringLiteral("--records")).isEmpty())
        settings.records = bench::argValue(args, QStringLiteral("--records")).split(QLatin1Char(','));
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
        return runChild(bench::argValue(args, QStringLiteral("--child")),
                        bench::argValue(args, QStringLiteral("--records")), settings);

    std::printf("%d panels connecting at once to a console that just started, after a restart (records match) and at "
                "the first connect (records as an import leaves them); target for each: all handshaken within %d ms, "
                "no SYN retry, none refused, every record written back\n",
                settings.count, kDeadlineMs);
    const QStringList forwarded = {QStringLiteral("--panels"),      QString::number(settings.count),
                                   QStringLiteral("--threads"),     QString::number(settings.threads),
                                   QStringLiteral("--max-pending"), QString::number(settings.maxPending)};
    QStringList summary;
    bool allOk = true;
    for (const QString &records : qAsConst(settings.records)) {
        for (const QString &kind : qAsConst(settings.kinds)) {
            for (const QString &mode : qAsConst(settings.dispatchers)) {
                const bool counted = mode == QLatin1String("unix");
                const QStringList env =
                    counted ? QStringList{QStringLiteral("QT_NO_GLIB=1")} : QStringList{QStringLiteral("QT_NO_GLIB")};
                const QString out = bench::runChild(
                    QStringList{QStringLiteral("--child"), kind, QStringLiteral("--records"), records} + forwarded, env,
                    120000);
                const QRegularExpressionMatch m =
                    QRegularExpression(QStringLiteral("RESULT kind=\\S+ records=\\S+ dispatcher=(\\S+) "
                                                      "handshaken=(\\d+) last=(\\S+) retried=(\\d+) refused=(\\d+) "
                                                      "notwritten=(\\d+) pass=(\\d)"))
                        .match(out);
                if (!m.hasMatch()) {
                    summary.append(
                        QStringLiteral("  %1, %2 %3: no result%4")
                            .arg(scenarioName(records), kind, mode, counted ? QStringLiteral("  MISSED") : QString()));
                    allOk = allOk && !counted;
                    continue;
                }
                const bool pass = m.captured(7) == QLatin1String("1");
                if (counted)
                    allOk = allOk && pass;
                summary.append(QStringLiteral("  %1 %2 panels, %3: %4/%5 handshaken, last after %6 ms, %7 SYN "
                                              "retries, %8 refused, %9 records not written back  %10")
                                   .arg(scenarioName(records) + QLatin1Char(','), -14)
                                   .arg(kind, m.captured(1), m.captured(2))
                                   .arg(settings.count)
                                   .arg(m.captured(3), m.captured(4), m.captured(5), m.captured(6))
                                   .arg(!counted ? QStringLiteral("(not the console's dispatcher; not judged)")
                                        : pass   ? QStringLiteral("ok")
                                                 : QStringLiteral("MISSED")));
            }
        }
    }
    std::printf("\nSummary\n%s\n", qPrintable(summary.join(QLatin1Char('\n'))));
    return allOk ? 0 : 2;
}
