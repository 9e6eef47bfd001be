#pragma once

#include <QPointer>
#include <QSet>
#include <QString>
#include <QValidator>

class QLineEdit;
class PasswordFieldValidator;

/// The room a line edit gives a stored value it is filled with (showStoredText()). A field's own limit (its maxLength,
/// and the length its password-rule validator takes) is for what the operator types: setText() kept only that many
/// characters of a longer value, and a change of what was left (End, BackSpace, Save) stored it, silently losing the
/// rest of a Location of thousands of characters that a device file brought.
///
/// A field filled with a longer value takes as many characters as that value for as long as it shows it, so a change
/// edits that value and a word deleted may be typed again. Its own limit holds for a new value: a change that keeps no
/// more of a long text than the own limit (a select-all and a key or a paste, or deleting down to it) gives a new
/// value, and a new value longer than the own limit is cut to it as maxLength cuts what is typed or pasted, before the
/// next key or click acts (an address longer than its field takes is refused whole, as over an everyday address). The
/// room never grows past the value the field was filled with. The line edit's history is never emptied: Ctrl+Z and
/// Ctrl+Shift+Z take the operator back to every text the field showed, a long one too. A field filled with a value
/// within its own limit behaves as it always did.
///
/// The room is the field's validator, in front of the one the field had at its first fill: a new maxLength would set
/// the text again and empty the line edit's history, so the maxLength stays raised for as long as the field shows a
/// long value, and the own limit is kept here.
class StoredTextRoom : public QValidator
{
    Q_OBJECT

public:
    /// Sets the field's text to shown (a value as BoundedText shows it), with room for it. The field's own limit is the
    /// one it had at its first fill.
    static void fill(QLineEdit *edit, const QString &shown);

    State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit StoredTextRoom(QLineEdit *edit);
    PasswordFieldValidator *passwordRule() const;
    /// The length the own limit is counted in: characters where a password rule counts them, else UTF-16 units.
    int length(const QString &text) const;
    /// The longest text the field takes by its own limit, in length() units.
    int ownRoom() const;
    /// Whether a change from what the field shows to text gives a new value rather than an edit of a long one.
    bool isNewValue(const QString &text) const;
    void follow(const QString &text);
    /// Takes as much of the new value refused for its length as the own limit leaves, as maxLength would have: once the
    /// event loop turns, or at the first key or click that comes before it does.
    void takeRefused();

    QLineEdit *m_edit;
    QPointer<QValidator> m_rule;
    const int m_ownMaxLength;
    bool m_lifted = false;
    /// What the field shows: while a change is judged, the text it changes.
    QString m_shown;
    /// The texts longer than the own limit that the field showed since its fill, which its history may bring back.
    QSet<quint64> m_longShown;
    /// A new value refused for its length, and the text it was to replace.
    mutable QString m_refused;
    mutable QString m_refusedFrom;
};
