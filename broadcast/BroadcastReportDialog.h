#pragma once

#include "broadcast/BroadcastReportModel.h"
#include "broadcast/Ui_BroadcastReportDialog.h"
#include "datastore/VelkBroadcast.h"
#include "shell/kit/FormScale.h"

#include <QDialog>

class OrvantaDBIntf;
class SortingIndicator;

/// The outcome of one broadcast, one row per target device: its groups, "Successfully" or "Failed" and why. Status
/// filters with counts, a search (Return runs it) and four sortable columns; it only reads the store.
class BroadcastReportDialog : public QDialog, public Ui_BroadcastReportDialog
{
    Q_OBJECT

public:
    explicit BroadcastReportDialog(QWidget *parent = nullptr);
    ~BroadcastReportDialog() override;

    /// Loads the broadcast's rows and shows them from the defaults: all statuses, no search, by device ascending.
    void showBroadcastReport(const VelkBroadcast &broadcast);

    const BroadcastReportModel &model() const { return m_model; }
    SortingIndicator *sortIndicator(BroadcastReportModel::Column column) const { return m_arrows[column]; }

private slots:
    void btnStatusAllClicked();
    void btnStatusSuccessfullyClicked();
    void btnStatusFailedClicked();
    void showTextFilteredTableContent();
    void sortingByDevice();
    void sortingByGroup();
    void sortingByStatus();
    void sortingByNotes();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString prepareSavedText(const VelkBroadcastReport &row);
    void setStatusFilter(int filter);
    void sortBy(BroadcastReportModel::Column column);
    void updateStatusButtons();
    void updateArrows();
    void fillReportTable();
    void placeHeader();
    void scaleUi(bool fromShowEvent);
    QToolButton *statusButton(int filter) const;

    OrvantaDBIntf *dbIntf;
    VelkBroadcast broadcast;
    BroadcastReportModel m_model;
    QString styleSelected;
    QString styleNormal;
    SortingIndicator *m_arrows[BroadcastReportModel::ColumnCount];
    FormScale m_scale;
};
