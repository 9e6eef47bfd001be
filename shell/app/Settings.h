#pragma once

#include <QFrame>
#include <QString>

#include "shell/app/Ui_Settings.h"

class AccountOverview;
class Management;
class QSettings;

/// The page behind the main frame's Settings entry: the Devices and User Accounts tabs and the
/// device-type choice (panels and control boxes, or streaming audio boxes), which is kept in
/// "settings.ini" as the console's page mode.
class Settings : public QFrame, public Ui_Settings
{
    Q_OBJECT
public:
    Settings(Management *devicesPage, QWidget *parent = nullptr);
    ~Settings() override;

    /// 0 while the Devices tab shows, 1 for User Accounts.
    int currentPageIndex() const;
    /// Scales the page by the UI scale factor; rescale after a screen change.
    void scaleUi(bool rescale);
    /// Fills the device-type list and selects an entry.
    void initDeviceTypeComboBox(int index);

public slots:
    void btnDevicesClicked();
    void btnUserAccountsClicked();
    void updateMultiUserTable();
    void cbDeviceTypeChanged(int idx);

private:
    QString selectedTabStyle;
    QString normalTabStyle;
    Management *management = nullptr;
    AccountOverview *accountOverview = nullptr;
    QSettings *pageSettings = nullptr;
    QString settingsPath;
    bool userAccountsTabChosen = false;
};
