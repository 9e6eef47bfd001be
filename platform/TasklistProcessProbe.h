#pragma once

#include "platform/ProcessProbe.h"

#include <QByteArray>

/// Windows: asks "tasklist /NH /FO CSV /FI "IMAGENAME eq <name>"", whose matching lines start
/// with the quoted image name. The wait is bounded by a short time-out (the designed 30 s froze
/// the window); a tasklist that overruns it is ended and the program counts as not running.
class TasklistProcessProbe : public ProcessProbe
{
public:
    explicit TasklistProcessProbe(const QString &program = QStringLiteral("tasklist"), int timeoutMs = 3000);

    bool isRunning(const QString &imageName) const override;

    /// True when the output starts with a double quote and the image name (letter case counts).
    static bool parse(const QByteArray &output, const QString &imageName);

private:
    QString m_program;
    int m_timeoutMs;
};
