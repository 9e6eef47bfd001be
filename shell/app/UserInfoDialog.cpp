#include "shell/app/UserInfoDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProgressBar>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QWindow>

#include <memory>

#include "datastore/DatabaseFileJob.h"
#include "datastore/DatabaseFileOps.h"
#include "datastore/OrvantaDBManager.h"
#include "platform/SingleInstance.h"
#include "shell/app/AccountEditRules.h"
#include "shell/app/CheckPasswordDialog.h"
#include "shell/app/HeldWritesExit.h"
#include "shell/app/LanguageDialog.h"
#include "shell/app/LoginRules.h"
#include "shell/app/ReStartConfirmDialog.h"
#include "shell/base/Log.h"
#include "shell/base/PasswordFieldRule.h"
#include "shell/base/Session.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/PasswordFieldValidator.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

namespace {

std::function<void(const QStringList &)> &restartHandler()
{
    static std::function<void(const QStringList &)> handler;
    return handler;
}

// The arguments by which a restore tells the program it restarts what to show: "<prefix><table>=<count>" for each table
// with rows left out, or the swap's failure.
const QString LeftOutArgument = QStringLiteral("--restored-rows-left-out=");
const QString SwapFailedArgument = QStringLiteral("--restore-not-swapped");

int &liveFileWait()
{
    static int waitMs = DatabaseFileOps::kLiveFileWaitMs;
    return waitMs;
}

} // namespace

UserInfoDialog::UserInfoDialog(VelkAccount account, QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    userInfo = account;

    resize(411, 362);
    widgetData->setVisible(true);
    layoutWidget->move(0, 280);
    btnCancel->setGeometry(118, 320, 80, 22);
    btnSave->setGeometry(213, 320, 80, 22);
    scaleUi(false);

    setWindowTitle(productName());
    setupSharedDialog(this);

    connect(btnCancel, &QToolButton::clicked, this, &UserInfoDialog::close);
    connect(btnSave, &QToolButton::clicked, this, &UserInfoDialog::writeSetting);
    connect(btnChangePassword, &QToolButton::clicked, this, &UserInfoDialog::showChangePassword);

    resetFields();

    checkPasswordDialog = new CheckPasswordDialog();
    checkPasswordDialog->setUserInfo(userInfo);
    restartConfirmDialog = new ReStartConfirmDialog();
    dbIntf = OrvantaDBManager::getInstance();

    // The log-in window's address rule: a field of its own took a pasted tab and 32 characters at most.
    PasswordFieldValidator::install(lineEditEmail, PasswordFieldRule::Address);
    showStoredText(lineEditEmail, userInfo.email);
    lineEditPassword->setEchoMode(QLineEdit::Password);
    lineEditPasswordConfirm->setEchoMode(QLineEdit::Password);
    // A new password is only what a key press enters, so that it can be typed at log-in as well as pasted.
    auto *passwordValidator = new PasswordFieldValidator(PasswordFieldRule::Set, this);
    lineEditPassword->setValidator(passwordValidator);
    lineEditPasswordConfirm->setValidator(passwordValidator);
    // Tab walks the form as it reads, top to bottom; a hidden row is passed over.
    setTabOrder(lineEditEmail, btnChangePassword);
    setTabOrder(btnChangePassword, lineEditPassword);
    setTabOrder(lineEditPassword, lineEditPasswordConfirm);
    setTabOrder(lineEditPasswordConfirm, btnBackup);
    setTabOrder(btnBackup, btnRestore);
    setTabOrder(btnRestore, comboBoxLang);
    setTabOrder(comboBoxLang, btnCancel);
    setTabOrder(btnCancel, btnSave);
    for (QToolButton *button : {btnCancel, btnSave})
        button->setStyleSheet(button->styleSheet() + QStringLiteral("\nQToolButton:focus:!pressed{border-image: "
                                                                    "url(:/resource/Login/btn_text_b_hover.png);}"));

    connect(checkPasswordDialog, &CheckPasswordDialog::passWordChange, this, &UserInfoDialog::passWordChange);
    connect(restartConfirmDialog, &ReStartConfirmDialog::sendClickOk, this, &UserInfoDialog::restoreDb);
    connect(btnBackup, &QToolButton::clicked, this, &UserInfoDialog::backupDb);
    connect(btnRestore, &QToolButton::clicked, this, &UserInfoDialog::restartCheck);
    qApp->installEventFilter(this);

    languageDialog = new LanguageDialog();
    isLangNoticeArmed = true;

    if (!userInfo.isAdmin)
        adminInfo = AccountEditRules::administrator(dbIntf);

    comboBoxLang->setItemDelegate(new QStyledItemDelegate(comboBoxLang));
    comboBoxLang->clear();
    comboBoxLang->addItem(tr("System Language"), QString());
    comboBoxLang->addItem(QStringLiteral("English"), QStringLiteral("en_US"));
    comboBoxLang->addItem(QString::fromUtf8("繁體中文"), QStringLiteral("zh_TW"));
    selectLanguageItem();
    connect(comboBoxLang, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &UserInfoDialog::comboBoxLangIndexChanged);

    widgetData->show();
    widgetEmail->show();
    widgetLanguage->show();
    widgetNewPassword->show();
    widgetPassword->show();
    fitRowLabels({label, label_2, lbPassword, lbPasswordConfirm, lbDataManagement, lbLanguage}, 110);

    QString comboStyle =
        QStringLiteral(
            "QComboBox{color: #ffffff;background-color: #404040;border: 1px solid #ffffff;border-radius: 5px;"
            "font-family:Arial;font-size:10pt;}"
            "QComboBox::drop-down{border:none;width:22px;}"
            "QComboBox::down-arrow{image: url(:/resource/custom/btn_arrow_a_normal.png);}") +
        comboListStyleSheet();
    if (layoutDirection() == Qt::LeftToRight)
        comboStyle += QStringLiteral(" QComboBox {padding-left:12px;}");
    // The same edge as the fields when it has the keyboard.
    comboStyle += QStringLiteral(" QComboBox:focus{border: 1px solid #1db5ff;}");
    comboBoxLang->applyStyle(comboStyle);

    copyJob = new DatabaseFileJob(this);
    // The copy reports no progress of its own: a bar that keeps moving shows that the console works and answers.
    busyNotice = new QProgressDialog(this);
    busyNotice->setWindowTitle(productName());
    busyNotice->setWindowModality(Qt::ApplicationModal);
    busyNotice->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    busyNotice->setLayoutDirection(uiLayoutDirection());
    busyNotice->setCancelButton(nullptr);
    busyNotice->setBar(new QProgressBar(busyNotice));
    busyNotice->setRange(0, 0);
    busyNotice->setStyleSheet(
        QStringLiteral("QProgressDialog{background-color: #404040;}\n"
                       "QLabel{color: #ffffff;font-size:10pt; font-family:Arial;}\n"
                       "QProgressBar{background-color: #333333;border: 1px solid #7a7a7a;border-radius: 4px;}\n"
                       "QProgressBar::chunk{background-color: #0a84c6;border-radius: 3px;}"));
    scaleWidgetFonts(busyNotice, 0, false, false);
    busyNotice->setFixedSize(ScaleMath::truncScaled(300, getScaleFactor()),
                             ScaleMath::truncScaled(60, getScaleFactor()));
    // A new progress dialog shows itself after a while; this one shows only while a copy runs.
    busyNotice->reset();
    busyNotice->hide();

    messageDialog = new GeneralMsgDialog(this);

    restartWait = new HeldWritesExit(dbIntf->heldWrites(), this, "Restore");
    connect(restartWait, &HeldWritesExit::quit, this, [this] {
        const std::function<void()> swap = std::move(swapWaiting);
        swapWaiting = nullptr;
        if (swap)
            swap();
    });
}

UserInfoDialog::~UserInfoDialog() = default;

void UserInfoDialog::setRestartHandler(std::function<void(const QStringList &arguments)> handler)
{
    restartHandler() = std::move(handler);
}

void UserInfoDialog::setLiveFileWaitMs(int waitMs)
{
    liveFileWait() = waitMs;
}

void UserInfoDialog::setAlertsOpen(int warnings)
{
    restartWait->setAlertsOpen(warnings);
}

void UserInfoDialog::restartProgram(const QStringList &arguments)
{
    if (restartHandler())
        restartHandler()(arguments);
    else
        SingleInstance::restartApplication(QString(), arguments);
}

void UserInfoDialog::setUserInfo(VelkAccount account)
{
    userInfo = account;
    if (checkPasswordDialog)
        checkPasswordDialog->setUserInfo(account);
}

bool UserInfoDialog::isValidEmail(QString email)
{
    return LoginRules::isValidEmail(email);
}

QString UserInfoDialog::storedLanguage() const
{
    return AccountEditRules::storedLanguage(userInfo, adminInfo);
}

QString UserInfoDialog::chosenLanguage() const
{
    return comboBoxLang->currentData().toString();
}

void UserInfoDialog::selectLanguageItem()
{
    const QString stored = storedLanguage();
    langIndex = 0;
    for (int i = 0; i < comboBoxLang->count(); ++i) {
        if (comboBoxLang->itemData(i).toString() == stored) {
            langIndex = i;
            break;
        }
    }
    comboBoxLang->setCurrentIndex(langIndex);
    isLanguageChanged = false;
}

void UserInfoDialog::resetFields()
{
    const double s = getScaleFactor();
    widgetData->move(ScaleMath::truncScaled(20, s), ScaleMath::truncScaled(118, s));
    lbLine->setGeometry(ScaleMath::truncScaled(10, s), ScaleMath::truncScaled(98, s), ScaleMath::truncScaled(390, s),
                        ScaleMath::truncScaled(1, s));
    widgetLanguage->move(ScaleMath::truncScaled(20, s), ScaleMath::truncScaled(158, s));
    lineEditPassword->clear();
    lineEditPasswordConfirm->clear();
    widgetNewPassword->hide();
    lbMessage->hide();
}

void UserInfoDialog::showChangePassword()
{
    const double s = getScaleFactor();
    widgetData->move(ScaleMath::truncScaled(20, s), ScaleMath::truncScaled(198, s));
    lbLine->setGeometry(ScaleMath::truncScaled(10, s), ScaleMath::truncScaled(178, s), ScaleMath::truncScaled(390, s),
                        ScaleMath::truncScaled(1, s));
    widgetLanguage->move(ScaleMath::truncScaled(20, s), ScaleMath::truncScaled(238, s));
    widgetNewPassword->show();
}

void UserInfoDialog::centreOnScreen(QWidget *dialog) const
{
    QScreen *screen = windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    dialog->move(area.x() + area.width() / 2 - dialog->width() / 2,
                 area.y() + area.height() / 2 - dialog->height() / 2);
}

void UserInfoDialog::comboBoxLangIndexChanged(int index)
{
    if (index != langIndex && isLangNoticeArmed) {
        isLangNoticeArmed = false;
        centreOnScreen(languageDialog);
        languageDialog->show();
    }
}

void UserInfoDialog::writeSetting()
{
    AccountEditRules::Form form;
    form.email = editedOrStored(lineEditEmail, userInfo.email);
    form.password = lineEditPassword->text();
    form.confirmation = lineEditPasswordConfirm->text();
    form.language = chosenLanguage();
    const AccountEditRules::Decision decision = AccountEditRules::decide(userInfo, adminInfo, form);
    switch (decision.outcome) {
    case AccountEditRules::NothingChanged:
        resetFields();
        close();
        return;
    case AccountEditRules::LanguageOnly:
        if (AccountEditRules::writeLanguage(dbIntf, userInfo, adminInfo, form.language) == DB_OK)
            restartProgram();
        return;
    case AccountEditRules::InvalidEmail:
        lbMessage->setWarningText(tr("Invalid user Email."));
        lbMessage->show();
        return;
    case AccountEditRules::PasswordsDiffer:
        lbMessage->setWarningText(tr("The Password do not match."));
        lbMessage->show();
        lineEditPassword->clear();
        lineEditPasswordConfirm->clear();
        return;
    case AccountEditRules::AddressTrimmed:
        writeTrimmedAddress(decision);
        return;
    case AccountEditRules::NeedsPasswordCheck:
        break;
    }
    if (decision.languageChanged)
        isLanguageChanged = true;
    checkPasswordDialog->setPendingUserInfo(decision.record);
    centreOnScreen(checkPasswordDialog);
    checkPasswordDialog->show();
    resetFields();
    lbMessage->hide();
    close();
}

void UserInfoDialog::writeTrimmedAddress(const AccountEditRules::Decision &decision)
{
    VelkAccount written;
    if (AccountEditRules::writeChanges(dbIntf, userInfo, decision.record, &written) != DB_OK) {
        lbMessage->setWarningText(tr("The settings could not be saved."));
        lbMessage->show();
        return;
    }
    setUserInfo(written);
    // The administrator's own record carried the language already.
    if (decision.languageChanged) {
        if (userInfo.isAdmin || AccountEditRules::writeLanguage(dbIntf, userInfo, adminInfo, chosenLanguage()) == DB_OK)
            restartProgram();
        return;
    }
    resetFields();
    lbMessage->hide();
    close();
}

void UserInfoDialog::passWordChange(QString password)
{
    emit changePassWord(password);
    if (!isLanguageChanged)
        return;
    isLanguageChanged = false;
    // The administrator's own record carried the language already.
    if (userInfo.isAdmin || AccountEditRules::writeLanguage(dbIntf, userInfo, adminInfo, chosenLanguage()) == DB_OK)
        restartProgram();
}

void UserInfoDialog::restartCheck()
{
    // A confirmation shown beside a running copy led to a Continue that did nothing.
    if (showCopying())
        return;
    centreOnScreen(restartConfirmDialog);
    restartConfirmDialog->show();
}

void UserInfoDialog::showMessage(const QString &message)
{
    messageDialog->setMessage(message);
    centreOnScreen(messageDialog);
    messageDialog->show();
}

bool UserInfoDialog::isCopying() const
{
    return copyJob->isRunning();
}

bool UserInfoDialog::showCopying()
{
    if (!isCopying())
        return false;
    busyNotice->show();
    busyNotice->raise();
    return true;
}

void UserInfoDialog::runCopy(const QString &notice, std::function<DatabaseFileOps::Result()> work,
                             std::function<void(DatabaseFileOps::Result)> done)
{
    busyNotice->setLabelText(notice);
    busyNotice->show();
    copyJob->start(std::move(work), [this, done = std::move(done)](DatabaseFileOps::Result result) {
        busyNotice->hide();
        done(result);
    });
}

void UserInfoDialog::backupDb()
{
    if (showCopying())
        return;
    const QString source = dbIntf->databaseFilePath();
    QFile probe(source);
    if (!probe.open(QIODevice::ReadOnly)) {
        probe.close();
        showMessage(tr("The database could not be backed up."));
        return;
    }
    probe.close();

    const QString chosen = FileChooser::instance()->getSaveFileName(this, tr("Save Directory"),
                                                                    FileChooser::startFolder(), tr("DB Files (*.db)"));
    if (chosen.isEmpty())
        return;
    // Only a file ending in ".db" can be restored.
    QString notice;
    const QString target = FileChooser::nameToSave(chosen, QStringLiteral("db"), "UserInfoDialog::backupDb", &notice);
    if (target.isEmpty()) {
        showMessage(notice);
        return;
    }
    runCopy(
        tr("Backing up the database..."), [source, target]() { return DatabaseFileOps::backup(source, target); },
        [this, target](DatabaseFileOps::Result result) {
            if (result == DatabaseFileOps::Ok)
                return;
            writeLog(LOG_LEVEL_ERROR, "UserInfoDialog::backupDb - copy to %s failed (%d)",
                     target.toLocal8Bit().constData(), static_cast<int>(result));
            showMessage(backupFailure(result, target));
        });
}

QString UserInfoDialog::backupFailure(DatabaseFileOps::Result result, const QString &target)
{
    const QString folder = QDir::toNativeSeparators(QFileInfo(target).absolutePath());
    switch (result) {
    case DatabaseFileOps::DiskFull:
        return tr("The database could not be backed up, because the disk that holds %1 is full. Free space on that "
                  "disk, or choose another, and try again.")
            .arg(folder);
    case DatabaseFileOps::IsLiveFile:
        return tr("This file is the database in use. Please choose another file for the backup.");
    case DatabaseFileOps::FolderMissing:
        return tr("The database could not be backed up, because the folder %1 does not exist.").arg(folder);
    case DatabaseFileOps::FolderReadOnly:
        return tr("The database could not be backed up, because the folder %1 cannot be written. Please choose "
                  "another folder.")
            .arg(folder);
    case DatabaseFileOps::InUse:
        return tr("The database could not be backed up, because another program is using it. Close that program "
                  "and try again.");
    case DatabaseFileOps::NameNotText:
        return tr("The database could not be backed up, because the name %1 holds characters this system cannot "
                  "show. Choose a folder and a file name without them.")
            .arg(QDir::toNativeSeparators(target));
    default:
        return tr("The database could not be backed up.");
    }
}

QString UserInfoDialog::restoreRefusal(DatabaseFileOps::Result result, const QString &livePath,
                                       const DatabaseFileOps::RestoreReport &report)
{
    const QString liveFolder = QDir::toNativeSeparators(QFileInfo(livePath).absolutePath());
    switch (result) {
    case DatabaseFileOps::IsLiveFile:
        return tr("This file is the database in use. Please choose a backup file.");
    case DatabaseFileOps::Damaged:
        // Swapped in, it would be set aside by the next start, which then begins with an empty database.
        return tr("This backup file is damaged and cannot be restored. The current data is kept.");
    case DatabaseFileOps::SourceUnreadable:
        // No permission, or an I/O error: a file that may be a healthy backup must not be called foreign.
        return tr("This file cannot be read. The current data is kept.");
    case DatabaseFileOps::WrongSuffix:
    case DatabaseFileOps::NotConsoleDatabase:
        return tr("This file is not a database of this program. The current data is kept.");
    case DatabaseFileOps::ValueTooLarge:
        return tr("This backup holds a value larger than this program takes, and cannot be restored. The current data "
                  "is kept.");
    case DatabaseFileOps::DiskFull:
        return tr("The database could not be restored, because the disk that holds %1 is full. The current data is "
                  "kept.")
            .arg(liveFolder);
    case DatabaseFileOps::NameNotText:
        return tr("This file cannot be read, because its name or the name of its folder holds characters this "
                  "system cannot show. Rename it, or move it to another folder, and try again. The current data is "
                  "kept.");
    case DatabaseFileOps::SideFileNotRegular:
        // A FIFO there blocked the copy for good; the operator must learn which name to remove.
        return tr("The backup cannot be read, because %1 beside it is not an ordinary file. Remove it, or choose "
                  "another backup. The current data is kept.")
            .arg(QDir::toNativeSeparators(report.notAFile));
    case DatabaseFileOps::NotEnoughRoom: {
        const auto megabytes = [](qint64 bytes) { return QString::number((bytes + (1 << 20) - 1) >> 20); };
        return tr("The database could not be restored: copies of the backup and of the files beside it need %1 MB on "
                  "the disk that holds %2, and only %3 MB are free. Free space on that disk and try again. The current "
                  "data is kept.")
            .arg(megabytes(report.roomNeeded), liveFolder, megabytes(report.roomFree));
    }
    case DatabaseFileOps::InUse:
        return tr("The database could not be restored, because another program is using it. Close that program and "
                  "try again. The current data is kept.");
    default:
        return tr("The database could not be restored. The current data is kept.");
    }
}

void UserInfoDialog::restoreDb()
{
    if (showCopying())
        return;
    const QString target = dbIntf->databaseFilePath();
    // From here on the row of an SOS goes into the restored file too: written into the live file alone, it was lost
    // with it.
    dbIntf->keepEventLogForRestore(true);
    const QString source = FileChooser::instance()->getOpenFileName(this, tr("Open Directory"),
                                                                    FileChooser::startFolder(), tr("DB Files (*.db)"));
    if (source.isEmpty()) {
        dbIntf->keepEventLogForRestore(false);
        return;
    }
    // Written on the copy's thread, read on this one once that thread has ended.
    auto report = std::make_shared<DatabaseFileOps::RestoreReport>();
    runCopy(
        tr("Restoring the database..."),
        [target, source, report, waitMs = liveFileWait()]() {
            DatabaseFileOps::Result result = DatabaseFileOps::stageRestore(target, source, report.get());
            // Another program's transaction would fail once the file is swapped from under it: it is waited out
            // here, off the GUI thread.
            if (result == DatabaseFileOps::Ok)
                result = DatabaseFileOps::waitForLiveFile(target, waitMs);
            if (result != DatabaseFileOps::Ok)
                DatabaseFileOps::discardStaged(target);
            return result;
        },
        [this, target, source, report](DatabaseFileOps::Result result) {
            swapInRestored(result, target, source, *report);
        });
}

void UserInfoDialog::swapInRestored(DatabaseFileOps::Result result, const QString &target, const QString &source,
                                    const DatabaseFileOps::RestoreReport &report)
{
    if (result != DatabaseFileOps::Ok) {
        dbIntf->keepEventLogForRestore(false);
        writeLog(LOG_LEVEL_WARNING, "UserInfoDialog::restoreDb - %s not restored (%d); nothing was replaced",
                 source.toLocal8Bit().constData(), static_cast<int>(result));
        showMessage(restoreRefusal(result, target, report));
        return;
    }
    // The restart waits for every open SOS warning to be answered, as an exit does: it took the warning, its alarm
    // and the panel's stop-alert with it. At once when none is open.
    swapWaiting = [this, target, source, report] { swapAndRestart(target, source, report); };
    restartWait->quitAnyway();
}

void UserInfoDialog::swapAndRestart(const QString &target, const QString &source,
                                    const DatabaseFileOps::RestoreReport &report)
{
    const auto restoreEnds = qScopeGuard([this] { dbIntf->keepEventLogForRestore(false); });
    // A program may have taken the file since the wait above; the data store stays open while it is refused.
    if (DatabaseFileOps::waitForLiveFile(target, DatabaseFileOps::kSwapWaitMs) != DatabaseFileOps::Ok) {
        DatabaseFileOps::discardStaged(target);
        showMessage(restoreRefusal(DatabaseFileOps::InUse, target));
        return;
    }
    // The rows of SOSes that came since the restore began, and any the live file has not taken yet: the closed
    // database drops what it holds, and the live file is set aside.
    const QList<VelkEventLog> events = dbIntf->eventLogForRestore();
    const DatabaseFileOps::Result carried = DatabaseFileOps::addEventLogToStaged(target, events);
    if (carried != DatabaseFileOps::Ok) {
        DatabaseFileOps::discardStaged(target);
        writeLog(LOG_LEVEL_ERROR,
                 "UserInfoDialog::restoreDb - %d SOS rows cannot be added to %s (%d); nothing was replaced",
                 int(events.size()), source.toLocal8Bit().constData(), static_cast<int>(carried));
        showMessage(restoreRefusal(carried, target));
        return;
    }
    if (!events.isEmpty())
        writeLog(LOG_LEVEL_INFO, "UserInfoDialog::restoreDb - %d SOS rows added to the restored file",
                 int(events.size()));
    if (dbIntf->closeDatabase() != DB_OK) {
        DatabaseFileOps::discardStaged(target);
        showMessage(restoreRefusal(DatabaseFileOps::CopyFailed, target));
        return;
    }
    if (DatabaseFileOps::swapInStaged(target) != DatabaseFileOps::Ok) {
        DatabaseFileOps::discardStaged(target);
        writeLog(LOG_LEVEL_ERROR, "UserInfoDialog::restoreDb - swapping in %s failed",
                 source.toLocal8Bit().constData());
        // The database is closed by now; the restart opens the kept data again, and says so.
        restartProgram({SwapFailedArgument});
        return;
    }
    // At once: the closed database takes no write until the restart, and what is held for it meanwhile is lost. The
    // restarted program tells what the restore made fit.
    restartProgram(restartArguments(report));
}

QStringList UserInfoDialog::restartArguments(const DatabaseFileOps::RestoreReport &report)
{
    QStringList arguments;
    for (auto count = report.duplicateRows.cbegin(); count != report.duplicateRows.cend(); ++count)
        arguments << LeftOutArgument + count.key() + QLatin1Char('=') + QString::number(count.value());
    return arguments;
}

QString UserInfoDialog::noticeAfterRestart(const QStringList &arguments)
{
    if (arguments.contains(SwapFailedArgument))
        return tr("The database could not be restored. The current data is kept.");
    DatabaseFileOps::RestoreReport report;
    for (const QString &argument : arguments) {
        if (!argument.startsWith(LeftOutArgument))
            continue;
        const QString entry = argument.mid(argument.indexOf(QLatin1Char('=')) + 1);
        const int split = entry.lastIndexOf(QLatin1Char('='));
        bool isCount = false;
        const qint64 count = entry.mid(split + 1).toLongLong(&isCount);
        // Not what a restore writes: logged and passed over, so that no report is made up.
        if (split <= 0 || !isCount || count <= 0) {
            writeLog(LOG_LEVEL_WARNING, "UserInfoDialog: argument %s ignored, not a count of a restore",
                     argument.toUtf8().constData());
            continue;
        }
        report.duplicateRows.insert(entry.left(split), count);
    }
    return restoreChanges(report);
}

QString UserInfoDialog::restoreChanges(const DatabaseFileOps::RestoreReport &report)
{
    const auto listed = [](const QMap<QString, qint64> &counts) {
        QStringList items;
        for (auto count = counts.cbegin(); count != counts.cend(); ++count)
            items << QStringLiteral("%1 (%2)").arg(count.key()).arg(count.value());
        return items.join(QLatin1String(", "));
    };
    QStringList lines;
    if (!report.duplicateRows.isEmpty())
        lines << tr("Rows left out, as each repeated the number, device name, MAC address or group name of a row "
                    "before it: %1")
                     .arg(listed(report.duplicateRows));
    if (lines.isEmpty())
        return QString();
    return tr("The database was restored, but not all of it fit this program:\n%1").arg(lines.join(QLatin1Char('\n')));
}

bool UserInfoDialog::eventFilter(QObject *watched, QEvent *event)
{
    // The moving-bar notice stays while its copy runs: hidden by Escape, it let a second restore begin that did
    // nothing, and the operator did not learn when the copy ended.
    if (copyJob && busyNotice && isCopying() && watched->isWidgetType() &&
        (watched == busyNotice || busyNotice->isAncestorOf(static_cast<QWidget *>(watched)))) {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
            return true;
    }
    if (event->type() == QEvent::KeyPress &&
        (watched == lineEditEmail || watched == lineEditPassword || watched == lineEditPasswordConfirm)) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            writeSetting();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void UserInfoDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    fitRowLabels({label, label_2, lbPassword, lbPasswordConfirm, lbDataManagement, lbLanguage}, 110);
    selectLanguageItem();
    isLangNoticeArmed = true;
    showStoredText(lineEditEmail, userInfo.email);
    resetFields();
    QDialog::showEvent(event);
    lineEditEmail->setFocus();
}

void UserInfoDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor,
              {btnCancel, btnSave, layoutWidget, lbLine, widgetData, widgetEmail, widgetLanguage, widgetPassword,
               widgetNewPassword},
              rescale, true);
    // The gap between the two new-password rows is part of the layout, not of a widget's geometry.
    if (auto *grid = qobject_cast<QGridLayout *>(widgetNewPassword->layout()))
        grid->setVerticalSpacing(ScaleMath::truncScaled(18, getScaleFactor()));
}
