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
