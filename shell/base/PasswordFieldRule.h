#pragma once

#include <QString>

/// What the console's password fields take, and so which stored passwords an operator can ever enter at log-in. One
/// rule for the fields themselves and for a restore's check of the accounts it would swap in: the fields took a pasted
/// tab or line end and a typed U+1FFFE that the check refused, so the console's own backup was refused; the check let
/// through a leading U+FEFF that the log-in field dropped, and unassigned characters no key press enters, which locked
/// the administrator out.
///
/// A character is taken when a key press enters it into a line edit: a printable character, a format character (a
/// zero-width joiner, a direction mark), a private-use character, or any character beyond the Basic Multilingual
/// Plane. Not taken: the nine characters \ / : * ? " > < | that the fields refuse, control characters (tab, line
/// end), characters Unicode has not assigned in the Basic Multilingual Plane and its noncharacters there, a half of a
/// surrogate pair, U+FEFF (the text of a key press arrives as UTF-8, which drops it as a byte-order mark) and U+FFFD
/// (what the database's text shows in place of bytes that were no text).
class PasswordFieldRule
{
public:
    /// The longest password log-in takes; the fields that set or confirm one take kSetMaxLength.
    static constexpr int kMaxLength = 34;
    static constexpr int kSetMaxLength = 32;

    enum Verdict
    {
        Typeable,
        Empty,
        TooLong,
        RefusedCharacter, ///< one of the nine characters the fields refuse
        NotTypeable       ///< a character no key press enters (see above)
    };
    /// A stored password as log-in would meet it: at most kMaxLength characters, each one the fields take.
    static Verdict judge(const QString &password);
    /// Whether a field of at most maxLength characters takes text, which may be empty (what its validator asks).
    static bool fieldTakes(const QString &text, int maxLength);
    /// The verdict in words, for the log; empty for Typeable.
    static QString describe(Verdict verdict);

private:
    /// The verdict on the character at position n of text (a surrogate pair counts as one; *width says how many
    /// places it takes).
    static Verdict character(const QString &text, int n, int *width);
    /// The verdict on the first character of text that the fields do not take; Typeable when they take all.
    static Verdict characters(const QString &text);
};
