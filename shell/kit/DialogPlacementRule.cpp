#include "shell/kit/DialogPlacementRule.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

QScreen *screenOf(QWidget *owner)
{
    QScreen *screen = nullptr;
    if (owner) {
        const QPoint centre = owner->mapToGlobal(owner->rect().center());
        screen = QGuiApplication::screenAt(centre);
        if (!screen && owner->window()->windowHandle())
            screen = owner->window()->windowHandle()->screen();
    }
    return screen ? screen : QGuiApplication::primaryScreen();
}

QPoint centreOf(const QRect &rect)
{
    return QPoint((rect.left() + rect.right()) / 2, (rect.top() + rect.bottom()) / 2);
}

// A dialog not shown yet has no frame; it will get one like its owner's window.
QSize frameSizeOf(const QWidget *dialog, const QWidget *owner)
{
    QSize frameSize = dialog->frameGeometry().size();
    if (frameSize == dialog->size() && owner)
        frameSize += owner->window()->frameGeometry().size() - owner->window()->size();
    return frameSize;
}

// The frame moved the least that puts it inside area, or at area's top-left where it is larger.
QPoint insideArea(QRect frame, const QRect &area)
{
    frame.moveLeft(qBound(area.left(), frame.left(), qMax(area.left(), area.right() - frame.width() + 1)));
    frame.moveTop(qBound(area.top(), frame.top(), qMax(area.top(), area.bottom() - frame.height() + 1)));
    return frame.topLeft();
}

} // namespace

void DialogPlacementRule::centreOnScreenOf(QWidget *dialog, QWidget *owner)
{
    QScreen *screen = screenOf(owner);
    if (!screen)
        return;
    // Centred with the frame it will have: centred without it, it sat off by the frame's margins once shown.
    const QSize frameSize = frameSizeOf(dialog, owner);
    const QPoint centre = centreOf(screen->availableGeometry());
    dialog->move(centre - QPoint((frameSize.width() - 1) / 2, (frameSize.height() - 1) / 2));
}

void DialogPlacementRule::centreLowOnScreenOf(QWidget *dialog, QWidget *owner, int bottomMargin)
{
    QScreen *screen = screenOf(owner);
    if (!screen)
        return;
    const QSize frameSize = frameSizeOf(dialog, owner);
    const QRect area = screen->availableGeometry();
    const QPoint topLeft(centreOf(area).x() - (frameSize.width() - 1) / 2,
                         area.bottom() + 1 - bottomMargin - frameSize.height());
    dialog->move(insideArea(QRect(topLeft, frameSize), area));
}

void DialogPlacementRule::centreOnWindowOf(QWidget *dialog, QWidget *owner)
{
    QScreen *screen = screenOf(owner);
    if (!owner || !screen) {
        centreOnScreenOf(dialog, owner);
        return;
    }
    const QSize frameSize = frameSizeOf(dialog, owner);
    const QPoint centre = centreOf(owner->window()->frameGeometry());
    const QRect frame(centre - QPoint((frameSize.width() - 1) / 2, (frameSize.height() - 1) / 2), frameSize);
    // A window near the screen's edge must not push its dialog off the screen. A top-level window's
    // position is its frame's.
    dialog->move(insideArea(frame, screen->availableGeometry()));
}

void DialogPlacementRule::placeInsideScreen(QWidget *dialog, const QPoint &topLeft, QWidget *owner)
{
    QScreen *screen = QGuiApplication::screenAt(topLeft);
    if (!screen)
        screen = screenOf(owner);
    if (!screen) {
        dialog->move(topLeft);
        return;
    }
    dialog->move(insideArea(QRect(topLeft, frameSizeOf(dialog, owner)), screen->availableGeometry()));
}
