#include "scheduling/DeviceControlScheduleSetting.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "network/CmdServer.h"
#include "scheduling/PowerOnReach.h"
#include "shell/base/Log.h"
#include "shell/base/ScheduleTime.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/PowerOnNotification.h"
#include "shell/kit/UiHelpers.h"

DeviceControlScheduleSetting::DeviceControlScheduleSetting(QWidget *parent) : ScheduleEditorPage(parent)
{
    setupUi(this);
    attachForm(this);
    scaleUi(false);
    connect(checkBox_onTime, &QCheckBox::stateChanged, this, &DeviceControlScheduleSetting::clickonTime);
    connect(checkBox_offTime, &QCheckBox::stateChanged, this, &DeviceControlScheduleSetting::clickoffTime);
    connect(checkBox_rebootTime, &QCheckBox::stateChanged, this, &DeviceControlScheduleSetting::clickrebootTime);
    connect(btnSave, &QPushButton::clicked, this, &DeviceControlScheduleSetting::clickBtnSave);

    m_notice = new PowerOnNotification(this);
    // However the notice goes away (its button, its close button, Escape), the schedule is stored
    // by then and the page must plan it.
    connect(m_notice, &QDialog::finished, this, &DeviceControlScheduleSetting::powerOnNoticeClosed);

    for (QCheckBox *box : {checkBox_onTime, checkBox_rebootTime, checkBox_offTime})
        setElidedButtonText(box, box->toolTip(), box->width() - 24);
    resetRequests();
}

DeviceControlScheduleSetting::~DeviceControlScheduleSetting() = default;

void DeviceControlScheduleSetting::newSchedule()
{
    prepare(false);
    resetRequests();
    selectTarget(2);
}

void DeviceControlScheduleSetting::loadSchedule(VelkSchedule schedule)
{
    m_schedule = schedule;
    prepare(true);
    resetRequests();
    showDays(schedule);
    showRequest(checkBox_onTime, spinBox_onTime_HR, spinBox_onTime_Min, schedule.isPowerOn, schedule.onTime);
    showRequest(checkBox_offTime, spinBox_offTime_HR, spinBox_offTime_Min, schedule.isPowerOff, schedule.offTime);
    showRequest(checkBox_rebootTime, spinBox_rebootTime_HR, spinBox_rebootTime_Min, schedule.isReboot,
                schedule.rebootTime);
    selectTarget(schedule.scheduleObject);
}

void DeviceControlScheduleSetting::resetRequests()
{
    for (QCheckBox *box : {checkBox_onTime, checkBox_rebootTime, checkBox_offTime})
        box->setChecked(false);
    for (ScheduleSettingSpinBox *spin : {spinBox_onTime_HR, spinBox_onTime_Min, spinBox_rebootTime_HR,
                                         spinBox_rebootTime_Min, spinBox_offTime_HR, spinBox_offTime_Min}) {
        spin->setValue(0);
        spin->setEnabled(false);
    }
}

void DeviceControlScheduleSetting::showRequest(QCheckBox *box, ScheduleSettingSpinBox *hour,
                                               ScheduleSettingSpinBox *minute, bool chosen, const QString &time)
{
    box->setChecked(chosen);
    QTime read;
    if (!ScheduleTime::parseTimeOfDay(time, &read))
        read = QTime(0, 0);
    hour->setValue(read.hour());
    minute->setValue(read.minute());
}

QString DeviceControlScheduleSetting::timeText(ScheduleSettingSpinBox *hour, ScheduleSettingSpinBox *minute)
{
    return QStringLiteral("%1:%2")
        .arg(hour->value(), 2, 10, QLatin1Char('0'))
        .arg(minute->value(), 2, 10, QLatin1Char('0'));
}

void DeviceControlScheduleSetting::clickonTime(int state)
{
    spinBox_onTime_HR->setEnabled(state != Qt::Unchecked);
    spinBox_onTime_Min->setEnabled(state != Qt::Unchecked);
}

void DeviceControlScheduleSetting::clickoffTime(int state)
{
    spinBox_offTime_HR->setEnabled(state != Qt::Unchecked);
    spinBox_offTime_Min->setEnabled(state != Qt::Unchecked);
}

void DeviceControlScheduleSetting::clickrebootTime(int state)
{
    spinBox_rebootTime_HR->setEnabled(state != Qt::Unchecked);
    spinBox_rebootTime_Min->setEnabled(state != Qt::Unchecked);
}

void DeviceControlScheduleSetting::clickBtnSave()
{
    showWarning(QString());
    if (!anyDayChecked()) {
        showWarning(tr("Please at least select one schedule."));
        return;
    }
    if (!checkBox_onTime->isChecked() && !checkBox_offTime->isChecked() && !checkBox_rebootTime->isChecked()) {
        showWarning(tr("Please at least select one request.(On/Off)"));
        return;
    }

    // A new schedule starts from the defaults; an edited one keeps its key, enable flag and the
    // times of requests that are switched off.
    VelkSchedule schedule = m_isEdit ? m_schedule : VelkSchedule();
    if (!m_isEdit) {
        schedule.isEnable = true;
        schedule.scheduleObject = 1;
    }
    schedule.isPowerOn = checkBox_onTime->isChecked();
    if (schedule.isPowerOn)
        schedule.onTime = timeText(spinBox_onTime_HR, spinBox_onTime_Min);
    schedule.isPowerOff = checkBox_offTime->isChecked();
    if (schedule.isPowerOff)
        schedule.offTime = timeText(spinBox_offTime_HR, spinBox_offTime_Min);
    schedule.isReboot = checkBox_rebootTime->isChecked();
    if (schedule.isReboot)
        schedule.rebootTime = timeText(spinBox_rebootTime_HR, spinBox_rebootTime_Min);
    storeDays(schedule);

    quint32 rc = DB_OK;
    const char *operation = "";
    // The devices the power-on is for, whichever way they were chosen: the note on those it can't wake follows one
    // rule for every target.
    QList<VelkIFPDevice> targets;
    bool targetsKnown = true;
    switch (checkedTarget()) {
    case 1:
        schedule.scheduleObject = 1;
        if (schedule.isPowerOn)
            targetsKnown = m_db->queryAllAvailableIFP(targets) == DB_OK;
        operation = m_isEdit ? "rBtn_All-writeSchedule" : "rBtn_All-createSchedule";
        rc = m_isEdit ? m_db->writeAllSchedule(schedule) : m_db->createSchedule(schedule);
        break;
    case 3: {
        QList<VelkGroups> groups = checkedGroups();
        if (groups.isEmpty()) {
            showWarning(noChoiceText(tr("Please at least select one group.")));
            return;
        }
        for (const VelkGroups &group : qAsConst(groups)) {
            QList<VelkIFPDevice> members;
            if (schedule.isPowerOn && targetsKnown)
                targetsKnown = m_db->queryIFPByGroup(group, members) == DB_OK;
            targets += members;
        }
        schedule.scheduleObject = 3;
        operation = m_isEdit ? "rBtn_Group-writeSchedule" : "rBtn_Group-createSchedule";
        rc = m_isEdit ? m_db->writeGroupsSchedule(schedule, groups) : m_db->createGroupsSchedule(schedule, groups);
        break;
    }
    case 2: {
        QList<VelkIFPDevice> devices = checkedDevices();
        if (devices.isEmpty()) {
            showWarning(noChoiceText(tr("Please at least select one device.")));
            return;
        }
        targets = devices;
        schedule.scheduleObject = 2;
        operation = m_isEdit ? "rBtn_SelectDevice-writeSchedule" : "rBtn_SelectDevice-createSchedule";
        rc = m_isEdit ? m_db->writeIFPSchedule(schedule, devices) : m_db->createIFPSchedule(schedule, devices);
        break;
    }
    default:
        return;
    }
    if (rc != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "DeviceControlScheduleSetting::clickBtnSave() - %s, code 0x%x", operation, rc);
        showSaveRefusal();
        return;
    }
    if (m_isEdit)
        m_schedule = schedule;

    if (checkBox_onTime->isChecked()) {
        // Unread, the devices are not known to be unwakeable: the table marks the schedule once it can read them.
        const CmdServer *server = CmdServer::getInstance();
        const int unwakeable = targetsKnown
                                   ? PowerOnReach::unwakeableCount(
                                         targets, [server](const VelkIFPDevice &d) { return server->canWake(d); })
                                   : 0;
        if (!targetsKnown)
            writeLog(LOG_LEVEL_WARNING, "DeviceControlScheduleSetting::clickBtnSave() - the devices of the power-on "
                                        "cannot be read, so those it can't wake are not counted");
        m_notice->setNote(PowerOnReach::noteText(unwakeable));
        m_savedBehindNotice = true;
        DialogPlacementRule::centreOnScreenOf(m_notice, this);
        m_notice->show();
        return;
    }
    emit schedulingSettingSavedSuccess();
}

void DeviceControlScheduleSetting::powerOnNoticeClosed()
{
    if (!m_savedBehindNotice)
        return;
    m_savedBehindNotice = false;
    emit schedulingSettingSavedSuccess();
}

quint32 DeviceControlScheduleSetting::linkedDevices(QList<VelkIFPDevice> &devices)
{
    return m_db->queryDeviceBySchedule(m_schedule, devices);
}

quint32 DeviceControlScheduleSetting::linkedGroups(QList<VelkGroups> &groups)
{
    return m_db->queryGroupsBySchedule(m_schedule, groups);
}

void DeviceControlScheduleSetting::scaleUi(bool rescale)
{
    scaleShared(rescale, withChildren({widgetTime}));
    applyCheckBoxStyle({checkBox_onTime, checkBox_rebootTime, checkBox_offTime});
}
