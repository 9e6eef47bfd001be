#include "shell/app/ExitPendingNotice.h"

#include <QCloseEvent>
#include <QEvent>

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
    showWaits();
}

ExitPendingNotice::~ExitPendingNotice() = default;

void ExitPendingNotice::setWaits(bool alert, int records)
{
    m_alert = alert;
    m_records = records;
    showWaits();
}

void ExitPendingNotice::showWaits()
{
    if (m_alert && m_records > 0)
        labelMessage->setText(tr("The console will close once the emergency alert is answered and %n records are "
                                 "saved.",
                                 nullptr, m_records));
    else if (m_alert)
        labelMessage->setText(tr("The console will close once the emergency alert is answered."));
    else
        labelMessage->setText(tr("The console will close once %n records are saved.", nullptr, m_records));
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
    QDialog::changeEvent(event);
}

void ExitPendingNotice::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void ExitPendingNotice::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, btnStayOpen, labelMessage}, rescale, true);
}
