#pragma once

#include <QDialog>

#include "datastore/VelkAutoTestSchedule.h"
#include "datastore/VelkOtaSchedule.h"
#include "datastore/VelkSchedule.h"
#include "scheduling/Ui_Scheduling_Setting.h"
#include "shell/kit/FormScale.h"

class AutoTestScheduleSetting;
class DeviceControlScheduleSetting;
class Clock;
class OtaScheduleSetting;
class ScheduleSettingSelection;

/// The dialog in which a schedule of any kind is created or edited: a stack of the kind
/// selection (0), the device-control editor (1), the firmware-update editor (2) and the auto-test
/// editor (3). It routes the opener's request to a page and passes each page's "saved" on as one
/// signal per kind, closing itself.
class Scheduling_Setting : public QDialog, public Ui_Scheduling_Setting
{
    Q_OBJECT

public:
    explicit Scheduling_Setting(QWidget *parent = nullptr);
    ~Scheduling_Setting() override;

    /// Prepares page 0..3 for a new schedule (0: the kind selection) and brings it forward.
    void switchToPage(int page);
    void editDeviceControlSchedule(VelkSchedule schedule);
    void editOtaSchedule(VelkOtaSchedule schedule);
    void editAutoTestSchedule(VelkAutoTestSchedule schedule);
    void scaleUi(bool rescale);
    /// The clock of the firmware-update page's "today" and "now".
    void setClock(Clock *clock);

    ScheduleSettingSelection *selectionPage() const { return m_selection; }
    DeviceControlScheduleSetting *deviceControlPage() const { return m_deviceControl; }
    AutoTestScheduleSetting *autoTestPage() const { return m_autoTest; }
    OtaScheduleSetting *fwUpdatePage() const { return m_fwUpdate; }

signals:
    void deviceControlScheduleSettingSavedSuccess();
    void otaScheduleSettingSavedSuccess(bool updateNow, VelkOtaSchedule savedOtaSchedule);
    void autoTestScheduleSettingSavedSuccess();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void switchToDeviceControlPage();
    void switchToFwUpdatePage();
    void switchToAutoTestPage();
    void closeDialog();
    void pageBackClicked(bool isEdit);
    void emitDeviceControlScheduleSettingSavedSuccess();
    void emitOtaScheduleSettingSavedSuccess(bool updateNow, VelkOtaSchedule savedOtaSchedule);
    void emitAutoTestScheduleSettingSavedSuccess();

private:
    ScheduleSettingSelection *m_selection;
    DeviceControlScheduleSetting *m_deviceControl;
    OtaScheduleSetting *m_fwUpdate;
    AutoTestScheduleSetting *m_autoTest;
    FormScale m_scale;
};
