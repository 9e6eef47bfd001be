#include "devices/DialogPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>

void DialogPlacement::centreOnScreenOf(QWidget *dialog, QWidget *owner)
{
    QScreen *screen = nullptr;
    if (owner) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        screen = QGuiApplication::screenAt(centre);
        if (!screen && owner->window()->windowHandle())
            screen = owner->window()->windowHandle()->screen();
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = dialog->frameGeometry();
    const int areaX = (area.left() + area.right()) / 2;
    const int areaY = (area.top() + area.bottom()) / 2;
    const int ownX = (frame.left() + frame.right()) / 2;
    const int ownY = (frame.top() + frame.bottom()) / 2;
    dialog->move(dialog->pos() + QPoint(areaX - ownX, areaY - ownY));
}
