#include "shell/base/Log.h"

#include "platform/LogSystem.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdarg>
#include <mutex>

namespace {
const char *const moduleName = "Quorvin";
const char *const filePrefix = "Quorvin-";
const int maxAgeDays = 30;

// -2 not registered yet, -1 registration failed, otherwise the module id.
int logModuleId = -2;
LogSystem *logSystem = nullptr;
std::once_flag registerOnce;
} // namespace

void writeLog(LogLevel level, const char *format, ...)
{
    // Registration happens once whatever its result; call_once keeps it safe should a worker
    // thread ever log before the GUI thread did.
    std::call_once(registerOnce, [] {
        logSystem = LogSystem::getSysLogSystem();
        logModuleId = logSystem->registerLoggedModule(QString::fromLatin1(moduleName));
    });
    if (logModuleId == -1)
        return;
    va_list args;
    va_start(args, format);
    logSystem->log(logModuleId, level, format, args);
    va_end(args);
}

QString logFolder()
{
    const QStringList docs = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    const QString base = docs.isEmpty() ? QDir::homePath() : docs.first();
    return base + QStringLiteral("/Velk/Log/Quorvin/");
}

QString logFilePattern()
{
    return logFolder() + QLatin1String(filePrefix) + QStringLiteral("YYMMDD-999.log");
}

int removeOldLogFiles()
{
    const QString folder = logFolder();
    QDir dir(folder);
    if (!dir.exists())
        QDir().mkpath(folder);
    const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    const QDateTime now = QDateTime::currentDateTime();
    int removed = 0;
    for (const QFileInfo &file : files) {
        if (!file.fileName().contains(QLatin1String(filePrefix)))
            continue;
        if (file.lastModified().daysTo(now) > maxAgeDays && QFile::remove(file.absoluteFilePath()))
            ++removed;
    }
    return removed;
}
