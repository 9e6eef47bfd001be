#include "firmware/OtaReportModel.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "datastore/UpdateStatus.h"
#include "shell/base/Log.h"

#include <QCoreApplication>
#include <QSet>
#include <QStringList>

#include <algorithm>

OtaReportModel::OtaReportModel() : m_sort(ColumnCount, DeviceColumn)
{
}

void OtaReportModel::load(const VelkOtaSchedule &schedule, OrvantaDBIntf *db, const QList<VelkIFPDevice> &oldDevices)
{
    m_schedule = schedule;
    m_statusFilter = 0;
    m_searchText.clear();
    readRows(db, oldDevices);
    m_sort.reset(DeviceColumn);
    filter();
}

bool OtaReportModel::refresh(const VelkOtaSchedule &schedule, OrvantaDBIntf *db, const QList<VelkIFPDevice> &oldDevices)
{
    if (schedule.osid != m_schedule.osid)
        return false;
    m_schedule = schedule;
    readRows(db, oldDevices);
    filter();
    return true;
}

void OtaReportModel::readRows(OrvantaDBIntf *db, const QList<VelkIFPDevice> &oldDevices)
{
    m_rows.clear();
    m_shown.clear();
    if (m_schedule.status != UPDATE_NOT_STARTED) {
        if (db->queryOtaScheduleReportByOtaSchedule(m_schedule, m_rows) != DB_OK)
            writeLog(
                LOG_LEVEL_ERROR,
                "OtaScheduleReportDialog::prepareOtaScheduleReportList, queryOtaScheduleReportByOtaSchedule error");
        for (VelkOtaScheduleReport &row : m_rows)
            fillTexts(db, row);
        return;
    }
    if (m_schedule.scheduleTarget == 2) {
        for (const VelkIFPDevice &device : qAsConst(m_schedule.devices))
            addRow(db, device);
        return;
    }
    if (m_schedule.scheduleTarget != 3)
        return;
    QSet<QString> listed;
    for (const VelkGroups &group : qAsConst(m_schedule.groups)) {
        QList<VelkIFPDevice> members;
        if (db->queryIFPByGroup(group, members) != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "OtaScheduleReportDialog::prepareOtaScheduleReportList, queryIFPByGroup error");
        for (const VelkIFPDevice &member : qAsConst(members)) {
            if (listed.contains(member.deviceName))
                continue;
            const bool outOfDate = std::any_of(oldDevices.cbegin(), oldDevices.cend(), [&](const VelkIFPDevice &d) {
                return d.deviceName == member.deviceName;
            });
            if (!outOfDate)
                continue;
            listed.insert(member.deviceName);
            addRow(db, member);
        }
    }
}

void OtaReportModel::addRow(OrvantaDBIntf *db, const VelkIFPDevice &device)
{
    VelkOtaScheduleReport row;
    row.device = device;
    row.status = UPDATE_NOT_STARTED;
    fillTexts(db, row);
    m_rows.append(row);
}

void OtaReportModel::fillTexts(OrvantaDBIntf *db, VelkOtaScheduleReport &row) const
{
    QList<VelkGroups> groups;
    if (db->queryGroupsByIFP(row.device, groups) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "OtaScheduleReportDialog::prepareSavedText, queryGroupsByIFP error");
    QStringList names;
    for (const VelkGroups &group : qAsConst(groups))
        names.append(group.groupName);
    row.groupNames = names.join(QStringLiteral(", "));
    row.updateDate = m_schedule.date + QLatin1Char(' ') + m_schedule.time;
}

void OtaReportModel::setSearchText(const QString &text)
{
    m_searchText = text;
    filter();
}

void OtaReportModel::filter()
{
    m_shown.clear();
    const QString &t = m_searchText;
    for (int i = 0; i < m_rows.size(); ++i) {
        const VelkOtaScheduleReport &row = m_rows.at(i);
        if (row.device.deviceName.contains(t, Qt::CaseInsensitive) ||
            row.device.modelName.contains(t, Qt::CaseInsensitive) || row.groupNames.contains(t, Qt::CaseInsensitive) ||
            row.fwVersion.contains(t, Qt::CaseSensitive) || statusText(row.status).contains(t, Qt::CaseInsensitive) ||
            row.updateDate.contains(t, Qt::CaseSensitive))
            m_shown.append(i);
    }
    sort();
}

OtaReportModel::Counts OtaReportModel::counts() const
{
    Counts counts;
    counts.all = m_shown.size();
    for (int index : m_shown) {
        switch (m_rows.at(index).status) {
        case UPDATE_NOT_STARTED:
            ++counts.notStarted;
            break;
        case UPDATE_UPDATING:
            ++counts.updating;
            break;
        case UPDATE_FAILED:
            ++counts.failed;
            break;
        case UPDATE_SUCCESSFULLY:
            ++counts.successful;
            break;
        default:
            break;
        }
    }
    return counts;
}

QList<const VelkOtaScheduleReport *> OtaReportModel::visibleRows() const
{
    QList<const VelkOtaScheduleReport *> rows;
    for (int index : m_shown) {
        const VelkOtaScheduleReport &row = m_rows.at(index);
        if (m_statusFilter == 0 || row.status == m_statusFilter)
            rows.append(&row);
    }
    return rows;
}

void OtaReportModel::clickColumn(int column)
{
    m_sort.click(column);
    sort();
}

// The state-0 order of each column; state 1 is its exact reverse, ties included.
bool OtaReportModel::before(int a, int b, int column) const
{
    const VelkOtaScheduleReport &x = m_rows.at(a);
    const VelkOtaScheduleReport &y = m_rows.at(b);
    switch (column) {
    case ModelColumn:
        if (x.device.modelName != y.device.modelName)
            return y.device.modelName < x.device.modelName;
        break;
    case GroupColumn:
        if (x.groupNames != y.groupNames)
            return x.groupNames < y.groupNames;
        break;
    case FwVersionColumn:
        if (x.fwVersion != y.fwVersion)
            return x.fwVersion < y.fwVersion;
        break;
    case StatusColumn:
        if (x.status != y.status)
            return x.status < y.status;
        break;
    case UpdateDateColumn:
        if (x.updateDate != y.updateDate)
            return x.updateDate < y.updateDate;
        break;
    default:
        break;
    }
    if (x.device.deviceName != y.device.deviceName)
        return x.device.deviceName < y.device.deviceName;
    return a < b;
}

void OtaReportModel::sort()
{
    m_sort.sortRows(m_shown, [this](int a, int b, int column) { return before(a, b, column); });
}

QString OtaReportModel::statusText(int status)
{
    switch (status) {
    case UPDATE_NOT_STARTED:
        return QCoreApplication::translate("OtaScheduleReportDialog", "Not Started");
    case UPDATE_UPDATING:
        return QCoreApplication::translate("OtaScheduleReportDialog", "Updating") + QStringLiteral("...");
    case UPDATE_FAILED:
        return QCoreApplication::translate("OtaScheduleReportDialog", "Failed");
    case UPDATE_SUCCESSFULLY:
        return QCoreApplication::translate("OtaScheduleReportDialog", "Successfully");
    default:
        return QString();
    }
}

QString OtaReportModel::statusColour(int status)
{
    switch (status) {
    case UPDATE_NOT_STARTED:
    case UPDATE_UPDATING:
        return QStringLiteral("#ffffff");
    case UPDATE_FAILED:
        return QStringLiteral("#ff7e7e");
    case UPDATE_SUCCESSFULLY:
        return QStringLiteral("#7cc0ff");
    default:
        return QString();
    }
}

QString OtaReportModel::totalText(int rows)
{
    return rows < 2 ? QCoreApplication::translate("OtaScheduleReportDialog", "%1 device in total").arg(rows)
                    : QCoreApplication::translate("OtaScheduleReportDialog", "%1 devices in total").arg(rows);
}
