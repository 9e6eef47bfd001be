#pragma once

#include "datastore/VelkSchedule.h"
#include "scheduling/ScheduleEditorPage.h"
#include "scheduling/Ui_DeviceControlScheduleSetting.h"

class PowerOnNotification;

/// The page of the schedule setting dialog on which a weekly device-control schedule is created
/// or edited: its power-on, reboot and power-off times, its weekdays and its target.
///
/// Save stores exactly what the form shows. A failed write shows an error in the badge and
/// reports nothing saved; a schedule with a power-on first shows the wired-network notice, with a note on the devices
/// its On Time can't wake (PowerOnReach), and reports "saved" once that notice closes, however it is closed.
class DeviceControlScheduleSetting : public ScheduleEditorPage, public Ui_DeviceControlScheduleSetting
{
    Q_OBJECT

public:
    explicit DeviceControlScheduleSetting(QWidget *parent = nullptr);
    ~DeviceControlScheduleSetting() override;

    /// Prepares the page for a new schedule.
    void newSchedule();
    /// Prepares the page for editing a stored schedule.
    void loadSchedule(VelkSchedule schedule);
    void scaleUi(bool rescale);

    PowerOnNotification *powerOnNotice() const { return m_notice; }

private slots:
    void clickonTime(int state);
    void clickoffTime(int state);
    void clickrebootTime(int state);
    void clickBtnSave();
    void powerOnNoticeClosed();

protected:
    int editedTarget() const override { return m_schedule.scheduleObject; }
    quint32 linkedDevices(QList<VelkIFPDevice> &devices) override;
    quint32 linkedGroups(QList<VelkGroups> &groups) override;
    const char *logName() const override { return "DeviceControlScheduleSetting"; }

private:
    void resetRequests();
    /// Checks or clears a request and shows its stored time; a time that cannot be read shows 00:00.
    static void showRequest(QCheckBox *box, ScheduleSettingSpinBox *hour, ScheduleSettingSpinBox *minute, bool chosen,
                            const QString &time);
    static QString timeText(ScheduleSettingSpinBox *hour, ScheduleSettingSpinBox *minute);

    VelkSchedule m_schedule;
    PowerOnNotification *m_notice = nullptr;
    bool m_savedBehindNotice = false;
};
