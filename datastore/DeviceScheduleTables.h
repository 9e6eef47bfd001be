#pragma once

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QStringList>

#include "datastore/VelkRecords.h"

/// SQL of the weekly device-control schedules (Schedule) and their links to devices
/// (DeviceSchedule) and groups (GroupsSchedule). Stateless; OrvantaDBManager calls it after
/// its argument guards (non-empty output lists, sid 0, schedules without times or weekdays,
/// empty input lists). Every method returns a code of DbResult.h; writes are all-or-nothing.
class DeviceScheduleTables
{
public:
    static quint32 queryAllSchedule(QSqlDatabase db, QList<VelkSchedule> &schedules);
    static quint32 queryDeviceBySchedule(QSqlDatabase db, VelkSchedule schedule, QList<VelkIFPDevice> &devices);
    static quint32 queryGroupsBySchedule(QSqlDatabase db, VelkSchedule schedule, QList<VelkGroups> &groups);
    /// The devices the schedule acts on: every device for target 1; otherwise the linked
    /// devices by name, then the members of the linked groups by name, each device once.
    static quint32 queryAllDeviceBySchedule(QSqlDatabase db, VelkSchedule schedule, QList<VelkIFPDevice> &devices);
    /// The names of every schedule's linked devices and groups, by sid, in two statements.
    static quint32 queryScheduleTargetNames(QSqlDatabase db, QHash<quint32, QStringList> &deviceNames,
                                            QHash<quint32, QStringList> &groupNames);

    static quint32 createSchedule(QSqlDatabase db, VelkSchedule &schedule);
    static quint32 createGroupsSchedule(QSqlDatabase db, VelkSchedule &schedule, QList<VelkGroups> &groups);
    static quint32 createIFPSchedule(QSqlDatabase db, VelkSchedule &schedule, QList<VelkIFPDevice> &devices);
    static quint32 deleteSchedule(QSqlDatabase db, VelkSchedule &schedule);
    static quint32 writeGroupsSchedule(QSqlDatabase db, VelkSchedule &schedule, QList<VelkGroups> &groups);
    static quint32 writeIFPSchedule(QSqlDatabase db, VelkSchedule &schedule, QList<VelkIFPDevice> &devices);
    static quint32 writeSchedule(QSqlDatabase db, VelkSchedule &schedule);
    static quint32 writeAllSchedule(QSqlDatabase db, VelkSchedule &schedule);
};
