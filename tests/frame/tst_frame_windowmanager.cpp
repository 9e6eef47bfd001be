// Exit from the tray under a window manager (openbox, with trayer's tray, on an X server of the test's own), with the
// operator's clicks. Another program holds the database, so Exit asks about the records not saved yet; closed from
// its title bar, the question printed "XCB error: 3 (BadWindow) ... (TranslateCoords)" about every other time: as a
// modal dialog goes, the toolkit walks down the windows under the pointer, and the window manager destroys the frame
// under the pointer meanwhile. The test makes that walk meet a vanished window every time, and no X error may reach
// the terminal; the console logs it (main installs VanishedWindowErrors as this test does).

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtTest>

#include <dlfcn.h>
#include <memory>
#include <xcb/xcb.h>

#include "DesktopTray.h"
#include "FrameTestSupport.h"
#include "datastore/DbHeldWrites.h"
#include "shell/app/ExitPendingNotice.h"
#include "shell/app/ExitUnsavedDialog.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/VanishedWindowErrors.h"
#include "support/DatabaseHold.h"
#include "support/HeldEventRow.h"
#include "support/LogCapture.h"
#include "support/ShortDatabaseWaits.h"
#include "support/TestEnv.h"
#include "support/XvfbDisplay.h"

namespace {

XvfbDisplay *g_display = nullptr;
QStringList g_xErrors;
QtMessageHandler g_previousHandler = nullptr;
// Armed, the next step of a walk down the windows under the pointer goes into a window that no longer exists, as
// when the window manager destroys the frame between two steps, which the real race does only now and then.
bool g_nextStepVanishes = false;

void keepXErrors(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (text.contains(QLatin1String("XCB error")))
        g_xErrors << text;
    g_previousHandler(type, context, text);
}

xcb_generic_error_t errorOf(uint8_t code, uint8_t request)
{
    xcb_generic_error_t error{};
    error.error_code = code;
    error.major_code = request;
    error.resource_id = 0x20042a;
    return error;
}

struct Frame
{
    QRect rect;
    int titleHeight = 0;
};

// Where the window manager framed the window, as the X server has it: the window's place on the screen with the frame
// extents around it; a null rect until it is framed. The toolkit's own frameGeometry() is brought up to date only as
// the window is moved or resized, and during full suite runs it now and then showed no frame around the question.
Frame frameOnScreen(const QWidget *window)
{
    const QString id = QString::number(window->winId());
    const QString extents = QString::fromLatin1(
        g_display->run(QStringLiteral("xprop"),
                       {QStringLiteral("-id"), id, QStringLiteral("-notype"), QStringLiteral("_NET_FRAME_EXTENTS")}));
    const QRegularExpressionMatch sides =
        QRegularExpression(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)")).match(extents);
    const QString info = QString::fromLatin1(g_display->run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id}));
    const QRegularExpressionMatch x =
        QRegularExpression(QStringLiteral("Absolute upper-left X: +(-?\\d+)")).match(info);
    const QRegularExpressionMatch y =
        QRegularExpression(QStringLiteral("Absolute upper-left Y: +(-?\\d+)")).match(info);
    if (!sides.hasMatch() || !x.hasMatch() || !y.hasMatch())
        return {};
    const int title = sides.captured(3).toInt();
    const QRect place(QPoint(x.captured(1).toInt(), y.captured(1).toInt()), window->size());
    return {place.adjusted(-sides.captured(1).toInt(), -title, sides.captured(2).toInt(), sides.captured(4).toInt()),
            title};
}

} // namespace

// Takes the place of libxcb's own for the toolkit (the test exports its symbols); a step of the walk goes from a
// window into one of its children, the first request of a walk from the root into the root.
extern "C" xcb_translate_coordinates_cookie_t xcb_translate_coordinates_unchecked(xcb_connection_t *c,
                                                                                  xcb_window_t src_window,
                                                                                  xcb_window_t dst_window,
                                                                                  int16_t src_x, int16_t src_y)
{
    using Real =
        xcb_translate_coordinates_cookie_t (*)(xcb_connection_t *, xcb_window_t, xcb_window_t, int16_t, int16_t);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "xcb_translate_coordinates_unchecked"));
    if (g_nextStepVanishes && src_window != dst_window) {
        g_nextStepVanishes = false;
        // An identifier of the toolkit's own connection that names no window.
        dst_window = xcb_generate_id(c);
    }
    return real(c, src_window, dst_window, src_x, src_y);
}

class TestFrameWindowManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void onlyAVanishedWindowLookupIsKeptOff_data();
    void onlyAVanishedWindowLookupIsKeptOff();
    void exitQuestionClosedFromItsTitleBarPrintsNoXError();
    void exitQuestionAskedAgainComesUpInTheSamePlace();
    void exitNoticeStaysInSightWhicheverWindowIsMinimised_data();
    void exitNoticeStaysInSightWhicheverWindowIsMinimised();

private:
    // Another program holds the database, a write of the console's waits for it, and the frame is up with its tray
    // icon shown: Exit will ask about the record. The data store's waits are short while it lives.
    struct HeldExit
    {
        std::unique_ptr<ShortDatabaseWaits> waits;
        std::unique_ptr<DatabaseHold> writer;
        std::unique_ptr<FrameLayoutPage> frame;
        QSystemTrayIcon *icon = nullptr;

        OrvantaDBManager *db() const { return waits->db(); }
    };
    void holdAWriteUnderTheFrame(HeldExit &held);
    // Exit chosen in the tray icon's menu: the question about the held record once it is shown, null if it is not.
    ExitUnsavedDialog *exitFromTheTray(const HeldExit &held);

    // One data folder for the process: the data store stays open on the first one it met.
    TestEnv m_env;
};

void TestFrameWindowManager::holdAWriteUnderTheFrame(HeldExit &held)
{
    QTRY_VERIFY2(QSystemTrayIcon::isSystemTrayAvailable(), "trayer did not start on the test's X server");
    held.waits = std::make_unique<ShortDatabaseWaits>(50, 50);
    OrvantaDBManager *db = held.db();
    held.writer = std::make_unique<DatabaseHold>(db->databaseFilePath(), DatabaseHold::Writer);
    QVERIFY2(held.writer->isHeld(), qPrintable(held.writer->error()));
    holdEventRow(db, "test", QStringLiteral("an event-log row"), QStringLiteral("Room 101"),
                 QStringLiteral("2026-03-02 09:15:00"));
    QTRY_VERIFY(db->heldWrites()->isRefused());
    held.frame = std::make_unique<FrameLayoutPage>(storedAccount(true));
    held.frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(held.frame.get()));
    held.icon = held.frame->findChild<QSystemTrayIcon *>();
    QVERIFY(held.icon);
    QTRY_VERIFY(g_display->shownWindows(QStringLiteral("panel")).value(0).contains(held.icon->geometry().center()));
}

ExitUnsavedDialog *TestFrameWindowManager::exitFromTheTray(const HeldExit &held)
{
    chooseInTray(*g_display, held.icon, QStringLiteral("Exit"));
    ExitUnsavedDialog *question = nullptr;
    const bool shown = QTest::qWaitFor(
        [&question] { return (question = visibleTopLevel<ExitUnsavedDialog>()) != nullptr; }, QuorvinTryCeilingMs);
    return shown ? question : nullptr;
}

void TestFrameWindowManager::initTestCase()
{
    QVERIFY(m_env.isValid());
    useLoopbackNetwork();
}

void TestFrameWindowManager::onlyAVanishedWindowLookupIsKeptOff_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("request");
    QTest::addColumn<bool>("keptOff");
    QTest::newRow("BadWindow from TranslateCoords") << int(XCB_WINDOW) << int(XCB_TRANSLATE_COORDINATES) << true;
    QTest::newRow("BadWindow from GetGeometry") << int(XCB_WINDOW) << int(XCB_GET_GEOMETRY) << false;
    QTest::newRow("BadMatch from TranslateCoords") << int(XCB_MATCH) << int(XCB_TRANSLATE_COORDINATES) << false;
}

void TestFrameWindowManager::onlyAVanishedWindowLookupIsKeptOff()
{
    QFETCH(int, code);
    QFETCH(int, request);
    QFETCH(bool, keptOff);
    xcb_generic_error_t error = errorOf(uint8_t(code), uint8_t(request));
    VanishedWindowErrors filter;
    QCOMPARE(filter.nativeEventFilter("xcb_generic_event_t", &error, nullptr), keptOff);
    // An event with the same bytes after its type, and the messages of another platform, are never taken for it.
    error.response_type = XCB_LEAVE_NOTIFY;
    QVERIFY(!filter.nativeEventFilter("xcb_generic_event_t", &error, nullptr));
    error.response_type = 0;
    QVERIFY(!filter.nativeEventFilter("windows_generic_MSG", &error, nullptr));
}

void TestFrameWindowManager::exitQuestionClosedFromItsTitleBarPrintsNoXError()
{
    HeldExit held;
    holdAWriteUnderTheFrame(held);
    if (QTest::currentTestFailed())
        return;
    OrvantaDBManager *db = held.db();

    VanishedWindowErrors vanishedWindowErrors;
    qApp->installNativeEventFilter(&vanishedWindowErrors);
    LogCapture log;
    ExitUnsavedDialog *question = exitFromTheTray(held);
    QVERIFY(question);
    // Framed by the window manager, and settled where it put it.
    QTRY_VERIFY(!frameOnScreen(question).rect.isNull());
    QVERIFY(QTest::qWaitForWindowExposed(question));
    QTest::qWait(300);
    const Frame framed = frameOnScreen(question);
    const QRect frameRect = framed.rect;
    const int titleHeight = framed.titleHeight;
    // QtTest has a handler of its own while it runs: the X errors are taken before it prints them.
    g_xErrors.clear();
    g_previousHandler = qInstallMessageHandler(keepXErrors);
    g_nextStepVanishes = true;
    // The close button, at the right end of the title bar.
    QVERIFY(g_display->click(QPoint(frameRect.right() - titleHeight / 2, frameRect.top() + titleHeight / 2), 1));
    QTRY_VERIFY(!question->isVisible());
    // The error comes back from the X server a moment after the walk.
    QTest::qWait(500);
    qInstallMessageHandler(g_previousHandler);
    QVERIFY2(!g_nextStepVanishes, "closing the question walked no window under the pointer");
    QVERIFY2(g_xErrors.isEmpty(), qPrintable(g_xErrors.join(QLatin1Char('\n'))));
    QCOMPARE(log.count(QStringLiteral("BadWindow from TranslateCoords")), 1);
    qApp->removeNativeEventFilter(&vanishedWindowErrors);

    // Closed from its title bar, the question meant to wait: the console ends by itself once the writes are saved.
    held.writer.reset();
    QTRY_VERIFY(db->heldWrites()->isEmpty());
}

// Put aside with Wait and asked again by a second Exit, the question came up lower by its title bar's height each
// time: shown again where it was left, it was placed by the window manager's frame around its old place.
void TestFrameWindowManager::exitQuestionAskedAgainComesUpInTheSamePlace()
{
    HeldExit held;
    holdAWriteUnderTheFrame(held);
    if (QTest::currentTestFailed())
        return;
    OrvantaDBManager *db = held.db();

    QList<QRect> places;
    for (int asked = 0; asked < 3; ++asked) {
        ExitUnsavedDialog *question = exitFromTheTray(held);
        QVERIFY(question);
        QTRY_VERIFY(!frameOnScreen(question).rect.isNull());
        QVERIFY(QTest::qWaitForWindowExposed(question));
        // Settled where the window manager put it: the same place at every read for a while.
        QRect place;
        QElapsedTimer samePlace;
        samePlace.start();
        QTRY_VERIFY([&] {
            const QRect now = frameOnScreen(question).rect;
            if (now != place) {
                place = now;
                samePlace.restart();
            }
            return samePlace.elapsed() >= 300;
        }());
        places << frameOnScreen(question).rect;
        question->btnWait->click();
        QTRY_VERIFY(!question->isVisible());
        // Waiting, the notice says so; a second Exit asks again.
        ExitPendingNotice *notice = visibleTopLevel<ExitPendingNotice>();
        QVERIFY(notice);
        notice->btnStayOpen->click();
        QTRY_VERIFY(!notice->isVisible());
    }
    QCOMPARE(places.value(1), places.value(0));
    QCOMPARE(places.value(2), places.value(0));

    held.writer.reset();
    QTRY_VERIFY(db->heldWrites()->isEmpty());
}

void TestFrameWindowManager::exitNoticeStaysInSightWhicheverWindowIsMinimised_data()
{
    QTest::addColumn<bool>("mainWindow"); // minimised: the main window, else the notice
    QTest::newRow("the notice") << false;
    QTest::newRow("the main window") << true;
}

// Minimised from its title bar, the notice of a waiting exit took the main window along (the window manager minimises
// a window with the one it belongs to), and nothing on screen said that an exit waited: it comes back at once. The
// main window minimised took the notice along, and the notice coming back brought the main window with it: the
// operator could not put it away while an exit waited. It stays away, the notice in sight, and the console still ends
// by itself once the record is written.
void TestFrameWindowManager::exitNoticeStaysInSightWhicheverWindowIsMinimised()
{
    QFETCH(bool, mainWindow);
    HeldExit held;
    holdAWriteUnderTheFrame(held);
    if (QTest::currentTestFailed())
        return;
    OrvantaDBManager *db = held.db();
    ExitUnsavedDialog *question = exitFromTheTray(held);
    QVERIFY(question);
    question->btnWait->click();
    ExitPendingNotice *notice = visibleTopLevel<ExitPendingNotice>();
    QVERIFY(notice);
    QTRY_VERIFY(!frameOnScreen(notice).rect.isNull());
    const auto shown = [](const QWidget *window) {
        return g_display->run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window->winId())})
            .contains("Map State: IsViewable");
    };
    bool noticeMinimised = false;
    connect(notice->windowHandle(), &QWindow::windowStateChanged, this, [&noticeMinimised](Qt::WindowState state) {
        noticeMinimised = noticeMinimised || state == Qt::WindowMinimized;
    });
    QWidget *minimised = mainWindow ? static_cast<QWidget *>(held.frame.get()) : notice;
    g_display->run(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), QString::number(minimised->winId())});
    if (!mainWindow) {
        QTRY_VERIFY(noticeMinimised);
        // Out of the minimised state as the toolkit knows it too: the window manager may not have unmapped it yet
        // when the state changed.
        QTRY_VERIFY(!notice->isMinimized() && !held.frame->isMinimized() && shown(notice) && shown(held.frame.get()));
        // The main window brought to the front leaves the notice above it.
        const auto id = [](const QWidget *window) { return QStringLiteral("0x%1").arg(window->winId(), 0, 16); };
        g_display->run(QStringLiteral("xdotool"),
                       {QStringLiteral("windowactivate"), QString::number(held.frame->winId())});
        QTRY_VERIFY(held.frame->isActiveWindow());
        const auto stacked = [] { // bottom to top
            return QString::fromLatin1(
                       g_display->run(QStringLiteral("xprop"),
                                      {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")}))
                .section(QLatin1Char('#'), 1)
                .remove(QLatin1Char(' '))
                .trimmed()
                .split(QLatin1Char(','));
        };
        const auto noticeAbove = [&] {
            const QStringList ids = stacked();
            return ids.contains(id(held.frame.get())) && ids.indexOf(id(notice)) > ids.indexOf(id(held.frame.get()));
        };
        QTRY_VERIFY2(noticeAbove(), qPrintable(stacked().join(QLatin1Char(' '))));
        notice->btnStayOpen->click();
        held.writer.reset();
        QTRY_VERIFY(db->heldWrites()->isEmpty());
        return;
    }
    QTRY_VERIFY(held.frame->isMinimized() && !shown(held.frame.get()));
    // Taken along, the notice came back within a few turns of the event loop, and the main window with it.
    QTest::qWait(1000);
    QVERIFY(!noticeMinimised);
    QVERIFY(held.frame->isMinimized() && !shown(held.frame.get()));
    QVERIFY(notice->isVisible() && shown(notice));

    // Waiting, the console ends by itself once the record is written, as it did; quitting takes effect only in the
    // application's event loop.
    QTimer stillRunning;
    stillRunning.setSingleShot(true);
    connect(&stillRunning, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    QTimer::singleShot(0, this, [&] {
        held.writer.reset();
        stillRunning.start(QuorvinTryCeilingMs);
    });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(db->heldWrites()->isEmpty());
    QVERIFY(!notice->isVisible());
}

int main(int argc, char **argv)
{
    return runOnTrayDesktop<TestFrameWindowManager>(argc, argv, g_display, true);
}

#include "tst_frame_windowmanager.moc"
