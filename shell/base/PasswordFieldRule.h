#pragma once

#include <QString>

/// What the console's password fields take, and so which stored passwords an operator can ever enter at log-in. One
/// rule for the fields themselves and for a restore's check of the accounts it would swap in, in two strengths:
///
/// - Entry (log-in, and the current password asked before the own account is changed) takes every password that a
///   field of this console ever stored and the database kept: up to 34 characters, none of the nine
///   \ / : * ? " > < |. The fields that set a password once took whatever was pasted into them: a tab or line end
///   copied along with the password, U+FFFD, characters not assigned. Log-in that refused those, and a start-up that
///   kept them, locked the operator out for good. A restore's check takes what log-in takes.
/// - Set (a new password and its confirmation) takes only what a key press enters into a line edit: a printable
///   character, a format character (a zero-width joiner, a direction mark), a private-use character, or any character
///   beyond the Basic Multilingual Plane; up to 32 characters. Not taken there: control characters (tab, line end),
///   characters Unicode has not assigned in the Basic Multilingual Plane and its noncharacters there, U+FEFF (the text
///   of a key press arrives as UTF-8, which drops it as a byte-order mark) and U+FFFD (what the database's text shows
///   in place of bytes that were no text).
/// - Address (every e-mail field: the log-in window's, which share the password field's widget, and User Settings')
///   takes what Entry takes but control characters: no address holds a tab or a line end, and one pasted along with
///   an address was stored with it, where the password e-mail went. Spaces around an address are no part of it
///   either; it is judged, checked and stored without them (address()).
///
/// Neither takes a NUL or a half of a surrogate pair, which are no text, nor what the database hands back to log-in
/// as another character: U+FFFE and U+FFFF (read back as U+FFFD), a U+FEFF first (dropped as a byte-order mark).
/// Lengths count characters, a surrogate pair as one, as the fields' earlier validators did: a password of 32
/// characters beyond the Basic Multilingual Plane is 64 UTF-16 units long.
class PasswordFieldRule
{
public:
    /// The longest password log-in takes, in characters; the fields that set a password take kSetMaxLength.
    static constexpr int kMaxLength = 34;
    static constexpr int kSetMaxLength = 32;

    /// The strengths of the rule (see above).
    enum Field
    {
        Entry,
        Set,
        Address
    };

    enum Verdict
    {
        Taken,
        Empty,
        TooLong,
        RefusedCharacter, ///< one of the nine characters the fields refuse
        NotText,          ///< a NUL or a half of a surrogate pair
        NotKept,          ///< a character the database hands back as another (see above)
        NotTypeable       ///< a character no key press enters (Set; a control character for Address; see above)
    };
    /// A stored password as log-in would meet it: not empty, and taken by an Entry field.
    static Verdict judge(const QString &password);
    /// The most characters a field of that strength takes.
    static int longest(Field field) { return field == Set ? kSetMaxLength : kMaxLength; }
    /// Whether a field of that strength takes text, which may be empty (what its validator asks); an Address field
    /// judges address(text). room: the most characters taken where the field shows a longer stored value than
    /// longest(field), so that an edit of that value is taken; 0 or less is longest(field).
    static bool fieldTakes(const QString &text, Field field, int room = 0);
    /// The characters of text that a field of that strength counts against longest(): a surrogate pair is one, and an
    /// Address field counts address(text).
    static int length(const QString &text, Field field);
    /// The address an e-mail field's text gives: the text without the spaces around it (a space, a no-break or an
    /// ideographic space, which a copy from a mail or a document brings along). A tab or a line end is no space
    /// here: an Address field refuses it.
    static QString address(const QString &text);
    /// The verdict in words, for the log; empty for Taken.
    static QString describe(Verdict verdict);

private:
    /// The verdict on the character at position n of text (a surrogate pair counts as one; *width says how many
    /// places it takes).
    static Verdict character(const QString &text, int n, Field field, int *width);
    /// The verdict on the first character of text that the field does not take, or TooLong once text holds more
    /// characters than the field takes; Taken when it takes all.
    static Verdict characters(const QString &text, Field field, int room = 0);
};
