#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

/// How one answer is sent: later, never, when released, or with another payload than the default.
struct AnswerKnob
{
    int delayMs = 0;
    bool drop = false;
    bool hold = false; ///< kept until SimulatedPanel::releaseHeldAnswers(), so a test decides when it goes out
    std::optional<QByteArray> payload; ///< replaces the default payload
};

/// One step of the OTA result script: after delayMs, send VELK_REMOTE_RSP_OTA_RESULT[value].
struct OtaStep
{
    int delayMs = 0;
    qint32 value = 0;
};

/// The panel's answers and misbehaviours. Defaults are a healthy panel; tests change single fields.
struct PanelBehaviour
{
    // Keep-alive
    bool answerHeartbeat = true; ///< answer the console's HEARTBEAT with RSP_HEARTBEAT
    int ownHeartbeatMs = 0;      ///< > 0: also send HEARTBEAT this often while connected or locked

    // Handshake
    bool skipIdentity = false;                 ///< connect and say nothing
    std::optional<QByteArray> identityPayload; ///< sent instead of the identity JSON (bad JSON, missing MAC, ...)
    bool retryAfterReject = true;              ///< search again (after rejectBackoffMs) when refused

    // Firmware
    qint32 otaStateAnswer = 0;            ///< RSP_CHECK_OTA_STATE value; -1 = cannot take an update
    std::optional<qint32> transferAnswer; ///< RSP_TRANSFER_FILE_COMPLETE value instead of 0 / -1 by size
    QList<OtaStep> otaResultScript = {{100, 50}, {100, 0}}; ///< played on START_OTA
    QString afterOtaVersion;       ///< on a successful script: the new fwVersion (empty = keep)
    bool rebootAfterOta = false;   ///< on a successful script: reboot, so the new version is reported
    int rebootAfterOtaDelayMs = 0; ///< the reboot comes this long after the success was reported
    /// The reboot waits for the console's next START_OTA and comes just after it (rebootAfterOtaDelayMs after the
    /// success at the earliest): that START reaches the panel but is lost in the restart, nothing is installed.
    bool rebootAfterNextStart = false;
    /// The final result (0 or -1) is never sent: the panel restarts in its place, as a firmware that restarts straight
    /// after its progress report does, and comes back at the versions the installation left (the old ones after -1).
    bool restartBeforeResult = false;
    /// >= 0: with restartBeforeResult, the result the restart kept back goes out this long after the panel is
    /// connected again, as a firmware that reports once it has booted does.
    int lateResultMs = -1;
    /// > 0: from this installation on (1 = the first), a successful script ends in -1 instead of 0.
    int failFromUpdate = 0;
    /// The installation runs on when the connection drops, as the panel keeps its power: its reports go out on the
    /// connection of the moment, waiting for one while there is none. Going off (power off, a restart) ends it.
    bool installThroughDrops = false;
    /// >= 0: this long after a START_OTA the connection drops (dropKind) and the panel connects again after its
    /// reconnect delay, at the versions it runs, installing on (with installThroughDrops): a Wi-Fi roam, an access
    /// point or a switch restarting, a DHCP renewal.
    int dropWhileInstallingMs = -1;
    enum class Drop
    {
        Fin,     ///< closed (FIN)
        Reset,   ///< reset (RST)
        LeftOpen ///< left open and silent while a new connection comes
    };
    Drop dropKind = Drop::Fin;
    /// > 0: for this long after a START_OTA the panel answers no keep-alive and holds its reports back, as an agent
    /// blocked while it writes its image does; what came due meanwhile goes out once the time is over.
    int silentInstallMs = 0;
    /// >= 0: an A/B firmware whose new image fails its own health check. Back from the reboot into the new firmware
    /// (rebootAfterOta), the panel runs it this long, then restarts once more and comes back at the versions it ran
    /// before the installation. -1: the new firmware stays.
    int rollBackAfterBootMs = -1;
    bool keepFiles = true; ///< keep received bytes; off = size and SHA-256 only
    /// > 0: the panel reads no faster than this many bytes per second, as behind a link of that speed; the rest
    /// waits in the kernel and TCP flow control holds the console back (load runs).
    qint64 linkBytesPerSecond = 0;
    /// > 0: the socket's receive buffer (SO_RCVBUF), set at the next connect: how much the panel's kernel takes ahead
    /// of what the panel read. 0 = the system's, which grows as the panel reads.
    int receiveBufferBytes = 0;
    bool hashFiles = true; ///< off = not even the SHA-256, the size only (load runs)

    // Account synchronisation
    std::optional<bool> firstSyncAnswer; ///< RSP_ASK_FIRST_SYNC "first" instead of (stored id != asked id)

    /// Per answer code (VELK_REMOTE_RSP_...): delay, drop or replace that answer.
    QHash<quint16, AnswerKnob> answers;

    /// The ST of the panel's searches; empty = the console service.
    QString searchTarget;

    /// The standard scripts of the executable's --ota-result switch.
    static QList<OtaStep> otaSuccessScript() { return {{100, 50}, {100, 0}}; }
    static QList<OtaStep> otaFailureScript() { return {{100, 50}, {100, -1}}; }
};
