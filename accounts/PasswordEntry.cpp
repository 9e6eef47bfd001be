#include "accounts/PasswordEntry.h"

#include <QKeyEvent>
#include <QLineEdit>

void PasswordEntry::prepare(QLineEdit *field, int maxLength)
{
    field->setEchoMode(QLineEdit::Password);
    field->setContextMenuPolicy(Qt::NoContextMenu);
    if (maxLength > 0)
        field->setMaxLength(maxLength);
    field->installEventFilter(new PasswordEntry(field));
}

bool PasswordEntry::isBlockedKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    return key->matches(QKeySequence::Paste) || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut) ||
           key->matches(QKeySequence::SelectAll);
}

bool PasswordEntry::eventFilter(QObject *watched, QEvent *event)
{
    return isBlockedKey(event) || QObject::eventFilter(watched, event);
}
