#include "shell/app/ExitPendingNotice.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QWindow>

#include "shell/base/Session.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

ExitPendingNotice::ExitPendingNotice(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    // It comes up beside the operator's work, an SOS warning's among it, and takes the keyboard from none of it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    connect(btnStayOpen, &QToolButton::clicked, this, &ExitPendingNotice::stayOpenChosen);
    if (parent)
        parent->window()->installEventFilter(this);
    showWaits();
}

ExitPendingNotice::~ExitPendingNotice() = default;

void ExitPendingNotice::setWaits(int alerts, int records)
{
    m_alerts = alerts;
    m_records = records;
    showWaits();
}

void ExitPendingNotice::showWaits()
{
    // One warning is "the emergency alert", as it always was: every form of a count names its number. Two or more
    // were called "the emergency alert" too; they are counted now.
    if (m_alerts > 1 && m_records > 0)
        labelMessage->setText(tr("The console will close once the %1 emergency alerts are answered and %n records "
                                 "are saved.",
                                 nullptr, m_records)
                                  .arg(m_alerts));
    else if (m_alerts > 1)
        labelMessage->setText(
            tr("The console will close once the %n emergency alerts are answered.", nullptr, m_alerts));
    else if (m_alerts == 1 && m_records > 0)
        labelMessage->setText(tr("The console will close once the emergency alert is answered and %n records are "
                                 "saved.",
                                 nullptr, m_records));
    else if (m_alerts == 1)
        labelMessage->setText(tr("The console will close once the emergency alert is answered."));
    else
        labelMessage->setText(tr("The console will close once %n records are saved.", nullptr, m_records));
}

bool ExitPendingNotice::event(QEvent *event)
{
    // Sent as the toolkit goes through its windows for a modal window just shown (or for one hidden, when another
    // is still open): the notice follows once that is done.
    if (event->type() == QEvent::WindowBlocked)
        QMetaObject::invokeMethod(this, &ExitPendingNotice::followModalWindow, Qt::QueuedConnection);
    return QDialog::event(event);
}

bool ExitPendingNotice::eventFilter(QObject *watched, QEvent *event)
{
    // Belonging to no window, it is not kept above the main window by the window manager: the main window brought to
    // the front covered it.
    if (event->type() == QEvent::WindowActivate && isVisible() && windowHandle() && !windowHandle()->transientParent())
        raise();
    return QDialog::eventFilter(watched, event);
}

void ExitPendingNotice::followModalWindow()
{
    QWindow *own = windowHandle();
    if (!own)
        return;
    // The toolkit blocks no window that belongs to the topmost modal window; for the window manager the notice stays
    // above that window as well. Without one it belongs to no window: a window manager minimises a window with the one
    // it belongs to, and shown again, the notice brought the minimised main window back with it.
    QWidget *modal = QApplication::activeModalWidget();
    QWindow *owner = modal && modal != this ? modal->windowHandle() : nullptr;
    if (own->transientParent() == owner)
        return;
    disconnect(m_ownerGone);
    own->setTransientParent(owner);
    if (owner) {
        // Once that window goes, the notice follows the modal window still open, or else belongs to no window again.
        m_ownerGone = connect(owner, &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible)
                QMetaObject::invokeMethod(this, &ExitPendingNotice::followModalWindow, Qt::QueuedConnection);
        });
    }
}

void ExitPendingNotice::reject()
{
}

void ExitPendingNotice::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void ExitPendingNotice::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi(this);
        setWindowTitle(productName());
        showWaits();
    }
    // Minimised, nothing on screen said that an exit waited.
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(this, &QWidget::showNormal, Qt::QueuedConnection);
    QDialog::changeEvent(event);
}

void ExitPendingNotice::showEvent(QShowEvent *event)
{
    scaleUi(true);
    followModalWindow();
    QDialog::showEvent(event);
}

void ExitPendingNotice::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, btnStayOpen, labelMessage}, rescale, true);
}
