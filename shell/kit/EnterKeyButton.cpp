#include "shell/kit/EnterKeyButton.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>

EnterKeyButton::EnterKeyButton(QDialog *dialog, QAbstractButton *button)
    : QObject(dialog), m_dialog(dialog), m_button(button)
{
}

void EnterKeyButton::install(QDialog *dialog, QAbstractButton *button)
{
    dialog->installEventFilter(new EnterKeyButton(dialog, button));
}

bool EnterKeyButton::eventFilter(QObject *watched, QEvent *event)
{
    // A key the focus widget did not take reaches the dialog itself: a line edit hands Enter on after its
    // returnPressed(), a button leaves it alone.
    if (watched != m_dialog || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || modifiers != Qt::NoModifier)
        return QObject::eventFilter(watched, event);
    QAbstractButton *target = m_button;
    auto *focused = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
    if (focused && focused != target && m_dialog->isAncestorOf(focused))
        target = focused;
    if (!target || !target->isVisible() || !target->isEnabled())
        return QObject::eventFilter(watched, event);
    target->click();
    return true;
}
