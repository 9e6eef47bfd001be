#include "shell/kit/PasswordFieldValidator.h"

#include "shell/base/PasswordFieldRule.h"

PasswordFieldValidator::PasswordFieldValidator(int maxLength, QObject *parent)
    : QValidator(parent), m_maxLength(maxLength)
{
}

QValidator::State PasswordFieldValidator::validate(QString &input, int &) const
{
    return PasswordFieldRule::fieldTakes(input, m_maxLength) ? Acceptable : Invalid;
}
