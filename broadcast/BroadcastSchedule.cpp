#include "broadcast/BroadcastSchedule.h"

#include "broadcast/BroadcastCapability.h"
#include "broadcast/BroadcastForm.h"
#include "broadcast/BroadcastManager.h"
#include "broadcast/BroadcastMessageDialog.h"
#include "broadcast/BroadcastTiming.h"
#include "datastore/DbReadRetry.h"
#include "datastore/OrvantaDBManager.h"
#include "network/CmdServer.h"
#include "platform/LogLevel.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/CheckCellDelegate.h"
#include "shell/kit/CheckTableModel.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/PlaceholderColour.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/SortingIndicator.h"
#include "shell/kit/UiHelpers.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QRegExpValidator>
#include <QStyledItemDelegate>

namespace {

constexpr int kRowHeight = 39;
constexpr int kIndicatorGap = 15;

QString modeStyle(const QString &image, bool selected, int padding)
{
    const QString p = QString::number(padding);
    if (selected)
        return QStringLiteral("QToolButton{border-image: url(:/resource/scheduling/%1_selected.png);border: none;"
                              "color: #1db5ff;padding-left:%2px;}")
            .arg(image, p);
    return QStringLiteral("QToolButton{border-image: url(:/resource/scheduling/%1_normal.png);border: none;"
                          "color: #bfbfbf;padding-left:%2px;}"
                          "QToolButton:hover{border-image: url(:/resource/scheduling/%1_hover.png);color: #ffffff;}"
                          "QToolButton:pressed{border-image: url(:/resource/scheduling/%1_pressed.png);"
                          "color: #666666;}"
                          "QToolButton:disabled{border-image:url(:/resource/scheduling/%1_disabled.png);"
                          "color: #808080;}")
        .arg(image, p);
}

QString filterStyle(const QString &look)
{
    return QStringLiteral("QToolButton{border-image: url(:/resource/scheduling/btn_filter_%1.png);border: none;}"
                          "QToolButton:hover{border-image: url(:/resource/scheduling/btn_filter_hover.png);}"
                          "QToolButton:pressed{border-image: url(:/resource/scheduling/btn_filter_pressed.png);}"
                          "QToolButton:disabled{border-image:url(:/resource/scheduling/btn_filter_disabled.png);}")
        .arg(look);
}

QString rowCheckStyle(double scale)
{
    return QStringLiteral("QCheckBox{padding-left:10px;}"
                          "QCheckBox::indicator:checked{image: url(:/resource/scheduling/im_check_b%1.png);}"
                          "QCheckBox::indicator:unchecked{image: url(:/resource/scheduling/im_checkbox%1.png);}")
        .arg(scale >= 2.0 ? QStringLiteral("_2x") : QString());
}

} // namespace

BroadcastSchedule::BroadcastSchedule(QWidget *parent, Clock *clock)
    : QFrame(parent), m_db(OrvantaDBManager::getInstance()), m_server(CmdServer::getInstance()),
      m_clock(clock ? clock : Clock::system()), m_reread(new DbReadRetry(m_db->heldWrites(), this))
{
    connect(m_reread, &DbReadRetry::retry, this, &BroadcastSchedule::rereadTargets);
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    m_deviceRows = new CheckTableModel(5, this);
    m_groupRows = new CheckTableModel(3, this);
    m_deviceCells = CheckCellDelegate::drawRows(m_deviceRows, tableWidgetDevice);
    m_groupCells = CheckCellDelegate::drawRows(m_groupRows, tableWidgetGroup);
    for (CheckTableModel *rows : {m_deviceRows, m_groupRows})
        connect(rows, &CheckTableModel::checkClicked, this, &BroadcastSchedule::tableRowCheckBoxClicked);
    for (int i = 0; i < 5; ++i) {
        m_indicators[i] = new SortingIndicator(this);
        m_indicators[i]->setObjectName(QStringLiteral("sortIndicator%1").arg(i));
    }
    scaleUi(false);

    const double s = getScaleFactor();
    const int padding = ScaleMath::truncScaled(40, s);
    scheduleSelectedStyle = modeStyle(QStringLiteral("btn_schedule"), true, padding);
    scheduleNormalStyle = modeStyle(QStringLiteral("btn_schedule"), false, padding);
    nowSelectedStyle = modeStyle(QStringLiteral("btn_update_now"), true, padding);
    nowNormalStyle = modeStyle(QStringLiteral("btn_update_now"), false, padding);
    repeatOnStyle = QStringLiteral(
        "QToolButton{border-image: url(:/resource/broadcast/btn_date_selected.png);border: none;color: #000000;}"
        "QToolButton:pressed{border-image: url(:/resource/broadcast/btn_date_pressed.png);}"
        "QToolButton:disabled{border-image: url(:/resource/broadcast/btn_date_disabled.png);color: #808080;}");
    repeatOffStyle = QStringLiteral(
        "QToolButton{border-image: url(:/resource/broadcast/btn_date_normal.png);border: none;color: #000000;}"
        "QToolButton:hover{border-image: url(:/resource/broadcast/btn_date_hover.png);}"
        "QToolButton:pressed{border-image: url(:/resource/broadcast/btn_date_pressed.png);}"
        "QToolButton:disabled{border-image: url(:/resource/broadcast/btn_date_disabled.png);color: #808080;}");
    filterButtonSelectedStyle = filterStyle(QStringLiteral("selected"));
    filterButtonNormalStyle = filterStyle(QStringLiteral("normal"));
    calendarWidget->setStyleSheet(
        QStringLiteral(
            "QCalendarWidget QWidget#qt_calendar_navigationbar{background-color: #424242;}"
            "QCalendarWidget QWidget#qt_calendar_navigationbar:disabled{background-color: #464646;}"
            "QCalendarWidget QToolButton{color: #ffffff;background: transparent;border: none;font-size:10pt;}"
            // The month opens its list on a click; its drop-down mark lay over the month's name.
            "QCalendarWidget QToolButton::menu-indicator{image: none;}"
            "QCalendarWidget QToolButton#qt_calendar_prevmonth{qproperty-icon: "
            "url(:/resource/scheduling/btn_arrow_calendar_l_normal.png);}"
            "QCalendarWidget QToolButton#qt_calendar_nextmonth{qproperty-icon: "
            "url(:/resource/scheduling/btn_arrow_calendar_r_normal.PNG);}"
            "QCalendarWidget QAbstractItemView:enabled{background-color: #ffffff;color: #000000;"
            "selection-background-color: #eacc81;selection-color: #000000;font-size:10pt;}"
            "QCalendarWidget QAbstractItemView:disabled{background-color: #f0f0f0;color: #c3c3c3;"
            "selection-background-color: #c3c3c3;}") +
        (uiLayoutDirection() == Qt::RightToLeft
             ? QStringLiteral("QCalendarWidget QToolButton#qt_calendar_prevmonth {    qproperty-icon: "
                              "url(:/resource/scheduling/btn_arrow_calendar_r_normal.PNG);}"
                              "QCalendarWidget QToolButton#qt_calendar_nextmonth {    qproperty-icon: "
                              "url(:/resource/scheduling/btn_arrow_calendar_l_normal.png);}")
             : QString()));

    comboBoxType->setItemDelegate(new QStyledItemDelegate(comboBoxType));
    comboBoxType->clear();
    comboBoxType->addItem(tr("By Device"), 0);
    comboBoxType->addItem(tr("By Group"), 1);
    comboBoxType->setCurrentIndex(0);

    // Names typed by operators never hold these characters, so neither does a search for them.
    lineEditFilter->setValidator(
        new QRegExpValidator(QRegExp(QStringLiteral("[^\\\\/:*?\"><|]{0,32}")), lineEditFilter));
    lineEditFilter->setMaxLength(32);
    QPixmap search(QStringLiteral(":/resource/scheduling/search.PNG"));
    if (s != 1.0)
        search = search.scaled(search.size() * s, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    lineEditFilter->addAction(QIcon(search), QLineEdit::LeadingPosition);
    lineEditFilter->setPlaceholderText(tr("Search"));
    PlaceholderColour::keep(lineEditFilter);

    connect(comboBoxType, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &BroadcastSchedule::showContentByType);
    connect(lineEditFilter, &QLineEdit::returnPressed, this, &BroadcastSchedule::showFilteredTableContent);
    connect(btnFilter, &QToolButton::clicked, this, &BroadcastSchedule::btnFilterClicked);
    connect(btnCloseInfo, &QToolButton::clicked, this, &BroadcastSchedule::closeSelectedInfo);
    connect(deviceCheckBoxAll, &QCheckBox::clicked, this, &BroadcastSchedule::checkBoxAllClicked);
    connect(groupCheckBoxAll, &QCheckBox::clicked, this, &BroadcastSchedule::checkBoxAllClicked);
    connect(btnBroadcastNow, &QToolButton::clicked, this, &BroadcastSchedule::broadcastNowClicked);
    connect(btnSchedule, &QToolButton::clicked, this, &BroadcastSchedule::scheduleClicked);
    connect(btnRepeatSun, &QToolButton::clicked, this, &BroadcastSchedule::repeatSunClicked);
    connect(btnRepeatMon, &QToolButton::clicked, this, &BroadcastSchedule::repeatMonClicked);
    connect(btnRepeatTue, &QToolButton::clicked, this, &BroadcastSchedule::repeatTueClicked);
    connect(btnRepeatWed, &QToolButton::clicked, this, &BroadcastSchedule::repeatWedClicked);
    connect(btnRepeatThu, &QToolButton::clicked, this, &BroadcastSchedule::repeatThuClicked);
    connect(btnRepeatFri, &QToolButton::clicked, this, &BroadcastSchedule::repeatFriClicked);
    connect(btnRepeatSat, &QToolButton::clicked, this, &BroadcastSchedule::repeatSatClicked);
    connect(btnNext, &QToolButton::clicked, this, &BroadcastSchedule::btnNextClicked);
    connect(btnApply1, &QToolButton::clicked, this, &BroadcastSchedule::btnApplyFilterClicked);
    connect(btnApply2, &QToolButton::clicked, this, &BroadcastSchedule::btnApplyFilterClicked);
    connect(widgetFilterParent, &CustomFilterWidget::pressEvent, this, &BroadcastSchedule::pressEvent);
    connect(deviceHeaderPower, &ClickableLabel::clicked, this, &BroadcastSchedule::sortingDeviceByPower);
    connect(deviceHeaderDevice, &ClickableLabel::clicked, this, &BroadcastSchedule::sortingDeviceByDevice);
    connect(deviceHeaderGroup, &ClickableLabel::clicked, this, &BroadcastSchedule::sortingDeviceByGroup);
    connect(groupHeaderGroup, &ClickableLabel::clicked, this, &BroadcastSchedule::sortingGroupByGroupName);
    connect(groupHeaderDeviceCounts, &ClickableLabel::clicked, this, &BroadcastSchedule::sortingGroupByDeviceCounts);

    stackedWidgetTables->setCurrentIndex(0);
    for (QTableView *table : {tableWidgetDevice, tableWidgetGroup}) {
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionMode(QAbstractItemView::NoSelection);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        if (uiLayoutDirection() == Qt::RightToLeft)
            table->setStyleSheet(table->styleSheet() +
                                 QStringLiteral("QTableView::item {padding-left:0px;padding-right:10px;}"));
    }
    setColumnWidths();
    m_messageDialog = new BroadcastMessageDialog(this);

    // The mode buttons' texts start after their icons.
    setElidedButtonText(btnSchedule, tr("Schedule"), int(btnSchedule->width() - 46 * s));
    setElidedButtonText(btnBroadcastNow, tr("Broadcast Now"), int(btnBroadcastNow->width() - 46 * s));
    setElidedLabelText(labelBroadcastTime, tr("Broadcast Time"), labelBroadcastTime->width());
    const int arrow = ScaleMath::truncScaled(8, s);
    setElidedLabelText(deviceHeaderPower, tr("Power"), int(deviceHeaderPower->width() - 8 * s));
    for (QLabel *label :
         {static_cast<QLabel *>(deviceHeaderDevice), static_cast<QLabel *>(deviceHeaderGroup), deviceHeaderType,
          static_cast<QLabel *>(groupHeaderGroup), static_cast<QLabel *>(groupHeaderDeviceCounts)})
        setElidedLabelText(label, label->text(), label->width() - kIndicatorGap - arrow);
    placeSortIndicators();

    applyCalendarLanguage(calendarWidget, m_db);
    applyCheckBoxStyle();
    // The targets are read when a broadcast is edited: with thousands of devices, reading them and their groups
    // for a step nobody opened made the log-in wait.
    resetForNewBroadcast();
}

BroadcastSchedule::~BroadcastSchedule() = default;

QList<VelkIFPDevice> BroadcastSchedule::getSupportedDeviceList()
{
    return BroadcastCapability::supportedDevices(m_db);
}

// --- the target tables ---------------------------------------------------------------------------------------------

int BroadcastSchedule::targetsWithoutMac() const
{
    // A panel that is on needs no waking, whether Wake-on-LAN could reach it or not.
    return m_targets.unwakeableCount(!devicePageShown(), [this](const VelkIFPDevice &device) {
        return m_server->isDeviceOnline(device) || m_server->canWake(device);
    });
}

QString BroadcastSchedule::unreadableText()
{
    return tr("The device list can't be read right now. The devices are listed once it can.");
}

void BroadcastSchedule::prepareTargets()
{
    bool read = true;
    const QList<VelkIFPDevice> capable = BroadcastCapability::supportedDevices(m_db, &read);
    // "0 devices" would tell of a site without devices; the list is read again once the database gives it.
    m_devicesUnread = !read && m_db->refusedForNow();
    if (m_devicesUnread)
        m_reread->later();
    else
        m_reread->done();
    m_targets.setDevices(
        capable, [this](const VelkIFPDevice &device) { return m_server->isDeviceOnline(device); },
        [this](const VelkIFPDevice &device) {
            QList<VelkGroups> groups;
            if (m_db->queryGroupsByIFP(device, groups) != DB_OK)
                writeLog(LOG_LEVEL_ERROR, "prepareSupportedDeviceList, queryGroupsByIFP error");
            return groups;
        });
}

void BroadcastSchedule::rereadTargets()
{
    prepareTargets();
    if (m_devicesUnread)
        return;
    // A stored broadcast opened meanwhile found none of its targets in the empty tables.
    if (broadcastData.bid != 0)
        checkTargetsOf(broadcastData);
    refreshTables();
    const int deviceRows = m_targets.shownDevices().size();
    const int groupRows = m_targets.shownGroups().size();
    deviceCheckBoxAll->setChecked(deviceRows > 0 && m_targets.checkedDevices().size() == deviceRows);
    groupCheckBoxAll->setChecked(groupRows > 0 && m_targets.checkedGroups().size() == groupRows);
    updateSelectedInfo();
    updateTotalInfo();
    showTotal();
}

void BroadcastSchedule::refreshTables()
{
    fillDeviceTable();
    fillGroupTable();
    updateSortIndicators();
}

void BroadcastSchedule::fillDeviceTable()
{
    // One check box and one light drawn for every row, from stamps built as each row's widgets were.
    const double s = getScaleFactor();
    auto *box = new QCheckBox;
    box->setStyleSheet(rowCheckStyle(s));
    m_deviceCells->setCheckStamp(box, box);
    const int icon = int(s * 12);
    QVector<QWidget *> lights;
    for (bool online : {false, true}) {
        auto *power = new QWidget;
        auto *layout = new QHBoxLayout(power);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setAlignment(Qt::AlignCenter);
        auto *light = new QLabel;
        light->setFixedSize(icon, icon);
        light->setStyleSheet(online
                                 ? QStringLiteral("QLabel{border-image: url(:/resource/scheduling/power_on.PNG);}")
                                 : QStringLiteral("QLabel{border-image: url(:/resource/scheduling/power_off.PNG);}"));
        layout->addWidget(light);
        lights.append(power);
    }
    m_deviceCells->setMarkStamps(1, lights);

    const QString audioBox = tr("Streaming Audio Box");
    const QString controlBox = tr("IFP/Control Box");
    const QList<int> &shown = m_targets.shownDevices();
    QVector<CheckTableModel::Row> rows;
    rows.reserve(shown.size());
    for (int device : shown) {
        const VelkIFPDevice &d = m_targets.devices().at(device);
        rows.append({{QString(), QString(), d.deviceName, d.extraText,
                      d.deviceType == QLatin1String("Audio Box") ? audioBox : controlBox},
                     m_targets.isDeviceChecked(device),
                     d.isOnline ? 1 : 0});
    }
    tableWidgetDevice->verticalHeader()->setDefaultSectionSize(int(s * kRowHeight));
    m_deviceRows->setRows(rows);
    // A refilled table starts at its top, as it did when its rows were built anew.
    tableWidgetDevice->scrollToTop();
}

void BroadcastSchedule::fillGroupTable()
{
    const double s = getScaleFactor();
    auto *box = new QCheckBox;
    box->setStyleSheet(rowCheckStyle(s));
    m_groupCells->setCheckStamp(box, box);
    const QList<int> &shown = m_targets.shownGroups();
    QVector<CheckTableModel::Row> rows;
    rows.reserve(shown.size());
    for (int group : shown) {
        const VelkGroups &g = m_targets.groups().at(group);
        rows.append({{QString(), g.groupName, QString::number(g.extraValue)}, m_targets.isGroupChecked(group), 0});
    }
    tableWidgetGroup->verticalHeader()->setDefaultSectionSize(int(s * kRowHeight));
    m_groupRows->setRows(rows);
    tableWidgetGroup->scrollToTop();
}

void BroadcastSchedule::setColumnWidths()
{
    const int widths[] = {deviceCheckBoxAll->width(), deviceHeaderPower->width(), deviceHeaderDevice->width(),
                          deviceHeaderGroup->width(), deviceHeaderType->width() - 12};
    for (int column = 0; column < 5; ++column)
        tableWidgetDevice->setColumnWidth(column, widths[column]);
    tableWidgetGroup->setColumnWidth(0, groupCheckBoxAll->width());
    tableWidgetGroup->setColumnWidth(1, groupHeaderGroup->width());
    tableWidgetGroup->setColumnWidth(2, groupHeaderDeviceCounts->width() - 12);
}

void BroadcastSchedule::placeSortIndicators()
{
    const double s = getScaleFactor();
    const int arrow = ScaleMath::truncScaled(8, s);
    const QLabel *headers[] = {deviceHeaderPower, deviceHeaderDevice, deviceHeaderGroup, groupHeaderGroup,
                               groupHeaderDeviceCounts};
    for (int i = 0; i < 5; ++i) {
        const QLabel *label = headers[i];
        // The labels of the page not shown have no place in the step yet: both pages lie at the same spot.
        const QPoint origin = stackedWidgetTables->mapTo(this, label->geometry().topLeft());
        const int textWidth = label->fontMetrics().horizontalAdvance(label->text()) + ScaleMath::truncScaled(10, s);
        const int x = uiLayoutDirection() == Qt::RightToLeft
                          ? origin.x() + label->width() - textWidth - kIndicatorGap - arrow
                          : origin.x() + textWidth + kIndicatorGap;
        m_indicators[i]->setGeometry(x, origin.y() + (label->height() - arrow) / 2, arrow, arrow);
    }
    // An open filter pop-up covers the arrows.
    widgetFilterParent->raise();
}

void BroadcastSchedule::updateSortIndicators()
{
    for (int i = 0; i < 3; ++i)
        m_indicators[i]->setState(m_targets.deviceArrows().state(i));
    for (int i = 0; i < 2; ++i)
        m_indicators[3 + i]->setState(m_targets.groupArrows().state(i));
}

void BroadcastSchedule::showSortIndicators(bool devicePage)
{
    for (int i = 0; i < 5; ++i)
        m_indicators[i]->setVisible(devicePage == (i < 3));
}

void BroadcastSchedule::updateTotalInfo()
{
    deviceTotalText = m_targets.deviceTotalText();
    groupTotalText = m_targets.groupTotalText();
}

void BroadcastSchedule::showTotal()
{
    if (m_devicesUnread) {
        labelTotalInfo->setText(unreadableText());
        return;
    }
    labelTotalInfo->setText(comboBoxType->currentIndex() == 0 ? deviceTotalText : groupTotalText);
}

void BroadcastSchedule::showContentByType(int indexOfType)
{
    stackedWidgetTables->setCurrentIndex(indexOfType);
    showSortIndicators(indexOfType == 0);
    showTotal();
}

void BroadcastSchedule::btnFilterClicked()
{
    widgetFilterParent->show();
    widgetFilterParent->raise();
    btnFilter->setStyleSheet(filterButtonSelectedStyle);
    widgetFilterDevice->setVisible(devicePageShown());
    widgetFilterGroup->setVisible(!devicePageShown());
}

void BroadcastSchedule::pressEvent(QMouseEvent *event)
{
    for (QFrame *popup : {widgetFilterDevice, widgetFilterGroup}) {
        if (!popup->isVisible())
            continue;
        if (popup->geometry().contains(event->pos())) {
            event->accept();
            return;
        }
        widgetFilterParent->hide();
        popup->hide();
        btnFilter->setStyleSheet(filterButtonNormalStyle);
    }
    event->accept();
}

void BroadcastSchedule::btnApplyFilterClicked()
{
    widgetFilterParent->hide();
    widgetFilterDevice->hide();
    widgetFilterGroup->hide();
    btnFilter->setStyleSheet(filterButtonNormalStyle);
    showFilteredTableContent();
}

void BroadcastSchedule::showFilteredTableContent()
{
    const QString text = lineEditFilter->text();
    if (devicePageShown()) {
        m_targets.filterDevices(text, checkBox1Device->isChecked(), checkBox1Group->isChecked(),
                                checkBox1Type->isChecked());
        fillDeviceTable();
    } else {
        m_targets.filterGroups(text, checkBox2Group->isChecked(), checkBox2Counts->isChecked());
        fillGroupTable();
    }
}

void BroadcastSchedule::setPageChecked(bool checked)
{
    if (devicePageShown()) {
        for (int i : m_targets.shownDevices())
            m_targets.setDeviceChecked(i, checked);
        m_deviceRows->setAllChecked(checked);
    } else {
        for (int i : m_targets.shownGroups())
            m_targets.setGroupChecked(i, checked);
        m_groupRows->setAllChecked(checked);
    }
}

void BroadcastSchedule::checkBoxAllClicked(bool checked)
{
    setPageChecked(checked);
    updateSelectedInfo();
}

void BroadcastSchedule::tableRowCheckBoxClicked(int row, bool checked)
{
    // Only the page shown takes clicks.
    const bool devicePage = sender() == m_deviceRows;
    if (devicePage != devicePageShown())
        return;
    const CheckTableModel *rows = devicePage ? m_deviceRows : m_groupRows;
    QCheckBox *all = devicePage ? deviceCheckBoxAll : groupCheckBoxAll;
    if (devicePage)
        m_targets.setDeviceChecked(m_targets.shownDevices().at(row), checked);
    else
        m_targets.setGroupChecked(m_targets.shownGroups().at(row), checked);
    if (checked) {
        if (rows->allChecked())
            all->setChecked(true);
    } else if (all->isChecked()) {
        all->setChecked(false);
    }
    updateSelectedInfo();
}

void BroadcastSchedule::updateSelectedInfo()
{
    const bool groupPage = !devicePageShown();
    m_targets.kindsOf(groupPage, &isHaveControlBox, &isHaveAudioDevice);
    const int n = groupPage ? m_targets.checkedGroups().size() : m_targets.checkedDevices().size();
    if (n == 0) {
        selectedInfoWidget->hide();
        comboBoxType->show();
        lineEditFilter->show();
        btnFilter->show();
        selectScheduleWidget->hide();
        btnNext->setEnabled(false);
        return;
    }
    comboBoxType->hide();
    lineEditFilter->hide();
    btnFilter->hide();
    labelSelectedInfo->setText(m_targets.selectionText(groupPage));
    selectedInfoWidget->show();
    selectScheduleWidget->show();
    btnNext->setEnabled(true);
}

void BroadcastSchedule::closeSelectedInfo()
{
    selectedInfoWidget->hide();
    comboBoxType->show();
    lineEditFilter->show();
    btnFilter->show();
    (devicePageShown() ? deviceCheckBoxAll : groupCheckBoxAll)->setChecked(false);
    setPageChecked(false);
    selectScheduleWidget->hide();
    btnNext->setEnabled(false);
}

void BroadcastSchedule::sortBy(BroadcastTargetModel::DeviceColumn column)
{
    m_targets.clickDeviceColumn(column);
    fillDeviceTable();
    updateSortIndicators();
}

void BroadcastSchedule::sortBy(BroadcastTargetModel::GroupColumn column)
{
    m_targets.clickGroupColumn(column);
    fillGroupTable();
    updateSortIndicators();
}

void BroadcastSchedule::sortingDeviceByPower()
{
    sortBy(BroadcastTargetModel::Power);
}

void BroadcastSchedule::sortingDeviceByDevice()
{
    sortBy(BroadcastTargetModel::Device);
}

void BroadcastSchedule::sortingDeviceByGroup()
{
    sortBy(BroadcastTargetModel::DeviceGroup);
}

void BroadcastSchedule::sortingGroupByGroupName()
{
    sortBy(BroadcastTargetModel::Group);
}

void BroadcastSchedule::sortingGroupByDeviceCounts()
{
    sortBy(BroadcastTargetModel::DeviceCount);
}

void BroadcastSchedule::resetFilterWidgets()
{
    lineEditFilter->clear();
    lineEditFilter->clearFocus();
    lineEditFilter->show();
    btnFilter->show();
    btnFilter->setStyleSheet(filterButtonNormalStyle);
    widgetFilterParent->hide();
    widgetFilterDevice->hide();
    widgetFilterGroup->hide();
    for (QCheckBox *box : {checkBox1Device, checkBox1Group, checkBox1Type, checkBox2Group, checkBox2Counts})
        box->setChecked(true);
}

// --- schedule ------------------------------------------------------------------------------------------------------

void BroadcastSchedule::setScheduleInputsEnabled(bool enabled)
{
    for (QWidget *widget :
         std::initializer_list<QWidget *>{labelStartDate, calendarWidget, labelBroadcastTime, spinBox_Time_HR,
                                          labelPointTime, spinBox_Time_Min, labelRepeat, btnRepeatSun, btnRepeatMon,
                                          btnRepeatTue, btnRepeatWed, btnRepeatThu, btnRepeatFri, btnRepeatSat})
        widget->setEnabled(enabled);
}

void BroadcastSchedule::setMode(bool now)
{
    broadcastData.isNow = now;
    btnSchedule->setStyleSheet(now ? scheduleNormalStyle : scheduleSelectedStyle);
    btnBroadcastNow->setStyleSheet(now ? nowSelectedStyle : nowNormalStyle);
    setScheduleInputsEnabled(!now);
}

void BroadcastSchedule::scheduleClicked()
{
    if (!broadcastData.isNow)
        return;
    setMode(false);
    if (!needDefaultScheduleTime)
        return;
    const QDateTime proposed = BroadcastTiming::defaultScheduleMoment(m_clock->now());
    calendarWidget->setSelectedDate(proposed.date());
    setTime(proposed.time().hour(), proposed.time().minute());
    needDefaultScheduleTime = false;
}

void BroadcastSchedule::broadcastNowClicked()
{
    if (broadcastData.isNow)
        return;
    setMode(true);
}

void BroadcastSchedule::toggleRepeat(bool VelkBroadcast::*flag, QToolButton *button)
{
    broadcastData.*flag = !(broadcastData.*flag);
    button->setStyleSheet(broadcastData.*flag ? repeatOnStyle : repeatOffStyle);
}

void BroadcastSchedule::repeatSunClicked()
{
    toggleRepeat(&VelkBroadcast::repeatSun, btnRepeatSun);
}

void BroadcastSchedule::repeatMonClicked()
{
    toggleRepeat(&VelkBroadcast::repeatMon, btnRepeatMon);
}

void BroadcastSchedule::repeatTueClicked()
{
    toggleRepeat(&VelkBroadcast::repeatTue, btnRepeatTue);
}

void BroadcastSchedule::repeatWedClicked()
{
    toggleRepeat(&VelkBroadcast::repeatWed, btnRepeatWed);
}

void BroadcastSchedule::repeatThuClicked()
{
    toggleRepeat(&VelkBroadcast::repeatThu, btnRepeatThu);
}

void BroadcastSchedule::repeatFriClicked()
{
    toggleRepeat(&VelkBroadcast::repeatFri, btnRepeatFri);
}

void BroadcastSchedule::repeatSatClicked()
{
    toggleRepeat(&VelkBroadcast::repeatSat, btnRepeatSat);
}

void BroadcastSchedule::setTime(int hour, int minute)
{
    spinBox_Time_HR->setValue(hour);
    spinBox_Time_Min->setValue(minute);
    for (ScheduleSettingSpinBox *box : {spinBox_Time_HR, spinBox_Time_Min})
        box->clearFocus();
}

void BroadcastSchedule::updateRepeatButtons()
{
    const std::pair<QToolButton *, bool> days[] = {
        {btnRepeatSun, broadcastData.repeatSun}, {btnRepeatMon, broadcastData.repeatMon},
        {btnRepeatTue, broadcastData.repeatTue}, {btnRepeatWed, broadcastData.repeatWed},
        {btnRepeatThu, broadcastData.repeatThu}, {btnRepeatFri, broadcastData.repeatFri},
        {btnRepeatSat, broadcastData.repeatSat}};
    for (const auto &day : days)
        day.first->setStyleSheet(day.second ? repeatOnStyle : repeatOffStyle);
}

void BroadcastSchedule::showMessage(const QString &text)
{
    m_messageDialog->setMessage(text);
    DialogPlacementRule::centreOnScreenOf(m_messageDialog, this);
    m_messageDialog->show();
}

void BroadcastSchedule::btnNextClicked()
{
    writeLog(LOG_LEVEL_INFO, "BroadcastSchedule::btnNextClicked");
    BroadcastTask task;
    task.broadcast.bid = broadcastData.bid;
    if (broadcastData.bid != 0 && BroadcastManager::getInstance()->isBroadcastTaskRunning(task)) {
        writeLog(LOG_LEVEL_INFO, "BroadcastSchedule::addBroadcastClicked, broadcast task running, can NOT edit");
        showMessage(tr("Can not edit this broadcast."));
        return;
    }
    if (!broadcastData.isNow && !BroadcastTiming::isLater(calendarWidget->selectedDate(), spinBox_Time_HR->value(),
                                                          spinBox_Time_Min->value(), m_clock->now())) {
        writeLog(LOG_LEVEL_INFO, "BroadcastSchedule::addBroadcastClicked, can NOT set a past time");
        showMessage(tr("You can't select the date to broadcast before right now."));
        return;
    }
    emit emitBtnNextClicked(isHaveControlBox, isHaveAudioDevice);
}

VelkBroadcast BroadcastSchedule::getBroadcastData()
{
    writeLog(LOG_LEVEL_INFO, "BroadcastSchedule::getBroadcastData");
    if (devicePageShown()) {
        broadcastData.target = 2;
        broadcastData.devices = m_targets.checkedDevices();
    } else {
        broadcastData.target = 3;
        broadcastData.groups = m_targets.checkedGroups();
    }
    if (broadcastData.isNow) {
        const QDateTime now = m_clock->now();
        broadcastData.startDate = now.toString(QStringLiteral("yyyy-MM-dd"));
        broadcastData.time = BroadcastTiming::timeText(now.time().hour(), now.time().minute());
        broadcastData.repeatSun = broadcastData.repeatMon = broadcastData.repeatTue = broadcastData.repeatWed =
            broadcastData.repeatThu = broadcastData.repeatFri = broadcastData.repeatSat = false;
    } else {
        broadcastData.startDate = calendarWidget->selectedDate().toString(QStringLiteral("yyyy-MM-dd"));
        broadcastData.time = BroadcastTiming::timeText(spinBox_Time_HR->value(), spinBox_Time_Min->value());
    }
    return broadcastData;
}

void BroadcastSchedule::newBroadcast()
{
    prepareTargets();
    resetForNewBroadcast();
}

void BroadcastSchedule::resetForNewBroadcast()
{
    broadcastData.bid = 0;
    refreshTables();
    comboBoxType->show();
    comboBoxType->setCurrentIndex(0);
    stackedWidgetTables->setCurrentIndex(0);
    showSortIndicators(true);
    resetFilterWidgets();
    selectedInfoWidget->hide();
    deviceCheckBoxAll->setChecked(false);
    groupCheckBoxAll->setChecked(false);
    updateTotalInfo();
    showTotal();
    needDefaultScheduleTime = true;
    setMode(true);
    calendarWidget->setSelectedDate(m_clock->now().date());
    setTime(0, 0);
    broadcastData.repeatSun = broadcastData.repeatMon = broadcastData.repeatTue = broadcastData.repeatWed =
        broadcastData.repeatThu = broadcastData.repeatFri = broadcastData.repeatSat = false;
    updateRepeatButtons();
    selectScheduleWidget->hide();
    btnNext->setEnabled(false);
}

void BroadcastSchedule::checkTargetsOf(const VelkBroadcast &b)
{
    if (b.target == 2) {
        for (const VelkIFPDevice &device : qAsConst(b.devices)) {
            for (int i = 0; i < m_targets.devices().size(); ++i) {
                if (m_targets.devices().at(i).deviceName == device.deviceName) {
                    m_targets.setDeviceChecked(i, true);
                    break;
                }
            }
        }
    } else if (b.target == 3) {
        for (const VelkGroups &group : qAsConst(b.groups)) {
            for (int i = 0; i < m_targets.groups().size(); ++i) {
                if (m_targets.groups().at(i).groupName == group.groupName) {
                    m_targets.setGroupChecked(i, true);
                    break;
                }
            }
        }
    }
}

void BroadcastSchedule::loadBroadcast(VelkBroadcast b)
{
    broadcastData.status = b.status;
    broadcastData.bid = b.bid;
    broadcastData.target = b.target;
    broadcastData.isNow = b.isNow;
    broadcastData.startDate = b.startDate;
    broadcastData.time = b.time;
    broadcastData.repeatSun = b.repeatSun;
    broadcastData.repeatMon = b.repeatMon;
    broadcastData.repeatTue = b.repeatTue;
    broadcastData.repeatWed = b.repeatWed;
    broadcastData.repeatThu = b.repeatThu;
    broadcastData.repeatFri = b.repeatFri;
    broadcastData.repeatSat = b.repeatSat;
    broadcastData.devices = b.devices;
    broadcastData.groups = b.groups;
    prepareTargets();
    if (b.target == 2 || b.target == 3) {
        const bool devices = b.target == 2;
        comboBoxType->setCurrentIndex(devices ? 0 : 1);
        stackedWidgetTables->setCurrentIndex(devices ? 0 : 1);
        checkTargetsOf(b);
    }
    refreshTables();
    const int deviceRows = m_targets.shownDevices().size();
    const int groupRows = m_targets.shownGroups().size();
    deviceCheckBoxAll->setChecked(b.target == 2 && deviceRows > 0 && m_targets.checkedDevices().size() == deviceRows);
    groupCheckBoxAll->setChecked(b.target == 3 && groupRows > 0 && m_targets.checkedGroups().size() == groupRows);
    showSortIndicators(devicePageShown());
    updateSelectedInfo();
    lineEditFilter->clear();
    lineEditFilter->clearFocus();
    btnFilter->setStyleSheet(filterButtonNormalStyle);
    widgetFilterParent->hide();
    widgetFilterDevice->hide();
    widgetFilterGroup->hide();
    for (QCheckBox *box : {checkBox1Device, checkBox1Group, checkBox1Type, checkBox2Group, checkBox2Counts})
        box->setChecked(true);
    updateTotalInfo();
    showTotal();
    if (b.isNow) {
        needDefaultScheduleTime = true;
        setMode(true);
        calendarWidget->setSelectedDate(m_clock->now().date());
        setTime(0, 0);
        broadcastData.repeatSun = broadcastData.repeatMon = broadcastData.repeatTue = broadcastData.repeatWed =
            broadcastData.repeatThu = broadcastData.repeatFri = broadcastData.repeatSat = false;
    } else {
        needDefaultScheduleTime = false;
        setMode(false);
        calendarWidget->setSelectedDate(QDate::fromString(b.startDate, QStringLiteral("yyyy-MM-dd")));
        const QStringList parts = b.time.split(QLatin1Char(':'));
        setTime(parts.value(0).toInt(nullptr, 10), parts.value(1).toInt(nullptr, 10));
    }
    updateRepeatButtons();
}

// --- styles and scaling --------------------------------------------------------------------------------------------

void BroadcastSchedule::applyCheckBoxStyle()
{
    const QString suffix = getScaleFactor() >= 2.0 ? QStringLiteral("_2x") : QString();
    const QString all = QStringLiteral("QCheckBox{padding-left:10px;border: 0px;border-bottom: 1px solid #000000;"
                                       "border-image: url(:/resource/scheduling/im_table_title_h.png);}"
                                       "QCheckBox::indicator:checked {    image: "
                                       "url(:/resource/scheduling/im_check_b%1.png);}"
                                       "QCheckBox::indicator:unchecked {    image: "
                                       "url(:/resource/scheduling/im_checkbox%1.png);}")
                            .arg(suffix);
    const QString filter = QStringLiteral("QCheckBox{border: 0px;color: #ffffff;}"
                                          "QCheckBox::indicator:checked {    image: "
                                          "url(:/resource/scheduling/im_check_b%1.png);}"
                                          "QCheckBox::indicator:unchecked {    image: "
                                          "url(:/resource/scheduling/im_checkbox%1.png);}")
                               .arg(suffix);
    for (QCheckBox *box : {deviceCheckBoxAll, groupCheckBoxAll})
        box->setStyleSheet(all);
    for (QCheckBox *box : {checkBox1Device, checkBox1Group, checkBox1Type, checkBox2Group, checkBox2Counts})
        box->setStyleSheet(filter + QStringLiteral("QCheckBox{font-size:%1pt;}").arg(box->font().pointSizeF()));
}

void BroadcastSchedule::scaleUi(bool relativeToPrevious)
{
    const double factor = m_scale.nextFactor(relativeToPrevious, getScaleFactor());
    if (factor == 0.0)
        return;
    resize(ScaleMath::truncScaled(width(), factor), ScaleMath::truncScaled(height(), factor));
    for (QWidget *widget : formWidgets(this)) {
        if (qobject_cast<SortingIndicator *>(widget) || widget == pageDevice || widget == pageGroup)
            continue;
        scaleWidgetGeometry(widget, factor);
    }
    for (ScheduleSettingSpinBox *box : {spinBox_Time_HR, spinBox_Time_Min})
        box->setMaximumWidth(box->width());
    scaleWidgetFonts(this, factor, relativeToPrevious, false);
    setColumnWidths();
    if (relativeToPrevious) {
        placeSortIndicators();
        fillDeviceTable();
        fillGroupTable();
    }
    applyCheckBoxStyle();
}
