#include "shell/kit/StoredTextRoom.h"

#include "shell/kit/PasswordFieldValidator.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>

#include <utility>

namespace {
// A text the field showed, as its history may bring it back: its hash and its length, so that two texts of one hash
// are still told apart by their lengths.
quint64 shownKey(const QString &text)
{
    return (quint64(qHash(text)) << 32) | quint32(text.size());
}

// How much of text a change to other kept: their common start and, after it, their common end.
QString keptOf(const QString &text, const QString &other)
{
    const int shorter = qMin(text.size(), other.size());
    int head = 0;
    while (head < shorter && text.at(head) == other.at(head))
        ++head;
    int tail = 0;
    while (tail < shorter - head && text.at(text.size() - 1 - tail) == other.at(other.size() - 1 - tail))
        ++tail;
    return text.left(head) + text.right(tail);
}
} // namespace

StoredTextRoom::StoredTextRoom(QLineEdit *edit)
    : QValidator(edit), m_edit(edit), m_rule(const_cast<QValidator *>(edit->validator())),
      m_ownMaxLength(edit->maxLength()), m_shown(edit->text())
{
    edit->setValidator(this);
    connect(edit, &QLineEdit::textChanged, this, &StoredTextRoom::follow);
}

void StoredTextRoom::fill(QLineEdit *edit, const QString &shown)
{
    auto *room = edit->findChild<StoredTextRoom *>(QString(), Qt::FindDirectChildrenOnly);
    if (!room)
        room = new StoredTextRoom(edit);
    const bool longer = room->length(shown) > room->ownRoom();
    // What a new maxLength cuts of the text shown before is no edit to judge; the history it empties is that text's.
    room->m_lifted = false;
    room->m_refused.clear();
    if (PasswordFieldValidator *rule = room->passwordRule())
        rule->setRoom(longer ? room->length(shown) : 0);
    const int maxLength = longer ? qMax(room->m_ownMaxLength, int(shown.size())) : room->m_ownMaxLength;
    if (edit->maxLength() != maxLength)
        edit->setMaxLength(maxLength);
    room->m_longShown.clear();
    room->m_lifted = longer;
    if (longer)
        room->m_longShown.insert(shownKey(shown));
    edit->setText(shown);
}

QValidator::State StoredTextRoom::validate(QString &input, int &pos) const
{
    const State state = m_rule ? m_rule->validate(input, pos) : Acceptable;
    if (state == Invalid || !m_lifted || input == m_shown || !isNewValue(input))
        return state;
    // The line edit takes the change back whole, its history intact. An address too long for its field is refused
    // whole, as it is over an everyday address: cut, it would be another address that still passes the rule.
    if (passwordRule())
        return Invalid;
    // Any other value is cut as maxLength cuts it: the cut value is put in place of the refused one as a change of
    // its own, which Ctrl+Z takes back to the text it replaced. The line edit is still inside the change here, so
    // that waits for the event loop; keys and clicks that already came with the paste are delivered before it turns,
    // and they must act on the cut value, so the first of them puts it in.
    StoredTextRoom *self = const_cast<StoredTextRoom *>(this);
    if (m_refused.isNull()) {
        QMetaObject::invokeMethod(self, &StoredTextRoom::takeRefused, Qt::QueuedConnection);
        qApp->installEventFilter(self);
    }
    m_refused = input;
    m_refusedFrom = m_shown;
    return Invalid;
}

bool StoredTextRoom::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
        takeRefused();
        break;
    default:
        break;
    }
    return QValidator::eventFilter(watched, event);
}

void StoredTextRoom::fixup(QString &input) const
{
    if (m_rule)
        m_rule->fixup(input);
}

PasswordFieldValidator *StoredTextRoom::passwordRule() const
{
    return qobject_cast<PasswordFieldValidator *>(m_rule.data());
}

int StoredTextRoom::length(const QString &text) const
{
    const PasswordFieldValidator *rule = passwordRule();
    return rule ? rule->length(text) : text.size();
}

int StoredTextRoom::ownRoom() const
{
    const PasswordFieldValidator *rule = passwordRule();
    // A text of no more UTF-16 units than the validator takes characters holds no more characters than that.
    return rule ? qMin(m_ownMaxLength, rule->longest()) : m_ownMaxLength;
}

bool StoredTextRoom::isNewValue(const QString &text) const
{
    const int own = ownRoom();
    if (length(text) <= own || m_longShown.contains(shownKey(text)))
        return false;
    // An edit of a long text keeps more of it than a new value may hold.
    return length(m_shown) <= own || length(keptOf(m_shown, text)) <= own;
}

void StoredTextRoom::follow(const QString &text)
{
    m_shown = text;
    if (m_lifted && length(text) > ownRoom())
        m_longShown.insert(shownKey(text));
}

void StoredTextRoom::takeRefused()
{
    qApp->removeEventFilter(this);
    const QString refused = std::exchange(m_refused, QString());
    // Anything the operator did since is left as it is.
    if (refused.isEmpty() || m_edit->text() != m_refusedFrom)
        return;
    // The line edit gave back the selection or the cursor the change replaced.
    const int start = m_edit->hasSelectedText() ? m_edit->selectionStart() : m_edit->cursorPosition();
    const int end = start + (m_edit->hasSelectedText() ? m_edit->selectionLength() : 0);
    const QString before = m_refusedFrom.left(start);
    const QString after = m_refusedFrom.mid(end);
    if (refused.size() < before.size() + after.size() || !refused.startsWith(before) || !refused.endsWith(after))
        return;
    const QString inserted = refused.mid(before.size(), refused.size() - before.size() - after.size());
    // The longest start of it that the own limit leaves room for, without half of a surrogate pair.
    int low = 0;
    int high = inserted.size();
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (length(before + inserted.left(middle) + after) <= ownRoom())
            low = middle;
        else
            high = middle - 1;
    }
    if (low > 0 && inserted.at(low - 1).isHighSurrogate())
        --low;
    if (low > 0)
        m_edit->insert(inserted.left(low));
}
