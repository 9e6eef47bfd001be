#include "scheduling/ScheduleSettingSelection.h"

#include "firmware/IFPUpgradeManager.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

ScheduleSettingSelection::ScheduleSettingSelection(QWidget *parent) : QFrame(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    connect(btnToDeviceControl, &QToolButton::clicked, this, &ScheduleSettingSelection::emitDeviceControlClicked);
    connect(btnToFwUpdate, &QToolButton::clicked, this, &ScheduleSettingSelection::emitFwUpdateClicked);
    connect(btnAutoTesting, &QToolButton::clicked, this, &ScheduleSettingSelection::emitAutoTestingClicked);
    connect(btnClose, &QToolButton::clicked, this, &ScheduleSettingSelection::emitCloseClicked);
}

ScheduleSettingSelection::~ScheduleSettingSelection() = default;

void ScheduleSettingSelection::showOutOfDateCount()
{
    const int count = IFPUpgradeManager::getInstance()->getOldDevicesCount();
    btnToFwUpdate->setEnabled(count > 0);
    if (count < 0)
        labelHintOldDevice->setText(tr("Failed to check firmware version."));
    else if (count == 0)
        labelHintOldDevice->setText(tr("No devices are out of date."));
    else if (count == 1)
        labelHintOldDevice->setText(QStringLiteral("1") + tr(" device is out of date."));
    else
        labelHintOldDevice->setText(QString::number(count) + tr(" devices are out of date."));
}

void ScheduleSettingSelection::emitDeviceControlClicked()
{
    emit deviceControlClicked();
}

void ScheduleSettingSelection::emitFwUpdateClicked()
{
    emit fwUpdateClicked();
}

void ScheduleSettingSelection::emitAutoTestingClicked()
{
    emit autoTestingClicked();
}

void ScheduleSettingSelection::emitCloseClicked()
{
    emit closeClicked();
}

void ScheduleSettingSelection::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor,
              {labelSelectOne, btnToDeviceControl, labelHint, btnToFwUpdate, labelHintOldDevice, btnAutoTesting,
               labelHintTestTime, btnClose},
              rescale, false);
}
