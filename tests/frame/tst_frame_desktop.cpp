// The main frame on a real X desktop, which the offscreen platform is not: an X server of the test's own with a tray
// host (trayer) on its first screen, and a second screen 2160 pixels high. Closing the frame hides it to the tray and
// the program goes on; a double click on the icon or the menu's Open brings it back, a single click does not; the
// program's activation is ignored while the tray menu is open; Exit removes the icon and ends the event loop. Moved to
// the tall screen, the frame and its pages rescale to what they would be if made there.
//
// Quitting takes effect only in the application's event loop, so the steps that may quit run inside it.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <functional>

#include "DesktopTray.h"
#include "FrameTestSupport.h"
#include "shell/app/AppIdentity.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/kit/UiHelpers.h"
#include "support/Settle.h"
#include "support/TestEnv.h"
#include "support/XvfbDisplay.h"

namespace {

// The exit code of an event loop that the steps run in left running.
constexpr int kStillRunning = 77;

XvfbDisplay *g_display = nullptr;

// Catches the request to quit that closing the last window sends.
class QuitWatch : public QObject
{
public:
    int quits = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == qApp && event->type() == QEvent::Quit)
            ++quits;
        return false;
    }
};

} // namespace

class TestFrameDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void closingHidesToTheTrayAndTheProgramGoesOn();
    void singleClickDoesNothingDoubleClickRestores();
    void openRestoresAndActivationWaitsForTheMenu();
    void exitRemovesTheIconAndEnds();
    // Last: the frame made for comparison brings a tray icon of its own, and trayer moves the others about.
    void movedToATallerScreenRescalesAsIfMadeThere();

private:
    // Runs steps inside the application's event loop and returns its exit code: what quit it said, or kStillRunning
    // when nothing did by a moment after the steps.
    int runInEventLoop(const std::function<void()> &steps);
    void click(const QPoint &at, int button, int count = 1) { QVERIFY(g_display->click(at, button, count)); }
    QPoint iconCentre() const { return m_frame->findChild<QSystemTrayIcon *>()->geometry().center(); }
    // Right-clicks the icon and chooses the menu's entry.
    void choose(const QString &entry) { chooseInTray(*g_display, m_frame->findChild<QSystemTrayIcon *>(), entry); }
    bool frameOnScreen() const { return !g_display->shownWindows(AppIdentity::mainWindowTitle()).isEmpty(); }
    void activateProgram();

    TestEnv *m_env = nullptr;
    FrameLayoutPage *m_frame = nullptr;
};

void TestFrameDesktop::initTestCase()
{
    m_env = new TestEnv;
    QVERIFY(m_env->isValid());
    useLoopbackNetwork();
    QVERIFY(OrvantaDBManager::getInstance());
    // 144 dpi: 1.4 on the first screen, 1.5 on the one 2160 pixels high.
    initScaleFactor(0, 0);
    QCOMPARE(getScaleFactor(), 1.4);
    // The tray host came up beside the X server (main); the frame makes its icon only where a tray exists.
    QTRY_VERIFY2(QSystemTrayIcon::isSystemTrayAvailable(), "no system tray: trayer (scripts/install-deps.sh) did not "
                                                           "start on the test's X server");
    m_frame = new FrameLayoutPage(storedAccount(true));
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame));
    auto *icon = m_frame->findChild<QSystemTrayIcon *>();
    QVERIFY(icon);
    QVERIFY(icon->isVisible());
    // Embedded by the tray host: the icon lies in trayer's panel, where it can be clicked at.
    QTRY_VERIFY(g_display->shownWindows(QStringLiteral("panel")).value(0).contains(icon->geometry().center()));
    QTRY_VERIFY(frameOnScreen());
}

void TestFrameDesktop::cleanupTestCase()
{
    delete m_frame;
    delete m_env;
}

int TestFrameDesktop::runInEventLoop(const std::function<void()> &steps)
{
    QTimer stillRunning;
    stillRunning.setSingleShot(true);
    connect(&stillRunning, &QTimer::timeout, []() { QCoreApplication::exit(kStillRunning); });
    QTimer::singleShot(0, this, [&]() {
        steps();
        stillRunning.start(500);
    });
    return QCoreApplication::exec();
}

void TestFrameDesktop::activateProgram()
{
    QEvent activate(QEvent::ApplicationActivate);
    QCoreApplication::sendEvent(qApp, &activate);
}

// Closed from its title bar, the frame leaves the screen for the tray; the program, its icon and its event loop go on.
void TestFrameDesktop::closingHidesToTheTrayAndTheProgramGoesOn()
{
    QuitWatch watch;
    qApp->installEventFilter(&watch);
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    const int code = runInEventLoop([this]() {
        QVERIFY(!m_frame->close());
        QTRY_VERIFY(!frameOnScreen());
    });
    qApp->removeEventFilter(&watch);
    QCOMPARE(code, kStillRunning);
    QCOMPARE(watch.quits, 0);
    QCOMPARE(lastClosed.count(), 0);
    QVERIFY(!m_frame->isVisible());
    QVERIFY(m_frame->findChild<QSystemTrayIcon *>()->isVisible());
}

void TestFrameDesktop::singleClickDoesNothingDoubleClickRestores()
{
    m_frame->close();
    QTRY_VERIFY(!frameOnScreen());
    click(iconCentre(), 1);
    // Long enough for the click not to be half of a double click.
    settle(QApplication::doubleClickInterval() + 500);
    QVERIFY(!m_frame->isVisible());
    QVERIFY(!frameOnScreen());

    click(iconCentre(), 1, 2);
    QTRY_VERIFY(m_frame->isVisible());
    QTRY_VERIFY(frameOnScreen());
}

// Opening the tray menu activates the program on some desktops; the frame must not jump up under the menu. Once the
// menu is gone, by an entry chosen or not, activation shows the frame again.
void TestFrameDesktop::openRestoresAndActivationWaitsForTheMenu()
{
    m_frame->close();
    QTRY_VERIFY(!frameOnScreen());
    QMenu *menu = trayMenu();
    QVERIFY(menu);
    click(iconCentre(), 3);
    QTRY_VERIFY(menu->isVisible());
    activateProgram();
    settle(300);
    QVERIFY(!m_frame->isVisible());
    g_display->run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
    QTRY_VERIFY(!menu->isVisible());
    QVERIFY(!m_frame->isVisible());

    choose(QStringLiteral("Open"));
    QTRY_VERIFY(frameOnScreen());
    QVERIFY(m_frame->isVisible());

    m_frame->close();
    QTRY_VERIFY(!frameOnScreen());
    activateProgram();
    QTRY_VERIFY(frameOnScreen());
}

// At 144 dpi the scale is 1.4 on the first screen and 1.5 on the tall one. Moved there, the frame and every page
// rescale by the change (their own hooks, then the frame's fonts), and must come out as a frame made there: what an
// operator sees, each widget's place, size and text size, within the rounding of two steps against one.
void TestFrameDesktop::movedToATallerScreenRescalesAsIfMadeThere()
{
    QScreen *tall = nullptr;
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen->geometry().height() == 2160)
            tall = screen;
    }
    QVERIFY(tall);
    m_frame->show();
    QTRY_VERIFY(frameOnScreen());
    m_frame->windowHandle()->setScreen(tall);
    QTRY_COMPARE(getScaleFactor(), 1.5);
    // Its window is made anew on that screen; shown there, its layouts settle.
    m_frame->hide();
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame));

    initScaleFactor(tall->geometry().width(), tall->geometry().height());
    FrameLayoutPage fresh(storedAccount(true));
    fresh.winId();
    fresh.windowHandle()->setScreen(tall);
    fresh.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fresh));
    QCOMPARE(m_frame->size(), fresh.size());
    QStringList differences;
    const auto compareShown = [&]() {
        const QList<QWidget *> moved = m_frame->findChildren<QWidget *>();
        const QList<QWidget *> made = fresh.findChildren<QWidget *>();
        QCOMPARE(moved.size(), made.size());
        for (int n = 0; n < moved.size(); ++n) {
            QWidget *a = moved.at(n);
            QWidget *b = made.at(n);
            if (a->window() != m_frame || !a->isVisibleTo(m_frame))
                continue;
            const QRect ra = a->geometry();
            const QRect rb = b->geometry();
            // Rounding adds up along a row of widgets: a pixel or so per widget, never a hundredth of the parent.
            const QSize room = b->parentWidget()->size();
            const auto near = [](int x, int y, int span) { return qAbs(x - y) <= qMax(3, span / 100); };
            const bool sameGeometry = near(ra.x(), rb.x(), room.width()) && near(ra.y(), rb.y(), room.height()) &&
                                      near(ra.width(), rb.width(), room.width()) &&
                                      near(ra.height(), rb.height(), room.height());
            // A font counts where it shows: on a widget with a text of its own.
            const auto label = qobject_cast<QLabel *>(a);
            const auto button = qobject_cast<QAbstractButton *>(a);
            const bool showsText = (label && !label->text().isEmpty()) || (button && !button->text().isEmpty()) ||
                                   qobject_cast<QLineEdit *>(a) || qobject_cast<QComboBox *>(a);
            const bool sameFont = !showsText || qAbs(a->font().pointSizeF() - b->font().pointSizeF()) < 0.2;
            if (!sameGeometry || !sameFont)
                differences << QStringLiteral("%1 %2 in %3: %4,%5 %6x%7 %8pt, made there %9,%10 %11x%12 %13pt")
                                   .arg(QString::fromLatin1(a->metaObject()->className()), a->objectName(),
                                        a->parentWidget()->objectName())
                                   .arg(ra.x())
                                   .arg(ra.y())
                                   .arg(ra.width())
                                   .arg(ra.height())
                                   .arg(a->font().pointSizeF())
                                   .arg(rb.x())
                                   .arg(rb.y())
                                   .arg(rb.width())
                                   .arg(rb.height())
                                   .arg(b->font().pointSizeF());
        }
    };
    // Each page as its entry shows it.
    for (void (FrameLayoutPage::*entry)() : {&FrameLayoutPage::clickList, &FrameLayoutPage::clickManagement,
                                             &FrameLayoutPage::clickScheduling, &FrameLayoutPage::clickBroadcast}) {
        (m_frame->*entry)();
        (fresh.*entry)();
        compareShown();
    }
    QVERIFY2(differences.isEmpty(), qPrintable(differences.join(QLatin1Char('\n'))));
}

void TestFrameDesktop::exitRemovesTheIconAndEnds()
{
    auto *icon = m_frame->findChild<QSystemTrayIcon *>();
    const int code = runInEventLoop([&]() {
        choose(QStringLiteral("Exit"));
        QTRY_VERIFY(!icon->isVisible());
    });
    QCOMPARE(code, 0);
}

int main(int argc, char **argv)
{
    return runOnTrayDesktop<TestFrameDesktop>(argc, argv, g_display, false,
                                              {QStringLiteral("1600x1000x24"), QStringLiteral("3840x2160x24")});
}

#include "tst_frame_desktop.moc"
