#include "emergency/EmergencySettingNotifyDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QScreen>

EmergencySettingNotifyDialog::EmergencySettingNotifyDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    const double factor = getScaleFactor();
    if (factor != 1.0) {
        scaleForm(this, factor,
                  {widgetAccountNotMapping, label, btnGoSetting, btnCancel, widgetAccountError, label_2,
                   widgetDeviceNotMapping, label_3, label_4, label_5, lbDeviceName, lbIpAddress, lbUsername, label_9},
                  false, false);
    }
    setupSharedDialog(this);
    connect(btnCancel, &QToolButton::clicked, this, &EmergencySettingNotifyDialog::btnCancelClicked);
    connect(btnGoSetting, &QToolButton::clicked, this, &EmergencySettingNotifyDialog::btnGoSettingClicked);
}

EmergencySettingNotifyDialog::~EmergencySettingNotifyDialog() = default;

void EmergencySettingNotifyDialog::showDialog(int type, bool isAdmin)
{
    const double f = getScaleFactor();
    auto scaled = [f](int length) { return ScaleMath::truncScaled(length, f); };
    lbDeviceName->clear();
    lbIpAddress->clear();
    lbUsername->clear();
    widgetAccountError->hide();
    widgetDeviceNotMapping->hide();
    widgetAccountNotMapping->hide();
    btnGoSetting->show();
    btnGoSetting->setEnabled(true);
    btnCancel->move(scaled(105), btnCancel->y());
    btnCancel->setText(tr("Cancel"));
    m_deviceName.clear();

    int height = 0;
    if (type == 0 || type == 1) {
        m_type = type;
        height = scaled(type == 0 ? 202 : 222);
        (type == 0 ? widgetAccountNotMapping : widgetDeviceNotMapping)->show();
        const int buttonsY = scaled(type == 0 ? 160 : 180);
        btnCancel->move(btnCancel->x(), buttonsY);
        btnGoSetting->move(btnGoSetting->x(), buttonsY);
        // Only the administrator may change the link; a normal user sees the way, greyed.
        btnGoSetting->setEnabled(isAdmin);
    } else {
        m_type = 2;
        height = scaled(160);
        widgetAccountError->show();
        btnCancel->move(scaled(175), scaled(118));
        btnCancel->setText(tr("OK"));
        btnGoSetting->hide();
    }
    setFixedSize(width(), height);
    if (const QScreen *shown = screen())
        move(shown->availableGeometry().center() - rect().center());
}

void EmergencySettingNotifyDialog::setInfo(QString deviceName, QString ipAddress, QString username)
{
    m_deviceName = deviceName;
    setElidedLabelText(lbDeviceName, deviceName);
    setElidedLabelText(lbIpAddress, ipAddress);
    setElidedLabelText(lbUsername, username);
}

void EmergencySettingNotifyDialog::btnCancelClicked()
{
    close();
}

void EmergencySettingNotifyDialog::btnGoSettingClicked()
{
    emit editSetting(m_type, m_deviceName);
    close();
}
