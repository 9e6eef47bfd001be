#pragma once

#include <QString>

/// What the password field of the log-in window takes, and so which stored passwords an operator can ever type there.
/// The field holds at most 34 characters and refuses \ / : * ? " > < |. A keyboard enters no control character (tab,
/// line end), no noncharacter and no half of a surrogate pair, and U+FFFD is what the text of the database shows in
/// place of bytes that were no text: a stored password holding any of them matches nothing an operator types.
class PasswordFieldRule
{
public:
    static constexpr int kMaxLength = 34;

    /// The field's validator: up to kMaxLength characters, none of the nine it refuses.
    static QString validatorPattern();

    enum Verdict
    {
        Typeable,
        Empty,
        TooLong,
        RefusedCharacter, ///< one of the nine characters the field refuses
        NotTypeable       ///< a control character, a noncharacter, a lone surrogate or U+FFFD
    };
    static Verdict judge(const QString &password);
    /// The verdict in words, for the log; empty for Typeable.
    static QString describe(Verdict verdict);
};
