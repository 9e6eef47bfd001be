#include "accounts/AppPermissionDialog.h"

#include "accounts/AccountsForm.h"
#include "accounts/AppPermissionConfirmDialog.h"
#include "accounts/UserStore.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/SwitchControl.h"
#include "shell/kit/UiHelpers.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
// The install switch stands at the right end of the caption's first line.
const QRect TopSwitchGeometry(335, 8, 60, 40);
constexpr int NameColumnWidth = 295;
constexpr int SwitchColumnWidth = 50;
constexpr int RowHeight = 30;
const char *const AppIdProperty = "appId";
} // namespace

AppPermissionDialog::AppPermissionDialog(QWidget *parent) : QFrame(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    setWindowModality(Qt::NonModal);
    setWindowTitle(productName());
    setFixedSize(size());
    db = OrvantaDBManager::getInstance();
    appPermissionConfirmDialog = new AppPermissionConfirmDialog();
    connect(btnSave, &QAbstractButton::clicked, this, &AppPermissionDialog::saveButtonClicked);
    connect(btnCancel, &QAbstractButton::clicked, this, &AppPermissionDialog::cancelButtonClicked);
    connect(appPermissionConfirmDialog, &AppPermissionConfirmDialog::topSwitchTo, this,
            &AppPermissionDialog::turnTopSwitchTo);
    tableApps->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableApps->setSelectionMode(QAbstractItemView::NoSelection);
    tableApps->setFocusPolicy(Qt::NoFocus);
}

AppPermissionDialog::~AppPermissionDialog()
{
    delete appPermissionConfirmDialog;
}

void AppPermissionDialog::setMultiUser(VelkMultiUser user)
{
    multiUser = user;
}

void AppPermissionDialog::loadAppPermissions()
{
    const double scale = getScaleFactor();
    permissions.clear();
    dropTopSwitch();
    topSwitchContainer = new QWidget(frameContent);
    QRect geometry = ScaleMath::scaledGeometry(TopSwitchGeometry, scale);
    if (layoutDirection() == Qt::RightToLeft)
        geometry.moveLeft(frameContent->width() - geometry.right() - 1);
    topSwitchContainer->setGeometry(geometry);
    topSwitchLayout = new QVBoxLayout(topSwitchContainer);
    topSwitchControl = new SwitchControl(topSwitchContainer, multiUser.hasPermission);
    topSwitchLayout->addWidget(topSwitchControl);
    topSwitchContainer->show();
    connect(topSwitchControl, &SwitchControl::toggled, this, &AppPermissionDialog::topSwitchOn);

    QList<VelkAppPermission> all;
    if (db->queryAllAppPermission(all) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "AppPermissionDialog::loadAppPermissions, queryAllAppPermission error");
    for (const VelkAppPermission &permission : qAsConst(all)) {
        if (permission.multiUserId == multiUser.muid)
            permissions.append(permission);
    }

    tableApps->setRowCount(0);
    QList<VelkAppInfo> apps;
    if (db->queryAllAppInfo(apps) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "AppPermissionDialog::loadAppPermissions, queryAllAppInfo error");
    tableApps->setRowCount(apps.size());
    tableApps->setColumnCount(2);
    tableApps->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tableApps->setColumnWidth(0, ScaleMath::truncScaled(NameColumnWidth, scale));
    tableApps->setColumnWidth(1, ScaleMath::truncScaled(SwitchColumnWidth, scale));
    for (int row = 0; row < apps.size(); ++row) {
        const VelkAppInfo &app = apps.at(row);
        tableApps->setRowHeight(row, ScaleMath::truncScaled(RowHeight, scale));
        tableApps->setItem(row, 0, new QTableWidgetItem(BoundedText::shown(app.appName)));
        bool permitted = false;
        for (const VelkAppPermission &permission : qAsConst(permissions))
            permitted = permitted || permission.appId == app.aiid;
        auto *cell = new QWidget;
        cell->setProperty(AppIdProperty, app.aiid);
        auto *layout = new QHBoxLayout(cell);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *control = new SwitchControl(cell, permitted);
        control->setObjectName(QStringLiteral("switch"));
        layout->addWidget(control);
        tableApps->setCellWidget(row, 1, cell);
    }
}

SwitchControl *AppPermissionDialog::appSwitch(int row) const
{
    QWidget *cell = tableApps->cellWidget(row, 1);
    return cell ? cell->findChild<SwitchControl *>(QStringLiteral("switch")) : nullptr;
}

void AppPermissionDialog::saveButtonClicked()
{
    // The switches as they stand now; closing discards the install switch.
    const bool install = topSwitchControl && topSwitchControl->isToggled();
    QList<UserStore::AppSwitch> switches;
    for (int row = 0; row < tableApps->rowCount(); ++row) {
        const SwitchControl *control = appSwitch(row);
        if (control)
            switches.append({tableApps->cellWidget(row, 1)->property(AppIdProperty).toUInt(), control->isToggled()});
    }
    close();
    const quint32 rc = UserStore::saveAppPermissions(db, multiUser.muid, switches, install);
    if (rc == DB_ROW_NOT_FOUND)
        writeLog(LOG_LEVEL_WARNING, "AppPermissionDialog::saveButtonClicked, user %u no longer exists", multiUser.muid);
    else if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "AppPermissionDialog::saveButtonClicked, error 0x%08x", rc);
    emit updateMultiUser();
}

void AppPermissionDialog::cancelButtonClicked()
{
    close();
}

void AppPermissionDialog::topSwitchOn(bool toggled)
{
    if (!toggled)
        return;
    AccountsForm::moveTo(appPermissionConfirmDialog, mapToGlobal(QPoint(0, 0)), 0, 150);
    appPermissionConfirmDialog->show();
}

void AppPermissionDialog::turnTopSwitchTo(bool toggled)
{
    if (topSwitchControl)
        topSwitchControl->setToggle(toggled);
}

void AppPermissionDialog::dropTopSwitch()
{
    if (!topSwitchContainer)
        return;
    topSwitchLayout->removeWidget(topSwitchControl);
    topSwitchContainer->deleteLater();
    topSwitchContainer->hide();
    topSwitchContainer = nullptr;
    topSwitchControl = nullptr;
    topSwitchLayout = nullptr;
}

void AppPermissionDialog::closeEvent(QCloseEvent *event)
{
    dropTopSwitch();
    event->ignore();
    hide();
}

void AppPermissionDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QFrame::showEvent(event);
}

void AppPermissionDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    QList<QWidget *> widgets = {frameContent, labelCaption, tableApps, btnCancel, btnSave};
    if (topSwitchContainer)
        widgets << topSwitchContainer;
    scaleForm(this, factor, widgets, rescale, false);
}
