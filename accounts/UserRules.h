#pragma once

#include <QCoreApplication>
#include <QString>

#include "accounts/core/PasswordRule.h"

class OrvantaDBIntf;

/// The rules a panel user's name, password and card must pass before anything is written,
/// shared by the add, edit and password dialogs. No widget here: the dialogs show the verdict.
///
/// A lookup that fails is an error of its own, never "the name is free" or "the card is
/// free": taking it for free would let two users share a name or a card, and later edits,
/// imports and synchronisation find users by name.
class UserRules
{
    Q_DECLARE_TR_FUNCTIONS(UserRules)

public:
    enum Verdict
    {
        Accepted,
        NameTaken,
        PasswordMismatch,
        NameEmpty,
        PasswordTooShort,
        LookupFailed,
        WriteFailed,
    };

    static constexpr int MinPasswordLength = PasswordRule::MinLength;
    static constexpr int MaxPasswordLength = 32;
    static constexpr int CardNumberLength = 8;

    /// A new user, in the order the operator meets the messages: a taken name, then passwords
    /// that differ, then an empty name, then a password under 4 characters. An empty password
    /// (with an empty confirmation) passes: the user then has none. Texts count as typed.
    static Verdict checkNewUser(OrvantaDBIntf *db, const QString &name, const QString &password,
                                const QString &confirm);

    /// The new name of the user `muid`: not empty, and no other user's.
    static Verdict checkRename(OrvantaDBIntf *db, quint32 muid, const QString &name);

    /// Equal first, then at least 4 characters (code points, PasswordRule); an empty pair passes
    /// only when allowEmpty.
    static Verdict checkPassword(const QString &password, const QString &confirm, bool allowEmpty);

    /// A well-known password that users may carry from elsewhere; the user table flags it as one
    /// to change.
    static QString defaultPassword() { return QStringLiteral("5827dbKTum"); }

    /// The operator's message for a verdict; empty for Accepted.
    static QString message(Verdict verdict);

    enum CardVerdict
    {
        CardFree,
        CardUsed,
        CardLookupFailed,
    };

    /// A card number is whatever the reader typed, exactly 8 characters of any kind.
    static bool isCardNumber(const QString &text) { return text.size() == CardNumberLength; }

    /// Free when no panel user holds the card and it is not the panels' administrator card.
    /// The user being edited counts as another holder.
    static CardVerdict checkCard(OrvantaDBIntf *db, const QString &card);
    /// The card as the user `muid` is about to keep it: used when another user holds it or it is
    /// the panels' administrator card. Save asks again because the card was checked when it was
    /// read, and another window may have given it away since.
    static CardVerdict checkCardOf(OrvantaDBIntf *db, quint32 muid, const QString &card);

    /// The operator's message for a card that another account holds.
    static QString cardUsedMessage();

    /// The operator's message for a card that could not be checked.
    static QString cardLookupMessage();
};
