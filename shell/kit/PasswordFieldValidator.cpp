#include "shell/kit/PasswordFieldValidator.h"

#include <QLineEdit>

PasswordFieldValidator::PasswordFieldValidator(PasswordFieldRule::Field field, QObject *parent)
    : QValidator(parent), m_field(field)
{
}

PasswordFieldValidator *PasswordFieldValidator::install(QLineEdit *edit, PasswordFieldRule::Field field)
{
    auto *validator = new PasswordFieldValidator(field, edit);
    edit->setMaxLength(2 * PasswordFieldRule::kMaxLength);
    edit->setValidator(validator);
    return validator;
}

QValidator::State PasswordFieldValidator::validate(QString &input, int &) const
{
    return PasswordFieldRule::fieldTakes(input, m_field, m_room) ? Acceptable : Invalid;
}
