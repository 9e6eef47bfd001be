#include "scheduling/ScheduleEditorPage.h"

#include "devices/DeviceRules.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QRegExpValidator>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "scheduling/ScheduleFormStyle.h"
#include "scheduling/ScheduleTableText.h"
#include "scheduling/Ui_ScheduleEditorForm.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

namespace {

const char *const GreyFilterStyle = "background-color: #3f3f3f;color: #808080;font-family:Arial;border-radius: 5px;"
                                    "padding-left:10px;padding-bottom:1px;border: 1px solid #ffffff;";

} // namespace

ScheduleEditorPage::ScheduleEditorPage(QWidget *parent) : QFrame(parent), m_db(OrvantaDBManager::getInstance())
{
    setLayoutDirection(uiLayoutDirection());
}

ScheduleEditorPage::~ScheduleEditorPage() = default;

void ScheduleEditorPage::attachForm(Ui_ScheduleEditorForm *form)
{
    m_form = form;
    m_form->lbState->hide();
    connect(m_form->checkBox_everyday, &QCheckBox::stateChanged, this, &ScheduleEditorPage::clickEveryDayCheckBox);
    for (QCheckBox *day : m_form->dayBoxes())
        connect(day, &QCheckBox::stateChanged, this, &ScheduleEditorPage::clickDayCheckBox);
    connect(m_form->rBtn_All, &QRadioButton::toggled, this, &ScheduleEditorPage::clickrBtnAll);
    connect(m_form->rBtn_Group, &QRadioButton::toggled, this, &ScheduleEditorPage::clickrBtnGroup);
    connect(m_form->rBtn_SelectDevice, &QRadioButton::toggled, this, &ScheduleEditorPage::clickrBtnSelectDevice);
    connect(m_form->lineEditFilter, &ScheduleLineEdit::focussed, this, &ScheduleEditorPage::onFocusIn);
    connect(m_form->lineEditFilter, &QLineEdit::returnPressed, this, &ScheduleEditorPage::clickBtnFilter);
    connect(m_form->btnCancel, &QPushButton::clicked, this, &ScheduleEditorPage::clickBtnCancel);
    connect(m_form->checkBoxName, &QCheckBox::stateChanged, this, &ScheduleEditorPage::clickCheckBoxName);
    m_form->comboBoxFilter->setItemDelegate(new QStyledItemDelegate(m_form->comboBoxFilter));
    m_form->lineEditFilter->setValidator(
        new QRegExpValidator(QRegExp(QStringLiteral("[^\\\\/:*?\"><|]{0,32}")), m_form->lineEditFilter));

    setElidedLabelText(m_form->lbSchedulingTitle, m_form->lbSchedulingTitle->toolTip());
    if (uiLayoutDirection() == Qt::LeftToRight) {
        m_form->comboBoxFilter->applyStyle(m_form->comboBoxFilter->styleSheet() +
                                           QStringLiteral("QComboBox {padding-left:12px;}"));
    } else {
        m_form->tableWidget->setStyleSheet(m_form->tableWidget->styleSheet() +
                                           QStringLiteral("QTableWidget::item {padding-left:0px;padding-right:10px;}"));
        if (getScaleFactor() == 1.0)
            scaleWidgetGeometryEx(headerRow(), m_form->tableWidget, true, 1.0, true);
    }
}

QString ScheduleEditorPage::warningText() const
{
    return m_form->lbState->shownWarning();
}

void ScheduleEditorPage::prepare(bool edit)
{
    if (!edit)
        m_form->checkBoxName->setChecked(false);
    m_everyDayGuard = true;
    m_headerGuard = true;
    m_isEdit = edit;
    m_filterEdited = false;
    m_unread = false;
    m_allGroups = getVelkGroupsListFromDB();
    m_allDevices = getVelkIFPsListFromDB();
    resetForm();
}

void ScheduleEditorPage::resetForm()
{
    m_form->checkBox_everyday->setChecked(false);
    for (QCheckBox *day : m_form->dayBoxes())
        day->setChecked(false);
    m_form->lineEditFilter->clearFocus();
    m_form->lineEditFilter->setText(tr("Filter"));
    m_form->lineEditFilter->setStyleSheet(QLatin1String(GreyFilterStyle));
    scaleStyleSheetFontSize(m_form->lineEditFilter, 10.0, 0.0, false, false);
    m_form->comboBoxFilter->setCurrentIndex(0);
    showWarning(QString());
}

void ScheduleEditorPage::selectTarget(int target)
{
    switch (target) {
    case 1:
        m_form->rBtn_All->setChecked(true);
        clickrBtnAll(true);
        break;
    case 2:
        m_form->rBtn_SelectDevice->setChecked(true);
        fillDeviceTable(m_allDevices);
        markEditedDevices();
        break;
    case 3:
        m_form->rBtn_Group->setChecked(true);
        fillGroupTable(m_allGroups);
        markEditedGroups();
        break;
    default:
        break;
    }
    sayIfUnread();
}

void ScheduleEditorPage::setDays(const QList<bool> &days)
{
    const QList<QCheckBox *> boxes = m_form->dayBoxes();
    for (int i = 0; i < boxes.size(); ++i)
        boxes.at(i)->setChecked(days.value(i));
}

QList<bool> ScheduleEditorPage::days() const
{
    QList<bool> days;
    for (QCheckBox *day : m_form->dayBoxes())
        days << day->isChecked();
    return days;
}

bool ScheduleEditorPage::anyDayChecked() const
{
    return days().contains(true);
}

int ScheduleEditorPage::checkedTarget() const
{
    if (m_form->rBtn_All->isChecked())
        return 1;
    if (m_form->rBtn_SelectDevice->isChecked())
        return 2;
    if (m_form->rBtn_Group->isChecked())
        return 3;
    return 0;
}

QList<VelkGroups> ScheduleEditorPage::checkedGroups() const
{
    QList<VelkGroups> groups;
    for (int row = 0; row < m_rowCheckBoxes.size() && row < m_tableGroups.size(); ++row) {
        if (m_rowCheckBoxes.at(row)->isChecked())
            groups.append(m_tableGroups.at(row));
    }
    return groups;
}

QList<VelkIFPDevice> ScheduleEditorPage::checkedDevices() const
{
    QList<VelkIFPDevice> devices;
    for (int row = 0; row < m_rowCheckBoxes.size() && row < m_tableDevices.size(); ++row) {
        if (m_rowCheckBoxes.at(row)->isChecked())
            devices.append(m_tableDevices.at(row));
    }
    return devices;
}

void ScheduleEditorPage::showWarning(const QString &text)
{
    // A text that says why runs onto a second line rather than under the buttons: as far from them as from the edge.
    m_form->lbState->setWrapWidth(m_form->widgetButtons->x() - 2 * m_form->lbState->x());
    m_form->lbState->showWarning(text);
}

QString ScheduleEditorPage::noChoiceText(const QString &plain) const
{
    return m_unread ? unreadText() : plain;
}

QString ScheduleEditorPage::unreadText() const
{
    return tr("The devices and groups cannot be read at the moment (another program may be using the database). "
              "Please try again later.");
}

void ScheduleEditorPage::noteUnread(quint32 rc)
{
    if (rc != DB_OK && m_db->refusedForNow())
        m_unread = true;
}

void ScheduleEditorPage::sayIfUnread()
{
    if (m_unread && checkedTarget() != 1)
        showWarning(unreadText());
}

void ScheduleEditorPage::showSaveRefusal()
{
    showWarning(ScheduleTableText::refusalText(ScheduleTableText::Refused::Save, m_db->refusedForNow(),
                                               m_db->lastFailure() == DbFailure::DiskFull));
}

// ---- weekdays -----------------------------------------------------------------------------------------------------

void ScheduleEditorPage::clickEveryDayCheckBox(int state)
{
    // Unchecked by a day box being unchecked: the other days keep their state.
    if (state == Qt::Unchecked && !m_everyDayGuard) {
        m_everyDayGuard = true;
        return;
    }
    for (QCheckBox *day : m_form->dayBoxes())
        day->setChecked(state != Qt::Unchecked);
}

void ScheduleEditorPage::clickDayCheckBox(int state)
{
    if (state != Qt::Unchecked) {
        if (!days().contains(false))
            m_form->checkBox_everyday->setChecked(true);
    } else if (m_form->checkBox_everyday->isChecked()) {
        m_everyDayGuard = false;
        m_form->checkBox_everyday->setChecked(false);
    }
}

// ---- target and table ---------------------------------------------------------------------------------------------

void ScheduleEditorPage::clickrBtnAll(bool state)
{
    if (!state)
        return;
    showWarning(QString());
    setTableAreaVisible(false);
}

void ScheduleEditorPage::clickrBtnGroup(bool state)
{
    if (!state)
        return;
    m_form->checkBoxName->setChecked(false);
    showWarning(QString());
    fillGroupTable(m_allGroups);
    if (editedTarget() == 3)
        markEditedGroups();
    sayIfUnread();
}

void ScheduleEditorPage::clickrBtnSelectDevice(bool state)
{
    if (!state)
        return;
    m_form->checkBoxName->setChecked(false);
    showWarning(QString());
    fillDeviceTable(m_allDevices);
    if (editedTarget() == 2)
        markEditedDevices();
    sayIfUnread();
}

void ScheduleEditorPage::setTableAreaVisible(bool visible)
{
    for (QWidget *widget : QList<QWidget *>{m_form->lineEditFilter, m_form->comboBoxFilter, m_form->checkBoxName,
                                            m_form->lb_IPAddress, m_form->lb_MacAddress, m_form->tableWidget,
                                            m_form->headerLeftBorder, m_form->headerRightBorder})
        widget->setVisible(visible);
}

void ScheduleEditorPage::fillDeviceTable(const QList<VelkIFPDevice> &devices)
{
    m_form->checkBoxName->setText(tr("Device Name"));
    m_form->lb_IPAddress->setText(tr("IP Address"));
    m_form->lb_MacAddress->setText(tr("Mac Address"));
    // The column chosen for filtering stays while the table keeps showing devices.
    if (m_form->comboBoxFilter->count() != 3) {
        m_form->comboBoxFilter->clear();
        m_form->comboBoxFilter->addItem(tr("Device Name"), 0);
        m_form->comboBoxFilter->addItem(tr("IP Address"), 1);
        m_form->comboBoxFilter->addItem(tr("Mac Address"), 2);
        m_form->comboBoxFilter->setCurrentIndex(0);
    }
    m_tableGroups.clear();
    m_tableDevices = devices;
    QStringList names, addresses, macs;
    for (const VelkIFPDevice &device : devices) {
        names << device.deviceName;
        addresses << device.ipAddress;
        macs << DeviceRules::macCellText(device.macAddress);
    }
    fillRows(names, addresses, macs);
}

void ScheduleEditorPage::fillGroupTable(const QList<VelkGroups> &groups)
{
    m_form->checkBoxName->setText(tr("Group Name"));
    m_form->lb_IPAddress->clear();
    m_form->lb_MacAddress->clear();
    if (m_form->comboBoxFilter->count() != 1) {
        m_form->comboBoxFilter->clear();
        m_form->comboBoxFilter->addItem(tr("Group Name"), 0);
        m_form->comboBoxFilter->setCurrentIndex(0);
    }
    m_tableDevices.clear();
    m_tableGroups = groups;
    QStringList names;
    for (const VelkGroups &group : groups)
        names << group.groupName;
    fillRows(names, QStringList(), QStringList());
}

void ScheduleEditorPage::fillRows(const QStringList &names, const QStringList &addresses, const QStringList &macs)
{
    setTableAreaVisible(true);
    m_rowCheckBoxes.clear();
    QTableWidget *table = m_form->tableWidget;
    table->setRowCount(0);
    table->setRowCount(names.size());
    const QString style = ScheduleFormStyle::checkBoxStyle(QStringLiteral("background: transparent;"));
    for (int row = 0; row < names.size(); ++row) {
        table->setRowHeight(row, int(29 * getScaleFactor()));
        auto *box = new QCheckBox(BoundedText::shown(names.at(row)));
        box->setStyleSheet(style);
        scaleStyleSheetFontSize(box, 10.0, 0.0, false, false);
        box->setCursor(Qt::PointingHandCursor);
        m_rowCheckBoxes.append(box);
        auto *cell = new QWidget;
        auto *layout = new QHBoxLayout(cell);
        layout->setContentsMargins(4, 0, 0, 0);
        layout->addWidget(box);
        table->setCellWidget(row, 0, cell);
        connect(box, &QCheckBox::stateChanged, this, &ScheduleEditorPage::clickCheckBox, Qt::UniqueConnection);
        auto *address = new QTableWidgetItem(BoundedText::shown(addresses.value(row)));
        address->setFlags(Qt::ItemIsEnabled);
        table->setItem(row, 1, address);
        auto *mac = new QTableWidgetItem(BoundedText::shown(macs.value(row)));
        mac->setFlags(Qt::ItemIsEnabled);
        table->setItem(row, 2, mac);
    }
    headerFollowsRows();
}

void ScheduleEditorPage::headerFollowsRows()
{
    bool all = !m_rowCheckBoxes.isEmpty();
    for (QCheckBox *box : qAsConst(m_rowCheckBoxes))
        all = all && box->isChecked();
    // Set without its handler, which would check or clear every row. A state left from the table before would make
    // the next click on it clear the rows the operator meant to select.
    const QSignalBlocker blocker(m_form->checkBoxName);
    m_form->checkBoxName->setChecked(all);
    m_headerGuard = true;
}

void ScheduleEditorPage::markEditedDevices()
{
    if (!m_isEdit)
        return;
    QList<VelkIFPDevice> linked;
    const quint32 rc = linkedDevices(linked);
    noteUnread(rc);
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "%s::editScheduleSettings - queryDeviceBySchedule", logName());
    for (int row = 0; row < m_tableDevices.size() && row < m_rowCheckBoxes.size(); ++row) {
        for (const VelkIFPDevice &device : qAsConst(linked)) {
            if (device.deviceName == m_tableDevices.at(row).deviceName)
                m_rowCheckBoxes.at(row)->setChecked(true);
        }
    }
}

void ScheduleEditorPage::markEditedGroups()
{
    if (!m_isEdit)
        return;
    QList<VelkGroups> linked;
    const quint32 rc = linkedGroups(linked);
    noteUnread(rc);
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "%s::editScheduleSettings - queryGroupsBySchedule", logName());
    for (int row = 0; row < m_tableGroups.size() && row < m_rowCheckBoxes.size(); ++row) {
        for (const VelkGroups &group : qAsConst(linked)) {
            if (group.groupName == m_tableGroups.at(row).groupName)
                m_rowCheckBoxes.at(row)->setChecked(true);
        }
    }
}

void ScheduleEditorPage::clickCheckBoxName(int state)
{
    if (state == Qt::Unchecked && !m_headerGuard) {
        m_headerGuard = true;
        return;
    }
    for (QCheckBox *box : qAsConst(m_rowCheckBoxes))
        box->setChecked(state != Qt::Unchecked);
}

void ScheduleEditorPage::clickCheckBox(int state)
{
    if (state != Qt::Unchecked) {
        for (QCheckBox *box : qAsConst(m_rowCheckBoxes)) {
            if (!box->isChecked())
                return;
        }
        m_form->checkBoxName->setChecked(true);
    } else if (m_form->checkBoxName->isChecked()) {
        m_headerGuard = false;
        m_form->checkBoxName->setChecked(false);
    }
}

// ---- filter -------------------------------------------------------------------------------------------------------

void ScheduleEditorPage::onFocusIn(bool state)
{
    if (state && !m_filterEdited) {
        m_filterEdited = true;
        m_form->lineEditFilter->clear();
    }
}

void ScheduleEditorPage::clickBtnFilter()
{
    const QString text = m_filterEdited ? m_form->lineEditFilter->text() : QString();
    const bool devices = m_form->rBtn_SelectDevice->isChecked();
    const bool groups = m_form->rBtn_Group->isChecked();
    if (text.isEmpty()) {
        if (devices) {
            fillDeviceTable(m_allDevices);
            if (editedTarget() == 2)
                markEditedDevices();
        } else if (groups) {
            fillGroupTable(m_allGroups);
            if (editedTarget() == 3)
                markEditedGroups();
        }
        return;
    }
    if (devices) {
        QList<VelkIFPDevice> all;
        if (m_db->queryAllAvailableIFP(all) != DB_OK) {
            // The table, and the list its rows stand for, stay as they were.
            writeLog(LOG_LEVEL_ERROR, "%s::clickBtnFilter() - queryAllAvailableIFP", logName());
            return;
        }
        const int column = m_form->comboBoxFilter->currentIndex();
        QList<VelkIFPDevice> kept;
        for (const VelkIFPDevice &device : qAsConst(all)) {
            const bool match = column == 0   ? device.deviceName.contains(text, Qt::CaseInsensitive)
                               : column == 1 ? device.ipAddress.contains(text, Qt::CaseSensitive)
                               : column == 2 ? device.macAddress.contains(text, Qt::CaseInsensitive)
                                             : true;
            if (match)
                kept.append(device);
        }
        fillDeviceTable(kept);
    } else if (groups) {
        QList<VelkGroups> all;
        if (m_db->queryAllGroup(all) != DB_OK) {
            writeLog(LOG_LEVEL_ERROR, "%s::clickBtnFilter() - queryAllGroup", logName());
            return;
        }
        QList<VelkGroups> kept;
        for (const VelkGroups &group : qAsConst(all)) {
            if (group.groupName.contains(text, Qt::CaseInsensitive))
                kept.append(group);
        }
        fillGroupTable(kept);
    }
}

void ScheduleEditorPage::clickBtnCancel()
{
    emit backClicked(m_isEdit);
}

QList<VelkGroups> ScheduleEditorPage::getVelkGroupsListFromDB()
{
    QList<VelkGroups> groups;
    const quint32 rc = m_db->queryAllGroup(groups);
    noteUnread(rc);
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "%s::getVelkGroupsListFromDB - queryAllGroup", logName());
    return groups;
}

QList<VelkIFPDevice> ScheduleEditorPage::getVelkIFPsListFromDB()
{
    QList<VelkIFPDevice> devices;
    const quint32 rc = m_db->queryAllAvailableIFP(devices);
    noteUnread(rc);
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "%s::getVelkIFPsListFromDB - queryAllAvailableIFP", logName());
    return devices;
}

// ---- scale --------------------------------------------------------------------------------------------------------

QList<QWidget *> ScheduleEditorPage::withChildren(const QList<QWidget *> &containers)
{
    QList<QWidget *> widgets = containers;
    for (QWidget *container : containers) {
        for (QObject *child : container->children()) {
            if (auto *widget = qobject_cast<QWidget *>(child))
                widgets << widget;
        }
    }
    return widgets;
}

void ScheduleEditorPage::scaleShared(bool rescale, const QList<QWidget *> &ownWidgets)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    QList<QWidget *> widgets = ownWidgets;
    widgets << m_form->lbSchedulingTitleBg << m_form->lbSchedulingTitle << m_form->line << m_form->lbState
            << withChildren({m_form->widgetRepeat, m_form->widgetTarget, m_form->widgetFilter, m_form->widgetButtons});
    scaleForm(this, factor, widgets, rescale, false);
    scaleWidgetGeometryEx(headerRow(), m_form->tableWidget, true, factor, true);
    QHeaderView *header = m_form->tableWidget->horizontalHeader();
    header->setMinimumSectionSize(int(header->minimumSectionSize() * factor));
    header->setDefaultSectionSize(int(header->defaultSectionSize() * factor));
}

QList<QWidget *> ScheduleEditorPage::headerRow() const
{
    if (uiLayoutDirection() == Qt::LeftToRight)
        return {m_form->headerLeftBorder, m_form->checkBoxName, m_form->lb_IPAddress, m_form->lb_MacAddress,
                m_form->headerRightBorder};
    return {m_form->headerLeftBorder, m_form->lb_MacAddress, m_form->lb_IPAddress, m_form->checkBoxName,
            m_form->headerRightBorder};
}

void ScheduleEditorPage::applyCheckBoxStyle(const QList<QWidget *> &ownBoxes)
{
    const QString suffix = ScheduleFormStyle::imageSuffix();
    m_form->checkBoxName->setStyleSheet(
        QStringLiteral("QCheckBox{background-color: #3a3a3a;color: #edd994;font-size:10pt; font-family:Arial;"
                       "padding-left: 10px;spacing: 10px;border-bottom: 1px solid #1a1a1a;}"
                       "QCheckBox::indicator{width: %2px;height: %2px;}"
                       "QCheckBox::indicator:checked {image: url(:/resource/scheduling/im_check_b%1.png);}"
                       "QCheckBox::indicator:unchecked {image: url(:/resource/scheduling/im_checkbox%1.png);}")
            .arg(suffix)
            .arg(int(16 * getScaleFactor())));
    QList<QWidget *> boxes = ownBoxes;
    boxes << m_form->checkBox_everyday;
    for (QCheckBox *day : m_form->dayBoxes())
        boxes << day;
    for (QWidget *box : qAsConst(boxes))
        box->setStyleSheet(ScheduleFormStyle::checkBoxStyle(QStringLiteral("text-align: left;")));
    for (QRadioButton *radio : {m_form->rBtn_All, m_form->rBtn_Group, m_form->rBtn_SelectDevice})
        radio->setStyleSheet(ScheduleFormStyle::radioButtonStyle());
    for (QWidget *widget : boxes + QList<QWidget *>{m_form->checkBoxName, m_form->rBtn_All, m_form->rBtn_Group,
                                                    m_form->rBtn_SelectDevice})
        scaleStyleSheetFontSize(widget, 10.0, 0.0, false, false);
}
