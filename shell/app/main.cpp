#include "datastore/OrvantaDBManager.h"
#include "platform/AutoSerialFileLogger.h"
#include "platform/LogSystem.h"
#include "platform/QuitSignalHandler.h"
#include "platform/SingleInstance.h"
#include "shell/app/AppIdentity.h"
#include "shell/app/DatabaseStartupNotice.h"
#include "shell/app/MainWindowFinder.h"
#include "shell/app/Orvanta.h"
#include "shell/app/StartupLanguage.h"
#include "shell/app/UserInfoDialog.h"
#include "shell/app/VanishedWindowErrors.h"
#include "shell/base/Log.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/UiHelpers.h"

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

#include <cstdio>

namespace {
// Names the lock and the socket by which consoles of the same user find each other.
const char *const instanceKey = "5e0b7c1a-93d4-4f2e-b861-2c7a4d90e3f5";

AutoSerialFileLogger *startLogging()
{
    LogSystem *logSystem = LogSystem::getSysLogSystem();
    QDir().mkpath(logFolder());
    removeOldLogFiles();
    auto *logger = new AutoSerialFileLogger(logFilePattern());
    logSystem->setLogLevel(LOG_LEVEL_INFO);
    logSystem->setLogger(logger);
    logSystem->startLog();
    return logger;
}

void stopLogging(AutoSerialFileLogger *logger)
{
    LogSystem *logSystem = LogSystem::getSysLogSystem();
    logSystem->stopLog();
    logSystem->setLogger(nullptr);
    delete logger;
}

// Before the database is read there is no stored language: the system's decides, as on a first start.
void installSystemLanguage()
{
    auto *translator = new QTranslator();
    StartupLanguage::apply(StartupLanguage::choose(*translator, QString(), QLocale::system().name(),
                                                   StartupLanguage::defaultSearchBases()),
                           translator);
}

// A data folder in which not even the lock file can be made, a folder or a dangling link where the
// lock file belongs, or a lock written by a console on another computer: the console tells what
// stands in the way and ends instead of starting.
int refuseStart(const SingleInstance &instance, SingleInstance::Outcome outcome)
{
    AutoSerialFileLogger *logger = startLogging();
    installSystemLanguage();
    QString message;
    if (outcome == SingleInstance::LockPathTaken)
        message = DatabaseStartupNotice::lockPathText(instance.lockFilePath());
    else if (outcome == SingleInstance::OtherComputer)
        message = DatabaseStartupNotice::lockOtherComputerText(instance.lockFilePath(), instance.lockHost());
    else
        message = DatabaseStartupNotice::dataFolderText(instance.lockFolder());
    // Also for whoever started the console from a terminal, or without a screen to show the notice on.
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    QuitSignalHandler::install();
    DatabaseStartupNotice::showStartError(message, instance.lockError());
    stopLogging(logger);
    return SingleInstance::exitCodeFor(outcome);
}

// A second start ends once the running console was asked for its main window; whoever started it from a terminal
// learns what became of the start, which looked like a failure when it ended without a word.
int endSecondStart(SingleInstance::Outcome outcome)
{
    installSystemLanguage();
    if (outcome == SingleInstance::HandedOver) {
        std::printf("%s\n", QCoreApplication::translate("main", "The console is already running: its main window was "
                                                                "brought forward.")
                                .toLocal8Bit()
                                .constData());
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "%s\n",
                     QCoreApplication::translate("main", "The console is already running, but it showed no main "
                                                         "window: log in there, or end it and start it again.")
                         .toLocal8Bit()
                         .constData());
    }
    return SingleInstance::exitCodeFor(outcome);
}
} // namespace

int main(int argc, char *argv[])
{
    // Qt's GLib event dispatcher re-registers every socket watch on each write; with a fleet of a thousand panels
    // keeping alive it misses its latency budget, and at five thousand it falls to a fraction of the plain Unix
    // dispatcher's rate (see bench/network). It must be chosen before the application object exists.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    QApplication app(argc, argv);
    QCoreApplication::processEvents();
    // Before the first window: the start-up notices come ahead of the log-in window, and at the default scale of 1.0
    // they kept their small boxes while the screen's DPI enlarged their text, cutting it off.
    initScaleFactor(0, 0);

    // One console per data folder: a second start brings the running console's main window
    // forward and ends. Nothing is logged here, since logging is not set up yet.
    SingleInstance instance(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                            QString::fromLatin1(instanceKey));
    instance.setActivationHandler([]() { return MainWindowFinder::bringForward(AppIdentity::mainWindowTitle()); });
    const SingleInstance::Outcome outcome = instance.acquire();
    if (outcome == SingleInstance::Unavailable || outcome == SingleInstance::LockPathTaken ||
        outcome == SingleInstance::OtherComputer)
        return refuseStart(instance, outcome);
    if (outcome != SingleInstance::Acquired)
        return endSecondStart(outcome);
    QuitSignalHandler::install();

    AutoSerialFileLogger *logger = startLogging();
    // After the logger, which it writes to; before the first window.
    VanishedWindowErrors vanishedWindowErrors;
    app.installNativeEventFilter(&vanishedWindowErrors);
    if (!instance.lockNote().isEmpty())
        writeLog(LOG_LEVEL_WARNING, "main: %s", instance.lockNote().toUtf8().constData());
    if (!instance.serverError().isEmpty())
        writeLog(LOG_LEVEL_WARNING, "main: single-instance socket not opened: %s",
                 instance.serverError().toLatin1().constData());

    OrvantaDBIntf *dbManager = OrvantaDBManager::getInstance();
    QList<VelkAccount> accounts;
    dbManager->queryAccount(accounts);
    const QString stored = StartupLanguage::storedLanguage(accounts);

    // Kept for the life of the process: the installed translation must outlive every window.
    auto *translator = new QTranslator();
    const StartupLanguage::Outcome language =
        StartupLanguage::choose(*translator, stored, QLocale::system().name(), StartupLanguage::defaultSearchBases());
    StartupLanguage::apply(language, translator);
    // The toolkit's file dialogs speak the console's language too.
    auto *toolkitTranslator = new QTranslator();
    if (StartupLanguage::loadToolkit(*toolkitTranslator, language.fileLanguage))
        QCoreApplication::installTranslator(toolkitTranslator);
    else
        writeLog(LOG_LEVEL_INFO, "no toolkit translation for %s", language.fileLanguage.toLatin1().constData());

    // A database that did not open cleanly is reported before anything else: the operator must know
    // why the console is empty, or why nothing can be saved.
    const OrvantaDBManager::StartupReport report = OrvantaDBManager::startupReport();
    // On a full disk nothing of the console's work can be kept: it ends after the notice, which says to free space
    // and start again, and says so where it was started; it went on to a log-in that could not work and ended with 0.
    if (report.diskFull)
        std::fprintf(stderr, "%s\n", DatabaseStartupNotice::text(report).toLocal8Bit().constData());
    DatabaseStartupNotice::showIfNeeded(report);
    // A restore restarted the console at once, and what it has to tell comes here, with the restored file open.
    const QString restored = UserInfoDialog::noticeAfterRestart(app.arguments());
    if (!restored.isEmpty() && !report.diskFull && !QuitSignalHandler::quitRequested()) {
        GeneralMsgDialog notice;
        notice.setMessage(restored);
        notice.exec();
    }

    int result = 0;
    if (report.diskFull) {
        stopLogging(logger);
        // As a data folder that cannot be written: the console could not start.
        result = SingleInstance::exitCodeFor(SingleInstance::Unavailable);
    } else if (QuitSignalHandler::quitRequested()) {
        // Ctrl+C or SIGTERM while the notice waited: it closed the notice's loop only, and the log-in must not follow.
        stopLogging(logger);
    } else {
        Orvanta login(dbManager);
        login.setWindowFlags((login.windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) |
                             Qt::FramelessWindowHint);
        login.show();
        result = app.exec();
        stopLogging(logger);
    }
    instance.release();
    return result;
}
