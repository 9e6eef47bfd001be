#include "devices/ManagementGroupDialog.h"

#include <QPalette>
#include <QRegularExpressionValidator>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "devices/DeviceRules.h"
#include "devices/DeviceStore.h"
#include "shell/base/BoundedText.h"
#include "shell/base/Session.h"
#include "shell/kit/DeleteManagementDialog.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

ManagementGroupDialog::ManagementGroupDialog(OrvantaDBIntf *db, QWidget *parent) : QDialog(parent), m_db(db)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setupSharedDialog(this);

    editGroupName->setMaxLength(DeviceRules::MaxNameLength);
    editGroupName->setValidator(
        new QRegularExpressionValidator(QRegularExpression(DeviceRules::namePattern()), editGroupName));
    listMembers->setFocusPolicy(Qt::StrongFocus);

    m_confirm = new DeleteManagementDialog(this);
    m_confirm->setOkOnly(false);
    m_confirm->setTitle(productName());
    m_confirm->setRatio(20.0);
    connect(m_confirm, &DeleteManagementDialog::sendClickOK, this, &ManagementGroupDialog::confirmedDelete);

    connect(listGroups, &QListWidget::currentTextChanged, this, [this](const QString &name) {
        if (!name.isEmpty())
            selectGroup(name);
    });
    connect(editGroupName, &QLineEdit::textEdited, this, [this]() { showWarning(QString()); });
    connect(editGroupName, &QLineEdit::returnPressed, this, &ManagementGroupDialog::saveGroup);
    connect(btnNewGroup, &QAbstractButton::clicked, this, &ManagementGroupDialog::newGroup);
    connect(btnDeleteGroup, &QAbstractButton::clicked, this, &ManagementGroupDialog::deleteGroup);
    connect(btnSave, &QAbstractButton::clicked, this, &ManagementGroupDialog::saveGroup);
    connect(btnClose, &QAbstractButton::clicked, this, &QDialog::close);
}

ManagementGroupDialog::~ManagementGroupDialog() = default;

void ManagementGroupDialog::prepare(int pageMode)
{
    m_pageMode = pageMode == 1 ? 1 : 0;
    m_groupType = DeviceRules::typeForPageMode(m_pageMode);
    labelTitle->setText(pageMode == 1 ? tr("Audio Box Groups") : tr("Device Groups"));
    showWarning(QString());
    reloadGroups();
    selectGroup(listGroups->count() > 0 ? storedValue(listGroups->item(0)) : QString());
}

void ManagementGroupDialog::reloadGroups()
{
    const QSignalBlocker blocker(listGroups);
    listGroups->clear();
    QList<VelkGroups> groups;
    m_db->queryAllGroup(groups);
    for (const VelkGroups &group : qAsConst(groups)) {
        if (group.groupType == m_groupType)
            storedListItem(group.groupName, listGroups);
    }
}

void ManagementGroupDialog::selectGroup(const QString &name)
{
    showWarning(QString());
    m_currentName.clear();
    {
        const QSignalBlocker blocker(listGroups);
        listGroups->clearSelection();
        listGroups->setCurrentRow(-1);
        for (int i = 0; i < listGroups->count(); ++i) {
            if (!name.isEmpty() && DeviceRules::sameKey(storedValue(listGroups->item(i)), name)) {
                listGroups->setCurrentRow(i);
                m_currentName = storedValue(listGroups->item(i));
            }
        }
    }
    showStoredText(editGroupName, m_currentName);
    btnDeleteGroup->setEnabled(!m_currentName.isEmpty());
    lbMembers->setText(m_currentName.isEmpty() ? tr("Members of the new group:") : tr("Members:"));

    QStringList members;
    if (!m_currentName.isEmpty()) {
        VelkGroups group;
        group.groupName = m_currentName;
        QList<VelkIFPDevice> devices;
        m_db->queryIFPByGroup(group, devices);
        for (const VelkIFPDevice &device : qAsConst(devices))
            members.append(device.deviceName);
    }
    listMembers->clear();
    QList<VelkIFPDevice> devices;
    m_db->queryAllAvailableIFP(devices);
    for (const VelkIFPDevice &device : qAsConst(devices)) {
        if (!DeviceRules::belongsToPageMode(device.deviceType, m_pageMode))
            continue;
        QListWidgetItem *item = storedListItem(device.deviceName, listMembers);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    setCheckedMembers(members);
    if (m_currentName.isEmpty())
        editGroupName->setFocus();
}

void ManagementGroupDialog::setCheckedMembers(const QStringList &names)
{
    QSet<QString> keys;
    for (const QString &name : names)
        keys.insert(DeviceRules::key(name));
    for (int i = 0; i < listMembers->count(); ++i) {
        QListWidgetItem *item = listMembers->item(i);
        item->setCheckState(keys.contains(DeviceRules::key(storedValue(item))) ? Qt::Checked : Qt::Unchecked);
    }
}

QStringList ManagementGroupDialog::checkedMembers() const
{
    QStringList names;
    for (int i = 0; i < listMembers->count(); ++i) {
        if (listMembers->item(i)->checkState() == Qt::Checked)
            names.append(storedValue(listMembers->item(i)));
    }
    return names;
}

void ManagementGroupDialog::newGroup()
{
    selectGroup(QString());
}

void ManagementGroupDialog::saveGroup()
{
    const QString name = editedOrStored(editGroupName, m_currentName);
    const DeviceStore::Outcome outcome =
        DeviceStore(m_db).saveGroup(m_currentName, name, m_groupType, checkedMembers());
    if (!outcome.ok()) {
        showWarning(outcome.message);
        return;
    }
    reloadGroups();
    selectGroup(name);
    emit groupChanged();
}

void ManagementGroupDialog::deleteGroup()
{
    if (m_currentName.isEmpty())
        return;
    m_confirm->setText(tr("Are you sure you want to delete the group \"%1\"? Its devices stay.")
                           .arg(BoundedText::shown(m_currentName)));
    DialogPlacementRule::centreOnWindowOf(m_confirm, this);
    m_confirm->show();
}

void ManagementGroupDialog::confirmedDelete()
{
    if (m_currentName.isEmpty())
        return;
    const DeviceStore::Outcome outcome = DeviceStore(m_db).deleteGroup(m_currentName);
    if (!outcome.ok()) {
        showWarning(outcome.message);
        return;
    }
    reloadGroups();
    selectGroup(listGroups->count() > 0 ? storedValue(listGroups->item(0)) : QString());
    emit groupChanged();
}

void ManagementGroupDialog::showWarning(const QString &text)
{
    labelWarning->showWarning(text);
}

QString ManagementGroupDialog::warningText() const
{
    return labelWarning->shownWarning();
}

void ManagementGroupDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void ManagementGroupDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor,
              {frameContent, labelTitle, listGroups, btnNewGroup, btnDeleteGroup, lbGroupName, editGroupName, lbMembers,
               listMembers, labelWarning, btnClose, btnSave},
              rescale, false);
}
