#include "SosBench.h"

#include "bench/network/BenchSupport.h"
#include "devices/AlertRoad.h"
#include "emergency/EmergencyWarningDialog.h"
#include "shell/base/Clock.h"
#include "shell/base/Session.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace sosbench {

void runLikeTheConsole()
{
    qputenv("QT_NO_GLIB", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    bench::raiseFdLimit();
    qInstallMessageHandler(quietHandler);
}

int intArgument(const QStringList &args, const char *name, int fallback)
{
    bool ok = false;
    const int n = bench::argValue(args, QLatin1String(name)).toInt(&ok);
    return ok ? n : fallback;
}

RunOptions readRunOptions(const QStringList &args, RunOptions defaults, int fewestPanels)
{
    RunOptions o = defaults;
    o.panels = qMax(fewestPanels, intArgument(args, "--panels", o.panels));
    o.rounds = qMax(5, intArgument(args, "--rounds", o.rounds));
    o.alternations = qMax(1, intArgument(args, "--alternations", o.alternations));
    const QString panelsim = bench::argValue(args, QStringLiteral("--panelsim"));
    if (!panelsim.isEmpty())
        o.panelsim = panelsim;
    return o;
}

CmdServer *startConsole(bench::ConsoleFixture &fixture, int count, const QString &password,
                        QList<VelkIFPDevice> *devices)
{
    if (!fixture.isValid()) {
        std::fprintf(stderr, "cannot create the data folder\n");
        return nullptr;
    }
    devices->clear();
    for (int i = 0; i < count; ++i)
        devices->append(bench::panelDevice(i, password));
    if (!fixture.seedDevices(*devices)) {
        std::fprintf(stderr, "cannot seed the devices\n");
        return nullptr;
    }
    CmdServer *server = fixture.start(*devices, password);
    isAdminLogin = true;
    return server;
}

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

qint64 oneSos(PanelProcess &panels, WarningWatch &watch, ManualClock &clock, const AlertRoad &road)
{
    clock.advance(6000);
    watch.shownAt = 0;
    panels.takeSosStamp();
    panels.command(QStringLiteral("sos 1"));
    qint64 sentAt = 0;
    const bool done = waitUntil(
        [&]() {
            if (sentAt == 0)
                sentAt = panels.takeSosStamp();
            return watch.shownAt != 0 && sentAt != 0 && road.pendingAlerts().isEmpty();
        },
        5000);
    return done ? qMax<qint64>(0, watch.shownAt - sentAt) : -1;
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
