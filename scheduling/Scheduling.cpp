#include "scheduling/Scheduling.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTimer>

#include "datastore/DbHeldWrites.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "firmware/IFPUpgradeManager.h"
#include "firmware/pages/OtaFormStyle.h"
#include "firmware/pages/OtaScheduleReportDialog.h"
#include "network/CmdServer.h"
#include "scheduling/AutoTestRunner.h"
#include "scheduling/AutoTestScheduleReportDialog.h"
#include "scheduling/DeviceControlRunner.h"
#include "scheduling/OtaScheduleRunner.h"
#include "scheduling/PowerOnReach.h"
#include "scheduling/ScheduleTableCells.h"
#include "scheduling/ScheduleTableText.h"
#include "scheduling/Scheduling_Setting.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/DeleteScheduleDialog.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/UiHelpers.h"

namespace {

QString joinedDeviceNames(const QList<VelkIFPDevice> &devices)
{
    QStringList names;
    for (const VelkIFPDevice &device : devices)
        names << device.deviceName;
    return names.join(QStringLiteral(", "));
}

QString joinedGroupNames(const QList<VelkGroups> &groups)
{
    QStringList names;
    for (const VelkGroups &group : groups)
        names << group.groupName;
    return names.join(QStringLiteral(", "));
}

/// The target a device-control row is shown by: any value but 1 and 2 counts as groups.
int deviceControlTarget(int scheduleObject)
{
    return scheduleObject == 1 || scheduleObject == 2 ? scheduleObject : 3;
}

QTableWidgetItem *textItem(const QString &text)
{
    auto *item = new QTableWidgetItem(BoundedText::shown(text));
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

} // namespace

Scheduling::Scheduling(QWidget *parent) : Scheduling(Clock::system(), parent)
{
}

Scheduling::Scheduling(Clock *clock, QWidget *parent) : QFrame(parent), m_clock(clock)
{
    construct();
}

Scheduling::~Scheduling()
{
    delete m_settingDialog;
    delete m_autoTestReportDialog;
    delete m_otaReportDialog;
}

void Scheduling::construct()
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    layoutSettingsPage(false);
    m_selectedFilterStyle = OtaFormStyle::filterButtonStyle(true);
    m_normalFilterStyle = OtaFormStyle::filterButtonStyle(false);
    m_db = OrvantaDBManager::getInstance();

    m_settingDialog = new Scheduling_Setting();
    m_settingDialog->setClock(m_clock);
    m_editActionGroup = new QActionGroup(this);
    m_editActionGroup->setExclusive(false);
    m_deleteActionGroup = new QActionGroup(this);
    m_deleteActionGroup->setExclusive(false);
    connect(btnAddSchedule, &QToolButton::clicked, this, &Scheduling::clickBtnAddSchedule);
    connect(m_settingDialog, &Scheduling_Setting::deviceControlScheduleSettingSavedSuccess, this,
            &Scheduling::deviceControlSchedulingSettingSavedSuccess);
    connect(m_settingDialog, &Scheduling_Setting::otaScheduleSettingSavedSuccess, this,
            &Scheduling::otaScheduleSettingSavedSuccess);
    connect(m_settingDialog, &Scheduling_Setting::autoTestScheduleSettingSavedSuccess, this,
            &Scheduling::autoTestSchedulingSettingSavedSuccess);

    m_autoTestReportDialog = new AutoTestScheduleReportDialog();
    m_deleteDialog = new DeleteScheduleDialog(this);
    connect(m_deleteDialog, &DeleteScheduleDialog::closeNotificationDialog, this, &Scheduling::closeNotificationDialog);
    connect(m_deleteDialog, &DeleteScheduleDialog::sendClickOK, this, &Scheduling::confirmDeleteSchedule);
    m_messageDialog = new GeneralMsgDialog(this);

    comboBoxType->setItemDelegate(new QStyledItemDelegate(comboBoxType));
    comboBoxType->clear();
    comboBoxType->addItem(QIcon(), tr("Device Control"), 0);
    comboBoxType->addItem(QIcon(), tr("Firmware Update"), 1);
    comboBoxType->addItem(QIcon(), tr("Automatic Detection"), 2);
    comboBoxType->setCurrentIndex(0);
    connect(comboBoxType, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &Scheduling::showContentByType);

    OtaFormStyle::setupSearchField(lineEditFilter, tr("Search"));
    connect(lineEditFilter, &QLineEdit::returnPressed, this, &Scheduling::showFilteredTableContent);
    connect(btnFilter, &QToolButton::clicked, this, &Scheduling::btnFilterClicked);

    widgetFilterParent->hide();
    widgetFilterSchedule->hide();
    widgetFilterOtaSchedule->hide();
    widgetFilterAutoTestSchedule->hide();
    for (QCheckBox *box : widgetFilterParent->findChildren<QCheckBox *>())
        box->setChecked(true);
    btnFilter->setStyleSheet(m_normalFilterStyle);
    stackedWidgetTables->setCurrentIndex(0);

    applyColumnWidths(FwUpdateKind);
    applyColumnWidths(AutoTestKind);
    for (QLabel *header : findChildren<QLabel *>()) {
        if (header->objectName().contains(QLatin1String("Header")) && !header->toolTip().isEmpty())
            setElidedLabelText(header, header->toolTip());
    }
    if (uiLayoutDirection() == Qt::LeftToRight) {
        comboBoxType->applyStyle(comboBoxType->styleSheet() + QStringLiteral("QComboBox {padding-left:12px;}"));
    } else {
        // The tables run their columns from the right; at other scales layoutSettingsPage mirrored the headers.
        if (getScaleFactor() == 1.0) {
            const QList<QTableWidget *> tables = {tableWidget, tableWidgetFwUpdate, tableWidgetAutoTest};
            for (int kind = 0; kind < 3; ++kind)
                scaleWidgetGeometryEx(headerRow(kind, true), tables.at(kind), true, 1.0, true);
        }
        for (QTableWidget *table : {tableWidget, tableWidgetFwUpdate, tableWidgetAutoTest})
            table->setStyleSheet(table->styleSheet() +
                                 QStringLiteral("QTableWidget::item {padding-left:0px;padding-right:10px;}"));
    }

    m_server = CmdServer::getInstance();
    m_deviceRunner = new DeviceControlRunner(m_db, m_server, m_clock, this);
    m_autoTestRunner = new AutoTestRunner(m_db, m_server, m_clock, this);
    // Before the first plan: a test left "Scheduling" by an exit has no check coming, and its row must not stay locked.
    m_autoTestRunner->closeInterruptedRuns();
    connect(m_autoTestRunner, &AutoTestRunner::schedulesChanged, this, [this] { reloadAutoTestSchedules(true); });
    m_deviceRunner->replan();
    m_autoTestRunner->replan();

    for (QToolButton *apply : {btnApply1, btnApply2, btnApply3})
        connect(apply, &QToolButton::clicked, this, &Scheduling::btnApplyFilterClicked);
    connect(widgetFilterParent, &CustomFilterWidget::pressEvent, this, &Scheduling::pressEvent);

    // The table fills build the runners' lists again, so the first load also plans today.
    initial();

    m_upgradeManager = IFPUpgradeManager::getInstance();
    m_otaRunner = new OtaScheduleRunner(m_db, m_upgradeManager, m_clock, this);
    connect(m_otaRunner, &OtaScheduleRunner::schedulesChanged, this, &Scheduling::reloadOtaSchedules);
    connect(m_upgradeManager, &IFPUpgradeManager::otaVersionChecked, this, &Scheduling::otaVersionChecked,
            Qt::QueuedConnection);
    connect(m_upgradeManager, &IFPUpgradeManager::otaScheduleFinished, m_otaRunner, &OtaScheduleRunner::runFinished,
            Qt::QueuedConnection);
    // Queued as the end of the run is, so that it comes after it, and after the record of the device's return.
    connect(m_upgradeManager, &IFPUpgradeManager::endedRunDeviceFailed, m_otaRunner,
            &OtaScheduleRunner::endedRunDeviceFailed, Qt::QueuedConnection);
    connect(m_upgradeManager, &IFPUpgradeManager::endedRunDeviceFailed, this, &Scheduling::endedRunReportChanged,
            Qt::QueuedConnection);
    connect(m_upgradeManager, &IFPUpgradeManager::otaScheduleReportUpdated, this, &Scheduling::updateOtaScheduleReport);
    m_checkRetry = new QTimer(this);
    m_checkRetry->setSingleShot(true);
    m_checkRetry->setInterval(500);
    connect(m_checkRetry, &QTimer::timeout, this, &Scheduling::retryCheck);
    m_upgradeManager->checkCurrentOtaVersionInfo(IFPUpgradeManager::CASE_SERVER);

    m_otaReportDialog = new OtaScheduleReportDialog();
    // Report rows the database held for a while are in (the runner has read the schedules again): an open report
    // shows them.
    connect(m_db->heldWrites(), &DbHeldWrites::heldWritesWritten, this, [this] {
        if (!m_otaReportDialog->isVisible())
            return;
        for (const VelkOtaSchedule &schedule : qAsConst(m_otaScheduleList))
            m_otaReportDialog->refreshReport(schedule);
    });
    // Devices of a run that ended just before the console did are still watched for their roll-back.
    m_upgradeManager->takeUpStoredWatches();
    m_otaRunner->closeInterruptedRuns();
    m_otaRunner->checkOtaTask();
}

// ---- what the main frame calls ----------------------------------------------------------------------------------

void Scheduling::initial()
{
    resetFilterButtons();
    lineEditFilter->clear();
    lineEditFilter->clearFocus();

    // A visit shows every schedule of each kind, filled once; the two daily plans are built once each.
    loadSchedules();
    showAllSchedules();
    updateScheduleTable();

    loadOtaSchedules();
    showAllOtaSchedules();
    updateOtaTable();

    loadAutoTestSchedules();
    showAllAutoTestSchedules();
    updateAutoTestTable(false);
}

void Scheduling::refillTables()
{
    fillScheduleTable();
    updateOtaTable();
    fillAutoTestTable();
}

void Scheduling::resetFilterButtons()
{
    widgetFilterParent->hide();
    widgetFilterSchedule->hide();
    widgetFilterOtaSchedule->hide();
    widgetFilterAutoTestSchedule->hide();
    btnFilter->setStyleSheet(m_normalFilterStyle);
}

void Scheduling::showOtaPage()
{
    comboBoxType->setCurrentIndex(FwUpdateKind);
    askForCheck(IFPUpgradeManager::CASE_SHOW_OTA_PAGE);
}

void Scheduling::layoutSettingsPage(bool rescale)
{
    const double s = getScaleFactor();
    setFixedSize(int(940 * s), int(641 * s));
    if (s == 1.0 && m_appliedScale == 1.0)
        return;
    double f = s / m_appliedScale;
    if (rescale && m_settingDialog)
        m_settingDialog->scaleUi(true);
    if (f == 1.0)
        return;
    m_appliedScale = s;

    for (QWidget *widget : QList<QWidget *>{btnAddSchedule, btnFilter, comboBoxType, lineEditFilter,
                                            stackedWidgetTables, widgetFilterParent})
        scaleWidgetGeometry(widget, f);
    const QList<QTableWidget *> tables = {tableWidget, tableWidgetFwUpdate, tableWidgetAutoTest};
    const QList<QWidget *> guides = {guideWidgetDeviceControl, guideWidgetFwUpdate, guideWidgetAutoTest};
    for (int kind = 0; kind < 3; ++kind) {
        const QList<QWidget *> row = headerRow(kind, uiLayoutDirection() == Qt::RightToLeft);
        scaleWidgetGeometryEx(row, tables.at(kind), true, f, true);
        scaleWidgetGeometry(guides.at(kind), f);
        for (QWidget *child : guides.at(kind)->findChildren<QWidget *>())
            scaleWidgetGeometry(child, f);
    }
    for (QWidget *bar : QList<QWidget *>{widgetFilterSchedule, widgetFilterOtaSchedule, widgetFilterAutoTestSchedule}) {
        scaleWidgetGeometry(bar, f);
        for (QWidget *child : bar->findChildren<QWidget *>())
            scaleWidgetGeometry(child, f);
    }
    if (rescale) {
        for (int kind = 0; kind < 3; ++kind)
            applyColumnWidths(kind);
        refillTables();
    }
    scaleWidgetFonts(this, f, rescale, false);
    checkBoxStyle();
}

QList<QWidget *> Scheduling::headerRow(int kind, bool rightToLeft) const
{
    QList<QWidget *> row;
    if (kind == DeviceControlKind)
        row = {deviceControlHeaderLeftBorder, deviceControlHeaderRepeat,  deviceControlHeaderOnTime,
               deviceControlHeaderRebootTime, deviceControlHeaderOffTime, deviceControlHeaderDevice,
               deviceControlHeaderGroup,      deviceControlHeaderEnable,  deviceControlHeaderSetting,
               deviceControlHeaderRightBorder};
    else if (kind == FwUpdateKind)
        row = {fwUpdateHeaderLeftBorder, fwUpdateHeaderDate,    fwUpdateHeaderTime,
               fwUpdateHeaderDevice,     fwUpdateHeaderGroup,   fwUpdateHeaderStatus,
               fwUpdateHeaderEnable,     fwUpdateHeaderSetting, fwUpdateHeaderRightBorder};
    else
        row = {autoTestHeaderLeftBorder, autoTestHeaderDate,    autoTestHeaderTime,
               autoTestHeaderDevice,     autoTestHeaderGroup,   autoTestHeaderStatus,
               autoTestHeaderEnable,     autoTestHeaderSetting, autoTestHeaderRightBorder};
    if (rightToLeft) {
        // The columns run from the right: the border strips stay outside, the rest reversed.
        std::reverse(row.begin() + 1, row.end() - 1);
    }
    return row;
}

void Scheduling::applyColumnWidths(int kind)
{
    const QList<QTableWidget *> tables = {tableWidget, tableWidgetFwUpdate, tableWidgetAutoTest};
    QTableWidget *table = tables.at(kind);
    const QList<QWidget *> row = headerRow(kind, false);
    for (int column = 1; column + 1 < row.size(); ++column)
        table->setColumnWidth(column - 1, row.at(column)->width());
    // The first column also runs under the left border strip, so the columns line up with their headers.
    table->setColumnWidth(0, row.at(0)->width() + row.at(1)->width());
    if (kind == DeviceControlKind)
        table->setColumnWidth(7, deviceControlHeaderSetting->width() - 12);
}

QMenu *Scheduling::rowMenu(int kind, int row) const
{
    const QList<QToolButton *> &buttons = kind == DeviceControlKind ? m_settingButtons
                                          : kind == FwUpdateKind    ? m_otaSettingButtons
                                                                    : m_autoTestSettingButtons;
    return row >= 0 && row < buttons.size() ? buttons.at(row)->menu() : nullptr;
}

// ---- device-control schedules -------------------------------------------------------------------------------------

void Scheduling::showAllSchedules()
{
    m_shownScheduleList.clear();
    for (VelkSchedule &schedule : m_scheduleList)
        m_shownScheduleList.append(&schedule);
}

void Scheduling::loadSchedules()
{
    QList<VelkSchedule> schedules;
    quint32 rc = m_db->queryAllSchedule(schedules);
    if (keepsShownList(rc, "device-control schedules"))
        return;
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "Scheduling::loadSchedules - queryAllSchedule");
    // One read for the names of every row, not a query per row.
    QHash<quint32, QStringList> deviceNames;
    QHash<quint32, QStringList> groupNames;
    rc = m_db->queryScheduleTargetNames(deviceNames, groupNames);
    if (keepsShownList(rc, "device-control schedules"))
        return;
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "Scheduling::loadSchedules - queryScheduleTargetNames");
    m_scheduleList = schedules;
    m_scheduleDeviceNames = deviceNames;
    m_scheduleGroupNames = groupNames;
    const QString separator = QStringLiteral(", ");
    for (VelkSchedule &schedule : m_scheduleList) {
        schedule.repeatText =
            ScheduleTableText::repeatText(schedule.isMon, schedule.isTue, schedule.isWed, schedule.isThu,
                                          schedule.isFri, schedule.isSat, schedule.isSun);
        const QPair<QString, QString> targets = targetTexts(
            deviceControlTarget(schedule.scheduleObject), m_scheduleDeviceNames.value(schedule.sid).join(separator),
            m_scheduleGroupNames.value(schedule.sid).join(separator), true);
        schedule.deviceText = targets.first;
        schedule.groupText = targets.second;
    }
    countUnwakeable();
}

void Scheduling::countUnwakeable()
{
    CmdServer *server = CmdServer::getInstance();
    const auto canWake = [server](const VelkIFPDevice &device) { return server->canWake(device); };
    // Most sites have no device Wake-on-LAN can't reach: then no schedule's devices are read at all.
    if (PowerOnReach::unwakeableCount(server->managedDevices(), canWake) == 0) {
        m_unwakeableOnTime.clear();
        return;
    }
    QHash<quint32, int> counts;
    for (const VelkSchedule &schedule : qAsConst(m_scheduleList)) {
        if (!schedule.isPowerOn)
            continue;
        QList<VelkIFPDevice> devices;
        if (m_db->queryAllDeviceBySchedule(schedule, devices) != DB_OK) {
            // Not known now: the count read before stands.
            if (m_unwakeableOnTime.contains(schedule.sid))
                counts.insert(schedule.sid, m_unwakeableOnTime.value(schedule.sid));
            continue;
        }
        const int unwakeable = PowerOnReach::unwakeableCount(devices, canWake);
        if (unwakeable > 0)
            counts.insert(schedule.sid, unwakeable);
    }
    m_unwakeableOnTime = counts;
}

void Scheduling::reloadSchedules()
{
    loadSchedules();
    updateScheduleTableRows();
    updateScheduleTable();
}

void Scheduling::updateScheduleTable()
{
    fillScheduleTable();
    getToDoList();
}

void Scheduling::fillScheduleTable()
{
    guideWidgetDeviceControl->setVisible(m_scheduleList.isEmpty());
    m_enableComboBoxes.clear();
    m_settingButtons.clear();
    tableWidget->setRowCount(0);
    tableWidget->setRowCount(m_shownScheduleList.size());
    applyColumnWidths(DeviceControlKind);
    const int mark = int(16 * getScaleFactor());
    tableWidget->setIconSize(QSize(mark, mark));

    for (int row = 0; row < m_shownScheduleList.size(); ++row) {
        const VelkSchedule &schedule = *m_shownScheduleList.at(row);
        tableWidget->setRowHeight(row, ScheduleTableCells::rowHeight());
        QTableWidgetItem *repeatItem = textItem(schedule.repeatText);
        repeatItem->setToolTip(schedule.repeatText);
        tableWidget->setItem(row, 0, repeatItem);
        QTableWidgetItem *onTime = textItem(schedule.isPowerOn ? schedule.onTime : QStringLiteral("-"));
        const int unwakeable = schedule.isPowerOn ? m_unwakeableOnTime.value(schedule.sid) : 0;
        if (unwakeable > 0) {
            // Enabled, and yet some of its devices will stay off: the warning mark says so at a glance.
            onTime->setIcon(QIcon(QStringLiteral(
                ":/resource/accountMgt/icon_settings_user_accounts_password_bindcard_exclamation_mark.png")));
            onTime->setToolTip(PowerOnReach::noteText(unwakeable));
        }
        tableWidget->setItem(row, 1, onTime);
        tableWidget->setItem(row, 2, textItem(schedule.isReboot ? schedule.rebootTime : QStringLiteral("-")));
        tableWidget->setItem(row, 3, textItem(schedule.isPowerOff ? schedule.offTime : QStringLiteral("-")));
        fillTargetCells(tableWidget, row, 4, deviceControlTarget(schedule.scheduleObject), schedule.deviceText,
                        m_scheduleDeviceNames.value(schedule.sid).size(), schedule.groupText,
                        m_scheduleGroupNames.value(schedule.sid).size(), true);

        QWidget *cell = nullptr;
        CustComboBox *combo = ScheduleTableCells::enableSelector(schedule.isEnable, row, &cell);
        m_enableComboBoxes.append(combo);
        tableWidget->setCellWidget(row, 6, cell);
        connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                &Scheduling::comboBoxEnableIndexChanged, Qt::UniqueConnection);

        QToolButton *button = ScheduleTableCells::settingsButton(&cell);
        m_settingButtons.append(button);
        QMenu *menu = ScheduleTableCells::rowMenu(button);
        QAction *edit = menu->addAction(tr("Edit"));
        edit->setData(row);
        m_editActionGroup->addAction(edit);
        QAction *remove = menu->addAction(tr("Delete"));
        remove->setData(row);
        m_deleteActionGroup->addAction(remove);
        tableWidget->setCellWidget(row, 7, cell);
    }
    disconnect(m_editActionGroup, &QActionGroup::triggered, this, &Scheduling::triggerEditBtnAction);
    connect(m_editActionGroup, &QActionGroup::triggered, this, &Scheduling::triggerEditBtnAction);
    disconnect(m_deleteActionGroup, &QActionGroup::triggered, this, &Scheduling::triggerDeleteBtnAction);
    connect(m_deleteActionGroup, &QActionGroup::triggered, this, &Scheduling::triggerDeleteBtnAction);
}

void Scheduling::updateScheduleTableRows()
{
    const QString search = lineEditFilter->text();
    m_shownScheduleList.clear();
    for (VelkSchedule &schedule : m_scheduleList) {
        const QList<QPair<QCheckBox *, QString>> columns = {
            {checkBox1Repeat, schedule.repeatText},
            {checkBox1OnTime, schedule.onTime},
            {checkBox1RebootTime, schedule.rebootTime},
            {checkBox1OffTime, schedule.offTime},
            {checkBox1Device, schedule.deviceText},
            {checkBox1Group, schedule.groupText},
            {checkBox1Enable, ScheduleTableText::enableText(schedule.isEnable)}};
        if (passesFilter(columns, search))
            m_shownScheduleList.append(&schedule);
    }
}

void Scheduling::putSwitchBack(CustComboBox *enable, bool stored)
{
    // The switch shows what is stored, which the runner goes by.
    QSignalBlocker quiet(enable);
    enable->setCurrentIndex(stored ? 0 : 1);
    showRefusal(false);
}

void Scheduling::comboBoxEnableIndexChanged(int index)
{
    Q_UNUSED(index)
    for (int row = 0; row < m_enableComboBoxes.size() && row < m_shownScheduleList.size(); ++row) {
        VelkSchedule &schedule = *m_shownScheduleList.at(row);
        const bool wanted = m_enableComboBoxes.at(row)->currentIndex() == 0;
        if (wanted == schedule.isEnable)
            continue;
        VelkSchedule copy = schedule;
        copy.isEnable = wanted;
        if (m_db->writeSchedule(copy) != DB_OK) {
            writeLog(LOG_LEVEL_ERROR, "Scheduling::comboBoxEnableIndexChanged - writeSchedule, sid %u", copy.sid);
            putSwitchBack(m_enableComboBoxes.at(row), schedule.isEnable);
            continue;
        }
        schedule.isEnable = wanted;
        getToDoList();
    }
}

void Scheduling::deviceControlSchedulingSettingSavedSuccess()
{
    reloadSchedules();
    comboBoxType->setCurrentIndex(DeviceControlKind);
}

void Scheduling::triggerEditBtnAction(QAction *action)
{
    const int row = action->data().toInt();
    if (row < 0 || row >= m_shownScheduleList.size())
        return;
    m_settingDialog->editDeviceControlSchedule(*m_shownScheduleList.at(row));
    centreAndShow(m_settingDialog);
}

void Scheduling::triggerDeleteBtnAction(QAction *action)
{
    const int row = action->data().toInt();
    if (row >= 0 && row < m_shownScheduleList.size())
        askToDelete(DeviceControlKind, m_shownScheduleList.at(row)->sid);
}

void Scheduling::deleteSchedule()
{
    for (const VelkSchedule &schedule : qAsConst(m_scheduleList)) {
        if (schedule.sid != m_pendingDeleteId)
            continue;
        VelkSchedule copy = schedule;
        if (m_db->deleteSchedule(copy) != DB_OK) {
            writeLog(LOG_LEVEL_ERROR, "Scheduling::triggerDeleteBtnAction - deleteSchedule, sid %u", copy.sid);
            showRefusal(true);
            return;
        }
        reloadSchedules();
        return;
    }
    writeLog(LOG_LEVEL_INFO, "Scheduling::deleteSchedule, schedule %u is gone already", m_pendingDeleteId);
}

void Scheduling::getToDoList()
{
    m_deviceRunner->rebuild();
}

// ---- auto-test schedules ------------------------------------------------------------------------------------------

void Scheduling::showAllAutoTestSchedules()
{
    m_shownAutoTestScheduleList.clear();
    for (VelkAutoTestSchedule &schedule : m_autoTestScheduleList)
        m_shownAutoTestScheduleList.append(&schedule);
}

void Scheduling::loadAutoTestSchedules()
{
    QList<VelkAutoTestSchedule> schedules;
    const quint32 rc = m_db->queryAllAutoTestSchedule(schedules);
    if (keepsShownList(rc, "auto-test schedules"))
        return;
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "Scheduling::loadAutoTestSchedules - queryAllAutoTestSchedule error");
    m_autoTestScheduleList = schedules;
    const QString running = tr("Scheduling");
    for (VelkAutoTestSchedule &schedule : m_autoTestScheduleList) {
        schedule.dateText =
            ScheduleTableText::repeatText(schedule.isMon, schedule.isTue, schedule.isWed, schedule.isThu,
                                          schedule.isFri, schedule.isSat, schedule.isSun);
        const QPair<QString, QString> targets = targetTexts(
            schedule.scheduleTarget, joinedDeviceNames(schedule.devices), joinedGroupNames(schedule.groups), true);
        schedule.deviceText = targets.first;
        schedule.groupText = targets.second;
        schedule.statusText = ScheduleTableText::statusText(schedule.status, schedule.failedCount, running);
    }
}

void Scheduling::reloadAutoTestSchedules(bool keepTaskList)
{
    loadAutoTestSchedules();
    updateAutoTestTableRows();
    updateAutoTestTable(keepTaskList);
}

void Scheduling::updateAutoTestTable(bool keepTaskList)
{
    fillAutoTestTable();
    if (!keepTaskList)
        getToDoAutoTestList();
}

void Scheduling::fillAutoTestTable()
{
    guideWidgetAutoTest->setVisible(m_autoTestScheduleList.isEmpty());
    m_autoTestEnableComboBoxes.clear();
    m_autoTestSettingButtons.clear();
    tableWidgetAutoTest->setRowCount(0);
    tableWidgetAutoTest->setRowCount(m_shownAutoTestScheduleList.size());

    for (int row = 0; row < m_shownAutoTestScheduleList.size(); ++row) {
        const VelkAutoTestSchedule &schedule = *m_shownAutoTestScheduleList.at(row);
        tableWidgetAutoTest->setRowHeight(row, ScheduleTableCells::rowHeight());
        QTableWidgetItem *daysItem = textItem(schedule.dateText);
        daysItem->setToolTip(schedule.dateText);
        tableWidgetAutoTest->setItem(row, 0, daysItem);
        tableWidgetAutoTest->setItem(row, 1, textItem(schedule.time));
        fillTargetCells(tableWidgetAutoTest, row, 2, schedule.scheduleTarget, schedule.deviceText,
                        schedule.devices.size(), schedule.groupText, schedule.groups.size(), true);
        fillStateCells(tableWidgetAutoTest, row, schedule.status, schedule.failedCount, tr("Scheduling"),
                       schedule.isEnable, autoTestHeaderStatus, m_autoTestEnableComboBoxes, m_autoTestSettingButtons,
                       &Scheduling::autoTestComboBoxEnableIndexChanged, &Scheduling::autoTestTriggerMenuAction);
    }
}

void Scheduling::updateAutoTestTableRows()
{
    const QString search = lineEditFilter->text();
    m_shownAutoTestScheduleList.clear();
    for (VelkAutoTestSchedule &schedule : m_autoTestScheduleList) {
        const QList<QPair<QCheckBox *, QString>> columns = {
            {checkBox3Date, schedule.dateText},
            {checkBox3Time, schedule.time},
            {checkBox3Device, schedule.deviceText},
            {checkBox3Group, schedule.groupText},
            {checkBox3UpdateStatus, schedule.statusText},
            {checkBox3Enable, ScheduleTableText::enableText(schedule.isEnable)}};
        if (passesFilter(columns, search))
            m_shownAutoTestScheduleList.append(&schedule);
    }
}

void Scheduling::autoTestComboBoxEnableIndexChanged(int index)
{
    Q_UNUSED(index)
    bool changed = false;
    for (int row = 0; row < m_autoTestEnableComboBoxes.size() && row < m_shownAutoTestScheduleList.size(); ++row) {
        VelkAutoTestSchedule &schedule = *m_shownAutoTestScheduleList.at(row);
        const bool wanted = m_autoTestEnableComboBoxes.at(row)->currentIndex() == 0;
        if (wanted == schedule.isEnable)
            continue;
        schedule.isEnable = wanted;
        if (m_db->updateAutoTestScheduleState(schedule) != DB_OK) {
            writeLog(LOG_LEVEL_ERROR,
                     "Scheduling::autoTestComboBoxEnableIndexChanged - updateAutoTestScheduleState error, tsid %u",
                     schedule.tsid);
            schedule.isEnable = !wanted;
            putSwitchBack(m_autoTestEnableComboBoxes.at(row), schedule.isEnable);
            continue;
        }
        changed = true;
    }
    // A test disabled after today's list was built must not run from the old list.
    if (changed)
        getToDoAutoTestList();
}

void Scheduling::autoTestSchedulingSettingSavedSuccess()
{
    reloadAutoTestSchedules(false);
    comboBoxType->setCurrentIndex(AutoTestKind);
}

void Scheduling::autoTestTriggerMenuAction(QAction *action)
{
    const QPoint where = action->data().toPoint();
    switch (where.y()) {
    case 0:
        editAutoTestRow(where.x());
        break;
    case 1:
        confirmDeleteAutoTestSchedule(where.x());
        break;
    case 2:
        showAutoTestScheduleReport(where.x());
        break;
    default:
        break;
    }
}

void Scheduling::editAutoTestRow(int row)
{
    if (row < 0 || row >= m_shownAutoTestScheduleList.size())
        return;
    const VelkAutoTestSchedule &schedule = *m_shownAutoTestScheduleList.at(row);
    if (schedule.status == 2) {
        writeLog(LOG_LEVEL_INFO, "can NOT edit AutoTest schedule while schedule");
        return;
    }
    m_settingDialog->editAutoTestSchedule(schedule);
    centreAndShow(m_settingDialog);
}

void Scheduling::confirmDeleteAutoTestSchedule(int row)
{
    if (row >= 0 && row < m_shownAutoTestScheduleList.size())
        askToDelete(AutoTestKind, m_shownAutoTestScheduleList.at(row)->tsid);
}

void Scheduling::deleteAutoTestSchedule()
{
    for (const VelkAutoTestSchedule &schedule : qAsConst(m_autoTestScheduleList)) {
        if (schedule.tsid != m_pendingDeleteId)
            continue;
        VelkAutoTestSchedule copy = schedule;
        if (m_db->deleteAutoTestSchedule(copy) != DB_OK) {
            writeLog(LOG_LEVEL_ERROR, "Scheduling::deleteAutoTestSchedule - deleteSchedule error, tsid %u", copy.tsid);
            showRefusal(true);
            return;
        }
        reloadAutoTestSchedules(false);
        return;
    }
    writeLog(LOG_LEVEL_INFO, "Scheduling::deleteAutoTestSchedule, auto-test %u is gone already", m_pendingDeleteId);
}

void Scheduling::showAutoTestScheduleReport(int row)
{
    if (row < 0 || row >= m_shownAutoTestScheduleList.size())
        return;
    m_autoTestReportDialog->setWindowTitle(productName());
    m_autoTestReportDialog->showAutoTestScheduleReport(*m_shownAutoTestScheduleList.at(row));
    centreAndShow(m_autoTestReportDialog);
}

void Scheduling::getToDoAutoTestList()
{
    m_autoTestRunner->rebuild();
}

// ---- firmware-update schedules ------------------------------------------------------------------------------------

void Scheduling::showAllOtaSchedules()
{
    m_shownOtaScheduleList.clear();
    for (VelkOtaSchedule &schedule : m_otaScheduleList)
        m_shownOtaScheduleList.append(&schedule);
}

void Scheduling::loadOtaSchedules()
{
    QList<VelkOtaSchedule> schedules;
    const quint32 rc = m_db->queryAllOtaSchedule(schedules);
    if (keepsShownList(rc, "firmware-update schedules"))
        return;
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "Scheduling::loadOtaSchedules - queryAllOtaSchedule error");
    m_otaScheduleList = schedules;
    const QString running = tr("Updating") + QStringLiteral("...");
    for (VelkOtaSchedule &schedule : m_otaScheduleList) {
        const QPair<QString, QString> targets = targetTexts(
            schedule.scheduleTarget, joinedDeviceNames(schedule.devices), joinedGroupNames(schedule.groups), false);
        schedule.deviceText = targets.first;
        schedule.groupText = targets.second;
        schedule.statusText = ScheduleTableText::statusText(schedule.status, schedule.failedCount, running);
    }
}

void Scheduling::reloadOtaSchedules()
{
    loadOtaSchedules();
    updateOtaTableRows();
    updateOtaTable();
}

void Scheduling::updateOtaTable()
{
    guideWidgetFwUpdate->setVisible(m_otaScheduleList.isEmpty());
    m_otaEnableComboBoxes.clear();
    m_otaSettingButtons.clear();
    tableWidgetFwUpdate->setRowCount(0);
    tableWidgetFwUpdate->setRowCount(m_shownOtaScheduleList.size());
    for (int row = 0; row < m_shownOtaScheduleList.size(); ++row) {
        const VelkOtaSchedule &schedule = *m_shownOtaScheduleList.at(row);
        tableWidgetFwUpdate->setRowHeight(row, ScheduleTableCells::rowHeight());
        tableWidgetFwUpdate->setItem(row, 0, textItem(schedule.date));
        tableWidgetFwUpdate->setItem(row, 1, textItem(schedule.time));
        fillTargetCells(tableWidgetFwUpdate, row, 2, schedule.scheduleTarget, schedule.deviceText,
                        schedule.devices.size(), schedule.groupText, schedule.groups.size(), false);
        fillStateCells(tableWidgetFwUpdate, row, schedule.status, schedule.failedCount,
                       tr("Updating") + QStringLiteral("..."), schedule.isEnable, fwUpdateHeaderStatus,
                       m_otaEnableComboBoxes, m_otaSettingButtons, &Scheduling::otaComboBoxEnableIndexChanged,
                       &Scheduling::otaTriggerMenuAction);
    }
}

void Scheduling::updateOtaTableRows()
{
    const QString search = lineEditFilter->text();
    m_shownOtaScheduleList.clear();
    for (VelkOtaSchedule &schedule : m_otaScheduleList) {
        const QList<QPair<QCheckBox *, QString>> columns = {
            {checkBox2Date, schedule.date},
            {checkBox2Time, schedule.time},
            {checkBox2Device, schedule.deviceText},
            {checkBox2Group, schedule.groupText},
            {checkBox2UpdateStatus, schedule.statusText},
            {checkBox2Enable, ScheduleTableText::enableText(schedule.isEnable)}};
        if (passesFilter(columns, search))
            m_shownOtaScheduleList.append(&schedule);
    }
}

void Scheduling::otaComboBoxEnableIndexChanged(int index)
{
    Q_UNUSED(index)
    bool changed = false;
    for (int row = 0; row < m_otaEnableComboBoxes.size() && row < m_shownOtaScheduleList.size(); ++row) {
        VelkOtaSchedule &schedule = *m_shownOtaScheduleList.at(row);
        const bool wanted = m_otaEnableComboBoxes.at(row)->currentIndex() == 0;
        if (wanted == schedule.isEnable)
            continue;
        schedule.isEnable = wanted;
        if (m_db->updateOtaScheduleState(schedule) != DB_OK) {
            writeLog(LOG_LEVEL_ERROR,
                     "Scheduling::otaComboBoxEnableIndexChanged - updateOtaScheduleState error, osid %u",
                     schedule.osid);
            schedule.isEnable = !wanted;
            putSwitchBack(m_otaEnableComboBoxes.at(row), schedule.isEnable);
            continue;
        }
        changed = true;
    }
    // Disabling the armed schedule arms the next one; enabling an earlier one arms it.
    if (changed)
        m_otaRunner->checkOtaTask();
}

void Scheduling::otaTriggerMenuAction(QAction *action)
{
    const QPoint where = action->data().toPoint();
    const int row = where.x();
    if (row < 0 || row >= m_shownOtaScheduleList.size())
        return;
    switch (where.y()) {
    case 0:
        editOtaRow(row);
        break;
    case 1:
        askToDelete(FwUpdateKind, m_shownOtaScheduleList.at(row)->osid);
        break;
    case 2:
        showOtaScheduleReport(row);
        break;
    default:
        break;
    }
}

void Scheduling::editOtaRow(int row)
{
    const VelkOtaSchedule &schedule = *m_shownOtaScheduleList.at(row);
    if (schedule.status == 2) {
        writeLog(LOG_LEVEL_INFO, "can NOT edit ota schedule while updating");
        return;
    }
    m_pendingEditOtaId = schedule.osid;
    askForCheck(IFPUpgradeManager::CASE_EDIT_SCHEDULE);
}

void Scheduling::deleteOtaSchedule()
{
    for (const VelkOtaSchedule &schedule : qAsConst(m_otaScheduleList)) {
        if (schedule.osid != m_pendingDeleteId)
            continue;
        VelkOtaSchedule copy = schedule;
        if (m_db->deleteOtaSchedule(copy) != DB_OK) {
            // Its run, if it has one, goes on: cancelled, it would stay "Updating" with nothing to end it.
            writeLog(LOG_LEVEL_ERROR, "Scheduling::deleteOtaSchedule - deleteSchedule error, osid %u", copy.osid);
            showRefusal(true);
            return;
        }
        // A run of this schedule is cancelled once, right after; its late end then changes nothing.
        m_otaRunner->forgetSchedule(copy.osid);
        reloadOtaSchedules();
        m_otaRunner->checkOtaTask();
        return;
    }
    writeLog(LOG_LEVEL_INFO, "Scheduling::deleteOtaSchedule, schedule %u is gone already", m_pendingDeleteId);
}

void Scheduling::showOtaScheduleReport(int row)
{
    m_otaReportDialog->setWindowTitle(productName());
    m_otaReportDialog->setOtaSchedule(*m_shownOtaScheduleList.at(row));
    DialogPlacementRule::centreOnScreenOf(m_otaReportDialog, nullptr);
    m_otaReportDialog->show();
}

void Scheduling::updateOtaScheduleReport()
{
    if (m_otaReportDialog->isVisible())
        m_otaReportDialog->refreshReport(m_otaRunner->current());
}

void Scheduling::endedRunReportChanged(quint32 osid)
{
    // The runner has read the schedules again; an open report of that run shows the row that changed after it.
    if (!m_otaReportDialog->isVisible())
        return;
    for (const VelkOtaSchedule &schedule : qAsConst(m_otaScheduleList)) {
        if (schedule.osid == osid)
            m_otaReportDialog->refreshReport(schedule);
    }
}

void Scheduling::askForCheck(int checkCase)
{
    if (m_upgradeManager->checkCurrentOtaVersionInfo(checkCase)) {
        m_pendingCheck = 0;
        return;
    }
    m_pendingCheck = checkCase;
    m_checkRetry->start();
}

void Scheduling::retryCheck()
{
    if (m_pendingCheck != 0)
        askForCheck(m_pendingCheck);
}

void Scheduling::otaVersionChecked(int checkOtaVersionCase)
{
    writeLog(LOG_LEVEL_INFO, "otaVersionChecked, case: %d", checkOtaVersionCase);
    switch (checkOtaVersionCase) {
    case IFPUpgradeManager::CASE_ADD_SCHEDULE:
        m_settingDialog->switchToPage(0);
        break;
    case IFPUpgradeManager::CASE_SHOW_OTA_PAGE:
        m_settingDialog->switchToPage(2);
        break;
    case IFPUpgradeManager::CASE_EDIT_SCHEDULE: {
        const quint32 id = m_pendingEditOtaId;
        m_pendingEditOtaId = 0;
        for (const VelkOtaSchedule &schedule : qAsConst(m_otaScheduleList)) {
            if (schedule.osid == id && schedule.status != 2) {
                m_settingDialog->editOtaSchedule(schedule);
                DialogPlacementRule::centreOnScreenOf(m_settingDialog, nullptr);
                m_settingDialog->show();
            }
        }
        return;
    }
    default:
        m_otaRunner->versionChecked(checkOtaVersionCase);
        return;
    }
    DialogPlacementRule::centreOnScreenOf(m_settingDialog, nullptr);
    m_settingDialog->show();
}

void Scheduling::otaScheduleSettingSavedSuccess(bool updateNow, VelkOtaSchedule savedOtaSchedule)
{
    reloadOtaSchedules();
    // "Update Now" saved the schedule with the current minute as its start: it goes through the same check as any
    // due schedule, after the run that may be going on.
    if (updateNow && m_otaRunner->isBusy())
        writeLog(LOG_LEVEL_INFO, "otaScheduleSettingSavedSuccess, can NOT update now; schedule %u waits",
                 savedOtaSchedule.osid);
    else if (updateNow)
        writeLog(LOG_LEVEL_INFO, "otaScheduleSettingSavedSuccess, update now, schedule %u", savedOtaSchedule.osid);
    m_otaRunner->checkOtaTask();
    comboBoxType->setCurrentIndex(FwUpdateKind);
}

// ---- the delete question, the kind switch and the filter bars -----------------------------------------------------

void Scheduling::askToDelete(int kind, quint32 id)
{
    m_pendingDeleteKind = kind;
    m_pendingDeleteId = id;
    m_deleteDialog->setWindowTitle(productName());
    m_deleteDialog->setText(tr("Are you sure you want to delete this schedule?"));
    centreAndShow(m_deleteDialog);
}

void Scheduling::confirmDeleteSchedule()
{
    const int kind = m_pendingDeleteKind;
    m_pendingDeleteKind = -1;
    if (kind == FwUpdateKind)
        deleteOtaSchedule();
    else if (kind == AutoTestKind)
        deleteAutoTestSchedule();
    else if (kind == DeviceControlKind)
        deleteSchedule();
    m_pendingDeleteId = 0;
}

void Scheduling::closeNotificationDialog()
{
    m_pendingDeleteKind = -1;
    m_pendingDeleteId = 0;
}

void Scheduling::clickBtnAddSchedule()
{
    emit btnAddScheduleClicked();
    askForCheck(IFPUpgradeManager::CASE_ADD_SCHEDULE);
}

void Scheduling::showContentByType(int indexOfType)
{
    stackedWidgetTables->setCurrentIndex(indexOfType);
}

void Scheduling::btnFilterClicked()
{
    widgetFilterParent->show();
    widgetFilterParent->raise();
    btnFilter->setStyleSheet(m_selectedFilterStyle);
    const int page = stackedWidgetTables->currentIndex();
    if (page < 0 || page > 2)
        return;
    const QList<QWidget *> bars = {widgetFilterSchedule, widgetFilterOtaSchedule, widgetFilterAutoTestSchedule};
    for (int i = 0; i < bars.size(); ++i)
        bars.at(i)->setVisible(i == page);
}

void Scheduling::pressEvent(QMouseEvent *event)
{
    for (QWidget *bar : QList<QWidget *>{widgetFilterSchedule, widgetFilterOtaSchedule, widgetFilterAutoTestSchedule}) {
        if (!bar->isVisible())
            continue;
        if (!bar->geometry().contains(event->pos())) {
            widgetFilterParent->hide();
            bar->hide();
            btnFilter->setStyleSheet(m_normalFilterStyle);
        }
    }
    event->accept();
}

void Scheduling::btnApplyFilterClicked()
{
    resetFilterButtons();
    showFilteredTableContent();
}

void Scheduling::showFilteredTableContent()
{
    switch (stackedWidgetTables->currentIndex()) {
    case DeviceControlKind:
        updateScheduleTableRows();
        updateScheduleTable();
        break;
    case FwUpdateKind:
        updateOtaTableRows();
        updateOtaTable();
        break;
    case AutoTestKind:
        updateAutoTestTableRows();
        updateAutoTestTable(false);
        break;
    default:
        break;
    }
}

void Scheduling::centreAndShow(QWidget *dialog)
{
    DialogPlacementRule::centreOnScreenOf(dialog, this);
    dialog->show();
}

void Scheduling::showRefusal(bool deleting)
{
    // Asked right after the refused statement, before anything else reaches the database.
    const bool diskFull = m_db->lastFailure() == DbFailure::DiskFull;
    const bool passing = m_db->refusedForNow();
    m_messageDialog->setWindowTitle(productName());
    m_messageDialog->setMessage(ScheduleTableText::refusalText(
        deleting ? ScheduleTableText::Refused::Deletion : ScheduleTableText::Refused::Change, passing, diskFull));
    centreAndShow(m_messageDialog);
}

bool Scheduling::keepsShownList(quint32 rc, const char *what)
{
    if (rc == DB_OK || !m_db->refusedForNow())
        return false;
    writeLog(LOG_LEVEL_WARNING, "Scheduling, the %s cannot be read for now; the table shows them as read before", what);
    return true;
}

void Scheduling::checkBoxStyle()
{
    const QString style = ScheduleFormStyle::filterCheckBoxStyle();
    for (QCheckBox *box : widgetFilterParent->findChildren<QCheckBox *>()) {
        box->setStyleSheet(style);
        scaleStyleSheetFontSize(box, 10.0, 0.0, false, false);
    }
}

QPair<QString, QString> Scheduling::targetTexts(int target, const QString &deviceNames, const QString &groupNames,
                                                bool allForTargetOne) const
{
    if (target == 1 && allForTargetOne)
        return {tr("All"), tr("All")};
    if (target == 2)
        return {deviceNames, QString()};
    if (target == 3)
        return {QString(), groupNames};
    return {QString(), QString()};
}

void Scheduling::fillTargetCells(QTableWidget *table, int row, int column, int target, const QString &deviceText,
                                 int deviceCount, const QString &groupText, int groupCount, bool allForTargetOne)
{
    if (target == 1 && allForTargetOne) {
        table->setItem(row, column, textItem(deviceText));
        table->setItem(row, column + 1, textItem(groupText));
    } else if (target == 2) {
        setNamesCell(table, row, column, deviceText, deviceCount);
        table->setItem(row, column + 1, textItem(QString()));
    } else if (target == 3) {
        table->setItem(row, column, textItem(QString()));
        setNamesCell(table, row, column + 1, groupText, groupCount);
    }
}

void Scheduling::fillStateCells(QTableWidget *table, int row, int status, int failedCount, const QString &runningText,
                                bool enabled, QLabel *statusHeader, QList<CustComboBox *> &combos,
                                QList<QToolButton *> &buttons, void (Scheduling::*comboSlot)(int),
                                void (Scheduling::*menuSlot)(QAction *))
{
    table->setCellWidget(row, 4,
                         ScheduleTableCells::statusLabel(status, failedCount, runningText, statusHeader->width() - 11));

    // While its run goes on, a schedule can be neither switched nor edited; it can still be deleted and reported.
    QWidget *cell = nullptr;
    CustComboBox *combo = ScheduleTableCells::enableSelector(enabled, row, &cell);
    combo->setEnabled(status != 2);
    combos.append(combo);
    table->setCellWidget(row, 5, cell);
    connect(combo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, comboSlot, Qt::UniqueConnection);

    QToolButton *button = ScheduleTableCells::settingsButton(&cell);
    buttons.append(button);
    QMenu *menu = ScheduleTableCells::rowMenu(button);
    QAction *edit = menu->addAction(tr("Edit"));
    edit->setData(QPoint(row, 0));
    edit->setEnabled(status != 2);
    menu->addAction(tr("Delete"))->setData(QPoint(row, 1));
    menu->addAction(tr("Report"))->setData(QPoint(row, 2));
    connect(menu, &QMenu::triggered, this, menuSlot);
    table->setCellWidget(row, 6, cell);
}

bool Scheduling::passesFilter(const QList<QPair<QCheckBox *, QString>> &columns, const QString &search)
{
    for (const auto &column : columns) {
        if (column.first->isChecked() && ScheduleTableText::matches(column.second, search))
            return true;
    }
    return false;
}

void Scheduling::setNamesCell(QTableWidget *table, int row, int column, const QString &names, int count)
{
    // The count rule's room, less the item's own padding and text margins.
    const int room = table->columnWidth(column) - 10 - 10;
    table->setItem(row, column,
                   textItem(ScheduleTableText::countElided(BoundedText::shown(names), count, room, table->fontMetrics(),
                                                           uiLayoutDirection() == Qt::RightToLeft)));
}
