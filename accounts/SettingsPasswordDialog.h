#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QList>

#include "datastore/VelkMultiUserAdmin.h"
#include "shell/kit/FormScale.h"

class OrvantaDBIntf;
class Ui_PasswordPairForm;
class QLabel;
class QLineEdit;
class TextLabel;

/// What the password dialogs of the panels' multi-user settings, and a user's new password,
/// share. Their fields take no paste and give nothing to copy; an error shows in the red badge
/// and empties every field; every close (Save, Cancel, the title bar, Escape) empties the fields
/// and hides the badge, so each opening starts afresh. Each dialog writes its record itself.
class SettingsPasswordDialog : public QDialog
{
    Q_OBJECT
public:
    ~SettingsPasswordDialog() override;

    /// The text the badge shows, empty while it is hidden.
    QString warningText() const;

public slots:
    /// Escape closes the dialog as its title bar does: nothing is answered.
    void reject() override;

protected:
    explicit SettingsPasswordDialog(QWidget *parent);

    /// Called once the form is built. fields: every password field, the unlimited ones in
    /// freeFields; captions: elided to the grid's caption column; scaled: the widgets whose
    /// geometry follows the UI scale.
    void prepare(const QList<QLineEdit *> &fields, const QList<QLineEdit *> &freeFields, TextLabel *badge,
                 const QList<QLabel *> &captions, int captionWidth, const QList<QWidget *> &scaled);

    /// The same for a form of a password and its confirmation; connects Cancel and Save.
    template <typename Dialog> void preparePair(Dialog *dialog)
    {
        preparePairForm(*dialog);
        connect(dialog->btnCancel, &QAbstractButton::clicked, dialog, &Dialog::cancelButtonClicked);
        connect(dialog->btnSave, &QAbstractButton::clicked, dialog, &Dialog::saveButtonClicked);
    }

    /// The password and its confirmation: equal first, then at least 4 characters. False, with
    /// the badge showing the reason and the fields emptied, when they fail.
    bool checkNewPassword(QLineEdit *password, QLineEdit *confirm);
    /// Shows the message in the badge and empties every field.
    void refuse(const QString &message);

    enum Read
    {
        Found,
        NoRecord,
        ReadFailed
    };
    /// The first settings record. A failed read is refused in the badge.
    Read readSettings(VelkMultiUserAdmin &record);
    /// Writes the record; false, refused in the badge, when the database did not take it.
    bool writeSettings(VelkMultiUserAdmin &record, const char *context);
    /// Closes after a save and takes the focus off the fields.
    void closeSaved();
    /// Save of a new password: the pair checked, then the password written into that field of
    /// the settings record (nothing without a record) and the dialog closed. False when refused.
    bool savePassword(QLineEdit *password, QLineEdit *confirm, QString VelkMultiUserAdmin::*field, const char *context);

    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

    OrvantaDBIntf *db;

private:
    void preparePairForm(Ui_PasswordPairForm &form);
    void scaleUi(bool rescale);

    QList<QLineEdit *> m_fields;
    TextLabel *m_badge = nullptr;
    QList<QWidget *> m_scaled;
    FormScale m_scale;
};
