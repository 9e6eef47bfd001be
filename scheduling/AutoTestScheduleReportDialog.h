#pragma once

#include <QDialog>

#include "datastore/VelkAutoTestSchedule.h"
#include "scheduling/AutoTestReportModel.h"
#include "scheduling/Ui_AutoTestScheduleReportDialog.h"
#include "shell/kit/FormScale.h"

class OrvantaDBIntf;
class SortingIndicator;

/// The report of one auto-test schedule: one row per device with its groups, how far its test
/// came and a note; five state buttons with counts, a search text and sorting on every column.
/// It reads the database when it is opened and never writes to it.
class AutoTestScheduleReportDialog : public QDialog, public Ui_AutoTestScheduleReportDialog
{
    Q_OBJECT

public:
    explicit AutoTestScheduleReportDialog(QWidget *parent = nullptr);
    ~AutoTestScheduleReportDialog() override;

    /// Loads the schedule's report and resets the state filter, the search and the sorting.
    void showAutoTestScheduleReport(const VelkAutoTestSchedule &schedule);

    int statusFilter() const { return m_statusFilter; }
    SortingIndicator *sortIndicator(int column) const { return m_indicators[column]; }

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void btnStatusAllClicked();
    void btnStatusNotStartedClicked();
    void btnStatusSchedulingClicked();
    void btnStatusSuccessfullyClicked();
    void btnStatusFailedClicked();
    void showTextFilteredTableContent();
    void sortingByDevice();
    void sortingByNotes();
    void sortingByGroup();
    void sortingByStatus();

private:
    void selectStatus(int status);
    QToolButton *statusButton(int status) const;
    void updateStatusButtons();
    void updateReportTable();
    void sortBy(int column);
    void showIndicators();
    void placeIndicators();
    void setColumnWidths();
    void scaleUi(bool rescale);

    OrvantaDBIntf *m_db;
    VelkAutoTestSchedule m_schedule;
    AutoTestReportModel m_model;
    int m_statusFilter = 0;
    QString m_selectedStyle;
    QString m_normalStyle;
    SortingIndicator *m_indicators[4] = {nullptr, nullptr, nullptr, nullptr};
    FormScale m_scale;
};
