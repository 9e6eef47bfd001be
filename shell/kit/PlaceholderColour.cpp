#include "shell/kit/PlaceholderColour.h"

#include <QEvent>
#include <QLineEdit>
#include <QPalette>

PlaceholderColour::PlaceholderColour(QLineEdit *edit, const QColor &colour)
    : QObject(edit), m_edit(edit), m_colour(colour)
{
    edit->installEventFilter(this);
    apply();
}

void PlaceholderColour::keep(QLineEdit *edit, const QColor &colour)
{
    if (auto *keeper = edit->findChild<PlaceholderColour *>(QString(), Qt::FindDirectChildrenOnly)) {
        keeper->m_colour = colour;
        keeper->apply();
        return;
    }
    new PlaceholderColour(edit, colour);
}

bool PlaceholderColour::eventFilter(QObject *watched, QEvent *event)
{
    // Every polish ends in a palette change, which is when the style sheet's colour has just won.
    if (watched == m_edit && (event->type() == QEvent::PaletteChange || event->type() == QEvent::Polish))
        apply();
    return QObject::eventFilter(watched, event);
}

void PlaceholderColour::apply()
{
    if (m_applying)
        return;
    QPalette palette = m_edit->palette();
    bool changed = false;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        if (palette.color(group, QPalette::PlaceholderText) != m_colour) {
            palette.setColor(group, QPalette::PlaceholderText, m_colour);
            changed = true;
        }
    }
    if (!changed)
        return;
    m_applying = true;
    m_edit->setPalette(palette);
    m_applying = false;
}
