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
/// next unmute() looks again. The layer writes no log itself: logLine() gives the line its
/// caller writes for an outcome.
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
    /// True when the last read showed the output's level at 0: unmuted, the alarm is still not
    /// heard. The level is the operator's to choose, so it is only reported.
    bool outputLevelZero() const { return m_levelZero; }

    /// The log line of an outcome ("initializeWAS failed", "pAudioEndpointVolume GetMute failed:
    /// <code>", ...), empty for one that needs none. `code` is the tool's exit code, -1 for a tool
    /// that did not start, crashed or ran out of time.
    static QString logLine(Outcome outcome, int code);

    /// How long one tool run may take before it is killed (3000 ms).
    void setTimeoutMs(int milliseconds) { m_timeoutMs = milliseconds; }

signals:
    void unmuteFinished(AudioSystemHandler::Outcome outcome, int code);

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
    void finish(Outcome outcome, int code = 0);

    Tool m_tool = Tool::Unprobed;
    QString m_program;
    Step m_step = Step::Idle;
    QProcess *m_process = nullptr;
    QTimer *m_timer;
    int m_timeoutMs = 3000;
    bool m_levelZero = false;
};
