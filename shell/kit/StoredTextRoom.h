#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

/// The room a line edit gives a stored value it is filled with (showStoredText()). A field's own limit (its maxLength,
/// and the length its password-rule validator takes) is for what the operator types: setText() kept only that many
/// characters of a longer value, and a change of what was left (End, BackSpace, Save) stored it, silently losing the
/// rest of a Location of thousands of characters that a device file brought.
///
/// While the field holds more than its own limit, it takes as many characters as the value it was filled with, so a
/// change edits that value, and a word deleted may be typed again. Once the operator shortens the text to the own
/// limit (a select-all and a key, or deleting), the own limit holds again: a new value is limited as it always was.
/// The room never grows past the value the field was filled with, and a field filled with a value within its own limit
/// keeps that limit.
class StoredTextRoom : public QObject
{
    Q_OBJECT

public:
    /// Sets the field's text to shown (a value as BoundedText shows it), with room for it. The field's own limit is the
    /// one it had at its first fill.
    static void fill(QLineEdit *edit, const QString &shown);

private:
    explicit StoredTextRoom(QLineEdit *edit);
    /// The longest text the field takes by its own limit, in UTF-16 units.
    int ownRoom() const;
    /// Gives the field room for length units, or its own limit back for 0.
    void setRoom(int length);
    void follow(const QString &text);

    QLineEdit *m_edit;
    const int m_ownMaxLength;
    bool m_lifted = false;
};
