#pragma once

#include "platform/CardReaderLauncher.h"

class ProcessProbe;
class QProcess;

/// The card-reader program as a child process, found under the current working folder at the
/// moment of each start (or under the folder a test sets).
class ProcessCardReaderLauncher : public CardReaderLauncher
{
    Q_OBJECT
public:
    /// probe: null means the platform's own (ProcessProbe::system()); not owned.
    explicit ProcessCardReaderLauncher(ProcessProbe *probe = nullptr, QObject *parent = nullptr);
    ~ProcessCardReaderLauncher() override;

    StartResult start() override;
    bool stop() override;

    /// Empty (the default): the current working folder at each start.
    void setWorkingFolder(const QString &folder) { m_workingFolder = folder; }
    /// True while a program this launcher started is starting or running.
    bool ownsRunningProgram() const;

private:
    ProcessProbe *m_probe;
    QString m_workingFolder;
    QProcess *m_process = nullptr;
};
