// How responsive the Device Control page stays while a large fleet connects and is commanded.
//
// A 10 ms timer measures how late the event loop runs it (the delay an operator's click would see). The simulated
// panels share the console's event loop, so the same fleet is first run with the command server alone: that run is
// the baseline, and the page's cost is the ratio between the two.
//
// Every handshake writes the panel's report into the database; on a disk those writes wait for flushes that dwarf
// anything the page does, so the temporary HOME (and the database in it) goes to /dev/shm when there is one, unless
// TMPDIR says otherwise.
//
// Usage: QT_QPA_PLATFORM=offscreen bench_devicecontrol [panels=1000]

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/ConnectedList.h"
#include "network/CmdServer.h"
#include "network/NetworkConfig.h"
#include "shell/base/Session.h"
#include "support/LoopbackNetwork.h"
#include "support/TestEnv.h"
#include "tools/panelsim/PanelFleet.h"

namespace {

constexpr int ProbeMs = 10;

class LagProbe
{
public:
    LagProbe()
    {
        m_timer.setInterval(ProbeMs);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (m_last >= 0)
                m_lags.append(qMax<qint64>(0, now - m_last - qint64(ProbeMs) * 1000000) / 1000);
            m_last = now;
        });
    }
    void start()
    {
        m_lags.clear();
        m_last = -1;
        m_clock.start();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    // Microseconds of the given quantile of the lateness.
    qint64 quantile(double q) const
    {
        if (m_lags.isEmpty())
            return 0;
        QVector<qint64> sorted = m_lags;
        std::sort(sorted.begin(), sorted.end());
        return sorted.at(qMin(sorted.size() - 1, int(q * sorted.size())));
    }
    qint64 worst() const { return m_lags.isEmpty() ? 0 : *std::max_element(m_lags.begin(), m_lags.end()); }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = -1;
    QVector<qint64> m_lags;
};

bool runUntil(const std::function<bool()> &done, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return done();
}

void runFor(int ms)
{
    runUntil([] { return false; }, ms);
}

struct Phase
{
    double connectSeconds = 0;
    qint64 p50 = 0, p99 = 0, worst = 0;
    qint64 commandP99 = 0, commandWorst = 0;
};

// Starts the fleet in waves (the listen backlog is finite), waits until every panel is connected, then powers the
// whole fleet off through `powerOff` and waits until the console saw every panel go.
Phase runFleet(PanelFleet &fleet, LagProbe &probe, const std::function<void(const QList<VelkIFPDevice> &)> &powerOff)
{
    Phase phase;
    CmdServer *server = CmdServer::getInstance();
    probe.start();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < fleet.size(); ++i) {
        fleet.panel(i)->start();
        if (i % 50 == 49)
            runFor(20);
    }
    if (!runUntil([&] { return fleet.connectedCount() == fleet.size(); }, 120000))
        std::printf("  only %d of %d panels connected\n", fleet.connectedCount(), fleet.size());
    phase.connectSeconds = clock.nsecsElapsed() / 1e9;
    runFor(500);
    probe.stop();
    phase.p50 = probe.quantile(0.5);
    phase.p99 = probe.quantile(0.99);
    phase.worst = probe.worst();

    const QList<VelkIFPDevice> all = fleet.asDevices();
    probe.start();
    powerOff(all);
    runUntil(
        [&] {
            for (const VelkIFPDevice &device : all) {
                if (server->connectionState(device.macAddress) != CmdServer::Offline)
                    return false;
            }
            return true;
        },
        60000);
    runFor(500);
    probe.stop();
    phase.commandP99 = probe.quantile(0.99);
    phase.commandWorst = probe.worst();

    fleet.shutDownAll();
    runFor(200);
    return phase;
}

void print(const char *name, const Phase &phase)
{
    std::printf("%-22s connect %6.2f s   lag p50 %6.2f ms  p99 %7.2f ms  worst %7.2f ms   "
                "power-off p99 %7.2f ms  worst %7.2f ms\n",
                name, phase.connectSeconds, phase.p50 / 1000.0, phase.p99 / 1000.0, phase.worst / 1000.0,
                phase.commandP99 / 1000.0, phase.commandWorst / 1000.0);
}

double ratio(qint64 a, qint64 b)
{
    return double(qMax<qint64>(a, 1)) / double(qMax<qint64>(b, 1));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("TMPDIR") && QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
    TestEnv env;
    QApplication app(argc, argv);
    const int count = argc > 1 ? qBound(1, atoi(argv[1]), 5000) : 1000;
    isAdminLogin = true;

    NetworkConfig config = loopbackNetworkConfig();
    config.wolTargets = {QHostAddress(QHostAddress::LocalHost)};
    config.maxPendingHandshakes = count + 16;
    NetworkConfig::setCurrent(config);
    CmdServer *server = CmdServer::getInstance();
    server->setControlPassword(QStringLiteral("secret"));

    FleetOptions options;
    options.count = count;
    options.bindAnswerSockets = false;
    options.identity.password = QStringLiteral("secret");
    options.settings.consolePort = server->serverPort();
    options.settings.bootDelayMs = 10;
    options.settings.reconnectDelayMs = 1000;
    PanelFleet fleet(options);
    if (!fleet.usesAliases())
        std::printf("note: this host offers only 127.0.0.1; every panel shares it\n");

    std::printf("seeding %d devices...\n", count);
    std::fflush(stdout);
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    for (VelkIFPDevice device : fleet.asDevices()) {
        if (db->createIFPDevice(device) != DB_OK) {
            std::printf("createIFPDevice failed for %s\n", qPrintable(device.deviceName));
            return 1;
        }
    }
    QList<VelkIFPDevice> stored;
    db->queryAllAvailableIFP(stored);
    server->setManagedDevices(stored);

    LagProbe probe;
    const Phase baseline =
        runFleet(fleet, probe, [server](const QList<VelkIFPDevice> &devices) { server->powerOff(devices); });
    print("command server only", baseline);
    std::fflush(stdout);

    ConnectedList page;
    page.resize(940, 641);
    page.show();
    const Phase withPage = runFleet(fleet, probe, [&page](const QList<VelkIFPDevice> &) {
        // Through the page, as an operator would: Select All, then Power Off.
        page.listDevices->clearSelection();
        page.btnSelectAll->click();
        page.btnPowerOff->click();
    });
    print("with Device Control", withPage);

    // The operator's actions with the whole fleet connected: each handler runs on the event loop, so its duration
    // is the delay the next click sees. Baseline: reading the device table once.
    for (int i = 0; i < fleet.size(); ++i)
        fleet.panel(i)->start();
    runUntil([&] { return fleet.connectedCount() == fleet.size(); }, 120000);
    runFor(500);
    auto timeMs = [](const std::function<void()> &action) {
        QElapsedTimer clock;
        clock.start();
        action();
        return clock.nsecsElapsed() / 1e6;
    };
    const double query = timeMs([db] {
        QList<VelkIFPDevice> devices;
        db->queryAllAvailableIFP(devices);
    });
    const double selectAll = timeMs([&page] { page.btnSelectAll->click(); });
    const double clear = timeMs([&page] { page.btnSelectAll->click(); });
    const double groups = timeMs([&page] { page.setupGroupCombo(); });
    const double reload = timeMs([&page] { page.updateAllDB(); });
    const double password = timeMs([&page] { page.passWordChange(QStringLiteral("secret")); });
    std::printf("with %d connected: query %.2f ms | Select All %.2f ms (x%.1f) | clear %.2f ms (x%.1f) | "
                "group list %.2f ms (x%.1f) | reload %.2f ms (x%.1f) | password to all %.2f ms (x%.1f)\n",
                fleet.connectedCount(), query, selectAll, selectAll / query, clear, clear / query, groups,
                groups / query, reload, reload / query, password, password / query);
    const double worstAction = std::max({selectAll, clear, groups, reload, password});
    fleet.shutDownAll();
    runFor(300);

    std::printf("page / baseline: lag p99 x%.2f, worst x%.2f, power-off p99 x%.2f, worst x%.2f\n",
                ratio(withPage.p99, baseline.p99), ratio(withPage.worst, baseline.worst),
                ratio(withPage.commandP99, baseline.commandP99), ratio(withPage.commandWorst, baseline.commandWorst));
    std::printf("%s: with %d panels connected the page's slowest action took %.0f ms (100 ms is where a click feels "
                "slow)\n",
                worstAction < 100 ? "responsive" : "SLOW", count, worstAction);
    std::printf("the connect-storm stalls are the command server's (compare the baseline run), not the page's\n");
    return 0;
}
