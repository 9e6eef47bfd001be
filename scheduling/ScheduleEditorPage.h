#pragma once

#include <QFrame>
#include <QList>

#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"
#include "shell/kit/FormScale.h"

class OrvantaDBIntf;
class QCheckBox;
class Ui_ScheduleEditorForm;

/// What the device-control and the auto-test schedule editors share: the weekday boxes with
/// "Every Day", the target (all devices, groups or chosen devices) with its table of devices or
/// groups, the filter of that table and the marking of an edited schedule's rows. The editors
/// add their time row and their Save.
///
/// Row i of the table always stands for entry i of the list the table was last filled from, so
/// the rows a Save collects are the ones the operator saw checked, never an index past a list.
class ScheduleEditorPage : public QFrame
{
    Q_OBJECT

public:
    ~ScheduleEditorPage() override;

    bool isEditing() const { return m_isEdit; }
    /// The text the warning badge shows, empty while it is hidden.
    QString warningText() const;
    /// The check boxes of the table rows, in row order.
    QList<QCheckBox *> rowCheckBoxes() const { return m_rowCheckBoxes; }

signals:
    void backClicked(bool isEdit);
    void schedulingSettingSavedSuccess();

protected:
    explicit ScheduleEditorPage(QWidget *parent);

    /// Wires the shared widgets of the form; called once the form is built.
    void attachForm(Ui_ScheduleEditorForm *form);
    /// Reads the device and group lists afresh, resets the filter and the shared part of the form.
    void prepare(bool edit);
    /// Checks the target button and shows its table (1 all, 2 chosen devices, 3 groups), marking
    /// the edited schedule's rows.
    void selectTarget(int target);
    /// Sets the weekday boxes from a record's flags; "Every Day" follows.
    template <class Record> void showDays(const Record &record)
    {
        setDays({record.isMon, record.isTue, record.isWed, record.isThu, record.isFri, record.isSat, record.isSun});
    }
    /// Writes the weekday boxes into a record's flags.
    template <class Record> void storeDays(Record &record) const
    {
        const QList<bool> chosen = days();
        record.isMon = chosen.value(0);
        record.isTue = chosen.value(1);
        record.isWed = chosen.value(2);
        record.isThu = chosen.value(3);
        record.isFri = chosen.value(4);
        record.isSat = chosen.value(5);
        record.isSun = chosen.value(6);
    }
    void setDays(const QList<bool> &days);
    QList<bool> days() const;
    /// The widgets and their direct child widgets, for a scaling pass.
    static QList<QWidget *> withChildren(const QList<QWidget *> &containers);
    bool anyDayChecked() const;
    /// 1, 2 or 3 for the checked target button; 0 when none is checked.
    int checkedTarget() const;
    QList<VelkGroups> checkedGroups() const;
    QList<VelkIFPDevice> checkedDevices() const;
    /// Shows the red badge with the text; an empty text hides it.
    void showWarning(const QString &text);
    /// The badge says why the database did not store the schedule; asked right after the refused write.
    void showSaveRefusal();
    /// What the badge says when no device or group is checked: `plain`, unless the table could not be read.
    QString noChoiceText(const QString &plain) const;

    /// Scales the shared widgets and the fonts by the form's next factor (see FormScale).
    void scaleShared(bool rescale, const QList<QWidget *> &ownWidgets);
    void applyCheckBoxStyle(const QList<QWidget *> &ownBoxes);

    /// The target of the schedule being edited, and its rows as stored.
    virtual int editedTarget() const = 0;
    virtual quint32 linkedDevices(QList<VelkIFPDevice> &devices) = 0;
    virtual quint32 linkedGroups(QList<VelkGroups> &groups) = 0;
    /// The class name for the log lines.
    virtual const char *logName() const = 0;

    OrvantaDBIntf *m_db;
    bool m_isEdit = false;

private slots:
    void clickEveryDayCheckBox(int state);
    void clickDayCheckBox(int state);
    void clickrBtnAll(bool state);
    void clickrBtnGroup(bool state);
    void clickrBtnSelectDevice(bool state);
    void clickBtnFilter();
    void clickCheckBoxName(int state);
    void clickBtnCancel();
    void onFocusIn(bool state);
    void clickCheckBox(int state);

private:
    void resetForm();
    /// The header strip over the table, mirrored for right-to-left.
    QList<QWidget *> headerRow() const;
    void setTableAreaVisible(bool visible);
    void fillDeviceTable(const QList<VelkIFPDevice> &devices);
    void fillGroupTable(const QList<VelkGroups> &groups);
    void fillRows(const QStringList &names, const QStringList &addresses, const QStringList &macs);
    /// The header box is checked exactly when the table has rows and all of them are checked.
    void headerFollowsRows();
    void markEditedDevices();
    void markEditedGroups();
    /// Notes a read of the table's lists or of the edited schedule's rows that the database refused for now.
    void noteUnread(quint32 rc);
    /// The badge says that the table could not be read, when that is so and the target shows a table.
    void sayIfUnread();
    QString unreadText() const;
    QList<VelkGroups> getVelkGroupsListFromDB();
    QList<VelkIFPDevice> getVelkIFPsListFromDB();

    Ui_ScheduleEditorForm *m_form = nullptr;
    FormScale m_scale;
    QList<QCheckBox *> m_rowCheckBoxes;
    bool m_everyDayGuard = true;
    bool m_headerGuard = true;
    bool m_filterEdited = false;
    QList<VelkGroups> m_allGroups;
    QList<VelkIFPDevice> m_allDevices;
    /// The device or group list, or the edited schedule's rows, could not be read for now (another program holds the
    /// database): an empty or unchecked table is not known to be so, and the badge says it rather than "select one".
    bool m_unread = false;
    // The lists the table shows: all groups or devices, or those a filter kept.
    QList<VelkGroups> m_tableGroups;
    QList<VelkIFPDevice> m_tableDevices;
};
