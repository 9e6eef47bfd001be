#include "ShellBench.h"

#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/SqlTransaction.h"
#include "network/NetworkConfig.h"
#include "platform/AutoSerialFileLogger.h"
#include "platform/LogSystem.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/Orvanta.h"
#include "shell/base/Log.h"
#include "support/LoopbackNetwork.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEvent>
#include <QProcess>
#include <QSqlQuery>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <cstdio>

namespace shellbench {

namespace {
const char *const AdminPassword = "kelvo";
} // namespace

FirstPaint::FirstPaint(QWidget *widget)
{
    widget->installEventFilter(this);
}

bool FirstPaint::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint)
        painted = true;
    return QObject::eventFilter(watched, event);
}

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

QString seededName(int n)
{
    return QStringLiteral("Panel-%1").arg(n % 1000, 4, 10, QLatin1Char('0'));
}

QString seededTime(int n)
{
    return QStringLiteral("2025-%1-%2 %3:%4:00")
        .arg(1 + n / 30000 % 12, 2, 10, QLatin1Char('0'))
        .arg(1 + n / 1000 % 28, 2, 10, QLatin1Char('0'))
        .arg(n / 60 % 24, 2, 10, QLatin1Char('0'))
        .arg(n % 60, 2, 10, QLatin1Char('0'));
}

int seedEvents(int events)
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
        insert.bindValue(0, seededName(i));
        insert.bindValue(1, 0);
        insert.bindValue(2, seededTime(i));
        if (!insert.exec())
            return 1;
    }
    return transaction.commit() ? 0 : 1;
}

ConsoleLog::ConsoleLog()
{
    LogSystem *logSystem = LogSystem::getSysLogSystem();
    QDir().mkpath(logFolder());
    m_logger = std::make_unique<AutoSerialFileLogger>(logFilePattern());
    logSystem->setLogLevel(LOG_LEVEL_INFO);
    logSystem->setLogger(m_logger.get());
    logSystem->startLog();
    NetworkConfig::setCurrent(loopbackNetworkConfig(QDir::homePath()));
}

ConsoleLog::~ConsoleLog()
{
    LogSystem *logSystem = LogSystem::getSysLogSystem();
    logSystem->stopLog();
    logSystem->setLogger(nullptr);
}

void prepareLogIn(Orvanta &login)
{
    login.show();
    QCoreApplication::processEvents();
    login.ui.groupComboBox->setCurrentIndex(0);
    login.ui.lineEditPassword->setText(QString::fromLatin1(AdminPassword));
}

double timeLogIn(Orvanta &login)
{
    QElapsedTimer clock;
    clock.start();
    login.ui.btnLogin->click();
    FrameLayoutPage *frame = login.mainFrame();
    if (!frame)
        return -1;
    FirstPaint framePaint(frame);
    if (!processUntil([&] { return framePaint.painted; }, ChildTimeoutMs))
        return -1;
    return clock.nsecsElapsed() / 1e6;
}

FrameLayoutPage *logInToMainWindow(Orvanta &login)
{
    prepareLogIn(login);
    return timeLogIn(login) < 0 ? nullptr : login.mainFrame();
}

QProcessEnvironment Home::environment() const
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

bool runIn(const Home &home, const QStringList &arguments, QString *output)
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

} // namespace shellbench
