#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;
class QTimer;

/// Makes sure the PC's default audio output is not muted before the SOS alarm plays. It clears
/// the output's mute flag and never reads or changes its level.
///
/// On Linux it drives the first mixer tool it finds on PATH: wpctl (PipeWire), else pactl
/// (PulseAudio), else amixer (ALSA); with none, unmute() only logs. The tool runs as a child
/// process that nothing waits for: unmute() returns at once and the outcome arrives as
/// unmuteFinished(). The tool found is kept for the next alert; any failure forgets it, so the
/// next unmute() looks again.
class AudioSystemHandler : public QObject
{
    Q_OBJECT

public:
    enum Outcome
    {
        Unmuted,        ///< the output was muted and is audible now
        AlreadyAudible, ///< the output was not muted; nothing was changed
        NoTool,         ///< no mixer tool was found; nothing was changed
        ReadFailed,     ///< the tool could not tell whether the output is muted
        SetFailed,      ///< the output is muted and the tool could not unmute it
        Busy            ///< an earlier unmute() still runs; this one did nothing
    };
    Q_ENUM(Outcome)

    explicit AudioSystemHandler(QObject *parent = nullptr);
    ~AudioSystemHandler() override;

    /// Starts making the default output audible; never blocks and never fails towards the caller.
    virtual void unmute();
    bool isRunning() const;

    /// How long one tool run may take before it is killed (3000 ms).
    void setTimeoutMs(int milliseconds) { m_timeoutMs = milliseconds; }

signals:
    void unmuteFinished(AudioSystemHandler::Outcome outcome);

private:
    enum class Tool
    {
        Unprobed,
        None,
        Wpctl,
        Pactl,
        Amixer
    };
    enum class Step
    {
        Idle,
        Reading,
        Setting
    };

    Tool probe();
    void run(Step step, const QStringList &arguments);
    void onFinished();
    void onReadDone(const QByteArray &output);
    void finish(Outcome outcome);

    Tool m_tool = Tool::Unprobed;
    QString m_program;
    Step m_step = Step::Idle;
    QProcess *m_process = nullptr;
    QTimer *m_timer;
    int m_timeoutMs = 3000;
};
