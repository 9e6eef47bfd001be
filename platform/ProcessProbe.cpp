#include "platform/ProcessProbe.h"

#include "platform/ProcProcessProbe.h"
#include "platform/TasklistProcessProbe.h"

ProcessProbe::~ProcessProbe() = default;

ProcessProbe *ProcessProbe::system()
{
#if defined(Q_OS_WIN)
    static TasklistProcessProbe probe;
#else
    static ProcProcessProbe probe;
#endif
    return &probe;
}
