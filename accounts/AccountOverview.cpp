#include "accounts/AccountOverview.h"

#include "accounts/AccountRegisterDialog.h"
#include "accounts/AccountReportDialog.h"
#include "accounts/AccountSyncRun.h"
#include "accounts/AccountTableDelegate.h"
#include "accounts/AccountTableModel.h"
#include "accounts/AccountsForm.h"
#include "accounts/DeviceListDialog.h"
#include "accounts/ImportListDialog.h"
#include "accounts/MoreOptionDialog.h"
#include "accounts/SystemSettingsDialog.h"
#include "accounts/UserRules.h"
#include "accounts/UserStore.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "network/CmdServer.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QEvent>
#include <QHash>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTimer>

namespace {

// Unscaled column widths; the header labels take the same widths, so they stand over their
// columns. The last column also takes the table's scroll bar.
constexpr int ColumnWidths[AccountTableModel::ColumnCount] = {180, 84, 90, 108, 12, 180, 110, 84};
constexpr int HeaderHeight = 32;
constexpr int RowHeight = 40;
// Room a header label leaves beside its caption.
constexpr int HeaderPadding = 8;
// How often the progress bar of a run is redrawn at most.
constexpr int ProgressRedrawMs = 50;

bool isButton(int column)
{
    return column == AccountTableModel::UserSettingsColumn || column == AccountTableModel::SelectColumn ||
           column == AccountTableModel::StatusColumn;
}

} // namespace

AccountOverview::AccountOverview(QWidget *parent) : QFrame(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    headerLabels = {deviceControlHeaderUserName,     deviceControlHeaderPassword,   deviceControlHeaderBindCard,
                    deviceControlHeaderUserSettings, deviceControlHeaderSeparation, deviceControlHeaderIfpAccess,
                    deviceControlHeaderSelect,       deviceControlHeaderStatus};
    model = nullptr;
    delegate = nullptr;
    scaleUi(false);
    db = OrvantaDBManager::getInstance();

    accountRegisterDialog = new AccountRegisterDialog();
    moreOptionDialog = new MoreOptionDialog();
    deviceListDialog = new DeviceListDialog();
    systemSettingsDialog = new SystemSettingsDialog();
    importListDialog = new ImportListDialog();
    accountReportDialog = new AccountReportDialog();

    connect(btnAddUser, &QAbstractButton::clicked, this, &AccountOverview::clickBtnAddUser);
    connect(btnImportList, &QAbstractButton::clicked, this, &AccountOverview::clickBtnImportList);
    connect(btnSystemSettings, &QAbstractButton::clicked, this, &AccountOverview::clickBtnSystemSettings);
    connect(btnSyncNow, &QAbstractButton::clicked, this, &AccountOverview::clickBtnSyncNow);
    connect(accountRegisterDialog, &AccountRegisterDialog::updateMultiUser, this,
            &AccountOverview::updateMultiUserTable);
    connect(moreOptionDialog, &MoreOptionDialog::updateMultiUser, this, &AccountOverview::updateMultiUserTable);
    connect(moreOptionDialog, &MoreOptionDialog::deleteMultiUser, this, &AccountOverview::deleteSpecificMultiUser);
    connect(deviceListDialog, &DeviceListDialog::updateMultiUser, this, &AccountOverview::updateMultiUserTable);
    connect(importListDialog, &ImportListDialog::updateMultiUser, this, &AccountOverview::updateMultiUserTable);

    model = new AccountTableModel(this);
    delegate = new AccountTableDelegate(this);
    delegate->setScale(getScaleFactor());
    tableWidget->setModel(model);
    tableWidget->setItemDelegate(delegate);
    tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableWidget->setSelectionMode(QAbstractItemView::NoSelection);
    tableWidget->setFocusPolicy(Qt::NoFocus);
    // A press on a row's button is answered at once; the view's own scroll to the pressed cell,
    // half a second later, only shifted the table under its header labels.
    tableWidget->setAutoScroll(false);
    tableWidget->viewport()->installEventFilter(this);
    tableWidget->verticalHeader()->setDefaultSectionSize(ScaleMath::truncScaled(RowHeight, getScaleFactor()));
    connect(tableWidget, &QAbstractItemView::pressed, this, &AccountOverview::cellPressed);
    connect(tableWidget, &QAbstractItemView::entered, this, &AccountOverview::cellEntered);
    // The table is built when it first shows, or when something asks for it sooner: built with the Settings page at
    // log-in, it read every device of a large site for a tab nobody had opened.

    cmdServer = CmdServer::getInstance();
    accountSyncRun = new AccountSyncRun(db, cmdServer, this);
    connect(cmdServer, &CmdServer::setupSyncUserDeviceTimeout, this, &AccountOverview::setupSyncUserDeviceTimeout);
    connect(cmdServer, &CmdServer::syncUserDeviceFinished, this, &AccountOverview::syncUserDeviceFinished);
    progressTimer = new QTimer(this);
    progressTimer->setSingleShot(true);
    progressTimer->setInterval(ProgressRedrawMs);
    connect(progressTimer, &QTimer::timeout, this, [this] {
        if (progressBar)
            progressBar->setValue(pendingProgress);
    });
    connect(accountSyncRun, &AccountSyncRun::progressed, this, &AccountOverview::syncProgressed);
    connect(accountSyncRun, &AccountSyncRun::runFinished, this, &AccountOverview::syncRunFinished);
    connect(accountSyncRun, &AccountSyncRun::timedOut, accountReportDialog, &AccountReportDialog::updateTable);
}

AccountOverview::~AccountOverview()
{
    delete accountRegisterDialog;
    delete moreOptionDialog;
    delete deviceListDialog;
    delete systemSettingsDialog;
    delete importListDialog;
    delete accountReportDialog;
    delete syncNowProgressDialog;
}

void AccountOverview::showEvent(QShowEvent *event)
{
    if (!filled)
        updateMultiUserTable();
    QFrame::showEvent(event);
}

void AccountOverview::updateMultiUserTable()
{
    filled = true;
    // Read again only when the users may have changed: the table is rebuilt at the end of every synchronisation
    // run, which writes statuses and nothing the table shows.
    const quint64 version = db->accountDataVersion();
    if (version == 0 || version != multiUserListVersion) {
        multiUserList.clear();
        multiUserListVersion = 0;
        if (db->queryAllMultiUser(multiUserList) != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "updateMultiUserTable error");
        else
            multiUserListVersion = version;
    }
    // The same for each user's devices, as the table shows them.
    const quint64 devicesVersion = db->deviceDataVersion();
    if (version == 0 || devicesVersion == 0 || version != deviceTextVersions.first ||
        devicesVersion != deviceTextVersions.second) {
        deviceText.clear();
        deviceTextVersions = {0, 0};
        QHash<quint32, QStringList> devices;
        if (UserStore::deviceNamesByUser(db, devices) != DB_OK) {
            writeLog(LOG_LEVEL_ERROR, "updateMultiUserTable, user devices error");
        } else {
            deviceTextVersions = {version, devicesVersion};
        }
        for (auto user = devices.cbegin(); user != devices.cend(); ++user)
            deviceText.insert(user.key(), user->join(QStringLiteral(", ")));
    }

    guideWidgetMultiUser->setVisible(multiUserList.isEmpty());
    QList<AccountTableModel::Row> rows;
    rows.reserve(multiUserList.size());
    for (const VelkMultiUser &user : qAsConst(multiUserList))
        rows.append({user, deviceText.value(user.muid)});
    model->setRows(rows);
    layoutHeader();
}

void AccountOverview::layoutHeader()
{
    const double scale = getScaleFactor();
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    const int height = ScaleMath::truncScaled(HeaderHeight, scale);
    int x = 0;
    for (int i = 0; i < AccountTableModel::ColumnCount; ++i) {
        const int column = rightToLeft ? AccountTableModel::ColumnCount - 1 - i : i;
        const int width = ScaleMath::truncScaled(ColumnWidths[column], scale);
        QLabel *header = headerLabels.at(column);
        header->setGeometry(x, 0, width, height);
        if (!header->toolTip().isEmpty())
            setElidedLabelText(header, header->toolTip(), width - ScaleMath::truncScaled(HeaderPadding, scale));
        x += width;
    }
    if (!model)
        return;
    tableWidget->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int column = 0; column < AccountTableModel::ColumnCount - 1; ++column)
        tableWidget->setColumnWidth(column, ScaleMath::truncScaled(ColumnWidths[column], scale));
    fitLastColumn();
}

// The last column takes what the others leave of the viewport, with or without the vertical
// scroll bar. The table's own header is hidden, and a hidden header does not stretch its last
// section: the table was wider than its viewport and could scroll sideways with no bar to show it.
void AccountOverview::fitLastColumn()
{
    int others = 0;
    for (int column = 0; column < AccountTableModel::ColumnCount - 1; ++column)
        others += tableWidget->columnWidth(column);
    tableWidget->setColumnWidth(AccountTableModel::ColumnCount - 1, qMax(1, tableWidget->viewport()->width() - others));
}

bool AccountOverview::eventFilter(QObject *watched, QEvent *event)
{
    if (model && watched == tableWidget->viewport() && event->type() == QEvent::Resize)
        fitLastColumn();
    return QFrame::eventFilter(watched, event);
}

void AccountOverview::scaleUi(bool relative)
{
    const double factor = formScale.nextFactor(relative, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor,
              {btnAddUser, btnSyncNow, btnSystemSettings, btnImportList, stackedWidgetTables, label, labelLine_2,
               headerLeftBorder, headerRightBorder, tableWidget, guideWidgetMultiUser, label_6, label_4, label_5},
              relative, false);
    layoutHeader();
    if (delegate) {
        delegate->setScale(getScaleFactor());
        tableWidget->verticalHeader()->setDefaultSectionSize(ScaleMath::truncScaled(RowHeight, getScaleFactor()));
    }
}

void AccountOverview::clickBtnAddUser()
{
    AccountsForm::moveTo(accountRegisterDialog, AccountsForm::activeCorner(this), 255, 282);
    accountRegisterDialog->show();
}

void AccountOverview::clickBtnImportList()
{
    AccountsForm::moveTo(importListDialog, AccountsForm::activeCorner(this), 255, 282);
    importListDialog->show();
}

void AccountOverview::clickBtnSystemSettings()
{
    AccountsForm::moveTo(systemSettingsDialog, AccountsForm::activeCorner(this), 255, 148);
    systemSettingsDialog->loadSettings();
    systemSettingsDialog->show();
}

void AccountOverview::clickBtnSyncNow()
{
    writeLog(LOG_LEVEL_INFO, "clickBtnSyncNow");
    QList<VelkIFPDevice> devices;
    if (!accountSyncRun->syncNowDevices(devices)) {
        writeLog(LOG_LEVEL_WARNING, "clickBtnSyncNow, the devices cannot be read for now: no synchronisation started");
        showMessage(tr("Sync Now did not start: the device list cannot be read while another program holds the "
                       "database. Try again later."));
        return;
    }
    const int targets = accountSyncRun->start(devices);
    if (targets == 0 || !accountSyncRun->isRunning())
        return;
    btnSyncNow->setEnabled(false);
    QProgressDialog *progress = progressDialog();
    progressTimer->stop();
    pendingProgress = 0;
    progress->setRange(0, targets);
    progress->setValue(0);
    progress->show();
}

void AccountOverview::showMessage(const QString &text)
{
    if (!messageDialog)
        messageDialog = new GeneralMsgDialog(this);
    messageDialog->showOver(this, text);
}

QProgressDialog *AccountOverview::progressDialog()
{
    if (syncNowProgressDialog)
        return syncNowProgressDialog;
    writeLog(LOG_LEVEL_INFO, "create syncNowProgressDialog");
    syncNowProgressDialog = new QProgressDialog();
    syncNowProgressDialog->setWindowTitle(productName());
    syncNowProgressDialog->setWindowModality(Qt::ApplicationModal);
    syncNowProgressDialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    syncNowProgressDialog->setLayoutDirection(uiLayoutDirection());
    syncNowProgressDialog->setCancelButton(nullptr);
    syncNowProgressDialog->setLabelText(tr("Progressing..."));
    syncNowProgressDialog->setMinimumDuration(0);
    progressBar = new QProgressBar(syncNowProgressDialog);
    syncNowProgressDialog->setBar(progressBar);
    syncNowProgressDialog->setStyleSheet(QStringLiteral(
        "QProgressDialog{background-color: #404040;}\n"
        "QLabel{color: #ffffff;font-size:10pt; font-family:Arial;}\n"
        "QProgressBar{background-color: #333333;border: 1px solid #7a7a7a;border-radius: 4px;color: #ffffff;"
        "text-align: center;font-size:9pt; font-family:Arial;}\n"
        "QProgressBar::chunk{background-color: #0a84c6;border-radius: 3px;}"));
    const double scale = getScaleFactor();
    scaleWidgetFonts(syncNowProgressDialog, 0, false, false);
    syncNowProgressDialog->setFixedSize(ScaleMath::truncScaled(250, scale), ScaleMath::truncScaled(60, scale));
    // A new progress dialog shows itself at once; it shows only while a run goes.
    syncNowProgressDialog->reset();
    syncNowProgressDialog->hide();
    return syncNowProgressDialog;
}

void AccountOverview::setupSyncUserDeviceTimeout(const QString &deviceMacAddress, int timeoutMillis)
{
    accountSyncRun->armTimeout(deviceMacAddress, timeoutMillis);
}

void AccountOverview::syncUserDeviceFinished(const QString &deviceMacAddress)
{
    accountSyncRun->finished(deviceMacAddress);
}

void AccountOverview::syncProgressed(int done, int total)
{
    // Straight to the bar: a modal progress dialog's own setValue() runs the event loop, so
    // every further answer would be handled one level deeper inside the handling of this one,
    // and with hundreds of panels each of those turns of the loop polls every connection again.
    // The bar itself redraws at once when its value changes: for every answer of a large fleet
    // that cost more than handling the answers, so it follows a few times a second.
    progressDialog();
    pendingProgress = done;
    if (done >= total) {
        progressTimer->stop();
        progressBar->setValue(done);
        syncNowProgressDialog->reset();
        return;
    }
    if (!progressTimer->isActive())
        progressTimer->start();
}

void AccountOverview::syncRunFinished()
{
    btnSyncNow->setEnabled(true);
    updateMultiUserTable();
}

void AccountOverview::cellPressed(const QModelIndex &index)
{
    if (!index.isValid() || index.row() >= multiUserList.size())
        return;
    switch (index.column()) {
    case AccountTableModel::UserSettingsColumn: {
        const QRect cell = tableWidget->visualRect(index);
        const QRect button = delegate->markRect(cell);
        showMoreOptionDialog(index.row(), QRect(tableWidget->viewport()->mapToGlobal(button.topLeft()), button.size()));
        break;
    }
    case AccountTableModel::SelectColumn:
        showDeviceListDialog(index.row());
        break;
    case AccountTableModel::StatusColumn:
        showAccountReportDialog(index.row());
        break;
    default:
        break;
    }
}

void AccountOverview::cellEntered(const QModelIndex &index)
{
    tableWidget->viewport()->setCursor(isButton(index.column()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void AccountOverview::showMoreOptionDialog(int row, const QRect &button)
{
    AccountsForm::moveTo(moreOptionDialog, button.topLeft(), 5, 28);
    moreOptionDialog->setMultiUser(multiUserList.at(row));
    moreOptionDialog->show();
}

void AccountOverview::showDeviceListDialog(int row)
{
    deviceListDialog->setMultiUser(multiUserList.at(row));
    AccountsForm::moveTo(deviceListDialog, AccountsForm::activeCorner(this), 25, 81);
    deviceListDialog->loadUserDevices();
    deviceListDialog->show();
}

void AccountOverview::showAccountReportDialog(int row)
{
    accountReportDialog->refreshReport(multiUserList.at(row));
    AccountsForm::moveTo(accountReportDialog, AccountsForm::activeCorner(this), 25, 81);
    accountReportDialog->show();
}

void AccountOverview::deleteSpecificMultiUser()
{
    if (!qobject_cast<MoreOptionDialog *>(sender()))
        return;
    const quint32 muid = sender()->property("muid").toUInt();
    const quint32 rc = UserStore::removeUser(db, muid);
    if (rc != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "AccountOverview::deleteSpecificMultiUser, removeUser %u error 0x%08x", muid, rc);
        return;
    }
    updateMultiUserTable();
}
