#pragma once

#include <QDialog>
#include <QString>

#include "datastore/VelkIFPDevice.h"
#include "emergency/CameraLinkStore.h"
#include "emergency/Ui_EmergencyWarningDialog.h"

class Clock;
class OrvantaDBIntf;

/// The pop-up of one panel's SOS: which panel (name, location, address) and when, and the two
/// answers. "Turn on PTZ Camera" starts the camera-management program on the camera paired with
/// the panel and answers the alert; "No action required" answers it. Answering emits
/// stopAlert() once with the panel's MAC and closes the dialog.
///
/// An SOS must not be put aside unanswered: the dialog has no close button, and Escape or the
/// window manager's close leave it open until one of the answers is chosen, and it does not stay
/// minimised. Back from minimised it emits restored(), so that whoever keeps several warnings can
/// put them in order again; with nobody listening it comes to the front itself.
class EmergencyWarningDialog : public QDialog, public Ui_EmergencyWarningDialog
{
    Q_OBJECT

public:
    /// `settingsFile` holds the camera link's keys; `clock` gives the time shown.
    explicit EmergencyWarningDialog(QWidget *parent = nullptr, const QString &settingsFile = QString(),
                                    Clock *clock = nullptr);
    ~EmergencyWarningDialog() override;

    /// When the paired camera and the camera-management account are read from the database.
    enum class CameraRead
    {
        Now,       ///< before setAlertInfo() returns
        AfterShown ///< from the event loop, once the warning is up and the alarm sounds
    };
    /// Fills the dialog for the panel. `enable`: the camera link is switched on. "Turn on PTZ Camera" is enabled once
    /// the paired camera is known. A database held by another program cannot say which camera that is: the button
    /// stays off and the camera is read again when the held writes (this SOS's event-log row among them) reach the
    /// database, without waiting for it again meanwhile.
    void setAlertInfo(VelkIFPDevice device, bool enable, CameraRead read = CameraRead::Now);

    /// Says that the alarm cannot sound and a beep stands in: an operator who hears no siren must not take the
    /// alert for a quiet one, nor the PC for a working alarm.
    void showAlarmCannotSound();
    /// The alarm sounds again: the note goes.
    void hideAlarmCannotSound();

    QString deviceMac() const { return m_deviceMac; }
    QString cameraMac() const { return m_cameraMac; }
    bool isAnswered() const { return m_answered; }

signals:
    void stopAlert(QString deviceMac);
    /// The warning came back from minimised (restored at once, or by the operator).
    void restored();

public slots:
    /// Escape does not put an alert aside.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    /// A minimised warning hides the only way to answer the alert: it is restored at once.
    void changeEvent(QEvent *event) override;

private slots:
    void openCamera();
    void clearAlert();
    void callEmergency();

private:
    void answer();
    void centre();
    /// Reads the paired camera and the credentials, unless the database refuses them for now.
    void readCameraLink();

    quint32 m_did = 0;
    bool m_cameraEnabled = false;

    OrvantaDBIntf *m_db;
    Clock *m_clock;
    QString m_settingsFile;
    QString m_deviceMac;
    QString m_cameraMac;
    SosCredentials m_credentials;
    bool m_answered = false;
};
