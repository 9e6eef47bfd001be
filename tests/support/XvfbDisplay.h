#pragma once

#include <QByteArray>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

// An X server of the test's own (Xvfb, on a display number it picks itself), for what the offscreen platform cannot
// show: a tray, the windows of another process, screens of different heights. Ended with the object.
class XvfbDisplay
{
public:
    // screens: one "WIDTHxHEIGHTxDEPTH" per X screen. False, with the reason in error(), when no server came up.
    bool start(const QStringList &screens = {QStringLiteral("1600x1000x24")}, int timeoutMs = 30000)
    {
        QStringList arguments{QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                              QStringLiteral("tcp"), QStringLiteral("-noreset")};
        for (int n = 0; n < screens.size(); ++n)
            arguments << QStringLiteral("-screen") << QString::number(n) << screens.at(n);
        m_server.setProcessChannelMode(QProcess::SeparateChannels);
        m_server.start(QStringLiteral("Xvfb"), arguments);
        if (!m_server.waitForStarted(timeoutMs)) {
            m_error = QStringLiteral("Xvfb did not start: ") + m_server.errorString();
            return false;
        }
        // With -displayfd the server writes its display number once it accepts clients.
        QByteArray said;
        while (!said.contains('\n') && m_server.waitForReadyRead(timeoutMs))
            said += m_server.readAllStandardOutput();
        bool ok = false;
        const int number = said.trimmed().toInt(&ok);
        if (!ok) {
            m_error =
                QStringLiteral("Xvfb named no display: ") + QString::fromLocal8Bit(m_server.readAllStandardError());
            return false;
        }
        m_name = QStringLiteral(":%1").arg(number);
        return true;
    }

    ~XvfbDisplay()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(10000))
                m_server.kill();
            m_server.waitForFinished(10000);
        }
    }

    QString name() const { return m_name; }
    QString error() const { return m_error; }

    // The environment for a Qt program that shows its windows here.
    QProcessEnvironment environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const
    {
        base.insert(QStringLiteral("DISPLAY"), m_name);
        base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        base.remove(QStringLiteral("WAYLAND_DISPLAY"));
        base.remove(QStringLiteral("XAUTHORITY"));
        return base;
    }

    // Runs an X tool (xdotool, xwininfo ...) against this display and returns what it printed; empty, and ok false,
    // when it failed.
    QByteArray run(const QString &tool, const QStringList &arguments, bool *ok = nullptr) const
    {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(tool, arguments);
        const bool ran = process.waitForFinished(30000);
        if (!ran) {
            process.kill();
            process.waitForFinished();
        }
        const bool succeeded = ran && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        if (ok)
            *ok = succeeded;
        return succeeded ? process.readAllStandardOutput() : QByteArray();
    }

    // Presses a mouse button (1 left, 3 right) count times at a point of the screen, through the X server as the
    // operator's mouse does. False when xdotool could not.
    bool click(const QPoint &at, int button = 1, int count = 1) const
    {
        bool clicked = false;
        run(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
             QStringLiteral("--repeat"), QString::number(count), QStringLiteral("--delay"), QStringLiteral("80"),
             QString::number(button)},
            &clicked);
        return clicked;
    }

    // The windows on screen (mapped) whose title is exactly title, with their geometry on the screen.
    QList<QRect> shownWindows(const QString &title) const
    {
        QList<QRect> windows;
        const QByteArray ids = run(QStringLiteral("xdotool"),
                                   {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                    QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$')});
        for (const QByteArray &id : ids.split('\n')) {
            if (id.trimmed().isEmpty())
                continue;
            const QByteArray shell =
                run(QStringLiteral("xdotool"),
                    {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::fromLatin1(id)});
            QRect rect;
            for (const QByteArray &line : shell.split('\n')) {
                const int eq = line.indexOf('=');
                const QByteArray key = line.left(eq);
                const int value = line.mid(eq + 1).toInt();
                if (key == "X")
                    rect.moveLeft(value);
                else if (key == "Y")
                    rect.moveTop(value);
                else if (key == "WIDTH")
                    rect.setWidth(value);
                else if (key == "HEIGHT")
                    rect.setHeight(value);
            }
            windows << rect;
        }
        return windows;
    }

private:
    QProcess m_server;
    QString m_name;
    QString m_error;
};
