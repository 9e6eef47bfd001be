#pragma once

#include <QDialog>
#include <QHash>
#include <QList>

#include "accounts/AccountReportRows.h"
#include "accounts/Ui_AccountReportDialog.h"
#include "datastore/VelkIFPDevice.h"
#include "datastore/VelkMultiUser.h"
#include "shell/kit/FormScale.h"

class CmdServer;
class OrvantaDBIntf;
class QPushButton;
class SortingIndicator;

/// How the last account synchronisation of one user went on each of the user's devices: online
/// or not, name, groups, status and time, narrowed by status and a search, sorted by any column.
/// A failed device that is online gets a Sync button that synchronises that panel again.
/// Reads only; a refresh while it shows puts filter, search and order back to their defaults.
class AccountReportDialog : public QDialog, public Ui_AccountReportDialog
{
    Q_OBJECT
public:
    explicit AccountReportDialog(QWidget *parent = nullptr);
    ~AccountReportDialog() override;

    /// Loads and draws the report of this user.
    void refreshReport(VelkMultiUser user);
    /// The rows the table shows, in its order.
    QList<VelkUserDevice> shownRows() const;
    SortingIndicator *indicator(int column) const { return indicators.value(column); }

public slots:
    /// Refreshes the report when it shows; does nothing while it is hidden.
    void updateTable();

private slots:
    void btnStatusAllClicked();
    void btnStatusSuccessfullyClicked();
    void btnStatusFailedClicked();
    void showTextFilteredTableContent();
    void syncNow();
    void sortingByPower();
    void sortingByDevice();
    void sortingByGroup();
    void sortingBySyncStatus();
    void sortingByTime();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void prepareAccountReportList();
    void prepareCurrentShowedAccountReportList();
    void updateStatusButtons();
    void updateBroadcastReportTable();
    void sortReportList();
    void sortBy(AccountReportRows::Column column);
    void selectFilter(AccountReportRows::Filter filter);
    QToolButton *filterButton(AccountReportRows::Filter filter) const;
    /// The device of a row with its joined group names, as read with the rows; false when the
    /// device is gone.
    bool deviceOf(const VelkUserDevice &row, VelkIFPDevice *device, QString *groups) const;
    void layoutHeader();
    /// A Sync button as the table's rows show it.
    QPushButton *newSyncButton();
    /// A white text label of a cell, as the rows show their texts.
    static QLabel *newCellLabel();
    void scaleUi(bool rescale);

    OrvantaDBIntf *db;
    CmdServer *server;
    VelkMultiUser multiUser;
    QList<VelkUserDevice> fullList;
    QList<VelkUserDevice> shownList;
    struct RowDevice
    {
        VelkIFPDevice device;
        QString groups;
    };
    /// The rows' devices by id, read once with the rows: the search, the sorts, the filters and
    /// a rescale redraw the table from them without asking the database again.
    QHash<quint32, RowDevice> rowDevices;
    AccountReportRows::Filter filter = AccountReportRows::AllRows;
    QString selectedStyle;
    QString normalStyle;
    QString searchText;
    QList<SortingIndicator *> indicators;
    FormScale formScale;
};
