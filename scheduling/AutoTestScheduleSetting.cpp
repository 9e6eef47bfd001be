#include "scheduling/AutoTestScheduleSetting.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "shell/base/Log.h"
#include "shell/base/ScheduleTime.h"
#include "shell/base/Session.h"
#include "shell/kit/UiHelpers.h"

AutoTestScheduleSetting::AutoTestScheduleSetting(QWidget *parent) : ScheduleEditorPage(parent)
{
    setupUi(this);
    attachForm(this);
    scaleUi(false);
    connect(btnSave, &QPushButton::clicked, this, &AutoTestScheduleSetting::clickBtnSave);
    setElidedLabelText(lbSchedule, lbSchedule->toolTip(), lbSchedule->width() - 24);
    if (uiLayoutDirection() == Qt::RightToLeft)
        lbSchedule->setToolTip(lbSchedule->toolTip() + QStringLiteral("  "));
}

AutoTestScheduleSetting::~AutoTestScheduleSetting() = default;

void AutoTestScheduleSetting::newSchedule()
{
    prepare(false);
    spinBox_onTime_HR->setValue(0);
    spinBox_onTime_Min->setValue(0);
    selectTarget(2);
}

void AutoTestScheduleSetting::loadSchedule(VelkAutoTestSchedule schedule)
{
    m_schedule = schedule;
    prepare(true);
    showDays(schedule);
    QTime time;
    if (!ScheduleTime::parseTimeOfDay(schedule.time, &time))
        time = QTime(0, 0);
    spinBox_onTime_HR->setValue(time.hour());
    spinBox_onTime_Min->setValue(time.minute());
    selectTarget(schedule.scheduleTarget);
}

void AutoTestScheduleSetting::clickBtnSave()
{
    showWarning(QString());
    if (!anyDayChecked()) {
        showWarning(tr("Please at least select one schedule."));
        return;
    }
    // An edited schedule keeps its key and its enable flag; every save starts it afresh, except while its run goes
    // on (it may have started behind the open editor): that run still ends with its check, which writes the result.
    VelkAutoTestSchedule schedule = m_isEdit ? m_schedule : VelkAutoTestSchedule();
    if (!m_isEdit)
        schedule.isEnable = true;
    schedule.time = QStringLiteral("%1:%2")
                        .arg(spinBox_onTime_HR->value(), 2, 10, QLatin1Char('0'))
                        .arg(spinBox_onTime_Min->value(), 2, 10, QLatin1Char('0'));
    storeDays(schedule);
    schedule.status = m_isEdit && storedStatus(schedule.tsid) == 2 ? 2 : 1;

    switch (checkedTarget()) {
    case 1:
        schedule.scheduleTarget = 1;
        break;
    case 3:
        schedule.groups = checkedGroups();
        if (schedule.groups.isEmpty()) {
            showWarning(noChoiceText(tr("Please at least select one group.")));
            return;
        }
        schedule.scheduleTarget = 3;
        break;
    case 2:
        schedule.devices = checkedDevices();
        if (schedule.devices.isEmpty()) {
            showWarning(noChoiceText(tr("Please at least select one device.")));
            return;
        }
        schedule.scheduleTarget = 2;
        break;
    default:
        return;
    }
    const quint32 rc = m_isEdit ? m_db->updateAutoTestSchedule(schedule) : m_db->insertAutoTestSchedule(schedule);
    if (rc != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "AutoTestScheduleSetting::clickBtnSave() - %s, code 0x%x",
                 m_isEdit ? "updateAutoTestSchedule" : "insertAutoTestSchedule", rc);
        showSaveRefusal();
        return;
    }
    if (m_isEdit)
        m_schedule = schedule;
    emit schedulingSettingSavedSuccess();
}

int AutoTestScheduleSetting::storedStatus(quint32 tsid) const
{
    QList<VelkAutoTestSchedule> schedules;
    if (m_db->queryAllAutoTestSchedule(schedules) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "AutoTestScheduleSetting::clickBtnSave() - queryAllAutoTestSchedule");
    for (const VelkAutoTestSchedule &stored : qAsConst(schedules)) {
        if (stored.tsid == tsid)
            return stored.status;
    }
    return 0;
}

quint32 AutoTestScheduleSetting::linkedDevices(QList<VelkIFPDevice> &devices)
{
    return m_db->queryDeviceByAutoTestSchedule(m_schedule, devices);
}

quint32 AutoTestScheduleSetting::linkedGroups(QList<VelkGroups> &groups)
{
    return m_db->queryGroupsByAutoTestSchedule(m_schedule, groups);
}

void AutoTestScheduleSetting::scaleUi(bool rescale)
{
    scaleShared(rescale, withChildren({widgetTime, widgetAutoDetect}));
    applyCheckBoxStyle({});
}
