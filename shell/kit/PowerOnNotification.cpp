#include "shell/kit/PowerOnNotification.h"

#include "shell/base/Session.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/UiHelpers.h"

PowerOnNotification::PowerOnNotification(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    setupSharedDialog(this);
    scaleUi(false);
    connect(btnOk, &QToolButton::clicked, this, &PowerOnNotification::clickOK);
    EnterKeyButton::install(this, btnOk);
}

PowerOnNotification::~PowerOnNotification() = default;

void PowerOnNotification::clickOK()
{
    emit sendClickOk();
    close();
}

void PowerOnNotification::setNote(const QString &note)
{
    labelNote->setText(note);
    const bool shown = !note.isEmpty();
    if (shown == !labelNote->isHidden())
        return;
    labelNote->setVisible(shown);
    // The note's room in the form's present scale: from the message's end to the note's.
    const int room = (labelNote->geometry().bottom() - labelMessage->geometry().bottom()) * (shown ? 1 : -1);
    setFixedSize(width(), height() + room);
    frameContent->resize(frameContent->width(), frameContent->height() + room);
    btnOk->move(btnOk->x(), btnOk->y() + room);
}

void PowerOnNotification::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void PowerOnNotification::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, labelMessage, labelNote, btnOk}, rescale, true);
}
