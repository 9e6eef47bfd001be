// Log-in with a large event log: how long after Login the main window appears, with 300,000 stored emergency events
// against none, and how the event log's opening grows with the rows.
//
// Scenario: three data folders, each a throw-away HOME with the console's database (on the disk that holds the
// temporary folder), the administrator's e-mail address set (so Login goes straight to the main window) and 0, N/2 or
// N rows in EventLog (N = --events, 300,000 by default). Each measurement is a process of its own (the data store and
// the command server are process-wide), offscreen, on Qt's Unix event dispatcher and with the log file at INFO, as
// the console runs: the log-in window shown, the administrator's password typed, Login clicked; the time runs until
// the main window's first paint. With N/2 and N events it then clicks the Device Control page's Event Log and times
// until the dialog's first paint, its table filled.
//
// Rounds alternate the order of the three folders. Targets: the log-in with N events within 1.5 x the log-in with
// none (median of the rounds' ratios); opening the event log with N events within 2.5 x the opening with N/2 (rows
// laid out in time linear in their number take 2 x; one by one, each against all before it, 4 x). Exit code 0 when
// both are met, 2 when not, 1 when a run failed.
//
// Usage: bench_login [--events 300000] [--rounds 5]

#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "devices/ConnectedList.h"
#include "network/NetworkConfig.h"
#include "platform/AutoSerialFileLogger.h"
#include "platform/LogSystem.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/Orvanta.h"
#include "shell/base/Log.h"
#include "shell/kit/EventLogDialog.h"
#include "shell/kit/EventLogModel.h"
#include "support/LoopbackNetwork.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr double TargetLoginRatio = 1.5;
constexpr double TargetOpenGrowth = 2.5;
constexpr int ChildTimeoutMs = 600000;
const char *const AdminPassword = "kelvo";

QString argValue(const QStringList &args, const char *name, const QString &fallback = QString())
{
    const int at = args.indexOf(QLatin1String(name));
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Notes when a widget is first painted.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QWidget *widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// Runs the event loop, sleeping between events as the console's does, until done() or the time-out.
bool processUntil(const std::function<bool()> &done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    // Wakes the wait now and then, so that the deadline is seen when no event comes.
    QTimer wake;
    wake.start(10);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return done();
}

// The data folder of one case: the administrator with an e-mail address, and `events` rows in EventLog.
int seed(int events)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QList<VelkAccount> accounts;
    if (db->queryAccount(accounts) != DB_OK)
        return 1;
    for (VelkAccount account : qAsConst(accounts)) {
        account.email = QStringLiteral("office@school.example");
        if (db->updateAccount(account) != DB_OK)
            return 1;
    }
    auto *manager = dynamic_cast<OrvantaDBManager *>(db);
    if (!manager)
        return 1;
    SqlTransaction transaction(manager->databaseManager()->database(), "bench seed events");
    QSqlQuery insert(manager->databaseManager()->database());
    // The statement the data store's insertEventLog runs.
    if (!insert.prepare(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES (?, ?, ?)")))
        return 1;
    for (int i = 0; i < events; ++i) {
        insert.bindValue(0, QStringLiteral("Panel-%1").arg(i % 1000, 4, 10, QLatin1Char('0')));
        insert.bindValue(1, 0);
        insert.bindValue(2, QStringLiteral("2025-%1-%2 %3:%4:00")
                                .arg(1 + i / 30000 % 12, 2, 10, QLatin1Char('0'))
                                .arg(1 + i / 1000 % 28, 2, 10, QLatin1Char('0'))
                                .arg(i / 60 % 24, 2, 10, QLatin1Char('0'))
                                .arg(i % 60, 2, 10, QLatin1Char('0')));
        if (!insert.exec())
            return 1;
    }
    return transaction.commit() ? 0 : 1;
}

// One log-in as an operator does it; with `open`, then the event log opened from the Device Control page.
int measure(bool open)
{
    LogSystem *logSystem = LogSystem::getSysLogSystem();
    QDir().mkpath(logFolder());
    auto logger = std::make_unique<AutoSerialFileLogger>(logFilePattern());
    logSystem->setLogLevel(LOG_LEVEL_INFO);
    logSystem->setLogger(logger.get());
    logSystem->startLog();
    NetworkConfig::setCurrent(loopbackNetworkConfig(QDir::homePath()));

    Orvanta login(OrvantaDBManager::getInstance());
    login.show();
    QCoreApplication::processEvents();
    login.ui.groupComboBox->setCurrentIndex(0);
    login.ui.lineEditPassword->setText(QString::fromLatin1(AdminPassword));

    QElapsedTimer clock;
    clock.start();
    login.ui.btnLogin->click();
    FrameLayoutPage *frame = login.mainFrame();
    if (!frame)
        return 1;
    FirstPaint framePaint(frame);
    if (!processUntil([&] { return framePaint.painted; }, ChildTimeoutMs))
        return 1;
    const double loginMs = clock.nsecsElapsed() / 1e6;

    double openMs = -1;
    int rows = -1;
    if (open) {
        auto *page = frame->findChild<ConnectedList *>();
        if (!page)
            return 1;
        // The page's first turns after the log-in (its device list, the command server) are not the dialog's.
        processUntil([] { return false; }, 200);
        clock.restart();
        page->btnEventLog->click();
        auto *dialog = page->findChild<EventLogDialog *>();
        if (!dialog)
            return 1;
        FirstPaint dialogPaint(dialog->tableWidgetLogContent->viewport());
        if (!processUntil([&] { return dialogPaint.painted; }, ChildTimeoutMs))
            return 1;
        openMs = clock.nsecsElapsed() / 1e6;
        // The older rows are counted on a thread of their own after the first paint.
        if (!processUntil([&] { return dialog->logModel()->isComplete(); }, ChildTimeoutMs))
            return 1;
        rows = int(dialog->logModel()->totalRows());
    }
    std::printf("RESULT login=%.3f open=%.3f rows=%d\n", loginMs, openMs, rows);
    std::fflush(stdout);
    logSystem->stopLog();
    logSystem->setLogger(nullptr);
    return 0;
}

// A throw-away HOME, as the console would find it on a fresh account.
struct Home
{
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/bench_login-XXXXXX")};
    int events = 0;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString root = dir.path();
        env.insert(QStringLiteral("HOME"), root);
        env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/.cache"));
        env.remove(QStringLiteral("XDG_DOCUMENTS_DIR"));
        // The console's own dispatcher; offscreen unless a platform was given.
        env.insert(QStringLiteral("QT_NO_GLIB"), QStringLiteral("1"));
        if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }
};

// Runs this program in a home; false when it failed.
bool runIn(const Home &home, const QStringList &arguments, QString *output = nullptr)
{
    QDir().mkpath(home.dir.path() + QStringLiteral("/Documents"));
    QProcess child;
    child.setProcessEnvironment(home.environment());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForStarted(5000) || !child.waitForFinished(ChildTimeoutMs)) {
        child.kill();
        child.waitForFinished(5000);
        std::fprintf(stderr, "%s did not end\n", qPrintable(arguments.join(QLatin1Char(' '))));
        return false;
    }
    if (output)
        *output = QString::fromLocal8Bit(child.readAllStandardOutput());
    if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
        std::fprintf(stderr, "%s ended with code %d\n", qPrintable(arguments.join(QLatin1Char(' '))), child.exitCode());
        return false;
    }
    return true;
}

struct Figures
{
    double loginMs = -1;
    double openMs = -1;
    int rows = -1;
};

bool measureIn(const Home &home, Figures *figures)
{
    const QStringList arguments = home.events > 0 ? QStringList{QStringLiteral("--measure"), QStringLiteral("--open")}
                                                  : QStringList{QStringLiteral("--measure")};
    static const QRegularExpression result(QStringLiteral("RESULT login=(\\S+) open=(\\S+) rows=(-?\\d+)"));
    QString output;
    if (!runIn(home, arguments, &output))
        return false;
    const QRegularExpressionMatch match = result.match(output);
    if (!match.hasMatch())
        return false;
    figures->loginMs = match.captured(1).toDouble();
    figures->openMs = match.captured(2).toDouble();
    figures->rows = match.captured(3).toInt();
    return home.events == 0 || figures->rows == home.events;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 0; i < argc; ++i)
            list.append(QString::fromLocal8Bit(argv[i]));
        return list;
    }();
    if (args.contains(QStringLiteral("--seed")) || args.contains(QStringLiteral("--measure"))) {
        // A child, in the environment its parent gave it.
        QApplication app(argc, argv);
        if (args.contains(QStringLiteral("--seed")))
            return seed(argValue(args, "--seed").toInt());
        return measure(args.contains(QStringLiteral("--open")));
    }
    QCoreApplication app(argc, argv);

    const int events = std::max(2, argValue(args, "--events", QStringLiteral("300000")).toInt());
    const int rounds = std::max(1, argValue(args, "--rounds", QStringLiteral("5")).toInt());
    Home none, half, full;
    half.events = events / 2;
    full.events = events;
    for (Home *home : {&none, &half, &full}) {
        if (!home->dir.isValid() || !runIn(*home, {QStringLiteral("--seed"), QString::number(home->events)})) {
            std::fprintf(stderr, "seeding a data folder with %d events failed\n", home->events);
            return 1;
        }
    }

    std::printf("Log-in as the administrator until the main window's first paint, with %d and with 0 stored events; "
                "then the Event Log opened until its first paint, with %d and with %d events\n",
                events, events, events / 2);
    std::printf("Each a process of its own (offscreen, Unix dispatcher, log at INFO), %d rounds in alternating order. "
                "Targets: log-in with %d events <= %.1fx with none (median of the rounds' ratios); event log with %d "
                "events <= %.1fx with %d (median)\n\n",
                rounds, events, TargetLoginRatio, events, TargetOpenGrowth, events / 2);
    std::printf("%-6s %14s %14s %7s %16s %16s %7s\n", "round", "login none ms", "login full ms", "ratio",
                "open half ms", "open full ms", "growth");
    std::vector<double> loginRatios, openGrowths;
    for (int round = 1; round <= rounds; ++round) {
        Figures noneFigures, halfFigures, fullFigures;
        const std::vector<std::pair<Home *, Figures *>> runs =
            round % 2 == 1 ? std::vector<std::pair<Home *, Figures *>>{{&none, &noneFigures},
                                                                       {&full, &fullFigures},
                                                                       {&half, &halfFigures}}
                           : std::vector<std::pair<Home *, Figures *>>{
                                 {&half, &halfFigures}, {&full, &fullFigures}, {&none, &noneFigures}};
        for (const auto &run : runs) {
            if (!measureIn(*run.first, run.second)) {
                std::fprintf(stderr, "round %d: the run with %d events failed\n", round, run.first->events);
                return 1;
            }
        }
        loginRatios.push_back(fullFigures.loginMs / noneFigures.loginMs);
        openGrowths.push_back(fullFigures.openMs / halfFigures.openMs);
        std::printf("%-6d %14.1f %14.1f %7.2f %16.1f %16.1f %7.2f\n", round, noneFigures.loginMs, fullFigures.loginMs,
                    loginRatios.back(), halfFigures.openMs, fullFigures.openMs, openGrowths.back());
        std::fflush(stdout);
    }
    const double loginRatio = median(loginRatios);
    const double openGrowth = median(openGrowths);
    const bool loginMet = loginRatio <= TargetLoginRatio;
    const bool openMet = openGrowth <= TargetOpenGrowth;
    std::printf("\nlog-in with %d events / with none, median: %.2f (target <= %.1f): %s\n", events, loginRatio,
                TargetLoginRatio, loginMet ? "met" : "MISSED");
    std::printf("event log with %d events / with %d, median: %.2f (target <= %.1f): %s\n", events, events / 2,
                openGrowth, TargetOpenGrowth, openMet ? "met" : "MISSED");
    return loginMet && openMet ? 0 : 2;
}
