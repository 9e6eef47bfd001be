#include "SosBench.h"

#include "bench/network/BenchSupport.h"
#include "emergency/EmergencyWarningDialog.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace sosbench {

PanelProcess::PanelProcess(const PanelOptions &options, quint16 consolePort)
{
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &PanelProcess::read);
    QStringList args = {QStringLiteral("--console"),         QStringLiteral("127.0.0.1:%1").arg(consolePort),
                        QStringLiteral("--count"),           QString::number(options.panels),
                        QStringLiteral("--base-ip"),         QStringLiteral("127.0.1.2"),
                        QStringLiteral("--password"),        options.password,
                        QStringLiteral("--no-wol"),          QStringLiteral("--off"),
                        QStringLiteral("--monotonic-stamps")};
    if (options.heartbeatMs > 0)
        args << QStringLiteral("--heartbeat-every") << QString::number(options.heartbeatMs);
    m_process.start(options.panelsim, args);
}

PanelProcess::~PanelProcess()
{
    command(QStringLiteral("quit"));
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

void PanelProcess::command(const QString &line)
{
    m_process.write((line + QLatin1Char('\n')).toUtf8());
}

qint64 PanelProcess::takeSosStamp()
{
    const qint64 stamp = m_sosStamp;
    m_sosStamp = 0;
    return stamp;
}

void PanelProcess::read()
{
    m_buffer += m_process.readAllStandardOutput();
    int end;
    while ((end = m_buffer.indexOf('\n')) >= 0) {
        const QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 1);
        if (line.endsWith(" SOS")) {
            const int space = line.indexOf(' ');
            m_sosStamp = line.left(space).toLongLong();
        }
    }
}

bool WarningWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        if (auto *warning = qobject_cast<EmergencyWarningDialog *>(watched)) {
            shownAt = bench::nowNs() / 1000;
            QTimer::singleShot(0, warning->btnClear, &QAbstractButton::click);
        }
    }
    return false;
}

Stats statsOf(std::vector<uint32_t> samples)
{
    Stats s;
    if (samples.empty())
        return s;
    s.worst = *std::max_element(samples.begin(), samples.end()) / 1000.0;
    s.p90 = bench::percentile(samples, 90) / 1000.0;
    s.p50 = bench::percentile(samples, 50) / 1000.0;
    return s;
}

bool waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    QTimer tick;
    tick.start(10);
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("does not support raise()")))
        return;
    std::fprintf(stderr, "%s\n", qUtf8Printable(qFormatLogMessage(type, context, message)));
}

} // namespace sosbench
