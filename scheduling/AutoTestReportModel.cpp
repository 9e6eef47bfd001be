#include "scheduling/AutoTestReportModel.h"

#include <QCoreApplication>
#include <QSet>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "shell/base/Log.h"

void AutoTestReportModel::load(OrvantaDBIntf *db, const VelkAutoTestSchedule &schedule)
{
    m_rows.clear();
    if (schedule.status != 1) {
        if (db->queryAutoTestScheduleReportByAutoTestSchedule(schedule, m_rows) != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "AutoTestScheduleReportDialog::prepareAutoTestScheduleReportList, "
                                      "queryAutoTestScheduleReportByAutoTestSchedule error");
    } else {
        // Not run yet: no rows are stored, the report lists the targets as not started.
        QList<VelkIFPDevice> targets;
        if (schedule.scheduleTarget == 2) {
            targets = schedule.devices;
        } else if (schedule.scheduleTarget == 1 || schedule.scheduleTarget == 3) {
            QList<VelkIFPDevice> all;
            db->queryAllAvailableIFP(all);
            if (schedule.scheduleTarget == 1) {
                targets = all;
            } else {
                QSet<quint32> taken;
                for (const VelkGroups &group : schedule.groups) {
                    QList<VelkIFPDevice> members;
                    if (db->queryIFPByGroup(group, members) != DB_OK)
                        writeLog(LOG_LEVEL_ERROR, "AutoTestScheduleReportDialog::prepareAutoTestScheduleReportList, "
                                                  "queryIFPByGroup error");
                    for (const VelkIFPDevice &member : qAsConst(members)) {
                        for (const VelkIFPDevice &device : qAsConst(all)) {
                            if (device.deviceName == member.deviceName && !taken.contains(device.did)) {
                                taken.insert(device.did);
                                targets.append(device);
                                break;
                            }
                        }
                    }
                }
            }
        }
        for (const VelkIFPDevice &device : qAsConst(targets)) {
            VelkAutoTestScheduleReport row;
            row.device = device;
            row.status = 1;
            row.notes = 1;
            m_rows.append(row);
        }
    }
    for (VelkAutoTestScheduleReport &row : m_rows) {
        QList<VelkGroups> groups;
        if (db->queryGroupsByIFP(row.device, groups) != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "AutoTestScheduleReportDialog::prepareSavedText, queryGroupsByIFP error");
        QStringList names;
        for (const VelkGroups &group : qAsConst(groups))
            names << group.groupName;
        row.groupNames = names.join(QStringLiteral(", "));
    }
    setSearchText(QString());
}

void AutoTestReportModel::setSearchText(const QString &text)
{
    m_shown.clear();
    for (int i = 0; i < m_rows.size(); ++i) {
        const VelkAutoTestScheduleReport &row = m_rows.at(i);
        if (row.device.deviceName.contains(text, Qt::CaseInsensitive) ||
            row.groupNames.contains(text, Qt::CaseInsensitive) ||
            statusText(row.status).contains(text, Qt::CaseInsensitive) ||
            notesText(row.notes).contains(text, Qt::CaseInsensitive))
            m_shown.append(i);
    }
}

AutoTestReportModel::Counts AutoTestReportModel::counts() const
{
    Counts counts;
    for (int index : m_shown) {
        ++counts.all;
        switch (m_rows.at(index).status) {
        case 1:
            ++counts.notStarted;
            break;
        case 2:
            ++counts.scheduling;
            break;
        case 3:
            ++counts.failed;
            break;
        case 4:
            ++counts.successful;
            break;
        default:
            break;
        }
    }
    return counts;
}

QList<const VelkAutoTestScheduleReport *> AutoTestReportModel::visibleRows(int statusFilter) const
{
    QList<const VelkAutoTestScheduleReport *> rows;
    for (int index : m_shown) {
        if (statusFilter == 0 || m_rows.at(index).status == statusFilter)
            rows.append(&m_rows.at(index));
    }
    return rows;
}

void AutoTestReportModel::clickColumn(int column)
{
    m_arrows.click(column);
    applyCurrentSorting();
}

void AutoTestReportModel::applyDefaultSorting()
{
    m_arrows.reset(DeviceColumn);
    applyCurrentSorting();
}

void AutoTestReportModel::applyCurrentSorting()
{
    m_arrows.sortRows(m_shown, [this](int a, int b, int column) { return before(a, b, column); });
}

bool AutoTestReportModel::before(int a, int b, int column) const
{
    const VelkAutoTestScheduleReport &x = m_rows.at(a);
    const VelkAutoTestScheduleReport &y = m_rows.at(b);
    switch (column) {
    case GroupColumn:
        if (x.groupNames != y.groupNames)
            return x.groupNames < y.groupNames;
        break;
    case StatusColumn:
        if (x.status != y.status)
            return x.status < y.status;
        break;
    case NotesColumn:
        if (x.notes != y.notes)
            return x.notes < y.notes;
        break;
    default:
        break;
    }
    return x.device.deviceName < y.device.deviceName;
}

QString AutoTestReportModel::statusText(int status)
{
    switch (status) {
    case 1:
        return QCoreApplication::translate("AutoTestScheduleReportDialog", "Not Started");
    case 2:
        return QCoreApplication::translate("AutoTestScheduleReportDialog", "Scheduling") + QStringLiteral("...");
    case 3:
        return QCoreApplication::translate("AutoTestScheduleReportDialog", "Failed");
    case 4:
        return QCoreApplication::translate("AutoTestScheduleReportDialog", "Successfully");
    default:
        return QString();
    }
}

QString AutoTestReportModel::notesText(int notes)
{
    switch (notes) {
    case 3:
        return QCoreApplication::translate("AutoTestScheduleReportDialog", "No response during power on");
    case 4:
        return QCoreApplication::translate("AutoTestScheduleReportDialog", "No response during power off");
    default:
        return QString();
    }
}
