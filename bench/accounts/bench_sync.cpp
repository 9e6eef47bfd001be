// "Sync Now" over many multi-user panels against the same account files sent over the same
// connections without the synchronisation logic, and the GUI thread's longest stall meanwhile.
//
// Scenario: the console (this process: its command server, data store on tmpfs, log file, the
// User Accounts page and its Sync Now, Qt's Unix event dispatcher) holds 500 panels with 48 users
// each; the panels are tools/panelsim simulated panels in a separate process. Two user cases: the
// same 48 users on every panel ("shared"), and 48 users of their own for every 10 panels
// ("blocks", 2,400 users with 12 app permissions each). One unmeasured round first, which lets
// every panel take part in its first synchronisation.
//
// Subject: a press of Sync Now until the run ends (every panel asked, answered and recorded for
// its 48 users, the user table rebuilt). Baseline: the account file each panel got in the
// subject's run, built beforehand, sent as one frame on each panel's connection, until every
// panel reported it. Rounds alternate baseline and subject. Checks that every panel received
// exactly the file it was meant to get (its size, per panel, in every subject round). Prints, beside the
// times, the CPU time the console and the panels' process spent in each kind of round, so the gap
// between the CPU time and the wall time shows how long either side waited.
//
// Usage: QT_QPA_PLATFORM=offscreen bench_sync [--panels 500] [--users 48] [--rounds 3]
//        [--cases shared,blocks] [--windows]
// --windows: prints each measured span on the monotonic clock to standard error, for a profile of
// just those spans (perf record -k CLOCK_MONOTONIC ..., then perf report --time).
// Exit code 0 when every target is met, 2 otherwise.

#include "accounts/AccountOverview.h"
#include "accounts/AccountSyncRun.h"
#include "bench/network/BenchSupport.h"
#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "network/AccountFile.h"
#include "network/CmdServer.h"
#include "network/DeviceChannel.h"
#include "network/ProtocolCodes.h"
#include "shell/base/Session.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr double TargetRatio = 3.0;
constexpr double TargetStallMs = 100.0;
const char *const Password = "kelvo";

// The longest gap between the ticks of a 5 ms timer on the GUI thread, beyond its interval.
class StallProbe : public QObject
{
public:
    StallProbe()
    {
        m_timer.setInterval(5);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const double gap = m_clock.nsecsElapsed() / 1e6;
            m_clock.restart();
            m_worst = std::max(m_worst, gap - 5.0);
        });
    }
    void start()
    {
        m_worst = 0;
        m_clock.start();
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return std::max(0.0, m_worst);
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_worst = 0;
};

// The panelsim process and what its panels report.
class Panels : public QObject
{
public:
    bool start(const QString &program, int count, quint16 port)
    {
        connect(&m_process, &QProcess::readyReadStandardOutput, this, [this] { readLines(); });
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, {QStringLiteral("--console"), QStringLiteral("127.0.0.1:%1").arg(port),
                                  QStringLiteral("--count"), QString::number(count), QStringLiteral("--base-ip"),
                                  QStringLiteral("127.0.1.2"), QStringLiteral("--password"), QLatin1String(Password),
                                  QStringLiteral("--no-wol")});
        return m_process.waitForStarted(5000);
    }
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    qint64 processId() const { return m_process.processId(); }
    int filesReceived() const { return m_files; }
    // Panel number (1-based) -> size of the account file it received last, and how many it received.
    const QHash<int, int> &lastSizes() const { return m_sizes; }
    const QHash<int, int> &counts() const { return m_counts; }

private:
    void readLines()
    {
        static const QRegularExpression received(
            QStringLiteral("Panel-(\\d+) account file received \\((\\d+) bytes\\)"));
        m_buffer += m_process.readAllStandardOutput();
        // The lines read are dropped once at the end: dropping each as it is read moved the rest of the buffer
        // every time, on the very thread being measured.
        int from = 0;
        int newline;
        while ((newline = m_buffer.indexOf('\n', from)) >= 0) {
            const QString line = QString::fromUtf8(m_buffer.constData() + from, newline - from);
            from = newline + 1;
            const QRegularExpressionMatch match = received.match(line);
            if (!match.hasMatch())
                continue;
            ++m_files;
            const int panel = match.captured(1).toInt();
            m_sizes.insert(panel, match.captured(2).toInt());
            ++m_counts[panel];
        }
        m_buffer.remove(0, from);
    }

    QProcess m_process;
    QByteArray m_buffer;
    int m_files = 0;
    QHash<int, int> m_sizes;
    QHash<int, int> m_counts;
};

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

// CPU time of this process (the console) and of the panels' process, and the monotonic clock, at one moment.
struct Moment
{
    double consoleMs = 0;
    double panelsMs = 0;
    int64_t ns = 0;
};

Moment momentNow(const Panels &fleet)
{
    return {bench::cpuSeconds(0) * 1e3, bench::cpuSeconds(fleet.processId()) * 1e3, bench::nowNs()};
}

bool printWindows = false;

// What one round spent: wall time is measured by the caller's clock, CPU time here.
struct Spent
{
    const char *name;
    std::vector<double> consoleMs;
    std::vector<double> panelsMs;

    void add(const Moment &from, const Moment &to)
    {
        consoleMs.push_back(to.consoleMs - from.consoleMs);
        panelsMs.push_back(to.panelsMs - from.panelsMs);
        if (printWindows)
            std::fprintf(stderr, "measured span %s %lld.%09lld,%lld.%09lld\n", name,
                         static_cast<long long>(from.ns / 1000000000), static_cast<long long>(from.ns % 1000000000),
                         static_cast<long long>(to.ns / 1000000000), static_cast<long long>(to.ns % 1000000000));
    }
};

// Users, their app permissions and their assignments: panel i holds the 48 users of block i / panelsPerBlock.
bool seedUsers(int panels, int usersPerPanel, int panelsPerBlock)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    auto *manager = dynamic_cast<OrvantaDBManager *>(db);
    SqlTransaction transaction(manager->databaseManager()->database(), "bench seed users");
    const int blocks = (panels + panelsPerBlock - 1) / panelsPerBlock;
    for (int block = 0; block < blocks; ++block) {
        for (int u = 0; u < usersPerPanel; ++u) {
            VelkMultiUser user;
            user.userName = QStringLiteral("Teacher %1-%2").arg(block).arg(u);
            user.password = QStringLiteral("pw%1x%2").arg(block).arg(u);
            user.rfidId = QStringLiteral("%1").arg(block * 100 + u, 8, 10, QLatin1Char('0'));
            if (db->createMultiUser(user) != DB_OK)
                return false;
        }
    }
    QList<VelkMultiUser> users;
    QList<VelkIFPDevice> devices;
    db->queryAllMultiUser(users);
    db->queryAllAvailableIFP(devices);
    for (int i = 0; i < devices.size(); ++i) {
        const int block = i / panelsPerBlock;
        for (int u = 0; u < usersPerPanel; ++u) {
            VelkUserDevice row;
            row.multiUserId = users.at(block * usersPerPanel + u).muid;
            row.deviceId = devices.at(i).did;
            if (db->createUserDevice(row) != DB_OK)
                return false;
        }
    }
    QList<VelkMultiUserAdmin> settings;
    db->queryMultiUserAdmin(settings);
    settings.first().enableSetupServer = true;
    settings.first().enableMultiUser = true;
    settings.first().adminPassword = QStringLiteral("admin-pw");
    db->updateMultiUserAdmin(settings.first());
    return transaction.commit();
}

// What each panel must receive: the account file of its users, as the console builds it.
QList<QPair<QString, QByteArray>> accountFiles()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QList<VelkIFPDevice> devices;
    QList<VelkAppPermission> permissions;
    QList<VelkAppInfo> apps;
    db->queryAllAvailableIFP(devices);
    db->queryAllAppPermission(permissions);
    db->queryAllAppInfo(apps);
    QList<QPair<QString, QByteArray>> files;
    for (const VelkIFPDevice &device : qAsConst(devices)) {
        QList<VelkMultiUser> users;
        db->queryMultiUserByIFP(users, device.did);
        files.append({device.macAddress, AccountFile::build(AccountFile::rowsForUsers(users, permissions, apps))});
    }
    return files;
}

int runCase(const QString &name, int panels, int usersPerPanel, int panelsPerBlock, int rounds, const QString &panelsim)
{
    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    QList<VelkIFPDevice> devices;
    for (int i = 0; i < panels; ++i)
        devices.append(bench::panelDevice(i, QLatin1String(Password)));
    if (!fixture.seedDevices(devices) || !seedUsers(panels, usersPerPanel, panelsPerBlock)) {
        std::fprintf(stderr, "seeding failed\n");
        return 1;
    }
    CmdServer *server = fixture.start(devices, QLatin1String(Password));
    isAdminLogin = true;
    AccountOverview overview;

    Panels fleet;
    if (!fleet.start(panelsim, panels, fixture.port()))
        return 1;
    const bool connected = waitUntil(
        [&] {
            for (int i = 0; i < panels; ++i) {
                if (!server->getChannel(bench::panelMac(i)))
                    return false;
            }
            return true;
        },
        60000);
    if (!connected) {
        std::fprintf(stderr, "not every panel connected\n");
        fleet.stop();
        return 1;
    }

    int runsFinished = 0;

    QObject::connect(overview.syncRun(), &AccountSyncRun::runFinished, [&] { ++runsFinished; });
    Spent baseSpent{"baseline", {}, {}}, subjectSpent{"subject", {}, {}}, warmSpent{"first", {}, {}};
    const auto syncNow = [&](double *stall, Spent *spent) {
        StallProbe probe;
        const int before = runsFinished;
        const Moment start = momentNow(fleet);
        QElapsedTimer clock;
        probe.start();
        clock.start();
        overview.btnSyncNow->click();
        const bool done = waitUntil([&] { return runsFinished > before; }, 600000);
        const double ms = clock.nsecsElapsed() / 1e6;
        *stall = probe.stop();
        spent->add(start, momentNow(fleet));
        return done ? ms : -1.0;
    };

    double warmStall = 0;
    const double warmMs = syncNow(&warmStall, &warmSpent);
    if (warmMs < 0) {
        std::fprintf(stderr, "the first run did not end\n");
        fleet.stop();
        return 1;
    }
    // Every panel reported one more file than it had by `before`.
    const auto everyPanelReported = [&](const QHash<int, int> &before) {
        for (int panel = 1; panel <= panels; ++panel) {
            if (fleet.counts().value(panel) < before.value(panel) + 1)
                return false;
        }
        return true;
    };
    const QList<QPair<QString, QByteArray>> files = accountFiles();
    QHash<int, int> expected;
    for (int i = 0; i < files.size(); ++i)
        expected.insert(i + 1, files.at(i).second.size());
    waitUntil([&] { return everyPanelReported({}); }, 10000);

    std::vector<double> baseline, subject, baseStalls, subjectStalls;
    bool filesRight = true;
    for (int round = 0; round < rounds; ++round) {
        StallProbe probe;
        const QHash<int, int> sentBefore = fleet.counts();
        const Moment start = momentNow(fleet);
        QElapsedTimer clock;
        probe.start();
        clock.start();
        for (const auto &file : files) {
            if (DeviceChannel *channel = server->getChannel(file.first))
                channel->sendFrame(VELK_REMOTE_CMD_SYNC_USER_SETTINGS, file.second);
        }
        if (!waitUntil([&] { return everyPanelReported(sentBefore); }, 600000)) {
            std::fprintf(stderr, "baseline round %d did not complete\n", round);
            fleet.stop();
            return 1;
        }
        baseline.push_back(clock.nsecsElapsed() / 1e6);
        baseStalls.push_back(probe.stop());
        baseSpent.add(start, momentNow(fleet));
        // The panels answer the baseline's files too; those answers must be in before the
        // subject starts, or an answer to a file of the baseline would end a panel's exchange.
        waitUntil([] { return false; }, 500);

        const QHash<int, int> before = fleet.counts();
        double stall = 0;
        const double ms = syncNow(&stall, &subjectSpent);
        if (ms < 0) {
            std::fprintf(stderr, "subject round %d did not end\n", round);
            fleet.stop();
            return 1;
        }
        subject.push_back(ms);
        subjectStalls.push_back(stall);
        // The run ends only after every panel answered; its report of the file may come later.
        waitUntil([&] { return everyPanelReported(before); }, 10000);
        for (int panel = 1; panel <= panels; ++panel) {
            if (fleet.counts().value(panel) != before.value(panel) + 1 ||
                fleet.lastSizes().value(panel) != expected.value(panel)) {
                std::fprintf(stderr, "panel %d: %d file(s) of %d bytes, expected one of %d\n", panel,
                             fleet.counts().value(panel) - before.value(panel), fleet.lastSizes().value(panel),
                             expected.value(panel));
                filesRight = false;
            }
        }
    }
    fleet.stop();

    const double base = bench::median(baseline);
    const double sync = bench::median(subject);
    const double ratio = base > 0 ? sync / base : 0;
    // The first run, every panel's first synchronisation with this console, is an operator's too.
    const double worstStall = std::max(warmStall, *std::max_element(subjectStalls.begin(), subjectStalls.end()));
    const double baseStall = *std::max_element(baseStalls.begin(), baseStalls.end());
    const bool ok = ratio <= TargetRatio && worstStall <= TargetStallMs && filesRight;
    std::printf("%s: %d panels x %d users (%d users in all), %d rounds, dispatcher %s\n", qPrintable(name), panels,
                usersPerPanel, usersPerPanel * ((panels + panelsPerBlock - 1) / panelsPerBlock), rounds,
                qPrintable(bench::dispatcherName()));
    std::printf("  baseline (account files only) median %8.1f ms | Sync Now median %8.1f ms | ratio %.2f "
                "(target <= %.1f) %s\n",
                base, sync, ratio, TargetRatio, ratio <= TargetRatio ? "met" : "MISSED");
    std::printf("  CPU time median: baseline console %6.1f ms, panels %6.1f ms | Sync Now console %6.1f ms, panels "
                "%6.1f ms\n",
                bench::median(baseSpent.consoleMs), bench::median(baseSpent.panelsMs),
                bench::median(subjectSpent.consoleMs), bench::median(subjectSpent.panelsMs));
    std::printf("  first run (each panel's first synchronisation, not in the ratio): %.1f ms\n", warmMs);
    std::printf("  GUI thread longest stall: Sync Now %.1f ms, first run included (target <= %.0f ms) %s; baseline "
                "%.1f ms\n",
                worstStall, TargetStallMs, worstStall <= TargetStallMs ? "met" : "MISSED", baseStall);
    std::printf("  every panel received its own account file in every run: %s\n", filesRight ? "yes" : "NO");
    return ok ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_NO_GLIB", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bench::raiseFdLimit();
    const QStringList args = app.arguments();
    const auto value = [&](const char *option, const QString &fallback) {
        const QString given = bench::argValue(args, QLatin1String(option));
        return given.isEmpty() ? fallback : given;
    };
    const int panels = value("--panels", QStringLiteral("500")).toInt();
    const int users = value("--users", QStringLiteral("48")).toInt();
    // The verdict needs at least one measured round of each kind.
    const int rounds = std::max(1, value("--rounds", QStringLiteral("3")).toInt());
    printWindows = args.contains(QStringLiteral("--windows"));
    const QStringList cases = value("--cases", QStringLiteral("shared,blocks")).split(QLatin1Char(','));
    const QString panelsim = QStringLiteral(PANELSIM_PROGRAM);

    // Each case in a process of its own: the command server and the data store are process-wide.
    const QString only = value("--case", QString());
    if (!only.isEmpty())
        return runCase(only, panels, users, only == QLatin1String("shared") ? panels : 10, rounds, panelsim);
    int worst = 0;
    for (const QString &name : cases) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        QStringList arguments = {QStringLiteral("--case"),   name,
                                 QStringLiteral("--panels"), QString::number(panels),
                                 QStringLiteral("--users"),  QString::number(users),
                                 QStringLiteral("--rounds"), QString::number(rounds)};
        if (printWindows)
            arguments.append(QStringLiteral("--windows"));
        child.start(QCoreApplication::applicationFilePath(), arguments);
        child.waitForFinished(-1);
        const int code = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 1;
        worst = std::max(worst, code);
    }
    return worst;
}
