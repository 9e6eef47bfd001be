#pragma once

#include "platform/LogLevel.h"

#include <QByteArray>
#include <QString>

/// Receives the formatted lines of the log system. Implementations must be safe to call
/// from any thread: the log system serialises calls, but a logger may be shared.
class SysLogger
{
public:
    virtual ~SysLogger();
    virtual void moduleRegistered(const QString &name, int id);
    virtual bool start();
    virtual void stop();
    virtual void log(int module, LogLevel level, const QString &text) = 0;
    /// The same line as UTF-8, as the log system formats it; by default handed to log(). A logger that writes
    /// bytes takes them as they are: two conversions of every line were a tenth of the work behind a busy line.
    virtual void logUtf8(int module, LogLevel level, const QByteArray &text);
};
