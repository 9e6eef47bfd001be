#include "platform/TasklistProcessProbe.h"

#include <QProcess>
#include <QStringList>

TasklistProcessProbe::TasklistProcessProbe(const QString &program, int timeoutMs)
    : m_program(program), m_timeoutMs(timeoutMs)
{
}

bool TasklistProcessProbe::isRunning(const QString &imageName) const
{
    QProcess process;
    process.start(m_program, {QStringLiteral("/NH"), QStringLiteral("/FO"), QStringLiteral("CSV"),
                              QStringLiteral("/FI"), QStringLiteral("IMAGENAME eq %1").arg(imageName)});
    if (!process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    return parse(process.readAllStandardOutput(), imageName);
}

bool TasklistProcessProbe::parse(const QByteArray &output, const QString &imageName)
{
    return !imageName.isEmpty() && QString::fromLocal8Bit(output).startsWith(QLatin1Char('"') + imageName);
}
