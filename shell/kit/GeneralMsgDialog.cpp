#include "shell/kit/GeneralMsgDialog.h"

#include "shell/base/Session.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/UiHelpers.h"

#include <algorithm>

GeneralMsgDialog::GeneralMsgDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setWindowTitle(productName());
    setupSharedDialog(this);
    scaleUi(false);
    connect(btnOk, &QToolButton::clicked, this, &GeneralMsgDialog::okButtonClicked);
    EnterKeyButton::install(this, btnOk);
}

GeneralMsgDialog::~GeneralMsgDialog() = default;

void GeneralMsgDialog::setMessage(const QString &message)
{
    labelMessage->setText(message);
    fitMessage();
}

void GeneralMsgDialog::showOver(QWidget *owner, const QString &message)
{
    setMessage(message);
    DialogPlacementRule::centreOnScreenOf(this, owner);
    show();
    raise();
}

void GeneralMsgDialog::okButtonClicked()
{
    close();
}

void GeneralMsgDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void GeneralMsgDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    // The form is scaled as it was made, and the text fitted again at the new size.
    growBy(-m_grown);
    scaleForm(this, factor, {frameContent, labelMessage, btnOk}, rescale, true);
    fitMessage();
}

void GeneralMsgDialog::fitMessage()
{
    labelMessage->ensurePolished();
    const int needed = labelMessage->heightForWidth(labelMessage->width());
    growBy(std::max(0, needed - (labelMessage->height() - m_grown)) - m_grown);
}

void GeneralMsgDialog::growBy(int pixels)
{
    if (pixels == 0)
        return;
    m_grown += pixels;
    labelMessage->resize(labelMessage->width(), labelMessage->height() + pixels);
    btnOk->move(btnOk->x(), btnOk->y() + pixels);
    frameContent->resize(frameContent->width(), frameContent->height() + pixels);
    setFixedSize(width(), height() + pixels);
}
