#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

#include "accounts/DeviceAssignment.h"
#include "accounts/Ui_DeviceListDialog.h"
#include "datastore/VelkMultiUser.h"
#include "shell/kit/FormScale.h"

class CheckCellDelegate;
class CheckTableModel;
class DeviceOverAssignDialog;
class OrvantaDBIntf;
class QCheckBox;
class QMouseEvent;
class SortingIndicator;

/// "Devices List": the panels a user's account is valid on, chosen device by device or group by
/// group among the managed devices that can run the panels' multi-user mode. Save makes the
/// user's assignments equal to the selection of the page that shows; devices already held by as
/// many users as a device takes are named in a warning first and left out.
class DeviceListDialog : public QDialog, public Ui_DeviceListDialog
{
    Q_OBJECT
public:
    explicit DeviceListDialog(QWidget *parent = nullptr);
    ~DeviceListDialog() override;

    void setMultiUser(VelkMultiUser user);
    /// Prepares the window for the user set last: the device page, the stored assignments
    /// checked, no search, no filter, sorted by device name.
    void loadUserDevices();

    /// The managed devices that can run the panels' multi-user mode, in device-name order.
    static QList<VelkIFPDevice> getSupportedDeviceList();

    DeviceOverAssignDialog *overAssignDialog() const { return deviceOverAssignDialog; }
    /// The rows of the device page and the group page, each check box a row's Qt::CheckStateRole.
    CheckTableModel *deviceRows() const { return m_deviceRows; }
    CheckTableModel *groupRows() const { return m_groupRows; }
    SortingIndicator *indicator(int index) const { return indicators.value(index); }

signals:
    void updateMultiUser();

public slots:
    void showContentByType(int indexOfType);
    void showFilteredTableContent();
    void btnFilterClicked();
    void btnApplyFilterClicked();
    void pressEvent(QMouseEvent *event);
    void checkBoxAllClicked(bool checked);
    void tableRowCheckBoxClicked(int row, bool checked);
    void closeSelectedInfo();
    void saveButtonClicked();
    void cancelButtonClicked();
    void sortingDeviceByDevice();
    void sortingDeviceByGroup();
    void sortingGroupByGroupName();
    void sortingGroupByDeviceCounts();
    void removeOverAssignThenSave();
    void saveSelected();

protected:
    void showEvent(QShowEvent *event) override;

private:
    enum Indicator
    {
        DeviceByName,
        DeviceByGroup,
        GroupByName,
        GroupByCount,
    };

    bool onGroupPage() const { return stackedWidgetTables->currentIndex() == 1; }
    void readLists();
    /// Both pages as at an opening, for the lists read last.
    void resetPages();
    void fillDeviceTable();
    void fillGroupTable();
    /// The check cell each row showed, handed to the page's delegate to draw every row's box from.
    void setCheckStamp(CheckCellDelegate *cells);
    QString groupText(int device) const;
    int groupDeviceCount(int group) const;
    /// The devices of the checked rows of the current page, each once, in row order.
    QList<int> checkedDevices() const;
    CheckTableModel *pageRows() const;
    QCheckBox *pageCheckBoxAll();
    void updateSelectionSummary();
    void applyFilter();
    /// A header click: the active column reverses, another column takes the page's last direction.
    void sortByHeader(Indicator clicked, Indicator other);
    void sortPage(Indicator active, bool descending);
    void sortByActiveIndicator();
    void rememberCheckedNames();
    void computeTotals();
    void placeIndicators();
    void scaleUi(bool rescale);

    OrvantaDBIntf *db;
    QList<VelkIFPDevice> supportedDevices;
    QList<int> shownDevices;
    CheckTableModel *m_deviceRows;
    CheckCellDelegate *m_deviceCells;
    QString deviceTotalText;
    DeviceAssignment::GroupIndex groups;
    QList<int> shownGroups;
    CheckTableModel *m_groupRows;
    CheckCellDelegate *m_groupCells;
    QString groupTotalText;
    QString filterSelectedStyle;
    QString filterNormalStyle;
    VelkMultiUser multiUser;
    QList<SortingIndicator *> indicators;
    QStringList rememberedNames;
    bool fillFromRemembered = false;
    DeviceOverAssignDialog *deviceOverAssignDialog;
    FormScale formScale;
};
