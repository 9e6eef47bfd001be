#pragma once

#include "datastore/VelkAccount.h"

#include <QString>

class OrvantaDBIntf;

/// The rules by which the logged-in operator edits the console account (e-mail address,
/// password, language), kept apart from the user settings dialog and the password check that
/// show them.
///
/// The language is stored on the administrator's account whoever chooses it; the other changes
/// on the logged-in account, and only after its current password was typed again.
class AccountEditRules
{
public:
    /// What the user settings dialog holds when the operator saves.
    struct Form
    {
        QString email;
        QString password;
        QString confirmation;
        QString language; ///< the chosen language code; empty is the system language
    };

    enum Outcome
    {
        NothingChanged,     ///< close without writing
        LanguageOnly,       ///< write the language (writeLanguage) and restart
        InvalidEmail,       ///< "Invalid user Email."
        PasswordsDiffer,    ///< "The Password do not match."; the password fields are cleared
        NeedsPasswordCheck, ///< record waits for the current password (confirmAndWrite)
        AddressTrimmed,     ///< write record (writeChanges), the stored address without its spaces; no password asked
    };

    struct Decision
    {
        Outcome outcome = NothingChanged;
        VelkAccount record;           ///< the account as edited (NeedsPasswordCheck, AddressTrimmed)
        bool languageChanged = false; ///< the language is to be written once the record is
    };

    /// The language in force: the administrator's, for either account.
    static QString storedLanguage(const VelkAccount &account, const VelkAccount &administrator);

    /// What saving the form does to account, in the dialog's order of checks.
    static Decision decide(const VelkAccount &account, const VelkAccount &administrator, const Form &form);

    /// The first administrator account; an empty record (aid 0) when none can be read.
    static VelkAccount administrator(OrvantaDBIntf *db);

    /// The stored row of the account with `aid`, read afresh. False when it cannot be read.
    static bool readStoredAccount(OrvantaDBIntf *db, quint32 aid, VelkAccount &stored);
    /// `stored` with the fields the operator changed (e-mail, password, language: those where
    /// `edited` differs from `base`), so that fields written elsewhere meanwhile (the
    /// camera-management credentials) survive the update.
    static VelkAccount withChanges(const VelkAccount &base, const VelkAccount &edited, const VelkAccount &stored);
    /// Writes the changes of `edited` over `base` onto the stored row; the update's result code.
    /// `written` receives the record as written.
    static quint32 writeChanges(OrvantaDBIntf *db, const VelkAccount &base, const VelkAccount &edited,
                                VelkAccount *written = nullptr);
    /// Stores language on the administrator's account: account itself when it is the
    /// administrator, else administrator.
    static quint32 writeLanguage(OrvantaDBIntf *db, const VelkAccount &account, const VelkAccount &administrator,
                                 const QString &language);

    enum CheckResult
    {
        Written,
        WrongPassword, ///< "Invalid User Password."
        WriteFailed,   ///< "The settings could not be saved."
    };
    /// The password check: writes pending over account once typed equals account's password.
    static CheckResult confirmAndWrite(OrvantaDBIntf *db, const QString &typed, const VelkAccount &account,
                                       const VelkAccount &pending, VelkAccount *written);
};
