#include "platform/CameraLinkSettings.h"
#include "platform/CameraProgramLauncher.h"
#include "platform/CameraProgramLocator.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The camera-management program's platform layer: where it is found, how it is started, and the
// settings keys it lives by.
class TestEmergencyPlatform : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void settingsKeepTheirStoredForms();
    void configuredLocatorNeedsAnExecutableProgram();
    void registryLocatorTakesTheFirstSupportedEntry();
    void launcherPassesOneArgumentPerValueInTheParentFolder();
    void launcherRefusesWhatItCannotStart();

private:
    QString writeStandIn(const QString &folder);
    QTemporaryDir *m_dir = nullptr;
    QString m_ini;
};

void TestEmergencyPlatform::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_ini = m_dir->filePath(QStringLiteral("settings.ini"));
}

void TestEmergencyPlatform::cleanup()
{
    delete m_dir;
}

// A stand-in camera program: writes its arguments, one per line, and its working folder.
QString TestEmergencyPlatform::writeStandIn(const QString &folder)
{
    QDir().mkpath(folder);
    const QString program = folder + QStringLiteral("/Pellmar.exe");
    QFile file(program);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\npwd > \"$0.cwd\"\n");
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return program;
}

void TestEmergencyPlatform::settingsKeepTheirStoredForms()
{
    CameraLinkSettings settings(m_ini);
    QVERIFY(!settings.isEnabled());
    QVERIFY(settings.installPath().isEmpty());
    QVERIFY(settings.setEnabled(true));
    QVERIFY(settings.setInstallPath(QStringLiteral("/opt/pellmar")));
    QFile file(m_ini);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    // "Enable" is the index of the connect choice, an integer, not "true".
    QVERIFY2(text.contains("[Pellmar]") && text.contains("Enable=1"), text.constData());
    QVERIFY(CameraLinkSettings(m_ini).isEnabled());
    QCOMPARE(CameraLinkSettings(m_ini).installPath(), QStringLiteral("/opt/pellmar"));
    QVERIFY(settings.setEnabled(false));
    QVERIFY(!CameraLinkSettings(m_ini).isEnabled());
}

void TestEmergencyPlatform::configuredLocatorNeedsAnExecutableProgram()
{
    ConfiguredCameraProgramLocator locator(m_ini);
    QVERIFY(locator.installFolder().isEmpty()); // nothing configured: not installed

    const QString folder = m_dir->filePath(QStringLiteral("pellmar"));
    QSettings ini(m_ini, QSettings::IniFormat);
    ini.setValue(QStringLiteral("Pellmar/ProgramFolder"), folder);
    ini.sync();
    QVERIFY(locator.installFolder().isEmpty()); // the folder does not exist

    QVERIFY(QDir().mkpath(folder));
    QFile plain(folder + QStringLiteral("/Pellmar.exe"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(plain.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(locator.installFolder().isEmpty()); // a file that cannot run

    QVERIFY(!writeStandIn(folder).isEmpty());
    QCOMPARE(locator.installFolder(), folder);
}

void TestEmergencyPlatform::registryLocatorTakesTheFirstSupportedEntry()
{
    // The uninstall key as an INI file: one group per entry, in key order.
    const QString registry = m_dir->filePath(QStringLiteral("uninstall.ini"));
    {
        QSettings ini(registry, QSettings::IniFormat);
        auto entry = [&](const QString &key, const QString &name, const QString &version, const QString &location) {
            ini.setValue(key + QStringLiteral("/DisplayName"), name);
            ini.setValue(key + QStringLiteral("/DisplayVersion"), version);
            ini.setValue(key + QStringLiteral("/InstallLocation"), location);
            ini.setValue(key + QStringLiteral("/Publisher"), QStringLiteral("Velk"));
        };
        entry(QStringLiteral("A1"), QStringLiteral("Pellmar"), QStringLiteral("3.0.1044.9"), QStringLiteral("C:/old"));
        entry(QStringLiteral("A2"), QStringLiteral("Pellmar"), QStringLiteral("3.0"), QStringLiteral("C:/short"));
        entry(QStringLiteral("A3"), QStringLiteral("pellmar"), QStringLiteral("3.0.2000"), QStringLiteral("C:/case"));
        entry(QStringLiteral("A4"), QStringLiteral("Pellmar"), QStringLiteral("3.0.1050"), QString());
        entry(QStringLiteral("B1"), QStringLiteral("Velk Pellmar Suite"), QStringLiteral("3.1.1045"),
              QStringLiteral("C:/Program Files/Pellmar"));
        entry(QStringLiteral("B2"), QStringLiteral("Pellmar"), QStringLiteral("9.9.9999"), QStringLiteral("C:/later"));
    }
    RegistryCameraProgramLocator locator(registry, true);
    QCOMPARE(locator.installFolder(), QStringLiteral("C:/Program Files/Pellmar"));

    QSettings ini(registry, QSettings::IniFormat);
    ini.remove(QStringLiteral("B1"));
    ini.remove(QStringLiteral("B2"));
    ini.sync();
    QVERIFY(locator.installFolder().isEmpty());
}

void TestEmergencyPlatform::launcherPassesOneArgumentPerValueInTheParentFolder()
{
    const QString install = m_dir->filePath(QStringLiteral("Program Files/Pellmar"));
    const QString program = writeStandIn(install);
    QVERIFY(!program.isEmpty());

    QString error;
    QVERIFY2(CameraProgramLauncher::launch(install, QStringLiteral("guard one"), QStringLiteral("p@ss word"),
                                           QStringLiteral("aa:bb:cc:00:11:22"), &error),
             qPrintable(error));
    QTRY_VERIFY(QFile::exists(program + QStringLiteral(".cwd")));
    QFile args(program + QStringLiteral(".args"));
    QVERIFY(args.open(QIODevice::ReadOnly));
    const QStringList expected = {"-mode",     "1",
                                  "-user",     "guard one",
                                  "-password", "p@ss word",
                                  "-mac",      "aa:bb:cc:00:11:22",
                                  "-pid",      QString::number(QCoreApplication::applicationPid())};
    QCOMPARE(QString::fromUtf8(args.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    QFile cwd(program + QStringLiteral(".cwd"));
    QVERIFY(cwd.open(QIODevice::ReadOnly));
    // The folder that holds the install folder, as the program expects it.
    QCOMPARE(QString::fromUtf8(cwd.readAll()).trimmed(), m_dir->filePath(QStringLiteral("Program Files")));

    // With a trailing separator the install folder itself is the working folder.
    QFile::remove(program + QStringLiteral(".cwd"));
    QVERIFY(CameraProgramLauncher::launch(install + QLatin1Char('/'), QStringLiteral("u"), QStringLiteral("p"),
                                          QStringLiteral("m")));
    QTRY_VERIFY(QFile::exists(program + QStringLiteral(".cwd")));
    QFile cwd2(program + QStringLiteral(".cwd"));
    QVERIFY(cwd2.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(cwd2.readAll()).trimmed(), install);
}

void TestEmergencyPlatform::launcherRefusesWhatItCannotStart()
{
    QString error;
    QVERIFY(!CameraProgramLauncher::launch(QString(), QStringLiteral("u"), QStringLiteral("secret"),
                                           QStringLiteral("m"), &error));
    QCOMPARE(error, QStringLiteral("no install path recorded"));
    QVERIFY(!CameraProgramLauncher::launch(m_dir->filePath(QStringLiteral("none")), QStringLiteral("u"),
                                           QStringLiteral("secret"), QStringLiteral("m"), &error));
    QVERIFY(error.endsWith(QStringLiteral("cannot be run")));
    QVERIFY(!error.contains(QStringLiteral("secret")));
}

QTEST_GUILESS_MAIN(TestEmergencyPlatform)
#include "tst_emergency_platform.moc"
