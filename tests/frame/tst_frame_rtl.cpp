#include "FrameTestSupport.h"

#include "devices/ConnectedList.h"
#include "devices/ImportDialog.h"
#include "devices/ImportErrorDialog.h"
#include "devices/Management.h"
#include "devices/ManagementAddDevice.h"
#include "devices/ManagementAutoDetect.h"
#include "devices/ManagementEditDevice.h"
#include "devices/ManagementGroupDialog.h"
#include "devices/ManagementShowIPInfo.h"
#include "shell/app/CheckPasswordDialog.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/LanguageDialog.h"
#include "shell/app/Orvanta.h"
#include "shell/app/ReStartConfirmDialog.h"
#include "shell/app/SendMailDialog.h"
#include "shell/app/Settings.h"
#include "shell/app/StartupLanguage.h"
#include "shell/app/UserInfoDialog.h"
#include "shell/base/Session.h"
#include "shell/kit/ConfirmDialog.h"
#include "shell/kit/DeleteManagementDialog.h"
#include "shell/kit/DeleteScheduleDialog.h"
#include "shell/kit/EventLogDialog.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/NotificationDialog.h"
#include "shell/kit/PowerOnDialog.h"
#include "shell/kit/PowerOnNotification.h"
#include "support/TestEnv.h"

#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <memory>
#include <vector>

// The console in Arabic, set up the way start-up does it: every window that follows the language must really lay
// itself out right to left, asked of the widget itself. Each is built without a parent, so none merely inherits
// the direction of a window around it.
class TestFrameRtl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowsFollowTheArabicLanguage();
    void sharedDialogsFollowTheArabicLanguage();

private:
    TestEnv m_env;
    QTemporaryDir m_languages;
    QTranslator m_translator;
};

void TestFrameRtl::initTestCase()
{
    QVERIFY(m_env.isValid());
    useLoopbackNetwork();
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QVERIFY(db);

    // An Arabic translation file (the English one under the Arabic name) where start-up looks for it.
    QVERIFY(QDir().mkpath(m_languages.path() + "/lang"));
    QVERIFY(
        QFile::copy(QStringLiteral(QV_BUILD_DIR "/lang/Orvanta_en_US.qm"), m_languages.path() + "/lang/Orvanta_ar.qm"));
    const StartupLanguage::Outcome outcome =
        StartupLanguage::choose(m_translator, QStringLiteral("ar"), QStringLiteral("en_US"), {m_languages.path()});
    StartupLanguage::apply(outcome, &m_translator);
    QCOMPARE(currentLanguage, QStringLiteral("ar"));
    QCOMPARE(uiLayoutDirection(), Qt::RightToLeft);
}

void TestFrameRtl::windowsFollowTheArabicLanguage()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.emplace_back(new Orvanta(db));
    windows.emplace_back(new FrameLayoutPage(storedAccount(true)));
    windows.emplace_back(new ConnectedList);
    auto *management = new Management;
    windows.emplace_back(management);
    windows.emplace_back(new Settings(management));
    windows.emplace_back(new UserInfoDialog(storedAccount(true)));
    windows.emplace_back(new CheckPasswordDialog);
    windows.emplace_back(new EventLogDialog);
    windows.emplace_back(new ManagementAddDevice(db));
    windows.emplace_back(new ManagementEditDevice(db));
    windows.emplace_back(new ManagementAutoDetect(db));
    windows.emplace_back(new ManagementGroupDialog(db));
    windows.emplace_back(new ImportErrorDialog);
    windows.emplace_back(new ManagementShowIPInfo);
    for (const auto &window : windows)
        QVERIFY2(window->layoutDirection() == Qt::RightToLeft, window->metaObject()->className());

    // The pages inside the main frame too, as the operator sees them.
    auto *frame = static_cast<FrameLayoutPage *>(windows.at(1).get());
    frame->show();
    QVERIFY(frame->findChild<Management *>());
    for (QWidget *page : {static_cast<QWidget *>(frame->findChild<Management *>()),
                          static_cast<QWidget *>(frame->findChild<ConnectedList *>())})
        QCOMPARE(page->layoutDirection(), Qt::RightToLeft);
}

// The shared message dialogs mirror too: an Arabic reader would otherwise meet left-to-right questions in a
// right-to-left console.
void TestFrameRtl::sharedDialogsFollowTheArabicLanguage()
{
    std::vector<std::unique_ptr<QDialog>> dialogs;
    dialogs.emplace_back(new GeneralMsgDialog);
    dialogs.emplace_back(new ConfirmDialog);
    dialogs.emplace_back(new NotificationDialog);
    dialogs.emplace_back(new DeleteScheduleDialog);
    dialogs.emplace_back(new DeleteManagementDialog);
    dialogs.emplace_back(new PowerOnDialog);
    dialogs.emplace_back(new PowerOnNotification);
    dialogs.emplace_back(new LanguageDialog);
    dialogs.emplace_back(new ReStartConfirmDialog);
    dialogs.emplace_back(new SendMailDialog);
    dialogs.emplace_back(new ImportDialog);
    for (const auto &dialog : dialogs)
        QVERIFY2(dialog->layoutDirection() == Qt::RightToLeft, dialog->metaObject()->className());
}

QTEST_MAIN(TestFrameRtl)
#include "tst_frame_rtl.moc"
