#pragma once

#include "datastore/VelkAutoTestSchedule.h"
#include "scheduling/ScheduleEditorPage.h"
#include "scheduling/Ui_AutoTestScheduleSetting.h"

/// The page of the schedule setting dialog on which an auto-test schedule is created or edited:
/// its test time, its weekdays and its target. Every save stores the schedule as "Not Started",
/// unless its run goes on (it stays "Scheduling" until the run's check); a failed write shows an
/// error in the badge and reports nothing saved.
class AutoTestScheduleSetting : public ScheduleEditorPage, public Ui_AutoTestScheduleSetting
{
    Q_OBJECT

public:
    explicit AutoTestScheduleSetting(QWidget *parent = nullptr);
    ~AutoTestScheduleSetting() override;

    void newSchedule();
    void loadSchedule(VelkAutoTestSchedule schedule);
    void scaleUi(bool rescale);

private slots:
    void clickBtnSave();

protected:
    int editedTarget() const override { return m_schedule.scheduleTarget; }
    quint32 linkedDevices(QList<VelkIFPDevice> &devices) override;
    quint32 linkedGroups(QList<VelkGroups> &groups) override;
    const char *logName() const override { return "AutoTestScheduleSetting"; }

private:
    /// The schedule's status as stored now; 0 when it cannot be read.
    int storedStatus(quint32 tsid) const;

    VelkAutoTestSchedule m_schedule;
};
