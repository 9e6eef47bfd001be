#include "devices/ImportErrorDialog.h"

#include "shell/base/BoundedText.h"
#include "shell/base/Session.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

ImportErrorDialog::ImportErrorDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setupSharedDialog(this);
    connect(btnOk, &QToolButton::clicked, this, &ImportErrorDialog::okButtonClicked);
    EnterKeyButton::install(this, btnOk);
}

ImportErrorDialog::~ImportErrorDialog() = default;

void ImportErrorDialog::setErrorPosition(int column, int row, const QString &message)
{
    // The window is rich text for its colours; every text set into it is escaped, so a message
    // that quotes a name from the file shows the name as it stands.
    QString text;
    text += tr("The 1st error on Column [").toHtmlEscaped();
    text += QStringLiteral("<font color=\"#ffff00\">") + QString::number(column + 1) + QStringLiteral("</font>");
    text += tr("], Row [").toHtmlEscaped();
    text += QStringLiteral("<font color=\"#ffff00\">") + QString::number(row) + QStringLiteral("</font>");
    text += tr("]").toHtmlEscaped();
    text += QStringLiteral("<br>");
    text += QStringLiteral("<font color=\"#00ff00\">") + BoundedText::shown(message).toHtmlEscaped() +
            QStringLiteral("</font>");
    labeError->setText(text);
}

void ImportErrorDialog::showAt(QWidget *owner, int column, int row, const QString &message)
{
    setErrorPosition(column, row, message);
    DialogPlacementRule::centreOnScreenOf(this, owner);
    show();
}

void ImportErrorDialog::okButtonClicked()
{
    close();
}

void ImportErrorDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void ImportErrorDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, btnOk, labeError, labeTitle}, rescale, false);
}
