#include "devices/AlertRoad.h"

#include "datastore/OrvantaDBIntf.h"
#include "datastore/VelkEventLog.h"
#include "network/CmdServer.h"
#include "network/PanelIdentity.h"
#include "platform/LogLevel.h"
#include "platform/audio/AudioFolder.h"
#include "platform/audio/AudioSystemHandler.h"
#include "platform/audio/SoundPlayer.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"

#include <QTimer>

#include <algorithm>

AlertRoad::AlertRoad(OrvantaDBIntf *db, SoundPlayer *player, AudioSystemHandler *unmuter, Clock *clock, QObject *parent)
    : QObject(parent), m_db(db), m_player(player), m_unmuter(unmuter), m_clock(clock),
      m_audioFolder(AudioFolder::path()), m_beepTimer(new QTimer(this))
{
    m_beepTimer->setInterval(1000);
    connect(m_beepTimer, &QTimer::timeout, this, [this]() {
        if (m_beep)
            m_beep();
    });
    connectPlayer();
    connect(m_unmuter, &AudioSystemHandler::unmuteFinished, this, &AlertRoad::onUnmuted);
}

void AlertRoad::setPlayer(SoundPlayer *player)
{
    m_player->disconnect(this);
    m_player = player;
    connectPlayer();
}

void AlertRoad::connectPlayer()
{
    connect(m_player, &SoundPlayer::failed, this, &AlertRoad::soundFailed);
    connect(m_player, &SoundPlayer::outputAnswersAgain, this, &AlertRoad::tryAlarmAgain);
    connect(m_player, &SoundPlayer::heard, this, &AlertRoad::soundHeard);
}

void AlertRoad::setUnmuter(AudioSystemHandler *unmuter)
{
    m_unmuter->disconnect(this);
    m_unmuter = unmuter;
    connect(m_unmuter, &AudioSystemHandler::unmuteFinished, this, &AlertRoad::onUnmuted);
}

void AlertRoad::onUnmuted(int outcome, int code)
{
    const QString line = AudioSystemHandler::logLine(AudioSystemHandler::Outcome(outcome), code);
    if (!line.isEmpty())
        writeLog(LOG_LEVEL_WARNING, "%s", qUtf8Printable(line));
    if (m_unmuter->outputLevelZero())
        writeLog(LOG_LEVEL_WARNING, "AlertRoad: the PC's output level is 0, the alarm cannot be heard");
}

AlertRoad::~AlertRoad()
{
    // Its warnings go with it: the data store keeps no row for a restore on their account.
    for (quint64 row : qAsConst(m_rows))
        m_db->eventLogAnswered(row);
}

void AlertRoad::setBeepIntervalMs(int milliseconds)
{
    m_beepTimer->setInterval(milliseconds);
}

QString AlertRoad::normalMac(const QString &mac)
{
    return PanelIdentity::normaliseMac(mac.trimmed());
}

bool AlertRoad::isSounding() const
{
    return m_player->isPlaying() || m_beepTimer->isActive();
}

bool AlertRoad::isBeeping() const
{
    return m_beepTimer->isActive();
}

void AlertRoad::handleSafeAlert(const QString &mac)
{
    const QString key = normalMac(mac);
    if (key.isEmpty()) {
        writeLog(LOG_LEVEL_WARNING, "AlertRoad: SOS with an unusable MAC \"%s\" ignored", qUtf8Printable(mac));
        return;
    }
    CmdServer *server = CmdServer::getInstance();
    VelkIFPDevice device;
    const bool known = server->managedDevice(key, &device);
    takeUp(key, key, known ? &device : nullptr, server->connectedAddress(key));
}

void AlertRoad::handleSafeAlertOfDevice(quint32 did)
{
    // Such a panel's MAC names no one panel: the warning carries none, and its answer goes by the device.
    CmdServer *server = CmdServer::getInstance();
    const QList<VelkIFPDevice> devices = server->managedDevices();
    const auto match = std::find_if(devices.cbegin(), devices.cend(),
                                    [did](const VelkIFPDevice &device) { return device.did == did; });
    takeUp(deviceKey(did), QString(), match == devices.cend() ? nullptr : &*match,
           server->connectedAddressOfDevice(did));
}

void AlertRoad::takeUp(const QString &key, const QString &mac, const VelkIFPDevice *known, const QString &address)
{
    if (m_pending.contains(key)) {
        writeLog(LOG_LEVEL_INFO, "AlertRoad: SOS from %s while its warning is shown", qUtf8Printable(key));
        return;
    }
    const auto answered = m_answered.constFind(key);
    if (answered != m_answered.constEnd()) {
        const qint64 since = answered->msecsTo(m_clock->now());
        // A clock set back counts as time gone by: it must not hold the panel's alerts for hours.
        if (since >= 0 && since < kAnswerHoldMs) {
            writeLog(LOG_LEVEL_WARNING, "AlertRoad: SOS from %s dropped, answered %lld ms ago", qUtf8Printable(key),
                     static_cast<long long>(since));
            return;
        }
        m_answered.remove(key);
    }

    // The device as the command server knows it, never read from the database: held by another program (even for
    // reading), the read failed and the SOS was dropped, though the panel had been acknowledged already.
    if (!known) {
        writeLog(LOG_LEVEL_WARNING, "AlertRoad: SOS from %s ignored: %s", qUtf8Printable(key),
                 mac.isEmpty() ? "no such device" : "no device has this MAC");
        return;
    }
    VelkIFPDevice device = *known;
    device.macAddress = mac;
    // Where the panel is now: its record's address may still wait for a write-back the database holds.
    if (!address.isEmpty())
        device.ipAddress = address;

    emit restoreWindow();
    m_pending.append(key);
    emit warningRequested(device);
    emit startAlert(true);
    if (!isSounding())
        startSound();

    // The warning and the alarm never wait on the database: held by another program, it made them wait seconds, and
    // then the row was lost. The row is written from the event loop, after the rows the database still holds back,
    // as soon as it takes writes.
    VelkEventLog event;
    event.deviceName = device.deviceName;
    event.event = 0;
    event.time = m_clock->now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    m_rows.insert(key, m_db->insertEventLogLater("AlertRoad",
                                                 QStringLiteral("event-log row of the SOS from %1").arg(key), event));
    // After the row is handed over: whoever counts what is not saved yet counts it too.
    emit pendingChanged(m_pending.size());
}

void AlertRoad::stopAlert(const QString &mac)
{
    const QString key = normalMac(mac).isEmpty() ? mac : normalMac(mac);
    emit stopSafeAlert(key);
    settle(key);
}

void AlertRoad::stopAlertOfDevice(quint32 did)
{
    emit stopSafeAlertOfDevice(did);
    settle(deviceKey(did));
}

void AlertRoad::settle(const QString &key)
{
    const bool wasPending = m_pending.removeAll(key) > 0;
    const auto row = m_rows.constFind(key);
    if (row != m_rows.constEnd()) {
        m_db->eventLogAnswered(*row);
        m_rows.erase(row);
    }
    m_answered.insert(key, m_clock->now());
    writeLog(LOG_LEVEL_INFO, "AlertRoad: SOS from %s answered", qUtf8Printable(key));
    if (wasPending)
        emit pendingChanged(m_pending.size());
    if (m_pending.isEmpty()) {
        emit startAlert(false);
        stopSound();
    }
}

void AlertRoad::startSound()
{
    // Unmuting runs on its own and never holds the alarm back.
    m_unmuter->unmute();
    if (!playAlarm())
        startBeeping();
}

bool AlertRoad::playAlarm()
{
    const QString alarm = m_audioFolder + AudioFolder::alarmName();
    if (m_player->play(alarm, true))
        return true;
    writeLog(LOG_LEVEL_ERROR, "AlertRoad: alarm %s missing or unreadable, installing it again", qUtf8Printable(alarm));
    QString error;
    if (!AudioFolder::installBuiltInSound(AudioFolder::alarmName(), m_audioFolder, &error)) {
        writeLog(LOG_LEVEL_ERROR, "%s", qUtf8Printable(error));
        return false;
    }
    return m_player->play(alarm, true);
}

void AlertRoad::stopSound()
{
    m_beepTimer->stop();
    // Also while only the beep sounds: the player still looks for the output of the alarm that failed, and an output
    // that answered after the last answer would have it ask on for nothing.
    m_player->stop();
}

void AlertRoad::soundFailed(const QString &reason)
{
    if (m_pending.isEmpty())
        return;
    writeLog(LOG_LEVEL_ERROR, "AlertRoad: the alarm cannot be played (%s)", qUtf8Printable(reason));
    startBeeping();
}

void AlertRoad::tryAlarmAgain()
{
    // Only the player tells when its output answers again, however the alarm failed: it asks the output at its own
    // unhurried pace and never while a question is held, so a server that stays hung or missing costs nothing more
    // than its beep, and no log line per question. The beep goes on until the alarm is heard, which it may never be
    // if the server stops again.
    if (m_pending.isEmpty() || !m_beepTimer->isActive() || m_player->isPlaying())
        return;
    writeLog(LOG_LEVEL_INFO, "AlertRoad: the sound output answers again, playing the alarm through it");
    playAlarm();
}

void AlertRoad::soundHeard()
{
    if (m_pending.isEmpty() || !m_beepTimer->isActive())
        return;
    m_beepTimer->stop();
    writeLog(LOG_LEVEL_WARNING, "AlertRoad: the alarm sounds again, the desktop beep stops");
    emit alarmSoundsAgain();
}

void AlertRoad::startBeeping()
{
    if (m_beepTimer->isActive())
        return;
    writeLog(LOG_LEVEL_WARNING, "AlertRoad: sounding the desktop beep instead of the alarm");
    if (m_beep)
        m_beep();
    m_beepTimer->start();
    emit alarmCannotSound();
}
