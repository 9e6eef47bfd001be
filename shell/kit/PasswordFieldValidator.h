#pragma once

#include <QValidator>

#include "shell/base/PasswordFieldRule.h"

/// The validator of the console's password fields: text that PasswordFieldRule takes for a field of that strength.
/// Anything else, typed or pasted, is refused whole. Where a password is entered that is every password a field of
/// this console ever stored, so log-in and a restore's account check agree; where one is set, only what a key press
/// enters.
class PasswordFieldValidator : public QValidator
{
    Q_OBJECT

public:
    PasswordFieldValidator(PasswordFieldRule::Field field, QObject *parent);

    State validate(QString &input, int &pos) const override;

private:
    PasswordFieldRule::Field m_field;
};
