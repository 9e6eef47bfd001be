#include "datastore/LoginAccountRule.h"
#include "datastore/OrvantaDBManager.h"
#include "network/NetworkConfig.h"
#include "platform/LogSystem.h"
#include "platform/SysLogger.h"
#include "shell/app/CheckPasswordDialog.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/LoginRules.h"
#include "shell/app/MainWindowFinder.h"
#include "shell/app/Orvanta.h"
#include "shell/app/SendMailDialog.h"
#include "shell/app/StartupLanguage.h"
#include "shell/app/UserInfoDialog.h"
#include "shell/base/Session.h"
#include "shell/kit/NotificationDialog.h"
#include "shell/kit/UiHelpers.h"
#include "support/LoopbackNetwork.h"
#include "support/TestEnv.h"
#include "tools/localhttp/LocalHttpServer.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {
class CapturingLogger : public SysLogger
{
public:
    void log(int, LogLevel, const QString &text) override { lines.append(text); }
    QStringList lines;
};
} // namespace

// The log-in window driven headless against a real database in a temporary home, the mail
// service played by a local HTTP server; and the start-up choice of the translation.
class TestLogin : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void emailRuleAndAccountChoice();
    void emptyPasswordNeverLogsIn();
    void exampleTextNeverLogsIn();
    void passwordFieldsTakeWhatTheRestoreCheckTakes_data();
    void passwordFieldsTakeWhatTheRestoreCheckTakes();
    void storedPasswordsLogIn_data();
    void storedPasswordsLogIn();
    void emailFieldsTakeWhatAnAddressHolds_data();
    void emailFieldsTakeWhatAnAddressHolds();
    void passwordTypedAtOnceGoesIntoTheField_data();
    void passwordTypedAtOnceGoesIntoTheField();
    void randomPasswordsComeFromTheWholeAlphabet();
    void wrongPasswordShowsBadgeAndExampleText();
    void firstLoginAsksForEmailOnceAndStoresIt();
    void normalUserLoginClearsAdminFlag();
    void forgottenPasswordWithoutEmail();
    void mailedPasswordIsStoredInTheAccountItWasSentFor();
    void failedMailKeepsThePassword();
    void translationChoice();
    void screenshots();

private:
    std::unique_ptr<Orvanta> newLogin();
    void login(Orvanta *window, int typeIndex, const QString &password);
    VelkAccount stored(bool admin);
    void store(bool admin, const QString &password, const QString &email);
    SendMailDialog *sentNotice() const;

    std::unique_ptr<TestEnv> m_env;
    OrvantaDBIntf *m_db = nullptr;
    CapturingLogger m_logger;
};

void TestLogin::initTestCase()
{
    m_env.reset(new TestEnv);
    QVERIFY(m_env->isValid());
    // The main frame brings up the command server: keep it on an ephemeral loopback port.
    NetworkConfig::setCurrent(loopbackNetworkConfig());
    LogSystem *logSystem = LogSystem::getSysLogSystem();
    logSystem->setLogLevel(LOG_LEVEL_INFO);
    logSystem->setLogger(&m_logger);
    logSystem->startLog();
    m_db = OrvantaDBManager::getInstance();
    QVERIFY(m_db);
}

void TestLogin::cleanupTestCase()
{
    LogSystem::getSysLogSystem()->stopLog();
    LogSystem::getSysLogSystem()->setLogger(nullptr);
}

void TestLogin::init()
{
    // Every case starts from the two seeded accounts, without e-mail addresses.
    store(true, QStringLiteral("kelvo"), QString());
    store(false, QStringLiteral("qeno"), QString());
    isAdminLogin = false;
    m_logger.lines.clear();
}

void TestLogin::cleanup()
{
    if (SendMailDialog *notice = sentNotice())
        notice->hide();
}

VelkAccount TestLogin::stored(bool admin)
{
    QList<VelkAccount> accounts;
    m_db->queryAccount(accounts);
    return LoginRules::pickAccount(accounts, admin ? 0 : 1);
}

void TestLogin::store(bool admin, const QString &password, const QString &email)
{
    VelkAccount account = stored(admin);
    QVERIFY(account.aid != 0);
    account.password = password;
    account.email = email;
    QCOMPARE(m_db->updateAccount(account), 0u);
}

SendMailDialog *TestLogin::sentNotice() const
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *notice = qobject_cast<SendMailDialog *>(widget))
            return notice;
    }
    return nullptr;
}

std::unique_ptr<Orvanta> TestLogin::newLogin()
{
    std::unique_ptr<Orvanta> window(new Orvanta);
    window->show();
    return window;
}

void TestLogin::login(Orvanta *window, int typeIndex, const QString &password)
{
    window->ui.groupComboBox->setCurrentIndex(typeIndex);
    window->ui.lineEditPassword->setText(password);
    QTest::mouseClick(window->ui.btnLogin, Qt::LeftButton);
}

void TestLogin::emailRuleAndAccountChoice()
{
    QVERIFY(LoginRules::isValidEmail(QStringLiteral("a@b.cd")));
    QVERIFY(LoginRules::isValidEmail(QStringLiteral("first.last@mail.school.example")));
    QVERIFY(!LoginRules::isValidEmail(QStringLiteral("a@b.c")));  // one character after the dot
    QVERIFY(!LoginRules::isValidEmail(QStringLiteral("@b.cd")));  // nothing before the at sign
    QVERIFY(!LoginRules::isValidEmail(QStringLiteral("a@.cd")));  // nothing between at sign and dot
    QVERIFY(!LoginRules::isValidEmail(QStringLiteral("a.b@cd"))); // the last dot before the at sign
    QCOMPARE(LoginRules::checkEmail(QStringLiteral("a@b.cd"), QStringLiteral("a@b.cd")), LoginRules::EmailOk);
    QCOMPARE(LoginRules::checkEmail(QStringLiteral("a@b.cd"), QStringLiteral("a@b.ce")), LoginRules::EmailMismatch);
    QCOMPARE(LoginRules::checkEmail(QStringLiteral("a@b.c"), QStringLiteral("a@b.c")), LoginRules::EmailInvalid);

    VelkAccount normal;
    normal.aid = 2;
    normal.password = QStringLiteral("n");
    VelkAccount admin;
    admin.aid = 1;
    admin.isAdmin = true;
    admin.password = QStringLiteral("a");
    const QList<VelkAccount> accounts{normal, admin};
    QCOMPARE(LoginRules::pickAccount(accounts, 0).aid, 1u);
    QCOMPARE(LoginRules::pickAccount(accounts, 1).aid, 2u);
    // No account of that type: nothing, not even an empty password, logs in.
    const VelkAccount none = LoginRules::pickAccount({normal}, 0);
    QCOMPARE(none.aid, 0u);
    QVERIFY(!LoginRules::passwordMatches(QString(), none));
    QVERIFY(LoginRules::passwordMatches(QStringLiteral("a"), admin));
    QVERIFY(!LoginRules::passwordMatches(QStringLiteral("A"), admin));
    QVERIFY(!LoginRules::passwordMatches(QStringLiteral("a "), admin));
}

// A database edited by hand held the administrator with password NULL, read as empty text: an empty password field
// logged in as administrator.
void TestLogin::emptyPasswordNeverLogsIn()
{
    VelkAccount admin;
    admin.aid = 1;
    admin.isAdmin = true;
    QVERIFY(!LoginRules::passwordMatches(QString(), admin));
    QVERIFY(!LoginRules::passwordMatches(QStringLiteral(""), admin));
    admin.password = QStringLiteral("kelvo");
    QVERIFY(!LoginRules::passwordMatches(QString(), admin));
    QVERIFY(LoginRules::passwordMatches(QStringLiteral("kelvo"), admin));
}

// A restored database held the administrator's password "User Password", the field's own grey example text: a click
// on Login without typing anything logged in as administrator. Typed, the same text logs in.
void TestLogin::exampleTextNeverLogsIn()
{
    store(true, QStringLiteral("User Password"), QStringLiteral("ops@school.example"));
    auto window = newLogin();
    CustomLineEditText *field = window->ui.lineEditPassword;
    QCOMPARE(field->text(), QStringLiteral("User Password"));
    QTest::mouseClick(window->ui.btnLogin, Qt::LeftButton);
    QVERIFY(!window->mainFrame());
    QVERIFY(window->ui.lbMessagePassword->isVisible());
    // Refused, the field is emptied for the password, and shows the example words while it is empty.
    QVERIFY(field->text().isEmpty());
    QCOMPARE(field->placeholderText(), QStringLiteral("User Password"));
    QTest::mouseClick(window->ui.btnLogin, Qt::LeftButton);
    QVERIFY(!window->mainFrame());

    // Entering the field hides what is typed.
    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(field, &focusIn);
    QVERIFY(field->text().isEmpty());
    QCOMPARE(field->echoMode(), QLineEdit::Password);
    QTest::keyClicks(field, QStringLiteral("User Password"));
    QTest::mouseClick(window->ui.btnLogin, Qt::LeftButton);
    QVERIFY(window->mainFrame());
    QVERIFY(isAdminLogin);
}

// The password fields and a restore's check of the accounts it swaps in went by rules of their own: the fields took a
// pasted tab or line end, and a typed U+1FFFE, that the check refused ("This file is not a database of this program"
// for the console's own backup); the check passed a leading U+FEFF, which the log-in field drops, and characters not
// assigned, which no key press enters, and the administrator was locked out. Then the log-in field refused what the
// fields of earlier versions had stored from a paste (a tab or line end, U+FFFD, 33 or 34 characters), and the check of
// the current password refused passwords of 33 and 34 characters. Where a password is entered, the fields take what
// the check takes, typed or pasted; only where one is set do they take no more than a key press enters.
void TestLogin::passwordFieldsTakeWhatTheRestoreCheckTakes_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("keys");    // a line edit takes a key press of each of its characters
    QTest::addColumn<bool>("entered"); // log-in, the current password's check and a restore's check take it
    QTest::addColumn<bool>("set");     // the fields of a new password take it
    struct Inner
    {
        const char *name;
        QString character;
        bool keys;
        bool entered;
        bool set;
    };
    const QList<Inner> inner{
        {"a tab", QStringLiteral("\t"), false, true, false},
        {"a line end", QStringLiteral("\n"), false, true, false},
        {"U+1FFFE, a noncharacter beyond the BMP", QString::fromUcs4(U"\U0001FFFE"), true, true, true},
        {"U+0378, not assigned", QString(QChar(0x0378)), false, true, false},
        {"U+FFFE, a noncharacter", QString(QChar(0xFFFE)), false, false, false},
        {"U+FFFD, for bytes that were no text", QString(QChar(0xFFFD)), true, true, false},
        {"U+E000, private use", QString(QChar(0xE000)), true, true, true},
        {"U+200C, a zero-width non-joiner", QString(QChar(0x200C)), true, true, true},
        {"U+1F600, an emoji", QString::fromUcs4(U"\U0001F600"), true, true, true},
        {"a colon", QStringLiteral(":"), true, false, false},
        {"a half of a surrogate pair", QString(QChar(0xD800)), false, false, false},
        {"a NUL", QString(QChar(0)), false, false, false},
        {"Chinese", QString::fromUtf8("密碼"), true, true, true}};
    for (const Inner &character : inner)
        QTest::newRow(character.name) << QStringLiteral("kel") + character.character + QStringLiteral("vo")
                                      << character.keys << character.entered << character.set;
    // A line edit loses a U+FEFF typed first once the next key is typed.
    QTest::newRow("U+FEFF first") << QString(QChar(QChar::ByteOrderMark)) + QStringLiteral("kelvo") << false << false
                                  << false;
    QTest::newRow("a line end last") << QStringLiteral("kelvo\n") << false << true << false;
    QTest::newRow("a tab last") << QStringLiteral("kelvo\t") << false << true << false;
    QTest::newRow("the seeded one") << QStringLiteral("kelvo") << true << true << true;
    for (const int length : {32, 33, 34, 35})
        QTest::newRow(qPrintable(QStringLiteral("%1 characters").arg(length)))
            << QString(length, QLatin1Char('k')) << true << (length <= 34) << (length <= 32);
    // Lengths count characters, as the fields' earlier validators did: 32 emoji are 64 UTF-16 units.
    for (const int length : {32, 34, 35})
        QTest::newRow(qPrintable(QStringLiteral("%1 emoji").arg(length)))
            << QString::fromUcs4(U"\U0001F600").repeated(length) << true << (length <= 34) << (length <= 32);
}

void TestLogin::passwordFieldsTakeWhatTheRestoreCheckTakes()
{
    QFETCH(QString, password);
    QFETCH(bool, keys);
    QFETCH(bool, entered);
    QFETCH(bool, set);
    VelkAccount admin;
    admin.aid = 1;
    admin.isAdmin = true;
    admin.password = password;
    QCOMPARE(LoginAccountRule::problem(admin).isEmpty(), entered);

    auto window = newLogin();
    UserInfoDialog settings(stored(true));
    CheckPasswordDialog check;
    const QList<QPair<QLineEdit *, bool>> fields{{window->ui.lineEditPassword, entered},
                                                 {check.lineEditPassword, entered},
                                                 {settings.lineEditPassword, set},
                                                 {settings.lineEditPasswordConfirm, set}};
    for (const auto &field : fields) {
        const QString name =
            field.first->window()->metaObject()->className() + QStringLiteral("::") + field.first->objectName();
        field.first->clear();
        for (const uint codePoint : password.toUcs4())
            QTest::sendKeyEvent(QTest::Press, field.first, Qt::Key_unknown, QString::fromUcs4(&codePoint, 1),
                                Qt::NoModifier);
        QVERIFY2((field.first->text() == password) == (keys && field.second), qPrintable(name + " typed"));
        field.first->clear();
        QApplication::clipboard()->setText(password);
        field.first->paste();
        QVERIFY2((field.first->text() == password) == field.second, qPrintable(name + " pasted"));
    }
}

// What the fields of earlier versions stored from a paste logs in, pasted, or typed where keys enter it (a new password
// with these characters is refused: the rows of passwordFieldsTakeWhatTheRestoreCheckTakes).
void TestLogin::storedPasswordsLogIn_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("pasted"); // else typed
    const QString replacement = QStringLiteral("kel") + QChar(QChar::ReplacementCharacter) + QStringLiteral("vo");
    QTest::newRow("a tab last, pasted") << QStringLiteral("kelvo\t") << true;
    QTest::newRow("a line end last, pasted") << QStringLiteral("kelvo\n") << true;
    QTest::newRow("U+FFFD, pasted") << replacement << true;
    QTest::newRow("U+FFFD, typed") << replacement << false;
    QTest::newRow("34 characters, typed") << QString(34, QLatin1Char('k')) << false;
    QTest::newRow("the seeded one, typed") << QStringLiteral("kelvo") << false;
}

void TestLogin::storedPasswordsLogIn()
{
    QFETCH(QString, password);
    QFETCH(bool, pasted);
    store(true, password, QStringLiteral("ops@school.example"));
    auto window = newLogin();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    CustomLineEditText *field = window->ui.lineEditPassword;
    field->setFocus();
    if (pasted) {
        QApplication::clipboard()->setText(password);
        QTest::keySequence(field, QKeySequence::Paste);
    }
    for (const uint codePoint : pasted ? QVector<uint>() : password.toUcs4())
        QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, QString::fromUcs4(&codePoint, 1), Qt::NoModifier);
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY2(window->mainFrame(), qPrintable(window->ui.lbMessagePassword->text()));
    QVERIFY(isAdminLogin);
}

// The e-mail fields share the password field's widget, and took what log-in takes: an address pasted with a line end
// or a tab after it was kept, passed the address check and was stored, and a forgotten password was mailed to it.
// They take what an address holds, typed or pasted, and no control character. User Settings' field had a rule of its
// own, which took a tab and refused 34 characters; an address pasted with a space around it was stored with it.
void TestLogin::emailFieldsTakeWhatAnAddressHolds_data()
{
    QTest::addColumn<QString>("email");
    QTest::addColumn<bool>("taken");
    QTest::addColumn<QString>("kept"); // what is stored of it
    QTest::newRow("a line end last") << QStringLiteral("ops@school.example\n") << false << QString();
    QTest::newRow("a tab last") << QStringLiteral("ops@school.example\t") << false << QString();
    QTest::newRow("a Windows line end last") << QStringLiteral("ops@school.example\r\n") << false << QString();
    QTest::newRow("a tab inside") << QStringLiteral("ops@school\t.example") << false << QString();
    QTest::newRow("spaces around") << QStringLiteral(" ops@example.org ") << true << QStringLiteral("ops@example.org");
    const QString everyday[] = {QStringLiteral("ops@school.example"), QStringLiteral("o'neil+ops@st-mary.example"),
                                QString::fromUtf8("jörg.weiß@schule.example"), QString::fromUtf8("老師@學校.example"),
                                QString(19, QLatin1Char('k')) + QStringLiteral("@school.example")};
    QTest::newRow("an everyday address") << everyday[0] << true << everyday[0];
    QTest::newRow("a plus, an apostrophe and a hyphen") << everyday[1] << true << everyday[1];
    QTest::newRow("letters beyond ASCII") << everyday[2] << true << everyday[2];
    QTest::newRow("Chinese") << everyday[3] << true << everyday[3];
    QTest::newRow("34 characters") << everyday[4] << true << everyday[4];
}

void TestLogin::emailFieldsTakeWhatAnAddressHolds()
{
    QFETCH(QString, email);
    QFETCH(bool, taken);
    QFETCH(QString, kept);
    auto window = newLogin();
    login(window.get(), 0, QStringLiteral("kelvo"));
    QCOMPARE(window->ui.stackedWidget->currentIndex(), 1);
    UserInfoDialog settings(stored(false));
    settings.show();
    for (QLineEdit *field : {static_cast<QLineEdit *>(window->ui.lineEditEmail),
                             static_cast<QLineEdit *>(window->ui.lineEditEmailConfirm), settings.lineEditEmail}) {
        field->clear();
        for (const uint codePoint : email.toUcs4())
            QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, QString::fromUcs4(&codePoint, 1), Qt::NoModifier);
        QCOMPARE(field->text() == email, taken);
        field->clear();
        QApplication::clipboard()->setText(email);
        field->paste();
        QCOMPARE(field->text() == email, taken);
    }
    QTest::mouseClick(window->ui.btnEnter, Qt::LeftButton);
    QCOMPARE(stored(true).email, kept);
    QCOMPARE(window->mainFrame() != nullptr, taken);
    settings.writeSetting();
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *check = qobject_cast<CheckPasswordDialog *>(widget);
        if (check && check->isVisible()) {
            check->lineEditPassword->setText(QStringLiteral("qeno"));
            check->writeSetting();
        }
    }
    QCOMPARE(stored(false).email, kept);
}

// The window opened with the keyboard in the account list, where start-up's frameless flags had moved it: a password
// typed at once went nowhere, and its letters could choose the other account. The operator who must choose the
// account first, from the keyboard or from the open list, then types the password.
void TestLogin::passwordTypedAtOnceGoesIntoTheField_data()
{
    // 0 none, 1 an arrow key in the account list, 2 the account list opened, 3 a wrong password refused first
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("admin");
    QTest::newRow("administrator, typed at once") << 0 << QStringLiteral("kelvo") << true;
    QTest::newRow("normal user chosen with an arrow key") << 1 << QStringLiteral("qeno") << false;
    QTest::newRow("normal user chosen from the open list") << 2 << QStringLiteral("qeno") << false;
    // The keyboard stayed on Login after the refusal, and the password typed again went nowhere.
    QTest::newRow("typed again after a wrong one") << 3 << QStringLiteral("kelvo") << true;
}

void TestLogin::passwordTypedAtOnceGoesIntoTheField()
{
    QFETCH(int, choice);
    QFETCH(QString, password);
    QFETCH(bool, admin);
    store(false, QStringLiteral("qeno"), QStringLiteral("teacher@school.example"));
    store(true, QStringLiteral("kelvo"), QStringLiteral("ops@school.example"));
    // As start-up shows it.
    std::unique_ptr<Orvanta> window(new Orvanta);
    window->setWindowFlags((window->windowFlags() & ~(Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) |
                           Qt::FramelessWindowHint);
    window->show();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QWindow *keyboard = window->windowHandle();
    QComboBox *accounts = window->ui.groupComboBox;
    if (choice == 1 || choice == 2) {
        QTest::keyClick(keyboard, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), accounts);
    }
    if (choice == 1)
        QTest::keyClick(keyboard, Qt::Key_Down);
    if (choice == 2) {
        QTest::keyClick(keyboard, Qt::Key_F4);
        QTRY_VERIFY(accounts->view()->isVisible());
        QTest::keyClick(accounts->view(), Qt::Key_Down);
        QTest::keyClick(accounts->view(), Qt::Key_Return);
        QTRY_VERIFY(!accounts->view()->isVisible());
    }
    if (choice == 3) {
        for (const char typed : {'k', 'e', 'l', 'v', '0'})
            QTest::keyClick(keyboard, typed);
        QTest::keyClick(keyboard, Qt::Key_Return);
        QVERIFY(window->ui.lbMessagePassword->isVisible());
        QVERIFY(!window->mainFrame());
    }
    QCOMPARE(accounts->currentIndex(), admin ? 0 : 1);
    for (const QChar typed : password)
        QTest::keyClick(keyboard, typed.toLatin1());
    QTest::keyClick(keyboard, Qt::Key_Return);
    QVERIFY2(window->mainFrame(), qPrintable(window->ui.lbMessagePassword->text()));
    QCOMPARE(isAdminLogin, admin);
}

void TestLogin::randomPasswordsComeFromTheWholeAlphabet()
{
    const QRegularExpression form(QStringLiteral("^[A-Za-z0-9]{8}$"));
    QSet<QString> passwords;
    QSet<QChar> characters;
    for (int i = 0; i < 2000; ++i) {
        const QString password = Orvanta::generateRandomPassword();
        QVERIFY2(form.match(password).hasMatch(), qPrintable(password));
        passwords.insert(password);
        for (const QChar c : password)
            characters.insert(c);
    }
    // A generator seeded by the millisecond would repeat within these 2000 draws.
    QCOMPARE(passwords.size(), 2000);
    QCOMPARE(characters.size(), 62);
}

void TestLogin::wrongPasswordShowsBadgeAndExampleText()
{
    auto window = newLogin();
    QCOMPARE(window->windowTitle(), QStringLiteral("Orvanta"));
    QVERIFY(!window->ui.lbMessagePassword->isVisible());
    QCOMPARE(window->ui.lineEditPassword->text(), QStringLiteral("User Password"));

    const QStringList wrong{QStringLiteral("Kelvo"), QStringLiteral("kelvo "), QString()};
    for (const QString &typed : wrong) {
        login(window.get(), 0, typed);
        QVERIFY(window->ui.lbMessagePassword->isVisible());
        QCOMPARE(window->ui.lbMessagePassword->text(), QStringLiteral("Invalid user password"));
        QCOMPARE(window->ui.lbMessagePassword->toolTip(), QStringLiteral("Invalid user password"));
        // Emptied for the password typed again, with the keyboard; the example words show while it is empty.
        QVERIFY(window->ui.lineEditPassword->text().isEmpty());
        QCOMPARE(window->ui.lineEditPassword->placeholderText(), QStringLiteral("User Password"));
        QCOMPARE(window->ui.lineEditPassword->echoMode(), QLineEdit::Password);
        QCOMPARE(window->focusWidget(), window->ui.lineEditPassword);
    }
    // The administrator's password does not open the normal account.
    login(window.get(), 1, QStringLiteral("kelvo"));
    QVERIFY(window->ui.lbMessagePassword->isVisible());
    QVERIFY(!window->mainFrame());
    QCOMPARE(window->ui.stackedWidget->currentIndex(), 0);
}

void TestLogin::firstLoginAsksForEmailOnceAndStoresIt()
{
    auto window = newLogin();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->ui.groupComboBox->setCurrentIndex(0);
    window->ui.lineEditPassword->setText(QStringLiteral("kelvo"));
    QTest::keyClick(window->ui.lineEditPassword, Qt::Key_Return); // Enter logs in like the button
    QCOMPARE(window->ui.stackedWidget->currentIndex(), 1);
    QVERIFY(isAdminLogin);
    QVERIFY(!window->ui.lbForgot->isVisible());
    QVERIFY(!window->mainFrame());

    // The keyboard starts in the first field, which takes what is typed.
    QCOMPARE(QApplication::focusWidget(), window->ui.lineEditEmail);
    for (const char typed : {'o', 'p', 's', '@'})
        QTest::keyClick(window->windowHandle(), typed);
    QCOMPARE(window->ui.lineEditEmail->text(), QStringLiteral("ops@"));

    auto tryEmails = [&](const QString &email, const QString &confirmation) {
        window->ui.lineEditEmail->setText(email);
        window->ui.lineEditEmailConfirm->setText(confirmation);
        QTest::mouseClick(window->ui.btnEnter, Qt::LeftButton);
    };
    tryEmails(QStringLiteral("a@b.c"), QStringLiteral("a@b.c"));
    QVERIFY(window->ui.lbMessageEmail->isVisible());
    QCOMPARE(window->ui.lbMessageEmail->text(), QStringLiteral("Invalid user Email."));
    tryEmails(QStringLiteral("ops@school.example"), QStringLiteral("ops@school.exampl"));
    QCOMPARE(window->ui.lbMessageEmail->text(), QStringLiteral("The email addresses do not match."));
    QCOMPARE(window->ui.lbMessageEmail->toolTip(), QStringLiteral("The email addresses do not match."));
    QVERIFY(stored(true).email.isEmpty());
    QVERIFY(!window->mainFrame());

    window->ui.lineEditEmail->setText(QStringLiteral("ops@school.example"));
    window->ui.lineEditEmailConfirm->setText(QStringLiteral("ops@school.example"));
    QTest::keyClick(window->ui.lineEditEmailConfirm, Qt::Key_Enter);
    QCOMPARE(stored(true).email, QStringLiteral("ops@school.example"));
    QCOMPARE(stored(true).password, QStringLiteral("kelvo"));
    QVERIFY(stored(false).email.isEmpty());
    FrameLayoutPage *frame = window->mainFrame();
    QVERIFY(frame);
    QVERIFY(frame->isVisible());
    QVERIFY(!window->isVisible());
    QCOMPARE(frame->windowTitle(), QStringLiteral("Quorvin v1.5.1036.0"));
    QVERIFY(frame->currentAccount().isAdmin);

    // What a second start asks of this console: the hidden main window comes back.
    frame->hide();
    QVERIFY(MainWindowFinder::bringForward(QStringLiteral("Quorvin v1.5.1036.0")));
    QVERIFY(frame->isVisible());

    // The next log-in goes straight to the main window.
    auto again = newLogin();
    login(again.get(), 0, QStringLiteral("kelvo"));
    QVERIFY(again->mainFrame());
    QCOMPARE(again->ui.stackedWidget->currentIndex(), 0);
}

void TestLogin::normalUserLoginClearsAdminFlag()
{
    store(false, QStringLiteral("qeno"), QStringLiteral("teacher@school.example"));
    isAdminLogin = true;
    auto window = newLogin();
    QVERIFY(!MainWindowFinder::bringForward(QStringLiteral("Quorvin v1.5.1036.0")));
    login(window.get(), 1, QStringLiteral("qeno"));
    QVERIFY(window->mainFrame());
    QVERIFY(!isAdminLogin);
    QVERIFY(!window->mainFrame()->currentAccount().isAdmin);
}

void TestLogin::forgottenPasswordWithoutEmail()
{
    auto window = newLogin();
    window->ui.groupComboBox->setCurrentIndex(1);
    emit window->ui.lbForgot->clicked();
    QVERIFY(window->ui.lbMessagePassword->isVisible());
    QCOMPARE(window->ui.lbMessagePassword->text(), QStringLiteral("Please get the password from Velk support."));
    auto *notice = window->findChild<NotificationDialog *>();
    QVERIFY(notice);
    QVERIFY(!notice->isVisible());
}

void TestLogin::mailedPasswordIsStoredInTheAccountItWasSentFor()
{
    store(true, QStringLiteral("kelvo"), QStringLiteral("ops@school.example"));
    store(false, QStringLiteral("qeno"), QStringLiteral("teacher@school.example"));
    LocalHttpServer server;
    MailServiceConfig config;
    config.serviceUrl = QUrl(server.url());
    auto window = newLogin();
    window->setMailServiceConfig(config);

    window->ui.groupComboBox->setCurrentIndex(0);
    emit window->ui.lbForgot->clicked();
    auto *notice = window->findChild<NotificationDialog *>();
    QVERIFY(notice->isVisible());
    QCOMPARE(notice->windowTitle(), QStringLiteral("Quorvin"));
    QTest::mouseClick(notice->btnOk, Qt::LeftButton);
    QVERIFY(!notice->isVisible());
    // The operator switches the account type before the service answers.
    window->ui.groupComboBox->setCurrentIndex(1);

    QTRY_VERIFY(sentNotice() && sentNotice()->isVisible());
    QCOMPARE(server.requests().size(), 1);
    const QJsonObject body = QJsonDocument::fromJson(server.requests().first().body).object();
    QCOMPARE(body.value(QStringLiteral("recipient")).toString(), QStringLiteral("ops@school.example"));
    const QString mailed = body.value(QStringLiteral("randomPass")).toString();
    QCOMPARE(mailed.size(), 8);
    QCOMPARE(stored(true).password, mailed);
    QCOMPARE(stored(true).email, QStringLiteral("ops@school.example"));
    QCOMPARE(stored(false).password, QStringLiteral("qeno"));
    QVERIFY(!window->ui.lbMessagePassword->isVisible());
    QTRY_VERIFY(!window->currentSender()); // each sender goes once it answered

    // The mailed password opens the console.
    login(window.get(), 0, mailed);
    QVERIFY(window->mainFrame());
}

void TestLogin::failedMailKeepsThePassword()
{
    store(true, QStringLiteral("kelvo"), QStringLiteral("ops@school.example"));
    LocalHttpServer server;
    server.setStatus(500);
    MailServiceConfig config;
    config.serviceUrl = QUrl(server.url());
    auto window = newLogin();
    window->setMailServiceConfig(config);
    window->ui.groupComboBox->setCurrentIndex(0);
    window->sendMail();
    QTRY_VERIFY(window->ui.lbMessagePassword->isVisible());
    QCOMPARE(window->ui.lbMessagePassword->text(), QStringLiteral("Sending of email failed."));
    QCOMPARE(server.requests().size(), 1);
    QCOMPARE(stored(true).password, QStringLiteral("kelvo"));
    QVERIFY(!sentNotice() || !sentNotice()->isVisible());

    // A service that never answers ends the same way after the time-out.
    server.setStatus(0);
    config.timeoutMs = 300;
    window->setMailServiceConfig(config);
    window->ui.lbMessagePassword->hide();
    window->sendMail();
    QTRY_VERIFY(window->ui.lbMessagePassword->isVisible());
    QCOMPARE(window->ui.lbMessagePassword->text(), QStringLiteral("Sending of email failed."));
    QCOMPARE(stored(true).password, QStringLiteral("kelvo"));
}

void TestLogin::translationChoice()
{
    const QString build = QStringLiteral(QV_BUILD_DIR);
    QVERIFY(QFileInfo::exists(build + QStringLiteral("/lang/Orvanta_en_US.qm")));
    QVERIFY(QFileInfo::exists(build + QStringLiteral("/lang/Orvanta_zh_TW.qm")));
    QTemporaryDir empty;
    // The working folder has no translations here; the folder of the executable does.
    const QStringList bases{empty.path(), build};

    {
        QTranslator translator;
        const auto outcome =
            StartupLanguage::choose(translator, QStringLiteral("en_US"), QStringLiteral("zh_TW"), bases);
        QVERIFY(outcome.install);
        QVERIFY(!outcome.rightToLeft);
        QCOMPARE(outcome.language, QStringLiteral("en_US"));
        QVERIFY(outcome.loadedFile.startsWith(build));
        QVERIFY(m_logger.lines.last().contains(QStringLiteral("load en_US")));
    }
    {
        QTranslator translator;
        const auto outcome = StartupLanguage::choose(translator, QStringLiteral("ar"), QString(), bases);
        QVERIFY(outcome.install);
        QVERIFY(!outcome.rightToLeft);
        QCOMPARE(outcome.language, QStringLiteral("ar"));
        QVERIFY(outcome.loadedFile.endsWith(QStringLiteral("Orvanta_en_US.qm")));
        QVERIFY(m_logger.lines.last().contains(QStringLiteral("Failed to load ar, load en_US")));
    }
    {
        QTemporaryDir arabic;
        QDir().mkpath(arabic.path() + QStringLiteral("/lang"));
        QVERIFY(QFile::copy(build + QStringLiteral("/lang/Orvanta_en_US.qm"),
                            arabic.path() + QStringLiteral("/lang/Orvanta_ar.qm")));
        QTranslator translator;
        const auto outcome = StartupLanguage::choose(translator, QStringLiteral("ar"), QString(), {arabic.path()});
        QVERIFY(outcome.install);
        QVERIFY(outcome.rightToLeft);
    }
    {
        QTranslator translator;
        const auto outcome = StartupLanguage::choose(translator, QString(), QStringLiteral("zh_TW"), bases);
        QVERIFY(outcome.install);
        QCOMPARE(outcome.language, QStringLiteral("zh_TW"));
        QVERIFY(outcome.loadedFile.endsWith(QStringLiteral("Orvanta_zh_TW.qm")));
        QVERIFY(m_logger.lines.last().contains(QStringLiteral("system language name: zh_TW")));
        const QString login = translator.translate("Orvanta", "Login");
        QVERIFY(!login.isEmpty());
        QVERIFY(login != QStringLiteral("Login"));
    }
    {
        QTranslator translator;
        const auto outcome = StartupLanguage::choose(translator, QString(), QStringLiteral("ar_SA"), bases);
        QVERIFY(outcome.install);
        QVERIFY(!outcome.rightToLeft);
        QVERIFY(outcome.loadedFile.endsWith(QStringLiteral("Orvanta_en_US.qm")));
    }
    {
        // No file at all: a stored language installs nothing.
        QTranslator translator;
        const auto outcome = StartupLanguage::choose(translator, QStringLiteral("fr_FR"), QString(), {empty.path()});
        QVERIFY(!outcome.install);
        QVERIFY(outcome.loadedFile.isEmpty());
    }
    QCOMPARE(StartupLanguage::storedLanguage({}), QString());
}

void TestLogin::screenshots()
{
    // Pictures for a person to look at; taken only when asked for.
    const QString folder = qEnvironmentVariable("QV_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("QV_SCREENSHOT_DIR not set");
    QDir().mkpath(folder);
    auto window = newLogin();
    const QString tag = QString::number(qRound(100 * getScaleFactor()));
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTest::qWait(200);
    window->grab().save(QStringLiteral("%1/login-%2.png").arg(folder, tag));
    login(window.get(), 0, QStringLiteral("wrong"));
    QTest::qWait(100);
    window->grab().save(QStringLiteral("%1/login-wrong-%2.png").arg(folder, tag));
    login(window.get(), 0, QStringLiteral("kelvo"));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    window->ui.lineEditEmail->setFocus(); // focusing clears the example text and turns it white
    QTest::keyClicks(window->ui.lineEditEmail, QStringLiteral("ops@school.example"));
    window->ui.lineEditEmailConfirm->setFocus();
    QTest::keyClicks(window->ui.lineEditEmailConfirm, QStringLiteral("ops@school.exam"));
    QTest::mouseClick(window->ui.btnEnter, Qt::LeftButton);
    QTest::qWait(100);
    window->grab().save(QStringLiteral("%1/login-email-%2.png").arg(folder, tag));
    SendMailDialog notice;
    notice.show();
    QVERIFY(QTest::qWaitForWindowExposed(&notice));
    QTest::qWait(100);
    notice.grab().save(QStringLiteral("%1/sentnotice-%2.png").arg(folder, tag));
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
