#pragma once

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QtTest>

#include <cstdio>
#include <memory>
#include <vector>

#include "support/XvfbDisplay.h"

// The frame's tray menu, which belongs to no window of the frame.
inline QMenu *trayMenu()
{
    for (QWidget *widget : QApplication::allWidgets()) {
        if (widget->objectName() == QLatin1String("trayMenu"))
            return qobject_cast<QMenu *>(widget);
    }
    return nullptr;
}

// Right-clicks the tray icon and chooses the menu's entry, with the operator's clicks on the test's X server.
inline void chooseInTray(const XvfbDisplay &display, const QSystemTrayIcon *icon, const QString &entry)
{
    // The icon's own: the menu of a frame deleted before stays behind on the desktop widget.
    QVERIFY(icon);
    QMenu *menu = icon->contextMenu();
    QVERIFY(menu);
    QVERIFY(display.click(icon->geometry().center(), 3));
    QTRY_VERIFY(menu->isVisible());
    QAction *action = nullptr;
    for (QAction *candidate : menu->actions()) {
        if (candidate->text().startsWith(entry))
            action = candidate;
    }
    QVERIFY(action);
    QVERIFY(display.click(menu->mapToGlobal(menu->actionGeometry(action).center()), 1));
    QTRY_VERIFY(!menu->isVisible());
}

// A desktop on the test's X server: trayer's tray at the top right and, where asked for, openbox as the window
// manager. Made before the application object, which then shows its windows there and finds trayer's tray (not a
// desktop's over D-Bus); its programs end with it.
class TrayDesktop
{
public:
    TrayDesktop(const XvfbDisplay &display, bool withWindowManager)
    {
        if (withWindowManager) {
            start(display, QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
            waitForWindowManager(display);
        }
        start(display, QStringLiteral("trayer"),
              {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"), QStringLiteral("right"),
               QStringLiteral("--widthtype"), QStringLiteral("request"), QStringLiteral("--height"),
               QStringLiteral("24")});
        qputenv("DISPLAY", display.name().toLatin1());
        qputenv("QT_QPA_PLATFORM", "xcb");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    ~TrayDesktop()
    {
        for (const std::unique_ptr<QProcess> &program : m_programs) {
            program->kill();
            program->waitForFinished();
        }
    }
    TrayDesktop(const TrayDesktop &) = delete;
    TrayDesktop &operator=(const TrayDesktop &) = delete;

    // Empty when the desktop came up; else what went wrong.
    QString error() const { return m_error; }

private:
    void start(const XvfbDisplay &display, const QString &program, const QStringList &arguments)
    {
        m_programs.push_back(std::make_unique<QProcess>());
        m_programs.back()->setProcessEnvironment(display.environment());
        m_programs.back()->start(program, arguments);
    }

    // As on a real desktop, the window manager comes first: on a loaded machine where openbox came up after the
    // application had connected, the application never learnt the frames of its dialogs.
    void waitForWindowManager(const XvfbDisplay &display)
    {
        QProcess &windowManager = *m_programs.back();
        QDeadlineTimer deadline(QuorvinTryCeilingMs);
        while (!deadline.hasExpired()) {
            if (display.run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTED")})
                    .contains("_NET_FRAME_EXTENTS"))
                return;
            // No event loop runs yet: the wait is what notices an end.
            if (windowManager.state() == QProcess::NotRunning || windowManager.waitForFinished(50))
                break;
        }
        m_error =
            windowManager.state() == QProcess::NotRunning
                ? QStringLiteral("openbox ended before it managed %1: %2")
                      .arg(display.name(), QString::fromLocal8Bit(windowManager.readAllStandardError()).trimmed())
                : QStringLiteral("openbox did not manage %1 within %2 ms").arg(display.name()).arg(QuorvinTryCeilingMs);
    }

    std::vector<std::unique_ptr<QProcess>> m_programs;
    QString m_error;
};

// The main of a test on such a desktop, on an X server of its own with the screens given; display points to that
// server while the tests run.
template <typename Test>
int runOnTrayDesktop(int argc, char **argv, XvfbDisplay *&display, bool withWindowManager,
                     const QStringList &screens = {QStringLiteral("1600x1000x24")})
{
    XvfbDisplay server;
    if (!server.start(screens)) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 1;
    }
    display = &server;
    const TrayDesktop desktop(server, withWindowManager);
    if (!desktop.error().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(desktop.error()));
        return 1;
    }
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}
