#include "platform/AutoSerialFileLogger.h"
#include "platform/LogSystem.h"
#include "shell/Log.h"

#include <QApplication>
#include <QDir>
#include <QLabel>

// Placeholder entry point until start-up and log-in are in place.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    LogSystem *logSystem = LogSystem::getSysLogSystem();
    QDir().mkpath(logFolder());
    removeOldLogFiles();
    auto *logger = new AutoSerialFileLogger(logFilePattern());
    logSystem->setLogLevel(LOG_LEVEL_INFO);
    logSystem->setLogger(logger);
    logSystem->startLog();
    writeLog(4, "start %s", "Quorvin");

    QLabel label(QStringLiteral("Quorvin"));
    label.show();
    const int rc = app.exec();

    logSystem->stopLog();
    logSystem->setLogger(nullptr);
    delete logger;
    return rc;
}
