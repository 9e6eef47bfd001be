#pragma once

// What the shell's benchmarks share: a throw-away HOME per case, this program run again in it as a child, the event
// log seeded with many rows, the log-in as an operator does it, and the wait for a widget's first paint.

#include <QDir>
#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class AutoSerialFileLogger;
class FrameLayoutPage;
class Orvanta;
class QWidget;

namespace shellbench {

constexpr int ChildTimeoutMs = 600000;

// Notes when a widget is first painted.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(QWidget *widget);
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Runs the event loop, sleeping between events as the console's does, until done() or the time-out.
bool processUntil(const std::function<bool()> &done, int timeoutMs);

// The data folder of one case: the administrator with an e-mail address (so Login goes straight to the main window),
// and `events` rows in EventLog: "Panel-NNNN" (NNNN = row mod 1000) at "2025-MM-DD hh:mm:00". Exit code for a child.
int seedEvents(int events);
// The device name and the time of the seeded row n.
QString seededName(int n);
QString seededTime(int n);

// The log file at INFO, as the console starts it; stopped and closed with the object.
class ConsoleLog
{
public:
    ConsoleLog();
    ~ConsoleLog();

private:
    std::unique_ptr<AutoSerialFileLogger> m_logger;
};

// The log-in window shown, the administrator chosen and the password typed: Login is the next click.
void prepareLogIn(Orvanta &login);
// The administrator logged in as above and Login clicked: the main window once it has painted, null when it did not.
FrameLayoutPage *logInToMainWindow(Orvanta &login);
// Login clicked on a prepared window: the milliseconds until the main window's first paint, or -1 when no main window
// came or it did not paint.
double timeLogIn(Orvanta &login);

// A throw-away HOME, as the console would find it on a fresh account.
struct Home
{
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/bench_shell-XXXXXX")};
    int events = 0;

    QProcessEnvironment environment() const;
};

// Runs this program in a home with the arguments; false (and a line on stderr) when it failed.
bool runIn(const Home &home, const QStringList &arguments, QString *output = nullptr);

} // namespace shellbench
