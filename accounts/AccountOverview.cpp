#include "accounts/AccountOverview.h"

#include "accounts/AccountRegisterDialog.h"
#include "accounts/AccountsForm.h"
#include "accounts/MoreOptionDialog.h"
#include "accounts/UserRules.h"
#include "accounts/UserStore.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "platform/LogLevel.h"
#include "shell/ClickableLabel.h"
#include "shell/KitForm.h"
#include "shell/Log.h"
#include "shell/ScaleMath.h"
#include "shell/UiHelpers.h"

#include <QHBoxLayout>
#include <QHash>

namespace {

enum Column
{
    UserNameColumn,
    PasswordColumn,
    BindCardColumn,
    UserSettingsColumn,
    SeparatorColumn,
    IfpAccessColumn,
    SelectColumn,
    StatusColumn,
    ColumnCount
};

// Unscaled column widths; the header labels take the same widths, so they stand over their
// columns. The last column also takes the table's scroll bar.
constexpr int ColumnWidths[ColumnCount] = {180, 84, 90, 108, 12, 180, 110, 84};
constexpr int HeaderHeight = 32;
constexpr int RowHeight = 40;
constexpr int ButtonSize = 25;
// Room a text cell leaves beside its text, and a header label beside its caption.
constexpr int TextMargin = 14;
constexpr int HeaderPadding = 8;

const char *const IconFolder = ":/resource/accountMgt/";

QString iconPath(const char *name)
{
    return QLatin1String(IconFolder) + QLatin1String(name);
}

// A cell whose one widget sits in its middle.
QWidget *centredCell(QWidget *content)
{
    auto *cell = new QWidget;
    auto *layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content, 0, Qt::AlignCenter);
    return cell;
}

} // namespace

AccountOverview::AccountOverview(QWidget *parent) : QFrame(parent)
{
    setupUi(this);
    setLayoutDirection(Qt::LayoutDirection(::layoutDirection()));
    headerLabels = {deviceControlHeaderUserName,     deviceControlHeaderPassword,   deviceControlHeaderBindCard,
                    deviceControlHeaderUserSettings, deviceControlHeaderSeparation, deviceControlHeaderIfpAccess,
                    deviceControlHeaderSelect,       deviceControlHeaderStatus};
    scaleUi(false);
    db = OrvantaDBManager::getInstance();

    accountRegisterDialog = new AccountRegisterDialog();
    moreOptionDialog = new MoreOptionDialog();

    connect(btnAddUser, &QAbstractButton::clicked, this, &AccountOverview::clickBtnAddUser);
    connect(btnImportList, &QAbstractButton::clicked, this, &AccountOverview::clickBtnImportList);
    connect(btnSystemSettings, &QAbstractButton::clicked, this, &AccountOverview::clickBtnSystemSettings);
    connect(btnSyncNow, &QAbstractButton::clicked, this, &AccountOverview::clickBtnSyncNow);
    connect(accountRegisterDialog, &AccountRegisterDialog::updateMultiUser, this,
            &AccountOverview::updateMultiUserTable);
    connect(moreOptionDialog, &MoreOptionDialog::updateMultiUser, this, &AccountOverview::updateMultiUserTable);
    connect(moreOptionDialog, &MoreOptionDialog::deleteMultiUser, this, &AccountOverview::deleteSpecificMultiUser);

    // Not built yet: the user import, the panels' system settings and the synchronisation.
    btnImportList->setEnabled(false);
    btnSystemSettings->setEnabled(false);
    btnSyncNow->setEnabled(false);

    tableWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableWidget->setSelectionMode(QAbstractItemView::NoSelection);
    tableWidget->setFocusPolicy(Qt::NoFocus);
    updateMultiUserTable();
}

AccountOverview::~AccountOverview()
{
    delete accountRegisterDialog;
    delete moreOptionDialog;
}

void AccountOverview::updateMultiUserTable()
{
    multiUserList.clear();
    if (db->queryAllMultiUser(multiUserList) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "updateMultiUserTable error");
    QHash<quint32, QStringList> devices;
    if (UserStore::deviceNamesByUser(db, devices) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "updateMultiUserTable, user devices error");

    guideWidgetMultiUser->setVisible(multiUserList.isEmpty());
    tableWidget->clear();
    tableWidget->setRowCount(0);
    tableWidget->setColumnCount(ColumnCount);
    tableWidget->setRowCount(multiUserList.size());
    layoutHeader();
    for (int row = 0; row < multiUserList.size(); ++row) {
        const VelkMultiUser &user = multiUserList.at(row);
        fillRow(row, user, devices.value(user.muid).join(QStringLiteral(", ")));
    }
    sizeRows();
}

void AccountOverview::fillRow(int row, const VelkMultiUser &user, const QString &devices)
{
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    const double scale = getScaleFactor();
    const auto textCell = [&](int column, const char *objectName, const QString &text) {
        if (rightToLeft) {
            // Mirrored, the cells show the whole text as plain items.
            tableWidget->setItem(row, column, new QTableWidgetItem(text));
            return;
        }
        auto *cell = new QLabel;
        cell->setObjectName(QLatin1String(objectName));
        cell->setStyleSheet(QStringLiteral("color:#ffffff;font-size:9.75pt; font-family:Arial;"
                                           "background: transparent;padding-left: %1px;")
                                .arg(ScaleMath::truncScaled(TextMargin, scale)));
        scaleStyleSheetFontSize(cell, 9.75, 0, false, false);
        const int width = ScaleMath::truncScaled(ColumnWidths[column] - 2 * TextMargin, scale);
        setElidedLabelText(cell, text, width);
        tableWidget->setCellWidget(row, column, cell);
    };
    const auto icon = [&](int column, const char *objectName, const QString &image, const QString &tip) {
        auto *picture = new QLabel;
        picture->setObjectName(QLatin1String(objectName));
        picture->setPixmap(QPixmap(image));
        picture->setScaledContents(true);
        picture->setToolTip(tip);
        tableWidget->setCellWidget(row, column, centredCell(picture));
    };

    textCell(UserNameColumn, "username", user.userName);
    if (!user.password.isEmpty()) {
        if (user.password == UserRules::defaultPassword())
            icon(PasswordColumn, "password",
                 iconPath("icon_settings_user_accounts_password_bindcard_exclamation_mark.png"),
                 tr("Please edit user account to change password."));
        else
            icon(PasswordColumn, "password", iconPath("icon_settings_user_accounts_password_bindcard_check.png"),
                 QString());
    }
    if (!user.rfidId.isEmpty())
        icon(BindCardColumn, "rfidid", iconPath("icon_settings_user_accounts_password_bindcard_check.png"), QString());
    tableWidget->setCellWidget(
        row, UserSettingsColumn,
        rowButton("more", "btn_settings_user_accounts_user_settings_", row, &AccountOverview::showMoreOptionDialog));
    auto *separation = new QLabel;
    separation->setObjectName(QStringLiteral("separation"));
    separation->setStyleSheet(QStringLiteral("background-color: #787878;"));
    tableWidget->setCellWidget(row, SeparatorColumn, centredCell(separation));
    textCell(IfpAccessColumn, "ifpaccess", devices);
    tableWidget->setCellWidget(row, SelectColumn,
                               rowButton("select", "btn_select_device_", row, &AccountOverview::showDeviceListDialog));
    tableWidget->setCellWidget(row, StatusColumn,
                               rowButton("status", "btn_status_", row, &AccountOverview::showAccountReportDialog));
}

QWidget *AccountOverview::rowButton(const char *objectName, const char *images, int row,
                                    void (AccountOverview::*slot)())
{
    auto *button = new ClickableLabel(nullptr);
    button->setObjectName(QLatin1String(objectName));
    button->setCursor(Qt::PointingHandCursor);
    const QString image = iconPath(images);
    button->setStyleSheet(QStringLiteral("QLabel{border-image: url(%1normal.png);}\n"
                                         "QLabel:hover{border-image: url(%1hover.png);}\n"
                                         "QLabel:disabled{border-image: url(%1disable.png);}")
                              .arg(image));
    button->setProperty("row", row);
    connect(button, &ClickableLabel::clicked, this, slot);
    // Not built yet: the device assignment and the synchronisation report.
    if (slot != &AccountOverview::showMoreOptionDialog)
        button->setEnabled(false);
    return centredCell(button);
}

void AccountOverview::sizeRows()
{
    const double scale = getScaleFactor();
    const int button = ScaleMath::truncScaled(ButtonSize, scale);
    for (int row = 0; row < tableWidget->rowCount(); ++row) {
        tableWidget->setRowHeight(row, ScaleMath::truncScaled(RowHeight, scale));
        for (int column = 0; column < ColumnCount; ++column) {
            QWidget *cell = tableWidget->cellWidget(row, column);
            if (!cell)
                continue;
            for (const char *name : {"password", "rfidid", "more", "select", "status"}) {
                if (auto *widget = cell->findChild<QWidget *>(QLatin1String(name)))
                    widget->setFixedSize(button, button);
            }
            if (auto *separation = cell->findChild<QWidget *>(QStringLiteral("separation")))
                separation->setFixedSize(ScaleMath::truncScaled(2, scale), button);
        }
    }
}

void AccountOverview::layoutHeader()
{
    const double scale = getScaleFactor();
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    const int height = ScaleMath::truncScaled(HeaderHeight, scale);
    int x = 0;
    for (int i = 0; i < ColumnCount; ++i) {
        const int column = rightToLeft ? ColumnCount - 1 - i : i;
        const int width = ScaleMath::truncScaled(ColumnWidths[column], scale);
        QLabel *header = headerLabels.at(column);
        header->setGeometry(x, 0, width, height);
        if (!header->toolTip().isEmpty())
            setElidedLabelText(header, header->toolTip(), width - ScaleMath::truncScaled(HeaderPadding, scale));
        x += width;
    }
    tableWidget->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tableWidget->horizontalHeader()->setStretchLastSection(true);
    for (int column = 0; column < ColumnCount - 1; ++column)
        tableWidget->setColumnWidth(column, ScaleMath::truncScaled(ColumnWidths[column], scale));
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
    sizeRows();
}

int AccountOverview::senderRow() const
{
    const auto *button = qobject_cast<const ClickableLabel *>(sender());
    if (!button)
        return -1;
    bool ok = false;
    const int row = button->property("row").toInt(&ok);
    return ok && row >= 0 && row < multiUserList.size() ? row : -1;
}

void AccountOverview::clickBtnAddUser()
{
    AccountsForm::moveTo(accountRegisterDialog, AccountsForm::activeCorner(this), 255, 282);
    accountRegisterDialog->show();
}

void AccountOverview::clickBtnImportList()
{
}

void AccountOverview::clickBtnSystemSettings()
{
}

void AccountOverview::clickBtnSyncNow()
{
}

void AccountOverview::showMoreOptionDialog()
{
    const int row = senderRow();
    if (row < 0)
        return;
    AccountsForm::moveTo(moreOptionDialog, static_cast<QWidget *>(sender())->mapToGlobal(QPoint(0, 0)), 5, 28);
    moreOptionDialog->setMultiUser(multiUserList.at(row));
    moreOptionDialog->show();
}

void AccountOverview::showDeviceListDialog()
{
}

void AccountOverview::showAccountReportDialog()
{
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
