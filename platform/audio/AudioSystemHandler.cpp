#include "platform/audio/AudioSystemHandler.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

namespace {

// The tools name the default output differently; these are their spellings of it.
const char kWpctlSink[] = "@DEFAULT_AUDIO_SINK@";
const char kPactlSink[] = "@DEFAULT_SINK@";

bool isMuted(const QByteArray &output, bool wpctl, bool pactl)
{
    if (wpctl)
        return output.contains("[MUTED]");
    if (pactl)
        return QRegularExpression(QStringLiteral("Mute:\\s*yes")).match(QString::fromUtf8(output)).hasMatch();
    return output.contains("[off]");
}

bool isLevelZero(const QByteArray &output, bool wpctl, bool amixer)
{
    const QString text = QString::fromUtf8(output);
    if (wpctl)
        return QRegularExpression(QStringLiteral("Volume:\\s*0(\\.0+)?(\\s|$)")).match(text).hasMatch();
    if (amixer)
        return text.contains(QLatin1String("[0%]")) &&
               !QRegularExpression(QStringLiteral("\\[[1-9][0-9]*%\\]")).match(text).hasMatch();
    return false;
}

} // namespace

AudioSystemHandler::AudioSystemHandler(QObject *parent) : QObject(parent), m_timer(new QTimer(this))
{
    qRegisterMetaType<AudioSystemHandler::Outcome>();
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this]() {
        if (m_process)
            m_process->kill();
    });
}

AudioSystemHandler::~AudioSystemHandler()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->kill();
    }
}

bool AudioSystemHandler::isRunning() const
{
    return m_step != Step::Idle;
}

AudioSystemHandler::Tool AudioSystemHandler::probe()
{
    if (m_tool != Tool::Unprobed)
        return m_tool;
    const struct
    {
        const char *name;
        Tool tool;
    } candidates[] = {{"wpctl", Tool::Wpctl}, {"pactl", Tool::Pactl}, {"amixer", Tool::Amixer}};
    m_tool = Tool::None;
    m_program.clear();
    for (const auto &candidate : candidates) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(candidate.name));
        if (!path.isEmpty()) {
            m_tool = candidate.tool;
            m_program = path;
            break;
        }
    }
    return m_tool;
}

void AudioSystemHandler::unmute()
{
    if (isRunning()) {
        emit unmuteFinished(Busy, 0);
        return;
    }
    m_levelZero = false;
    switch (probe()) {
    case Tool::Wpctl:
        run(Step::Reading, {QStringLiteral("get-volume"), QLatin1String(kWpctlSink)});
        break;
    case Tool::Pactl:
        run(Step::Reading, {QStringLiteral("get-sink-mute"), QLatin1String(kPactlSink)});
        break;
    case Tool::Amixer:
        run(Step::Reading, {QStringLiteral("get"), QStringLiteral("Master")});
        break;
    case Tool::Unprobed:
    case Tool::None:
        m_tool = Tool::Unprobed;
        emit unmuteFinished(NoTool, 0);
        break;
    }
}

void AudioSystemHandler::run(Step step, const QStringList &arguments)
{
    m_step = step;
    m_process = new QProcess(this);
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    connect(m_process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &AudioSystemHandler::onFinished);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        // A tool that never started sends no finished(); the other errors are followed by it.
        if (error == QProcess::FailedToStart)
            onFinished();
    });
    m_timer->start(m_timeoutMs);
    m_process->start(m_program, arguments, QIODevice::ReadOnly);
}

void AudioSystemHandler::onFinished()
{
    m_timer->stop();
    QProcess *process = m_process;
    m_process = nullptr;
    process->disconnect(this);
    process->deleteLater();
    const bool ok = process->error() != QProcess::FailedToStart && process->exitStatus() == QProcess::NormalExit &&
                    process->exitCode() == 0;
    // The exit code stands where the Windows layer reports its result code.
    const int code = process->exitStatus() == QProcess::NormalExit && process->error() != QProcess::FailedToStart
                         ? process->exitCode()
                         : -1;
    if (m_step == Step::Reading) {
        if (!ok) {
            finish(ReadFailed, code);
            return;
        }
        onReadDone(process->readAllStandardOutput());
        return;
    }
    if (!ok) {
        finish(SetFailed, code);
        return;
    }
    finish(Unmuted);
}

void AudioSystemHandler::onReadDone(const QByteArray &output)
{
    const bool wpctl = m_tool == Tool::Wpctl;
    const bool pactl = m_tool == Tool::Pactl;
    const bool amixer = m_tool == Tool::Amixer;
    m_levelZero = isLevelZero(output, wpctl, amixer);
    if (!isMuted(output, wpctl, pactl)) {
        finish(AlreadyAudible);
        return;
    }
    if (wpctl)
        run(Step::Setting, {QStringLiteral("set-mute"), QLatin1String(kWpctlSink), QStringLiteral("0")});
    else if (pactl)
        run(Step::Setting, {QStringLiteral("set-sink-mute"), QLatin1String(kPactlSink), QStringLiteral("0")});
    else
        run(Step::Setting, {QStringLiteral("set"), QStringLiteral("Master"), QStringLiteral("unmute")});
}

void AudioSystemHandler::finish(Outcome outcome, int code)
{
    m_step = Step::Idle;
    if (outcome == ReadFailed || outcome == SetFailed)
        m_tool = Tool::Unprobed;
    emit unmuteFinished(outcome, code);
}

QString AudioSystemHandler::logLine(Outcome outcome, int code)
{
    switch (outcome) {
    case NoTool:
        return QStringLiteral("initializeWAS failed");
    case ReadFailed:
        return QStringLiteral("pAudioEndpointVolume GetMute failed: %1").arg(code);
    case SetFailed:
        return QStringLiteral("pAudioEndpointVolume SetMute failed: %1").arg(code);
    case Unmuted:
    case AlreadyAudible:
    case Busy:
        break;
    }
    return QString();
}
