// Renders the multi-user settings dialog, its password and question dialogs, the Import List
// window and an import error to PNG files, for a look by eye. Not a test.
// Usage: xvfb-run -a env QT_FONT_DPI=96 accounts_settings_screenshot <folder>   (135 for the 1.4 scale)
// Everything stays in a temporary HOME.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include "accounts/AdminPasswordConfirmDialog.h"
#include "accounts/AdminPasswordNewDialog.h"
#include "accounts/AdminPasswordResetDialog.h"
#include "accounts/CreateAccountPasswordDialog.h"
#include "accounts/ImportListDialog.h"
#include "accounts/SetupUserConfirmDialog.h"
#include "accounts/SystemSettingsDialog.h"
#include "accounts/core/UserCsv.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/ImportErrorDialog.h"
#include "shell/kit/UiHelpers.h"
#include "support/TestEnv.h"

#include "ImportTestSupport.h"

namespace {

QString folder;

void shoot(QWidget *widget, const QString &name)
{
    widget->show();
    QDeadlineTimer deadline(300);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
    widget->hide();
}

} // namespace

int main(int argc, char **argv)
{
    TestEnv env;
    QApplication app(argc, argv);
    folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);
    initScaleFactor(0, 0);
    OrvantaDBManager::getInstance();

    SystemSettingsDialog settings;
    storeSettings(true, true, "card1234", "admin123", "12345678");
    settings.loadSettings();
    shoot(&settings, QStringLiteral("settings-all-on"));
    settings.close();
    storeSettings(true, false, QString(), "admin123", QString());
    settings.loadSettings();
    shoot(&settings, QStringLiteral("settings-multi-user-off"));
    settings.close();
    storeSettings(false, false, QString(), QString(), QString());
    settings.loadSettings();
    shoot(&settings, QStringLiteral("settings-setup-off"));

    AdminPasswordNewDialog *newPassword = settings.adminPasswordNewDialog();
    shoot(newPassword, QStringLiteral("admin-password-new"));
    newPassword->show();
    newPassword->lineEditPassword->setText(QStringLiteral("abcd"));
    newPassword->lineEditPasswordConfirm->setText(QStringLiteral("abce"));
    newPassword->saveButtonClicked();
    shoot(newPassword, QStringLiteral("admin-password-new-mismatch"));

    AdminPasswordConfirmDialog *confirm = settings.adminPasswordConfirmDialog();
    shoot(confirm, QStringLiteral("admin-password-confirm"));
    AdminPasswordResetDialog *reset = confirm->resetDialog();
    shoot(reset, QStringLiteral("admin-password-reset"));
    reset->show();
    reset->lineEditOldPassword->setText(QStringLiteral("wrong"));
    reset->lineEditPassword->setText(QStringLiteral("abcd"));
    reset->lineEditPasswordConfirm->setText(QStringLiteral("abcd"));
    reset->saveButtonClicked();
    shoot(reset, QStringLiteral("admin-password-reset-incorrect"));

    CreateAccountPasswordDialog *cardPassword = settings.createAccountPasswordDialog();
    shoot(cardPassword, QStringLiteral("card-account-password"));
    cardPassword->show();
    cardPassword->lineEditPassword->setText(QStringLiteral("abc"));
    cardPassword->lineEditPasswordConfirm->setText(QStringLiteral("abc"));
    cardPassword->saveButtonClicked();
    shoot(cardPassword, QStringLiteral("card-account-password-short"));
    shoot(settings.setupUserConfirmDialog(), QStringLiteral("setup-off-question"));

    ImportListDialog import;
    shoot(&import, QStringLiteral("import-list"));
    import.errorDialog()->setErrorPosition(1, 12, UserCsv::text("Password cannot contain Chinese characters."));
    shoot(import.errorDialog(), QStringLiteral("import-error"));
    return 0;
}
