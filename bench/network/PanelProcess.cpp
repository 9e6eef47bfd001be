#include "PanelProcess.h"

#include "BenchSupport.h"

#include <QFile>
#include <QThread>

namespace bench {

PanelProcess::~PanelProcess()
{
    stop();
}

QString PanelProcess::program()
{
    return QStringLiteral(QV_PANELSIM_PATH);
}

bool PanelProcess::start(const Options &options, const QString &logPath, int timeoutMs)
{
    m_logPath = logPath;
    // The log goes to a file: reading a thousand panels' event lines through a pipe would put that work on the very
    // event loop being measured.
    m_process.setStandardOutputFile(logPath);
    m_process.setStandardErrorFile(logPath, QIODevice::Append);
    const QStringList arguments = {
        QStringLiteral("--console"),
        QStringLiteral("127.0.0.1:%1").arg(options.consolePort),
        QStringLiteral("--count"),
        QString::number(options.count),
        QStringLiteral("--base-ip"),
        options.sharedAddress.isEmpty() ? panelAddress(options.firstIndex) : options.sharedAddress,
        QStringLiteral("--first-serial"),
        QString::number(options.firstIndex + 1),
        QStringLiteral("--password"),
        options.password,
        QStringLiteral("--boot-delay"),
        QStringLiteral("0"),
        QStringLiteral("--reconnect-delay"),
        QString::number(options.reconnectDelayMs),
        QStringLiteral("--off"),
        QStringLiteral("--no-wol"),
    };
    m_process.start(program(), arguments);
    if (!m_process.waitForStarted(5000))
        return false;
    // The banner is printed once every panel exists; commands sent before would wait in the pipe and blur the start.
    const int64_t deadline = nowNs() + int64_t(timeoutMs) * 1000000;
    while (nowNs() < deadline && m_process.state() == QProcess::Running) {
        QFile log(logPath);
        if (log.open(QIODevice::ReadOnly) && log.readAll().contains("all panels are off"))
            return true;
        QThread::msleep(20);
    }
    return false;
}

void PanelProcess::command(const QByteArray &line)
{
    if (m_process.state() != QProcess::Running)
        return;
    m_process.write(line + '\n');
    m_process.waitForBytesWritten(1000);
}

int64_t PanelProcess::powerOnAll()
{
    command("on all");
    return nowNs();
}

void PanelProcess::powerOffAll()
{
    command("off all");
}

void PanelProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    command("quit");
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

} // namespace bench
