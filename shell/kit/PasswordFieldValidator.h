#pragma once

#include <QValidator>

#include "shell/base/PasswordFieldRule.h"

class QLineEdit;

/// The validator of the console's password and e-mail fields: text that PasswordFieldRule takes for a field of that
/// strength. Anything else, typed or pasted, is refused whole. Where a password is entered that is every password a
/// field of this console ever stored, so log-in and a restore's account check agree; where one is set, only what a key
/// press enters; where an address is, what an address holds.
class PasswordFieldValidator : public QValidator
{
    Q_OBJECT

public:
    PasswordFieldValidator(PasswordFieldRule::Field field, QObject *parent);

    /// Gives the field the rule: this validator, and a maxLength that leaves the counting to it (the line edit counts
    /// UTF-16 units, two for a character beyond the Basic Multilingual Plane, and at longest() units it cut a password
    /// of such characters that an earlier version stored). Every e-mail field of the console is made so.
    static void install(QLineEdit *edit, PasswordFieldRule::Field field);

    State validate(QString &input, int &pos) const override;

    /// The most characters the rule takes in this field.
    int longest() const { return PasswordFieldRule::longest(m_field); }
    /// The characters of text that the rule counts against longest().
    int length(const QString &text) const { return PasswordFieldRule::length(text, m_field); }
    /// Room for a stored value longer than longest() while the field shows it (see StoredTextRoom); 0 takes it back.
    void setRoom(int characters) { m_room = characters; }

private:
    PasswordFieldRule::Field m_field;
    int m_room = 0;
};
