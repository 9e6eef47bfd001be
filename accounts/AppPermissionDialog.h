#pragma once

#include <QFrame>
#include <QList>

#include "accounts/Ui_AppPermissionDialog.h"
#include "datastore/VelkMultiUser.h"
#include "datastore/VelkRecords.h"
#include "shell/kit/FormScale.h"

class AppPermissionConfirmDialog;
class OrvantaDBIntf;
class QVBoxLayout;
class SwitchControl;

/// Which panel apps one user may start, and whether the user may install apps. A window of its
/// own, not modal: the operator may go on working beside it. Turning the install permission on
/// first asks to confirm a warning; nothing is written before Save.
class AppPermissionDialog : public QFrame, public Ui_AppPermissionDialog
{
    Q_OBJECT
public:
    explicit AppPermissionDialog(QWidget *parent = nullptr);
    ~AppPermissionDialog() override;

    void setMultiUser(VelkMultiUser user);
    /// Builds the install switch and one row per app from the user set last and the database.
    void loadAppPermissions();

    SwitchControl *topSwitch() const { return topSwitchControl; }
    /// The switch of the app in that row of the list.
    SwitchControl *appSwitch(int row) const;
    AppPermissionConfirmDialog *confirmDialog() const { return appPermissionConfirmDialog; }

signals:
    void updateMultiUser();

public slots:
    void saveButtonClicked();
    void cancelButtonClicked();
    void topSwitchOn(bool toggled);
    void turnTopSwitchTo(bool toggled);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void dropTopSwitch();
    void scaleUi(bool rescale);

    OrvantaDBIntf *db;
    AppPermissionConfirmDialog *appPermissionConfirmDialog;
    QWidget *topSwitchContainer = nullptr;
    SwitchControl *topSwitchControl = nullptr;
    QVBoxLayout *topSwitchLayout = nullptr;
    QList<VelkAppPermission> permissions;
    VelkMultiUser multiUser;
    FormScale formScale;
};
