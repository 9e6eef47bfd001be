#pragma once

#include <QDialog>
#include <QString>

#include "devices/Ui_ManagementGroupDialog.h"
#include "shell/kit/FormScale.h"

class DeleteManagementDialog;
class OrvantaDBIntf;

/// Creates, renames and deletes the groups of the page's device family and picks their members
/// from the existing list of managed devices of that family.
class ManagementGroupDialog : public QDialog, public Ui_ManagementGroupDialog
{
    Q_OBJECT
public:
    ManagementGroupDialog(OrvantaDBIntf *db, QWidget *parent = nullptr);
    ~ManagementGroupDialog() override;

    /// Loads the groups and devices of the page mode (1 audio boxes, else panels).
    void prepare(int pageMode);
    /// Shows a group (letter case ignored); an empty name starts a new group.
    void selectGroup(const QString &name);
    /// Ticks exactly the named devices in the member list.
    void setCheckedMembers(const QStringList &names);
    QStringList checkedMembers() const;
    QString currentGroup() const { return m_currentName; }
    QString warningText() const;

public slots:
    void saveGroup();
    /// Asks, then deletes the shown group.
    void deleteGroup();

signals:
    /// Groups or memberships changed; the page reloads.
    void groupChanged();

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void newGroup();
    void confirmedDelete();

private:
    void reloadGroups();
    void showWarning(const QString &text);
    void scaleUi(bool rescale);

    OrvantaDBIntf *m_db;
    DeleteManagementDialog *m_confirm;
    int m_pageMode = 0;
    QString m_groupType;
    QString m_currentName;
    FormScale m_scale;
};
