#include "devices/ManagementShowIPInfo.h"

#include "shell/base/BoundedText.h"
#include "shell/base/Session.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

ManagementShowIPInfo::ManagementShowIPInfo(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setMinimumSize(273, 188);
    setWindowTitle(productName());
    setupSharedDialog(this);
    connect(btnSave, &QToolButton::clicked, this, &ManagementShowIPInfo::btnSaveClicked);
    EnterKeyButton::install(this, btnSave);
    widgetInfo->show();
    // A caption too long for its column (a long translation) is cut with "..."; the tool tip
    // keeps the whole text.
    widgetInfo->layout()->activate();
    setElidedLabelText(lbGateWay, lbGateWay->toolTip());
    setElidedLabelText(lbIPAddress, lbIPAddress->toolTip());
    setElidedLabelText(lbSubnetMask, lbSubnetMask->toolTip());
}

ManagementShowIPInfo::~ManagementShowIPInfo() = default;

void ManagementShowIPInfo::setIPInfo(VelkIFPDevice device)
{
    // The panel reports these: shown as they stand, never as markup.
    for (QLabel *label : {lbIPAddressInput, lbGateWayInput, lbSubnetMaskInput})
        label->setTextFormat(Qt::PlainText);
    lbIPAddressInput->setText(BoundedText::shown(device.ipAddress));
    lbGateWayInput->setText(BoundedText::shown(device.gateway));
    lbSubnetMaskInput->setText(BoundedText::shown(device.subnetMask));
}

void ManagementShowIPInfo::btnSaveClicked()
{
    close();
    emit clickShowIPInfoOK();
}

void ManagementShowIPInfo::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void ManagementShowIPInfo::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {btnSave, widgetInfo}, rescale, false);
}
