#include "accounts/SystemSettingsDialog.h"

#include "accounts/AccountsForm.h"
#include "accounts/AdminPasswordConfirmDialog.h"
#include "accounts/AdminPasswordNewDialog.h"
#include "accounts/BindCardWaitingDialog.h"
#include "accounts/CreateAccountPasswordDialog.h"
#include "accounts/SetupUserConfirmDialog.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/base/Log.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/SwitchControl.h"
#include "shell/kit/UiHelpers.h"

#include <QCloseEvent>
#include <QVBoxLayout>

using M = SystemSettingsModel;

SystemSettingsDialog::SystemSettingsDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    scaleUi(false);
    AccountsForm::setupDialog(this);
    db = OrvantaDBManager::getInstance();
    confirmDialog = new AdminPasswordConfirmDialog();
    newPasswordDialog = new AdminPasswordNewDialog();
    cardPasswordDialog = new CreateAccountPasswordDialog();
    cardDialog = new BindCardWaitingDialog(QString::fromLatin1(metaObject()->className()));
    setupDialog = new SetupUserConfirmDialog();

    connect(confirmDialog, &AdminPasswordConfirmDialog::showSystemSettingsDialog, this, &SystemSettingsDialog::showMe);
    connect(newPasswordDialog, &AdminPasswordNewDialog::showSystemSettingsDialog, this, &SystemSettingsDialog::showMe);
    connect(newPasswordDialog, &AdminPasswordNewDialog::multiUserSwitchOff, this,
            &SystemSettingsDialog::turnMultiUserSwitchOff);
    connect(newPasswordDialog, &AdminPasswordNewDialog::adminPasswordSwitchOn, this,
            &SystemSettingsDialog::turnAdminPasswordSwitchOn);
    connect(newPasswordDialog, &AdminPasswordNewDialog::adminPasswordSwitchOff, this,
            &SystemSettingsDialog::turnAdminPasswordSwitchOff);
    connect(cardPasswordDialog, &CreateAccountPasswordDialog::showSystemSettingsDialog, this,
            &SystemSettingsDialog::showMe);
    connect(cardPasswordDialog, &CreateAccountPasswordDialog::loginCardSwitchOff, this,
            &SystemSettingsDialog::turnLoginCardSwitchOff);
    connect(cardDialog, &BindCardWaitingDialog::adminRdidIdSwitchOff, this,
            &SystemSettingsDialog::turnAdminRfidIdSwitchOff);
    connect(cardDialog, &BindCardWaitingDialog::notifyRfidId, this, &SystemSettingsDialog::saveRfidId);
    connect(setupDialog, &SetupUserConfirmDialog::setupUserSwitchOn, this,
            &SystemSettingsDialog::turnSetupUserSwitchOn);
    connect(setupDialog, &SetupUserConfirmDialog::setupUserSwitchOffConfirmed, this, &SystemSettingsDialog::showMe);
    connect(btnSave, &QAbstractButton::clicked, this, &SystemSettingsDialog::saveButtonClicked);
    connect(btnCancel, &QAbstractButton::clicked, this, &QWidget::close);
    connect(labelSystem3_2, &ClickableLabel::clicked, this, &SystemSettingsDialog::showCreateAccountPasswordDialog);
    connect(labelSecurity1_2, &ClickableLabel::clicked, this, &SystemSettingsDialog::changeAdminPasswordClicked);
    connect(labelSecurity2_2, &ClickableLabel::clicked, this, &SystemSettingsDialog::showBindCardWaitingDialog);

    const double scale = getScaleFactor();
    setElidedLabelText(labelAllDevices, labelAllDevices->text(), labelAllDevices->width());
    for (QHBoxLayout *row :
         {layoutSystem1, layoutSystem2, layoutSystem4, layoutSystem3, layoutSecurity1, layoutSecurity2}) {
        for (int i = 0; i < row->count(); ++i) {
            if (auto *label = qobject_cast<QLabel *>(row->itemAt(i)->widget()))
                setElidedLabelText(label, label->toolTip(), ScaleMath::truncScaled(row->stretch(i), scale));
        }
    }
}

SystemSettingsDialog::~SystemSettingsDialog()
{
    delete confirmDialog;
    delete newPasswordDialog;
    delete cardPasswordDialog;
    delete cardDialog;
    delete setupDialog;
    delete messageDialog;
}

void SystemSettingsDialog::loadSettings()
{
    open = true;
    QList<VelkMultiUserAdmin> records;
    const quint32 rc = db->queryMultiUserAdmin(records);
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "SystemSettingsDialog::loadSettings, queryMultiUserAdmin error 0x%08x", rc);
    model.load(records.isEmpty() ? nullptr : &records.first());

    dropSwitches();
    QHBoxLayout *const layouts[M::SwitchCount] = {layoutSystem1, layoutSystem2,   layoutSystem4,
                                                  layoutSystem3, layoutSecurity1, layoutSecurity2};
    using Handler = void (SystemSettingsDialog::*)(bool);
    // The guest switch has no handler: it counts only at Save.
    const Handler handlers[M::SwitchCount] = {&SystemSettingsDialog::setupUserWidgetChanged,
                                              &SystemSettingsDialog::multiUserSwitchChanged,
                                              nullptr,
                                              &SystemSettingsDialog::loginCardSwitchChanged,
                                              &SystemSettingsDialog::adminPasswordSwitchChanged,
                                              &SystemSettingsDialog::adminRfidIdSwitchChanged};
    for (int s = 0; s < M::SwitchCount; ++s) {
        SwitchRow &row = rows[s];
        row.container = new QWidget(layouts[s]->parentWidget());
        row.container->setObjectName(QStringLiteral("switchWidget"));
        row.layout = new QVBoxLayout(row.container);
        row.layout->setContentsMargins(0, 0, 0, 0);
        row.control = new SwitchControl(row.container, model.isOn(Switch(s)));
        row.layout->addWidget(row.control, 0, Qt::AlignTrailing | Qt::AlignVCenter);
        layouts[s]->addWidget(row.container, SwitchStretch);
        row.container->show();
        if (handlers[s])
            connect(row.control, &SwitchControl::toggled, this, handlers[s]);
    }
    updateRowStates();
}

void SystemSettingsDialog::dropSwitches()
{
    for (SwitchRow &row : rows) {
        if (!row.container)
            continue;
        row.container->parentWidget()->layout()->removeWidget(row.container);
        row.container->deleteLater();
        row.container->hide();
        row = SwitchRow();
    }
}

void SystemSettingsDialog::updateRowStates()
{
    for (int s = 0; s < M::SwitchCount; ++s) {
        SwitchControl *control = rows[s].control;
        if (!control)
            continue;
        if (control->isToggled() != model.isOn(Switch(s)))
            control->setToggle(model.isOn(Switch(s)));
        control->setEnabled(model.isEnabled(Switch(s)));
    }
    const QPair<QLabel *, M::Link> links[] = {{labelSystem3_2, M::CardAccountPasswordLink},
                                              {labelSecurity1_2, M::ChangePasswordLink},
                                              {labelSecurity2_2, M::ChangeCardLink}};
    for (const auto &link : links) {
        link.first->setEnabled(model.isLinkEnabled(link.second));
        // Grey either way, as the switches' rows are: an enabled link is told by its underline.
        // (A style sheet cannot change the font by state.)
        QFont font = link.first->font();
        font.setUnderline(link.first->isEnabled());
        link.first->setFont(font);
    }
}

QString SystemSettingsDialog::storedAdminPassword()
{
    QList<VelkMultiUserAdmin> records;
    const quint32 rc = db->queryMultiUserAdmin(records);
    if (rc != DB_OK)
        writeLog(LOG_LEVEL_ERROR, "SystemSettingsDialog::multiUserSwitchChanged, queryMultiUserAdmin error 0x%08x", rc);
    return records.isEmpty() ? QString() : records.first().adminPassword;
}

void SystemSettingsDialog::switchClicked(Switch which, bool checked)
{
    const M::Step step = model.toggle(which, checked, which == M::MultiUser ? storedAdminPassword() : QString());
    if (step == M::AskSetupOff) {
        // The question stands over this dialog, which stays as it is until the answer.
        AccountsForm::moveTo(setupDialog, mapToGlobal(QPoint(0, 0)), 0, 0);
        setupDialog->show();
        return;
    }
    updateRowStates();
    switch (step) {
    case M::AskNewAdminPassword:
        showNewPasswordDialog(model.passwordMode());
        break;
    case M::AskAdminPasswordChange:
        handOver(confirmDialog, 133);
        break;
    case M::AskCardAccountPassword:
        showCreateAccountPasswordDialog();
        break;
    case M::AskAdminCard:
        showBindCardWaitingDialog();
        break;
    default:
        break;
    }
}

void SystemSettingsDialog::setupUserWidgetChanged(bool checked)
{
    switchClicked(M::SetupServer, checked);
}

void SystemSettingsDialog::multiUserSwitchChanged(bool checked)
{
    switchClicked(M::MultiUser, checked);
}

void SystemSettingsDialog::loginCardSwitchChanged(bool checked)
{
    switchClicked(M::LoginCard, checked);
}

void SystemSettingsDialog::adminPasswordSwitchChanged(bool checked)
{
    switchClicked(M::AdminPassword, checked);
}

void SystemSettingsDialog::adminRfidIdSwitchChanged(bool checked)
{
    switchClicked(M::AdminCard, checked);
}

void SystemSettingsDialog::handOver(QWidget *dialog, int down)
{
    const QPoint corner = mapToGlobal(QPoint(0, 0));
    // Hidden, not closed: the switches stay for the way back.
    open = false;
    close();
    AccountsForm::moveTo(dialog, corner, 0, down);
    dialog->show();
}

void SystemSettingsDialog::showNewPasswordDialog(int mode)
{
    newPasswordDialog->setMode(mode);
    handOver(newPasswordDialog, 133);
}

void SystemSettingsDialog::showCreateAccountPasswordDialog()
{
    handOver(cardPasswordDialog, 133);
}

void SystemSettingsDialog::changeAdminPasswordClicked()
{
    showNewPasswordDialog(M::ModeChange);
}

void SystemSettingsDialog::showBindCardWaitingDialog()
{
    handOver(cardDialog, 108);
}

void SystemSettingsDialog::comeBack()
{
    show();
    open = true;
    updateRowStates();
}

void SystemSettingsDialog::showMe()
{
    model.applyRules();
    comeBack();
}

void SystemSettingsDialog::saveRfidId(const QString &rfidId)
{
    model.setHeldCard(rfidId);
    showMe();
}

void SystemSettingsDialog::turnMultiUserSwitchOff()
{
    model.set(M::MultiUser, false);
    comeBack();
}

void SystemSettingsDialog::turnLoginCardSwitchOff()
{
    model.set(M::LoginCard, false);
    comeBack();
}

void SystemSettingsDialog::turnAdminPasswordSwitchOn()
{
    model.set(M::AdminPassword, true);
    comeBack();
}

void SystemSettingsDialog::turnAdminPasswordSwitchOff()
{
    model.set(M::AdminPassword, false);
    comeBack();
}

void SystemSettingsDialog::turnAdminRfidIdSwitchOff()
{
    model.set(M::AdminCard, false);
    comeBack();
}

void SystemSettingsDialog::turnSetupUserSwitchOn()
{
    model.set(M::SetupServer, true);
    comeBack();
}

void SystemSettingsDialog::saveButtonClicked()
{
    QList<VelkMultiUserAdmin> records;
    quint32 rc = db->queryMultiUserAdmin(records);
    // Without a stored settings record there is nothing to update: closing would look like a save.
    if (rc == DB_OK && records.isEmpty())
        rc = DB_ROW_NOT_FOUND;
    if (rc == DB_OK) {
        VelkMultiUserAdmin record = model.recordToSave(records.first());
        rc = db->updateMultiUserAdmin(record);
    }
    if (rc != DB_OK) {
        // The operator's switches stay on screen: nothing of them is lost.
        writeLog(LOG_LEVEL_ERROR, "SystemSettingsDialog::saveButtonClicked, settings not saved, error 0x%08x", rc);
        if (!messageDialog)
            messageDialog = new GeneralMsgDialog();
        messageDialog->showOver(this, tr("The settings could not be saved."));
        return;
    }
    close();
}

void SystemSettingsDialog::reject()
{
    close();
}

void SystemSettingsDialog::closeEvent(QCloseEvent *event)
{
    if (open) {
        dropSwitches();
        model.setHeldCard(QString());
    }
    event->ignore();
    hide();
}

void SystemSettingsDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void SystemSettingsDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor,
              {frameContent, widgetTitle, labelAllDevices, labelSystem, lineSystem, widgetSystem1, widgetSystem2,
               widgetSystem4, widgetSystem3, labelSecurity, lineSecurity, widgetSecurity1, widgetSecurity2, btnCancel,
               btnSave},
              rescale, false);
}
