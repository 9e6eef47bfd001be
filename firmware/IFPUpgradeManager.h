#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "datastore/VelkIFPDevice.h"
#include "datastore/VelkOtaSchedule.h"

class QTimer;

/// The process-wide firmware update manager: version checks against the update manifests,
/// update reminders, and the transfer and installation of firmware on the panels.
///
/// For now it carries the services the main frame and the Schedule Setup page wire: the
/// notification signals, skip and remind, and the version-check and run interface. Until the
/// version checks exist, a check for a new schedule (case 2) is answered at once as failed
/// (no out-of-date count), and no run is ever started.
class IFPUpgradeManager : public QObject
{
    Q_OBJECT
public:
    /// Creates the manager on the first call, under a mutex of its own; the same object after.
    static IFPUpgradeManager *getInstance();

    /// Marks the firmware versions now announced as skipped.
    void upgradeNotificationSkip();
    /// Checks again for announcements after the reminder interval.
    void upgradeNotificationRemind();

    /// Starts a version check; the answer comes later through otaVersionChecked.
    void checkCurrentOtaVersionInfo(int checkOtaVersionCase);
    /// The number of out-of-date devices of the last check; -1 when no check succeeded.
    int getOldDevicesCount();
    /// The out-of-date devices of the last check.
    QList<VelkIFPDevice *> &getOldDeviceList();
    /// Runs the schedule's update on the devices; the caller keeps both alive until the run ends.
    void startOta(VelkOtaSchedule &schedule, QList<VelkIFPDevice *> &devices);
    /// Cancels the running update.
    void cancelOta();

signals:
    void otaVersionChecked(int checkOtaVersionCase);
    void otaScheduleReportUpdated();
    void otaScheduleFinished();
    void showUpgradeNotificationTopButton(bool show);
    void showUpgradeNotification(bool show, QString title);

private:
    IFPUpgradeManager();
    ~IFPUpgradeManager() override;

    void checkUpgradeNotification();

    QTimer *reminderTimer = nullptr;
    QList<VelkIFPDevice *> oldDeviceList;
};
