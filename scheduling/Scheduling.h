#pragma once

#include <QFrame>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "datastore/VelkAutoTestSchedule.h"
#include "datastore/VelkOtaSchedule.h"
#include "datastore/VelkSchedule.h"
#include "scheduling/Ui_Scheduling.h"

class AutoTestRunner;
class OtaScheduleReportDialog;
class OtaScheduleRunner;
class AutoTestScheduleReportDialog;
class Clock;
class CmdServer;
class DeleteScheduleDialog;
class GeneralMsgDialog;
class DeviceControlRunner;
class IFPUpgradeManager;
class OrvantaDBIntf;
class QAction;
class QActionGroup;
class QMenu;
class QMouseEvent;
class QTimer;
class Scheduling_Setting;

/// The Schedule Setup page: the device-control, firmware-update and auto-test schedules in one
/// table each, chosen by a kind switch, with "Add Schedule", a search field and a filter bar per
/// kind. The page also owns the runners that fire the schedules (DeviceControlRunner,
/// AutoTestRunner) and the dialogs it reuses: the schedule setting dialog, the auto-test report
/// and the delete question.
///
/// The main frame creates it once and calls initial() each time the page is selected.
class Scheduling : public QFrame, public Ui_Scheduling
{
    Q_OBJECT

public:
    explicit Scheduling(QWidget *parent = nullptr);
    /// The same on another clock (tests move it instead of waiting).
    explicit Scheduling(Clock *clock, QWidget *parent = nullptr);
    ~Scheduling() override;

    /// Reloads the three schedule kinds and refills the tables.
    void initial();
    /// Hides the filter bars and resets the filter button.
    void resetFilterButtons();
    /// Turns the page to the firmware-update schedules and asks for a version check.
    void showOtaPage();
    /// Lays the page out for the current scale factor (rescale: relative to the previous one).
    void layoutSettingsPage(bool rescale);
    /// Fills the three tables again from the schedules the page holds, as a change of scale needs: no data-store
    /// read, no planning.
    void refillTables();

    // What tests and the screenshot tool look at.
    DeviceControlRunner *deviceControlRunner() const { return m_deviceRunner; }
    AutoTestRunner *autoTestRunner() const { return m_autoTestRunner; }
    OtaScheduleRunner *otaRunner() const { return m_otaRunner; }
    OtaScheduleReportDialog *otaReportDialog() const { return m_otaReportDialog; }
    const QList<VelkOtaSchedule *> &shownOtaSchedules() const { return m_shownOtaScheduleList; }
    QList<CustComboBox *> otaEnableComboBoxes() const { return m_otaEnableComboBoxes; }
    Scheduling_Setting *settingDialog() const { return m_settingDialog; }
    AutoTestScheduleReportDialog *autoTestReportDialog() const { return m_autoTestReportDialog; }
    DeleteScheduleDialog *deleteDialog() const { return m_deleteDialog; }
    /// Says why a change made in a table (Enable/Disable, a deletion) was not stored.
    GeneralMsgDialog *messageDialog() const { return m_messageDialog; }
    const QList<VelkSchedule *> &shownSchedules() const { return m_shownScheduleList; }
    const QList<VelkAutoTestSchedule *> &shownAutoTestSchedules() const { return m_shownAutoTestScheduleList; }
    QList<CustComboBox *> enableComboBoxes() const { return m_enableComboBoxes; }
    QList<CustComboBox *> autoTestEnableComboBoxes() const { return m_autoTestEnableComboBoxes; }
    /// The row menu of a table row (device control: 0, firmware update: 1, auto test: 2).
    QMenu *rowMenu(int kind, int row) const;

signals:
    void btnAddScheduleClicked();

private slots:
    void clickBtnAddSchedule();
    void deviceControlSchedulingSettingSavedSuccess();
    void triggerEditBtnAction(QAction *action);
    void triggerDeleteBtnAction(QAction *action);
    void comboBoxEnableIndexChanged(int index);
    void getToDoList();
    void getToDoAutoTestList();
    void closeNotificationDialog();
    void confirmDeleteSchedule();
    void otaVersionChecked(int checkOtaVersionCase);
    void otaScheduleSettingSavedSuccess(bool updateNow, VelkOtaSchedule savedOtaSchedule);
    void autoTestSchedulingSettingSavedSuccess();
    void showContentByType(int indexOfType);
    void showFilteredTableContent();
    void otaComboBoxEnableIndexChanged(int index);
    void autoTestComboBoxEnableIndexChanged(int index);
    void otaTriggerMenuAction(QAction *action);
    void autoTestTriggerMenuAction(QAction *action);
    void updateOtaScheduleReport();
    void endedRunReportChanged(quint32 osid);
    void btnFilterClicked();
    void btnApplyFilterClicked();
    void pressEvent(QMouseEvent *event);

private:
    void construct();

    // A reload reads a kind's whole list with what its rows show (the device-control rows' names in one read for
    // all, not a query per row), writes the records' display texts, applies the search and fills the table once.
    // A fill makes widgets only; where the runner must follow it, today's plan is built once afterwards.

    // Device control
    void loadSchedules();
    /// Counts, for every power-on schedule, the devices its On Time can't wake (PowerOnReach).
    void countUnwakeable();
    void showAllSchedules();
    void reloadSchedules();
    void updateScheduleTable();
    void fillScheduleTable();
    void updateScheduleTableRows();
    void deleteSchedule();

    // Auto test
    void loadAutoTestSchedules();
    void showAllAutoTestSchedules();
    void reloadAutoTestSchedules(bool keepTaskList);
    void updateAutoTestTable(bool keepTaskList);
    void fillAutoTestTable();
    void updateAutoTestTableRows();
    void editAutoTestRow(int row);
    void confirmDeleteAutoTestSchedule(int row);
    void deleteAutoTestSchedule();
    void showAutoTestScheduleReport(int row);

    // Firmware update
    void loadOtaSchedules();
    void showAllOtaSchedules();
    void reloadOtaSchedules();
    void updateOtaTable();
    void updateOtaTableRows();
    void editOtaRow(int row);
    void deleteOtaSchedule();
    void showOtaScheduleReport(int row);
    /// Asks the update manager for a check the operator is waiting for (cases 2, 3 and 6); a request it drops
    /// because another check runs is asked again until it is taken.
    void askForCheck(int checkCase);
    void retryCheck();

    /// The header strip of a table, border strips first and last, mirrored for right-to-left.
    QList<QWidget *> headerRow(int kind, bool rightToLeft) const;
    /// Each column as wide as its header label.
    void applyColumnWidths(int kind);
    void askToDelete(int kind, quint32 id);
    void centreAndShow(QWidget *dialog);
    /// A change the database did not store: the message says why (deleting: a deletion, else an Enable/Disable).
    void showRefusal(bool deleting);
    /// An Enable/Disable the database did not store: the switch goes back to what is stored, and the message says why.
    void putSwitchBack(CustComboBox *enable, bool stored);
    /// Whether a list the database refused to give for now leaves the table as it is: an empty table would say
    /// there is no schedule at all. Logs it.
    bool keepsShownList(quint32 rc, const char *what);
    void checkBoxStyle();
    /// The search rule of the tables: a record is shown when a column whose filter box is checked contains the text.
    static bool passesFilter(const QList<QPair<QCheckBox *, QString>> &columns, const QString &search);
    /// The Device and Group texts of a row: the names of the chosen devices (target 2) or groups (target 3), "All"
    /// in both for target 1 where the kind has it, nothing for any other target.
    QPair<QString, QString> targetTexts(int target, const QString &deviceNames, const QString &groupNames,
                                        bool allForTargetOne) const;
    /// The Device and Group cells, columns `column` and `column` + 1, from a record's texts: the text of its
    /// target shortened by the count rule, the other cell empty; "All" stands whole.
    void fillTargetCells(QTableWidget *table, int row, int column, int target, const QString &deviceText,
                         int deviceCount, const QString &groupText, int groupCount, bool allForTargetOne);
    /// Columns 4 to 6 of the auto-test and firmware-update tables: the state label, the Enable selector and the
    /// row menu (Edit, Delete, Report).
    void fillStateCells(QTableWidget *table, int row, int status, int failedCount, const QString &runningText,
                        bool enabled, QLabel *statusHeader, QList<CustComboBox *> &combos,
                        QList<QToolButton *> &buttons, void (Scheduling::*comboSlot)(int),
                        void (Scheduling::*menuSlot)(QAction *));
    /// Sets the cell's text elided by the count rule (room: the column width less 10 pixels).
    void setNamesCell(QTableWidget *table, int row, int column, const QString &names, int count);

    enum Kind
    {
        DeviceControlKind = 0,
        FwUpdateKind = 1,
        AutoTestKind = 2,
    };

    Clock *m_clock;
    OrvantaDBIntf *m_db = nullptr;
    CmdServer *m_server = nullptr;
    IFPUpgradeManager *m_upgradeManager = nullptr;
    DeviceControlRunner *m_deviceRunner = nullptr;
    AutoTestRunner *m_autoTestRunner = nullptr;
    Scheduling_Setting *m_settingDialog = nullptr;
    AutoTestScheduleReportDialog *m_autoTestReportDialog = nullptr;
    DeleteScheduleDialog *m_deleteDialog = nullptr;
    GeneralMsgDialog *m_messageDialog = nullptr;
    QActionGroup *m_editActionGroup = nullptr;
    QActionGroup *m_deleteActionGroup = nullptr;

    QList<VelkSchedule> m_scheduleList;
    QList<VelkSchedule *> m_shownScheduleList;
    // The names of each device-control schedule's devices and groups by sid, read with the list.
    QHash<quint32, QStringList> m_scheduleDeviceNames;
    QHash<quint32, QStringList> m_scheduleGroupNames;
    // How many devices of each power-on schedule its On Time can't wake, by sid; absent for none.
    QHash<quint32, int> m_unwakeableOnTime;
    QList<VelkAutoTestSchedule> m_autoTestScheduleList;
    QList<VelkAutoTestSchedule *> m_shownAutoTestScheduleList;
    QList<VelkOtaSchedule> m_otaScheduleList;
    QList<VelkOtaSchedule *> m_shownOtaScheduleList;

    QList<CustComboBox *> m_enableComboBoxes;
    QList<QToolButton *> m_settingButtons;
    QList<CustComboBox *> m_autoTestEnableComboBoxes;
    QList<QToolButton *> m_autoTestSettingButtons;
    QList<CustComboBox *> m_otaEnableComboBoxes;
    QList<QToolButton *> m_otaSettingButtons;

    OtaScheduleRunner *m_otaRunner = nullptr;
    OtaScheduleReportDialog *m_otaReportDialog = nullptr;
    quint32 m_pendingEditOtaId = 0;
    int m_pendingCheck = 0;
    QTimer *m_checkRetry = nullptr;

    // The delete question names the schedule by kind and id, not by row: a runner may reload the
    // table while the question is open, and the answer must still mean the schedule shown.
    int m_pendingDeleteKind = -1;
    quint32 m_pendingDeleteId = 0;

    QString m_selectedFilterStyle;
    QString m_normalFilterStyle;
    double m_appliedScale = 1.0;
};
