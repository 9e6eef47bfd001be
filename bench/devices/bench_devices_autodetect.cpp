// The console's GUI thread while a building full of new panels powers up with Settings > Devices > Auto Detect open:
// every panel searches for the console once, each from a MAC the console has never heard, and the dialog lists them.
// Measured where the operator feels it: how long the event loop stalls (bench::StallProbe, a 10 ms precise timer),
// and whether every searching panel ends up listed.
//
// Scenario, per run: the data store holds a managed fleet (--managed, default 500), the command server knows it, the
// discovery responder (UPnPServer) listens on loopback. A sender in a process of its own (this program with
// --sender, plain sockets, no Qt event loop) sends --searches M-SEARCH datagrams (default 3,000), evenly spread over
// --seconds (default 3), panel i from its own address 127.0.(1 + i/250).(2 + i%250) with its own MAC, the panels in
// a shuffled order (their rows land all over the list), and counts the console's answers. The probe runs from the
// first search until every MAC is listed (at most 20 s after the last search) and one more second.
//
// Subjects: the Devices tab with the Auto Detect dialog open (offscreen), once as it opens ("open") and once with the
// operator scrolled down to the 101st row as soon as there are 200 and the view has laid them out ("scrolled").
// Baseline: the same console with the dialog closed ("closed"), the responder's own share. Each run is a process of
// its own on Qt's Unix event dispatcher (the console's); the modes alternate (ABC CBA), so all see the same machine
// load.
//
// Target, for every subject run: no stall of the event loop over 100 ms (keep-alives, SOS frames and the operator's
// clicks wait that long) and every MAC sent listed in the dialog; for "scrolled", the panel scrolled to still at the
// top of the view at the end. A "scrolled" run whose own scroll did not take place is the benchmark's failure and is
// reported as such. Exit code 0 when met, 2 when not (a run without a result counts as a miss).
//
// Usage: bench_devices_autodetect [--searches 3000] [--seconds 3] [--managed 500] [--runs 3]
//                                 [--modes closed,open,scrolled]

#include "bench/network/BenchSupport.h"
#include "bench/network/FleetRecords.h"
#include "bench/network/StallProbe.h"

#include "datastore/OrvantaDBManager.h"
#include "devices/Management.h"
#include "devices/ManagementAutoDetect.h"
#include "network/CmdServer.h"
#include "network/SsdpMessage.h"
#include "network/UPnPServer.h"
#include "shell/base/Session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHeaderView>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr double kStallLimitMs = 100;
constexpr int kListWaitMs = 20000;
// "scrolled": the row scrolled to the top once the list holds kScrollAfterRows.
constexpr int kScrollRow = 100;
constexpr int kScrollAfterRows = 200;
const QString kPassword = QStringLiteral("bench");

struct Settings
{
    int searches = 3000;
    double seconds = 3;
    int managed = 500;
    int runs = 3;
    QStringList modes = {QStringLiteral("closed"), QStringLiteral("open"), QStringLiteral("scrolled")};
};

// How the "scrolled" run's own scroll went.
enum ScrollOutcome
{
    NotScrolledMode = -1,
    NeverTried = 0, // the view never laid out enough rows
    TookPlace = 1,
    DidNotTakePlace = 2,
};

// The searching panels follow the managed ones, so none of their MACs is known to the console.
int searcherIndex(const Settings &settings, int i)
{
    return settings.managed + i;
}

// ---- The sender: a process of its own ----------------------------------------------------------------------------

timespec monotonicAt(int64_t ns)
{
    timespec at;
    at.tv_sec = time_t(ns / 1000000000);
    at.tv_nsec = long(ns % 1000000000);
    return at;
}

int drainAnswers(int socket)
{
    int answers = 0;
    char buffer[2048];
    while (::recv(socket, buffer, sizeof(buffer), MSG_DONTWAIT) > 0)
        ++answers;
    return answers;
}

// Binds the answer port (every panel's answers come to it, whichever 127/8 address they were sent to), prints it,
// waits for "go <discovery port>" on standard input, sends the searches and prints what it sent and heard back.
int runSender(const Settings &settings)
{
    const int answerSocket = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in any = {};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    const int big = 8 << 20;
    ::setsockopt(answerSocket, SOL_SOCKET, SO_RCVBUF, &big, sizeof(big));
    socklen_t length = sizeof(any);
    if (answerSocket < 0 || ::bind(answerSocket, reinterpret_cast<sockaddr *>(&any), sizeof(any)) != 0 ||
        ::getsockname(answerSocket, reinterpret_cast<sockaddr *>(&any), &length) != 0) {
        std::printf("ERROR cannot bind the answer socket: %s\n", std::strerror(errno));
        return 1;
    }
    std::printf("PORT %d\n", ntohs(any.sin_port));
    std::fflush(stdout);

    std::vector<QByteArray> texts;
    std::vector<sockaddr_in> sources;
    for (int i = 0; i < settings.searches; ++i) {
        const int index = searcherIndex(settings, i);
        SsdpSearch search;
        search.searchTarget = QString::fromLatin1(SsdpMessage::kServiceType);
        search.mac = bench::panelMac(index);
        search.model = QStringLiteral("Velk TM B-Series");
        search.deviceType = QStringLiteral("Control Box");
        search.displayClientVersion = QStringLiteral("1.1.1030.30");
        texts.push_back(SsdpMessage::buildSearch(search, QStringLiteral("239.255.255.250:1988")));
        sockaddr_in source = {};
        source.sin_family = AF_INET;
        ::inet_pton(AF_INET, qPrintable(bench::panelAddress(index)), &source.sin_addr);
        sources.push_back(source);
    }

    // Panels power up in no particular order: their rows land all over the list, not only at its end.
    std::vector<size_t> order(texts.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(51));

    char line[128] = {};
    int port = 0;
    if (!std::fgets(line, sizeof(line), stdin) || std::sscanf(line, "go %d", &port) != 1) {
        std::printf("ERROR no go\n");
        return 1;
    }
    sockaddr_in console = {};
    console.sin_family = AF_INET;
    console.sin_port = htons(uint16_t(port));
    console.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

    int sent = 0;
    int failed = 0;
    int answers = 0;
    const int64_t spacingNs = int64_t(settings.seconds * 1e9 / qMax(1, settings.searches));
    const int64_t startNs = bench::nowNs();
    for (int i = 0; i < settings.searches; ++i) {
        const timespec at = monotonicAt(startNs + spacingNs * i);
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
        // Each panel searches from its own address, as a room full of panels does.
        const size_t panel = order[size_t(i)];
        const int socket = ::socket(AF_INET, SOCK_DGRAM, 0);
        const bool ok = socket >= 0 &&
                        ::bind(socket, reinterpret_cast<const sockaddr *>(&sources[panel]), sizeof(sockaddr_in)) == 0 &&
                        ::sendto(socket, texts[panel].constData(), size_t(texts[panel].size()), 0,
                                 reinterpret_cast<const sockaddr *>(&console), sizeof(console)) == texts[panel].size();
        if (socket >= 0)
            ::close(socket);
        ok ? ++sent : ++failed;
        answers += drainAnswers(answerSocket);
    }
    const double spreadMs = (bench::nowNs() - startNs) / 1e6;
    // Answers still on their way (a console that stalls answers late).
    const int64_t deadline = bench::nowNs() + int64_t(kListWaitMs) * 1000000;
    while (answers < sent && bench::nowNs() < deadline) {
        const timespec pause = {0, 20 * 1000000};
        ::nanosleep(&pause, nullptr);
        answers += drainAnswers(answerSocket);
    }
    std::printf("SENT %d FAILED %d SPREAD %.0f ANSWERS %d\n", sent, failed, spreadMs, answers);
    std::fflush(stdout);
    ::close(answerSocket);
    return 0;
}

// ---- The console: one run ----------------------------------------------------------------------------------------

int runConsole(const QString &mode, const Settings &settings)
{
    bench::raiseFdLimit();
    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    isAdminLogin = true;
    const QList<VelkIFPDevice> managed = bench::fleetRecords(settings.managed, bench::Records::Matching, kPassword);
    if (!fixture.seedDevices(managed))
        return 1;

    // The sender first: its answer port is where the responder must answer.
    QProcess sender;
    sender.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sender.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--sender"), QStringLiteral("--searches"), QString::number(settings.searches),
                  QStringLiteral("--seconds"), QString::number(settings.seconds), QStringLiteral("--managed"),
                  QString::number(settings.managed)});
    const QByteArray portLine = bench::readLine(sender, 10000);
    if (!portLine.startsWith("PORT ")) {
        std::printf("the sender did not start: %s\n", portLine.constData());
        return 1;
    }
    fixture.config().answerPort = quint16(portLine.mid(5).toUInt());
    fixture.start(managed, kPassword);
    UPnPServer *responder = UPnPServer::getInstance();
    const quint16 discoveryPort = responder->boundPort(0);
    if (discoveryPort == 0) {
        std::printf("the discovery responder did not bind\n");
        return 1;
    }

    Management page;
    ManagementAutoDetect *dialog = nullptr;
    if (mode != QLatin1String("closed")) {
        page.clickAutoDetect();
        dialog = page.autoDetectDialog();
        if (!dialog->isVisible()) {
            std::printf("the Auto Detect dialog did not open\n");
            return 1;
        }
    }
    bench::runFor(300);

    QSet<QString> sentMacs;
    for (int i = 0; i < settings.searches; ++i)
        sentMacs.insert(bench::panelMac(searcherIndex(settings, i)));
    const auto listedCount = [&] {
        if (!dialog)
            return 0;
        int listed = 0;
        for (const VelkIFPDevice &device : dialog->listedDevices())
            listed += sentMacs.contains(device.macAddress) ? 1 : 0;
        return listed;
    };
    const auto heardCount = [&] {
        int heard = 0;
        for (const VelkIFPDevice &device : responder->heardDevices())
            heard += sentMacs.contains(device.macAddress) ? 1 : 0;
        return heard;
    };

    bench::StallProbe probe;
    QByteArray senderReport;
    QElapsedTimer clock;
    probe.start();
    // The probe measures the time between its ticks: a stall before its first tick would go unseen.
    bench::runFor(200);
    clock.start();
    sender.write(QByteArrayLiteral("go ") + QByteArray::number(discoveryPort) + '\n');
    sender.waitForBytesWritten(1000);
    // Until the sender is done and every MAC it sent is listed (heard, with the dialog closed), or the wait is over.
    double lastListedMs = -1;
    // "scrolled": once the list is long enough the operator scrolls down to a panel and watches it while the rest
    // of the fleet comes in above and below. The view takes new rows into its scroll range on a later turn of the
    // loop than the one that inserted them, and a scroll before that is cut short to the old range: it waits until
    // the range reaches the row, and then checks that it did scroll.
    QString watched;
    ScrollOutcome scroll = mode == QLatin1String("scrolled") ? NeverTried : NotScrolledMode;
    int scrollTop = -1, scrollBar = -1, scrollMax = -1;
    const auto scrollOnce = [&] {
        if (scroll != NeverTried || dialog->tableDevices->rowCount() < kScrollAfterRows)
            return;
        QTableWidget *table = dialog->tableDevices;
        const int needed = table->verticalScrollMode() == QAbstractItemView::ScrollPerItem
                               ? kScrollRow
                               : table->verticalHeader()->sectionPosition(kScrollRow);
        if (table->verticalScrollBar()->maximum() < needed)
            return;
        table->scrollToItem(table->item(kScrollRow, 0), QAbstractItemView::PositionAtTop);
        scrollTop = table->rowAt(0);
        scrollBar = table->verticalScrollBar()->value();
        scrollMax = table->verticalScrollBar()->maximum();
        scroll = scrollTop == kScrollRow ? TookPlace : DidNotTakePlace;
        if (scroll == TookPlace)
            watched = dialog->listedDevices().value(kScrollRow).macAddress;
    };
    const auto done = [&] {
        const int have = dialog ? listedCount() : heardCount();
        if (have == settings.searches && lastListedMs < 0)
            lastListedMs = clock.nsecsElapsed() / 1e6;
        return !senderReport.isEmpty() && have == settings.searches;
    };
    bench::runLoop(int(settings.seconds * 1000) + kListWaitMs, [&](QEventLoop &loop) {
        QObject::connect(&sender, &QProcess::readyReadStandardOutput, &loop, [&] {
            while (sender.canReadLine()) {
                const QByteArray line = sender.readLine().trimmed();
                if (line.startsWith("SENT "))
                    senderReport = line;
            }
            if (done())
                loop.quit();
        });
        auto *check = new QTimer(&loop);
        QObject::connect(check, &QTimer::timeout, &loop, [&] {
            scrollOnce();
            if (done())
                loop.quit();
        });
        check->start(50);
    });
    // Whatever the burst left for later turns of the loop belongs to it.
    bench::runFor(1000);
    probe.stop();
    if (senderReport.isEmpty())
        senderReport = bench::readLine(sender, 5000);
    sender.waitForFinished(5000);

    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("SENT (\\d+) FAILED (\\d+) SPREAD (\\S+) ANSWERS (\\d+)"))
            .match(QString::fromLatin1(senderReport));
    const int sent = m.hasMatch() ? m.captured(1).toInt() : -1;
    const double spreadMs = m.hasMatch() ? m.captured(3).toDouble() : -1;
    const int answers = m.hasMatch() ? m.captured(4).toInt() : -1;
    const int rows = dialog ? dialog->tableDevices->rowCount() : 0;
    const int listed = dialog ? listedCount() : -1;
    const int heard = heardCount();
    int watchedOnTop = -1;
    if (dialog && !watched.isEmpty()) {
        const int top = dialog->tableDevices->rowAt(0);
        watchedOnTop = top >= 0 && dialog->listedDevices().value(top).macAddress == watched ? 1 : 0;
    }
    // What one refresh of the full list costs when nothing changed (the Refresh button's work), median of 5.
    std::vector<double> refreshes;
    for (int i = 0; dialog && i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        dialog->refreshList();
        refreshes.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double refreshMs = refreshes.empty() ? -1 : bench::median(refreshes);

    std::printf(
        "  %-8s %d searches sent over %.0f ms, %d answered, %d heard by the responder, %s | worst stall %.0f ms "
        "(p99 %.1f ms, %d stalls over %.0f ms, %.0f ms stalled in them) | every MAC %s\n",
        qPrintable(mode), sent, spreadMs, answers, heard,
        dialog ? qPrintable(QStringLiteral("dialog rows %1, %2 of the %3 MACs sent listed, one refresh of "
                                           "the full list %4 ms")
                                .arg(rows)
                                .arg(listed)
                                .arg(settings.searches)
                                .arg(refreshMs, 0, 'f', 1))
               : "dialog closed",
        probe.worstMs(), probe.quantileMs(0.99), probe.countOver(kStallLimitMs), kStallLimitMs,
        probe.stalledMs(kStallLimitMs),
        lastListedMs < 0 ? "never there"
                         : qPrintable(QStringLiteral("%1 after %2 ms")
                                          .arg(dialog ? QStringLiteral("listed") : QStringLiteral("heard"))
                                          .arg(lastListedMs, 0, 'f', 0)));
    if (scroll == NeverTried)
        std::printf("  %-8s the benchmark never scrolled: the view's range never reached row %d\n", qPrintable(mode),
                    kScrollRow);
    else if (scroll == DidNotTakePlace)
        std::printf("  %-8s the benchmark's scroll to row %d did not take place (top row %d, bar %d of %d)\n",
                    qPrintable(mode), kScrollRow, scrollTop, scrollBar, scrollMax);
    if (watchedOnTop >= 0)
        std::printf("  %-8s scrolled to row %d (bar %d of %d); the panel scrolled to is %s at the top of the view\n",
                    qPrintable(mode), kScrollRow, scrollBar, scrollMax, watchedOnTop ? "still" : "no longer");
    std::printf("RESULT mode=%s sent=%d answers=%d heard=%d rows=%d listed=%d stall=%.1f over=%d last=%.0f "
                "refresh=%.1f scroll=%d scrolltop=%d bar=%d max=%d top=%d\n",
                qPrintable(mode), sent, answers, heard, rows, listed, probe.worstMs(), probe.countOver(kStallLimitMs),
                lastListedMs, refreshMs, int(scroll), scrollTop, scrollBar, scrollMax, watchedOnTop);
    std::fflush(stdout);
    return 0;
}

struct Row
{
    QString mode;
    bool ok = false;
    int sent = 0, answers = 0, heard = 0, rows = 0, listed = 0, over = 0, top = -1;
    int scroll = NotScrolledMode, scrollTop = -1, scrollBar = -1, scrollMax = -1;
    double stall = 0, last = 0, refresh = 0;
};

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = bench::arguments(argc, argv);
    Settings settings;
    if (!bench::argValue(args, QStringLiteral("--searches")).isEmpty())
        settings.searches = qBound(1, bench::argValue(args, QStringLiteral("--searches")).toInt(), 4000);
    if (!bench::argValue(args, QStringLiteral("--seconds")).isEmpty())
        settings.seconds = qBound(0.0, bench::argValue(args, QStringLiteral("--seconds")).toDouble(), 60.0);
    if (!bench::argValue(args, QStringLiteral("--managed")).isEmpty())
        settings.managed = qBound(0, bench::argValue(args, QStringLiteral("--managed")).toInt(), 5000);
    if (!bench::argValue(args, QStringLiteral("--runs")).isEmpty())
        settings.runs = qMax(1, bench::argValue(args, QStringLiteral("--runs")).toInt());
    if (!bench::argValue(args, QStringLiteral("--modes")).isEmpty()) {
        const QStringList known = settings.modes;
        settings.modes = bench::argValue(args, QStringLiteral("--modes")).split(QLatin1Char(','));
        for (const QString &mode : qAsConst(settings.modes)) {
            if (!known.contains(mode)) {
                std::printf("unknown mode %s (known: %s)\n", qPrintable(mode),
                            qPrintable(known.join(QLatin1Char(','))));
                return 1;
            }
        }
    }

    if (args.contains(QStringLiteral("--sender")))
        return runSender(settings);
    if (args.contains(QStringLiteral("--child"))) {
        QApplication app(argc, argv);
        return runConsole(bench::argValue(args, QStringLiteral("--child")), settings);
    }

    QCoreApplication app(argc, argv);
    std::printf(
        "%d M-SEARCH searches from new MACs over %.1f s (a process of its own, from 127.0.x.y) to the console's "
        "discovery responder, %d managed devices, Unix dispatcher, %d runs of each\ntarget with the Auto "
        "Detect dialog open: no event-loop stall over %.0f ms, every MAC sent listed (scrolled: and the panel "
        "scrolled to still on top)\nmodes: %s\n",
        settings.searches, settings.seconds, settings.managed, settings.runs, kStallLimitMs,
        qPrintable(settings.modes.join(QLatin1Char(','))));
    const QStringList env = bench::consoleChildEnvironment();
    const QStringList common = {QStringLiteral("--searches"), QString::number(settings.searches),
                                QStringLiteral("--seconds"),  QString::number(settings.seconds),
                                QStringLiteral("--managed"),  QString::number(settings.managed)};
    QList<Row> rows;
    for (int run = 0; run < settings.runs; ++run) {
        QStringList order = settings.modes;
        if (run % 2 == 1)
            std::reverse(order.begin(), order.end());
        for (const QString &mode : order) {
            const QString output = bench::runChild(QStringList{QStringLiteral("--child"), mode} + common, env,
                                                   int(settings.seconds * 1000) + kListWaitMs * 2 + 60000);
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("RESULT mode=(\\S+) sent=(-?\\d+) answers=(-?\\d+) heard=(\\d+) "
                                                  "rows=(\\d+) listed=(-?\\d+) stall=(\\S+) over=(\\d+) last=(\\S+) "
                                                  "refresh=(\\S+) scroll=(-?\\d+) scrolltop=(-?\\d+) "
                                                  "bar=(-?\\d+) max=(-?\\d+) top=(-?\\d+)"))
                    .match(output);
            Row row;
            row.mode = mode;
            row.ok = m.hasMatch();
            if (row.ok) {
                row.sent = m.captured(2).toInt();
                row.answers = m.captured(3).toInt();
                row.heard = m.captured(4).toInt();
                row.rows = m.captured(5).toInt();
                row.listed = m.captured(6).toInt();
                row.stall = m.captured(7).toDouble();
                row.over = m.captured(8).toInt();
                row.last = m.captured(9).toDouble();
                row.refresh = m.captured(10).toDouble();
                row.scroll = m.captured(11).toInt();
                row.scrollTop = m.captured(12).toInt();
                row.scrollBar = m.captured(13).toInt();
                row.scrollMax = m.captured(14).toInt();
                row.top = m.captured(15).toInt();
            }
            rows.append(row);
        }
    }

    std::printf("\nSummary (target with the dialog open: worst stall <= %.0f ms, rows = MACs sent = %d, each listed; "
                "scrolled: the panel scrolled to still on top)\n",
                kStallLimitMs, settings.searches);
    bool allOk = true;
    std::vector<double> openStall, closedStall;
    for (const Row &row : qAsConst(rows)) {
        if (!row.ok) {
            std::printf("  %-8s no result  MISSED\n", qPrintable(row.mode));
            allOk = false;
            continue;
        }
        const bool subject = row.mode != QLatin1String("closed");
        (subject ? openStall : closedStall).push_back(row.stall);
        if (!subject) {
            std::printf("  closed   sent %d, answered %d, heard %d, worst stall %5.0f ms  (baseline, not judged)\n",
                        row.sent, row.answers, row.heard, row.stall);
            continue;
        }
        // A scroll of the benchmark's own that did not happen says nothing of the console: the run is lost, and it is
        // the benchmark's fault.
        QString scrolled;
        if (row.scroll == NeverTried)
            scrolled = QStringLiteral(", BENCHMARK FAILED: it never scrolled (the view's range never reached row %1)")
                           .arg(kScrollRow);
        else if (row.scroll == DidNotTakePlace)
            scrolled = QStringLiteral(", BENCHMARK FAILED: its scroll to row %1 did not take place (top row %2, bar %3 "
                                      "of %4)")
                           .arg(kScrollRow)
                           .arg(row.scrollTop)
                           .arg(row.scrollBar)
                           .arg(row.scrollMax);
        else if (row.scroll == TookPlace)
            scrolled = row.top == 1 ? QStringLiteral(", the panel scrolled to still on top")
                                    : QStringLiteral(", the panel scrolled to no longer on top");
        const bool pass = row.sent == settings.searches && row.rows == settings.searches &&
                          row.listed == settings.searches && row.stall <= kStallLimitMs &&
                          (row.scroll == NotScrolledMode || (row.scroll == TookPlace && row.top == 1));
        allOk = allOk && pass;
        std::printf("  %-8s sent %d, answered %d, heard %d, dialog rows %d (%d of the MACs sent listed), worst "
                    "stall %5.0f ms, one refresh of the full list %.1f ms%s  %s\n",
                    qPrintable(row.mode), row.sent, row.answers, row.heard, row.rows, row.listed, row.stall,
                    row.refresh, qPrintable(scrolled), pass ? "ok" : "MISSED");
    }
    if (!openStall.empty())
        std::printf("median worst stall, dialog open: %.0f ms\n", bench::median(openStall));
    if (!closedStall.empty())
        std::printf("median worst stall, dialog closed: %.0f ms\n", bench::median(closedStall));
    return allOk ? 0 : 2;
}
