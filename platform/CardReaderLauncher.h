#pragma once

#include <QObject>
#include <QString>

/// Starts and ends the outside card-reader program while a card dialog waits for a card. The
/// program types the number of a card held to the reader into the focused window.
///
/// The program is started only when its file exists and no process of its image name runs
/// already (one started elsewhere serves as well), and it is ended only by the launcher that
/// started it. Nothing here blocks: start() returns before the program runs.
class CardReaderLauncher : public QObject
{
    Q_OBJECT
public:
    enum StartResult
    {
        Started,        ///< the program is being started by this launcher, or already was
        AlreadyRunning, ///< a process of that name runs and was not started by this launcher
        NotFound,       ///< no executable file at programPath()
    };
    Q_ENUM(StartResult)

    using QObject::QObject;
    ~CardReaderLauncher() override;

    virtual StartResult start() = 0;
    /// Ends the program when this launcher started it and it still runs; true when it did.
    virtual bool stop() = 0;

    /// "DidAvav.exe"
    static QString imageName();
    /// Where the program lies under a working folder: <folder>/ZuzoVuzev/DidAvav/DidAvav.exe.
    static QString programPath(const QString &workingFolder);

signals:
    /// The program this launcher started is running.
    void started();
    /// The program this launcher tried to start could not run.
    void failedToStart();
};
