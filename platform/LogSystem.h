#pragma once

#include "platform/LogLevel.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <cstdarg>

class SysLogger;

/// The process-wide log system: modules register by name, lines are formatted printf-style
/// and handed to the one installed logger between startLog() and stopLog(). Thread-safe.
class LogSystem
{
public:
    static LogSystem *getSysLogSystem();

    /// Returns the id of the module (the same id for a name registered before), or -1 when the
    /// name is empty or the module table is full.
    int registerLoggedModule(const QString &name);
    /// Formats `format` with the argument list printf-style and writes the line at `level`.
    void log(int module, LogLevel level, const char *format, va_list args);
    void logText(int module, LogLevel level, const QString &text);

    void setLogLevel(LogLevel level);
    LogLevel logLevel() const;
    /// Installs the logger (not owned); null uninstalls it.
    void setLogger(SysLogger *logger);
    bool startLog();
    void stopLog();
    bool isStarted() const;

    static constexpr int maxModules = 64;

private:
    LogSystem() = default;

    mutable QMutex m_mutex;
    QStringList m_modules;
    SysLogger *m_logger = nullptr;
    LogLevel m_level = LOG_LEVEL_INFO;
    bool m_started = false;
};
