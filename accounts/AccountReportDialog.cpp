#include "accounts/AccountReportDialog.h"

#include "accounts/AccountsForm.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "network/CmdServer.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Log.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/SortingIndicator.h"
#include "shell/kit/UiHelpers.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStyle>

#include <memory>

namespace {
// At scale 1.0: the least Sync Status keeps, and how Device and Group share room their texts do not need.
constexpr int StatusWidth = 160;
constexpr int DeviceShare = 140;
constexpr int GroupShare = 124;
constexpr int ColumnCount = 6;
constexpr int HeaderHeight = 32;
constexpr int RowHeight = 36;
// The room on each side of a row's Sync button, and the left padding the table's style gives
// every cell, its widgets included.
constexpr int SyncMargin = 4;
constexpr int CellPadding = 10;
const char *const SearchPattern = "[^\\\\/:*?\"><|]{0,32}";
} // namespace

AccountReportDialog::AccountReportDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    AccountsForm::setupDialog(this);
    db = OrvantaDBManager::getInstance();
    server = CmdServer::getInstance();
    connect(server, &CmdServer::emitUpdateAccountReportDialog, this, &AccountReportDialog::updateTable);

    selectedStyle = QStringLiteral("QToolButton {color: #f7e195;border: none;font: bold;font-size:10pt;"
                                   "font-family:Arial;border-image: url(:/resource/broadcast/bg_underline_2.png); }");
    normalStyle = QStringLiteral("QToolButton {color: #ffffff;border: none;font-size:10pt; font-family:Arial;}");
    for (QToolButton *button : {btnStatusAll, btnStatusSuccessfully, btnStatusFailed})
        button->setStyleSheet(normalStyle);
    btnStatusAll->setStyleSheet(selectedStyle);
    connect(btnStatusAll, &QAbstractButton::clicked, this, &AccountReportDialog::btnStatusAllClicked);
    connect(btnStatusSuccessfully, &QAbstractButton::clicked, this, &AccountReportDialog::btnStatusSuccessfullyClicked);
    connect(btnStatusFailed, &QAbstractButton::clicked, this, &AccountReportDialog::btnStatusFailedClicked);

    tableWidgetReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableWidgetReport->setSelectionMode(QAbstractItemView::NoSelection);
    tableWidgetReport->setFocusPolicy(Qt::NoFocus);
    tableWidgetReport->setColumnCount(ColumnCount);

    lineEditFilter->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QLatin1String(SearchPattern)), lineEditFilter));
    lineEditFilter->setMaxLength(32);
    connect(lineEditFilter, &QLineEdit::returnPressed, this, &AccountReportDialog::showTextFilteredTableContent);

    connect(reportHeaderPower, &ClickableLabel::clicked, this, &AccountReportDialog::sortingByPower);
    connect(reportHeaderDevice, &ClickableLabel::clicked, this, &AccountReportDialog::sortingByDevice);
    connect(reportHeaderGroup, &ClickableLabel::clicked, this, &AccountReportDialog::sortingByGroup);
    connect(reportHeaderSyncStatus, &ClickableLabel::clicked, this, &AccountReportDialog::sortingBySyncStatus);
    connect(reportHeaderTime, &ClickableLabel::clicked, this, &AccountReportDialog::sortingByTime);
    // The report's first state is a downward arrow (newest first for Time); the shared images
    // show the upward one first.
    for (int i = 0; i < 5; ++i) {
        indicators.append(new SortingIndicator(frameContent));
        indicators.last()->setReversedArrows(true);
    }
    scaleUi(false);
    layoutHeader();
    updateStatusButtons();
    labelTotalInfo->setText(AccountReportRows::totalText(0));
}

AccountReportDialog::~AccountReportDialog() = default;

void AccountReportDialog::refreshReport(VelkMultiUser user)
{
    multiUser = user;
    selectFilter(AccountReportRows::AllRows);
    prepareAccountReportList();
    // The columns share their room as this user's texts need it.
    layoutHeader();
    searchText.clear();
    prepareCurrentShowedAccountReportList();
    updateStatusButtons();
    for (SortingIndicator *sorter : qAsConst(indicators))
        sorter->setState(2);
    indicators.at(AccountReportRows::TimeColumn)->setState(0);
    AccountReportRows::sort(shownList, AccountReportRows::TimeColumn, false);
    updateBroadcastReportTable();
    labelTotalInfo->setText(AccountReportRows::totalText(fullList.size()));
    lineEditFilter->clear();
    lineEditFilter->clearFocus();
}

QList<VelkUserDevice> AccountReportDialog::shownRows() const
{
    QList<VelkUserDevice> rows;
    for (const VelkUserDevice &row : shownList) {
        if (AccountReportRows::passes(filter, row.syncStatus))
            rows.append(row);
    }
    return rows;
}

void AccountReportDialog::updateTable()
{
    if (isVisible())
        refreshReport(multiUser);
}

void AccountReportDialog::prepareAccountReportList()
{
    if (AccountReportRows::rowsOfUser(db, multiUser.muid, fullList) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "AccountReportDialog::prepareAccountReportList, queryUserDevice error");
    rowDevices.clear();
    for (const VelkUserDevice &row : qAsConst(fullList)) {
        if (rowDevices.contains(row.deviceId))
            continue;
        QList<VelkIFPDevice> found;
        db->queryIFPById(found, row.deviceId);
        if (found.isEmpty())
            continue;
        RowDevice &entry = rowDevices[row.deviceId];
        entry.device = found.first();
        QList<VelkGroups> list;
        if (db->queryGroupsByIFP(entry.device, list) != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "AccountReportDialog::prepareAccountReportList, queryGroupsByIFP error");
        QStringList names;
        for (const VelkGroups &group : qAsConst(list))
            names.append(group.groupName);
        entry.groups = names.join(QStringLiteral(", "));
    }
}

bool AccountReportDialog::deviceOf(const VelkUserDevice &row, VelkIFPDevice *device, QString *groups) const
{
    const auto entry = rowDevices.constFind(row.deviceId);
    if (entry == rowDevices.constEnd())
        return false;
    *device = entry->device;
    *groups = entry->groups;
    return true;
}

void AccountReportDialog::prepareCurrentShowedAccountReportList()
{
    shownList.clear();
    for (const VelkUserDevice &row : qAsConst(fullList)) {
        VelkIFPDevice device;
        QString groups;
        bool found = false;
        if (deviceOf(row, &device, &groups))
            found = device.deviceName.contains(searchText, Qt::CaseInsensitive) ||
                    groups.contains(searchText, Qt::CaseInsensitive);
        found = found || AccountReportRows::statusWord(row.syncStatus).contains(searchText, Qt::CaseInsensitive) ||
                row.lastSyncTime.contains(searchText, Qt::CaseInsensitive);
        if (found)
            shownList.append(row);
    }
}

void AccountReportDialog::updateStatusButtons()
{
    int successful = 0;
    int failed = 0;
    for (const VelkUserDevice &row : qAsConst(shownList)) {
        successful += row.syncStatus == 1 ? 1 : 0;
        failed += AccountReportRows::isFailure(row.syncStatus) ? 1 : 0;
    }
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    const auto label = [rightToLeft](QToolButton *button, const QString &word, int count) {
        const QString number = QStringLiteral("(%1)").arg(count);
        button->setText(word + QLatin1Char(' ') + (rightToLeft ? QChar(0x202D) + number + QChar(0x202C) : number));
        button->setToolTip(word + QLatin1Char(' ') + number);
    };
    label(btnStatusAll, tr("All"), shownList.size());
    label(btnStatusSuccessfully, tr("Successfully"), successful);
    label(btnStatusFailed, tr("Failed"), failed);
}

void AccountReportDialog::updateBroadcastReportTable()
{
    const double scale = getScaleFactor();
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    tableWidgetReport->clearContents();
    tableWidgetReport->setRowCount(0);
    const QList<VelkUserDevice> rows = shownRows();
    tableWidgetReport->setRowCount(rows.size());
    for (int r = 0; r < rows.size(); ++r) {
        const VelkUserDevice &row = rows.at(r);
        tableWidgetReport->setRowHeight(r, ScaleMath::truncScaled(RowHeight, scale));
        VelkIFPDevice device;
        QString groups;
        if (!deviceOf(row, &device, &groups))
            continue;
        const bool online = server->isDeviceOnline(device);

        auto *power = new QLabel;
        power->setPixmap(QPixmap(online ? QStringLiteral(":/resource/connectedList/icon_power_on.png")
                                        : QStringLiteral(":/resource/connectedList/icon_power_off.png")));
        power->setScaledContents(true);
        power->setFixedSize(ScaleMath::truncScaled(20, scale), ScaleMath::truncScaled(20, scale));
        auto *powerCell = new QWidget;
        auto *powerLayout = new QHBoxLayout(powerCell);
        powerLayout->setContentsMargins(0, 0, 0, 0);
        powerLayout->addWidget(power, 0, Qt::AlignCenter);
        tableWidgetReport->setCellWidget(r, 0, powerCell);

        // The reason takes the room first, so a long name or group is cut, and panels whose names share their
        // start look alike: the whole text is the cell's tool tip, as in the device tables.
        const auto text = [&](int column, const QString &value) {
            if (rightToLeft) {
                auto *item = new QTableWidgetItem(BoundedText::shown(value));
                item->setToolTip(plainToolTip(value));
                tableWidgetReport->setItem(r, column, item);
                return;
            }
            QLabel *label = newCellLabel();
            setElidedLabelText(label, value,
                               tableWidgetReport->columnWidth(column) - ScaleMath::truncScaled(20, scale));
            label->setToolTip(plainToolTip(value));
            tableWidgetReport->setCellWidget(r, column, label);
        };
        text(1, device.deviceName);
        text(2, groups);
        auto *status = new QTableWidgetItem(AccountReportRows::statusText(row.syncStatus));
        status->setToolTip(status->text());
        if (AccountReportRows::isFailure(row.syncStatus))
            status->setForeground(QColor(0xff, 0x78, 0x78));
        else if (row.syncStatus == 1)
            status->setForeground(QColor(0xff, 0xff, 0xff));
        tableWidgetReport->setItem(r, 3, status);
        text(4, row.lastSyncTime);
        if (online && AccountReportRows::isFailure(row.syncStatus)) {
            QPushButton *sync = newSyncButton();
            sync->setProperty("macAddress", server->linkKey(device));
            connect(sync, &QAbstractButton::clicked, this, &AccountReportDialog::syncNow);
            auto *syncCell = new QWidget;
            auto *syncLayout = new QHBoxLayout(syncCell);
            const int margin = ScaleMath::truncScaled(SyncMargin, scale);
            syncLayout->setContentsMargins(margin, 0, margin, 0);
            syncLayout->addWidget(sync);
            tableWidgetReport->setCellWidget(r, 5, syncCell);
        }
        for (VelkUserDevice &shown : shownList) {
            if (shown.deviceId != row.deviceId)
                continue;
            shown.powerStatus = QString(QChar(online ? 1 : 0));
            shown.deviceName = device.deviceName;
            shown.groupNames = groups;
        }
    }
}

void AccountReportDialog::sortReportList()
{
    for (int column = 0; column < indicators.size(); ++column) {
        const int state = indicators.at(column)->state();
        if (state == 0 || state == 1) {
            AccountReportRows::sort(shownList, AccountReportRows::Column(column), state == 1);
            return;
        }
    }
}

void AccountReportDialog::sortBy(AccountReportRows::Column column)
{
    const int state = indicators.at(column)->state();
    const bool reversed = state == 0 || state == 3;
    for (SortingIndicator *sorter : qAsConst(indicators))
        sorter->setState(reversed ? 3 : 2);
    indicators.at(column)->setState(reversed ? 1 : 0);
    AccountReportRows::sort(shownList, column, reversed);
    updateBroadcastReportTable();
}

void AccountReportDialog::sortingByPower()
{
    sortBy(AccountReportRows::PowerColumn);
}

void AccountReportDialog::sortingByDevice()
{
    sortBy(AccountReportRows::DeviceColumn);
}

void AccountReportDialog::sortingByGroup()
{
    sortBy(AccountReportRows::GroupColumn);
}

void AccountReportDialog::sortingBySyncStatus()
{
    sortBy(AccountReportRows::SyncStatusColumn);
}

void AccountReportDialog::sortingByTime()
{
    sortBy(AccountReportRows::TimeColumn);
}

void AccountReportDialog::showTextFilteredTableContent()
{
    searchText = lineEditFilter->text();
    prepareCurrentShowedAccountReportList();
    updateStatusButtons();
    // The fill writes the sort keys the sort then reads.
    updateBroadcastReportTable();
    sortReportList();
    updateBroadcastReportTable();
}

QToolButton *AccountReportDialog::filterButton(AccountReportRows::Filter which) const
{
    switch (which) {
    case AccountReportRows::SuccessfulRows:
        return btnStatusSuccessfully;
    case AccountReportRows::FailedRows:
        return btnStatusFailed;
    case AccountReportRows::AllRows:
        break;
    }
    return btnStatusAll;
}

void AccountReportDialog::selectFilter(AccountReportRows::Filter which)
{
    filterButton(filter)->setStyleSheet(normalStyle);
    filterButton(which)->setStyleSheet(selectedStyle);
    filter = which;
}

void AccountReportDialog::btnStatusAllClicked()
{
    if (filter == AccountReportRows::AllRows)
        return;
    selectFilter(AccountReportRows::AllRows);
    updateBroadcastReportTable();
}

void AccountReportDialog::btnStatusSuccessfullyClicked()
{
    if (filter == AccountReportRows::SuccessfulRows)
        return;
    selectFilter(AccountReportRows::SuccessfulRows);
    updateBroadcastReportTable();
}

void AccountReportDialog::btnStatusFailedClicked()
{
    if (filter == AccountReportRows::FailedRows)
        return;
    selectFilter(AccountReportRows::FailedRows);
    updateBroadcastReportTable();
}

void AccountReportDialog::syncNow()
{
    const auto *button = qobject_cast<const QAbstractButton *>(sender());
    if (!button)
        return;
    server->connectSyncReport(button->property("macAddress").toString());
}

QLabel *AccountReportDialog::newCellLabel()
{
    auto *label = new QLabel;
    label->setStyleSheet(QStringLiteral("color: #ffffff;font-size:10pt; font-family:Arial;"
                                        "background: transparent;"));
    scaleStyleSheetFontSize(label, 10, 0, false, false);
    // Its text is elided before the table shows it: in the font it is drawn in, not the default.
    label->ensurePolished();
    return label;
}

QPushButton *AccountReportDialog::newSyncButton()
{
    auto *sync = FormStyle::button(nullptr, "sync", QRect(), true);
    sync->setText(tr("Sync"));
    sync->setFixedHeight(ScaleMath::truncScaled(24, getScaleFactor()));
    scaleStyleSheetFontSize(sync, 10, 0, false, false);
    return sync;
}

void AccountReportDialog::layoutHeader()
{
    const double scale = getScaleFactor();
    const QList<ClickableLabel *> headers = {reportHeaderPower,      reportHeaderDevice, reportHeaderGroup,
                                             reportHeaderSyncStatus, reportHeaderTime,   reportHeaderSync};
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    const int indicatorSize = ScaleMath::truncScaled(8, scale);
    // The headers' texts are measured below: in the fonts their style sheets give them.
    for (ClickableLabel *header : headers)
        header->ensurePolished();
    tableWidgetReport->ensurePolished();

    // The table's last column does not stretch while its header is hidden: every column is set, together within
    // the room the frame and the scroll bar leave. Power, Time and Sync take what their icon, texts and button need.
    // The rest is shared by Device, Group and Sync Status, as their texts need it: the reason of a failure ("Failed,
    // because setup from server is off") first, since it is what the operator opens the report for; it was cut
    // while Group had room to spare.
    // Whole pixels: a text is elided where its exact width passes its room by a fraction.
    const auto headerNeeds = [&](const ClickableLabel *header) {
        return header->fontMetrics().horizontalAdvance(header->toolTip()) + 1 + ScaleMath::truncScaled(14, scale) +
               2 * indicatorSize;
    };
    const std::unique_ptr<QPushButton> probe(newSyncButton());
    const std::unique_ptr<QLabel> cellProbe(newCellLabel());
    QScrollBar *scrollBar = tableWidgetReport->verticalScrollBar();
    scrollBar->ensurePolished();
    const int beside = scrollBar->sizeHint().width() + 2 * tableWidgetReport->frameWidth();
    int widths[ColumnCount];
    widths[AccountReportRows::PowerColumn] =
        qMax(ScaleMath::truncScaled(20 + 2 * CellPadding, scale), headerNeeds(reportHeaderPower));
    widths[AccountReportRows::TimeColumn] =
        qMax(cellProbe->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00")) +
                 ScaleMath::truncScaled(24, scale),
             headerNeeds(reportHeaderTime));
    widths[ColumnCount - 1] = probe->sizeHint().width() + 2 * ScaleMath::truncScaled(SyncMargin, scale) + CellPadding;
    const int room = tableWidgetReport->width() - beside - widths[AccountReportRows::PowerColumn] -
                     widths[AccountReportRows::TimeColumn] - widths[ColumnCount - 1];

    // What the rows' texts need: a name or group label is elided 20 px (scaled) short of its column; a status item
    // is drawn after the cells' left padding and inside the view's text margins.
    const int labelMargin = ScaleMath::truncScaled(20, scale) + 1;
    const int statusMargin =
        CellPadding +
        2 * (tableWidgetReport->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tableWidgetReport) + 1) + 1;
    const QFontMetrics statusMetrics = tableWidgetReport->fontMetrics();
    int deviceNeeds = headerNeeds(reportHeaderDevice);
    int groupNeeds = headerNeeds(reportHeaderGroup);
    int statusNeeds = qMax(ScaleMath::truncScaled(StatusWidth, scale), headerNeeds(reportHeaderSyncStatus));
    for (const VelkUserDevice &row : qAsConst(fullList)) {
        statusNeeds = qMax(statusNeeds, statusMetrics.horizontalAdvance(AccountReportRows::statusText(row.syncStatus)) +
                                            statusMargin);
        VelkIFPDevice device;
        QString groups;
        if (!deviceOf(row, &device, &groups))
            continue;
        deviceNeeds = qMax(deviceNeeds, cellProbe->fontMetrics().horizontalAdvance(device.deviceName) + labelMargin);
        groupNeeds = qMax(groupNeeds, cellProbe->fontMetrics().horizontalAdvance(groups) + labelMargin);
    }
    const int status = qMin(statusNeeds, room - headerNeeds(reportHeaderDevice) - headerNeeds(reportHeaderGroup));
    const int names = room - status;
    int device = 0;
    if (deviceNeeds + groupNeeds <= names) {
        // Room to spare goes to both, as the columns stood at first.
        const int spare = names - deviceNeeds - groupNeeds;
        device = deviceNeeds + spare * DeviceShare / (DeviceShare + GroupShare);
    } else {
        // Too little for both: the panel's name before its groups, which keep room for their header.
        device = qMax(headerNeeds(reportHeaderDevice), qMin(deviceNeeds, names - headerNeeds(reportHeaderGroup)));
    }
    widths[AccountReportRows::DeviceColumn] = device;
    widths[AccountReportRows::GroupColumn] = names - device;
    widths[AccountReportRows::SyncStatusColumn] = status;

    int x = headerStrip->x();
    for (int i = 0; i < ColumnCount; ++i) {
        const int column = rightToLeft ? ColumnCount - 1 - i : i;
        const int width = widths[column];
        ClickableLabel *header = headers.at(column);
        // The last header also covers the frame and the scroll bar, to the strip's end.
        const int headerWidth = column == ColumnCount - 1 ? width + beside : width;
        header->setGeometry(x, headerStrip->y(), headerWidth, ScaleMath::truncScaled(HeaderHeight, scale));
        if (column < indicators.size()) {
            setElidedLabelText(header, header->toolTip(),
                               width - ScaleMath::truncScaled(14, scale) - 2 * indicatorSize);
            const int textEnd =
                ScaleMath::truncScaled(10, scale) + header->fontMetrics().horizontalAdvance(header->text());
            const int at = rightToLeft ? x + width - textEnd - 2 * indicatorSize : x + textEnd + indicatorSize;
            indicators.at(column)->setGeometry(at, header->y() + (header->height() - indicatorSize) / 2, indicatorSize,
                                               indicatorSize);
            indicators.at(column)->raise();
        }
        tableWidgetReport->setColumnWidth(column, width);
        x += headerWidth;
    }
}

void AccountReportDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void AccountReportDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor,
              {frameContent, labelReportTitle, btnStatusAll, btnStatusSuccessfully, btnStatusFailed, lineEditFilter,
               headerStrip, tableWidgetReport, labelTotalInfo},
              rescale, false);
    layoutHeader();
    if (rescale)
        updateBroadcastReportTable();
}
