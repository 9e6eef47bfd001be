#pragma once

#include "broadcast/BroadcastTargetModel.h"
#include "broadcast/Ui_BroadcastSchedule.h"
#include "datastore/VelkBroadcast.h"
#include "shell/kit/FormScale.h"

#include <QFrame>

class BroadcastMessageDialog;
class CheckCellDelegate;
class CheckTableModel;
class Clock;
class DbReadRetry;
class CmdServer;
class OrvantaDBIntf;
class QMouseEvent;
class SortingIndicator;

/// The first step of the broadcast editor: where a broadcast goes (capable devices, or groups of them, in two
/// tables with search, filter, sorting and a selection bar) and when ("Broadcast Now", or a date and time, once or
/// on chosen weekdays). It keeps the schedule fields of a working record and hands them on; it stores nothing.
///
/// Time comes from the clock seam: the proposed schedule and the check that a start lies ahead.
///
/// While another program holds the database exclusively the devices cannot be read: the step says so where the total
/// stands, instead of "0 devices", and reads them again, as the database's other readers do, until it can; a stored
/// broadcast's targets are checked then.
class BroadcastSchedule : public QFrame, public Ui_BroadcastSchedule
{
    Q_OBJECT

public:
    /// clock: the time source (not owned); null: the system clock.
    explicit BroadcastSchedule(QWidget *parent = nullptr, Clock *clock = nullptr);
    ~BroadcastSchedule() override;

    /// The managed devices that can take a broadcast, in the store's order.
    QList<VelkIFPDevice> getSupportedDeviceList();
    /// Fresh targets, nothing checked, "Broadcast Now".
    void newBroadcast();
    /// The targets and schedule of a stored broadcast.
    void loadBroadcast(VelkBroadcast broadcast);
    /// The working record with the checked targets of the shown page and the schedule as entered ("Broadcast Now":
    /// the current minute, no weekday).
    VelkBroadcast getBroadcastData();
    void scaleUi(bool relativeToPrevious);

    /// The bar, the device-kind flags, the schedule panel and "Next" follow the checked rows.
    void updateSelectedInfo();
    /// Both tables in their default order.
    void refreshTables();
    /// The two totals, of the unfiltered lists.
    void updateTotalInfo();
    void showSortIndicators(bool devicePage);

    const BroadcastTargetModel &targets() const { return m_targets; }
    /// The rows of the two tables, each check box a row's Qt::CheckStateRole; the delegates draw them.
    CheckTableModel *deviceRows() const { return m_deviceRows; }
    CheckTableModel *groupRows() const { return m_groupRows; }
    CheckCellDelegate *deviceCells() const { return m_deviceCells; }
    CheckCellDelegate *groupCells() const { return m_groupCells; }
    BroadcastMessageDialog *messageDialog() const { return m_messageDialog; }
    SortingIndicator *sortIndicator(int index) const { return m_indicators[index]; }
    bool isNow() const { return broadcastData.isNow; }
    /// How many of the chosen targets need waking and Wake-on-LAN cannot wake: offline, with no MAC address.
    int targetsWithoutMac() const;
    /// Said in place of the totals while the devices cannot be read.
    static QString unreadableText();

signals:
    void emitBtnNextClicked(bool isHaveControlBox, bool isHaveAudioDevice);

private slots:
    void showContentByType(int indexOfType);
    void showFilteredTableContent();
    void btnFilterClicked();
    void btnApplyFilterClicked();
    void pressEvent(QMouseEvent *event);
    void checkBoxAllClicked(bool checked);
    void tableRowCheckBoxClicked(int row, bool checked);
    void closeSelectedInfo();
    void scheduleClicked();
    void broadcastNowClicked();
    void repeatSunClicked();
    void repeatMonClicked();
    void repeatTueClicked();
    void repeatWedClicked();
    void repeatThuClicked();
    void repeatFriClicked();
    void repeatSatClicked();
    void btnNextClicked();
    void sortingDeviceByPower();
    void sortingDeviceByDevice();
    void sortingDeviceByGroup();
    void sortingGroupByGroupName();
    void sortingGroupByDeviceCounts();

private:
    bool devicePageShown() const { return stackedWidgetTables->currentIndex() == 0; }
    void prepareTargets();
    /// Checks the targets of the broadcast in the tables, by name.
    void checkTargetsOf(const VelkBroadcast &broadcast);
    /// Reads the devices again after a refused read.
    void rereadTargets();
    void sortBy(BroadcastTargetModel::DeviceColumn column);
    void sortBy(BroadcastTargetModel::GroupColumn column);
    /// Checks or clears every row of the page shown.
    void setPageChecked(bool checked);
    void fillDeviceTable();
    void fillGroupTable();
    /// The schedule panel and the tables as for a new broadcast, with the targets read last.
    void resetForNewBroadcast();
    void setColumnWidths();
    void placeSortIndicators();
    void updateSortIndicators();
    void applyCheckBoxStyle();
    void resetFilterWidgets();
    void setScheduleInputsEnabled(bool enabled);
    void setMode(bool now);
    void toggleRepeat(bool VelkBroadcast::*flag, QToolButton *button);
    void updateRepeatButtons();
    void setTime(int hour, int minute);
    void showMessage(const QString &text);
    void showTotal();

    VelkBroadcast broadcastData;
    bool needDefaultScheduleTime = true;
    QString scheduleSelectedStyle;
    QString scheduleNormalStyle;
    QString nowSelectedStyle;
    QString nowNormalStyle;
    QString repeatOnStyle;
    QString repeatOffStyle;
    QString filterButtonSelectedStyle;
    QString filterButtonNormalStyle;
    BroadcastMessageDialog *m_messageDialog = nullptr;
    OrvantaDBIntf *m_db;
    CmdServer *m_server;
    Clock *m_clock;
    BroadcastTargetModel m_targets;
    DbReadRetry *m_reread;
    // The last read of the devices was refused for now: the tables are empty for want of them, not of devices.
    bool m_devicesUnread = false;
    QString deviceTotalText;
    QString groupTotalText;
    CheckTableModel *m_deviceRows;
    CheckTableModel *m_groupRows;
    CheckCellDelegate *m_deviceCells;
    CheckCellDelegate *m_groupCells;
    bool isHaveControlBox = false;
    bool isHaveAudioDevice = false;
    // Power, Device, Group of the device page; Group, Device Counts of the group page.
    SortingIndicator *m_indicators[5] = {};
    FormScale m_scale;
};
