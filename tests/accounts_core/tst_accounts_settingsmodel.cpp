// The multi-user settings: which switches a stored record opens with, what a click forces, which
// sub-dialog it asks for, and what Save writes. One row per stored record and click sequence.

#include "accounts/core/SystemSettingsModel.h"

#include <QtTest>

using M = SystemSettingsModel;
Q_DECLARE_METATYPE(VelkMultiUserAdmin)

namespace {

// A stored record: the three switches and the three texts.
VelkMultiUserAdmin record(bool setup, bool multi, const char *cardPassword, bool guest, const char *adminPassword,
                          const char *adminCard)
{
    VelkMultiUserAdmin r;
    r.enableSetupServer = setup;
    r.enableMultiUser = multi;
    r.createAccountPassword = QString::fromLatin1(cardPassword);
    r.enableGuestUser = guest;
    r.adminPassword = QString::fromLatin1(adminPassword);
    r.adminRfidId = QString::fromLatin1(adminCard);
    r.maid = 7;
    return r;
}

// The switches Setup, Multi, Guest, Login card, admin Password, admin Card, one letter each:
// X on, O off and enabled; o off and disabled ("x", on and disabled, must never appear).
QString switches(const M &model)
{
    QString out;
    for (int s = 0; s < M::SwitchCount; ++s) {
        const bool on = model.isOn(M::Switch(s));
        const bool enabled = model.isEnabled(M::Switch(s));
        out += on ? (enabled ? 'X' : 'x') : (enabled ? 'O' : 'o');
    }
    return out;
}

// The links beside Login card, admin Password and admin Card: 1 enabled, 0 disabled.
QString links(const M &model)
{
    QString out;
    for (int l = 0; l < M::LinkCount; ++l)
        out += model.isLinkEnabled(M::Link(l)) ? '1' : '0';
    return out;
}

// The record as Save writes it: setup, multi, guest as 0/1, then the three texts.
QString saved(const VelkMultiUserAdmin &r)
{
    return QStringLiteral("%1%2%3 card=%4 admin=%5 rfid=%6 maid=%7")
        .arg(int(r.enableSetupServer))
        .arg(int(r.enableMultiUser))
        .arg(int(r.enableGuestUser))
        .arg(r.createAccountPassword, r.adminPassword, r.adminRfidId)
        .arg(r.maid);
}

// One operator action, written "click <switch> <0|1>", "set <switch> <0|1>" (a sub-dialog's
// answer), "rules" (a sub-dialog returned) or "heldcard <number>" (a card read). Returns the step a click asks for.
M::Step run(M &model, const QString &action, const QString &storedAdminPassword)
{
    static const QStringList names = {"setup", "multi", "guest", "login", "password", "card"};
    const QStringList parts = action.split(' ');
    if (parts.at(0) == "rules") {
        model.applyRules();
        return M::NoStep;
    }
    if (parts.at(0) == "heldcard") {
        model.setHeldCard(parts.at(1));
        model.applyRules();
        return M::NoStep;
    }
    const M::Switch which = M::Switch(names.indexOf(parts.at(1)));
    const bool on = parts.at(2) == "1";
    if (parts.at(0) == "click") {
        if (!model.isEnabled(which))
            qFatal("script clicks a disabled switch: %s", qPrintable(action));
        return model.toggle(which, on, storedAdminPassword);
    }
    model.set(which, on);
    return M::NoStep;
}

} // namespace

class TestSettingsModel : public QObject
{
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void noStoredRecord();
};

void TestSettingsModel::rules_data()
{
    QTest::addColumn<VelkMultiUserAdmin>("stored");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("expectedSwitches");
    QTest::addColumn<QString>("expectedLinks");
    QTest::addColumn<QString>("expectedSave");

    const VelkMultiUserAdmin full = record(true, true, "card1", true, "admin1", "12345678");

    QTest::newRow("consistent record loads as stored") << full << QStringList{} << "XXXXXX"
                                                       << "111"
                                                       << "111 card=card1 admin=admin1 rfid=12345678 maid=7";
    QTest::newRow("only guest flipped changes only guest") << full << QStringList{"click guest 0"} << "XXOXXX"
                                                           << "111"
                                                           << "110 card=card1 admin=admin1 rfid=12345678 maid=7";
    // Setup off forces multi-user and its dependents off and disabled, whatever is stored; the
    // links follow their switches, so no card or password can be taken that Save would drop.
    QTest::newRow("setup off in the record")
        << record(false, true, "card1", true, "admin1", "12345678") << QStringList{} << "OoooXo"
        << "010"
        << "000 card= admin=admin1 rfid= maid=7";
    QTest::newRow("multi-user stored without a password loads off")
        << record(true, true, "", true, "", "12345678") << QStringList{} << "XOooOo"
        << "000"
        << "100 card= admin= rfid= maid=7";
    QTest::newRow("setup turned off: nothing moves until the answer")
        << full << QStringList{"click setup 0"} << "OXXXXX"
        << "111"
        << "000 card= admin=admin1 rfid= maid=7";
    QTest::newRow("setup off, answered yes") << full << QStringList{"click setup 0", "rules"} << "OoooXo"
                                             << "010"
                                             << "000 card= admin=admin1 rfid= maid=7";
    QTest::newRow("setup off, answered no") << full << QStringList{"click setup 0", "set setup 1"} << "XXXXXX"
                                            << "111"
                                            << "111 card=card1 admin=admin1 rfid=12345678 maid=7";
    // The administrator password off clears everything that needs it at Save.
    QTest::newRow("admin password off") << full << QStringList{"click password 0"} << "XOooOo"
                                        << "000"
                                        << "100 card= admin= rfid= maid=7";
    QTest::newRow("multi-user off") << full << QStringList{"click multi 0"} << "XOooXo"
                                    << "010"
                                    << "100 card= admin=admin1 rfid= maid=7";
    QTest::newRow("login card off keeps nothing of its password") << full << QStringList{"click login 0"} << "XXXOXX"
                                                                  << "011"
                                                                  << "111 card= admin=admin1 rfid=12345678 maid=7";
    QTest::newRow("login card password cancelled")
        << record(true, true, "", false, "admin1", "") << QStringList{"click login 1", "set login 0"} << "XXOOXO"
        << "010"
        << "110 card= admin=admin1 rfid= maid=7";
    QTest::newRow("new admin card held and saved")
        << record(true, true, "", false, "admin1", "") << QStringList{"click card 1", "heldcard 87654321"} << "XXOOXX"
        << "011"
        << "110 card= admin=admin1 rfid=87654321 maid=7";
    QTest::newRow("admin card read but cancelled")
        << record(true, true, "", false, "admin1", "") << QStringList{"click card 1", "set card 0"} << "XXOOXO"
        << "010"
        << "110 card= admin=admin1 rfid= maid=7";
    // Multi-user turned on again after the password was switched off: Save must not store
    // multi-user mode while the password it keeps is cleared.
    QTest::newRow("password off, multi-user on, password dialog closed")
        << full << QStringList{"click password 0", "click multi 1"} << "XXOOOO"
        << "000"
        << "100 card= admin= rfid= maid=7";
}

void TestSettingsModel::rules()
{
    QFETCH(VelkMultiUserAdmin, stored);
    QFETCH(QStringList, actions);

    M model;
    model.load(&stored);
    for (const QString &action : actions)
        run(model, action, stored.adminPassword);

    QTEST(switches(model), "expectedSwitches");
    QTEST(links(model), "expectedLinks");
    QTEST(saved(model.recordToSave(stored)), "expectedSave");
    // Whatever the clicks, a saved record never has multi-user mode without its password.
    const VelkMultiUserAdmin out = model.recordToSave(stored);
    if (out.enableMultiUser)
        QVERIFY(!out.adminPassword.isEmpty() && out.enableSetupServer);
}

void TestSettingsModel::noStoredRecord()
{
    M model;
    VelkMultiUserAdmin stored = record(true, true, "a", true, "b", "c");
    model.load(&stored);
    model.load(nullptr);
    QCOMPARE(switches(model), QStringLiteral("OoooOo"));
    QCOMPARE(links(model), QStringLiteral("000"));
    QVERIFY(model.heldCard().isEmpty());
}

QTEST_GUILESS_MAIN(TestSettingsModel)
#include "tst_accounts_settingsmodel.moc"
