// Stands in for the console in the restart test. Started with "change-language" it takes the
// single-instance lock as the console does, changes the language through the user settings
// (whose Save restarts the program) and ends; the program it restarts (without arguments)
// reports whether it became the one running console and which language it finds stored.
#include <QApplication>
#include <QFile>
#include <QStandardPaths>
#include <QTimer>

#include "datastore/OrvantaDBManager.h"
#include "platform/SingleInstance.h"
#include "shell/app/UserInfoDialog.h"
#include "support/StoredAccount.h"

namespace {

void report(const QString &line)
{
    QFile file(qEnvironmentVariable("QV_PROBE_REPORT"));
    if (file.open(QIODevice::Append | QIODevice::Text))
        file.write(line.toUtf8() + '\n');
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SingleInstance instance(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                            QStringLiteral("0d6a1f8e-frame-restart-probe"));
    instance.setActivationHandler([]() { return true; });
    const SingleInstance::Outcome outcome = instance.acquire();

    if (app.arguments().value(1) != QLatin1String("change-language")) {
        report(outcome == SingleInstance::Acquired ? QStringLiteral("acquired") : QStringLiteral("not acquired"));
        report(QStringLiteral("language ") + storedAccount(true).language);
        return 0;
    }
    if (outcome != SingleInstance::Acquired)
        return 2;
    report(QStringLiteral("started once"));

    UserInfoDialog dialog(storedAccount(true));
    dialog.show();
    QTimer::singleShot(0, &dialog, [&dialog]() {
        dialog.comboBoxLang->setCurrentIndex(dialog.comboBoxLang->findData(QStringLiteral("zh_TW")));
        dialog.writeSetting();
    });
    const int result = app.exec();
    instance.release();
    return result;
}
