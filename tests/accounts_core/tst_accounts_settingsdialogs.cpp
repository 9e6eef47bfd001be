// The multi-user settings dialog with its password, question and card dialogs, and the Import
// List window, offscreen against the real data store in a temporary folder. The rules
// themselves are tabled in tst_accounts_settingsmodel; here the clicks, the hand-overs between
// the dialogs and what reaches the database.

#include "ImportTestSupport.h"
#include "support/TestEnv.h"

#include "accounts/AccountOverview.h"
#include "accounts/AccountTableModel.h"
#include "accounts/AdminPasswordConfirmDialog.h"
#include "accounts/AdminPasswordNewDialog.h"
#include "accounts/AdminPasswordResetDialog.h"
#include "accounts/BindCardPassedDialog.h"
#include "accounts/BindCardWaitingDialog.h"
#include "accounts/CreateAccountPasswordDialog.h"
#include "accounts/ImportListDialog.h"
#include "accounts/SetupUserConfirmDialog.h"
#include "accounts/SystemSettingsDialog.h"
#include "devices/ImportErrorDialog.h"
#include "frame/FrameTestSupport.h"
#include "platform/FakeCardReaderLauncher.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/SwitchControl.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>

#include <algorithm>
#include <memory>

using M = SystemSettingsModel;

namespace {

const QString Mismatch = QStringLiteral("The Password do not match.");
const QString TooShort = QStringLiteral("Password must contain at least 4 characters.");

VelkMultiUserAdmin stored()
{
    QList<VelkMultiUserAdmin> records;
    testDb()->queryMultiUserAdmin(records);
    return records.value(0);
}

void type(QLineEdit *field, const QString &text)
{
    field->clear();
    // Characters outside the basic plane have no key; they come as an input method gives them.
    if (std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSurrogate(); }))
        field->insert(text);
    else
        QTest::keyClicks(field, text);
}

// The application's override cursor at every line the import writes, -1 for none.
class CursorAtImportLines : public LogCapture
{
public:
    void log(int module, LogLevel level, const QString &text) override
    {
        if (text.contains(QLatin1String("UserCsvImporter::"))) {
            const QCursor *cursor = QApplication::overrideCursor();
            shapes.append(cursor ? int(cursor->shape()) : -1);
        }
        LogCapture::log(module, level, text);
    }
    QList<int> shapes;
};

} // namespace

class TestSettingsDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void setupOffIsAskedAndForcesItsDependents();
    void multiUserOnWithoutPasswordAsksForOne();
    void multiUserOnWithPasswordAsksToChangeIt();
    void passwordChecks_data();
    void passwordChecks();
    void closingAPasswordDialogAnswersNothing();
    void nothingCanBePasted();
    void adminCardIsHeldUntilSave();
    void failedWritesKeepTheDialogOpen();
    void templateDownload();
    void importFromTheWindow();
    void overviewOpensBoth();

private:
    void open();
    void click(M::Switch which) { QTest::mouseClick(m_dialog->switchControl(which), Qt::LeftButton); }
    // The switches as tst_accounts_settingsmodel writes them: X on, O off and enabled, o off and
    // disabled, x on and disabled; then the three links, 1 enabled.
    QString state() const;

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<SystemSettingsDialog> m_dialog;
    FakeCardReaderLauncher m_reader;
    ScriptedChooser m_chooser;
    QTemporaryDir m_files;
};

void TestSettingsDialogs::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(m_env->isValid() && m_files.isValid());
    QVERIFY(testDb());
    QVERIFY2(OrvantaDBManager::startupError().isEmpty(), qPrintable(OrvantaDBManager::startupError()));
    FileChooser::setInstance(&m_chooser);
    m_dialog = std::make_unique<SystemSettingsDialog>();
    m_dialog->bindCardWaitingDialog()->setCardReader(&m_reader);
}

void TestSettingsDialogs::init()
{
    wipeAccounts();
    storeSettings(true, true, "card1234", "admin123");
}

void TestSettingsDialogs::cleanup()
{
    for (QWidget *window : QApplication::topLevelWidgets())
        window->close();
    m_chooser.answers.clear();
}

void TestSettingsDialogs::open()
{
    m_dialog->loadSettings();
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
}

QString TestSettingsDialogs::state() const
{
    QString out;
    for (int s = 0; s < M::SwitchCount; ++s) {
        const SwitchControl *control = m_dialog->switchControl(M::Switch(s));
        out += control->isToggled() ? (control->isEnabled() ? 'X' : 'x') : (control->isEnabled() ? 'O' : 'o');
    }
    out += ' ';
    for (const QLabel *link : {m_dialog->labelSystem3_2, m_dialog->labelSecurity1_2, m_dialog->labelSecurity2_2})
        out += link->isEnabled() ? '1' : '0';
    return out;
}

void TestSettingsDialogs::setupOffIsAskedAndForcesItsDependents()
{
    storeSettings(true, true, "card1234", "admin123", "12345678");
    open();
    QCOMPARE(state(), QStringLiteral("XXXXXX 111"));

    // The question stands over the dialog, which keeps its rows until the answer.
    SetupUserConfirmDialog *question = m_dialog->setupUserConfirmDialog();
    click(M::SetupServer);
    QVERIFY(question->isVisible() && m_dialog->isVisible());
    QCOMPARE(state(), QStringLiteral("OXXXXX 111"));
    QTest::mouseClick(question->btnNo, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral("XXXXXX 111"));
    click(M::SetupServer);
    question->close(); // unanswered counts as No
    QCOMPARE(state(), QStringLiteral("XXXXXX 111"));

    click(M::SetupServer);
    QTest::mouseClick(question->btnYes, Qt::LeftButton);
    QCOMPARE(state(), QStringLiteral("OoooXo 010"));
    QTest::mouseClick(m_dialog->btnSave, Qt::LeftButton);
    QVERIFY(!m_dialog->isVisible());
    const VelkMultiUserAdmin saved = stored();
    QVERIFY(!saved.enableSetupServer && !saved.enableMultiUser && !saved.enableGuestUser);
    QCOMPARE(saved.createAccountPassword, QString());
    QCOMPARE(saved.adminRfidId, QString());
    QCOMPARE(saved.adminPassword, QStringLiteral("admin123"));
}

void TestSettingsDialogs::multiUserOnWithoutPasswordAsksForOne()
{
    storeSettings(true, false, "", "");
    open();
    AdminPasswordNewDialog *newPassword = m_dialog->adminPasswordNewDialog();
    click(M::MultiUser);
    QVERIFY(newPassword->isVisible() && !m_dialog->isVisible());
    QTest::mouseClick(newPassword->btnCancel, Qt::LeftButton);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(state(), QStringLiteral("XOooOo 000"));

    click(M::MultiUser);
    type(newPassword->lineEditPassword, "abcd");
    type(newPassword->lineEditPasswordConfirm, "abcd");
    QTest::mouseClick(newPassword->btnSave, Qt::LeftButton);
    QVERIFY(m_dialog->isVisible() && !newPassword->isVisible());
    QCOMPARE(stored().adminPassword, QStringLiteral("abcd"));
    QCOMPARE(state(), QStringLiteral("XXOOXO 010"));
    QTest::mouseClick(m_dialog->btnSave, Qt::LeftButton);
    QVERIFY(stored().enableMultiUser);
}

void TestSettingsDialogs::multiUserOnWithPasswordAsksToChangeIt()
{
    storeSettings(true, false, "", "old1");
    open();
    AdminPasswordConfirmDialog *question = m_dialog->adminPasswordConfirmDialog();
    AdminPasswordResetDialog *reset = question->resetDialog();
    click(M::MultiUser);
    QVERIFY(question->isVisible() && !m_dialog->isVisible());
    QTest::mouseClick(question->btnNo, Qt::LeftButton);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(state(), QStringLiteral("XXOOXO 010"));

    click(M::MultiUser);
    click(M::MultiUser);
    QTest::mouseClick(question->btnYes, Qt::LeftButton);
    QVERIFY(reset->isVisible() && !question->isVisible() && !m_dialog->isVisible());
    // The old password is compared only once the new one passed.
    type(reset->lineEditOldPassword, "wrong");
    type(reset->lineEditPassword, "new1");
    type(reset->lineEditPasswordConfirm, "new1");
    QTest::mouseClick(reset->btnSave, Qt::LeftButton);
    QCOMPARE(reset->warningText(), QStringLiteral("The Password is incorrect."));
    QVERIFY(reset->isVisible() && reset->lineEditOldPassword->text().isEmpty());
    QCOMPARE(stored().adminPassword, QStringLiteral("old1"));

    type(reset->lineEditOldPassword, "old1");
    type(reset->lineEditPassword, "new1");
    type(reset->lineEditPasswordConfirm, "new1");
    QTest::mouseClick(reset->btnSave, Qt::LeftButton);
    QVERIFY(m_dialog->isVisible() && !reset->isVisible());
    QCOMPARE(stored().adminPassword, QStringLiteral("new1"));
    QVERIFY(m_dialog->switchControl(M::MultiUser)->isToggled());

    // With the password switched off, Save would clear the stored one: a new one is asked for.
    click(M::AdminPassword);
    click(M::MultiUser);
    QVERIFY(m_dialog->adminPasswordNewDialog()->isVisible() && !question->isVisible());
}

void TestSettingsDialogs::passwordChecks_data()
{
    QTest::addColumn<int>("dialog"); // 0 new admin password, 1 card-account password, 2 change
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<QString>("message");

    for (int dialog = 0; dialog < 3; ++dialog) {
        const QByteArray name = QByteArray::number(dialog) + " ";
        // Equality is tested before length.
        QTest::newRow(name + "different and short") << dialog << "abc"
                                                    << "abd" << Mismatch;
        QTest::newRow(name + "equal and short") << dialog << "abc"
                                                << "abc" << TooShort;
        QTest::newRow(name + "both empty") << dialog << ""
                                           << "" << TooShort;
        QTest::newRow(name + "differ in case") << dialog << "abcD"
                                               << "abcd" << Mismatch;
        QTest::newRow(name + "four") << dialog << "ab c"
                                     << "ab c" << QString();
        const QString smile = QString::fromUtf8("\U0001F600");
        QTest::newRow(name + "two emoji") << dialog << smile + smile << smile + smile << TooShort;
        // The confirmation takes 32 characters: a longer new password is never confirmed, except in
        // the change dialog, whose new password field stops at 32 characters as well.
        QTest::newRow(name + "33 characters")
            << dialog << QString(33, 'k') << QString(33, 'k') << (dialog == 2 ? QString() : Mismatch);
    }
}

void TestSettingsDialogs::passwordChecks()
{
    QFETCH(int, dialog);
    QFETCH(QString, password);
    QFETCH(QString, confirm);
    QFETCH(QString, message);

    storeSettings(true, true, "card1234", "old1");
    AdminPasswordResetDialog *reset = m_dialog->adminPasswordConfirmDialog()->resetDialog();
    SettingsPasswordDialog *const dialogs[] = {m_dialog->adminPasswordNewDialog(),
                                               m_dialog->createAccountPasswordDialog(), reset};
    QString VelkMultiUserAdmin::*const fields[] = {&VelkMultiUserAdmin::adminPassword,
                                                   &VelkMultiUserAdmin::createAccountPassword,
                                                   &VelkMultiUserAdmin::adminPassword};
    SettingsPasswordDialog *target = dialogs[dialog];
    const auto edits = target->findChildren<QLineEdit *>();
    QLineEdit *first = target->findChild<QLineEdit *>("lineEditPassword");
    QLineEdit *second = target->findChild<QLineEdit *>("lineEditPasswordConfirm");
    const VelkMultiUserAdmin before = stored();

    target->show();
    if (target == reset)
        type(reset->lineEditOldPassword, "old1");
    type(first, password);
    type(second, confirm);
    QTest::mouseClick(target->findChild<QPushButton *>("btnSave"), Qt::LeftButton);

    QCOMPARE(target->warningText(), message);
    if (message.isEmpty()) {
        QVERIFY(!target->isVisible());
        QCOMPARE(stored().*fields[dialog], password.left(first->maxLength()));
    } else {
        QVERIFY(target->isVisible());
        QCOMPARE(stored().*fields[dialog], before.*fields[dialog]);
    }
    for (const QLineEdit *edit : edits)
        QCOMPARE(edit->text(), QString());
}

void TestSettingsDialogs::closingAPasswordDialogAnswersNothing()
{
    open();
    AdminPasswordNewDialog *newPassword = m_dialog->adminPasswordNewDialog();
    click(M::AdminPassword); // off
    click(M::AdminPassword); // on again: a new password is asked
    QVERIFY(newPassword->isVisible());
    QSignalSpy answers(newPassword, &AdminPasswordNewDialog::adminPasswordSwitchOff);
    type(newPassword->lineEditPassword, "typed");
    newPassword->close();
    QCOMPARE(answers.count(), 0);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(newPassword->lineEditPassword->text(), QString());
    // Opened again from the page, the dialog shows the record, not the abandoned clicks.
    open();
    QCOMPARE(state(), QStringLiteral("XXXXXO 110"));
}

void TestSettingsDialogs::nothingCanBePasted()
{
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    AdminPasswordResetDialog *reset = m_dialog->adminPasswordConfirmDialog()->resetDialog();
    for (QDialog *dialog : std::initializer_list<QDialog *>{m_dialog->adminPasswordNewDialog(),
                                                            m_dialog->createAccountPasswordDialog(), reset}) {
        dialog->show();
        for (QLineEdit *field : dialog->findChildren<QLineEdit *>()) {
            QCOMPARE(field->echoMode(), QLineEdit::Password);
            QTest::keySequence(field, QKeySequence::Paste);
            QCOMPARE(field->text(), QString());
        }
        dialog->close();
    }
}

void TestSettingsDialogs::adminCardIsHeldUntilSave()
{
    storeSettings(true, true, "", "admin123");
    open();
    BindCardWaitingDialog *card = m_dialog->bindCardWaitingDialog();
    click(M::AdminCard);
    QVERIFY(card->isVisible() && !m_dialog->isVisible());
    QTest::keyClicks(card->lineCardNumber, QStringLiteral("87654321"));
    QTRY_VERIFY(card->passedMessage()->isVisible());
    QTest::mouseClick(card->passedMessage()->btnOK, Qt::LeftButton);
    QVERIFY(m_dialog->isVisible());
    QCOMPARE(stored().adminRfidId, QString());
    QCOMPARE(state(), QStringLiteral("XXXOXX 011"));

    // With the password off the card switch and its link go off together: no card can be read
    // through the link and then dropped at Save.
    click(M::AdminPassword);
    QCOMPARE(state(), QStringLiteral("XOooOo 000"));
    click(M::AdminPassword);
    m_dialog->adminPasswordNewDialog()->close();
    open();
    click(M::AdminCard);
    QTest::keyClicks(card->lineCardNumber, QStringLiteral("87654321"));
    QTRY_VERIFY(card->passedMessage()->isVisible());
    QTest::mouseClick(card->passedMessage()->btnOK, Qt::LeftButton);
    QTest::mouseClick(m_dialog->btnSave, Qt::LeftButton);
    QCOMPARE(stored().adminRfidId, QStringLiteral("87654321"));
}

void TestSettingsDialogs::failedWritesKeepTheDialogOpen()
{
    open();
    AdminPasswordNewDialog *newPassword = m_dialog->adminPasswordNewDialog();
    QTest::mouseClick(m_dialog->labelSecurity1_2, Qt::LeftButton);
    QVERIFY(newPassword->isVisible());
    QSignalSpy saved(newPassword, &AdminPasswordNewDialog::adminPasswordSwitchOn);
    {
        HiddenTable hidden("MultiUserAdmin");
        QVERIFY(hidden.isActive());
        type(newPassword->lineEditPassword, "abcd");
        type(newPassword->lineEditPasswordConfirm, "abcd");
        QTest::mouseClick(newPassword->btnSave, Qt::LeftButton);
        QCOMPARE(newPassword->warningText(), QStringLiteral("The password could not be saved."));
        QVERIFY(newPassword->isVisible());
        QCOMPARE(saved.count(), 0);

        QTest::mouseClick(newPassword->btnCancel, Qt::LeftButton);
        QVERIFY(m_dialog->isVisible());
        click(M::GuestUser);
        QTest::mouseClick(m_dialog->btnSave, Qt::LeftButton);
        QVERIFY(m_dialog->isVisible());
    }
    QVERIFY(stored().enableGuestUser);
    QCOMPARE(stored().adminPassword, QStringLiteral("admin123"));

    // No settings record at all: Save reports it and keeps the switches on screen.
    m_dialog->close();
    open();
    {
        DbProbe probe(testDb()->databaseFilePath(), QStringLiteral("settings"));
        QVERIFY(probe.exec(QStringLiteral("DELETE FROM MultiUserAdmin")));
    }
    click(M::GuestUser);
    QTest::mouseClick(m_dialog->btnSave, Qt::LeftButton);
    QVERIFY(m_dialog->isVisible());
    bool reported = false;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *message = qobject_cast<GeneralMsgDialog *>(window);
        reported |= message && message->isVisible() &&
                    message->labelMessage->text() == QStringLiteral("The settings could not be saved.");
    }
    QVERIFY(reported);
    VelkMultiUserAdmin restored; // the tests after this one store their switches into it
    QCOMPARE(testDb()->createMultiUserAdmin(restored), DB_OK);
}

void TestSettingsDialogs::templateDownload()
{
    ImportListDialog window;
    window.show();
    const QString path = m_files.filePath(QStringLiteral("sample.csv"));
    m_chooser.answers = QStringList{path, path};
    QTest::mouseClick(window.labelDownloadSample, Qt::LeftButton);
    QFile saved(path);
    QFile resource(UserCsv::templatePath());
    QVERIFY(saved.open(QIODevice::ReadWrite) && resource.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), resource.readAll());
    QVERIFY(window.isVisible());

    // A file of that name is left as it is, and the operator is told so.
    saved.resize(0);
    saved.write("mine");
    saved.close();
    QTest::mouseClick(window.labelDownloadSample, Qt::LeftButton);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray("mine"));
    saved.close();
    const auto shownText = [] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *message = qobject_cast<GeneralMsgDialog *>(widget);
            if (message && message->isVisible())
                return message->labelMessage->text();
        }
        return QString();
    };
    QCOMPARE(shownText(), FileChooser::keptExistingText(path));

    // A folder that can't be written to is reported, not passed over.
    const QString unwritable = m_files.filePath(QStringLiteral("no-such-folder/sample.csv"));
    m_chooser.answers = QStringList{unwritable};
    QTest::mouseClick(window.labelDownloadSample, Qt::LeftButton);
    QCOMPARE(shownText(), QStringLiteral("The sample file could not be saved to this file."));
}

void TestSettingsDialogs::importFromTheWindow()
{
    for (const char *name : {"A103", "B119", "B118"})
        addDevice(name);
    ImportListDialog window;
    QSignalSpy imported(&window, &ImportListDialog::updateMultiUser);
    const QString refusedFile = m_files.filePath(QStringLiteral("refused.csv"));
    QFile file(refusedFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write((headerLine() + '\n' + userLine("Ann", "abc", "")).toUtf8());
    file.close();
    m_chooser.answers =
        QStringList{QString(), m_files.filePath(QStringLiteral("missing.csv")), refusedFile, UserCsv::templatePath()};

    const QString before = databaseDump();
    CursorAtImportLines cursor;
    for (int i = 0; i < 3; ++i) {
        window.show();
        QTest::mouseClick(window.btnImport, Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }
    QCOMPARE(imported.count(), 0);
    QCOMPARE(databaseDump(), before);
    ImportErrorDialog *error = window.errorDialog();
    QVERIFY(error->isVisible());
    QVERIFY(error->labeError->text().contains("Password must contain at least 4 characters."));

    window.show();
    QTest::mouseClick(window.btnImport, Qt::LeftButton);
    QCOMPARE(imported.count(), 1);
    // The import showed that it was working, and the cursor is back.
    QCOMPARE(cursor.shapes, QList<int>({Qt::WaitCursor, Qt::WaitCursor}));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(devicesOf(userNamed("EX:Oskar").muid), (QStringList{"A103", "B118", "B119"}));
}

void TestSettingsDialogs::overviewOpensBoth()
{
    NetworkConfig::setCurrent(loopbackNetworkConfig(m_files.path()));
    AccountOverview overview;
    overview.show();
    QTest::mouseClick(overview.btnSystemSettings, Qt::LeftButton);
    QVERIFY(overview.systemSettings()->isVisible());
    QVERIFY(overview.systemSettings()->switchControl(M::SetupServer));
    overview.systemSettings()->close();
    QSignalSpy rebuilt(overview.tableModel(), &QAbstractItemModel::modelReset);
    QTest::mouseClick(overview.btnImportList, Qt::LeftButton);
    QVERIFY(overview.importList()->isVisible());
    emit overview.importList()->updateMultiUser();
    QVERIFY(rebuilt.count() >= 1);
}

QTEST_MAIN(TestSettingsDialogs)
#include "tst_accounts_settingsdialogs.moc"
