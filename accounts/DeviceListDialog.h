#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

#include "accounts/DeviceAssignment.h"
#include "accounts/Ui_DeviceListDialog.h"
#include "datastore/VelkMultiUser.h"
#include "shell/kit/FormScale.h"

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
    /// The check box of a row of the device page or the group page.
    QCheckBox *deviceCheckBox(int row) const { return deviceCheckBoxes.value(row); }
    QCheckBox *groupCheckBox(int row) const { return groupCheckBoxes.value(row); }
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
    void tableRowCheckBoxClicked(bool checked);
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
    void fillDeviceTable();
    void fillGroupTable();
    QWidget *checkCell(QCheckBox **box, bool checked);
    QString groupText(int device) const;
    int groupDeviceCount(int group) const;
    /// The devices of the checked rows of the current page, each once, in row order.
    QList<int> checkedDevices() const;
    QList<QCheckBox *> &pageCheckBoxes();
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
    QList<QCheckBox *> deviceCheckBoxes;
    QString deviceTotalText;
    DeviceAssignment::GroupIndex groups;
    QList<int> shownGroups;
    QList<QCheckBox *> groupCheckBoxes;
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
