#include "accounts/AccountsForm.h"

#include "shell/base/Session.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/TextLabel.h"
#include "shell/kit/UiHelpers.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>

namespace {

// The active window the operator sees. A window hidden while it was active stays the active one to Qt until another
// is activated: seconds after a Sync Now that was the progress window, and a dialog opened then took its corner from
// where that window had stood.
QWidget *shownActiveWindow()
{
    QWidget *window = QApplication::activeWindow();
    return window && window->isVisible() ? window : nullptr;
}

} // namespace

void AccountsForm::setupDialog(QDialog *dialog)
{
    dialog->setLayoutDirection(uiLayoutDirection());
    dialog->setWindowTitle(productName());
    setupSharedDialog(dialog);
}

QPoint AccountsForm::activeCorner(QWidget *fallback)
{
    QWidget *window = shownActiveWindow();
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
    const QPoint wanted = corner + QPoint(ScaleMath::truncScaled(dx, scale), ScaleMath::truncScaled(dy, scale));
    // At 1.4 the larger dialogs reach past the screen's edge from a main window in the middle of
    // a 1920 × 1080 screen; the active window tells the frame a dialog will get.
    QWidget *active = shownActiveWindow();
    DialogPlacementRule::placeInsideScreen(window, wanted, active ? active : window);
}

QGridLayout *AccountsForm::fieldGrid(QWidget *container, int captionStretch, int fieldStretch, int rowSpacing)
{
    auto *grid = new QGridLayout(container);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(rowSpacing);
    grid->setColumnStretch(0, captionStretch);
    grid->setColumnStretch(1, fieldStretch);
    return grid;
}

QLineEdit *AccountsForm::fieldRow(QGridLayout *grid, int row, QLabel **caption, const char *captionName,
                                  const char *fieldName)
{
    QWidget *container = grid->parentWidget();
    *caption = FormStyle::caption(container, captionName, QRect());
    QLineEdit *field = FormStyle::lineEdit(container, fieldName, QRect());
    field->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    grid->addWidget(*caption, row, 0);
    grid->addWidget(field, row, 1);
    return field;
}

TextLabel *AccountsForm::warningBadge(QWidget *parent, const QRect &geometry)
{
    auto *badge = new TextLabel(parent);
    badge->setObjectName(QStringLiteral("lbMessage"));
    badge->setGeometry(geometry);
    badge->hide();
    return badge;
}

void AccountsForm::headerlessTable(QTableView *table, const QString &extraStyle)
{
    table->setStyleSheet(FormStyle::tableStyle() + QStringLiteral("\nQTableView{border-top: none;}\n") + extraStyle);
    table->setShowGrid(false);
    table->setAlternatingRowColors(true);
    table->setWordWrap(false);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    table->horizontalHeader()->hide();
    table->horizontalHeader()->setMinimumSectionSize(1);
    table->verticalHeader()->hide();
    table->verticalScrollBar()->setStyleSheet(FormStyle::scrollBarStyle());
}
