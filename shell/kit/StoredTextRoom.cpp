#include "shell/kit/StoredTextRoom.h"

#include "shell/kit/PasswordFieldValidator.h"

#include <QLineEdit>

namespace {
// The validator that counts a length of its own, if the field has one.
PasswordFieldValidator *lengthValidator(QLineEdit *edit)
{
    return qobject_cast<PasswordFieldValidator *>(const_cast<QValidator *>(edit->validator()));
}
} // namespace

StoredTextRoom::StoredTextRoom(QLineEdit *edit) : QObject(edit), m_edit(edit), m_ownMaxLength(edit->maxLength())
{
    connect(edit, &QLineEdit::textChanged, this, &StoredTextRoom::follow);
}

void StoredTextRoom::fill(QLineEdit *edit, const QString &shown)
{
    auto *room = edit->findChild<StoredTextRoom *>(QString(), Qt::FindDirectChildrenOnly);
    if (!room)
        room = new StoredTextRoom(edit);
    const bool longer = shown.size() > room->ownRoom();
    // What a new maxLength cuts of the text shown before is no edit to follow.
    room->m_lifted = false;
    room->setRoom(longer ? shown.size() : 0);
    room->m_lifted = longer;
    edit->setText(shown);
}

int StoredTextRoom::ownRoom() const
{
    const PasswordFieldValidator *validator = lengthValidator(m_edit);
    // A text of no more UTF-16 units than the validator takes characters holds no more characters than that.
    return validator ? qMin(m_ownMaxLength, validator->longest()) : m_ownMaxLength;
}

void StoredTextRoom::setRoom(int length)
{
    if (PasswordFieldValidator *validator = lengthValidator(m_edit))
        validator->setRoom(length);
    const int maxLength = qMax(m_ownMaxLength, length);
    if (m_edit->maxLength() == maxLength)
        return;
    // The line edit sets its text again at a new maxLength, which moves the cursor to its end.
    const int cursor = m_edit->cursorPosition();
    m_edit->setMaxLength(maxLength);
    m_edit->setCursorPosition(cursor);
}

void StoredTextRoom::follow(const QString &text)
{
    if (!m_lifted || text.size() > ownRoom())
        return;
    m_lifted = false;
    setRoom(0);
}
