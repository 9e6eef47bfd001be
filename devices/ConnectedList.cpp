#include "devices/ConnectedList.h"

#include <QEvent>
#include <QItemSelection>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QTimer>
#include <utility>

#include "datastore/DbReadRetry.h"
#include "datastore/DbResult.h"
#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/ConnectedItem.h"
#include "network/CmdServer.h"
#include "network/DeviceChannel.h"
#include "network/UPnPServer.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/EventLogDialog.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/PowerOnDialog.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

namespace {

void reportDbError(const char *method, const char *operation)
{
    writeLog(LOG_LEVEL_ERROR, "ConnectedList::%s - %s error", method, operation);
}

DeviceControlModel::Link linkOf(CmdServer::ConnectionState state)
{
    switch (state) {
    case CmdServer::Connected:
        return DeviceControlModel::LinkConnected;
    case CmdServer::Locked:
        return DeviceControlModel::LinkLocked;
    case CmdServer::Offline:
        break;
    }
    return DeviceControlModel::LinkOffline;
}

QString legendText(const char *colour, const QString &text)
{
    return QStringLiteral("<span style=\"color:%1;\">&#9679;</span>&nbsp;%2").arg(QLatin1String(colour), text);
}

bool canWake(const VelkIFPDevice &device)
{
    return CmdServer::getInstance()->canWake(device);
}

} // namespace

ConnectedList::ConnectedList(QWidget *parent) : QWidget(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());

    // The discovery responder comes up with this page, so panels find the console once it can show them.
    UPnPServer::getInstance();
    CmdServer *server = CmdServer::getInstance();

    kickDialog = new GeneralMsgDialog(this);
    powerOnDialog = new PowerOnDialog(this);

    // Connection changes arrive in bursts (a whole fleet powering on); one refresh per event-loop turn is enough.
    stateTimer = new QTimer(this);
    stateTimer->setSingleShot(true);
    stateTimer->setInterval(0);
    connect(stateTimer, &QTimer::timeout, this, &ConnectedList::refreshStates);
    insertTimer = new QTimer(this);
    insertTimer->setSingleShot(true);
    insertTimer->setInterval(0);
    connect(insertTimer, &QTimer::timeout, this, &ConnectedList::flushInserts);

    connect(server, &CmdServer::connectionStatesChanged, this, &ConnectedList::scheduleStateRefresh);
    connect(server, &CmdServer::newConnection, this, &ConnectedList::newConnection);
    connect(server, &CmdServer::kick, this, &ConnectedList::onKick);

    connect(btnEventLog, &QToolButton::clicked, this, &ConnectedList::btnEventLogClicked);
    connect(btnAddDevices, &QToolButton::clicked, this, &ConnectedList::navigateToManagement);
    connect(btnSelectAll, &QToolButton::clicked, this, &ConnectedList::selectAllClicked);
    connect(btnPowerOn, &QToolButton::clicked, this, &ConnectedList::powerOnClicked);
    connect(btnPowerOff, &QToolButton::clicked, this, &ConnectedList::powerOffClicked);
    connect(btnReboot, &QToolButton::clicked, this, &ConnectedList::rebootClicked);
    connect(powerOnDialog, &PowerOnDialog::sendClickOk, this, &ConnectedList::powerOnConfirmed);
    connect(listDevices, &QListWidget::itemClicked, this, &ConnectedList::onItemClicked);
    connect(listDevices, &QListWidget::itemSelectionChanged, this, &ConnectedList::updateSummary);

    labelOnline->setToolTip(tr("Connected and under this console's password"));
    labelLocked->setToolTip(tr("Connected, but holding another password"));
    labelKicked->setToolTip(tr("Taken over by another computer running the program"));
    labelOffline->setToolTip(tr("Not connected"));

    m_reread = new DbReadRetry(OrvantaDBManager::getInstance()->heldWrites(), this);
    connect(m_reread, &DbReadRetry::retry, this, [this] { reloadDevices("retry"); });

    listDevices->viewport()->installEventFilter(this);
    applyMetrics();
    scaleFonts();
    reloadDevices("ConnectedList");
    setupGroupCombo();
}

ConnectedList::~ConnectedList() = default;

// ---- scale ----

void ConnectedList::adjustIconSize(bool rescale)
{
    Q_UNUSED(rescale)
    // Every size is set from its scale-1.0 value, so a repeated call changes nothing.
    applyMetrics();
    refreshStates();
}

void ConnectedList::applyMetrics()
{
    const double s = getScaleFactor();
    auto px = [s](int v) { return ScaleMath::truncScaled(v, s); };

    verticalLayout->setContentsMargins(px(25), px(18), px(25), px(18));
    verticalLayout->setSpacing(px(12));
    headerLayout->setSpacing(px(10));
    actionsLayout->setSpacing(px(10));
    comboGroup->setFixedSize(px(200), px(28));
    comboGroup->applyStyle(comboStyle(s));
    btnEventLog->setFixedHeight(px(28));
    for (QToolButton *button : {btnSelectAll, btnPowerOn, btnPowerOff, btnReboot, btnAddDevices})
        button->setFixedHeight(px(32));
    for (QToolButton *button : {btnEventLog, btnSelectAll, btnPowerOn, btnPowerOff, btnReboot})
        button->setIconSize(QSize(px(16), px(16)));
    listDevices->setStyleSheet(listStyle(s));
    listDevices->setIconSize(QSize(px(64), px(64)));
    m_cellSize = QSize(px(128), px(104));
    m_cellMargin = px(8);
    layoutCells();
    labelEmptyIcon->setFixedHeight(px(96));
    labelEmptyIcon->setPixmap(QIcon(QStringLiteral(":/resource/connectedList/empty_devices.png")).pixmap(px(96)));
}

void ConnectedList::layoutCells()
{
    // The cells share out the whole width, so the tiles spread evenly instead of leaving a gap at the right.
    // The view keeps room for its scroll bar even while the bar is hidden.
    int width = listDevices->viewport()->width();
    if (!listDevices->verticalScrollBar()->isVisible())
        width -=
            listDevices->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, listDevices->verticalScrollBar());
    width -= 1;
    const int columns = qMax(1, width / qMax(1, m_cellSize.width()));
    const QSize cell(qMax(m_cellSize.width(), width / columns), m_cellSize.height());
    // Every item as wide as its cell, so a long name gets the whole width before it is elided.
    const QSize itemSize(cell.width() - m_cellMargin, cell.height() - m_cellMargin);
    if (cell == listDevices->gridSize() && itemSize == m_itemSize)
        return;
    m_itemSize = itemSize;
    for (ConnectedItem *item : qAsConst(m_items))
        item->setSizeHint(m_itemSize);
    listDevices->setGridSize(cell);
}

bool ConnectedList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == listDevices->viewport() && event->type() == QEvent::Resize)
        layoutCells();
    return QWidget::eventFilter(watched, event);
}

void ConnectedList::scaleFonts()
{
    // Each text widget from its own size: a pass over all descendants would scale inherited fonts twice.
    const QList<QPair<QWidget *, double>> sizes = {
        {labelGroup, 10},    {comboGroup, 10},      {labelOnline, 10},   {labelLocked, 10},     {labelKicked, 10},
        {labelOffline, 10},  {btnEventLog, 10},     {listDevices, 10},   {labelEmptyTitle, 14}, {labelEmptyHint, 10},
        {btnAddDevices, 10}, {labelEmptyGroup, 11}, {btnSelectAll, 10},  {labelChosen, 10},     {btnPowerOn, 10},
        {btnPowerOff, 10},   {btnReboot, 10},       {labelPowerNote, 10}};
    for (const auto &entry : sizes)
        scaleStyleSheetFontSize(entry.first, entry.second, 0, false, false);
}

// ---- the device list and the data store ----

bool ConnectedList::reloadDevices(const char *caller, Edit edit, const VelkIFPDevice &device,
                                  const QString &lastDeviceName)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QList<VelkIFPDevice> stored;
    DeviceControlModel::Diff diff;
    const bool read = db->queryAllAvailableIFP(stored) == DB_OK;
    if (read) {
        m_reread->done();
        m_modelRead = true;
        diff = m_model.setDevices(stored);
    } else {
        // Refused for now, it is told once for the hold, not at every read again while it lasts.
        if (!db->refusedForNow() || m_reread->later())
            reportDbError(caller, "queryAllAvailableIFP");
        // The store cannot be read back: follow the one change we were told about, so the page and the command
        // server do not keep a device that is gone or miss one that was added.
        quint32 key = 0;
        switch (edit) {
        case Edit::Insert: {
            const bool known = m_model.keyOf(device) != 0;
            key = m_model.insertDevice(device);
            (known ? diff.changed : diff.added).append(key);
            break;
        }
        case Edit::Update:
            key = m_model.updateDevice(device, lastDeviceName);
            if (key)
                diff.changed.append(key);
            break;
        case Edit::Delete:
            key = m_model.removeDevice(device);
            if (key)
                diff.removed.append(key);
            break;
        case Edit::None:
            break;
        }
    }
    applyDiff(diff);
    applyFilter();
    // A page built while another program held the store exclusively read nothing: handed over, its empty list turned
    // every panel away. The command server reads the list itself meanwhile.
    if (m_modelRead)
        publishManagedDevices();
    refreshStates();
    return read;
}

void ConnectedList::applyDiff(const DeviceControlModel::Diff &diff)
{
    for (quint32 key : diff.removed)
        delete m_items.take(key);
    for (quint32 key : diff.changed) {
        const DeviceControlModel::Entry *entry = m_model.entry(key);
        if (ConnectedItem *item = m_items.value(key); item && entry) {
            item->setDevice(entry->device);
            // The kick mark travels with the record.
            item->setState(entry->state());
        }
    }
    for (quint32 key : diff.added) {
        const DeviceControlModel::Entry *entry = m_model.entry(key);
        if (!entry)
            continue;
        // Given its size and state before it is listed: each change to a listed item is announced to the view.
        auto *item = new ConnectedItem(key, entry->device);
        item->setSizeHint(m_itemSize);
        item->setState(entry->state());
        listDevices->addItem(item);
        item->setHidden(!entry->visible);
        m_items.insert(key, item);
    }
    if (!diff.added.isEmpty() || !diff.changed.isEmpty())
        listDevices->sortItems();
}

void ConnectedList::applyVisibility(const QList<quint32> &keys)
{
    for (quint32 key : keys) {
        ConnectedItem *item = m_items.value(key);
        const DeviceControlModel::Entry *entry = m_model.entry(key);
        if (!item || !entry)
            continue;
        item->setHidden(!entry->visible);
        // A hidden device must not stay chosen: the power commands act on what the operator sees.
        if (!entry->visible && item->isSelected())
            item->setSelected(false);
    }
}

void ConnectedList::publishManagedDevices()
{
    CmdServer::getInstance()->setManagedDevices(m_model.devices());
}

void ConnectedList::insertDB(VelkIFPDevice ifp)
{
    // Followed on the next turn of the event loop: a 5,000-row import would otherwise read the whole device table
    // 5,000 times while the window stands still.
    m_pendingInserts.append(ifp);
    insertTimer->start();
}

void ConnectedList::flushInserts()
{
    insertTimer->stop();
    const QList<VelkIFPDevice> pending = std::exchange(m_pendingInserts, {});
    // One reload that reads the store takes in every pending device; only while the store cannot be read does each
    // device need its own insert.
    for (const VelkIFPDevice &device : pending) {
        if (reloadDevices("insertDB", Edit::Insert, device))
            break;
    }
    if (!pending.isEmpty())
        updateSummary();
}

void ConnectedList::updateDB(VelkIFPDevice ifp, QString lastDeviceName)
{
    flushInserts();
    reloadDevices("updateDB", Edit::Update, ifp, lastDeviceName);
    updateSummary();
}

void ConnectedList::updateAllDB()
{
    flushInserts();
    reloadDevices("updateAllDB");
    updateSummary();
}

void ConnectedList::deleteDB(VelkIFPDevice ifp)
{
    flushInserts();
    // The record handed over may predate the panel's handshake, which fills in the MAC of a device entered by its
    // address alone: take the MAC we hold as well.
    QStringList macs;
    if (!ifp.macAddress.isEmpty())
        macs << ifp.macAddress;
    if (const DeviceControlModel::Entry *entry = m_model.entry(m_model.keyOf(ifp))) {
        if (!entry->device.macAddress.isEmpty() && !macs.contains(entry->device.macAddress))
            macs << entry->device.macAddress;
    }
    // Out of the managed list first, so the panel cannot pass its next handshake; then off the line.
    reloadDevices("deleteDB", Edit::Delete, ifp);
    CmdServer *server = CmdServer::getInstance();
    for (const QString &mac : qAsConst(macs)) {
        VelkIFPDevice stillManaged;
        if (!server->managedDevice(mac, &stillManaged))
            server->disconnectDevice(mac);
    }
    updateSummary();
}

// ---- groups ----

void ConnectedList::setupGroupCombo()
{
    disconnect(comboGroup, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &ConnectedList::groupChange);
    comboGroup->clear();
    m_groups.clear();
    comboGroup->addItem(tr("All"));
    if (OrvantaDBManager::getInstance()->queryAllGroup(m_groups) != DB_OK) {
        reportDbError("setupGroupCombo", "queryAllGroup");
        m_groups.clear();
    }
    for (const VelkGroups &group : qAsConst(m_groups))
        comboGroup->addItem(BoundedText::shown(group.groupName));
    comboGroup->setCurrentIndex(0);
    groupChange(0);
    connect(comboGroup, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &ConnectedList::groupChange);
    refreshStates();
}

void ConnectedList::groupChange(int index)
{
    m_groupIndex = (index > 0 && index <= m_groups.size()) ? index : 0;
    applyFilter();
    updateSummary();
}

void ConnectedList::applyFilter()
{
    if (m_groupIndex == 0) {
        applyVisibility(m_model.showAll());
        return;
    }
    QList<VelkIFPDevice> members;
    if (OrvantaDBManager::getInstance()->queryIFPByGroup(m_groups.at(m_groupIndex - 1), members) != DB_OK) {
        // Keep what the filter showed before rather than hide every device.
        reportDbError("groupChange", "queryIFPByGroup");
        return;
    }
    QSet<quint32> ids;
    for (const VelkIFPDevice &member : qAsConst(members))
        ids.insert(member.did);
    applyVisibility(m_model.showOnly(ids));
}

// ---- connection states ----

void ConnectedList::scheduleStateRefresh()
{
    if (!stateTimer->isActive())
        stateTimer->start();
}

void ConnectedList::refreshStates()
{
    stateTimer->stop();
    const CmdServer *server = CmdServer::getInstance();
    const QList<quint32> changed =
        m_model.refreshLinks([server](const QString &mac) { return linkOf(server->connectionState(mac)); },
                             [server](quint32 did) { return linkOf(server->connectionStateOfDevice(did)); });
    for (quint32 key : changed) {
        if (ConnectedItem *item = m_items.value(key))
            item->setState(m_model.entry(key)->state());
    }
    updateSummary();
}

void ConnectedList::newConnection(DeviceChannel *channel)
{
    if (!channel)
        return;
    if (isMultiUserSupportedModel(channel->getModelName(), channel->getDisplayClientVersion()))
        channel->checkAccountSync();

    // The handshake wrote the panel's report into the record (a device entered by address now has its MAC).
    VelkIFPDevice held;
    if (CmdServer::getInstance()->managedDevice(channel->getMacAddress(), &held)) {
        const quint32 key = m_model.keyOf(held);
        const DeviceControlModel::Entry *entry = m_model.entry(key);
        if (entry && !DeviceControlModel::sameRecord(entry->device, held)) {
            m_model.replaceRecord(held);
            if (ConnectedItem *item = m_items.value(key))
                item->setDevice(m_model.entry(key)->device);
        }
    }
    scheduleStateRefresh();
}

// ---- another console took a panel over ----

void ConnectedList::onKick(const QString &mac)
{
    // The command server marked the device in the data store already; this console only shows it.
    if (!isAdminLogin)
        return;
    const quint32 key = m_model.keyOfMac(mac);
    if (key != 0 && m_model.setKicked(key, true)) {
        if (ConnectedItem *item = m_items.value(key))
            item->setState(m_model.entry(key)->state());
    }
    writeLog(LOG_LEVEL_WARNING, "ConnectedList: another console took over %s", qPrintable(mac));
    kickDialog->setMessage(tr("Another computer running the program was detected."));
    kickDialog->show();
    kickDialog->raise();
    updateSummary();
}

void ConnectedList::onItemClicked(QListWidgetItem *item)
{
    if (!item || item->type() != ConnectedItem::Type)
        return;
    auto *connectedItem = static_cast<ConnectedItem *>(item);
    if (connectedItem->state() == DeviceControlModel::Kicked)
        clearKick(connectedItem->key());
}

void ConnectedList::clearKick(quint32 key)
{
    const DeviceControlModel::Entry *entry = m_model.entry(key);
    if (!entry || entry->device.did == 0)
        return;
    const quint32 did = entry->device.did;
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    // The mark alone, so that type, location and camera stay as they are, and under the kick's own key: a kick mark
    // still held (the database was refused while the panel was taken over) is replaced by the take-back instead of
    // being written over it later. Held itself, the take-back is written once the database takes writes.
    if (DbWriteBatch::writeOne(db, "ConnectedList::clearKick",
                               QStringLiteral("take-back of %1").arg(entry->device.deviceName), CmdServer::kickKey(did),
                               [db, did] { return db->updateIFPDeviceKicked(did, false); }) != DB_OK) {
        reportDbError("clearKick", "updateIFPDeviceKicked");
        return;
    }
    // The page and the command server follow what the operator did, not what the database holds yet.
    if (m_model.setKicked(key, false)) {
        if (ConnectedItem *item = m_items.value(key))
            item->setState(m_model.entry(key)->state());
    }
    if (m_modelRead)
        publishManagedDevices();
    updateSummary();
}

// ---- power ----

QList<quint32> ConnectedList::chosenKeys() const
{
    QList<quint32> keys;
    const QList<QListWidgetItem *> selected = listDevices->selectedItems();
    for (QListWidgetItem *item : selected) {
        if (item->type() == ConnectedItem::Type && !item->isHidden())
            keys.append(static_cast<ConnectedItem *>(item)->key());
    }
    return keys;
}

void ConnectedList::powerOnClicked()
{
    refreshStates();
    if (m_model.powerOnTargets(chosenKeys(), canWake).isEmpty())
        return;
    powerOnDialog->show();
    powerOnDialog->raise();
}

void ConnectedList::powerOnConfirmed()
{
    // The states may have moved while the question was open: wake what is offline now.
    refreshStates();
    const QList<VelkIFPDevice> targets = m_model.powerOnTargets(chosenKeys(), canWake);
    if (targets.isEmpty())
        return;
    writeLog(LOG_LEVEL_INFO, "ConnectedList: power on %d devices", targets.size());
    CmdServer::getInstance()->powerOn(targets);
}

void ConnectedList::powerOffClicked()
{
    refreshStates();
    const QList<VelkIFPDevice> targets = m_model.connectedTargets(chosenKeys());
    if (targets.isEmpty())
        return;
    writeLog(LOG_LEVEL_INFO, "ConnectedList: power off %d devices", targets.size());
    CmdServer::getInstance()->powerOff(targets);
}

void ConnectedList::rebootClicked()
{
    refreshStates();
    const QList<VelkIFPDevice> targets = m_model.connectedTargets(chosenKeys());
    if (targets.isEmpty())
        return;
    writeLog(LOG_LEVEL_INFO, "ConnectedList: reboot %d devices", targets.size());
    CmdServer::getInstance()->reboot(targets);
}

void ConnectedList::selectAllClicked()
{
    const QList<quint32> chosen = chosenKeys();
    const bool allChosen = !chosen.isEmpty() && chosen.size() == m_model.visibleCount();
    if (allChosen) {
        listDevices->clearSelection();
        return;
    }
    // One selection change for runs of visible rows: item by item costs a selection update and a repaint each,
    // which a fleet of a thousand panels turns into a noticeable pause.
    QItemSelection selection;
    QAbstractItemModel *rows = listDevices->model();
    int first = -1;
    for (int row = 0; row <= listDevices->count(); ++row) {
        const bool visible = row < listDevices->count() && !listDevices->item(row)->isHidden();
        if (visible && first < 0)
            first = row;
        if (!visible && first >= 0) {
            selection.select(rows->index(first, 0), rows->index(row - 1, 0));
            first = -1;
        }
    }
    listDevices->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

// ---- passwords and the event log ----

void ConnectedList::passWordChange(QString password)
{
    CmdServer *server = CmdServer::getInstance();
    refreshStates();
    // Every connected panel, not only those the filter shows, and by its link key, so that one known by its address
    // alone gets it too: a panel left out would keep the old password and come back locked at its next handshake.
    const QList<VelkIFPDevice> connected = m_model.connectedDevices();
    for (const VelkIFPDevice &device : connected) {
        const QString key = server->linkKey(device);
        if (server->sendPassword(key, password) != 0)
            writeLog(LOG_LEVEL_ERROR, "ConnectedList::passWordChange, send error: %s (%s)",
                     qPrintable(device.deviceName), qPrintable(key));
    }
    server->setControlPassword(password);
}

void ConnectedList::btnEventLogClicked()
{
    // Built at its first opening, which reads the log: the log only grows, and reading it when the page was built
    // held up the log-in for as long as the whole log took to read and lay out.
    if (!eventLogDialog)
        eventLogDialog = new EventLogDialog(this);
    else
        eventLogDialog->initial();
    eventLogDialog->show();
}

// ---- summary ----

void ConnectedList::updateSummary()
{
    const DeviceControlModel::Counts counts = m_model.visibleCounts();
    labelOnline->setText(legendText("#3cd070", tr("Online %1").arg(counts.online)));
    labelLocked->setText(legendText("#f0b429", tr("Locked %1").arg(counts.locked)));
    labelKicked->setText(legendText("#ff5a4f", tr("Taken over %1").arg(counts.kicked)));
    labelOffline->setText(legendText("#8c8c8c", tr("Offline %1").arg(counts.offline)));

    const bool empty = m_model.isEmpty();
    if (empty)
        stackedContent->setCurrentWidget(pageEmpty);
    else if (counts.total == 0)
        stackedContent->setCurrentWidget(pageEmptyGroup);
    else
        stackedContent->setCurrentWidget(listDevices);
    // With nothing to show, the empty panel and its way to the Devices page stand alone.
    for (QWidget *widget : std::initializer_list<QWidget *>{labelGroup, comboGroup, labelOnline, labelLocked,
                                                            labelKicked, labelOffline, widgetActions})
        widget->setVisible(!empty);

    const QList<quint32> chosen = chosenKeys();
    if (chosen.isEmpty())
        labelChosen->setText(tr("Click devices to choose them"));
    else
        labelChosen->setText(tr("%1 of %2 chosen").arg(chosen.size()).arg(counts.total));
    const bool allChosen = !chosen.isEmpty() && chosen.size() == counts.total;
    btnSelectAll->setText(allChosen ? tr("Clear Selection") : tr("Select All"));
    btnSelectAll->setEnabled(counts.total > 0);
    btnPowerOn->setEnabled(!m_model.powerOnTargets(chosen, canWake).isEmpty());
    // Said when they are chosen, not left to a greyed button or a log line.
    const int unwakeable = m_model.unwakeable(chosen, canWake).size();
    if (unwakeable > 0)
        labelPowerNote->setText(
            tr("Power On can't wake %n chosen device(s) without a MAC address.", nullptr, unwakeable));
    labelPowerNote->setVisible(unwakeable > 0);
    const bool anyConnected = !m_model.connectedTargets(chosen).isEmpty();
    btnPowerOff->setEnabled(anyConnected);
    btnReboot->setEnabled(anyConnected);
}

ConnectedItem *ConnectedList::itemByName(const QString &deviceName) const
{
    for (ConnectedItem *item : qAsConst(m_items)) {
        if (item->device().deviceName == deviceName)
            return item;
    }
    return nullptr;
}
