// Renders the emergency dialogs to PNG files for a look by eye: the warning, the link settings
// (off and on), the account, camera and wrong-account notices, both install notices, the
// pairing dialog and the device page with its "Emergency SOS" button.
// Usage: emergency_screenshot <prefix> [language]   (language en_US or zh_TW)
//   xvfb-run -a env QT_FONT_DPI=135 build/tests/emergency/emergency_screenshot /tmp/em14
// Everything stays in a temporary HOME.

#include <QApplication>
#include <QDir>
#include <QTranslator>

#include "devices/Management.h"
#include "emergency/EmergencyDialog.h"
#include "emergency/EmergencySettingNotifyDialog.h"
#include "emergency/EmergencyTestSupport.h"
#include "emergency/EmergencyWarningDialog.h"
#include "emergency/ManagementAddCamera.h"
#include "emergency/NotifyDownloadDialog.h"
#include "platform/CameraProgramLocator.h"
#include "shell/base/Session.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

namespace {

class FoundLocator : public CameraProgramLocator
{
public:
    QString installFolder() const override { return QStringLiteral("/opt/Pellmar"); }
};

void shoot(QWidget *dialog, const QString &file)
{
    dialog->show();
    if (!QTest::qWaitForWindowExposed(dialog))
        qWarning("%s was not shown", qPrintable(file));
    QTest::qWait(150);
    if (!dialog->grab().save(file))
        qWarning("cannot write %s", qPrintable(file));
    dialog->hide();
}

} // namespace

int main(int argc, char **argv)
{
    TestEnv env;
    QApplication app(argc, argv);
    const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("emergency");
    currentLanguage = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("en_US");
    QTranslator translator;
    if (translator.load(QStringLiteral(QV_LANG_DIR "/Orvanta_") + currentLanguage + QStringLiteral(".qm")))
        app.installTranslator(&translator);
    initScaleFactor(0, 0);
    createCameraDatabase();
    NetworkConfig::setCurrent(loopbackNetworkConfig(env.home()));
    const QString ini = env.home() + QStringLiteral("/settings.ini");

    VelkIFPDevice device = addManagedDevice(QStringLiteral("Science Lab B"), QStringLiteral("02:51:4d:00:00:21"),
                                            QStringLiteral("192.168.10.42"));
    device.position = QStringLiteral("Building 2, second floor");
    VelkDeviceCameraMap mapping;
    mapping.did = int(device.did);
    mapping.account = QStringLiteral("guard");
    mapping.mac = QStringLiteral("aa:00:00:00:00:01");
    OrvantaDBManager::getInstance()->insertDeviceCameraMapping(mapping);
    storeSosCredentials(QStringLiteral("guard"), QStringLiteral("s3cret"));

    EmergencyWarningDialog warning(nullptr, ini);
    warning.setAlertInfo(device, true);
    shoot(&warning, prefix + QStringLiteral("-warning.png"));
    EmergencyWarningDialog warningOff(nullptr, ini);
    warningOff.setAlertInfo(device, false);
    shoot(&warningOff, prefix + QStringLiteral("-warning-nocamera.png"));
    EmergencyWarningDialog warningSilent(nullptr, ini);
    warningSilent.setAlertInfo(device, true);
    warningSilent.showAlarmCannotSound();
    shoot(&warningSilent, prefix + QStringLiteral("-warning-silent.png"));

    EmergencyDialog settings(nullptr, ini, std::make_unique<FoundLocator>());
    settings.loadSetting();
    shoot(&settings, prefix + QStringLiteral("-settings-off.png"));
    settings.cbConnectCamera->setCurrentIndex(1);
    settings.lineEditPassword->clear();
    settings.lbState->showWarning(
        QCoreApplication::translate("EmergencyDialog", "All fields marked with an asterisk (*) are required"));
    shoot(&settings, prefix + QStringLiteral("-settings-on.png"));

    isAdminLogin = false;
    for (int type = 0; type < 3; ++type) {
        EmergencySettingNotifyDialog notice;
        notice.showDialog(type, type == 0 ? false : true);
        if (type == 1)
            notice.setInfo(device.deviceName, device.ipAddress, QStringLiteral("guard"));
        shoot(&notice, prefix + QStringLiteral("-notice-%1.png").arg(type));
    }
    NotifyDownloadDialog download;
    download.showDialog(0);
    shoot(&download, prefix + QStringLiteral("-install-0.png"));
    download.showDialog(1);
    shoot(&download, prefix + QStringLiteral("-install-1.png"));

    storeSosCredentials(QStringLiteral("lab"), QStringLiteral("lab pass"));
    ManagementAddCamera pairing;
    pairing.showDialog(QStringLiteral("Lab cam"));
    pairing.lbState->showWarning(
        QCoreApplication::translate("ManagementAddCamera", "Only one device can be selected."));
    shoot(&pairing, prefix + QStringLiteral("-pairing.png"));
    // The device page with its "Emergency SOS" button, at the size the Settings page gives it.
    Management page;
    page.resize(ScaleMath::truncScaled(888, getScaleFactor()), ScaleMath::truncScaled(559, getScaleFactor()));
    shoot(&page, prefix + QStringLiteral("-page.png"));
    return 0;
}
