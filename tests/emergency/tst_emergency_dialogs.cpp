#include "datastore/DbHeldWrites.h"
#include "datastore/VelkDeviceCameraMap.h"
#include "emergency/EmergencyDialog.h"
#include "emergency/EmergencySettingNotifyDialog.h"
#include "emergency/EmergencyTestSupport.h"
#include "emergency/EmergencyWarningDialog.h"
#include "emergency/ManagementAddCamera.h"
#include "emergency/NotifyDownloadDialog.h"
#include "emergency/Ui_NotifyDownloadDialog.h"
#include "platform/CameraLinkSettings.h"
#include "platform/CameraProgramLocator.h"
#include "shell/base/Clock.h"
#include "shell/base/Session.h"
#include "shell/kit/UiHelpers.h"
#include "support/DatabaseHold.h"
#include "support/HeldEventRow.h"
#include "support/ShortDatabaseWaits.h"

#include <QCheckBox>
#include <QDesktopServices>

namespace {

class FixedLocator : public CameraProgramLocator
{
public:
    explicit FixedLocator(const QString &folder) : m_folder(folder) {}
    QString installFolder() const override { return m_folder; }

private:
    QString m_folder;
};

VelkAccount administrator()
{
    QList<VelkAccount> accounts;
    OrvantaDBManager::getInstance()->queryAccount(accounts);
    for (const VelkAccount &account : qAsConst(accounts)) {
        if (account.isAdmin)
            return account;
    }
    return VelkAccount();
}

// Runs one statement on the console's database through a second connection, as another writer
// would: used to make the data store's own writes fail.
bool onDatabase(const QString &statement)
{
    const QString file = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) +
                         QStringLiteral("/dbManagement/QuorvinDatabase.db");
    bool ok = false;
    {
        QSqlDatabase side = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("side"));
        side.setDatabaseName(file);
        ok = side.open() && QSqlQuery(side).exec(statement);
        side.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("side"));
    return ok;
}

void pair(quint32 did, const QString &cameraMac)
{
    VelkDeviceCameraMap mapping;
    mapping.did = int(did);
    mapping.account = QStringLiteral("guard");
    mapping.deviceName = QStringLiteral("cam");
    mapping.mac = cameraMac;
    OrvantaDBManager::getInstance()->insertDeviceCameraMapping(mapping);
}

} // namespace

class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

// The emergency dialogs against the real data store and a stand-in camera-management database.
class TestEmergencyDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void warningShowsThePanelAndIsAnsweredOnce();
    void cameraButtonFollowsWhatTheDatabaseLetsBeRead();
    void turnOnPtzCameraStartsTheProgramOnThePairedCamera();
    void linkSettingsNeedTheProgramAndARealAccount();
    void linkSettingsStoreNothingWhenTheAccountCannotBeWritten();
    void noticesOfferTheSettingsToTheAdministratorOnly();
    void pairingListsWhatTheAccountMaySee();

private:
    std::unique_ptr<TestEnv> m_env;
    QString m_ini;
};

void TestEmergencyDialogs::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    // The scale of the screen, as the log-in window sets it: 1.4 in the hidpi run.
    initScaleFactor(0, 0);
    QVERIFY(createCameraDatabase());
    QVERIFY(OrvantaDBManager::getInstance());
    m_ini = m_env->home() + QStringLiteral("/settings.ini");
}

void TestEmergencyDialogs::init()
{
    QFile::remove(m_ini);
    storeSosCredentials(QString(), QString());
    QList<VelkDeviceCameraMap> mappings;
    OrvantaDBManager::getInstance()->queryDeviceCameraMapping(mappings);
    for (const VelkDeviceCameraMap &mapping : qAsConst(mappings))
        OrvantaDBManager::getInstance()->deleteDeviceCameraMapping(mapping.aid);
}

void TestEmergencyDialogs::cleanupTestCase()
{
    m_env.reset();
}

void TestEmergencyDialogs::warningShowsThePanelAndIsAnsweredOnce()
{
    const VelkIFPDevice device =
        addManagedDevice(QStringLiteral("Hall panel"), QStringLiteral("02:51:4d:00:00:10"), QStringLiteral("10.1.2.3"));
    ManualClock clock(QDateTime(QDate(2026, 5, 4), QTime(8, 0, 7)));

    // No paired camera: the camera button is off, and so it is with the link switched off.
    EmergencyWarningDialog unpaired(nullptr, m_ini, &clock);
    unpaired.setAlertInfo(device, true);
    QVERIFY(!unpaired.btnOpenCamera->isEnabled());
    QCOMPARE(unpaired.lbTime->text(), QStringLiteral("2026-05-04 08:00:07"));
    QCOMPARE(unpaired.lbDeviceName->text(), QStringLiteral("Hall panel"));
    QCOMPARE(unpaired.lbLocation->text(), QStringLiteral("Room Hall panel"));
    QCOMPARE(unpaired.lbIpAddress->text(), QStringLiteral("10.1.2.3"));
    QVERIFY(unpaired.btnCallEmergency->isHidden());

    pair(device.did, QStringLiteral("aa:00:00:00:00:01"));
    pair(device.did, QStringLiteral("aa:00:00:00:00:02"));
    EmergencyWarningDialog off(nullptr, m_ini, &clock);
    off.setAlertInfo(device, false);
    QVERIFY(!off.btnOpenCamera->isEnabled());

    // Paired and switched on, but no camera-management account stored: the button does nothing.
    EmergencyWarningDialog dialog(nullptr, m_ini, &clock);
    QSignalSpy answered(&dialog, &EmergencyWarningDialog::stopAlert);
    dialog.setAlertInfo(device, true);
    QCOMPARE(dialog.cameraMac(), QStringLiteral("aa:00:00:00:00:02")); // the later pairing row
    QVERIFY(dialog.btnOpenCamera->isEnabled());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.btnOpenCamera->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(answered.count(), 0);

    // Neither Escape nor the window manager puts an unanswered alert aside.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    dialog.close();
    QVERIFY(dialog.isVisible());

    dialog.btnClear->click();
    QCOMPARE(answered.count(), 1);
    QCOMPARE(answered.first().first().toString(), QStringLiteral("02:51:4d:00:00:10"));
    QVERIFY(!dialog.isVisible());
    dialog.btnClear->click();
    dialog.btnOpenCamera->click();
    QCOMPARE(answered.count(), 1);
}

// Writes held because another program holds the database say nothing of reads: under its write lock the pairing is
// read as ever, and the camera button was off for the whole of it. Held exclusively, the pairing cannot be read: the
// button is off at once, not after the whole busy wait, and comes on once the writes held meanwhile reach the
// database. Pairings that cannot be read for a reason of their own leave it off, and the log says so (it was printed
// to the console's standard output, where nobody reads it).
void TestEmergencyDialogs::cameraButtonFollowsWhatTheDatabaseLetsBeRead()
{
    const VelkIFPDevice device =
        addManagedDevice(QStringLiteral("Gym panel"), QStringLiteral("02:51:4d:00:00:11"), QStringLiteral("10.1.2.4"));
    pair(device.did, QStringLiteral("aa:00:00:00:00:02"));
    const int busyWaitMs = 3000;
    const ShortDatabaseWaits waits(busyWaitMs);
    DbHeldWrites *held = waits.db()->heldWrites();
    const auto holdAWrite = [db = waits.db()] {
        holdEventRow(db, "test", QStringLiteral("event of the SOS"), QStringLiteral("Gym panel"),
                     QStringLiteral("2026-05-04 08:00:07"));
    };
    for (const DatabaseHold::Kind kind : {DatabaseHold::Writer, DatabaseHold::Exclusive}) {
        DatabaseHold hold(waits.db()->databaseFilePath(), kind);
        QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
        holdAWrite();
        QTRY_VERIFY(held->isRefused());
        EmergencyWarningDialog dialog(nullptr, m_ini);
        QElapsedTimer read;
        read.start();
        dialog.setAlertInfo(device, true);
        // A read that waited the whole busy wait takes it at least; a loaded machine may take long over the rest.
        QVERIFY2(read.elapsed() < busyWaitMs, qPrintable(QString::number(read.elapsed())));
        if (kind == DatabaseHold::Writer) {
            QVERIFY(dialog.btnOpenCamera->isEnabled());
            QCOMPARE(dialog.cameraMac(), QStringLiteral("aa:00:00:00:00:02"));
            hold.release();
        } else {
            QVERIFY(!dialog.btnOpenCamera->isEnabled());
            hold.release();
            QTRY_VERIFY_WITH_TIMEOUT(dialog.btnOpenCamera->isEnabled(), QuorvinTryCeilingMs);
        }
        QTRY_VERIFY_WITH_TIMEOUT(held->isEmpty(), QuorvinTryCeilingMs);
    }

    LogCapture log;
    QSqlQuery sql(waits.db()->databaseManager()->connection());
    QVERIFY(sql.exec(QStringLiteral("ALTER TABLE DeviceCameraMap RENAME TO DeviceCameraMapAside")));
    const auto mended =
        qScopeGuard([&sql] { sql.exec(QStringLiteral("ALTER TABLE DeviceCameraMapAside RENAME TO DeviceCameraMap")); });
    EmergencyWarningDialog dialog(nullptr, m_ini);
    dialog.setAlertInfo(device, true);
    QVERIFY(!dialog.btnOpenCamera->isEnabled());
    QCOMPARE(log.count(QStringLiteral("the camera paired with device %1 could not be read").arg(device.did)), 1);
}

void TestEmergencyDialogs::turnOnPtzCameraStartsTheProgramOnThePairedCamera()
{
    LogCapture log;
    const VelkIFPDevice device =
        addManagedDevice(QStringLiteral("Gym panel"), QStringLiteral("02:51:4d:00:00:11"), QStringLiteral("10.1.2.4"));
    pair(device.did, QStringLiteral("aa:00:00:00:00:05"));
    storeSosCredentials(QStringLiteral("lab"), QStringLiteral("lab pass"));

    const QString install = m_env->home() + QStringLiteral("/Programs/Pellmar");
    const QString program = installStandInCameraProgram(install);
    QVERIFY(!program.isEmpty());

    // No install path recorded yet: the alert is still answered, and the log says why.
    EmergencyWarningDialog missing(nullptr, m_ini);
    QSignalSpy missingAnswer(&missing, &EmergencyWarningDialog::stopAlert);
    missing.setAlertInfo(device, true);
    missing.btnOpenCamera->click();
    QCOMPARE(missingAnswer.count(), 1);
    QVERIFY(log.contains(QStringLiteral("camera program not started: no install path recorded")));

    EmergencyWarningDialog dialog(nullptr, m_ini);
    QSignalSpy answered(&dialog, &EmergencyWarningDialog::stopAlert);
    dialog.setAlertInfo(device, true);
    // The path is read at the click: saved while the dialog is open, it is used.
    QVERIFY(CameraLinkSettings(m_ini).setInstallPath(install));
    dialog.btnOpenCamera->click();
    QCOMPARE(answered.count(), 1);
    // The clear-text password of the last administrator, blank and all, as one argument; the
    // camera's MAC, not the panel's.
    QTRY_COMPARE(standInArguments(program),
                 (QStringList{"-mode", "1", "-user", "lab", "-password", "lab pass", "-mac", "aa:00:00:00:00:05",
                              "-pid", QString::number(QCoreApplication::applicationPid())}));
    for (const QString &line : log.lines())
        QVERIFY2(!line.contains(QStringLiteral("lab pass")), qPrintable(line));
}

void TestEmergencyDialogs::linkSettingsNeedTheProgramAndARealAccount()
{
    EmergencyDialog dialog(nullptr, m_ini, std::make_unique<FixedLocator>(QStringLiteral("/opt/Pellmar")));
    QSignalSpy accountError(&dialog, &EmergencyDialog::showAccountErrorMessage);
    QSignalSpy autoCheck(&dialog, &EmergencyDialog::enableAutoCheck);
    QSignalSpy reload(&dialog, &EmergencyDialog::reloadPtzCamera);
    dialog.loadSetting();
    dialog.show();
    dialog.cbConnectCamera->setCurrentIndex(1);
    QVERIFY(dialog.lineEditName->isEnabled());
    QCOMPARE(CameraLinkSettings(m_ini).installPath(), QStringLiteral("/opt/Pellmar"));

    dialog.lineEditName->setText(QStringLiteral("guard"));
    dialog.btnSave->click();
    QCOMPARE(dialog.lbState->shownWarning(), QStringLiteral("All fields marked with an asterisk (*) are required"));

    // Wrong credentials (a password differing in case only): the account error, nothing written.
    dialog.lineEditPassword->setText(QStringLiteral("S3cret"));
    dialog.btnSave->click();
    QCOMPARE(accountError.count(), 1);
    QCOMPARE(accountError.first().first().toInt(), 2);
    QVERIFY(dialog.isVisible());
    QVERIFY(!QSettings(m_ini, QSettings::IniFormat).contains(QStringLiteral("Pellmar/Enable")));
    QVERIFY(administrator().sosUsername.isEmpty());
    QCOMPARE(autoCheck.count(), 0);

    dialog.lineEditPassword->setText(QStringLiteral("s3cret"));
    dialog.btnSave->click();
    QVERIFY(!dialog.isVisible());
    QVERIFY(CameraLinkSettings(m_ini).isEnabled());
    QCOMPARE(administrator().sosUsername, QStringLiteral("guard"));
    QCOMPARE(administrator().sosPassword, Base64Text::encode(QStringLiteral("s3cret")));
    QCOMPARE(autoCheck.count(), 1);
    QCOMPARE(autoCheck.first().first().toBool(), true);
    QCOMPARE(reload.count(), 1);

    // Another account under the same password counts as a change: the pairing is refreshed.
    storeSosCredentials(QStringLiteral("lab"), QStringLiteral("s3cret"));
    dialog.loadSetting();
    QCOMPARE(dialog.lineEditName->text(), QStringLiteral("lab"));
    dialog.lineEditName->setText(QStringLiteral("guard"));
    dialog.btnSave->click();
    QCOMPARE(reload.count(), 2);

    // Disconnect switches the link off and keeps the account, shown greyed next time.
    dialog.loadSetting();
    QCOMPARE(dialog.cbConnectCamera->currentIndex(), 1);
    dialog.cbConnectCamera->setCurrentIndex(0);
    dialog.btnSave->click();
    QVERIFY(!CameraLinkSettings(m_ini).isEnabled());
    QCOMPARE(autoCheck.last().first().toBool(), false);
    QCOMPARE(administrator().sosUsername, QStringLiteral("guard"));
    dialog.loadSetting();
    QCOMPARE(dialog.cbConnectCamera->currentIndex(), 0);
    QCOMPARE(dialog.lineEditName->text(), QStringLiteral("guard"));
    QVERIFY(!dialog.lineEditName->isEnabled());

    // Cancel after choosing Connect returns to Disconnect.
    dialog.cbConnectCamera->setCurrentIndex(1);
    dialog.btnCancel->click();
    QCOMPARE(dialog.cbConnectCamera->currentIndex(), 0);
}

void TestEmergencyDialogs::linkSettingsStoreNothingWhenTheAccountCannotBeWritten()
{
    LogCapture log;
    EmergencyDialog dialog(nullptr, m_ini, std::make_unique<FixedLocator>(QStringLiteral("/opt/Pellmar")));
    QSignalSpy autoCheck(&dialog, &EmergencyDialog::enableAutoCheck);
    dialog.show();
    dialog.cbConnectCamera->setCurrentIndex(1);
    dialog.lineEditName->setText(QStringLiteral("guard"));
    dialog.lineEditPassword->setText(QStringLiteral("s3cret"));
    QVERIFY(onDatabase(
        QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON Account BEGIN SELECT RAISE(ABORT, 'read-only'); END")));
    dialog.btnSave->click();
    QVERIFY(onDatabase(QStringLiteral("DROP TRIGGER refuse")));
    // The link is not switched on with an account that was not stored.
    QVERIFY(dialog.isVisible());
    QVERIFY(!QSettings(m_ini, QSettings::IniFormat).contains(QStringLiteral("Pellmar/Enable")));
    QCOMPARE(autoCheck.count(), 0);
    QVERIFY(!dialog.lbState->shownWarning().isEmpty());
    QVERIFY(log.contains(QStringLiteral("the camera link could not be stored")));
}

void TestEmergencyDialogs::noticesOfferTheSettingsToTheAdministratorOnly()
{
    EmergencySettingNotifyDialog notice;
    QSignalSpy edit(&notice, &EmergencySettingNotifyDialog::editSetting);
    notice.setInfo(QStringLiteral("early"), QStringLiteral("1.1.1.1"), QStringLiteral("x"));
    notice.showDialog(1, false);
    QVERIFY(notice.lbDeviceName->text().isEmpty()); // setInfo belongs after showDialog
    QVERIFY(notice.btnGoSetting->isVisibleTo(&notice));
    QVERIFY(!notice.btnGoSetting->isEnabled());
    notice.showDialog(0, false);
    QVERIFY(!notice.btnGoSetting->isEnabled());

    notice.showDialog(1, true);
    notice.setInfo(QStringLiteral("Library"), QStringLiteral("10.0.0.8"), QStringLiteral("guard"));
    QVERIFY(notice.btnGoSetting->isEnabled());
    QVERIFY(notice.widgetDeviceNotMapping->isVisibleTo(&notice));
    QCOMPARE(notice.lbDeviceName->text(), QStringLiteral("Library"));
    notice.btnGoSetting->click();
    QCOMPARE(edit.count(), 1);
    QCOMPARE(edit.first().at(0).toInt(), 1);
    QCOMPARE(edit.first().at(1).toString(), QStringLiteral("Library"));

    // The wrong-account notice: one button, "OK", in the middle.
    notice.showDialog(2, true);
    QVERIFY(!notice.btnGoSetting->isVisibleTo(&notice));
    QCOMPARE(notice.btnCancel->text(), QStringLiteral("OK"));
    QVERIFY(qAbs(notice.btnCancel->x() + notice.btnCancel->width() / 2 - notice.width() / 2) <= 3);

    // The install notice links to the download page of the interface's language, opened once.
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    currentLanguage = QStringLiteral("zh_TW");
    NotifyDownloadDialog regional;
    currentLanguage = QStringLiteral("en_US");
    NotifyDownloadDialog main;
    QSignalSpy settings(&main, &NotifyDownloadDialog::openEmergencySetting);
    QVERIFY(NotifyDownloadDialog::downloadPage(QStringLiteral("zh_TW")) != NotifyDownloadDialog::downloadPage("en_US"));
    QVERIFY(regional.ui->label_2->text().contains(NotifyDownloadDialog::downloadPage(QStringLiteral("zh_TW"))));
    QVERIFY(main.ui->label_2->text().contains(NotifyDownloadDialog::downloadPage(QString())));
    main.showDialog(0);
    QVERIFY(main.ui->label_2->isVisibleTo(&main) && !main.ui->btnSetting->isVisibleTo(&main));
    emit main.ui->label_2->linkActivated(NotifyDownloadDialog::downloadPage(QString()));
    QCOMPARE(catcher.urls, QList<QUrl>{QUrl(NotifyDownloadDialog::downloadPage(QString()))});
    main.showDialog(1);
    QVERIFY(!main.ui->label_2->isVisibleTo(&main) && main.ui->btnSetting->isVisibleTo(&main));
    main.ui->btnSetting->click();
    QCOMPARE(settings.count(), 1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

void TestEmergencyDialogs::pairingListsWhatTheAccountMaySee()
{
    auto rows = [](const ManagementAddCamera &dialog) {
        QStringList names;
        for (int row = 0; row < dialog.tableWidget->rowCount(); ++row)
            names << dialog.tableWidget->item(row, 3)->text() + QLatin1Char('@') +
                         dialog.tableWidget->item(row, 1)->text();
        return names;
    };
    ManagementAddCamera dialog;
    QSignalSpy chosen(&dialog, &ManagementAddCamera::sendDeviceInfo);
    // No account stored: nothing to choose, and Save says so.
    dialog.showDialog(QString());
    QCOMPARE(dialog.tableWidget->rowCount(), 0);
    dialog.btnSave->click();
    QCOMPARE(dialog.lbState->shownWarning(), QStringLiteral("At least one device should be selected."));

    // Access level 0 sees every camera with a MAC, in the camera database's order.
    storeSosCredentials(QStringLiteral("guard"), QStringLiteral("s3cret"));
    dialog.showDialog(QString());
    QCOMPARE(rows(dialog),
             (QStringList{"Hall cam@10.0.0.1", "Gym cam@10.0.0.2", "Lab cam@10.0.0.3", "Lab cam@10.0.0.5"}));

    // Otherwise: the cameras of its groups in group order, then its own, each once.
    storeSosCredentials(QStringLiteral("lab"), QStringLiteral("lab pass"));
    dialog.showDialog(QStringLiteral("Lab cam"));
    QCOMPARE(rows(dialog),
             (QStringList{"Gym cam@10.0.0.2", "Hall cam@10.0.0.1", "Lab cam@10.0.0.5", "Lab cam@10.0.0.3"}));
    // Two cameras carry the panel's camera name: both come checked, and one must be chosen.
    QCOMPARE(dialog.checkedCount(), 2);
    dialog.btnSave->click();
    QCOMPARE(dialog.lbState->shownWarning(), QStringLiteral("Only one device can be selected."));
    QCOMPARE(chosen.count(), 0);
    dialog.checkBoxes().at(2)->setChecked(false);
    QVERIFY(dialog.lbState->isHidden());
    dialog.btnSave->click();
    QCOMPARE(chosen.count(), 1);
    QCOMPARE(chosen.first().at(0).toString(), QStringLiteral("Lab cam"));
    QCOMPARE(chosen.first().at(1).toString(), QStringLiteral("aa:00:00:00:00:03"));

    // Refresh rebuilds the rows: only the camera name is checked again.
    dialog.checkBoxes().at(0)->setChecked(true);
    QMetaObject::invokeMethod(dialog.btnRefresh, "click");
    QCOMPARE(dialog.checkedCount(), 2);
    QVERIFY(!dialog.checkBoxes().at(0)->isChecked());
}

QTEST_MAIN(TestEmergencyDialogs)
#include "tst_emergency_dialogs.moc"
