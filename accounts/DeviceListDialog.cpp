#include "accounts/DeviceListDialog.h"

#include "accounts/AccountsForm.h"
#include "accounts/DeviceOverAssignDialog.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Log.h"
#include "shell/kit/CheckCellDelegate.h"
#include "shell/kit/CheckTableModel.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/SortingIndicator.h"
#include "shell/kit/UiHelpers.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace {
constexpr int RowHeight = 39;
constexpr int CheckColumnWidth = 40;
constexpr int NameColumnWidth = 260;
// The search accepts what the console's name fields accept.
const char *const SearchPattern = "[^\\\\/:*?\"><|]{0,32}";
} // namespace

DeviceListDialog::DeviceListDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    AccountsForm::setupDialog(this);
    db = OrvantaDBManager::getInstance();
    filterSelectedStyle =
        QStringLiteral("QToolButton{border: none;image: url(:/resource/mangement/icon_filter_active.png);}");
    filterNormalStyle = QStringLiteral("QToolButton{border: none;image: url(:/resource/mangement/icon_filter.png);}");
    btnFilter->setStyleSheet(filterNormalStyle);

    deviceOverAssignDialog = new DeviceOverAssignDialog();
    connect(deviceOverAssignDialog, &DeviceOverAssignDialog::closeDeviceListDialog, this,
            &DeviceListDialog::removeOverAssignThenSave);

    comboBoxType->addItem(tr("By Device"), 0);
    comboBoxType->addItem(tr("By Group"), 1);
    comboBoxType->setCurrentIndex(0);
    connect(comboBoxType, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &DeviceListDialog::showContentByType);
    lineEditFilter->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QLatin1String(SearchPattern)), lineEditFilter));
    lineEditFilter->setMaxLength(32);
    connect(lineEditFilter, &QLineEdit::returnPressed, this, &DeviceListDialog::showFilteredTableContent);
    connect(btnFilter, &QAbstractButton::clicked, this, &DeviceListDialog::btnFilterClicked);
    connect(btnApply1, &QAbstractButton::clicked, this, &DeviceListDialog::btnApplyFilterClicked);
    connect(btnApply2, &QAbstractButton::clicked, this, &DeviceListDialog::btnApplyFilterClicked);
    connect(widgetFilterParent, &CustomFilterWidget::pressEvent, this, &DeviceListDialog::pressEvent);
    connect(deviceCheckBoxAll, &QCheckBox::clicked, this, &DeviceListDialog::checkBoxAllClicked);
    connect(groupCheckBoxAll, &QCheckBox::clicked, this, &DeviceListDialog::checkBoxAllClicked);
    connect(btnCloseInfo, &QAbstractButton::clicked, this, &DeviceListDialog::closeSelectedInfo);
    connect(btnSave, &QAbstractButton::clicked, this, &DeviceListDialog::saveButtonClicked);
    connect(btnCancel, &QAbstractButton::clicked, this, &DeviceListDialog::cancelButtonClicked);
    connect(deviceHeaderDevice, &ClickableLabel::clicked, this, &DeviceListDialog::sortingDeviceByDevice);
    connect(deviceHeaderGroup, &ClickableLabel::clicked, this, &DeviceListDialog::sortingDeviceByGroup);
    connect(groupHeaderGroup, &ClickableLabel::clicked, this, &DeviceListDialog::sortingGroupByGroupName);
    connect(groupHeaderDeviceCounts, &ClickableLabel::clicked, this, &DeviceListDialog::sortingGroupByDeviceCounts);
    stackedWidgetTables->setCurrentIndex(0);

    m_deviceRows = new CheckTableModel(3, this);
    m_groupRows = new CheckTableModel(3, this);
    m_deviceCells = CheckCellDelegate::drawRows(m_deviceRows, tableWidgetDevice);
    m_groupCells = CheckCellDelegate::drawRows(m_groupRows, tableWidgetGroup);
    for (CheckTableModel *rows : {m_deviceRows, m_groupRows})
        connect(rows, &CheckTableModel::checkClicked, this, &DeviceListDialog::tableRowCheckBoxClicked);
    for (QTableView *table : {tableWidgetDevice, tableWidgetGroup}) {
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionMode(QAbstractItemView::NoSelection);
    }
    indicators = {new SortingIndicator(pageDevice), new SortingIndicator(pageDevice), new SortingIndicator(pageGroup),
                  new SortingIndicator(pageGroup)};
    scaleUi(false);
    // The devices are read when the window opens for a user: with thousands of them, reading them and their groups
    // for a window nobody opened made the log-in wait.
    resetPages();
}

DeviceListDialog::~DeviceListDialog()
{
    delete deviceOverAssignDialog;
}

void DeviceListDialog::setMultiUser(VelkMultiUser user)
{
    multiUser = user;
}

QList<VelkIFPDevice> DeviceListDialog::getSupportedDeviceList()
{
    QList<VelkIFPDevice> devices;
    if (DeviceAssignment::supportedDevices(OrvantaDBManager::getInstance(), devices) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "getSupportedDeviceList, queryAllAvailableIFP error");
    return devices;
}

void DeviceListDialog::readLists()
{
    supportedDevices = getSupportedDeviceList();
    shownDevices.clear();
    for (int i = 0; i < supportedDevices.size(); ++i)
        shownDevices.append(i);
    if (DeviceAssignment::groupIndex(db, supportedDevices, groups) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "prepareShowedGroup, queryGroupsByIFP error");
    // Each device's groups as the Group column shows them, joined once: sorting by that column compares them
    // n log n times.
    for (int i = 0; i < supportedDevices.size(); ++i)
        supportedDevices[i].extraText = groups.groupNames.value(supportedDevices.at(i).did).join(QStringLiteral(", "));
    shownGroups.clear();
    for (int i = 0; i < groups.groups.size(); ++i)
        shownGroups.append(i);
}

void DeviceListDialog::loadUserDevices()
{
    readLists();
    resetPages();
}

void DeviceListDialog::resetPages()
{
    lineEditFilter->clear();
    lineEditFilter->clearFocus();
    btnFilter->setStyleSheet(filterNormalStyle);
    widgetFilterParent->hide();
    widgetFilterDevice->hide();
    widgetFilterGroup->hide();
    for (QCheckBox *box : {checkBox1Device, checkBox1Group, checkBox2Group, checkBox2Counts})
        box->setChecked(true);
    {
        const QSignalBlocker blocker(comboBoxType);
        comboBoxType->setCurrentIndex(0);
    }
    stackedWidgetTables->setCurrentIndex(0);
    for (SortingIndicator *sorter : qAsConst(indicators))
        sorter->setState(2);
    indicators.at(DeviceByName)->setState(0);
    indicators.at(GroupByName)->setState(0);
    rememberedNames.clear();
    fillFromRemembered = false;
    sortPage(DeviceByName, false);
    sortPage(GroupByName, false);
    showContentByType(0);
    groupCheckBoxAll->setChecked(false);
    deviceCheckBoxAll->setChecked(m_deviceRows->allChecked());
    updateSelectionSummary();
    computeTotals();
    labelTotalInfo->setText(deviceTotalText);
}

QString DeviceListDialog::groupText(int device) const
{
    return supportedDevices.at(device).extraText;
}

int DeviceListDialog::groupDeviceCount(int group) const
{
    return groups.members.value(groups.groups.at(group).gid).size();
}

void DeviceListDialog::setCheckStamp(CheckCellDelegate *cells)
{
    auto *cell = new QWidget;
    auto *layout = new QHBoxLayout(cell);
    layout->setContentsMargins(ScaleMath::truncScaled(12, getScaleFactor()), 0, 0, 0);
    auto *box = new QCheckBox(cell);
    box->setStyleSheet(FormStyle::indicatorStyle("QCheckBox"));
    layout->addWidget(box);
    cells->setCheckStamp(cell, box);
}

void DeviceListDialog::fillDeviceTable()
{
    // One check box drawn in every row, from a stamp built as each row's widget was.
    setCheckStamp(m_deviceCells);
    QSet<quint32> held;
    if (!fillFromRemembered && !shownDevices.isEmpty())
        DeviceAssignment::assignedDevices(db, multiUser.muid, held);
    QVector<CheckTableModel::Row> rows;
    rows.reserve(shownDevices.size());
    const QSet<QString> remembered(rememberedNames.cbegin(), rememberedNames.cend());
    for (int shown : qAsConst(shownDevices)) {
        const VelkIFPDevice &device = supportedDevices.at(shown);
        const bool checked = fillFromRemembered ? remembered.contains(device.deviceName) : held.contains(device.did);
        rows.append({{QString(), device.deviceName, device.extraText}, checked, 0});
    }
    tableWidgetDevice->verticalHeader()->setDefaultSectionSize(ScaleMath::truncScaled(RowHeight, getScaleFactor()));
    m_deviceRows->setRows(rows);
    // A refilled table starts at its top, as it did when its rows were built anew.
    tableWidgetDevice->scrollToTop();
    rememberedNames.clear();
    fillFromRemembered = false;
}

void DeviceListDialog::fillGroupTable()
{
    setCheckStamp(m_groupCells);
    QVector<CheckTableModel::Row> rows;
    rows.reserve(shownGroups.size());
    const QSet<QString> remembered(rememberedNames.cbegin(), rememberedNames.cend());
    for (int shown : qAsConst(shownGroups)) {
        VelkGroups &group = groups.groups[shown];
        group.extraValue = groupDeviceCount(shown);
        rows.append({{QString(), group.groupName, QString::number(group.extraValue)},
                     fillFromRemembered && remembered.contains(group.groupName),
                     0});
    }
    tableWidgetGroup->verticalHeader()->setDefaultSectionSize(ScaleMath::truncScaled(RowHeight, getScaleFactor()));
    m_groupRows->setRows(rows);
    tableWidgetGroup->scrollToTop();
    rememberedNames.clear();
    fillFromRemembered = false;
}

CheckTableModel *DeviceListDialog::pageRows() const
{
    return onGroupPage() ? m_groupRows : m_deviceRows;
}

QCheckBox *DeviceListDialog::pageCheckBoxAll()
{
    return onGroupPage() ? groupCheckBoxAll : deviceCheckBoxAll;
}

QList<int> DeviceListDialog::checkedDevices() const
{
    QList<int> devices;
    if (!onGroupPage()) {
        for (int row = 0; row < m_deviceRows->rowCount(); ++row) {
            if (m_deviceRows->isChecked(row))
                devices.append(shownDevices.at(row));
        }
        return devices;
    }
    // A device in several checked groups counts once, where it first occurs.
    QSet<int> taken;
    for (int row = 0; row < m_groupRows->rowCount(); ++row) {
        if (!m_groupRows->isChecked(row))
            continue;
        for (int device : groups.members.value(groups.groups.at(shownGroups.at(row)).gid)) {
            if (!taken.contains(device)) {
                taken.insert(device);
                devices.append(device);
            }
        }
    }
    return devices;
}

void DeviceListDialog::updateSelectionSummary()
{
    const int checked = pageRows()->checkedCount();
    const bool none = checked == 0;
    selectedInfoWidget->setVisible(!none);
    comboBoxType->setVisible(none);
    lineEditFilter->setVisible(none);
    btnFilter->setVisible(none);
    if (none)
        return;
    if (!onGroupPage()) {
        labelSelectedInfo->setText(checked < 2 ? tr("%1 device selected").arg(checked)
                                               : tr("%1 devices selected").arg(checked));
        return;
    }
    const int devices = checkedDevices().size();
    const QString groupPart =
        checked < 2 ? tr("%1 group selected (").arg(checked) : tr("%1 groups selected (").arg(checked);
    const QString devicePart = devices < 2 ? tr("%1 device)").arg(devices) : tr("%1 devices)").arg(devices);
    labelSelectedInfo->setText(groupPart + devicePart);
}

void DeviceListDialog::checkBoxAllClicked(bool checked)
{
    pageRows()->setAllChecked(checked);
    updateSelectionSummary();
}

void DeviceListDialog::tableRowCheckBoxClicked(int row, bool checked)
{
    Q_UNUSED(row)
    // Only the page shown takes clicks.
    if (sender() != pageRows())
        return;
    const bool all = pageRows()->allChecked();
    if (checked && all)
        pageCheckBoxAll()->setChecked(true);
    else if (!checked)
        pageCheckBoxAll()->setChecked(false);
    updateSelectionSummary();
}

void DeviceListDialog::closeSelectedInfo()
{
    selectedInfoWidget->hide();
    comboBoxType->show();
    lineEditFilter->show();
    btnFilter->show();
    pageCheckBoxAll()->setChecked(false);
    pageRows()->setAllChecked(false);
}

void DeviceListDialog::showContentByType(int indexOfType)
{
    stackedWidgetTables->setCurrentIndex(indexOfType == 1 ? 1 : 0);
    const bool groupPage = onGroupPage();
    indicators.at(DeviceByName)->setVisible(!groupPage);
    indicators.at(DeviceByGroup)->setVisible(!groupPage);
    indicators.at(GroupByName)->setVisible(groupPage);
    indicators.at(GroupByCount)->setVisible(groupPage);
    labelTotalInfo->setText(groupPage ? groupTotalText : deviceTotalText);
}

void DeviceListDialog::btnFilterClicked()
{
    widgetFilterParent->show();
    widgetFilterParent->raise();
    btnFilter->setStyleSheet(filterSelectedStyle);
    widgetFilterDevice->setVisible(!onGroupPage());
    widgetFilterGroup->setVisible(onGroupPage());
}

void DeviceListDialog::pressEvent(QMouseEvent *event)
{
    QWidget *box = widgetFilterDevice->isVisible() ? widgetFilterDevice : widgetFilterGroup;
    if (box->isVisible() && !box->geometry().contains(event->pos())) {
        widgetFilterParent->hide();
        box->hide();
        btnFilter->setStyleSheet(filterNormalStyle);
    }
    event->accept();
}

void DeviceListDialog::btnApplyFilterClicked()
{
    widgetFilterParent->hide();
    widgetFilterDevice->hide();
    widgetFilterGroup->hide();
    btnFilter->setStyleSheet(filterNormalStyle);
    applyFilter();
}

void DeviceListDialog::showFilteredTableContent()
{
    applyFilter();
}

void DeviceListDialog::applyFilter()
{
    const QString text = lineEditFilter->text();
    if (!onGroupPage()) {
        shownDevices.clear();
        for (int i = 0; i < supportedDevices.size(); ++i) {
            const bool byName =
                checkBox1Device->isChecked() && supportedDevices.at(i).deviceName.contains(text, Qt::CaseInsensitive);
            const bool byGroup = checkBox1Group->isChecked() && groupText(i).contains(text, Qt::CaseInsensitive);
            if (byName || byGroup)
                shownDevices.append(i);
        }
    } else {
        // The group index was read with the device list; both pages search that one reading.
        shownGroups.clear();
        for (int i = 0; i < groups.groups.size(); ++i) {
            const bool byName =
                checkBox2Group->isChecked() && groups.groups.at(i).groupName.contains(text, Qt::CaseInsensitive);
            const bool byCount = checkBox2Counts->isChecked() && QString::number(groupDeviceCount(i)).contains(text);
            if (byName || byCount)
                shownGroups.append(i);
        }
    }
    sortByActiveIndicator();
}

void DeviceListDialog::rememberCheckedNames()
{
    rememberedNames.clear();
    const bool groupPage = onGroupPage();
    const CheckTableModel *rows = pageRows();
    for (int row = 0; row < rows->rowCount(); ++row) {
        if (!rows->isChecked(row))
            continue;
        rememberedNames.append(groupPage ? groups.groups.at(shownGroups.at(row)).groupName
                                         : supportedDevices.at(shownDevices.at(row)).deviceName);
    }
    fillFromRemembered = true;
}

void DeviceListDialog::sortByHeader(Indicator clicked, Indicator other)
{
    rememberCheckedNames();
    const int state = indicators.at(clicked)->state();
    const bool descending = state == 0 || state == 3;
    indicators.at(other)->setState(descending ? 3 : 2);
    indicators.at(clicked)->setState(descending ? 1 : 0);
    sortPage(clicked, descending);
}

void DeviceListDialog::sortingDeviceByDevice()
{
    sortByHeader(DeviceByName, DeviceByGroup);
}

void DeviceListDialog::sortingDeviceByGroup()
{
    sortByHeader(DeviceByGroup, DeviceByName);
}

void DeviceListDialog::sortingGroupByGroupName()
{
    sortByHeader(GroupByName, GroupByCount);
}

void DeviceListDialog::sortingGroupByDeviceCounts()
{
    sortByHeader(GroupByCount, GroupByName);
}

void DeviceListDialog::sortPage(Indicator active, bool descending)
{
    const auto ordered = [descending](bool less, bool greater) { return descending ? greater : less; };
    if (active == DeviceByName || active == DeviceByGroup) {
        const bool byGroup = active == DeviceByGroup;
        std::sort(shownDevices.begin(), shownDevices.end(), [&](int a, int b) {
            const QString &nameA = supportedDevices.at(a).deviceName;
            const QString &nameB = supportedDevices.at(b).deviceName;
            if (byGroup && groupText(a) != groupText(b))
                return ordered(groupText(a) < groupText(b), groupText(b) < groupText(a));
            return ordered(nameA < nameB, nameB < nameA);
        });
        fillDeviceTable();
        return;
    }
    const bool byCount = active == GroupByCount;
    std::sort(shownGroups.begin(), shownGroups.end(), [&](int a, int b) {
        const QString &nameA = groups.groups.at(a).groupName;
        const QString &nameB = groups.groups.at(b).groupName;
        if (byCount && groupDeviceCount(a) != groupDeviceCount(b))
            return ordered(groupDeviceCount(a) < groupDeviceCount(b), groupDeviceCount(b) < groupDeviceCount(a));
        return ordered(nameA < nameB, nameB < nameA);
    });
    fillGroupTable();
}

void DeviceListDialog::sortByActiveIndicator()
{
    const bool groupPage = onGroupPage();
    for (Indicator which :
         groupPage ? QList<Indicator>{GroupByName, GroupByCount} : QList<Indicator>{DeviceByName, DeviceByGroup}) {
        const int state = indicators.at(which)->state();
        if (state == 0 || state == 1) {
            sortPage(which, state == 1);
            return;
        }
    }
    if (groupPage)
        fillGroupTable();
    else
        fillDeviceTable();
}

void DeviceListDialog::computeTotals()
{
    const int devices = supportedDevices.size();
    deviceTotalText = devices > 1 ? tr("%1 devices in total").arg(devices) : tr("%1 device in total").arg(devices);
    const int groupCount = groups.groups.size();
    if (groupCount == 0) {
        groupTotalText.clear();
        return;
    }
    QSet<int> members;
    for (const QList<int> &list : qAsConst(groups.members))
        members.unite(QSet<int>(list.cbegin(), list.cend()));
    const QString groupPart =
        groupCount > 1 ? tr("%1 groups in total (").arg(groupCount) : tr("%1 group in total (").arg(groupCount);
    const QString devicePart =
        members.size() > 1 ? tr("%1 devices)").arg(members.size()) : tr("%1 device)").arg(members.size());
    groupTotalText = groupPart + devicePart;
}

void DeviceListDialog::saveButtonClicked()
{
    QHash<quint32, int> counts;
    if (DeviceAssignment::otherUserCounts(db, multiUser.muid, counts) != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "DeviceListDialog::saveButtonClicked, queryUserDevice error");
    QStringList over;
    for (int device : checkedDevices()) {
        if (DeviceAssignment::isOverAssigned(counts, supportedDevices.at(device).did))
            over.append(BoundedText::shown(supportedDevices.at(device).deviceName));
    }
    if (over.isEmpty()) {
        close();
        saveSelected();
        emit updateMultiUser();
        return;
    }
    AccountsForm::moveTo(deviceOverAssignDialog, AccountsForm::activeCorner(this), 255, 178);
    deviceOverAssignDialog->setDeviceList(over.join(QLatin1Char(',')));
    deviceOverAssignDialog->show();
}

void DeviceListDialog::removeOverAssignThenSave()
{
    close();
    saveSelected();
    emit updateMultiUser();
}

void DeviceListDialog::saveSelected()
{
    QHash<quint32, int> counts;
    quint32 rc = DeviceAssignment::otherUserCounts(db, multiUser.muid, counts);
    QList<quint32> selection;
    for (int device : checkedDevices()) {
        if (!DeviceAssignment::isOverAssigned(counts, supportedDevices.at(device).did))
            selection.append(supportedDevices.at(device).did);
    }
    if (rc == DB_OK)
        rc = DeviceAssignment::save(db, multiUser.muid, supportedDevices, selection);
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "DeviceListDialog::saveSelected, error 0x%08x", rc);
}

void DeviceListDialog::cancelButtonClicked()
{
    close();
}

void DeviceListDialog::placeIndicators()
{
    const double scale = getScaleFactor();
    const QList<ClickableLabel *> headers = {deviceHeaderDevice, deviceHeaderGroup, groupHeaderGroup,
                                             groupHeaderDeviceCounts};
    const int size = ScaleMath::truncScaled(8, scale);
    for (int i = 0; i < headers.size(); ++i) {
        ClickableLabel *header = headers.at(i);
        setElidedLabelText(header, header->toolTip(), header->width() - 3 * size);
        const int textWidth = header->fontMetrics().horizontalAdvance(header->text());
        int x = header->x() + textWidth + size;
        if (layoutDirection() == Qt::RightToLeft)
            x = header->x() + header->width() - textWidth - 2 * size;
        indicators.at(i)->setGeometry(x, header->y() + (header->height() - size) / 2, size, size);
        indicators.at(i)->raise();
    }
    const int check = ScaleMath::truncScaled(CheckColumnWidth, scale);
    const int name = ScaleMath::truncScaled(NameColumnWidth, scale);
    for (QTableView *table : {tableWidgetDevice, tableWidgetGroup}) {
        table->setColumnWidth(0, check);
        table->setColumnWidth(1, name);
    }
}

void DeviceListDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void DeviceListDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0) {
        if (!rescale)
            placeIndicators();
        return;
    }
    scaleForm(this, factor,
              {frameContent,
               labelDeviceList,
               comboBoxType,
               lineEditFilter,
               btnFilter,
               selectedInfoWidget,
               labelSelectedInfo,
               btnCloseInfo,
               stackedWidgetTables,
               deviceCheckBoxAll,
               deviceHeaderDevice,
               deviceHeaderGroup,
               tableWidgetDevice,
               groupCheckBoxAll,
               groupHeaderGroup,
               groupHeaderDeviceCounts,
               tableWidgetGroup,
               labelTotalInfo,
               btnCancel,
               btnSave,
               widgetFilterParent,
               widgetFilterDevice,
               labelFilter1,
               checkBox1Device,
               checkBox1Group,
               btnApply1,
               widgetFilterGroup,
               labelFilter2,
               checkBox2Group,
               checkBox2Counts,
               btnApply2,
               pageDevice->findChild<QLabel *>(QStringLiteral("headerStrip")),
               pageGroup->findChild<QLabel *>(QStringLiteral("headerStrip"))},
              rescale, false);
    placeIndicators();
    if (rescale) {
        fillDeviceTable();
        fillGroupTable();
    }
}
