#include "firmware/pages/OtaScheduleSetting.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "firmware/IFPUpgradeManager.h"
#include "firmware/pages/OtaMessageDialog.h"
#include "network/CmdServer.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/SortingIndicator.h"
#include "shell/kit/UiHelpers.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {
// The header labels' text padding, in style-sheet pixels (not scaled).
constexpr int HeaderPadding = 10;

int scaled(double length)
{
    return ScaleMath::truncScaled(length, getScaleFactor());
}
} // namespace

OtaScheduleSetting::OtaScheduleSetting(QWidget *parent) : QFrame(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);

    upgradeManager = IFPUpgradeManager::getInstance();
    dbIntf = OrvantaDBManager::getInstance();
    cmdServer = CmdServer::getInstance();
    m_clock = Clock::system();

    comboBoxType->setItemDelegate(new QStyledItemDelegate(comboBoxType));
    comboBoxType->clear();
    comboBoxType->addItem(tr("By Device"), 0);
    comboBoxType->addItem(tr("By Group"), 1);
    comboBoxType->setCurrentIndex(0);
    connect(comboBoxType, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &OtaScheduleSetting::showContentByType);

    OtaFormStyle::setupSearchField(lineEditFilter, tr("Search"));

    connect(lineEditFilter, &QLineEdit::returnPressed, this, &OtaScheduleSetting::showFilteredTableContent);
    connect(btnFilter, &QToolButton::clicked, this, &OtaScheduleSetting::btnFilterClicked);
    connect(btnApply1, &QToolButton::clicked, this, &OtaScheduleSetting::btnApplyFilterClicked);
    connect(btnApply2, &QToolButton::clicked, this, &OtaScheduleSetting::btnApplyFilterClicked);
    connect(widgetFilterParent, &CustomFilterWidget::pressEvent, this, &OtaScheduleSetting::pressEvent);
    connect(deviceCheckBoxAll, &QCheckBox::clicked, this, &OtaScheduleSetting::checkBoxAllClicked);
    connect(groupCheckBoxAll, &QCheckBox::clicked, this, &OtaScheduleSetting::checkBoxAllClicked);
    connect(btnCloseInfo, &QToolButton::clicked, this, &OtaScheduleSetting::closeSelectedInfo);
    connect(btnSchedule, &QToolButton::clicked, this, &OtaScheduleSetting::scheduleClicked);
    connect(btnUpdateNow, &QToolButton::clicked, this, &OtaScheduleSetting::updateNowClicked);
    connect(btnBack, &QToolButton::clicked, this, &OtaScheduleSetting::emitBackClicked);
    connect(btnAddSchedule, &QToolButton::clicked, this, &OtaScheduleSetting::addScheduleClicked);
    connect(deviceHeaderPower, &ClickableLabel::clicked, this, &OtaScheduleSetting::sortingDeviceByPower);
    connect(deviceHeaderDevice, &ClickableLabel::clicked, this, &OtaScheduleSetting::sortingDeviceByDevice);
    connect(deviceHeaderModel, &ClickableLabel::clicked, this, &OtaScheduleSetting::sortingDeviceByModel);
    connect(deviceHeaderGroup, &ClickableLabel::clicked, this, &OtaScheduleSetting::sortingDeviceByGroup);
    connect(deviceHeaderVersion, &ClickableLabel::clicked, this, &OtaScheduleSetting::sortingDeviceByVersion);
    connect(groupHeaderGroup, &ClickableLabel::clicked, this, &OtaScheduleSetting::sortingGroupByGroupName);
    connect(groupHeaderDeviceCounts, &ClickableLabel::clicked, this, &OtaScheduleSetting::sortingGroupByDeviceCounts);
    stackedWidgetTables->setCurrentIndex(0);

    otaMessageDialog = new OtaMessageDialog(this);

    // Each arrow lives on its table's page, beside its header: it moves and hides with that page, and stays under
    // the filter layer.
    SortingIndicator **arrows[] = {&powerIndicator,   &deviceIndicator,    &modelIndicator,       &groupIndicator,
                                   &versionIndicator, &groupNameIndicator, &deviceCountsIndicator};
    for (int i = 0; i < 7; ++i)
        *arrows[i] = new SortingIndicator(i < 5 ? pageDevice : pageGroup);
    if (uiLayoutDirection() == Qt::LeftToRight) {
        comboBoxType->applyStyle(comboBoxType->styleSheet() + QStringLiteral("\nQComboBox {padding-left:12px;}"));
    } else {
        const QString padding = QStringLiteral("padding-left:0px;padding-right:10px;");
        for (QCheckBox *box : {deviceCheckBoxAll, groupCheckBoxAll})
            box->setStyleSheet(box->styleSheet() + QStringLiteral("\nQCheckBox {%1}").arg(padding));
        for (QTableWidget *table : {tableWidgetDevice, tableWidgetGroup})
            table->setStyleSheet(table->styleSheet() + QStringLiteral("\nQTableWidget::item {%1}").arg(padding));
        for (OtaSelection::View view : {OtaSelection::DeviceView, OtaSelection::GroupView}) {
            for (ClickableLabel *label : headerLabels(view))
                OtaFormStyle::mirrorHeader(label);
        }
        calendarWidget->setStyleSheet(
            calendarWidget->styleSheet() +
            QStringLiteral("\nQCalendarWidget QToolButton#qt_calendar_prevmonth{"
                           "qproperty-icon: url(:/resource/scheduling/btn_arrow_calendar_r_normal.PNG);}"
                           "\nQCalendarWidget QToolButton#qt_calendar_nextmonth{"
                           "qproperty-icon: url(:/resource/scheduling/btn_arrow_calendar_l_normal.png);}"));
        for (QWidget *popup : {widgetFilterDevice, widgetFilterGroup})
            popup->move(scaled(637), scaled(80));
        mirrorHeaderRows();
    }
    setColumnWidths();
    elideTexts();
    placeSortingIndicators();
    updateSortingIndicators();
    showContentByType(0);

    applyCalendarLanguage(calendarWidget, dbIntf);
}

OtaScheduleSetting::~OtaScheduleSetting() = default;

void OtaScheduleSetting::setClock(Clock *clock)
{
    m_clock = clock ? clock : Clock::system();
}

OtaSelection::View OtaScheduleSetting::currentView() const
{
    return stackedWidgetTables->currentIndex() == 1 ? OtaSelection::GroupView : OtaSelection::DeviceView;
}

// --- preparing the page ------------------------------------------------------------------------------------------

void OtaScheduleSetting::prepareRows()
{
    m_selection.load(upgradeManager->getOldDeviceList(), dbIntf,
                     [this](const VelkIFPDevice &device) { return cmdServer->isDeviceOnline(device); });
}

void OtaScheduleSetting::resetForm()
{
    showNewVersionInfo();
    prepareRows();
    updateSortingIndicators();
    fillTables();
    lineEditFilter->clear();
    lineEditFilter->clearFocus();
    lineEditFilter->show();
    btnFilter->show();
    hideFilterPopups();
    for (QCheckBox *box :
         {checkBox1Device, checkBox1Model, checkBox1Group, checkBox1FW, checkBox2Group, checkBox2Counts})
        box->setChecked(true);
    deviceCheckBoxAll->setChecked(false);
    groupCheckBoxAll->setChecked(false);
}

void OtaScheduleSetting::initNewSchedule()
{
    m_editingScheduleId = 0;
    resetForm();
    comboBoxType->show();
    comboBoxType->setCurrentIndex(0);
    showContentByType(0);
    selectedInfoWidget->hide();
    updateTotalInfo();
    calendarWidget->setSelectedDate(m_clock->now().date());
    for (QSpinBox *spin : {static_cast<QSpinBox *>(spinBox_Time_HR), static_cast<QSpinBox *>(spinBox_Time_Min)}) {
        spin->setValue(0);
        spin->clearFocus();
    }
    setUpdateNow(false);
    selectScheduleWidget->hide();
    btnAddSchedule->setEnabled(false);
}

void OtaScheduleSetting::loadSchedule(VelkOtaSchedule schedule)
{
    m_editingScheduleId = schedule.osid;
    resetForm();
    const OtaSelection::View view = m_selection.checkTargets(schedule);
    comboBoxType->setCurrentIndex(view);
    showContentByType(view);
    fillTables();
    deviceCheckBoxAll->setChecked(view == OtaSelection::DeviceView && m_selection.allChecked(view));
    groupCheckBoxAll->setChecked(view == OtaSelection::GroupView && m_selection.allChecked(view));
    updateSelectedInfo();
    updateTotalInfo();

    setUpdateNow(false);
    const QDate date = QDate::fromString(schedule.date, QStringLiteral("yyyy-MM-dd"));
    calendarWidget->setSelectedDate(date.isValid() ? date : m_clock->now().date());
    // Stored times are "hh:mm" as this page writes them; anything else opens as 00:00 rather than as a guess.
    const QStringList parts = schedule.time.split(QLatin1Char(':'));
    bool hourOk = false;
    bool minuteOk = false;
    const int hour = parts.value(0).toInt(&hourOk);
    const int minute = parts.value(1).toInt(&minuteOk);
    const bool valid = parts.size() == 2 && hourOk && minuteOk && QTime(hour, minute).isValid();
    if (!valid)
        writeLog(LOG_LEVEL_WARNING, "OtaScheduleSetting::loadSchedule, unreadable time of schedule %u", schedule.osid);
    spinBox_Time_HR->setValue(valid ? hour : 0);
    spinBox_Time_Min->setValue(valid ? minute : 0);
    spinBox_Time_HR->clearFocus();
    spinBox_Time_Min->clearFocus();
}

void OtaScheduleSetting::showNewVersionInfo()
{
    QStringList models = upgradeManager->getOldDeviceModelNameSet().values();
    std::sort(models.begin(), models.end());
    const QString open = uiLayoutDirection() == Qt::RightToLeft ? QStringLiteral("\u202d(") : QStringLiteral("(");
    QStringList entries;
    for (const QString &model : qAsConst(models))
        entries << model + open + upgradeManager->getNewestFwVersionText(model) + QLatin1Char(')');
    const QString text = tr("New Version : ") + entries.join(QStringLiteral(", "));
    setElidedLabelText(labelNewVersionInfo, text, labelNewVersionInfo->width());
    labelNewVersionInfo->setToolTip(plainToolTip(text));
}

// --- tables ------------------------------------------------------------------------------------------------------

QList<QCheckBox *> &OtaScheduleSetting::checkBoxes(OtaSelection::View view)
{
    return view == OtaSelection::DeviceView ? deviceCheckBoxList : groupCheckBoxList;
}

void OtaScheduleSetting::fillTables()
{
    fillTable(OtaSelection::DeviceView);
    fillTable(OtaSelection::GroupView);
}

void OtaScheduleSetting::fillTable(OtaSelection::View view)
{
    const bool devices = view == OtaSelection::DeviceView;
    QTableWidget *table = devices ? tableWidgetDevice : tableWidgetGroup;
    QList<QCheckBox *> &boxes = checkBoxes(view);
    boxes.clear();
    table->clearContents();
    table->setRowCount(0);
    const int rows = m_selection.rowCount(view);
    table->setRowCount(rows);
    const double scale = getScaleFactor();
    const QString suffix = scale >= 2.0 ? QStringLiteral("_2x") : QString();
    const QString boxStyle =
        QStringLiteral("QCheckBox{padding-left:10px;}"
                       "QCheckBox::indicator:checked {     image: url(:/resource/scheduling/im_check_b%1.png);}"
                       "QCheckBox::indicator:unchecked {     image: url(:/resource/scheduling/im_checkbox%1.png);}")
            .arg(suffix);
    const int rowHeight = scaled(39);
    const int icon = scaled(12);
    for (int row = 0; row < rows; ++row) {
        table->setRowHeight(row, rowHeight);
        auto *box = new QCheckBox;
        box->setStyleSheet(boxStyle);
        box->setCursor(Qt::PointingHandCursor);
        box->setChecked(m_selection.isChecked(view, row));
        boxes.append(box);
        table->setCellWidget(row, 0, box);
        connect(box, &QCheckBox::clicked, this, &OtaScheduleSetting::tableRowCheckBoxClicked);
        if (!devices) {
            const VelkGroups &group = m_selection.group(row);
            table->setItem(row, 1, new QTableWidgetItem(BoundedText::shown(group.groupName)));
            table->setItem(row, 2, new QTableWidgetItem(QString::number(group.extraValue)));
            continue;
        }
        const VelkIFPDevice &device = m_selection.device(row);
        auto *cell = new QWidget;
        auto *layout = new QHBoxLayout(cell);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *power = new QLabel;
        power->setFixedSize(icon, icon);
        power->setStyleSheet(
            QStringLiteral("QLabel{border-image: url(:/resource/scheduling/%1);}")
                .arg(device.isOnline ? QStringLiteral("power_on.PNG") : QStringLiteral("power_off.PNG")));
        // A device known by its address alone that is off cannot be woken for the update, which needs its MAC.
        const QString unreachable =
            !device.isOnline && !cmdServer->canWake(device)
                ? tr("Known by its IP address alone, it cannot be woken for the update: it is updated only if it is "
                     "on when the update starts.")
                : QString();
        const auto noted = [&unreachable](const QString &text) {
            return unreachable.isEmpty() ? text : text + QLatin1Char('\n') + unreachable;
        };
        power->setToolTip(device.isOnline ? tr("Online") : noted(tr("Offline")));
        layout->addWidget(power, 0, Qt::AlignCenter);
        table->setCellWidget(row, 1, cell);
        const QStringList texts = {BoundedText::shown(device.deviceName), BoundedText::shown(device.modelName),
                                   device.extraText, BoundedText::shown(device.fwVersion)};
        for (int column = 0; column < texts.size(); ++column) {
            auto *item = new QTableWidgetItem(texts.at(column));
            item->setToolTip(column == 0 && !unreachable.isEmpty() ? plainToolTip({texts.at(column), unreachable})
                                                                   : plainToolTip(texts.at(column)));
            table->setItem(row, column + 2, item);
        }
    }
}

void OtaScheduleSetting::setColumnWidths()
{
    const QList<QWidget *> device = {deviceCheckBoxAll, deviceHeaderPower, deviceHeaderDevice,
                                     deviceHeaderModel, deviceHeaderGroup, deviceHeaderVersion};
    for (int column = 0; column < device.size(); ++column)
        tableWidgetDevice->setColumnWidth(column, device.at(column)->width() - (column == 5 ? 12 : 0));
    const QList<QWidget *> group = {groupCheckBoxAll, groupHeaderGroup, groupHeaderDeviceCounts};
    for (int column = 0; column < group.size(); ++column)
        tableWidgetGroup->setColumnWidth(column, group.at(column)->width() - (column == 2 ? 12 : 0));
}

// --- views, selection and filter -----------------------------------------------------------------------------------

void OtaScheduleSetting::showContentByType(int indexOfType)
{
    stackedWidgetTables->setCurrentIndex(indexOfType == 1 ? 1 : 0);
    updateTotalInfo();
}

void OtaScheduleSetting::updateTotalInfo()
{
    labelTotalInfo->setText(currentView() == OtaSelection::DeviceView ? m_selection.deviceTotalText()
                                                                      : m_selection.groupTotalText());
}

void OtaScheduleSetting::setSelectionBarShown(bool shown)
{
    selectedInfoWidget->setVisible(shown);
    comboBoxType->setVisible(!shown);
    lineEditFilter->setVisible(!shown);
    btnFilter->setVisible(!shown);
    selectScheduleWidget->setVisible(shown);
    btnAddSchedule->setEnabled(shown);
}

void OtaScheduleSetting::updateSelectedInfo()
{
    const OtaSelection::View view = currentView();
    const bool any = m_selection.checkedCount(view) > 0;
    if (any)
        labelSelectedInfo->setText(m_selection.selectionText(view));
    setSelectionBarShown(any);
}

void OtaScheduleSetting::checkBoxAllClicked(bool checked)
{
    const OtaSelection::View view = currentView();
    m_selection.setAllChecked(view, checked);
    for (QCheckBox *box : qAsConst(checkBoxes(view)))
        box->setChecked(checked);
    updateSelectedInfo();
}

void OtaScheduleSetting::tableRowCheckBoxClicked(bool checked)
{
    const OtaSelection::View view = currentView();
    const int row = checkBoxes(view).indexOf(qobject_cast<QCheckBox *>(sender()));
    if (row < 0)
        return;
    m_selection.setChecked(view, row, checked);
    QCheckBox *all = view == OtaSelection::DeviceView ? deviceCheckBoxAll : groupCheckBoxAll;
    if (checked && m_selection.allChecked(view))
        all->setChecked(true);
    else if (!checked && all->isChecked())
        all->setChecked(false);
    updateSelectedInfo();
}

void OtaScheduleSetting::closeSelectedInfo()
{
    checkBoxAllClicked(false);
    deviceCheckBoxAll->setChecked(false);
    groupCheckBoxAll->setChecked(false);
}

void OtaScheduleSetting::btnFilterClicked()
{
    widgetFilterParent->show();
    btnFilter->setStyleSheet(OtaFormStyle::filterButtonStyle(true));
    const bool device = currentView() == OtaSelection::DeviceView;
    widgetFilterDevice->setVisible(device);
    widgetFilterGroup->setVisible(!device);
}

void OtaScheduleSetting::hideFilterPopups()
{
    widgetFilterParent->hide();
    widgetFilterDevice->hide();
    widgetFilterGroup->hide();
    btnFilter->setStyleSheet(OtaFormStyle::filterButtonStyle(false));
}

void OtaScheduleSetting::pressEvent(QMouseEvent *event)
{
    for (QWidget *popup : {widgetFilterDevice, widgetFilterGroup}) {
        if (!popup->isVisible())
            continue;
        const QRect area(popup->x(), popup->y(), popup->width() + 1, popup->height() + 1);
        if (!area.contains(event->pos()))
            hideFilterPopups();
    }
    event->accept();
}

void OtaScheduleSetting::btnApplyFilterClicked()
{
    hideFilterPopups();
    applyFilter();
}

void OtaScheduleSetting::showFilteredTableContent()
{
    applyFilter();
}

void OtaScheduleSetting::applyFilter()
{
    const OtaSelection::View view = currentView();
    int fields = 0;
    const QList<QPair<QCheckBox *, int>> boxes = {
        {checkBox1Device, OtaSelection::FieldDeviceName}, {checkBox1Model, OtaSelection::FieldModel},
        {checkBox1Group, OtaSelection::FieldGroups},      {checkBox1FW, OtaSelection::FieldFwVersion},
        {checkBox2Group, OtaSelection::FieldGroupName},   {checkBox2Counts, OtaSelection::FieldDeviceCount}};
    for (const auto &box : boxes) {
        if (box.first->isChecked())
            fields |= box.second;
    }
    m_selection.applyFilter(view, lineEditFilter->text(), fields);
    fillTable(view);
    (view == OtaSelection::DeviceView ? deviceCheckBoxAll : groupCheckBoxAll)->setChecked(false);
    updateSelectedInfo();
}

// --- sorting -----------------------------------------------------------------------------------------------------

QList<SortingIndicator *> OtaScheduleSetting::indicators(OtaSelection::View view) const
{
    if (view == OtaSelection::DeviceView)
        return {powerIndicator, deviceIndicator, modelIndicator, groupIndicator, versionIndicator};
    return {groupNameIndicator, deviceCountsIndicator};
}

QList<ClickableLabel *> OtaScheduleSetting::headerLabels(OtaSelection::View view) const
{
    if (view == OtaSelection::DeviceView)
        return {deviceHeaderPower, deviceHeaderDevice, deviceHeaderModel, deviceHeaderGroup, deviceHeaderVersion};
    return {groupHeaderGroup, groupHeaderDeviceCounts};
}

void OtaScheduleSetting::updateSortingIndicators()
{
    for (OtaSelection::View view : {OtaSelection::DeviceView, OtaSelection::GroupView}) {
        const QList<SortingIndicator *> arrows = indicators(view);
        for (int column = 0; column < arrows.size(); ++column)
            arrows.at(column)->setState(m_selection.indicators(view).state(column));
    }
}

// The header texts leave room for their padding, the gap and the sort arrow.
void OtaScheduleSetting::elideTexts()
{
    retranslateUi(this);
    const double scale = getScaleFactor();
    setElidedLabelText(labelSchedulingTitle, labelSchedulingTitle->text(), labelSchedulingTitle->width());
    for (OtaSelection::View view : {OtaSelection::DeviceView, OtaSelection::GroupView}) {
        for (ClickableLabel *label : headerLabels(view))
            setElidedLabelText(label, label->text(), label->width() - HeaderPadding - int(14 * scale));
    }
    setElidedButtonText(btnSchedule, btnSchedule->text(), btnSchedule->width() - int(70 * scale));
    setElidedButtonText(btnUpdateNow, btnUpdateNow->text(), btnUpdateNow->width() - int(60 * scale));
}

// Each arrow sits just after its header's text, or before it in right-to-left layout.
void OtaScheduleSetting::placeSortingIndicators()
{
    const int side = scaled(8);
    const int gap = scaled(6);
    for (OtaSelection::View view : {OtaSelection::DeviceView, OtaSelection::GroupView}) {
        const QList<ClickableLabel *> labels = headerLabels(view);
        const QList<SortingIndicator *> arrows = indicators(view);
        for (int column = 0; column < labels.size(); ++column) {
            ClickableLabel *label = labels.at(column);
            const int text = label->fontMetrics().horizontalAdvance(label->text()) + HeaderPadding + gap;
            const int x =
                uiLayoutDirection() == Qt::RightToLeft ? label->x() + label->width() - text - side : label->x() + text;
            arrows.at(column)->setGeometry(x, label->y() + (label->height() - side) / 2, side, side);
            arrows.at(column)->raise();
        }
    }
}

void OtaScheduleSetting::sortBy(OtaSelection::View view, int column)
{
    m_selection.clickHeader(view, column);
    updateSortingIndicators();
    fillTable(view);
}

void OtaScheduleSetting::sortingDeviceByPower()
{
    sortBy(OtaSelection::DeviceView, OtaSelection::PowerColumn);
}

void OtaScheduleSetting::sortingDeviceByDevice()
{
    sortBy(OtaSelection::DeviceView, OtaSelection::DeviceNameColumn);
}

void OtaScheduleSetting::sortingDeviceByModel()
{
    sortBy(OtaSelection::DeviceView, OtaSelection::ModelColumn);
}

void OtaScheduleSetting::sortingDeviceByGroup()
{
    sortBy(OtaSelection::DeviceView, OtaSelection::GroupsColumn);
}

void OtaScheduleSetting::sortingDeviceByVersion()
{
    sortBy(OtaSelection::DeviceView, OtaSelection::VersionColumn);
}

void OtaScheduleSetting::sortingGroupByGroupName()
{
    sortBy(OtaSelection::GroupView, OtaSelection::GroupNameColumn);
}

void OtaScheduleSetting::sortingGroupByDeviceCounts()
{
    sortBy(OtaSelection::GroupView, OtaSelection::DeviceCountColumn);
}

// --- mode, back and save -------------------------------------------------------------------------------------------

void OtaScheduleSetting::setUpdateNow(bool updateNow)
{
    isUpdateNow = updateNow;
    const int padding = scaled(40);
    btnSchedule->setStyleSheet(OtaFormStyle::modeButtonStyle(QStringLiteral("btn_schedule"), !updateNow, padding));
    btnUpdateNow->setStyleSheet(OtaFormStyle::modeButtonStyle(QStringLiteral("btn_update_now"), updateNow, padding));
    for (QWidget *widget : {static_cast<QWidget *>(labelStartDate), static_cast<QWidget *>(calendarWidget),
                            static_cast<QWidget *>(labelFwUpdate), static_cast<QWidget *>(spinBox_Time_HR),
                            static_cast<QWidget *>(labelPointTime), static_cast<QWidget *>(spinBox_Time_Min)})
        widget->setEnabled(!updateNow);
    // The sheets carry their own font size; keep it at the page's scale.
    if (getScaleFactor() != 1.0) {
        scaleStyleSheetFontSize(btnSchedule, 11.0, 0.0, false, false);
        scaleStyleSheetFontSize(btnUpdateNow, 11.0, 0.0, false, false);
    }
}

void OtaScheduleSetting::scheduleClicked()
{
    if (isUpdateNow)
        setUpdateNow(false);
}

void OtaScheduleSetting::updateNowClicked()
{
    if (!isUpdateNow)
        setUpdateNow(true);
}

void OtaScheduleSetting::emitBackClicked()
{
    emit backClicked(m_editingScheduleId != 0);
}

OtaScheduleRules::Request OtaScheduleSetting::request() const
{
    OtaScheduleRules::Request request;
    request.editingScheduleId = m_editingScheduleId;
    request.updateNow = isUpdateNow;
    request.date = calendarWidget->selectedDate();
    request.hour = spinBox_Time_HR->value();
    request.minute = spinBox_Time_Min->value();
    return request;
}

OtaScheduleRules::Notice OtaScheduleSetting::refusal() const
{
    return OtaScheduleRules::check(request(), upgradeManager->getCurrentOtaScheduleId(), upgradeManager->isOtaRunning(),
                                   m_clock->now());
}

void OtaScheduleSetting::showNotice(OtaScheduleRules::Notice notice)
{
    otaMessageDialog->setMessage(OtaScheduleRules::message(notice));
    otaMessageDialog->setButtonText(OtaScheduleRules::buttonText(notice));
    DialogPlacementRule::centreOnScreenOf(otaMessageDialog, this);
    otaMessageDialog->show();
}

namespace {
const char *refusalLog(OtaScheduleRules::Notice notice)
{
    switch (notice) {
    case OtaScheduleRules::EditingRunningSchedule:
        return "ota task running, can NOT edit";
    case OtaScheduleRules::UpdateNowDuringRun:
        return "ota task running, can NOT update now";
    default:
        return "start before the next minute, refused";
    }
}
} // namespace

void OtaScheduleSetting::addScheduleClicked()
{
    disconnect(otaMessageDialog, &OtaMessageDialog::confirmed, this, &OtaScheduleSetting::addSchedule);
    const OtaScheduleRules::Notice notice = refusal();
    if (notice != OtaScheduleRules::Accepted) {
        writeLog(LOG_LEVEL_INFO, "OtaScheduleSetting::addScheduleClicked, %s", refusalLog(notice));
        showNotice(notice);
        return;
    }
    connect(otaMessageDialog, &OtaMessageDialog::confirmed, this, &OtaScheduleSetting::addSchedule,
            Qt::QueuedConnection);
    showNotice(OtaScheduleRules::ConfirmSave);
}

void OtaScheduleSetting::addSchedule()
{
    writeLog(LOG_LEVEL_INFO, "OtaScheduleSetting::addSchedule");
    disconnect(otaMessageDialog, &OtaMessageDialog::confirmed, this, &OtaScheduleSetting::addSchedule);
    // The confirmation may have stood open while a run started or the chosen minute passed.
    const OtaScheduleRules::Notice notice = refusal();
    if (notice != OtaScheduleRules::Accepted) {
        writeLog(LOG_LEVEL_INFO, "OtaScheduleSetting::addSchedule, %s", refusalLog(notice));
        showNotice(notice);
        return;
    }
    VelkOtaSchedule record;
    m_selection.fillTargets(currentView(), record);
    OtaScheduleRules::stamp(request(), m_clock->now(), record);
    quint32 rc = DB_OK;
    if (m_editingScheduleId != 0) {
        rc = dbIntf->updateOtaSchedule(record);
        if (rc != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "addSchedule, updateOtaSchedule error");
    } else {
        rc = dbIntf->insertOtaSchedule(record);
        if (rc != DB_OK)
            writeLog(LOG_LEVEL_ERROR, "addSchedule, insertOtaSchedule error");
    }
    if (rc != DB_OK) {
        // Announcing a schedule that was not stored would have "Update Now" start a record without a row. The page
        // keeps what was entered, the edited schedule's id included, so saving again updates that schedule.
        showNotice(dbIntf->lastFailure() == DbFailure::DiskFull ? OtaScheduleRules::SaveDiskFull
                   : dbIntf->refusedForNow()                    ? OtaScheduleRules::SaveRefusedForNow
                                                                : OtaScheduleRules::SaveFailed);
        return;
    }
    m_editingScheduleId = 0;
    emit addScheduleCompleted(isUpdateNow, record);
}

// --- scale and layout direction -------------------------------------------------------------------------------------

QList<QWidget *> OtaScheduleSetting::headerRow(OtaSelection::View view) const
{
    if (view == OtaSelection::DeviceView)
        return {deviceHeaderLeftBorder, deviceCheckBoxAll, deviceHeaderPower,   deviceHeaderDevice,
                deviceHeaderModel,      deviceHeaderGroup, deviceHeaderVersion, deviceHeaderRightBorder};
    return {groupHeaderLeftBorder, groupCheckBoxAll, groupHeaderGroup, groupHeaderDeviceCounts, groupHeaderRightBorder};
}

// The tables mirror their columns in right-to-left layout by themselves; the header rows above them are placed by
// hand, so they are mirrored across the table's width, which brings each header over its column again.
void OtaScheduleSetting::mirrorHeaderRows()
{
    for (OtaSelection::View view : {OtaSelection::DeviceView, OtaSelection::GroupView}) {
        QTableWidget *table = view == OtaSelection::DeviceView ? tableWidgetDevice : tableWidgetGroup;
        for (QWidget *widget : headerRow(view))
            moveToRightEdge(widget, table->width());
    }
}

void OtaScheduleSetting::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    const bool mirrored = uiLayoutDirection() == Qt::RightToLeft && rescale;
    if (mirrored)
        mirrorHeaderRows();
    scaleWidgetGeometryEx(headerRow(OtaSelection::DeviceView), tableWidgetDevice, true, factor, true);
    scaleWidgetGeometryEx(headerRow(OtaSelection::GroupView), tableWidgetGroup, true, factor, true);
    if (mirrored)
        mirrorHeaderRows();
    for (QSpinBox *spin : {static_cast<QSpinBox *>(spinBox_Time_HR), static_cast<QSpinBox *>(spinBox_Time_Min)})
        spin->setMaximumWidth(ScaleMath::truncScaled(spin->maximumWidth(), factor));
    const QList<QWidget *> widgets = {labelSchedulingTitleBg,
                                      labelNewVersionInfo,
                                      labelSchedulingTitle,
                                      widgetButtons,
                                      widgetContainer,
                                      widgetFilterParent,
                                      widgetFilterDevice,
                                      labelFilter1,
                                      checkBox1Device,
                                      checkBox1Model,
                                      checkBox1Group,
                                      checkBox1FW,
                                      btnApply1,
                                      widgetFilterGroup,
                                      labelFilter2,
                                      checkBox2Group,
                                      checkBox2Counts,
                                      btnApply2,
                                      lineEditFilter,
                                      comboBoxType,
                                      btnFilter,
                                      labelTotalInfo,
                                      selectedInfoWidget,
                                      labelSelectedInfo,
                                      btnCloseInfo,
                                      stackedWidgetTables,
                                      calendarWidget,
                                      labelStartDate,
                                      topMenuWidget,
                                      btnSchedule,
                                      btnUpdateNow,
                                      widgetTime};
    scaleForm(this, factor, widgets, rescale, true);
    if (!rescale)
        return;
    // After a change of the UI scale: what the constructor set up from sizes is set up again.
    setColumnWidths();
    elideTexts();
    placeSortingIndicators();
    setUpdateNow(isUpdateNow);
    fillTables();
}
