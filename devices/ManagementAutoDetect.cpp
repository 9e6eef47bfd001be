#include "devices/ManagementAutoDetect.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSet>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "devices/DeviceRules.h"
#include "devices/DeviceStore.h"
#include "network/UPnPServer.h"
#include "shell/base/Session.h"
#include "shell/kit/CurrentRowDelegate.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

namespace {

enum
{
    NameCol,
    IpCol,
    MacCol,
    ModelCol
};

} // namespace

ManagementAutoDetect::ManagementAutoDetect(OrvantaDBIntf *db, QWidget *parent)
    : QDialog(parent), m_db(db), m_reread(db->heldWrites())
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setupSharedDialog(this);
    tableDevices->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    // A name or model cut short keeps its end: the " (2)" that makes a suggestion free, the MAC's last digits.
    tableDevices->setTextElideMode(Qt::ElideMiddle);
    // The keyboard works as in any dialog: the arrows move between the rows, Space ticks the row, Tab leaves the list
    // for the buttons, Enter adds what is ticked.
    tableDevices->setTabKeyNavigation(false);
    // The list shows no selection and its style hides the focus frame: the row the keys reach is marked instead.
    tableDevices->setItemDelegate(new CurrentRowDelegate(tableDevices));
    m_gather.setSingleShot(true);
    m_gather.setInterval(250);
    connect(&m_gather, &QTimer::timeout, this, [this]() {
        if (isVisible())
            refreshList();
    });
    connect(&m_reread, &DbReadRetry::retry, this, [this]() {
        if (isVisible())
            refreshList();
    });
    connect(btnRefresh, &QAbstractButton::clicked, this, &ManagementAutoDetect::refreshList);
    connect(btnCancel, &QAbstractButton::clicked, this, &QDialog::close);
    connect(btnAdd, &QAbstractButton::clicked, this, &ManagementAutoDetect::addChosen);
    connect(tableDevices, &QTableWidget::itemChanged, this, &ManagementAutoDetect::nameItemChanged);
    // The vertical scroll bar comes and goes with the rows, and the columns share what it leaves.
    tableDevices->viewport()->installEventFilter(this);
}

ManagementAutoDetect::~ManagementAutoDetect()
{
    // Closing the dialog hands a name still being typed to the table, after the list is gone.
    disconnect(tableDevices, nullptr, this, nullptr);
}

void ManagementAutoDetect::prepare(int pageMode)
{
    m_pageMode = pageMode == 1 ? 1 : 0;
    // The discovery responder is reached only now: the Device Control page is the one that
    // creates it when the console starts. The list then follows it while the dialog is open.
    if (!m_following) {
        m_following = true;
        connect(UPnPServer::getInstance(), &UPnPServer::heardDevicesChanged, this,
                &ManagementAutoDetect::heardDevicesChanged);
    }
    // Each opening starts afresh: names typed for an earlier one are not offered again.
    applyChange(m_model.clear());
    m_needs = {0, 0, 0, 0};
    m_unreadable = false;
    showWarning(QString());
    refreshList();
}

void ManagementAutoDetect::heardDevicesChanged()
{
    // Every new MAC the responder hears lands here. Reading the list for each of them kept the GUI thread busy
    // for seconds while a fleet powered up; the changes of one interval are taken in together.
    if (isVisible() && !m_gather.isActive())
        m_gather.start();
}

void ManagementAutoDetect::refreshList()
{
    m_gather.stop();
    ++m_refreshes;
    // The command server's managed list follows the Device Control page; the database is the
    // authority on what is managed, so look there as well.
    QSet<QString> managedMacs;
    QSet<QString> managedNames;
    QSet<QString> managedAddresses;
    QList<VelkIFPDevice> managed;
    if (m_db->queryAllAvailableIFP(managed) != DB_OK) {
        // Without the managed list every panel that searched would look new, managed ones too, and be added twice.
        // The rows listed stay as an earlier read left them.
        if (m_db->refusedForNow())
            m_reread.later();
        noteUnreadable(true);
        return;
    }
    m_reread.done();
    noteUnreadable(false);
    for (const VelkIFPDevice &device : qAsConst(managed)) {
        if (!device.macAddress.isEmpty())
            managedMacs.insert(DeviceRules::normalizeMac(device.macAddress));
        managedNames.insert(device.deviceName);
        // A panel listed without a MAC is matched by its address when it connects: one a device already has is
        // managed.
        if (!device.ipAddress.isEmpty())
            managedAddresses.insert(device.ipAddress);
    }

    // The operator scrolled down to a panel: it stays at the top while rows come and go above it.
    QString anchorKey;
    if (tableDevices->verticalScrollBar()->value() > 0) {
        const int top = tableDevices->rowAt(0);
        if (top >= 0 && top < m_model.size())
            anchorKey = AutoDetectModel::keyOf(m_model.row(top).device);
    }
    const QList<VelkIFPDevice> heard = UPnPServer::getInstance()->unmanagedDevices();
    AutoDetectModel next = m_model;
    AutoDetectModel::Change change = next.refresh(heard, managedMacs, m_pageMode, managedNames, managedAddresses);
    const int current = tableDevices->currentRow();
    if (current >= 0 && change.removed.contains(current)) {
        // The row being named goes (its panel moved to another address, or left): a name still being typed
        // goes into the list first, so a moved panel takes it along.
        commitEditor();
        next = m_model;
        change = next.refresh(heard, managedMacs, m_pageMode, managedNames, managedAddresses);
    }
    m_model = next;
    applyChange(change);
    const int anchor = anchorKey.isEmpty() ? -1 : m_model.rowOfKey(anchorKey);
    if (anchor >= 0) {
        // The scroll range follows the new rows only once the view lays them out.
        tableDevices->doItemsLayout();
        tableDevices->scrollTo(tableDevices->model()->index(anchor, NameCol), QAbstractItemView::PositionAtTop);
    }
}

void ManagementAutoDetect::applyChange(const AutoDetectModel::Change &change)
{
    // The table's own edits are not the operator's.
    const QSignalBlocker blocker(tableDevices);
    QAbstractItemModel *model = tableDevices->model();
    // Neighbouring rows go and come in one step each: the table moves its rows once per run, not once per row.
    for (int i = 0; i < change.removed.size();) {
        int count = 1;
        while (i + count < change.removed.size() && change.removed.at(i + count) == change.removed.at(i) - count)
            ++count;
        model->removeRows(change.removed.at(i) - count + 1, count);
        i += count;
    }
    for (int i = 0; i < change.inserted.size();) {
        int count = 1;
        while (i + count < change.inserted.size() && change.inserted.at(i + count) == change.inserted.at(i) + count)
            ++count;
        model->insertRows(change.inserted.at(i), count);
        for (int row = change.inserted.at(i); row < change.inserted.at(i) + count; ++row)
            fillRow(row);
        i += count;
    }
    for (const int row : change.updated)
        setDeviceCells(row);
    // Only the names that came or changed are measured: a full list measured at every refresh cost as much as the
    // refresh itself. The column keeps the width of the widest name it held since the dialog opened.
    for (const int row : change.inserted)
        noteWidths(row);
    for (const int row : change.updated)
        noteWidths(row);
    if (!change.isEmpty())
        layoutColumns();
    // Space ticks the current row: without one, the keys reached no row.
    if (!tableDevices->currentIndex().isValid() && !m_model.isEmpty())
        tableDevices->setCurrentIndex(tableDevices->model()->index(0, NameCol));
    // "No new devices" is not known while the managed list cannot be read.
    labelEmpty->setVisible(m_model.isEmpty() && !m_unreadable);
    btnAdd->setEnabled(!m_model.isEmpty());
}

void ManagementAutoDetect::fillRow(int row)
{
    const AutoDetectModel::Row &listed = m_model.row(row);
    auto *name = new QTableWidgetItem(listed.name);
    name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    name->setCheckState(listed.checked ? Qt::Checked : Qt::Unchecked);
    tableDevices->setItem(row, NameCol, name);
    for (int column = IpCol; column <= ModelCol; ++column) {
        auto *item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsEnabled);
        tableDevices->setItem(row, column, item);
    }
    setDeviceCells(row);
}

void ManagementAutoDetect::setDeviceCells(int row)
{
    // A suggested name follows the model and gives way to a managed device's or a typed one.
    QTableWidgetItem *name = tableDevices->item(row, NameCol);
    if (name->text() != m_model.row(row).name)
        name->setText(m_model.row(row).name);
    const QString nameTip = plainToolTip(name->text());
    if (name->toolTip() != nameTip)
        name->setToolTip(nameTip);
    const VelkIFPDevice &device = m_model.row(row).device;
    const bool byAddress = device.macAddress.isEmpty();
    const QStringList cells = {device.ipAddress, DeviceRules::macCellText(device.macAddress), device.modelName};
    for (int column = IpCol; column <= ModelCol; ++column) {
        QTableWidgetItem *item = tableDevices->item(row, column);
        item->setText(cells.at(column - IpCol));
        item->setToolTip(plainToolTip(item->text()));
    }
    // The panel searched with a MAC no network card has: it is added by its address, as Add Device adds one.
    if (byAddress)
        tableDevices->item(row, MacCol)
            ->setToolTip(plainToolTip(tr("This device reports a Mac address that no network card has (all zeros, "
                                         "broadcast or multicast). It is added by its IP address alone.")));
}

void ManagementAutoDetect::noteWidths(int row)
{
    // Measured in the table's own font, which its style sheet sets when it is first polished. The style sheet's check
    // box is drawn a little wider than the size hint allows for, and a cell has its padding: without the margin the
    // widest text lost its end.
    tableDevices->ensurePolished();
    const int margin = int(8 * getScaleFactor());
    for (int column = NameCol; column <= ModelCol; ++column) {
        const QModelIndex index = tableDevices->model()->index(row, column);
        m_needs[column] = qMax(m_needs.at(column), tableDevices->sizeHintForIndex(index).width() + margin);
    }
}

void ManagementAutoDetect::nameItemChanged(QTableWidgetItem *item)
{
    showWarning(QString());
    if (item->column() != NameCol || item->row() >= m_model.size())
        return;
    const bool renamed = m_model.row(item->row()).name != item->text();
    m_model.setName(item->row(), item->text());
    m_model.setChecked(item->row(), item->checkState() == Qt::Checked);
    if (!renamed)
        return;
    {
        const QSignalBlocker blocker(tableDevices);
        item->setToolTip(plainToolTip(item->text()));
    }
    noteWidths(item->row());
    layoutColumns();
    // Another row's suggestion may be the very name typed: the next refresh offers it a free one.
    if (isVisible() && !m_gather.isActive())
        m_gather.start();
}

void ManagementAutoDetect::commitEditor()
{
    // A name still being typed counts: leaving the cell hands it to the table.
    const QModelIndex current = tableDevices->currentIndex();
    tableDevices->setCurrentIndex(QModelIndex());
    tableDevices->setCurrentIndex(current);
}

void ManagementAutoDetect::chooseRow(int row, const QString &name)
{
    QTableWidgetItem *item = tableDevices->item(row, NameCol);
    if (!item)
        return;
    item->setText(name);
    item->setCheckState(Qt::Checked);
}

void ManagementAutoDetect::addChosen()
{
    commitEditor();
    // What the responder heard since the last refresh counts: a panel that moved stored its old address.
    if (m_gather.isActive())
        refreshList();
    QList<int> rows;
    QSet<QString> chosenNames;
    DeviceStore store(m_db);
    for (int row = 0; row < m_model.size(); ++row) {
        const AutoDetectModel::Row &listed = m_model.row(row);
        if (!listed.checked)
            continue;
        DeviceStore::Field field = DeviceStore::NoField;
        QString problem =
            store.checkDeviceInput(listed.name, listed.device.ipAddress, listed.device.macAddress, 0, &field);
        if (problem.isEmpty() && chosenNames.contains(DeviceRules::key(listed.name)))
            problem = tr("Device name is duplicated with other devices.");
        if (!problem.isEmpty()) {
            tableDevices->scrollToItem(tableDevices->item(row, NameCol));
            showWarning(tr("%1: %2").arg(AutoDetectModel::keyOf(listed.device), problem));
            return;
        }
        chosenNames.insert(DeviceRules::key(listed.name));
        rows.append(row);
    }
    if (rows.isEmpty()) {
        showWarning(tr("Tick the devices to add."));
        return;
    }

    QList<VelkIFPDevice> added;
    QString failure;
    for (const int row : qAsConst(rows)) {
        const AutoDetectModel::Row &listed = m_model.row(row);
        VelkIFPDevice device;
        device.deviceName = listed.name;
        device.ipAddress = listed.device.ipAddress;
        device.macAddress = listed.device.macAddress;
        device.modelName = listed.device.modelName;
        device.deviceType = listed.device.deviceType;
        const DeviceStore::Outcome outcome = store.addDevice(device, QStringList());
        if (!outcome.ok()) {
            failure = tr("%1: %2").arg(AutoDetectModel::keyOf(device), outcome.message);
            break;
        }
        added.append(outcome.device);
    }
    if (!added.isEmpty())
        emit devicesAdded(added);
    if (!failure.isEmpty()) {
        refreshList();
        showWarning(failure);
        return;
    }
    close();
}

void ManagementAutoDetect::showWarning(const QString &text)
{
    labelWarning->showWarning(text);
}

QString ManagementAutoDetect::warningText() const
{
    return labelWarning->shownWarning();
}

QString ManagementAutoDetect::unreadableText()
{
    return tr("The device list can't be read right now. New devices are listed once it can.");
}

void ManagementAutoDetect::noteUnreadable(bool unreadable)
{
    const bool changed = unreadable != m_unreadable;
    m_unreadable = unreadable;
    if (unreadable)
        showWarning(unreadableText());
    else if (changed && warningText() == unreadableText())
        showWarning(QString());
    if (changed)
        labelEmpty->setVisible(m_model.isEmpty() && !m_unreadable);
}

void ManagementAutoDetect::layoutColumns()
{
    const int width = tableDevices->viewport()->width();
    // Every column takes what its widest text needs, and its share of the table where that is more: a name cut short
    // showed the managed device's name without the " (2)" that makes it free, and a long name suggested from an
    // address cut the model short ("Velk …eries"). Only where the texts cannot all fit are the names cut, in the
    // middle; the model is in the suggestion and in the cell's tool tip.
    QList<int> needs = m_needs;
    for (int column = NameCol; column <= ModelCol; ++column)
        needs[column] = qMax(needs.at(column), tableDevices->horizontalHeader()->sectionSizeHint(column));
    const QList<int> widths = AutoDetectModel::columnWidths(needs, {34, 20, 24, 12}, width);
    tableDevices->horizontalHeader()->setMinimumSectionSize(0);
    // Set, not stretched: a stretched last column never went below the width it had before it stretched.
    tableDevices->horizontalHeader()->setStretchLastSection(false);
    for (int column = NameCol; column <= ModelCol; ++column)
        tableDevices->setColumnWidth(column, widths.at(column));
    const int rowHeight = int(30 * getScaleFactor());
    tableDevices->verticalHeader()->setDefaultSectionSize(rowHeight);
    tableDevices->horizontalHeader()->setFixedHeight(rowHeight);
}

bool ManagementAutoDetect::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == tableDevices->viewport() && event->type() == QEvent::Resize)
        layoutColumns();
    return QDialog::eventFilter(watched, event);
}

void ManagementAutoDetect::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Enter that ends a name being typed only ends it: the name goes into the list, and nothing is added yet. The
    // name's editor lies in the list's viewport.
    QWidget *focus = QApplication::focusWidget();
    if (focus && tableDevices->viewport()->isAncestorOf(focus))
        return;
    // A button that has the keyboard is pressed, as Space would; anywhere else Enter adds what is ticked.
    auto *focused = qobject_cast<QAbstractButton *>(focus);
    QAbstractButton *target = focused && isAncestorOf(focused) ? focused : btnAdd;
    if (target->isVisible() && target->isEnabled())
        target->click();
}

void ManagementAutoDetect::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
    layoutColumns();
    tableDevices->setFocus();
}

void ManagementAutoDetect::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(
        this, factor,
        {frameContent, labelTitle, labelHint, tableDevices, labelEmpty, labelWarning, btnRefresh, btnCancel, btnAdd},
        rescale, false);
}
