#pragma once

#include "platform/LogLevel.h"

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
};
