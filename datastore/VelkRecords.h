#pragma once

// Every record type that crosses the database interface, in one include.

#include "datastore/PellmarAccount.h"
#include "datastore/PellmarDevice.h"
#include "datastore/PellmarGroup.h"
#include "datastore/UpdateStatus.h"
#include "datastore/VelkAccount.h"
#include "datastore/VelkAppInfo.h"
#include "datastore/VelkAppPermission.h"
#include "datastore/VelkAutoTestSchedule.h"
#include "datastore/VelkAutoTestScheduleReport.h"
#include "datastore/VelkBroadcast.h"
#include "datastore/VelkBroadcastReport.h"
#include "datastore/VelkDeviceCameraMap.h"
#include "datastore/VelkEventLog.h"
#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"
#include "datastore/VelkMultiUser.h"
#include "datastore/VelkMultiUserAdmin.h"
#include "datastore/VelkOtaReminder.h"
#include "datastore/VelkOtaSchedule.h"
#include "datastore/VelkOtaScheduleReport.h"
#include "datastore/VelkSchedule.h"
#include "datastore/VelkUserDevice.h"

/// Registers VelkIFPDevice, VelkGroups, VelkOtaSchedule and VelkBroadcast with Qt's meta-type
/// system under their own names, so they travel in queued signals and QVariant.
/// Safe to call any number of times; OrvantaDBManager::getInstance calls it on first use.
void registerVelkMetaTypes();
