// An idle console with a large fleet offline: how long the GUI thread is held, as seen from another thread, while the
// console does nothing but its own periodic work for minutes, with 10,000 managed devices that never connect.
//
// Scenario: two data folders, each a throw-away HOME with the console's database (on the disk that holds the temporary
// folder) and the administrator's e-mail address set (so Login goes straight to the main window); one holds N devices
// (--devices, 10,000 by default; panel i as bench/network's fleet has it: MAC 02:51:4d + (1 + i), address
// 127.0.(1 + i/250).(2 + i%250)), the other none. Each measurement is a process of its own, offscreen, on Qt's Unix
// event dispatcher, with the log file at INFO, as the console runs: the administrator logs in, the main window shows
// the Device Control page, and the console is left alone. Its periodic work runs at its real intervals on the real
// clock: every 25 s the re-announcement to every offline device (the discovery answer sent to its address, by the arp
// table's address where it has one) and the arp refresh, whose command here prints a table that holds every device
// (`cat` of a file in net-tools form: the large table of a large network), and everything else the idle main window
// does.
//
// Measured from outside the GUI thread: a watcher thread posts a probe event to the GUI thread 5 ms after the previous
// one was handled and reads how long each waited to be handled; an idle loop handles one within a fraction of a
// millisecond, so the wait is the time the loop was held. A second thread receives the announcements (the console's
// answer port points at it) and counts the devices called in each one, so the figures are those of a console that
// really called its fleet back at every tick.
//
// Target, for the fleet: no probe waiting over 50 ms in the whole run (--seconds, 300 by default), and an announcement
// at every 25 s that calls every device (at least 99 % of them arriving: a loaded host may drop a few datagrams of a
// burst at the receiving socket). The console without devices runs first (--baseline-seconds, 60 by default) and its
// longest wait is printed for scale: what the host's scheduler alone costs. Exit code 0 when met, 2 when not, 1 when a
// run failed.
//
// Usage: bench_idle_console [--devices 10000] [--seconds 300] [--baseline-seconds 60]

#include "BenchSupport.h"
#include "FleetRecords.h"
#include "GuiWatcher.h"
#include "ShellBench.h"

#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "network/NetworkConfig.h"
#include "network/UPnPServer.h"
#include "platform/ArpTable.h"
#include "shell/app/Orvanta.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using namespace shellbench;

constexpr double TargetStallMs = 50;
constexpr int AnnounceIntervalS = 25; // the console's re-announce and arp cadence
constexpr double TargetCalledShare = 0.99;
const char *const Password = "kelvo";

// Receives the console's discovery answers on a port of its own (on every loopback address) and notes when each came.
class AnswerCounter
{
public:
    bool open()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        if (m_fd < 0)
            return false;
        // Room for a whole burst, where the host allows it: what overflows the socket is lost to the count.
        const int room = 32 * 1024 * 1024;
        if (::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &room, sizeof room) != 0)
            ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &room, sizeof room);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        // Every address of 127.0.0.0/8 the fleet's devices have; nothing else is ever sent here.
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        socklen_t length = sizeof address;
        if (::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return false;
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { run(); });
        return true;
    }
    void close()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    quint16 port() const { return m_port; }

    // Arrivals grouped into announcements: a gap of more than 5 s starts the next one. The count of each.
    std::vector<int> announcements() const
    {
        std::vector<int> counts;
        int64_t last = -1;
        for (int64_t at : m_arrivalsNs) {
            if (last < 0 || at - last > 5000000000LL)
                counts.push_back(0);
            ++counts.back();
            last = at;
        }
        return counts;
    }

private:
    void run()
    {
        char buffer[4096];
        pollfd waiting{m_fd, POLLIN, 0};
        while (!m_stop) {
            if (::poll(&waiting, 1, 100) <= 0)
                continue;
            while (::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0)
                m_arrivalsNs.push_back(bench::nowNs());
        }
    }

    int m_fd = -1;
    quint16 m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::vector<int64_t> m_arrivalsNs;
};

// The administrator's e-mail address and the fleet's devices, as a console that has managed them for a while holds
// them. Exit code for a child.
int seed(int devices)
{
    if (seedEvents(0) != 0)
        return 1;
    auto *manager = dynamic_cast<OrvantaDBManager *>(OrvantaDBManager::getInstance());
    if (!manager)
        return 1;
    SqlTransaction transaction(manager->databaseManager()->database(), "bench seed devices");
    for (VelkIFPDevice device : bench::fleetRecords(devices, bench::Records::Matching, QString::fromLatin1(Password))) {
        if (manager->createIFPDevice(device) != DB_OK)
            return 1;
    }
    return transaction.commit() ? 0 : 1;
}

// The arp table of a network that holds the whole fleet, in net-tools form.
QString writeArpTable(int devices)
{
    const QString path = QDir::homePath() + QStringLiteral("/arp-table.txt");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    for (int i = 0; i < devices; ++i)
        file.write(
            QStringLiteral("? (%1) at %2 [ether] on lo\n").arg(bench::panelAddress(i), bench::panelMac(i)).toUtf8());
    return path;
}

int measure(int devices, int seconds)
{
    ConsoleLog log;
    AnswerCounter counter;
    if (!counter.open()) {
        std::fprintf(stderr, "no socket for the announcements\n");
        return 1;
    }
    NetworkConfig config = NetworkConfig::current();
    config.answerPort = counter.port();
    NetworkConfig::setCurrent(config);
    const QString arpTable = writeArpTable(devices);
    if (arpTable.isEmpty())
        return 1;

    Orvanta login(OrvantaDBManager::getInstance());
    if (!logInToMainWindow(login))
        return 1;
    // The arp command of a large network, in time for the first tick (25 s after the responder was made at the
    // log-in).
    UPnPServer::getInstance()->arpTable()->setCommand(QStringLiteral("cat"), {arpTable});
    // The log-in's own turns (the device list read and laid out) are not the idle console's.
    processUntil([] { return false; }, 2000);

    // Probes 5 ms apart; those that waited over half the target are listed with their time.
    GuiWatcher watcher(5, TargetStallMs / 2);
    watcher.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    watcher.stop();
    counter.close();

    std::vector<double> waits = watcher.waitsMs();
    // No probe timed is no wait measured, not a wait of 0 ms.
    if (waits.empty()) {
        std::fprintf(stderr, "no probe was timed\n");
        return 1;
    }
    const double worst = watcher.worstMs();
    const int over = int(std::count_if(waits.begin(), waits.end(), [](double ms) { return ms > TargetStallMs; }));
    std::sort(waits.begin(), waits.end());
    const double p99 = waits[std::min(waits.size() - 1, size_t(waits.size() * 0.99))];
    const std::vector<int> announcements = counter.announcements();
    const int fewest = announcements.empty() ? 0 : *std::min_element(announcements.begin(), announcements.end());
    const int most = announcements.empty() ? 0 : *std::max_element(announcements.begin(), announcements.end());
    for (const GuiWatcher::Stall &stall : watcher.stalls())
        std::printf("STALL at %.1f s: %.1f ms\n", stall.atS, stall.ms);
    std::printf("RESULT worst=%.3f p99=%.3f over=%d probes=%d announcements=%d fewest=%d most=%d\n", worst, p99, over,
                int(waits.size()), int(announcements.size()), fewest, most);
    std::fflush(stdout);
    return 0;
}

struct Figures
{
    double worstMs = -1;
    double p99Ms = -1;
    int over = -1;
    int probes = 0;
    int announcements = 0;
    int fewest = 0;
    int most = 0;
};

bool measureIn(const Home &home, int devices, int seconds, Figures *figures)
{
    static const QRegularExpression result(QStringLiteral(
        "RESULT worst=(\\S+) p99=(\\S+) over=(\\d+) probes=(\\d+) announcements=(\\d+) fewest=(\\d+) most=(\\d+)"));
    static const QRegularExpression stall(QStringLiteral("STALL [^\\n]*"));
    QString output;
    if (!runIn(home, {QStringLiteral("--measure"), QString::number(devices), QString::number(seconds)}, &output))
        return false;
    auto stalls = stall.globalMatch(output);
    while (stalls.hasNext())
        std::printf("    %s\n", qPrintable(stalls.next().captured(0)));
    const QRegularExpressionMatch match = result.match(output);
    if (!match.hasMatch())
        return false;
    figures->worstMs = match.captured(1).toDouble();
    figures->p99Ms = match.captured(2).toDouble();
    figures->over = match.captured(3).toInt();
    figures->probes = match.captured(4).toInt();
    figures->announcements = match.captured(5).toInt();
    figures->fewest = match.captured(6).toInt();
    figures->most = match.captured(7).toInt();
    return true;
}

void printRow(const char *name, int devices, int seconds, const Figures &f)
{
    std::printf("%-9s %7d devices, %4d s: %6d probes, longest wait %7.1f ms, p99 %6.2f ms, %d over %.0f ms; "
                "%d announcements calling %d to %d devices\n",
                name, devices, seconds, f.probes, f.worstMs, f.p99Ms, f.over, TargetStallMs, f.announcements, f.fewest,
                f.most);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = bench::arguments(argc, argv);
    if (args.contains(QStringLiteral("--seed")) || args.contains(QStringLiteral("--measure"))) {
        // A child, in the environment its parent gave it.
        QApplication app(argc, argv);
        if (args.contains(QStringLiteral("--seed")))
            return seed(bench::argValue(args, QStringLiteral("--seed")).toInt());
        const int at = args.indexOf(QStringLiteral("--measure"));
        return measure(args.value(at + 1).toInt(), args.value(at + 2).toInt());
    }
    QCoreApplication app(argc, argv);

    const auto intArg = [&args](const char *name, int fallback) {
        const QString value = bench::argValue(args, QLatin1String(name));
        return value.isEmpty() ? fallback : value.toInt();
    };
    const int devices = std::max(1, intArg("--devices", 10000));
    const int seconds = std::max(AnnounceIntervalS * 2, intArg("--seconds", 300));
    const int baselineSeconds = std::max(AnnounceIntervalS + 5, intArg("--baseline-seconds", 60));
    Home empty, fleet;
    for (const std::pair<Home *, int> &home : {std::make_pair(&empty, 0), std::make_pair(&fleet, devices)}) {
        if (!home.first->dir.isValid() ||
            !runIn(*home.first, {QStringLiteral("--seed"), QString::number(home.second)})) {
            std::fprintf(stderr, "seeding a data folder with %d devices failed\n", home.second);
            return 1;
        }
    }
    // Whole intervals in the fleet's run, one left for the phase of the first tick (25 s after the log-in, which the
    // run follows by a few seconds) and the slack of a timer that long.
    const int ticks = seconds / AnnounceIntervalS - 1;
    const int calledAtLeast = int(devices * TargetCalledShare);
    std::printf("An idle administrator console (main window, Device Control page, offscreen, Unix dispatcher, log at "
                "INFO) with %d devices offline for %d s, and without devices for %d s (for scale); the re-announcement "
                "and the arp refresh (a table of every device) every %d s at their real intervals\n",
                devices, seconds, baselineSeconds, AnnounceIntervalS);
    std::printf(
        "Measured from a watcher thread: the wait of a probe event posted to the GUI thread every 5 ms. Target "
        "with the fleet: no wait over %.0f ms, and %d announcements each calling at least %d of the %d devices\n\n",
        TargetStallMs, ticks, calledAtLeast, devices);
    std::fflush(stdout);

    Figures baseline, subject;
    if (!measureIn(empty, 0, baselineSeconds, &baseline)) {
        std::fprintf(stderr, "the run without devices failed\n");
        return 1;
    }
    printRow("baseline", 0, baselineSeconds, baseline);
    if (!measureIn(fleet, devices, seconds, &subject)) {
        std::fprintf(stderr, "the run with %d devices failed\n", devices);
        return 1;
    }
    printRow("fleet", devices, seconds, subject);

    const bool stallMet = subject.over == 0;
    const bool calledMet = subject.announcements >= ticks && subject.fewest >= calledAtLeast;
    std::printf(
        "\nlongest GUI wait with %d devices offline: %.1f ms (without devices: %.1f ms), target <= %.0f ms: %s\n",
        devices, subject.worstMs, baseline.worstMs, TargetStallMs, stallMet ? "met" : "MISSED");
    std::printf("announcements: %d calling %d to %d devices, target >= %d each calling >= %d: %s\n",
                subject.announcements, subject.fewest, subject.most, ticks, calledAtLeast,
                calledMet ? "met" : "MISSED");
    return stallMet && calledMet ? 0 : 2;
}
