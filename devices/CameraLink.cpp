#include "devices/CameraLink.h"

#include "datastore/OrvantaDBIntf.h"
#include "emergency/CameraLinkStore.h"
#include "emergency/EmergencyDialog.h"
#include "emergency/EmergencySettingNotifyDialog.h"
#include "emergency/ManagementAddCamera.h"
#include "emergency/NotifyDownloadDialog.h"
#include "platform/CameraLinkSettings.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"

#include <QTimer>

CameraLink::CameraLink(OrvantaDBIntf *db, QObject *parent)
    : QObject(parent), m_db(db), m_settings(new EmergencyDialog(nullptr)), m_pairing(new ManagementAddCamera(nullptr)),
      m_download(new NotifyDownloadDialog(nullptr)), m_checkTimer(new QTimer(this))
{
    connect(m_settings, &EmergencyDialog::showAccountErrorMessage, this, &CameraLink::showAccountErrorMessage);
    connect(m_settings, &EmergencyDialog::reloadPtzCamera, this, &CameraLink::reloadPtzCamera);
    connect(m_settings, &EmergencyDialog::showDownloadDialog, this, &CameraLink::showNotificationDialog);
    connect(m_settings, &EmergencyDialog::enableAutoCheck, this, &CameraLink::autoCheckPellmar);
    connect(m_download, &NotifyDownloadDialog::openEmergencySetting, this, &CameraLink::clickSosSetting);
    connect(m_pairing, &ManagementAddCamera::sendDeviceInfo, this, &CameraLink::setDeviceInfo);
    connect(m_checkTimer, &QTimer::timeout, this, &CameraLink::checkAccountDeviceChanged);
    // A link left switched on at the last run is checked from the start.
    if (CameraLinkSettings().isEnabled())
        autoCheckPellmar(true);
}

CameraLink::~CameraLink()
{
    delete m_settings;
    delete m_pairing;
    delete m_download;
    for (const QPointer<EmergencySettingNotifyDialog> &open : qAsConst(m_notices))
        delete open.data();
}

void CameraLink::clickSosSetting()
{
    m_settings->loadSetting();
    m_settings->show();
}

void CameraLink::showCameraDialog(QString cameraName)
{
    SosCredentials credentials;
    CameraLinkStore(m_db).storedCredentials(CameraLinkStore::Pick::FirstAdministrator, &credentials);
    if (!credentials.isComplete()) {
        showNotificationDialog(1);
        return;
    }
    m_pairing->showDialog(cameraName);
    m_pairing->show();
}

void CameraLink::setDeviceInfo(QString name, QString mac)
{
    m_cameraName = name;
    m_cameraMac = mac;
    emit cameraChosen(name, mac);
}

EmergencySettingNotifyDialog *CameraLink::notice(int type, const QString &deviceName)
{
    const QString key = QString::number(type) + QLatin1Char('/') + deviceName;
    QPointer<EmergencySettingNotifyDialog> &open = m_notices[key];
    if (!open) {
        open = new EmergencySettingNotifyDialog(nullptr);
        open->setAttribute(Qt::WA_DeleteOnClose);
        connect(open, &EmergencySettingNotifyDialog::editSetting, this, &CameraLink::editSetting);
    }
    open->showDialog(type, isAdminLogin);
    return open;
}

void CameraLink::showAccountErrorMessage(int type)
{
    EmergencySettingNotifyDialog *shown = notice(type, QString());
    shown->show();
    shown->raise();
}

void CameraLink::showDeviceErrorMessage(QString deviceName, QString ipAddress, QString account)
{
    EmergencySettingNotifyDialog *shown = notice(1, deviceName);
    shown->setInfo(deviceName, ipAddress, account);
    shown->show();
    shown->raise();
}

void CameraLink::checkAccountDeviceChanged()
{
    CameraLinkStore store(m_db);
    SosCredentials credentials;
    if (!store.storedCredentials(CameraLinkStore::Pick::FirstAdministrator, &credentials) || !credentials.isComplete())
        return;
    if (!store.accountExists(credentials.userName, credentials.password())) {
        writeLog(LOG_LEVEL_WARNING, "CameraLink: the stored camera-management account is no longer accepted");
        showAccountErrorMessage(0);
        return;
    }
    for (const UnreachableCamera &camera : store.unreachableCameras(credentials)) {
        writeLog(LOG_LEVEL_WARNING, "CameraLink: the camera paired with %s is not offered any more",
                 qUtf8Printable(camera.deviceName));
        showDeviceErrorMessage(camera.deviceName, camera.ipAddress, camera.account);
    }
}

void CameraLink::editSetting(int type, QString deviceName)
{
    if (type == 0)
        clickSosSetting();
    else if (type == 1)
        emit editDeviceRequested(deviceName);
}

void CameraLink::showNotificationDialog(int type)
{
    m_download->showDialog(type);
    m_download->show();
}

void CameraLink::autoCheckPellmar(bool enable)
{
    m_checkTimer->stop();
    if (!enable)
        return;
    m_checkTimer->setInterval(kCheckIntervalMs);
    m_checkTimer->start();
}
