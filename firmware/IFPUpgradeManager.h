#pragma once

#include <QObject>
#include <QString>

class QTimer;

/// The process-wide firmware update manager: version checks against the update manifests,
/// update reminders, and the transfer and installation of firmware on the panels.
///
/// For now it carries the services the main frame wires (the notification signals, skip and
/// remind); the version checks and transfers arrive with the firmware-update work.
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

signals:
    void showUpgradeNotificationTopButton(bool show);
    void showUpgradeNotification(bool show, QString title);

private:
    IFPUpgradeManager();
    ~IFPUpgradeManager() override;

    void checkUpgradeNotification();

    QTimer *reminderTimer = nullptr;
};
