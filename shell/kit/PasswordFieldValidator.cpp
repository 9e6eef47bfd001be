#include "shell/kit/PasswordFieldValidator.h"

PasswordFieldValidator::PasswordFieldValidator(PasswordFieldRule::Field field, QObject *parent)
    : QValidator(parent), m_field(field)
{
}

QValidator::State PasswordFieldValidator::validate(QString &input, int &) const
{
    return PasswordFieldRule::fieldTakes(input, m_field) ? Acceptable : Invalid;
}
