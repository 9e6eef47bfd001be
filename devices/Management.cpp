#include "devices/Management.h"

#include <QApplication>
#include <QHeaderView>
#include <QListWidgetItem>
#include <QMouseEvent>
#include <QPalette>
#include <QResizeEvent>
#include <QTimer>
#include <QWindow>

#include "datastore/DbReadRetry.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/AlertRoad.h"
#include "devices/CameraLink.h"
#include "devices/DeviceRules.h"
#include "devices/DeviceStore.h"
#include "devices/DeviceTableDelegate.h"
#include "devices/DeviceTableModel.h"
#include "devices/ImportDialog.h"
#include "devices/ManagementAddDevice.h"
#include "devices/ManagementAutoDetect.h"
#include "devices/ManagementEditDevice.h"
#include "devices/ManagementGroupDialog.h"
#include "devices/ManagementShowIPInfo.h"
#include "emergency/EmergencyWarningDialog.h"
#include "network/CmdServer.h"
#include "platform/CameraLinkSettings.h"
#include "platform/audio/AudioFolder.h"
#include "platform/audio/AudioSystemHandler.h"
#include "platform/audio/MediaSoundPlayer.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/DeleteManagementDialog.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/UiHelpers.h"

namespace {

QString filterButtonStyle(bool active)
{
    return QStringLiteral("QToolButton{background-color: #333333;border: 1px solid %1;border-radius: 5px;}\n"
                          "QToolButton:hover{border: 1px solid #00acff;}")
        .arg(active ? QStringLiteral("#00acff") : QStringLiteral("#7a7a7a"));
}

int scaled(double length, double scale)
{
    return int(length * scale);
}

} // namespace

Management::Management(QWidget *parent) : QWidget(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    m_db = OrvantaDBManager::getInstance();
    // A fleet connecting writes its records over many turns of the event loop: the rows are read again once for a
    // run of them.
    m_writtenTimer = new QTimer(this);
    m_writtenTimer->setSingleShot(true);
    m_writtenTimer->setInterval(300);
    connect(m_writtenTimer, &QTimer::timeout, this, &Management::reloadTable);
    // A read refused while another program holds the file is tried again; a hidden page reads when it shows.
    m_reread = new DbReadRetry(m_db->heldWrites(), this);
    connect(m_reread, &DbReadRetry::retry, this, [this]() {
        if (isVisible())
            reloadTable();
        else
            m_rowsStale = true;
    });

    m_model = new DeviceTableModel(m_db, this);
    m_delegate = new DeviceTableDelegate(this);
    tableDevices->setModel(m_model);
    tableDevices->setItemDelegate(m_delegate);
    lineEditSearch->setMaxLength(DeviceRules::MaxNameLength);
    btnFilter->setStyleSheet(filterButtonStyle(false));

    // The import and IP dialogs are top-level windows of their own; the page's other dialogs
    // are its children but are sized by their own show events.
    m_importDialog = new ImportDialog(nullptr);
    m_ipInfo = new ManagementShowIPInfo(nullptr);
    m_deleteDialog = new DeleteManagementDialog(this);
    m_deleteDialog->setOkOnly(false);
    m_deleteDialog->setTitle(productName());
    m_deleteDialog->setRatio(20.0);
    m_message = new GeneralMsgDialog(this);
    m_addDialog = new ManagementAddDevice(m_db, nullptr);
    m_editDialog = new ManagementEditDevice(m_db, nullptr);
    m_autoDetect = new ManagementAutoDetect(m_db, nullptr);
    m_groupDialog = new ManagementGroupDialog(m_db, nullptr);

    connect(m_importDialog, &ImportDialog::updateDevice, this, &Management::updateDeviceTable);
    connect(m_importDialog, &ImportDialog::addDeviceSuccess, this, &Management::addDeviceSuccess);
    connect(m_deleteDialog, &DeleteManagementDialog::sendClickOK, this, &Management::confirmedDelete);
    connect(m_deleteDialog, &DeleteManagementDialog::closeNotificationDialog, this,
            [this]() { m_pendingDelete = VelkIFPDevice(); });
    connect(m_addDialog, &ManagementAddDevice::deviceAdded, this, &Management::deviceAdded);
    connect(m_autoDetect, &ManagementAutoDetect::devicesAdded, this, &Management::devicesAdded);
    connect(m_editDialog, &ManagementEditDevice::deviceEdited, this, &Management::deviceEdited);
    connect(m_groupDialog, &ManagementGroupDialog::groupChanged, this, &Management::groupsChanged);

    // The SOS road: the command server's alert reaches the page through the event loop, so the
    // panel's acknowledgement never waits for a window to be built.
    m_unmuter = new AudioSystemHandler(nullptr);
    m_alertRoad = new AlertRoad(m_db, new MediaSoundPlayer(this), m_unmuter, Clock::system(), this);
    m_alertRoad->setBeep([]() { QApplication::beep(); });
    CmdServer *server = CmdServer::getInstance();
    connect(server, &CmdServer::safeAlert, this, &Management::handleSafeAlert, Qt::QueuedConnection);
    connect(server, &CmdServer::safeAlertOfDevice, m_alertRoad, &AlertRoad::handleSafeAlertOfDevice,
            Qt::QueuedConnection);
    connect(server, &CmdServer::deviceRecordsWritten, this, &Management::deviceRecordsWritten);
    connect(m_alertRoad, &AlertRoad::stopSafeAlert, server, &CmdServer::stopSafeAlert);
    connect(m_alertRoad, &AlertRoad::stopSafeAlertOfDevice, server, &CmdServer::stopSafeAlertOfDevice);
    connect(m_alertRoad, &AlertRoad::restoreWindow, this, &Management::restoreWindow);
    // Queued: the main window raises itself on this signal first, and must not cover a warning
    // the operator has to answer.
    connect(this, &Management::restoreWindow, this, &Management::raiseWarnings, Qt::QueuedConnection);
    connect(m_alertRoad, &AlertRoad::startAlert, this, &Management::startAlert);
    connect(m_alertRoad, &AlertRoad::warningRequested, this, &Management::showWarning);
    connect(m_alertRoad, &AlertRoad::alarmCannotSound, this, [this]() {
        for (QWidget *shown : qAsConst(m_warnings)) {
            if (auto *warning = qobject_cast<EmergencyWarningDialog *>(shown))
                warning->showAlarmCannotSound();
        }
    });
    // A note left up once the alarm is heard again would have the operator take a working alarm for a broken one.
    connect(m_alertRoad, &AlertRoad::alarmSoundsAgain, this, [this]() {
        for (QWidget *shown : qAsConst(m_warnings)) {
            if (auto *warning = qobject_cast<EmergencyWarningDialog *>(shown))
                warning->hideAlarmCannotSound();
        }
    });
    // The Broadcast page installs every built-in sound; the alarm must not wait for it.
    QString audioError;
    if (!AudioFolder::installBuiltInSound(AudioFolder::alarmName(), AudioFolder::path(), &audioError))
        writeLog(LOG_LEVEL_ERROR, "%s", qUtf8Printable(audioError));

    m_cameraLink = new CameraLink(m_db, this);
    connect(m_cameraLink, &CameraLink::reloadPtzCamera, this, &Management::reloadPtzCamera);
    connect(m_cameraLink, &CameraLink::editDeviceRequested, this, &Management::editDeviceNamed);
    connect(m_cameraLink, &CameraLink::cameraChosen, this, &Management::cameraChosen);
    for (DeviceFormDialog *form :
         {static_cast<DeviceFormDialog *>(m_addDialog), static_cast<DeviceFormDialog *>(m_editDialog)}) {
        connect(form, &DeviceFormDialog::showCameraDialog, this, [this, form](QString cameraName) {
            m_cameraAsker = form;
            showCameraDialog(cameraName);
        });
    }
    connect(btnSosSetting, &QAbstractButton::clicked, this, &Management::clickSosSetting);

    connect(btnImportList, &QAbstractButton::clicked, this, &Management::clickBtnImportList);
    connect(btnAddDevice, &QAbstractButton::clicked, this, &Management::clickAddDevice);
    connect(btnAutoDetect, &QAbstractButton::clicked, this, &Management::clickAutoDetect);
    connect(btnGroups, &QAbstractButton::clicked, this, &Management::clickGroups);
    connect(btnFilter, &QAbstractButton::clicked, this, [this]() {
        if (frameFilter->isHidden())
            showFilter();
        else
            hideFilter();
    });
    connect(filterLayer, &CustomFilterWidget::pressEvent, this, [this]() { hideFilter(); });
    connect(listFilter, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { filterChosen(listFilter->row(item)); });
    connect(lineEditSearch, &QLineEdit::returnPressed, this, &Management::applySearch);
    connect(lineEditSearch, &QLineEdit::textChanged, this, [this](const QString &text) {
        // Emptying the field brings the whole list back without waiting for Return.
        if (text.isEmpty() && !m_model->searchText().isEmpty())
            applySearch();
    });
    connect(m_delegate, &DeviceTableDelegate::infoClicked, this, &Management::showIpInfo);
    connect(m_delegate, &DeviceTableDelegate::editClicked, this, &Management::editDevice);
    connect(m_delegate, &DeviceTableDelegate::deleteClicked, this, &Management::deleteDevice);
    connect(tableDevices, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        if (index.column() != DeviceTableModel::ActionsColumn)
            editDevice(index.row());
    });
    // Repaint the cell under the pointer as it moves, so the button under it lights up; lay the
    // columns out again when the room beside the scroll bar changes.
    tableDevices->viewport()->installEventFilter(this);

    updateLayout(false);
    setPageMode(0);
}

Management::~Management()
{
    delete m_importDialog;
    delete m_ipInfo;
    delete m_addDialog;
    delete m_editDialog;
    delete m_autoDetect;
    delete m_groupDialog;
    delete m_unmuter;
}

void Management::updateLayout(bool rescale)
{
    const double scale = getScaleFactor();
    // Fonts are brought to the scale once, here; after a screen change the Settings page that
    // holds this page rescales the fonts of everything it contains.
    if (!rescale && m_fontScale == 0.0) {
        m_fontScale = scale;
        if (scale != 1.0)
            scaleWidgetFonts(widgetContent, scale, false, false);
    }
    layoutWidgets();
}

void Management::layoutWidgets()
{
    const double s = getScaleFactor();
    const int w = width();
    const int h = height();
    const int margin = scaled(20, s);
    widgetContent->setGeometry(rect());
    filterLayer->setGeometry(rect());

    const int small = scaled(26, s);
    btnFilter->setGeometry(w - margin - small, scaled(9, s), small, small);
    btnFilter->setIconSize(QSize(scaled(16, s), scaled(16, s)));
    const int searchWidth = scaled(240, s);
    lineEditSearch->setGeometry(btnFilter->x() - scaled(6, s) - searchWidth, scaled(9, s), searchWidth, small);
    lineEditSearch->setTextMargins(scaled(2, s), 0, scaled(4, s), 0);

    const int rowY = scaled(52, s);
    const int rowH = scaled(30, s);
    btnAddDevice->setGeometry(margin, rowY, scaled(132, s), rowH);
    btnAutoDetect->setGeometry(btnAddDevice->geometry().right() + 1 + scaled(8, s), rowY, scaled(132, s), rowH);
    btnGroups->setGeometry(btnAutoDetect->geometry().right() + 1 + scaled(8, s), rowY, scaled(112, s), rowH);
    btnSosSetting->setGeometry(btnGroups->geometry().right() + 1 + scaled(8, s), rowY, scaled(140, s), rowH);
    btnImportList->setGeometry(w - margin - scaled(120, s), rowY, scaled(120, s), rowH);
    for (QPushButton *button : {btnAddDevice, btnAutoDetect, btnGroups, btnSosSetting, btnImportList})
        button->setIconSize(QSize(scaled(14, s), scaled(14, s)));
    const int countX = btnSosSetting->geometry().right() + 1 + scaled(16, s);
    labelCount->setGeometry(countX, rowY, btnImportList->x() - scaled(12, s) - countX, rowH);

    const int tableY = scaled(92, s);
    tableDevices->setGeometry(margin, tableY, w - 2 * margin, qMax(scaled(100, s), h - tableY - margin));
    tableDevices->horizontalHeader()->setFixedHeight(scaled(34, s));
    tableDevices->verticalHeader()->setDefaultSectionSize(scaled(38, s));
    m_delegate->setScale(s);
    const QRect table = tableDevices->geometry();
    labelEmpty->setGeometry(table.x() + scaled(40, s), table.y() + scaled(60, s), table.width() - scaled(80, s),
                            scaled(140, s));

    frameFilter->setGeometry(w - margin - scaled(220, s), scaled(38, s), scaled(220, s), scaled(208, s));
    labelFilterTitle->setGeometry(scaled(12, s), scaled(6, s), scaled(196, s), scaled(26, s));
    listFilter->setGeometry(scaled(6, s), scaled(34, s), scaled(208, s), scaled(166, s));
    layoutColumns();
}

void Management::layoutColumns()
{
    const double s = getScaleFactor();
    const bool audio = m_pageMode == 1;
    tableDevices->setColumnHidden(DeviceTableModel::CameraColumn, !audio);
    const int available = tableDevices->viewport()->width();
    // Addresses and the buttons need their width; names, groups and places share the rest.
    const int ip = scaled(150, s);
    const int mac = scaled(142, s);
    const int actions = scaled(90, s);
    const int rest = qMax(0, available - ip - mac - actions);
    const QVector<int> shares = audio ? QVector<int>{34, 22, 22, 22} : QVector<int>{34, 33, 33, 0};
    const int name = rest * shares.at(0) / 100;
    const int groups = rest * shares.at(1) / 100;
    const int camera = rest * shares.at(3) / 100;
    tableDevices->setColumnWidth(DeviceTableModel::NameColumn, name);
    tableDevices->setColumnWidth(DeviceTableModel::IpColumn, ip);
    tableDevices->setColumnWidth(DeviceTableModel::MacColumn, mac);
    tableDevices->setColumnWidth(DeviceTableModel::GroupsColumn, groups);
    tableDevices->setColumnWidth(DeviceTableModel::LocationColumn, rest - name - groups - camera);
    tableDevices->setColumnWidth(DeviceTableModel::CameraColumn, camera);
    tableDevices->setColumnWidth(DeviceTableModel::ActionsColumn, actions);
}

bool Management::eventFilter(QObject *watched, QEvent *event)
{
    // The scroll bar comes and goes with the rows (an import, a search, a filter) and narrows or
    // widens the room beside it; the columns follow at once, not at the tab's next showing.
    if (watched == tableDevices->viewport() && event->type() == QEvent::Resize)
        layoutColumns();
    if (watched == tableDevices->viewport() && (event->type() == QEvent::MouseMove || event->type() == QEvent::Leave)) {
        if (m_hoverCell.isValid())
            tableDevices->viewport()->update(m_hoverCell);
        m_hoverCell = QRect();
        if (event->type() == QEvent::MouseMove) {
            const QModelIndex index = tableDevices->indexAt(static_cast<QMouseEvent *>(event)->pos());
            if (index.column() == DeviceTableModel::IpColumn || index.column() == DeviceTableModel::ActionsColumn) {
                m_hoverCell = tableDevices->visualRect(index);
                tableDevices->viewport()->update(m_hoverCell);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Management::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutWidgets();
}

void Management::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    layoutColumns();
    if (m_rowsStale)
        reloadTable();
}

void Management::resetSearchBox()
{
    {
        const QSignalBlocker blocker(lineEditSearch);
        lineEditSearch->clear();
    }
    lineEditSearch->setStyleSheet(FormStyle::lineEditStyle());
    if (m_fontScale != 1.0 && m_fontScale != 0.0)
        scaleStyleSheetFontSize(lineEditSearch, 10.0, 0.0, false, false);
    const double s = getScaleFactor();
    lineEditSearch->setTextMargins(scaled(2, s), 0, scaled(4, s), 0);
    m_model->setSearchText(QString());
    reloadTable();
}

void Management::hideFilter()
{
    frameFilter->hide();
    filterLayer->hide();
    const bool active = !m_model->groupFilter().isEmpty();
    btnFilter->setStyleSheet(filterButtonStyle(active));
    btnFilter->setIcon(QIcon(active ? QStringLiteral(":/resource/mangement/icon_filter_active.png")
                                    : QStringLiteral(":/resource/mangement/icon_filter.png")));
}

void Management::showFilter()
{
    fillFilterList();
    filterLayer->show();
    filterLayer->raise();
    frameFilter->show();
    frameFilter->raise();
    btnFilter->setStyleSheet(filterButtonStyle(true));
}

void Management::fillFilterList()
{
    listFilter->clear();
    auto *all = new QListWidgetItem(tr("All Groups"), listFilter);
    all->setSelected(m_model->groupFilter().isEmpty());
    const QString type = DeviceRules::typeForPageMode(m_pageMode);
    for (const VelkGroups &group : m_catalog.groups()) {
        if (group.groupType != type)
            continue;
        QListWidgetItem *item = storedListItem(group.groupName, listFilter);
        item->setToolTip(plainToolTip(group.groupName));
        item->setSelected(DeviceRules::sameKey(group.groupName, m_model->groupFilter()));
    }
}

QSet<QString> Management::groupMembers(const QString &groupName) const
{
    VelkGroups group;
    group.groupName = groupName;
    QList<VelkIFPDevice> members;
    m_db->queryIFPByGroup(group, members);
    QSet<QString> keys;
    for (const VelkIFPDevice &member : qAsConst(members))
        keys.insert(DeviceRules::key(member.deviceName));
    return keys;
}

void Management::filterChosen(int row)
{
    const QListWidgetItem *item = listFilter->item(row);
    const QString name = row <= 0 || !item ? QString() : storedValue(item);
    m_model->setGroupFilter(name, name.isEmpty() ? QSet<QString>() : groupMembers(name));
    hideFilter();
    refreshStatus();
}

void Management::setPageMode(int mode)
{
    const int newMode = mode == 1 ? 1 : 0;
    if (newMode != m_pageMode)
        m_model->setGroupFilter(QString());
    m_pageMode = newMode;
    m_model->setPageMode(m_pageMode);
    hideFilter();
    layoutColumns();
    reloadTable();
}

void Management::applySearch()
{
    m_model->setSearchText(lineEditSearch->text());
    refreshStatus();
}

bool Management::reloadTable()
{
    m_reloadScheduled = false;
    m_rowsStale = false;
    m_writtenTimer->stop();
    // Memberships are read per shown row by the model, and per group by the filter.
    DeviceCatalog fresh;
    if (fresh.load(m_db, false) != 0) {
        // Not "no devices": the rows an earlier read gave stay, and the list is read again once the database gives it.
        // Refused for now, it is told once for the hold, not at every read again while it lasts.
        if (!m_db->refusedForNow() || m_reread->later())
            writeLog(LOG_LEVEL_ERROR, "Management::reloadTable - queryAllAvailableIFP error");
        m_unreadable = true;
        refreshStatus();
        return false;
    }
    m_reread->done();
    m_unreadable = false;
    m_catalog = fresh;
    // A filter on a group that no longer exists would hide everything.
    if (!m_model->groupFilter().isEmpty()) {
        bool exists = false;
        for (const VelkGroups &group : m_catalog.groups())
            exists = exists || DeviceRules::sameKey(group.groupName, m_model->groupFilter());
        if (!exists) {
            m_model->setGroupFilter(QString());
            hideFilter();
        } else {
            m_model->setGroupFilter(m_model->groupFilter(), groupMembers(m_model->groupFilter()));
        }
    }
    m_model->setDevices(m_catalog.devices());
    refreshStatus();
    return true;
}

void Management::deviceRecordsWritten()
{
    // A panel's handshake stored its new address (or model, versions, MAC) in its record: the rows follow, so an
    // edit starts from what the record holds.
    if (!isVisible()) {
        m_rowsStale = true;
        return;
    }
    if (!m_writtenTimer->isActive())
        m_writtenTimer->start();
}

void Management::scheduleReload()
{
    if (m_reloadScheduled)
        return;
    m_reloadScheduled = true;
    QTimer::singleShot(0, this, [this]() {
        if (m_reloadScheduled)
            reloadTable();
    });
}

void Management::refreshStatus()
{
    const int shown = m_model->rowCount();
    const int total = m_model->pageDeviceCount();
    // Nothing read yet is no count of devices.
    if (total == 0 && m_unreadable)
        labelCount->clear();
    else if (shown == total)
        labelCount->setText(tr("Devices: %1").arg(total));
    else
        labelCount->setText(tr("Devices: %1 of %2").arg(shown).arg(total));
    if (total == 0 && m_unreadable) {
        labelEmpty->setText(unreadableText());
    } else if (total == 0) {
        labelEmpty->setText(m_pageMode == 1
                                ? tr("No audio boxes yet.\nAdd one with \"Add Device\", pick one found on the network "
                                     "with \"Auto Detect\", or load a list with \"Import List\".")
                                : tr("No devices yet.\nAdd one with \"Add Device\", pick one found on the network "
                                     "with \"Auto Detect\", or load a list with \"Import List\"."));
    } else {
        labelEmpty->setText(tr("No device matches the search or the group filter."));
    }
    labelEmpty->setVisible(shown == 0);
    labelEmpty->raise();
}

QString Management::unreadableText()
{
    return tr("The device list can't be read right now. It is shown here once it can.");
}

void Management::handleSafeAlert(QString macAddress)
{
    m_alertRoad->handleSafeAlert(macAddress);
}

void Management::stopAlert(QString macAddress)
{
    m_alertRoad->stopAlert(macAddress);
    // The answered warning closes after this returns; the others must then stay in front.
    QMetaObject::invokeMethod(this, &Management::raiseWarnings, Qt::QueuedConnection);
}

void Management::stopAlertOfDevice(quint32 did)
{
    m_alertRoad->stopAlertOfDevice(did);
    QMetaObject::invokeMethod(this, &Management::raiseWarnings, Qt::QueuedConnection);
}

void Management::showWarning(VelkIFPDevice device)
{
    // One warning per alert, a window of its own. It is released once answered: the camera
    // program it may have started runs detached from it.
    auto *warning =
        new EmergencyWarningDialog(nullptr, CameraLinkSettings::defaultSettingsFile(), m_alertRoad->clock());
    warning->setAttribute(Qt::WA_DeleteOnClose);
    if (device.macAddress.isEmpty()) {
        // A panel known by its address alone: its MAC names no one panel, its device does.
        connect(warning, &EmergencyWarningDialog::stopAlert, this,
                [this, did = device.did] { stopAlertOfDevice(did); });
    } else {
        connect(warning, &EmergencyWarningDialog::stopAlert, this, &Management::stopAlert);
    }
    // Back from minimised, the warning would lie over the newer ones, whose modality blocks it:
    // all of them come up again in order, the newest on top.
    connect(warning, &EmergencyWarningDialog::restored, this, &Management::raiseWarnings, Qt::QueuedConnection);
    // The camera is read once the warning is up and the alarm sounds: a database held by another program made both
    // wait for it.
    warning->setAlertInfo(device, CameraLinkSettings().isEnabled(), EmergencyWarningDialog::CameraRead::AfterShown);
    if (m_alertRoad->isBeeping())
        warning->showAlarmCannotSound();
    keepAboveWindow(warning);
    warning->show();
    m_warnings.append(warning);
    raiseWarnings();
}

void Management::raiseWarnings()
{
    m_warnings.removeAll(nullptr);
    for (QWidget *warning : qAsConst(m_warnings)) {
        if (!warning->isVisible())
            continue;
        keepAboveWindow(warning);
        if (warning->isMinimized())
            warning->showNormal();
        warning->raise();
        warning->activateWindow();
    }
}

void Management::keepAboveWindow(QWidget *warning)
{
    // The warning stays a window of its own, but one that belongs to the main window: the window
    // system then keeps it above that window whatever raises it (a click on the blocked window, a
    // second start, the task switcher), which no raise of ours after the fact could promise. The
    // window system reads the owner as the warning is shown, so the warning's native window is
    // made first. A main window never shown has no native window and nothing to stay above.
    QWindow *ownerWindow = window()->windowHandle();
    if (window() == warning || !ownerWindow)
        return;
    if (!warning->windowHandle())
        warning->winId();
    QWindow *warningWindow = warning->windowHandle();
    if (warningWindow && warningWindow->transientParent() != ownerWindow)
        warningWindow->setTransientParent(ownerWindow);
}

void Management::clickSosSetting()
{
    m_cameraLink->clickSosSetting();
}

void Management::showCameraDialog(QString cameraName)
{
    m_cameraLink->showCameraDialog(cameraName);
}

void Management::setDeviceInfo(QString name, QString mac)
{
    m_cameraLink->setDeviceInfo(name, mac);
}

void Management::cameraChosen(const QString &name, const QString &mac)
{
    // Only into the dialog that asked, and only while it is still open for that device.
    if (m_cameraAsker && m_cameraAsker->isVisible())
        m_cameraAsker->setChosenCamera(name, mac);
}

void Management::showAccountErrorMessage(int type)
{
    m_cameraLink->showAccountErrorMessage(type);
}

void Management::showDeviceErrorMessage(QString deviceName, QString ipAddress, QString account)
{
    m_cameraLink->showDeviceErrorMessage(deviceName, ipAddress, account);
}

void Management::checkAccountDeviceChanged()
{
    m_cameraLink->checkAccountDeviceChanged();
}

void Management::editSetting(int type, QString deviceName)
{
    m_cameraLink->editSetting(type, deviceName);
}

void Management::showNotificationDialog(int type)
{
    m_cameraLink->showNotificationDialog(type);
}

void Management::reloadPtzCamera()
{
    reloadTable();
}

void Management::autoCheckPellmar(bool enable)
{
    m_cameraLink->autoCheckPellmar(enable);
}

void Management::editDeviceNamed(const QString &deviceName)
{
    int row = m_model->rowOfName(deviceName);
    if (row < 0) {
        // Hidden by the search or the group filter: show every device again.
        resetSearchBox();
        m_model->setGroupFilter(QString());
        hideFilter();
        reloadTable();
        row = m_model->rowOfName(deviceName);
    }
    if (row >= 0)
        editDevice(row);
}

void Management::clickBtnImportList()
{
    // Without an active window (the console minimised, a test) the page's own window serves.
    QWidget *anchor = QApplication::activeWindow();
    if (!anchor)
        anchor = window();
    const double s = getScaleFactor();
    const QPoint topLeft = anchor->mapToGlobal(QPoint(0, 0));
    m_importDialog->move(topLeft + QPoint(int(255 * s), int(282 * s)));
    m_importDialog->show();
}

void Management::updateDeviceTable()
{
    reloadTable();
    emit updateAllDB();
    emit updateMultiUser();
}

void Management::addDeviceSuccess(VelkIFPDevice device)
{
    // A record without id is no device; the lists must not show an empty entry for it.
    if (device.did == 0)
        return;
    emit insertDB(device);
    scheduleReload();
}

void Management::clickAddDevice()
{
    hideFilter();
    m_addDialog->prepare(m_pageMode);
    DialogPlacementRule::centreOnWindowOf(m_addDialog, this);
    m_addDialog->show();
}

void Management::clickAutoDetect()
{
    hideFilter();
    m_autoDetect->prepare(m_pageMode);
    DialogPlacementRule::centreOnWindowOf(m_autoDetect, this);
    m_autoDetect->show();
}

void Management::clickGroups()
{
    hideFilter();
    m_groupDialog->prepare(m_pageMode);
    DialogPlacementRule::centreOnWindowOf(m_groupDialog, this);
    m_groupDialog->show();
}

void Management::showIpInfo(int row)
{
    const VelkIFPDevice device = m_model->deviceAt(row);
    if (device.did == 0)
        return;
    m_ipInfo->setIPInfo(device);
    DialogPlacementRule::centreOnWindowOf(m_ipInfo, this);
    m_ipInfo->show();
}

void Management::editDevice(int row)
{
    const VelkIFPDevice device = m_model->deviceAt(row);
    if (device.did == 0)
        return;
    m_editDialog->prepare(device, m_model->groupsAt(row));
    DialogPlacementRule::centreOnWindowOf(m_editDialog, this);
    m_editDialog->show();
}

void Management::deleteDevice(int row)
{
    const VelkIFPDevice device = m_model->deviceAt(row);
    if (device.did == 0)
        return;
    m_pendingDelete = device;
    m_deleteDialog->setText(
        tr("Are you sure you want to delete the device \"%1\"?").arg(BoundedText::shown(device.deviceName)));
    DialogPlacementRule::centreOnWindowOf(m_deleteDialog, this);
    m_deleteDialog->show();
}

void Management::confirmedDelete()
{
    const VelkIFPDevice device = m_pendingDelete;
    m_pendingDelete = VelkIFPDevice();
    if (device.did == 0)
        return;
    const DeviceStore::Outcome outcome = DeviceStore(m_db).deleteDevice(device);
    if (!outcome.ok()) {
        writeLog(LOG_LEVEL_ERROR, "Management::confirmedDelete - deleteIFPDevice error");
        showMessage(outcome.message);
        return;
    }
    reloadTable();
    // Take the device off the command server's list before closing its connection, or the
    // panel would reconnect and pass the handshake again.
    CmdServer *server = CmdServer::getInstance();
    server->setManagedDevices(m_catalog.devices());
    if (!device.macAddress.isEmpty())
        server->disconnectDevice(device.macAddress);
    emit deleteDB(device);
    emit deviceDeleted();
    emit updateMultiUser();
}

void Management::deviceAdded(VelkIFPDevice device)
{
    reloadTable();
    emit insertDB(device);
    emit updateMultiUser();
}

void Management::devicesAdded(QList<VelkIFPDevice> devices)
{
    reloadTable();
    for (const VelkIFPDevice &device : qAsConst(devices))
        emit insertDB(device);
    emit updateMultiUser();
}

void Management::deviceEdited(VelkIFPDevice device, QString lastDeviceName)
{
    reloadTable();
    emit updateDB(device, lastDeviceName);
    emit updateMultiUser();
}

void Management::groupsChanged()
{
    reloadTable();
}

void Management::showMessage(const QString &text)
{
    m_message->setMessage(text);
    DialogPlacementRule::centreOnWindowOf(m_message, this);
    m_message->show();
}
