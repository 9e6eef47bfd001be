#include "accounts/AppPermissionConfirmDialog.h"

// The long warning needs more room than a short question.
AppPermissionConfirmDialog::AppPermissionConfirmDialog(QWidget *parent) : AccountQuestionDialog(parent, QSize(420, 236))
{
    setObjectName(QStringLiteral("AppPermissionConfirmDialog"));
    setTexts(tr("Your device and personal data are more vulnerable to attack by apps from unknown sources.\n\n"
                "Your agree that you are solely responsible for any damage to your tablet or loss of data that "
                "may result from using these apps."),
             tr("Yes"), tr("Cancel"));
    connect(this, &QDialog::rejected, this, [this] { emit topSwitchTo(false); });
}

AppPermissionConfirmDialog::~AppPermissionConfirmDialog() = default;
