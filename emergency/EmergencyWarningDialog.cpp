#include "emergency/EmergencyWarningDialog.h"

#include "datastore/DbHeldWrites.h"
#include "datastore/OrvantaDBManager.h"
#include "platform/CameraLinkSettings.h"
#include "platform/CameraProgramLauncher.h"
#include "platform/LogLevel.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

#include <QCloseEvent>
#include <QMetaMethod>
#include <QScreen>
#include <QTimer>

EmergencyWarningDialog::EmergencyWarningDialog(QWidget *parent, const QString &settingsFile, Clock *clock)
    : QDialog(parent), m_db(OrvantaDBManager::getInstance()), m_clock(clock ? clock : Clock::system()),
      m_settingsFile(settingsFile.isEmpty() ? CameraLinkSettings::defaultSettingsFile() : settingsFile)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    // A title bar without a close or help button: the alert is answered with its buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(productName());
    setModal(true);
    // Without "Call Emergency Service" the dialog ends below the answers, with the margin of its top.
    btnCallEmergency->hide();
    resize(350, 269);
    const double factor = getScaleFactor();
    if (factor != 1.0) {
        scaleForm(this, factor,
                  {widget, lb_title, lb_time, lb_deviceName, lb_location, lb_IpAddress, lbTime, lbDeviceName,
                   lbLocation, lbIpAddress, label, lbAlarmNote, btnOpenCamera, btnClear, btnCallEmergency},
                  false, false);
    }
    setFixedSize(size());

    connect(btnOpenCamera, &QToolButton::clicked, this, &EmergencyWarningDialog::openCamera);
    connect(btnClear, &QToolButton::clicked, this, &EmergencyWarningDialog::clearAlert);
    connect(btnCallEmergency, &QToolButton::clicked, this, &EmergencyWarningDialog::callEmergency);
    centre();
}

EmergencyWarningDialog::~EmergencyWarningDialog() = default;

void EmergencyWarningDialog::setAlertInfo(VelkIFPDevice device, bool enable, CameraRead read)
{
    lbTime->setText(m_clock->now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    // Long names and locations are cut with "..."; the tool tip keeps the whole text.
    for (const auto &field : {qMakePair(lbDeviceName, device.deviceName), qMakePair(lbLocation, device.position),
                              qMakePair(lbIpAddress, device.ipAddress)}) {
        setElidedLabelText(field.first, field.second);
        field.first->setToolTip(plainToolTip(field.second));
    }
    m_deviceMac = device.macAddress;
    m_did = device.did;
    m_cameraEnabled = enable;
    btnOpenCamera->setEnabled(false);
    if (read == CameraRead::Now)
        readCameraLink();
    else
        QTimer::singleShot(0, this, &EmergencyWarningDialog::readCameraLink);
}

void EmergencyWarningDialog::showAlarmCannotSound()
{
    lbAlarmNote->show();
}

void EmergencyWarningDialog::hideAlarmCannotSound()
{
    lbAlarmNote->hide();
}

void EmergencyWarningDialog::readCameraLink()
{
    if (m_answered)
        return;
    DbHeldWrites *held = m_db->heldWrites();
    // A read refused waits until writes held meanwhile reach the database, which then most likely gives reads too: one
    // try per warning and hold, not one per pause.
    const auto later = [this, held] {
        connect(held, &DbHeldWrites::heldWritesWritten, this, &EmergencyWarningDialog::readCameraLink,
                Qt::UniqueConnection);
    };
    // Writes held say nothing of reads: under another program's write lock the link is read as ever. Held exclusively,
    // the file refuses reads too, and a read would keep the GUI thread for the whole busy wait, every warning of the
    // hold again: while writes are held the read waits no longer than a held write's try does.
    const DbShortWait briefly = m_db->shortWaitWhileWritesHeld();
    CameraLinkStore store(m_db);
    if (!store.pairedCameraMac(m_did, &m_cameraMac)) {
        if (m_db->refusedForNow()) {
            later();
            return;
        }
        writeLog(LOG_LEVEL_ERROR, "EmergencyWarningDialog: the camera paired with device %u could not be read", m_did);
    }
    if (!store.storedCredentials(CameraLinkStore::Pick::LastAdministrator, &m_credentials)) {
        if (m_db->refusedForNow()) {
            later();
            return;
        }
        writeLog(LOG_LEVEL_ERROR, "EmergencyWarningDialog: the camera-management account could not be read");
    }
    disconnect(held, &DbHeldWrites::heldWritesWritten, this, &EmergencyWarningDialog::readCameraLink);
    btnOpenCamera->setEnabled(!m_cameraMac.isEmpty() && m_cameraEnabled);
}

void EmergencyWarningDialog::openCamera()
{
    const QString installPath = CameraLinkSettings(m_settingsFile).installPath();
    if (!m_credentials.isComplete() || m_cameraMac.isEmpty())
        return;
    QString error;
    // The alert is answered either way: an SOS must not stay open because a program is missing.
    if (!CameraProgramLauncher::launch(installPath, m_credentials.userName, m_credentials.password(), m_cameraMac,
                                       &error)) {
        writeLog(LOG_LEVEL_WARNING, "EmergencyWarningDialog::openCamera, camera program not started: %s",
                 qUtf8Printable(error));
    }
    answer();
}

void EmergencyWarningDialog::clearAlert()
{
    answer();
}

void EmergencyWarningDialog::callEmergency()
{
    answer();
}

void EmergencyWarningDialog::answer()
{
    if (m_answered)
        return;
    m_answered = true;
    emit stopAlert(m_deviceMac);
    close();
}

void EmergencyWarningDialog::reject()
{
    if (m_answered)
        QDialog::reject();
}

void EmergencyWarningDialog::closeEvent(QCloseEvent *event)
{
    if (m_answered)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void EmergencyWarningDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || m_answered)
        return;
    if (isMinimized()) {
        // Restored after the window manager has finished minimising, or it would minimise it again.
        QTimer::singleShot(0, this, [this]() {
            if (isMinimized() && !m_answered)
                showNormal();
        });
        return;
    }
    if (!(static_cast<QWindowStateChangeEvent *>(event)->oldState() & Qt::WindowMinimized))
        return;
    // Raising only this one would lay an older warning, blocked by the newer one's modality, over
    // the one the operator can use.
    if (isSignalConnected(QMetaMethod::fromSignal(&EmergencyWarningDialog::restored))) {
        emit restored();
    } else {
        raise();
        activateWindow();
    }
}

void EmergencyWarningDialog::centre()
{
    const QScreen *shown = screen();
    if (!shown)
        return;
    const QRect area = shown->availableGeometry();
    move(area.center() - rect().center());
}
