#include "scheduling/Scheduling_Setting.h"

#include <QKeyEvent>

#include "firmware/pages/OtaScheduleSetting.h"
#include "scheduling/AutoTestScheduleSetting.h"
#include "scheduling/DeviceControlScheduleSetting.h"
#include "scheduling/ScheduleSettingSelection.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

Scheduling_Setting::Scheduling_Setting(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setWindowFlags(Qt::WindowCloseButtonHint);
    setWindowTitle(productName());
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);

    m_selection = new ScheduleSettingSelection();
    m_deviceControl = new DeviceControlScheduleSetting();
    m_fwUpdate = new OtaScheduleSetting();
    m_autoTest = new AutoTestScheduleSetting();
    connect(m_selection, &ScheduleSettingSelection::deviceControlClicked, this,
            &Scheduling_Setting::switchToDeviceControlPage);
    connect(m_selection, &ScheduleSettingSelection::fwUpdateClicked, this, &Scheduling_Setting::switchToFwUpdatePage);
    connect(m_selection, &ScheduleSettingSelection::autoTestingClicked, this,
            &Scheduling_Setting::switchToAutoTestPage);
    connect(m_selection, &ScheduleSettingSelection::closeClicked, this, &Scheduling_Setting::closeDialog);
    connect(m_deviceControl, &DeviceControlScheduleSetting::backClicked, this, &Scheduling_Setting::pageBackClicked);
    connect(m_deviceControl, &DeviceControlScheduleSetting::schedulingSettingSavedSuccess, this,
            &Scheduling_Setting::emitDeviceControlScheduleSettingSavedSuccess);
    connect(m_fwUpdate, &OtaScheduleSetting::backClicked, this, &Scheduling_Setting::pageBackClicked);
    connect(m_fwUpdate, &OtaScheduleSetting::addScheduleCompleted, this,
            &Scheduling_Setting::emitOtaScheduleSettingSavedSuccess);
    connect(m_autoTest, &AutoTestScheduleSetting::backClicked, this, &Scheduling_Setting::pageBackClicked);
    connect(m_autoTest, &AutoTestScheduleSetting::schedulingSettingSavedSuccess, this,
            &Scheduling_Setting::emitAutoTestScheduleSettingSavedSuccess);
    scheduleStackedWidget->addWidget(m_selection);
    scheduleStackedWidget->addWidget(m_deviceControl);
    scheduleStackedWidget->addWidget(m_fwUpdate);
    scheduleStackedWidget->addWidget(m_autoTest);
}

Scheduling_Setting::~Scheduling_Setting() = default;

void Scheduling_Setting::switchToPage(int page)
{
    switch (page) {
    case 0:
        m_selection->showOutOfDateCount();
        break;
    case 1:
        m_deviceControl->newSchedule();
        break;
    case 2:
        m_fwUpdate->initNewSchedule();
        break;
    case 3:
        m_autoTest->newSchedule();
        break;
    default:
        return;
    }
    scheduleStackedWidget->setCurrentIndex(page);
}

void Scheduling_Setting::editDeviceControlSchedule(VelkSchedule schedule)
{
    m_deviceControl->loadSchedule(schedule);
    scheduleStackedWidget->setCurrentIndex(1);
}

void Scheduling_Setting::editOtaSchedule(VelkOtaSchedule schedule)
{
    m_fwUpdate->loadSchedule(schedule);
    scheduleStackedWidget->setCurrentIndex(2);
}

void Scheduling_Setting::editAutoTestSchedule(VelkAutoTestSchedule schedule)
{
    m_autoTest->loadSchedule(schedule);
    scheduleStackedWidget->setCurrentIndex(3);
}

void Scheduling_Setting::scaleUi(bool rescale)
{
    const double scale = getScaleFactor();
    const double factor = m_scale.nextFactor(rescale, scale);
    setFixedSize(int(874 * scale), int(571 * scale));
    if (factor == 0.0)
        return;
    if (rescale) {
        m_selection->scaleUi(true);
        m_autoTest->scaleUi(true);
        m_deviceControl->scaleUi(true);
        m_fwUpdate->scaleUi(true);
    }
    scaleWidgetGeometry(scheduleStackedWidget, factor);
}

void Scheduling_Setting::setClock(Clock *clock)
{
    m_fwUpdate->setClock(clock);
}

void Scheduling_Setting::keyPressEvent(QKeyEvent *event)
{
    // Return and Enter neither press a default button nor close the dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}

void Scheduling_Setting::switchToDeviceControlPage()
{
    switchToPage(1);
}

void Scheduling_Setting::switchToFwUpdatePage()
{
    switchToPage(2);
}

void Scheduling_Setting::switchToAutoTestPage()
{
    switchToPage(3);
}

void Scheduling_Setting::closeDialog()
{
    close();
}

void Scheduling_Setting::pageBackClicked(bool isEdit)
{
    if (isEdit) {
        close();
        return;
    }
    m_selection->showOutOfDateCount();
    scheduleStackedWidget->setCurrentIndex(0);
}

void Scheduling_Setting::emitDeviceControlScheduleSettingSavedSuccess()
{
    emit deviceControlScheduleSettingSavedSuccess();
    close();
}

void Scheduling_Setting::emitOtaScheduleSettingSavedSuccess(bool updateNow, VelkOtaSchedule savedOtaSchedule)
{
    close();
    emit otaScheduleSettingSavedSuccess(updateNow, savedOtaSchedule);
}

void Scheduling_Setting::emitAutoTestScheduleSettingSavedSuccess()
{
    emit autoTestScheduleSettingSavedSuccess();
    close();
}
