// The User Accounts page and the dialogs of a panel user's life, offscreen, against the real
// data store in a temporary folder; the card reader is a stand-in program under a temporary
// working folder, or a test double where only the dialog's own rules are under test.

#include "AccountsTestSupport.h"
#include "support/OwnProcessProbe.h"
#include "support/TestEnv.h"

#include "accounts/AccountOverview.h"
#include "accounts/AccountRegisterDialog.h"
#include "accounts/AccountTableDelegate.h"
#include "accounts/AccountTableModel.h"
#include "accounts/AppPermissionConfirmDialog.h"
#include "accounts/AppPermissionDialog.h"
#include "accounts/BindCardPassedDialog.h"
#include "accounts/BindCardUsedDialog.h"
#include "accounts/BindCardWaitingDialog.h"
#include "accounts/EditMultiUserDialog.h"
#include "accounts/MoreOptionDialog.h"
#include "accounts/RemoveUserDialog.h"
#include "accounts/UserPasswordNewDialog.h"
#include "accounts/UserPasswordRemoveConfirmDialog.h"
#include "accounts/UserStore.h"
#include "platform/CardReaderLauncher.h"
#include "platform/FakeCardReaderLauncher.h"
#include "platform/ProcessCardReaderLauncher.h"
#include "shell/kit/SwitchControl.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <memory>

namespace {

const QString TakenMessage = QStringLiteral("This user name has been occupied.");
const QString MismatchMessage = QStringLiteral("The Password do not match.");
const QString EmptyNameMessage = QStringLiteral("Name can not be empty.");
const QString ShortMessage = QStringLiteral("Password must contain at least 4 characters.");

// Types the text as keys; text that has no key (CJK) is set as an input method would.
void typeInto(QLineEdit *field, const QString &text)
{
    field->clear();
    bool latin = true;
    for (QChar c : text)
        latin = latin && c.unicode() < 0x80;
    if (latin)
        QTest::keyClicks(field, text);
    else
        field->setText(text);
}

// The texts of the add dialog's three fields.
QStringList fields(const AccountRegisterDialog *dialog)
{
    return {dialog->lineEditUserName->text(), dialog->lineEditPassword->text(),
            dialog->lineEditPasswordConfirm->text()};
}

int linesIn(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') : 0;
}

} // namespace

class TestAccountsDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void overviewShowsPasswordCardAndExistingDevices();
    void rowButtonsActOnTheRebuiltList();
    void removalThroughTheMenu();

    void addUserMessagesInOrder();
    void skipAddsUserWithEveryApp();
    void eightCharactersBindACardSevenAreDropped();
    void cardOfAnotherUserOrTheAdministratorIsUsed();
    void cancelledCardStepKeepsTheTypedTexts();
    void hostileNamesThroughTheDialog();
    void standInReaderStartedOnceAndEndedOnClose();
    void runningReaderIsNeitherStartedNorEnded();

    void editRefusesEmptyAndTakenNames();
    void passwordChangeIsWrittenAtOnceAndKeptOnCancel();
    void cardSwitchAndChangeBindCard();
    void nothingOfOneUserReachesTheNextEdit_data();
    void nothingOfOneUserReachesTheNextEdit();
    void cardTakenMeanwhileIsRefusedAtSave();
    void sharedCardFromBeforeIsKeptAndLogged();
    void clipboardKeysOnlyWorkInTheNameField();

    void appPermissionTogglesCreateAndDeleteRows();
    void installWarningCancelTurnsTheSwitchBack();
    void appPermissionKeepsAnEditMadeMeanwhile();

    void secretsNeverReachTheLog();

private:
    AccountRegisterDialog *addDialog() { return m_overview->registerDialog(); }
    // Next with the texts given; the card step (with the double as its reader) shows on success.
    void next(const QString &name, const QString &password, const QString &confirm);
    BindCardWaitingDialog *cardStep() { return addDialog()->cardDialog(); }
    EditMultiUserDialog *openEdit(const VelkMultiUser &user);
    AppPermissionDialog *openPermissions(const VelkMultiUser &user);
    // Too short a text would be found inside ordinary words of the log.
    void remember(const QString &secret)
    {
        if (secret.size() >= 4)
            m_secrets << secret;
    }

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<LogCapture> m_log;
    std::unique_ptr<AccountOverview> m_overview;
    FakeCardReaderLauncher m_reader;
    QStringList m_secrets;
    QTemporaryDir m_folder;
    QString m_previousFolder;
};

void TestAccountsDialogs::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(m_env->isValid());
    m_log = std::make_unique<LogCapture>();
    QVERIFY(testDb());
    QVERIFY2(OrvantaDBManager::startupError().isEmpty(), qPrintable(OrvantaDBManager::startupError()));
    NetworkConfig::setCurrent(loopbackNetworkConfig(m_folder.path()));
    m_previousFolder = QDir::currentPath();
    // Nothing lies under this working folder: the own launchers find no reader program.
    QVERIFY(QDir::setCurrent(m_folder.path()));
    m_overview = std::make_unique<AccountOverview>();
    m_overview->show();
}

void TestAccountsDialogs::init()
{
    wipeAccounts();
    m_overview->updateMultiUserTable();
    cardStep()->setCardReader(&m_reader);
    m_reader.starts = m_reader.stops = 0;
    m_reader.running = false;
}

void TestAccountsDialogs::cleanup()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != m_overview.get())
            window->hide();
    }
    QDir::setCurrent(m_folder.path());
}

void TestAccountsDialogs::next(const QString &name, const QString &password, const QString &confirm)
{
    addDialog()->show();
    typeInto(addDialog()->lineEditUserName, name);
    typeInto(addDialog()->lineEditPassword, password);
    typeInto(addDialog()->lineEditPasswordConfirm, confirm);
    remember(password);
    QTest::mouseClick(addDialog()->btnNext, Qt::LeftButton);
}

EditMultiUserDialog *TestAccountsDialogs::openEdit(const VelkMultiUser &user)
{
    EditMultiUserDialog *edit = m_overview->userActions()->editDialog();
    m_overview->userActions()->setMultiUser(user);
    m_overview->userActions()->editUserAccountClicked();
    edit->cardDialog()->setCardReader(&m_reader);
    return edit;
}

AppPermissionDialog *TestAccountsDialogs::openPermissions(const VelkMultiUser &user)
{
    m_overview->userActions()->setMultiUser(user);
    m_overview->userActions()->permissionsUsersClicked();
    return m_overview->userActions()->permissionDialog();
}

void TestAccountsDialogs::overviewShowsPasswordCardAndExistingDevices()
{
    QVERIFY(m_overview->guideWidgetMultiUser->isVisible());
    seedUser(QStringLiteral("Plain"));
    seedUser(QStringLiteral("Default"), QStringLiteral("5827dbKTum"));
    const VelkMultiUser carded =
        seedUser(QStringLiteral("Carded"), QStringLiteral("secret1"), QStringLiteral("CARD0001"));
    remember(QStringLiteral("secret1"));
    remember(QStringLiteral("CARD0001"));
    const VelkIFPDevice zulu = seedPanel(QStringLiteral("Zulu"), QStringLiteral("02:51:4d:00:00:01"));
    const VelkIFPDevice alpha = seedPanel(QStringLiteral("Alpha"), QStringLiteral("02:51:4d:00:00:02"));
    VelkIFPDevice gone = seedPanel(QStringLiteral("Gone"), QStringLiteral("02:51:4d:00:00:03"));
    for (quint32 did : {zulu.did, alpha.did, gone.did})
        assign(carded.muid, did);
    QCOMPARE(testDb()->deleteIFPDevice(gone), DB_OK);
    m_overview->updateMultiUserTable();

    const AccountTableModel *table = m_overview->tableModel();
    QCOMPARE(table->rowCount(), 3);
    QVERIFY(!m_overview->guideWidgetMultiUser->isVisible());
    const auto mark = [&](int row, int column) {
        return table->index(row, column).data(AccountTableModel::MarkRole).toInt();
    };
    QCOMPARE(table->index(0, AccountTableModel::UserNameColumn).data().toString(), QStringLiteral("Plain"));
    QCOMPARE(mark(0, AccountTableModel::PasswordColumn), int(AccountTableModel::NoMark));
    QCOMPARE(mark(0, AccountTableModel::BindCardColumn), int(AccountTableModel::NoMark));
    QVERIFY(table->index(0, AccountTableModel::IfpAccessColumn).data().toString().isEmpty());

    QCOMPARE(mark(1, AccountTableModel::PasswordColumn), int(AccountTableModel::WarningMark));
    QCOMPARE(table->index(1, AccountTableModel::PasswordColumn).data(Qt::ToolTipRole).toString(),
             QStringLiteral("Please edit user account to change password."));
    QCOMPARE(mark(1, AccountTableModel::BindCardColumn), int(AccountTableModel::NoMark));

    QCOMPARE(mark(2, AccountTableModel::PasswordColumn), int(AccountTableModel::CheckMark));
    QVERIFY(table->index(2, AccountTableModel::PasswordColumn).data(Qt::ToolTipRole).isNull());
    QCOMPARE(mark(2, AccountTableModel::BindCardColumn), int(AccountTableModel::CheckMark));
    QCOMPARE(table->index(2, AccountTableModel::IfpAccessColumn).data().toString(), QStringLiteral("Alpha, Zulu"));
}

void TestAccountsDialogs::rowButtonsActOnTheRebuiltList()
{
    const VelkMultiUser first = seedUser(QStringLiteral("First"));
    seedUser(QStringLiteral("Second"));
    const VelkMultiUser third = seedUser(QStringLiteral("Third"));
    m_overview->updateMultiUserTable();
    const auto clickMore = [&](int row) {
        QTableView *view = m_overview->tableWidget;
        const QRect cell =
            view->visualRect(m_overview->tableModel()->index(row, AccountTableModel::UserSettingsColumn));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, m_overview->tableDelegate()->markRect(cell).center());
        QTRY_VERIFY(m_overview->userActions()->isVisible());
        m_overview->userActions()->close();
    };
    clickMore(0);
    QCOMPARE(m_overview->userActions()->currentUser().muid, first.muid);

    QCOMPARE(UserStore::removeUser(testDb(), first.muid), DB_OK);
    m_overview->updateMultiUserTable();
    clickMore(1);
    QCOMPARE(m_overview->userActions()->currentUser().muid, third.muid);
}

void TestAccountsDialogs::removalThroughTheMenu()
{
    seedUser(QStringLiteral("Keep"));
    const VelkMultiUser gone = seedUser(QStringLiteral("Gone"));
    const VelkIFPDevice panel = seedPanel(QStringLiteral("P1"), QStringLiteral("02:51:4d:00:00:01"));
    assign(gone.muid, panel.did);
    m_overview->updateMultiUserTable();
    MoreOptionDialog *menu = m_overview->userActions();
    RemoveUserDialog *question = menu->removeDialog();

    menu->setMultiUser(gone);
    menu->removeUserClicked();
    QVERIFY(question->isVisible());
    QTest::mouseClick(question->btnNo, Qt::LeftButton);
    QVERIFY(!question->isVisible());
    QCOMPARE(userCount(), 2);

    menu->setMultiUser(gone);
    menu->removeUserClicked();
    QTest::mouseClick(question->btnYes, Qt::LeftButton);
    QCOMPARE(userCount(), 1);
    QVERIFY(permittedApps(gone.muid).isEmpty());
    QCOMPARE(rowCount(QStringLiteral("UserDevice")), 0);
    QCOMPARE(m_overview->tableModel()->rowCount(), 1);

    // A removal the database refuses leaves the row, and the table as it was.
    const VelkMultiUser stays = userNamed(QStringLiteral("Keep"));
    RefusedDelete refused(QStringLiteral("MultiUser"));
    menu->setMultiUser(stays);
    menu->removeUserClicked();
    QTest::mouseClick(question->btnYes, Qt::LeftButton);
    QCOMPARE(userCount(), 1);
    QCOMPARE(permittedApps(stays.muid).size(), allApps().size());
}

void TestAccountsDialogs::addUserMessagesInOrder()
{
    seedUser(QStringLiteral("Ann"));
    AccountRegisterDialog *dialog = addDialog();

    next(QStringLiteral("Ann"), QStringLiteral("abcd"), QStringLiteral("wxyz"));
    QCOMPARE(dialog->warningText(), TakenMessage);
    QCOMPARE(fields(dialog), QStringList({"", "", ""}));

    next(QString(), QStringLiteral("abcd"), QStringLiteral("abce"));
    QCOMPARE(dialog->warningText(), MismatchMessage);

    next(QString(), QStringLiteral("ab"), QStringLiteral("ab"));
    QCOMPARE(dialog->warningText(), EmptyNameMessage);
    QCOMPARE(fields(dialog), QStringList({"", "", ""}));

    next(QStringLiteral("Bo"), QStringLiteral("abc"), QStringLiteral("abc"));
    QCOMPARE(dialog->warningText(), ShortMessage);
    QCOMPARE(fields(dialog), QStringList({"Bo", "", ""}));
    QVERIFY(!cardStep()->isVisible());

    // A 33rd character cannot be typed; Cancel empties the form and hides the badge.
    typeInto(dialog->lineEditPassword, QString(40, 'p'));
    QCOMPARE(dialog->lineEditPassword->text().size(), 32);
    QTest::mouseClick(dialog->btnCancel, Qt::LeftButton);
    QVERIFY(!dialog->isVisible());
    dialog->show();
    QCOMPARE(fields(dialog), QStringList({"", "", ""}));
    QVERIFY(dialog->warningText().isEmpty());
    QCOMPARE(userCount(), 1);
}

void TestAccountsDialogs::skipAddsUserWithEveryApp()
{
    QSignalSpy added(addDialog(), &AccountRegisterDialog::updateMultiUser);
    next(QStringLiteral("N"), QString(), QString());
    QVERIFY(!addDialog()->isVisible());
    QVERIFY(cardStep()->isVisible());
    QVERIFY(cardStep()->btnSkip->isVisible());
    QCOMPARE(m_reader.starts, 1);

    QTest::mouseClick(cardStep()->btnSkip, Qt::LeftButton);
    QVERIFY(!cardStep()->isVisible());
    QCOMPARE(added.count(), 1);
    const VelkMultiUser user = userNamed(QStringLiteral("N"));
    QVERIFY(user.muid != 0);
    QVERIFY(user.password.isEmpty());
    QVERIFY(user.rfidId.isEmpty());
    QVERIFY(!user.hasPermission);
    QVERIFY(!user.uniqueId.isEmpty());
    QCOMPARE(allApps().size(), 12);
    QCOMPARE(permittedApps(user.muid).size(), 12);
    QCOMPARE(m_overview->tableModel()->rowCount(), 1);
    QCOMPARE(m_reader.stops, 1);
}

void TestAccountsDialogs::eightCharactersBindACardSevenAreDropped()
{
    next(QStringLiteral("Cara"), QStringLiteral("abcd"), QStringLiteral("abcd"));
    QVERIFY(cardStep()->isVisible());
    QTest::keyClicks(cardStep()->lineCardNumber, QStringLiteral("1234567"));
    QTRY_VERIFY(cardStep()->lineCardNumber->text().isEmpty());
    QVERIFY(!cardStep()->passedMessage()->isVisible());
    QCOMPARE(userNamed(QStringLiteral("Cara")).muid, 0u);

    remember(QStringLiteral("C,\"RD001"));
    QTest::keyClicks(cardStep()->lineCardNumber, QStringLiteral("C,\"RD001"));
    QTRY_VERIFY(cardStep()->passedMessage()->isVisible());
    QVERIFY(!cardStep()->isVisible());
    // The user exists as soon as the success shows.
    const VelkMultiUser cara = userNamed(QStringLiteral("Cara"));
    QCOMPARE(cara.rfidId, QStringLiteral("C,\"RD001"));
    QCOMPARE(cara.password, QStringLiteral("abcd"));
    QSignalSpy added(addDialog(), &AccountRegisterDialog::updateMultiUser);
    QTest::mouseClick(cardStep()->passedMessage()->btnOK, Qt::LeftButton);
    QCOMPARE(added.count(), 1);
    QCOMPARE(m_overview->tableModel()->rowCount(), 1);
}

void TestAccountsDialogs::cardOfAnotherUserOrTheAdministratorIsUsed()
{
    seedUser(QStringLiteral("Holder"), QString(), QStringLiteral("HELD0001"));
    QList<VelkMultiUserAdmin> settings;
    testDb()->queryMultiUserAdmin(settings);
    settings.first().adminRfidId = QStringLiteral("ADMIN001");
    testDb()->updateMultiUserAdmin(settings.first());
    remember(QStringLiteral("HELD0001"));
    remember(QStringLiteral("ADMIN001"));

    next(QStringLiteral("Dan"), QString(), QString());
    for (const QString &card : {QStringLiteral("HELD0001"), QStringLiteral("ADMIN001")}) {
        QTest::keyClicks(cardStep()->lineCardNumber, card);
        QTRY_VERIFY(cardStep()->usedMessage()->isVisible());
        QCOMPARE(cardStep()->usedMessage()->labelMessage->text(),
                 QStringLiteral("This card has been used by another account"));
        QCOMPARE(userNamed(QStringLiteral("Dan")).muid, 0u);
        const int starts = m_reader.starts;
        QTest::mouseClick(cardStep()->usedMessage()->btnOK, Qt::LeftButton);
        QVERIFY(cardStep()->isVisible());
        QCOMPARE(m_reader.starts, starts + 1); // waiting again restarts the reader
    }
}

void TestAccountsDialogs::cancelledCardStepKeepsTheTypedTexts()
{
    QSignalSpy added(addDialog(), &AccountRegisterDialog::updateMultiUser);
    next(QStringLiteral("Eve"), QStringLiteral("pass1"), QStringLiteral("pass1"));
    QVERIFY(cardStep()->isVisible());
    QTest::mouseClick(cardStep()->btnCancel, Qt::LeftButton);
    QVERIFY(!cardStep()->isVisible());
    QVERIFY(addDialog()->isVisible());
    QCOMPARE(fields(addDialog()), QStringList({"Eve", "pass1", "pass1"}));
    QCOMPARE(userCount(), 0);
    QCOMPARE(added.count(), 0);
}

void TestAccountsDialogs::hostileNamesThroughTheDialog()
{
    const QStringList names = {QStringLiteral("a,\"b\""), QStringLiteral("O'Brien"), QString(200, QChar(0x6F22))};
    for (const QString &name : names) {
        next(name, QString(), QString());
        QVERIFY2(cardStep()->isVisible(), qPrintable(addDialog()->warningText()));
        QTest::mouseClick(cardStep()->btnSkip, Qt::LeftButton);
    }
    QCOMPARE(userCount(), names.size());
    for (const QString &name : names) {
        QList<VelkMultiUser> found;
        testDb()->queryMultiUserByName(found, name);
        QCOMPARE(found.size(), 1);
        next(name, QString(), QString());
        QCOMPARE(addDialog()->warningText(), TakenMessage);
    }
    QCOMPARE(m_overview->tableModel()->rowCount(), names.size());
}

void TestAccountsDialogs::standInReaderStartedOnceAndEndedOnClose()
{
    const QString log = m_folder.filePath(QStringLiteral("reader-starts.log"));
    qputenv("CARD_READER_STANDIN_LOG", QFile::encodeName(log));
    const QString program = CardReaderLauncher::programPath(m_folder.path());
    QDir().mkpath(QFileInfo(program).absolutePath());
    QVERIFY(QFile::copy(QStringLiteral(CARD_READER_STANDIN), program));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    // The add dialog's card step with a launcher as the console's, whose probe sees only what this test started.
    AccountRegisterDialog own;
    OwnProcessProbe probe;
    ProcessCardReaderLauncher launcher(&probe);
    own.cardDialog()->setCardReader(&launcher);
    own.show();
    typeInto(own.lineEditUserName, QStringLiteral("Reader"));
    QTest::mouseClick(own.btnNext, Qt::LeftButton);
    QVERIFY(own.cardDialog()->isVisible());
    QTRY_COMPARE(linesIn(log), 1);
    QVERIFY(probe.isRunning(CardReaderLauncher::imageName()));

    QTest::mouseClick(own.cardDialog()->btnCancel, Qt::LeftButton);
    QVERIFY(!probe.isRunning(CardReaderLauncher::imageName()));
    QCOMPARE(linesIn(log), 1);
    QFile::remove(program);
}

void TestAccountsDialogs::runningReaderIsNeitherStartedNorEnded()
{
    const QString log = m_folder.filePath(QStringLiteral("reader-starts-2.log"));
    qputenv("CARD_READER_STANDIN_LOG", QFile::encodeName(log));
    const QString program = CardReaderLauncher::programPath(m_folder.path());
    QDir().mkpath(QFileInfo(program).absolutePath());
    QFile::remove(program);
    QVERIFY(QFile::copy(QStringLiteral(CARD_READER_STANDIN), program));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcess elsewhere;
    elsewhere.start(program, QStringList());
    QVERIFY(elsewhere.waitForStarted());
    QTRY_COMPARE(linesIn(log), 1);

    AccountRegisterDialog own;
    OwnProcessProbe probe;
    ProcessCardReaderLauncher launcher(&probe);
    own.cardDialog()->setCardReader(&launcher);
    own.show();
    typeInto(own.lineEditUserName, QStringLiteral("Reader"));
    QTest::mouseClick(own.btnNext, Qt::LeftButton);
    QVERIFY(own.cardDialog()->isVisible());
    QTest::qWait(100);
    QCOMPARE(linesIn(log), 1);
    QTest::mouseClick(own.cardDialog()->btnCancel, Qt::LeftButton);
    QCOMPARE(elsewhere.state(), QProcess::Running);
    QVERIFY(m_log->contains(QStringLiteral("DidAvav.exe is already running")));
    elsewhere.kill();
    elsewhere.waitForFinished();
    QFile::remove(program);
}

void TestAccountsDialogs::editRefusesEmptyAndTakenNames()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"), QStringLiteral("annpass"));
    seedUser(QStringLiteral("Bob"));
    remember(QStringLiteral("annpass"));
    EditMultiUserDialog *edit = openEdit(ann);
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->lineUserName->text(), QStringLiteral("Ann"));
    QSignalSpy updates(edit, &EditMultiUserDialog::updateMultiUser);

    typeInto(edit->lineUserName, QString());
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QCOMPARE(edit->warningText(), EmptyNameMessage);
    typeInto(edit->lineUserName, QStringLiteral("Bob"));
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QCOMPARE(edit->warningText(), TakenMessage);
    QVERIFY(edit->isVisible());
    QCOMPARE(userNamed(QStringLiteral("Ann")).muid, ann.muid);
    QCOMPARE(updates.count(), 0);

    // The name is checked before the passwords.
    QTest::mouseClick(edit->btnChangePassword, Qt::LeftButton);
    typeInto(edit->lineEditPasswordConfirm, QStringLiteral("other"));
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QCOMPARE(edit->warningText(), TakenMessage);

    typeInto(edit->lineUserName, QStringLiteral("Anna"));
    typeInto(edit->lineEditPassword, QStringLiteral("new4"));
    typeInto(edit->lineEditPasswordConfirm, QStringLiteral("new4"));
    remember(QStringLiteral("new4"));
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QVERIFY(!edit->isVisible());
    QCOMPARE(updates.count(), 1);
    const VelkMultiUser saved = userNamed(QStringLiteral("Anna"));
    QCOMPARE(saved.muid, ann.muid);
    QCOMPARE(saved.password, QStringLiteral("new4"));
    QCOMPARE(saved.uniqueId, ann.uniqueId);
}

void TestAccountsDialogs::passwordChangeIsWrittenAtOnceAndKeptOnCancel()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"));
    EditMultiUserDialog *edit = openEdit(ann);
    QSignalSpy updates(edit, &EditMultiUserDialog::updateMultiUser);
    UserPasswordNewDialog *newPassword = edit->newPasswordDialog();
    QVERIFY(!edit->passwordSwitch()->isToggled());
    QVERIFY(!edit->btnChangePassword->isEnabled());

    // Switch on, then Cancel there: the switch goes back off, nothing is written.
    QTest::mouseClick(edit->passwordSwitch(), Qt::LeftButton);
    QVERIFY(newPassword->isVisible());
    QVERIFY(!edit->isVisible());
    QTest::mouseClick(newPassword->btnCancel, Qt::LeftButton);
    QVERIFY(edit->isVisible());
    QVERIFY(!edit->passwordSwitch()->isToggled());

    QTest::mouseClick(edit->passwordSwitch(), Qt::LeftButton);
    typeInto(newPassword->lineEditPassword, QStringLiteral("abc"));
    typeInto(newPassword->lineEditPasswordConfirm, QStringLiteral("abc"));
    QTest::mouseClick(newPassword->btnSave, Qt::LeftButton);
    QCOMPARE(newPassword->warningText(), ShortMessage);
    typeInto(newPassword->lineEditPassword, QStringLiteral("fresh1"));
    typeInto(newPassword->lineEditPasswordConfirm, QStringLiteral("fresh1"));
    remember(QStringLiteral("fresh1"));
    QTest::mouseClick(newPassword->btnSave, Qt::LeftButton);
    QVERIFY(!newPassword->isVisible());
    QVERIFY(edit->isVisible());
    QCOMPARE(userNamed(QStringLiteral("Ann")).password, QStringLiteral("fresh1"));
    QCOMPARE(edit->lineEditPassword->text(), QStringLiteral("fresh1"));

    QTest::mouseClick(edit->btnCancel, Qt::LeftButton);
    QVERIFY(!edit->isVisible());
    QCOMPARE(userNamed(QStringLiteral("Ann")).password, QStringLiteral("fresh1"));
    QCOMPARE(updates.count(), 1);

    // Switch off: the question; No keeps the password, Yes removes it at once.
    edit = openEdit(userNamed(QStringLiteral("Ann")));
    QVERIFY(edit->passwordSwitch()->isToggled());
    UserPasswordRemoveConfirmDialog *question = edit->removePasswordDialog();
    QTest::mouseClick(edit->passwordSwitch(), Qt::LeftButton);
    QVERIFY(question->isVisible());
    question->close();
    QVERIFY(edit->passwordSwitch()->isToggled());
    QCOMPARE(userNamed(QStringLiteral("Ann")).password, QStringLiteral("fresh1"));
    {
        // Yes with a store that refuses the write: the switch goes back on and the failure shows.
        HiddenTable hidden(QStringLiteral("MultiUser"));
        QVERIFY(hidden.isActive());
        QTest::mouseClick(edit->passwordSwitch(), Qt::LeftButton);
        QTest::mouseClick(question->btnYes, Qt::LeftButton);
        QVERIFY(edit->passwordSwitch()->isToggled());
        QVERIFY(edit->lbMessage->isVisible());
        QVERIFY(edit->btnChangePassword->isEnabled());
    }
    QCOMPARE(userNamed(QStringLiteral("Ann")).password, QStringLiteral("fresh1"));
    edit->lbMessage->hide();
    QTest::mouseClick(edit->passwordSwitch(), Qt::LeftButton);
    QTest::mouseClick(question->btnYes, Qt::LeftButton);
    QVERIFY(userNamed(QStringLiteral("Ann")).password.isEmpty());
    updates.clear();
    edit->close();
    QCOMPARE(updates.count(), 1);
    QVERIFY(userNamed(QStringLiteral("Ann")).password.isEmpty());
}

void TestAccountsDialogs::cardSwitchAndChangeBindCard()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"), QString(), QStringLiteral("OLDCARD1"));
    seedUser(QStringLiteral("Bob"), QString(), QStringLiteral("BOBCARD1"));
    remember(QStringLiteral("OLDCARD1"));
    EditMultiUserDialog *edit = openEdit(ann);
    BindCardWaitingDialog *card = edit->cardDialog();
    QVERIFY(edit->cardSwitch()->isToggled());

    // "Change Bind Card", a free card, Cancel in the edit dialog: the old card stays.
    QTest::mouseClick(edit->lbChangeBindCard, Qt::LeftButton);
    QVERIFY(card->isVisible());
    QVERIFY(!card->btnSkip->isVisible());
    remember(QStringLiteral("NEWCARD1"));
    QTest::keyClicks(card->lineCardNumber, QStringLiteral("NEWCARD1"));
    QTRY_VERIFY(card->passedMessage()->isVisible());
    QTest::mouseClick(card->passedMessage()->btnOK, Qt::LeftButton);
    QVERIFY(edit->isVisible());
    QTest::mouseClick(edit->btnCancel, Qt::LeftButton);
    QCOMPARE(userNamed(QStringLiteral("Ann")).rfidId, QStringLiteral("OLDCARD1"));

    // The same with Save: the new card is written. The user's own card counts as used.
    edit = openEdit(ann);
    QTest::mouseClick(edit->lbChangeBindCard, Qt::LeftButton);
    QTest::keyClicks(card->lineCardNumber, QStringLiteral("OLDCARD1"));
    QTRY_VERIFY(card->usedMessage()->isVisible());
    QTest::mouseClick(card->usedMessage()->btnOK, Qt::LeftButton);
    QTest::keyClicks(card->lineCardNumber, QStringLiteral("NEWCARD1"));
    QTRY_VERIFY(card->passedMessage()->isVisible());
    QTest::mouseClick(card->passedMessage()->btnOK, Qt::LeftButton);
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QCOMPARE(userNamed(QStringLiteral("Ann")).rfidId, QStringLiteral("NEWCARD1"));

    // Switch off and Save drops the card; a cancelled reading from the switch turns it off again.
    edit = openEdit(userNamed(QStringLiteral("Ann")));
    QTest::mouseClick(edit->cardSwitch(), Qt::LeftButton);
    QVERIFY(!edit->lbChangeBindCard->isEnabled());
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QVERIFY(userNamed(QStringLiteral("Ann")).rfidId.isEmpty());
    edit = openEdit(userNamed(QStringLiteral("Ann")));
    QTest::mouseClick(edit->cardSwitch(), Qt::LeftButton);
    QVERIFY(card->isVisible());
    QTest::mouseClick(card->btnCancel, Qt::LeftButton);
    QVERIFY(edit->isVisible());
    QVERIFY(!edit->cardSwitch()->isToggled());
}

void TestAccountsDialogs::nothingOfOneUserReachesTheNextEdit_data()
{
    QTest::addColumn<int>("route");
    QTest::newRow("card step cancelled, then the title bar") << 0;
    QTest::newRow("card step closed by Escape") << 1;
    QTest::newRow("password removal declined, then Escape") << 2;
}

// Each road leaves the dialog closed while Ann's password stands in its open change-password
// area; Bob's edit that follows must start from Bob alone, and Save must keep Bob's password.
void TestAccountsDialogs::nothingOfOneUserReachesTheNextEdit()
{
    QFETCH(int, route);
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"), QStringLiteral("annSecret"));
    const VelkMultiUser bob = seedUser(QStringLiteral("Bob"), QStringLiteral("bobSecret"));
    remember(QStringLiteral("annSecret"));
    remember(QStringLiteral("bobSecret"));

    EditMultiUserDialog *edit = openEdit(ann);
    QTest::mouseClick(edit->btnChangePassword, Qt::LeftButton);
    QCOMPARE(edit->lineEditPassword->text(), QStringLiteral("annSecret"));
    typeInto(edit->lineEditPasswordConfirm, QStringLiteral("typedForAnn"));
    BindCardWaitingDialog *card = edit->cardDialog();
    switch (route) {
    case 0:
        QTest::mouseClick(edit->cardSwitch(), Qt::LeftButton);
        QVERIFY(card->isVisible());
        QTest::mouseClick(card->btnCancel, Qt::LeftButton);
        QVERIFY(edit->isVisible());
        edit->close();
        break;
    case 1:
        QTest::mouseClick(edit->cardSwitch(), Qt::LeftButton);
        QVERIFY(card->isVisible());
        QTest::keyClick(card, Qt::Key_Escape);
        QVERIFY(!card->isVisible());
        break;
    case 2:
        QTest::mouseClick(edit->passwordSwitch(), Qt::LeftButton);
        QVERIFY(edit->removePasswordDialog()->isVisible());
        QTest::mouseClick(edit->removePasswordDialog()->btnNo, Qt::LeftButton);
        QVERIFY(edit->passwordSwitch()->isToggled());
        QTest::keyClick(edit, Qt::Key_Escape);
        break;
    }
    QVERIFY(!edit->isVisible());

    edit = openEdit(bob);
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->lineUserName->text(), QStringLiteral("Bob"));
    QVERIFY(edit->widgetPassword->isHidden());
    QVERIFY(edit->lineEditPassword->text().isEmpty());
    QVERIFY(edit->lineEditPasswordConfirm->text().isEmpty());
    QVERIFY(edit->passwordSwitch()->isToggled());
    QVERIFY(!edit->cardSwitch()->isToggled());
    QVERIFY(!edit->lbMessage->isVisible());
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QVERIFY(!edit->isVisible());
    QCOMPARE(userNamed(QStringLiteral("Bob")).password, QStringLiteral("bobSecret"));
    QCOMPARE(userNamed(QStringLiteral("Ann")).password, QStringLiteral("annSecret"));
}

// A card is checked when it is read; another window can give it to someone else before Save.
void TestAccountsDialogs::cardTakenMeanwhileIsRefusedAtSave()
{
    const QString usedMessage = QStringLiteral("This card has been used by another account");
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"), QString(), QStringLiteral("ANNCARD1"));
    VelkMultiUser bob = seedUser(QStringLiteral("Bob"));
    remember(QStringLiteral("ANNCARD1"));
    remember(QStringLiteral("NEWCARD1"));
    const auto readNewCard = [this](EditMultiUserDialog *edit) {
        QTest::mouseClick(edit->lbChangeBindCard, Qt::LeftButton);
        QTest::keyClicks(edit->cardDialog()->lineCardNumber, QStringLiteral("NEWCARD1"));
        QTRY_VERIFY(edit->cardDialog()->passedMessage()->isVisible());
        QTest::mouseClick(edit->cardDialog()->passedMessage()->btnOK, Qt::LeftButton);
        QVERIFY(edit->isVisible());
    };

    // Bob takes the card while Ann's editor holds it: nothing of Ann's edit is written.
    EditMultiUserDialog *edit = openEdit(ann);
    readNewCard(edit);
    typeInto(edit->lineUserName, QStringLiteral("Anna"));
    bob.rfidId = QStringLiteral("NEWCARD1");
    QCOMPARE(testDb()->updateMultiUser(bob), DB_OK);
    QSignalSpy updates(edit, &EditMultiUserDialog::updateMultiUser);
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->warningText(), usedMessage);
    QCOMPARE(updates.count(), 0);
    QCOMPARE(userNamed(QStringLiteral("Ann")).rfidId, QStringLiteral("ANNCARD1"));
    QCOMPARE(userNamed(QStringLiteral("Anna")).muid, 0u);
    edit->close();

    // The same when the panels' administrator card becomes that card.
    bob.rfidId.clear();
    QCOMPARE(testDb()->updateMultiUser(bob), DB_OK);
    edit = openEdit(userNamed(QStringLiteral("Ann")));
    readNewCard(edit);
    QList<VelkMultiUserAdmin> settings;
    QCOMPARE(testDb()->queryMultiUserAdmin(settings), DB_OK);
    settings.first().adminRfidId = QStringLiteral("NEWCARD1");
    QCOMPARE(testDb()->updateMultiUserAdmin(settings.first()), DB_OK);
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QCOMPARE(edit->warningText(), usedMessage);
    QCOMPARE(userNamed(QStringLiteral("Ann")).rfidId, QStringLiteral("ANNCARD1"));
    edit->close();

    // The user's own card is no other user's: a rename with it is saved.
    edit = openEdit(userNamed(QStringLiteral("Ann")));
    typeInto(edit->lineUserName, QStringLiteral("Anna"));
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QVERIFY(!edit->isVisible());
    QCOMPARE(userNamed(QStringLiteral("Anna")).rfidId, QStringLiteral("ANNCARD1"));
}

// Data from before the card checks: a card two users hold, or a user holding the panels'
// administrator card. Any other change of such a user is saved, the card left as stored and the
// conflict logged; a card changed in the editor is still checked at Save.
void TestAccountsDialogs::sharedCardFromBeforeIsKeptAndLogged()
{
    const QString usedMessage = QStringLiteral("This card has been used by another account");
    const QString logged = QStringLiteral("keeps a card that another user or the panels' administrator also holds");
    for (const char *card : {"SHARED01", "ADMINC01", "NEWCARD2"})
        remember(QString::fromLatin1(card));
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"), QStringLiteral("pass1"), QStringLiteral("SHARED01"));
    seedUser(QStringLiteral("Bob"), QString(), QStringLiteral("SHARED01"));
    const VelkMultiUser cid = seedUser(QStringLiteral("Cid"), QStringLiteral("pass2"), QStringLiteral("ADMINC01"));
    VelkMultiUser dan = seedUser(QStringLiteral("Dan"));
    QCOMPARE(userNamed(QStringLiteral("Bob")).rfidId, QStringLiteral("SHARED01"));
    QList<VelkMultiUserAdmin> settings;
    QCOMPARE(testDb()->queryMultiUserAdmin(settings), DB_OK);
    QVERIFY(!settings.isEmpty());
    settings.first().adminRfidId = QStringLiteral("ADMINC01");
    QCOMPARE(testDb()->updateMultiUserAdmin(settings.first()), DB_OK);

    // A rename, and a rename with a new password, each saved with the shared card as stored.
    const int before = m_log->count(logged);
    EditMultiUserDialog *edit = openEdit(ann);
    typeInto(edit->lineUserName, QStringLiteral("Anna"));
    QSignalSpy updates(edit, &EditMultiUserDialog::updateMultiUser);
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QVERIFY2(!edit->isVisible(), qPrintable(edit->warningText()));
    QCOMPARE(updates.count(), 1);
    QCOMPARE(userNamed(QStringLiteral("Anna")).rfidId, QStringLiteral("SHARED01"));
    QCOMPARE(userNamed(QStringLiteral("Bob")).rfidId, QStringLiteral("SHARED01"));
    QCOMPARE(m_log->count(logged), before + 1);

    edit = openEdit(cid);
    typeInto(edit->lineUserName, QStringLiteral("Cid B"));
    QTest::mouseClick(edit->btnChangePassword, Qt::LeftButton);
    QVERIFY(edit->lineEditPassword->isVisible());
    typeInto(edit->lineEditPassword, QStringLiteral("wxyz"));
    typeInto(edit->lineEditPasswordConfirm, QStringLiteral("wxyz"));
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QVERIFY2(!edit->isVisible(), qPrintable(edit->warningText()));
    QCOMPARE(userNamed(QStringLiteral("Cid B")).rfidId, QStringLiteral("ADMINC01"));
    QCOMPARE(userNamed(QStringLiteral("Cid B")).password, QStringLiteral("wxyz"));
    QCOMPARE(m_log->count(logged), before + 2);

    // A card changed in the editor to one that Dan took meanwhile is refused, nothing written.
    edit = openEdit(userNamed(QStringLiteral("Anna")));
    QTest::mouseClick(edit->lbChangeBindCard, Qt::LeftButton);
    QTest::keyClicks(edit->cardDialog()->lineCardNumber, QStringLiteral("NEWCARD2"));
    QTRY_VERIFY(edit->cardDialog()->passedMessage()->isVisible());
    QTest::mouseClick(edit->cardDialog()->passedMessage()->btnOK, Qt::LeftButton);
    QVERIFY(edit->isVisible());
    typeInto(edit->lineUserName, QStringLiteral("Anne"));
    dan.rfidId = QStringLiteral("NEWCARD2");
    QCOMPARE(testDb()->updateMultiUser(dan), DB_OK);
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->warningText(), usedMessage);
    QCOMPARE(userNamed(QStringLiteral("Anna")).rfidId, QStringLiteral("SHARED01"));
    QCOMPARE(userNamed(QStringLiteral("Anne")).muid, 0u);
    edit->close();

    // Turning the card off is a change that needs no check.
    edit = openEdit(userNamed(QStringLiteral("Anna")));
    QTest::mouseClick(edit->cardSwitch(), Qt::LeftButton);
    QVERIFY(!edit->cardSwitch()->isToggled());
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);
    QVERIFY2(!edit->isVisible(), qPrintable(edit->warningText()));
    QVERIFY(userNamed(QStringLiteral("Anna")).rfidId.isEmpty());
    QCOMPARE(userNamed(QStringLiteral("Bob")).rfidId, QStringLiteral("SHARED01"));
    QCOMPARE(m_log->count(logged), before + 2);
}

void TestAccountsDialogs::clipboardKeysOnlyWorkInTheNameField()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"), QStringLiteral("abcd"));
    EditMultiUserDialog *edit = openEdit(ann);
    QTest::mouseClick(edit->btnChangePassword, Qt::LeftButton);
    QApplication::clipboard()->setText(QStringLiteral("PASTED"));

    for (QLineEdit *field : {edit->lineEditPassword, edit->lineEditPasswordConfirm}) {
        typeInto(field, QStringLiteral("abcd"));
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(field->text(), QStringLiteral("abcd"));
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(!field->hasSelectedText());
        field->selectAll();
        QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("abcd"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("PASTED"));
        QCOMPARE(field->contextMenuPolicy(), Qt::NoContextMenu);
    }

    QLineEdit *name = edit->lineUserName;
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(name->hasSelectedText());
    QTest::keyClick(name, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("Ann"));
    QTest::keyClick(name, Qt::Key_End);
    QApplication::clipboard()->setText(QStringLiteral("-x"));
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(name->text(), QStringLiteral("Ann-x"));
}

void TestAccountsDialogs::appPermissionTogglesCreateAndDeleteRows()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"));
    const QList<VelkAppInfo> apps = allApps();
    AppPermissionDialog *window = openPermissions(ann);
    QVERIFY(window->isVisible());
    QVERIFY(!window->isModal());
    QCOMPARE(window->tableApps->rowCount(), 12);
    QCOMPARE(window->tableApps->item(0, 0)->text(), apps.at(0).appName);
    QSignalSpy updates(window, &AppPermissionDialog::updateMultiUser);

    QTest::mouseClick(window->appSwitch(0), Qt::LeftButton);
    QTest::mouseClick(window->appSwitch(3), Qt::LeftButton);
    QTest::mouseClick(window->btnSave, Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QCOMPARE(updates.count(), 1);
    QCOMPARE(permittedApps(ann.muid).size(), 10);
    QVERIFY(!permittedApps(ann.muid).contains(apps.at(3).aiid));

    window = openPermissions(ann);
    QVERIFY(!window->appSwitch(0)->isToggled());
    QVERIFY(window->appSwitch(1)->isToggled());
    QTest::mouseClick(window->appSwitch(0), Qt::LeftButton);
    QTest::mouseClick(window->btnSave, Qt::LeftButton);
    QCOMPARE(permittedApps(ann.muid).size(), 11);

    // Cancel writes nothing.
    window = openPermissions(ann);
    QTest::mouseClick(window->appSwitch(5), Qt::LeftButton);
    QTest::mouseClick(window->btnCancel, Qt::LeftButton);
    QCOMPARE(permittedApps(ann.muid).size(), 11);
    QCOMPARE(updates.count(), 2);
}

void TestAccountsDialogs::installWarningCancelTurnsTheSwitchBack()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"));
    AppPermissionDialog *window = openPermissions(ann);
    AppPermissionConfirmDialog *warning = window->confirmDialog();

    QTest::mouseClick(window->topSwitch(), Qt::LeftButton);
    QVERIFY(warning->isVisible());
    QTest::mouseClick(warning->btnNo, Qt::LeftButton);
    QVERIFY(!window->topSwitch()->isToggled());
    QTest::mouseClick(window->topSwitch(), Qt::LeftButton);
    warning->close();
    QVERIFY(!window->topSwitch()->isToggled());
    QTest::mouseClick(window->btnSave, Qt::LeftButton);
    QVERIFY(!userNamed(QStringLiteral("Ann")).hasPermission);

    window = openPermissions(userNamed(QStringLiteral("Ann")));
    QTest::mouseClick(window->topSwitch(), Qt::LeftButton);
    QTest::mouseClick(warning->btnYes, Qt::LeftButton);
    QVERIFY(window->topSwitch()->isToggled());
    QVERIFY(!userNamed(QStringLiteral("Ann")).hasPermission); // only Save writes
    QTest::mouseClick(window->btnSave, Qt::LeftButton);
    QVERIFY(userNamed(QStringLiteral("Ann")).hasPermission);

    // Turning it off asks nothing.
    window = openPermissions(userNamed(QStringLiteral("Ann")));
    QTest::mouseClick(window->topSwitch(), Qt::LeftButton);
    QVERIFY(!warning->isVisible());
    QTest::mouseClick(window->btnSave, Qt::LeftButton);
    QVERIFY(!userNamed(QStringLiteral("Ann")).hasPermission);
}

void TestAccountsDialogs::appPermissionKeepsAnEditMadeMeanwhile()
{
    const VelkMultiUser ann = seedUser(QStringLiteral("Ann"), QStringLiteral("first1"));
    AppPermissionDialog *window = openPermissions(ann);
    QTest::mouseClick(window->appSwitch(0), Qt::LeftButton);

    // The window is not modal: the user is renamed and given a new password meanwhile.
    EditMultiUserDialog *edit = openEdit(ann);
    typeInto(edit->lineUserName, QStringLiteral("Annie"));
    QTest::mouseClick(edit->btnChangePassword, Qt::LeftButton);
    typeInto(edit->lineEditPassword, QStringLiteral("second2"));
    typeInto(edit->lineEditPasswordConfirm, QStringLiteral("second2"));
    remember(QStringLiteral("first1"));
    remember(QStringLiteral("second2"));
    QTest::mouseClick(edit->btnSave, Qt::LeftButton);

    QTest::mouseClick(window->btnSave, Qt::LeftButton);
    const VelkMultiUser stored = userNamed(QStringLiteral("Annie"));
    QCOMPARE(stored.muid, ann.muid);
    QCOMPARE(stored.password, QStringLiteral("second2"));
    QCOMPARE(permittedApps(ann.muid).size(), 11);

    // Removed meanwhile: nothing is written for it.
    window = openPermissions(stored);
    QCOMPARE(UserStore::removeUser(testDb(), ann.muid), DB_OK);
    QTest::mouseClick(window->btnSave, Qt::LeftButton);
    QVERIFY(permittedApps(ann.muid).isEmpty());
    QCOMPARE(userCount(), 0);
}

void TestAccountsDialogs::secretsNeverReachTheLog()
{
    QVERIFY(m_log->contains(QStringLiteral("start card reader process")));
    m_secrets.removeAll(QString());
    const QStringList leaks = linesHolding(*m_log, m_secrets);
    QVERIFY2(leaks.isEmpty(), qPrintable(leaks.join(QLatin1Char(' '))));
}

QTEST_MAIN(TestAccountsDialogs)
#include "tst_accounts_dialogs.moc"
