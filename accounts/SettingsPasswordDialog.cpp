#include "accounts/SettingsPasswordDialog.h"

#include "accounts/AccountsForm.h"
#include "accounts/PasswordEntry.h"
#include "accounts/Ui_PasswordForm.h"
#include "accounts/UserRules.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/base/Log.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/TextLabel.h"
#include "shell/kit/UiHelpers.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>

SettingsPasswordDialog::SettingsPasswordDialog(QWidget *parent) : QDialog(parent)
{
    db = OrvantaDBManager::getInstance();
}

SettingsPasswordDialog::~SettingsPasswordDialog() = default;

void SettingsPasswordDialog::prepare(const QList<QLineEdit *> &fields, const QList<QLineEdit *> &freeFields,
                                     TextLabel *badge, const QList<QLabel *> &captions, int captionWidth,
                                     const QList<QWidget *> &scaled)
{
    m_fields = fields;
    m_badge = badge;
    m_scaled = scaled;
    scaleUi(false);
    AccountsForm::setupDialog(this);
    // A confirmation takes 32 characters and a new password no limit of its own, so a longer
    // password can never be confirmed.
    for (QLineEdit *field : fields)
        PasswordEntry::prepare(field, freeFields.contains(field) ? 0 : UserRules::MaxPasswordLength);
    m_badge->hide();
    const int width = ScaleMath::truncScaled(captionWidth, getScaleFactor());
    for (QLabel *caption : captions)
        setElidedLabelText(caption, caption->toolTip(), width);
}

void SettingsPasswordDialog::preparePairForm(Ui_PasswordPairForm &form)
{
    prepare({form.lineEditPassword, form.lineEditPasswordConfirm}, {form.lineEditPassword}, form.lbMessage,
            {form.label, form.label2}, form.gridLayout->columnStretch(0),
            {form.frameContent, form.widgetPassword, form.lbMessage, form.btnCancel, form.btnSave});
}

QString SettingsPasswordDialog::warningText() const
{
    return m_badge->shownWarning();
}

bool SettingsPasswordDialog::checkNewPassword(QLineEdit *password, QLineEdit *confirm)
{
    const UserRules::Verdict verdict = UserRules::checkPassword(password->text(), confirm->text(), false);
    if (verdict == UserRules::Accepted)
        return true;
    refuse(UserRules::message(verdict));
    return false;
}

void SettingsPasswordDialog::refuse(const QString &message)
{
    m_badge->showWarning(message);
    for (QLineEdit *field : qAsConst(m_fields))
        field->clear();
}

SettingsPasswordDialog::Read SettingsPasswordDialog::readSettings(VelkMultiUserAdmin &record)
{
    QList<VelkMultiUserAdmin> records;
    const quint32 rc = db->queryMultiUserAdmin(records);
    if (rc != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "%s, queryMultiUserAdmin error 0x%08x", metaObject()->className(), rc);
        refuse(tr("The password could not be saved."));
        return ReadFailed;
    }
    if (records.isEmpty())
        return NoRecord;
    record = records.first();
    return Found;
}

bool SettingsPasswordDialog::writeSettings(VelkMultiUserAdmin &record, const char *context)
{
    const quint32 rc = db->updateMultiUserAdmin(record);
    if (rc == DB_OK)
        return true;
    writeLog(LOG_LEVEL_ERROR, "%s, updateMultiUserAdmin error 0x%08x", context, rc);
    refuse(tr("The password could not be saved."));
    return false;
}

void SettingsPasswordDialog::closeSaved()
{
    close();
    for (QLineEdit *field : qAsConst(m_fields))
        field->clearFocus();
}

bool SettingsPasswordDialog::savePassword(QLineEdit *password, QLineEdit *confirm, QString VelkMultiUserAdmin::*field,
                                          const char *context)
{
    if (!checkNewPassword(password, confirm))
        return false;
    VelkMultiUserAdmin settings;
    const Read read = readSettings(settings);
    if (read == ReadFailed)
        return false;
    if (read == Found) {
        // Stored as typed: a blank at either end is part of the password.
        settings.*field = password->text();
        if (!writeSettings(settings, context))
            return false;
    }
    closeSaved();
    return true;
}

void SettingsPasswordDialog::reject()
{
    close();
}

void SettingsPasswordDialog::closeEvent(QCloseEvent *event)
{
    for (QLineEdit *field : qAsConst(m_fields))
        field->clear();
    m_badge->hide();
    event->ignore();
    hide();
}

void SettingsPasswordDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void SettingsPasswordDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, m_scaled, rescale, false);
}
