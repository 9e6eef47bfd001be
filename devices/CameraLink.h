#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class EmergencyDialog;
class EmergencySettingNotifyDialog;
class ManagementAddCamera;
class NotifyDownloadDialog;
class OrvantaDBIntf;
class QTimer;

/// The device-management page's side of the link to the camera-management program: its link
/// settings, the install notice and the pairing dialog (one each, kept), the notices of a broken
/// link, and the periodic check of the stored account and the paired cameras against that
/// program's database. The page's slots of the same names forward here.
class CameraLink : public QObject
{
    Q_OBJECT

public:
    explicit CameraLink(OrvantaDBIntf *db, QObject *parent = nullptr);
    ~CameraLink() override;

    EmergencyDialog *settingsDialog() const { return m_settings; }
    ManagementAddCamera *pairingDialog() const { return m_pairing; }
    NotifyDownloadDialog *downloadDialog() const { return m_download; }
    QTimer *checkTimer() const { return m_checkTimer; }

    /// The camera last chosen in the pairing dialog, kept for the device being saved.
    QString chosenCameraName() const { return m_cameraName; }
    QString chosenCameraMac() const { return m_cameraMac; }

    /// How often the camera-management data is checked while the link is on (300000 ms).
    static constexpr int kCheckIntervalMs = 300000;

public slots:
    void clickSosSetting();
    void showCameraDialog(QString cameraName);
    void setDeviceInfo(QString name, QString mac);
    void showAccountErrorMessage(int type);
    void showDeviceErrorMessage(QString deviceName, QString ipAddress, QString account);
    void checkAccountDeviceChanged();
    void editSetting(int type, QString deviceName);
    void showNotificationDialog(int type);
    void autoCheckPellmar(bool enable);

signals:
    /// The stored account changed: the page shows its devices' pairing again.
    void reloadPtzCamera();
    /// "Go to Setting" on a camera notice: the page opens the device's editor.
    void editDeviceRequested(QString deviceName);
    /// A camera was chosen in the pairing dialog.
    void cameraChosen(QString name, QString mac);

private:
    /// A notice of a broken link; a lasting fault found again by the next check reuses the
    /// notice still open instead of stacking another one.
    EmergencySettingNotifyDialog *notice(int type, const QString &deviceName);

    OrvantaDBIntf *m_db;
    EmergencyDialog *m_settings;
    ManagementAddCamera *m_pairing;
    NotifyDownloadDialog *m_download;
    QTimer *m_checkTimer;
    QHash<QString, QPointer<EmergencySettingNotifyDialog>> m_notices;
    QString m_cameraName;
    QString m_cameraMac;
};
