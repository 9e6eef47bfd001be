#include "devices/ManagementAutoDetect.h"

#include <QHash>
#include <QHostAddress>
#include <QSet>
#include <algorithm>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "devices/DeviceRules.h"
#include "devices/DeviceStore.h"
#include "network/UPnPServer.h"
#include "shell/base/Session.h"
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

ManagementAutoDetect::ManagementAutoDetect(OrvantaDBIntf *db, QWidget *parent) : QDialog(parent), m_db(db)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setupSharedDialog(this);
    tableDevices->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    connect(btnRefresh, &QAbstractButton::clicked, this, &ManagementAutoDetect::refreshList);
    connect(btnCancel, &QAbstractButton::clicked, this, &QDialog::close);
    connect(btnAdd, &QAbstractButton::clicked, this, &ManagementAutoDetect::addChosen);
    connect(tableDevices, &QTableWidget::itemChanged, this, [this]() { showWarning(QString()); });
}

ManagementAutoDetect::~ManagementAutoDetect() = default;

QString ManagementAutoDetect::suggestedName(const VelkIFPDevice &heard)
{
    QString model = heard.modelName;
    for (const QChar c : DeviceRules::forbiddenNameCharacters())
        model.remove(c);
    model = model.trimmed();
    if (model.isEmpty())
        model = heard.deviceType == DeviceRules::audioBoxType() ? QStringLiteral("Audio Box") : QStringLiteral("Panel");
    QString tail = heard.macAddress;
    tail.remove(QLatin1Char(':'));
    tail = tail.right(4).toUpper();
    const QString suffix = QLatin1Char('-') + tail;
    return model.left(DeviceRules::MaxNameLength - suffix.size()) + suffix;
}

void ManagementAutoDetect::prepare(int pageMode)
{
    m_pageMode = pageMode == 1 ? 1 : 0;
    // The discovery responder is reached only now: the Device Control page is the one that
    // creates it when the console starts. The list then follows it while the dialog is open.
    if (!m_following) {
        m_following = true;
        connect(UPnPServer::getInstance(), &UPnPServer::heardDevicesChanged, this, [this]() {
            if (isVisible())
                refreshList();
        });
    }
    tableDevices->setRowCount(0);
    m_listed.clear();
    showWarning(QString());
    refreshList();
}

void ManagementAutoDetect::refreshList()
{
    // A name still being typed belongs to the panel of its row: leaving the cell takes it in
    // before the rows are rebuilt, perhaps in another order.
    tableDevices->setCurrentIndex(QModelIndex());
    // Keep what the operator already typed and ticked for devices that are still listed.
    QHash<QString, QPair<QString, bool>> typed;
    for (int row = 0; row < tableDevices->rowCount() && row < m_listed.size(); ++row) {
        const QTableWidgetItem *item = tableDevices->item(row, NameCol);
        typed.insert(DeviceRules::normalizeMac(m_listed.at(row).macAddress),
                     qMakePair(item->text(), item->checkState() == Qt::Checked));
    }

    // The command server's managed list follows the Device Control page; the database is the
    // authority on what is managed, so look there as well.
    QSet<QString> managedMacs;
    QList<VelkIFPDevice> managed;
    m_db->queryAllAvailableIFP(managed);
    for (const VelkIFPDevice &device : qAsConst(managed)) {
        if (!device.macAddress.isEmpty())
            managedMacs.insert(DeviceRules::normalizeMac(device.macAddress));
    }
    m_listed.clear();
    const QList<VelkIFPDevice> heard = UPnPServer::getInstance()->unmanagedDevices();
    for (VelkIFPDevice device : heard) {
        device.macAddress = DeviceRules::normalizeMac(device.macAddress);
        if (device.macAddress.isEmpty() || managedMacs.contains(device.macAddress))
            continue;
        if (device.deviceType != DeviceRules::audioBoxType() && device.deviceType != DeviceRules::controlBoxType())
            device.deviceType = DeviceRules::typeForPageMode(m_pageMode);
        if (!DeviceRules::belongsToPageMode(device.deviceType, m_pageMode))
            continue;
        m_listed.append(device);
    }
    // A stable order: by address, then MAC.
    std::sort(m_listed.begin(), m_listed.end(), [](const VelkIFPDevice &a, const VelkIFPDevice &b) {
        const quint32 ipA = QHostAddress(a.ipAddress).toIPv4Address();
        const quint32 ipB = QHostAddress(b.ipAddress).toIPv4Address();
        return ipA != ipB ? ipA < ipB : a.macAddress < b.macAddress;
    });

    const QSignalBlocker blocker(tableDevices);
    tableDevices->setRowCount(m_listed.size());
    for (int row = 0; row < m_listed.size(); ++row) {
        const VelkIFPDevice &device = m_listed.at(row);
        const auto kept = typed.value(device.macAddress, qMakePair(suggestedName(device), false));
        auto *name = new QTableWidgetItem(kept.first);
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        name->setCheckState(kept.second ? Qt::Checked : Qt::Unchecked);
        tableDevices->setItem(row, NameCol, name);
        const QStringList cells = {device.ipAddress, device.macAddress, device.modelName};
        for (int column = IpCol; column <= ModelCol; ++column) {
            auto *item = new QTableWidgetItem(cells.at(column - IpCol));
            item->setFlags(Qt::ItemIsEnabled);
            item->setToolTip(plainToolTip(item->text()));
            tableDevices->setItem(row, column, item);
        }
    }
    layoutColumns();
    labelEmpty->setVisible(m_listed.isEmpty());
    btnAdd->setEnabled(!m_listed.isEmpty());
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
    QList<int> rows;
    QSet<QString> chosenNames;
    DeviceStore store(m_db);
    for (int row = 0; row < tableDevices->rowCount() && row < m_listed.size(); ++row) {
        const QTableWidgetItem *item = tableDevices->item(row, NameCol);
        if (item->checkState() != Qt::Checked)
            continue;
        const QString name = item->text();
        DeviceStore::Field field = DeviceStore::NoField;
        QString problem =
            store.checkDeviceInput(name, m_listed.at(row).ipAddress, m_listed.at(row).macAddress, 0, &field);
        if (problem.isEmpty() && chosenNames.contains(DeviceRules::key(name)))
            problem = tr("Device name is duplicated with other devices.");
        if (!problem.isEmpty()) {
            tableDevices->scrollToItem(item);
            showWarning(tr("%1: %2").arg(m_listed.at(row).macAddress, problem));
            return;
        }
        chosenNames.insert(DeviceRules::key(name));
        rows.append(row);
    }
    if (rows.isEmpty()) {
        showWarning(tr("Tick the devices to add."));
        return;
    }

    QList<VelkIFPDevice> added;
    QString failure;
    for (const int row : qAsConst(rows)) {
        VelkIFPDevice device;
        device.deviceName = tableDevices->item(row, NameCol)->text();
        device.ipAddress = m_listed.at(row).ipAddress;
        device.macAddress = m_listed.at(row).macAddress;
        device.modelName = m_listed.at(row).modelName;
        device.deviceType = m_listed.at(row).deviceType;
        const DeviceStore::Outcome outcome = store.addDevice(device, QStringList());
        if (!outcome.ok()) {
            failure = tr("%1: %2").arg(device.macAddress, outcome.message);
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

void ManagementAutoDetect::layoutColumns()
{
    const int width = tableDevices->viewport()->width();
    tableDevices->setColumnWidth(NameCol, width * 34 / 100);
    tableDevices->setColumnWidth(IpCol, width * 20 / 100);
    tableDevices->setColumnWidth(MacCol, width * 24 / 100);
    tableDevices->horizontalHeader()->setStretchLastSection(true);
    const int rowHeight = int(30 * getScaleFactor());
    tableDevices->verticalHeader()->setDefaultSectionSize(rowHeight);
    tableDevices->horizontalHeader()->setFixedHeight(rowHeight);
}

void ManagementAutoDetect::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
    layoutColumns();
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
