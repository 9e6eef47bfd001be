#pragma once

#include <QValidator>

/// The validator of the console's password fields: text that PasswordFieldRule takes, up to a length of the field's
/// own. Anything else, typed or pasted, is refused whole, so no field stores a password that log-in or a restore's
/// account check would not take.
class PasswordFieldValidator : public QValidator
{
    Q_OBJECT

public:
    PasswordFieldValidator(int maxLength, QObject *parent);

    State validate(QString &input, int &pos) const override;

private:
    int m_maxLength;
};
