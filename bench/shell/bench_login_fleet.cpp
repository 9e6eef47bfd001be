// Log-in with a large fleet: how long after Login the main window appears, how long the GUI thread stalls after
// that, and how much the process grows, with 2,000, 10,000 and 100,000 managed devices.
//
// Scenario: one data folder per fleet size, each a throw-away HOME with the console's database (on the disk that
// holds the temporary folder) and the administrator's e-mail address set (so Login goes straight to the main
// window). It holds N devices ("Panel-000000" ...), one in ten an audio box, every one able to take broadcasts and
// the panels' multi-user accounts, in N / 20 groups of 20; and 10 panel users, each assigned the devices of every
// tenth group. Each measurement is a process of its own (the data store and the command server are process-wide),
// offscreen, on Qt's Unix event dispatcher and with the log file at INFO, as the console runs: the log-in window
// shown, the administrator's password typed, Login clicked; the log-in time runs until the main window's first
// paint.
//
// From the first paint on, a thread of its own asks the GUI thread every 10 ms to answer and times the answer, for
// --settle seconds (30 by default, past the first turn of the console's 25 s rounds: the discovery answers to every
// offline panel, the command server's retries): the longest wait is the longest the operator's next click would
// have waited. The devices' addresses lie on loopback, where those answers may go, as they go on a real network.
// The growth of the process is its peak resident memory at the end of that time less its resident memory before
// the log-in window was created. Then the two tables that list every device are opened as the operator opens them,
// each timed until its window's first paint: Add Broadcast on the Broadcast page, and the device assignment of the
// first user on Settings' User Accounts tab (printed, not judged).
//
// Rounds run the sizes in alternating order. Targets: the log-in with 10,000 devices within 1.5 x the log-in with
// 2,000 (median of the rounds' ratios); no stall over 200 ms after the window shows with 2,000 or 10,000 devices, in
// any round; and memory that grows at most linearly: the growth per device from 10,000 to the largest size at most
// 1.5 x the growth per device from 2,000 to 10,000 (medians). The largest size's log-in time and stall are printed,
// not judged. Exit code 0 when every target is met, 2 when not, 1 when a run failed.
//
// Usage: bench_login_fleet [--devices 2000,10000,100000] [--rounds 5] [--settle 30]

#include "BenchSupport.h"
#include "GuiWatcher.h"
#include "ShellBench.h"

#include "accounts/AccountOverview.h"
#include "accounts/AccountTableModel.h"
#include "accounts/DeviceListDialog.h"
#include "broadcast/Broadcast.h"
#include "broadcast/BroadcastSetting.h"
#include "datastore/DatabaseManager.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/Orvanta.h"
#include "shell/app/Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace shellbench;

constexpr double TargetLoginRatio = 1.5;
constexpr double TargetStallMs = 200;
constexpr double TargetMemorySlopeRatio = 1.5;
constexpr int DevicesPerGroup = 20;
constexpr int Users = 10;

// An option's value, or `fallback` when it was not given.
QString option(const QStringList &args, const char *name, const char *fallback)
{
    const QString value = bench::argValue(args, QLatin1String(name));
    return value.isEmpty() ? QLatin1String(fallback) : value;
}

// The fleet of one data folder, written with the statements of the data store's own inserts.
int seedFleet(int devices)
{
    if (seedEvents(0) != 0)
        return 1;
    auto *manager = dynamic_cast<OrvantaDBManager *>(OrvantaDBManager::getInstance());
    if (!manager)
        return 1;
    QSqlDatabase sql = manager->databaseManager()->database();
    SqlTransaction transaction(sql, "bench seed fleet");
    QSqlQuery group(sql), device(sql), member(sql), user(sql), assignment(sql);
    if (!group.prepare(QStringLiteral("INSERT INTO Groups (gid, groupName, groupType) VALUES (?, ?, 'Control Box')")) ||
        !device.prepare(QStringLiteral(
            "INSERT INTO Device (did, deviceName, modelName, macAddress, ipAddress, fwVersion, lastPassword, "
            "subnetMask, gateway, panelFwVersion, displayClientVersion, sku, isKicked, deviceType, position, "
            "ptzCamera) VALUES (?, ?, '', ?, ?, '', '', '255.255.0.0', '10.0.0.1', '', '1.1.1017.18', '', 0, ?, "
            "?, '')")) ||
        !member.prepare(QStringLiteral("INSERT INTO DeviceGroups (did, gid) VALUES (?, ?)")) ||
        !user.prepare(QStringLiteral("INSERT INTO MultiUser (muid, userName, password, rfidId, hasPermission, "
                                     "uniqueId) VALUES (?, ?, 'secret', '', 0, ?)")) ||
        !assignment.prepare(QStringLiteral("INSERT INTO UserDevice (multiUserId, deviceId, syncStatus, lastSyncTime) "
                                           "VALUES (?, ?, 0, '')")))
        return 1;
    const int groups = std::max(1, devices / DevicesPerGroup);
    for (int g = 1; g <= groups; ++g) {
        group.addBindValue(g);
        group.addBindValue(QStringLiteral("Room %1").arg(g, 5, 10, QLatin1Char('0')));
        if (!group.exec())
            return 1;
    }
    for (int u = 1; u <= Users; ++u) {
        user.addBindValue(u);
        user.addBindValue(QStringLiteral("Teacher %1").arg(u));
        user.addBindValue(QStringLiteral("teacher-%1").arg(u));
        if (!user.exec())
            return 1;
    }
    for (int i = 0; i < devices; ++i) {
        const int did = i + 1;
        const int gid = 1 + i / DevicesPerGroup % groups;
        device.addBindValue(did);
        device.addBindValue(QStringLiteral("Panel-%1").arg(i, 6, 10, QLatin1Char('0')));
        device.addBindValue(QStringLiteral("02:51:4d:%1:%2:%3")
                                .arg((i >> 16) & 0xff, 2, 16, QLatin1Char('0'))
                                .arg((i >> 8) & 0xff, 2, 16, QLatin1Char('0'))
                                .arg(i & 0xff, 2, 16, QLatin1Char('0')));
        device.addBindValue(
            QStringLiteral("127.%1.%2.%3").arg(1 + ((i >> 16) & 0xff)).arg((i >> 8) & 0xff).arg(i & 0xff));
        device.addBindValue(i % 10 == 9 ? QStringLiteral("Audio Box") : QStringLiteral("Control Box"));
        device.addBindValue(QStringLiteral("Room %1").arg(gid));
        member.addBindValue(did);
        member.addBindValue(gid);
        if (!device.exec() || !member.exec())
            return 1;
        // Each user holds the devices of every tenth group.
        assignment.addBindValue(1 + gid % Users);
        assignment.addBindValue(did);
        if (!assignment.exec())
            return 1;
    }
    return transaction.commit() ? 0 : 1;
}

int measure(int settleSeconds)
{
    ConsoleLog log;
    const long before = bench::procStatusKb("VmRSS");
    Orvanta login(OrvantaDBManager::getInstance());
    prepareLogIn(login);

    const double loginMs = timeLogIn(login);
    FrameLayoutPage *frame = login.mainFrame();
    if (loginMs < 0)
        return 1;

    // Asked every 10 ms; the longest wait is the figure.
    GuiWatcher watcher(10, TargetStallMs);
    watcher.start();
    QElapsedTimer settling;
    settling.start();
    processUntil([&] { return settling.elapsed() >= settleSeconds * 1000; }, settleSeconds * 1000 + 1000);
    watcher.stop();
    const double stallMs = watcher.worstMs();
    const long peak = bench::procStatusKb("VmHWM");
    // A figure the kernel did not give is no growth of 0 or less.
    if (watcher.waitsMs().empty() || before < 0 || peak < 0) {
        std::fprintf(stderr, "the GUI thread's waits or the process's memory were not measured\n");
        return 1;
    }
    const long growthKiB = peak - before;

    // The two tables of every device as the operator opens them: Add Broadcast on the Broadcast page, and the device
    // assignment of the first user on the User Accounts tab.
    const auto timeUntilPainted = [](QWidget *window, const std::function<void()> &open) {
        QElapsedTimer opening;
        opening.start();
        FirstPaint paint(window);
        open();
        if (!processUntil([&] { return paint.painted; }, ChildTimeoutMs))
            return -1.0;
        return opening.nsecsElapsed() / 1e6;
    };
    frame->clickBroadcast();
    auto *broadcast = frame->findChild<Broadcast *>();
    if (!broadcast)
        return 1;
    const double broadcastMs =
        timeUntilPainted(broadcast->editor(), [broadcast] { broadcast->btnAddBroadcast->click(); });
    broadcast->editor()->hide();
    frame->clickManagement();
    auto *settings = frame->findChild<Settings *>();
    auto *overview = frame->findChild<AccountOverview *>();
    if (!settings || !overview)
        return 1;
    settings->btnUserAccountsClicked();
    if (overview->tableModel()->rowCount() == 0)
        return 1;
    const double assignmentMs =
        timeUntilPainted(overview->deviceList(), [overview] { overview->showDeviceListDialog(0); });
    if (broadcastMs < 0 || assignmentMs < 0)
        return 1;
    std::printf("RESULT login=%.3f stall=%.3f growth=%ld broadcast=%.3f assignment=%.3f\n", loginMs, stallMs, growthKiB,
                broadcastMs, assignmentMs);
    std::fflush(stdout);
    return 0;
}

struct Figures
{
    double loginMs = -1;
    double stallMs = -1;
    double growthMiB = -1;
    double broadcastMs = -1;
    double assignmentMs = -1;
};

struct Fleet
{
    int devices = 0;
    Home home;
    std::vector<Figures> rounds;
};

bool measureIn(const Fleet &fleet, int settleSeconds, Figures *figures)
{
    static const QRegularExpression result(
        QStringLiteral("RESULT login=(\\S+) stall=(\\S+) growth=(-?\\d+) broadcast=(\\S+) assignment=(\\S+)"));
    QString output;
    if (!runIn(fleet.home, {QStringLiteral("--measure"), QString::number(settleSeconds)}, &output))
        return false;
    const QRegularExpressionMatch match = result.match(output);
    if (!match.hasMatch())
        return false;
    figures->loginMs = match.captured(1).toDouble();
    figures->stallMs = match.captured(2).toDouble();
    figures->growthMiB = match.captured(3).toDouble() / 1024;
    figures->broadcastMs = match.captured(4).toDouble();
    figures->assignmentMs = match.captured(5).toDouble();
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = bench::arguments(argc, argv);
    if (args.contains(QStringLiteral("--seed")) || args.contains(QStringLiteral("--measure"))) {
        // A child, in the environment its parent gave it.
        QApplication app(argc, argv);
        if (args.contains(QStringLiteral("--seed")))
            return seedFleet(option(args, "--seed", "0").toInt());
        return measure(std::max(1, option(args, "--measure", "1").toInt()));
    }
    QCoreApplication app(argc, argv);

    std::vector<int> sizes;
    for (const QString &size : option(args, "--devices", "2000,10000,100000").split(QLatin1Char(',')))
        sizes.push_back(size.toInt());
    std::sort(sizes.begin(), sizes.end());
    // The growth per device is taken between sizes: two alike would divide by no devices.
    if (sizes.size() < 3 || sizes.front() <= 0 || std::adjacent_find(sizes.begin(), sizes.end()) != sizes.end()) {
        std::fprintf(stderr, "--devices takes three different sizes or more, the first two the pair the log-in is "
                             "judged on\n");
        return 1;
    }
    const int rounds = std::max(1, option(args, "--rounds", "5").toInt());
    const int settle = std::max(1, option(args, "--settle", "30").toInt());
    std::vector<std::unique_ptr<Fleet>> fleets;
    for (int size : sizes) {
        fleets.push_back(std::make_unique<Fleet>());
        fleets.back()->devices = size;
        if (!fleets.back()->home.dir.isValid() ||
            !runIn(fleets.back()->home, {QStringLiteral("--seed"), QString::number(size)})) {
            std::fprintf(stderr, "seeding a data folder with %d devices failed\n", size);
            return 1;
        }
    }
    Fleet &small = *fleets.at(0);
    Fleet &middle = *fleets.at(1);
    Fleet &large = *fleets.back();

    std::printf("Log-in as the administrator until the main window's first paint, then the GUI thread's longest "
                "answer to a thread of its own over %d s, and the growth of the process; fleets of",
                settle);
    for (const auto &fleet : fleets)
        std::printf(" %d", fleet->devices);
    std::printf(" devices (%d per group, %d panel users)\n", DevicesPerGroup, Users);
    std::printf("Each a process of its own (offscreen, Unix dispatcher, log at INFO), %d rounds in alternating order. "
                "Targets: log-in with %d devices <= %.1fx with %d (median of the rounds' ratios); no stall over %.0f "
                "ms with %d or %d devices in any round; growth per device from %d to %d <= %.1fx the growth per "
                "device from %d to %d (medians)\n\n",
                rounds, middle.devices, TargetLoginRatio, small.devices, TargetStallMs, small.devices, middle.devices,
                middle.devices, large.devices, TargetMemorySlopeRatio, small.devices, middle.devices);
    std::printf("%-6s %9s %12s %10s %12s %14s %15s\n", "round", "devices", "login ms", "stall ms", "growth MiB",
                "broadcast ms", "assignment ms");
    std::vector<double> loginRatios;
    double worstJudgedStall = 0;
    for (int round = 1; round <= rounds; ++round) {
        std::vector<Fleet *> order;
        for (const auto &fleet : fleets)
            order.push_back(fleet.get());
        if (round % 2 == 0)
            std::reverse(order.begin(), order.end());
        for (Fleet *fleet : order) {
            Figures figures;
            if (!measureIn(*fleet, settle, &figures)) {
                std::fprintf(stderr, "round %d: the run with %d devices failed\n", round, fleet->devices);
                return 1;
            }
            fleet->rounds.push_back(figures);
            if (fleet == &small || fleet == &middle)
                worstJudgedStall = std::max(worstJudgedStall, figures.stallMs);
            std::printf("%-6d %9d %12.1f %10.1f %12.1f %14.1f %15.1f\n", round, fleet->devices, figures.loginMs,
                        figures.stallMs, figures.growthMiB, figures.broadcastMs, figures.assignmentMs);
            std::fflush(stdout);
        }
        loginRatios.push_back(middle.rounds.back().loginMs / small.rounds.back().loginMs);
    }

    const auto medianOf = [](const Fleet &fleet, double Figures::*field) {
        std::vector<double> values;
        for (const Figures &figures : fleet.rounds)
            values.push_back(figures.*field);
        return bench::median(values);
    };
    const double loginRatio = bench::median(loginRatios);
    const double smallGrowth = medianOf(small, &Figures::growthMiB);
    const double middleGrowth = medianOf(middle, &Figures::growthMiB);
    const double largeGrowth = medianOf(large, &Figures::growthMiB);
    const double lowerSlope = (middleGrowth - smallGrowth) * 1024 / (middle.devices - small.devices);
    const double upperSlope = (largeGrowth - middleGrowth) * 1024 / (large.devices - middle.devices);
    // The lower slope is taken as at least 1 KiB per device: a fleet that costs next to nothing per device up to the
    // middle size would otherwise make a ratio of two noises.
    const double slopeRatio = upperSlope / std::max(lowerSlope, 1.0);
    const bool loginMet = loginRatio <= TargetLoginRatio;
    const bool stallMet = worstJudgedStall <= TargetStallMs;
    const bool memoryMet = slopeRatio <= TargetMemorySlopeRatio;

    std::printf("\nmedians:");
    for (const auto &fleet : fleets)
        std::printf(
            "\n  %d devices: log-in %.1f ms, stall %.1f ms, growth %.1f MiB, Add Broadcast open %.1f ms, device "
            "assignment open %.1f ms",
            fleet->devices, medianOf(*fleet, &Figures::loginMs), medianOf(*fleet, &Figures::stallMs),
            medianOf(*fleet, &Figures::growthMiB), medianOf(*fleet, &Figures::broadcastMs),
            medianOf(*fleet, &Figures::assignmentMs));
    std::printf("\nlog-in with %d devices / with %d, median: %.2f (target <= %.1f): %s\n", middle.devices,
                small.devices, loginRatio, TargetLoginRatio, loginMet ? "met" : "MISSED");
    std::printf("longest stall after the window showed, %d and %d devices, worst round: %.1f ms (target <= %.0f): %s\n",
                small.devices, middle.devices, worstJudgedStall, TargetStallMs, stallMet ? "met" : "MISSED");
    std::printf("growth per device: %.2f KiB from %d to %d, %.2f KiB from %d to %d, ratio %.2f (target <= %.1f): %s\n",
                lowerSlope, small.devices, middle.devices, upperSlope, middle.devices, large.devices, slopeRatio,
                TargetMemorySlopeRatio, memoryMet ? "met" : "MISSED");
    return loginMet && stallMet && memoryMet ? 0 : 2;
}
