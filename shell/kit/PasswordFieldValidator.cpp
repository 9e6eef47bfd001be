#include "shell/kit/PasswordFieldValidator.h"

#include <QLineEdit>

PasswordFieldValidator::PasswordFieldValidator(PasswordFieldRule::Field field, QObject *parent)
    : QValidator(parent), m_field(field)
{
}

void PasswordFieldValidator::install(QLineEdit *edit, PasswordFieldRule::Field field)
{
    edit->setMaxLength(2 * PasswordFieldRule::kMaxLength);
    edit->setValidator(new PasswordFieldValidator(field, edit));
}

QValidator::State PasswordFieldValidator::validate(QString &input, int &) const
{
    return PasswordFieldRule::fieldTakes(input, m_field, m_room) ? Acceptable : Invalid;
}
