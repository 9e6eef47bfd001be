#pragma once

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

#include "datastore/VelkIFPDevice.h"

class AudioSystemHandler;
class Clock;
class OrvantaDBIntf;
class QTimer;
class SoundPlayer;

/// The road of a panel's SOS on the console, apart from any window: whether an alert is new,
/// the event-log row, the looping alarm, and the end of the alert at the panel. The
/// device-management page shows the warning that warningRequested() asks for, raises the main
/// window and the alert marker, and hands the operator's answer back to stopAlert().
///
/// Every MAC on this road is in the network's normal form ("aa:bb:cc:dd:ee:ff"), whatever form
/// the device list stores it in: the pending list, the warning's MAC, the stop-alert and the
/// answered list all use it, so the answer to an alert always finds its alert. A panel whose MAC no network card
/// can have is known to the command server by its device alone: its alerts go by that device's did
/// (handleSafeAlertOfDevice, stopAlertOfDevice) on the same road, with the same 5-second rule.
///
/// An SOS is never lost on the way: a panel is pending only while its warning is shown; the
/// warning and the alarm never wait on the database: the device comes from the command server's managed list and the
/// address from the panel's connection, and the event-log row is written afterwards, once
/// it takes writes (an event-log row it refuses is logged and the alarm still sounds); an alarm file that
/// is missing is installed again, and a sound that cannot be played at all is replaced by the
/// desktop's beep for as long as alerts are pending, or until a sound output that had stopped answering or gone away
/// answers again and the alarm is heard through it once more. Only an SOS within 5 seconds of its answer
/// is dropped (the panel repeats its last SOS as the operator answers), and that is logged.
class AlertRoad : public QObject
{
    Q_OBJECT

public:
    /// None of the pointers is owned.
    AlertRoad(OrvantaDBIntf *db, SoundPlayer *player, AudioSystemHandler *unmuter, Clock *clock,
              QObject *parent = nullptr);
    ~AlertRoad() override;

    /// The time source of the event log, the warnings and the 5-second rule.
    void setClock(Clock *clock) { m_clock = clock; }
    Clock *clock() const { return m_clock; }
    /// The alarm's player and the unmuting (tests hand in stand-ins); not owned.
    void setPlayer(SoundPlayer *player);
    void setUnmuter(AudioSystemHandler *unmuter);
    SoundPlayer *player() const { return m_player; }
    AudioSystemHandler *unmuter() const { return m_unmuter; }
    /// The folder of the alarm sound (the Audio folder).
    void setAudioFolder(const QString &folder) { m_audioFolder = folder; }
    /// The fallback signal when no sound can be played (QApplication::beep in the console).
    void setBeep(std::function<void()> beep) { m_beep = std::move(beep); }
    /// How often the fallback signal repeats (1000 ms).
    void setBeepIntervalMs(int milliseconds);

    /// An SOS of the panel with this MAC, in any form.
    void handleSafeAlert(const QString &mac);
    /// The operator answered the alert of this panel.
    void stopAlert(const QString &mac);
    /// An SOS of the panel known by its address alone that matched the device with that did.
    void handleSafeAlertOfDevice(quint32 did);
    /// The operator answered the alert of that panel.
    void stopAlertOfDevice(quint32 did);

    /// The panels whose warning is shown: their normal MACs, and "device <did>" for a panel known by its device.
    QStringList pendingAlerts() const { return m_pending; }
    bool isSounding() const;
    bool isBeeping() const;

    /// The normal form of a MAC, or empty when the text is not a MAC.
    static QString normalMac(const QString &mac);
    /// How long an answered panel's SOS is ignored.
    static constexpr qint64 kAnswerHoldMs = 5000;

signals:
    /// The main window must come to the front.
    void restoreWindow();
    /// Show the warning for this device; its macAddress is in the normal form, and empty for a panel known by its
    /// device, whose answer goes to stopAlertOfDevice(device.did).
    void warningRequested(VelkIFPDevice device);
    /// true when an alert is taken up, false when the last pending alert was answered.
    void startAlert(bool enable);
    /// How many panels' warnings are shown now (pendingAlerts()), at each alert taken up and each answer.
    void pendingChanged(int pending);
    /// The alarm cannot sound (no audio output, a file that cannot be played): the beep stands in until the last
    /// pending alert is answered, or until alarmSoundsAgain(). Emitted once as the beep starts; isBeeping() tells a
    /// warning shown later.
    void alarmCannotSound();
    /// The alarm is heard again through the sound output that had stopped answering or gone away, and the beep has
    /// stopped.
    void alarmSoundsAgain();
    /// End the alert at the panel (the stop-alert command).
    void stopSafeAlert(QString mac);
    void stopSafeAlertOfDevice(quint32 did);

private:
    /// The alert of the panel with that key (its normal MAC, or deviceKey()), raised for the managed device `known`
    /// (null: none), whose macAddress the warning shows as `mac` and its address as `address` (where the panel
    /// connected from; empty: the record's).
    void takeUp(const QString &key, const QString &mac, const VelkIFPDevice *known, const QString &address);
    /// The answered alert of that key ends.
    void settle(const QString &key);
    static QString deviceKey(quint32 did) { return QStringLiteral("device %1").arg(did); }
    void onUnmuted(int outcome, int code);
    void connectPlayer();
    void startSound();
    bool playAlarm();
    void stopSound();
    void soundFailed(const QString &reason);
    void tryAlarmAgain();
    void soundHeard();
    void startBeeping();

    OrvantaDBIntf *m_db;
    SoundPlayer *m_player;
    AudioSystemHandler *m_unmuter;
    Clock *m_clock;
    QString m_audioFolder;
    std::function<void()> m_beep;
    QTimer *m_beepTimer;
    QStringList m_pending;
    QHash<QString, quint64> m_rows; ///< the event-log row of each pending alert, by its key
    QHash<QString, QDateTime> m_answered;
};
