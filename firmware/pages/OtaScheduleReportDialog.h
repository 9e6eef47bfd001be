#pragma once

#include "datastore/VelkOtaSchedule.h"
#include "firmware/OtaReportModel.h"
#include "firmware/pages/Ui_OtaScheduleReportDialog.h"
#include "shell/kit/FormScale.h"

#include <QDialog>
#include <QList>

class IFPUpgradeManager;
class OrvantaDBIntf;
class SortingIndicator;

/// The report of one OTA schedule: one row per device it updates or will update, narrowed by status and by a
/// search text, sorted by any column. It only reads. The scheduling page makes one, opens it with setOtaSchedule
/// and, while it is shown, passes every report change of the running schedule to refreshReport.
///
/// Which rows there are and how they filter and sort is OtaReportModel; this class shows them.
class OtaScheduleReportDialog : public QDialog, public Ui_OtaScheduleReportDialog
{
    Q_OBJECT

public:
    explicit OtaScheduleReportDialog(QWidget *parent = nullptr);
    ~OtaScheduleReportDialog() override;

    /// Loads the report of `schedule` and starts over: all statuses, no search text, sorted by device name.
    void setOtaSchedule(const VelkOtaSchedule &schedule);
    /// Reloads the rows when `schedule` is the one shown, keeping the search text, the status button and the sort.
    void refreshReport(const VelkOtaSchedule &schedule);

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void btnStatusAllClicked();
    void btnStatusNotStartedClicked();
    void btnStatusUpdatingClicked();
    void btnStatusSuccessfullyClicked();
    void btnStatusFailedClicked();
    void showTextFilteredTableContent();
    void sortingByDevice();
    void sortingByModel();
    void sortingByGroup();
    void sortingByFwVersion();
    void sortingByStatus();
    void sortingByUpdateDate();

private:
    QList<QToolButton *> statusButtons() const;
    QList<ClickableLabel *> headerLabels() const;
    QList<QWidget *> headerRow() const;
    void selectStatus(int status);
    void sortBy(int column);
    void updateStatusButtons();
    void fillReportTable();
    void updateIndicators();
    void placeIndicators();
    void elideHeaders();
    void setColumnWidths();
    void mirrorHeaderRow();
    void applyScaleFactor(bool rescale);

    OrvantaDBIntf *dbIntf = nullptr;
    IFPUpgradeManager *upgradeManager = nullptr;
    OtaReportModel m_report;
    QString selectedButtonStyle;
    QString normalButtonStyle;
    QList<SortingIndicator *> m_indicators; ///< Device, Model, Group, FW Version, Status, Update Date
    FormScale m_scale;
};
