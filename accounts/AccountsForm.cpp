#include "accounts/AccountsForm.h"

#include "shell/KitForm.h"
#include "shell/ScaleMath.h"
#include "shell/UiGlobals.h"
#include "shell/UiHelpers.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>

void AccountsForm::setupDialog(QDialog *dialog)
{
    dialog->setLayoutDirection(Qt::LayoutDirection(layoutDirection()));
    dialog->setWindowTitle(productName());
    setupSharedDialog(dialog);
}

QPoint AccountsForm::activeCorner(QWidget *fallback)
{
    QWidget *window = QApplication::activeWindow();
    if (!window && fallback)
        window = fallback->window();
    if (window)
        return window->mapToGlobal(QPoint(0, 0));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return screen->availableGeometry().topLeft();
    return QPoint();
}

void AccountsForm::moveTo(QWidget *window, const QPoint &corner, int dx, int dy)
{
    const double scale = getScaleFactor();
    window->move(corner + QPoint(ScaleMath::truncScaled(dx, scale), ScaleMath::truncScaled(dy, scale)));
}
