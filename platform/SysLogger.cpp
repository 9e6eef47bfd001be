#include "platform/SysLogger.h"

SysLogger::~SysLogger() = default;

void SysLogger::moduleRegistered(const QString &, int)
{
}

bool SysLogger::start()
{
    return true;
}

void SysLogger::stop()
{
}

void SysLogger::logUtf8(int module, LogLevel level, const QByteArray &text)
{
    log(module, level, QString::fromUtf8(text));
}
