#pragma once

#include "datastore/VelkOtaSchedule.h"
#include "firmware/OtaScheduleRules.h"
#include "firmware/OtaSelection.h"
#include "firmware/pages/Ui_OtaScheduleSetting.h"
#include "shell/kit/FormScale.h"

#include <QFrame>
#include <QList>

class Clock;
class CmdServer;
class IFPUpgradeManager;
class OrvantaDBIntf;
class OtaMessageDialog;
class QMouseEvent;
class SortingIndicator;

/// The page on which the operator creates or edits one firmware-update schedule, or asks for an update now. It
/// lists the devices the update manager found out of date, by device or by group, and saves the checked ones with a
/// date and time (or now) after a last confirmation; it never starts an update itself: addScheduleCompleted tells
/// the scheduling page, which does.
///
/// What the rows are, how they filter and sort, and what may be saved are OtaSelection and OtaScheduleRules; this
/// class glues them to the form. The refusals are asked again when the confirmation is accepted, since a run may
/// have started, or the chosen minute passed, while it was open. A save the data store refuses is shown and not
/// announced.
class OtaScheduleSetting : public QFrame, public Ui_OtaScheduleSetting
{
    Q_OBJECT

public:
    explicit OtaScheduleSetting(QWidget *parent = nullptr);
    ~OtaScheduleSetting() override;

    /// Prepares the page for a new schedule.
    void initNewSchedule();
    /// Prepares the page to edit `schedule`.
    void loadSchedule(VelkOtaSchedule schedule);
    /// Scales the page by the UI scale factor: once when built (false), by the change after that (true).
    void scaleUi(bool rescale);

    /// The clock of "today", "now" and the earliest start; the system clock by default.
    void setClock(Clock *clock);
    OtaMessageDialog *messageDialog() const { return otaMessageDialog; }
    quint32 editingScheduleId() const { return m_editingScheduleId; }

signals:
    void backClicked(bool isEdit);
    void addScheduleCompleted(bool updateNow, VelkOtaSchedule savedOtaSchedule);

private slots:
    void showContentByType(int indexOfType);
    void showFilteredTableContent();
    void btnFilterClicked();
    void btnApplyFilterClicked();
    void pressEvent(QMouseEvent *event);
    void checkBoxAllClicked(bool checked);
    void tableRowCheckBoxClicked(bool checked);
    void closeSelectedInfo();
    void scheduleClicked();
    void updateNowClicked();
    void emitBackClicked();
    void addScheduleClicked();
    void addSchedule();
    void sortingDeviceByPower();
    void sortingDeviceByDevice();
    void sortingDeviceByModel();
    void sortingDeviceByGroup();
    void sortingDeviceByVersion();
    void sortingGroupByGroupName();
    void sortingGroupByDeviceCounts();

private:
    OtaSelection::View currentView() const;
    void prepareRows();
    void resetForm();
    void fillTable(OtaSelection::View view);
    void fillTables();
    void sortBy(OtaSelection::View view, int column);
    void applyFilter();
    void updateTotalInfo();
    void updateSelectedInfo();
    void setSelectionBarShown(bool shown);
    void showNewVersionInfo();
    void setUpdateNow(bool updateNow);
    void hideFilterPopups();
    OtaScheduleRules::Request request() const;
    OtaScheduleRules::Notice refusal() const;
    void showNotice(OtaScheduleRules::Notice notice);
    void elideTexts();
    void placeSortingIndicators();
    void updateSortingIndicators();
    void setColumnWidths();
    void mirrorHeaderRows();
    QList<QWidget *> headerRow(OtaSelection::View view) const;
    QList<SortingIndicator *> indicators(OtaSelection::View view) const;
    QList<ClickableLabel *> headerLabels(OtaSelection::View view) const;
    QList<QCheckBox *> &checkBoxes(OtaSelection::View view);

    OtaSelection m_selection;
    QList<QCheckBox *> deviceCheckBoxList;
    QList<QCheckBox *> groupCheckBoxList;
    bool isUpdateNow = false;
    IFPUpgradeManager *upgradeManager = nullptr;
    OrvantaDBIntf *dbIntf = nullptr;
    CmdServer *cmdServer = nullptr;
    Clock *m_clock = nullptr;
    quint32 m_editingScheduleId = 0;
    OtaMessageDialog *otaMessageDialog = nullptr;
    SortingIndicator *powerIndicator = nullptr;
    SortingIndicator *deviceIndicator = nullptr;
    SortingIndicator *modelIndicator = nullptr;
    SortingIndicator *groupIndicator = nullptr;
    SortingIndicator *versionIndicator = nullptr;
    SortingIndicator *groupNameIndicator = nullptr;
    SortingIndicator *deviceCountsIndicator = nullptr;
    FormScale m_scale;
};
