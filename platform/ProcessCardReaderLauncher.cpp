#include "platform/ProcessCardReaderLauncher.h"

#include "platform/ProcessProbe.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

ProcessCardReaderLauncher::ProcessCardReaderLauncher(ProcessProbe *probe, QObject *parent)
    : CardReaderLauncher(parent), m_probe(probe ? probe : ProcessProbe::system())
{
}

ProcessCardReaderLauncher::~ProcessCardReaderLauncher()
{
    stop();
}

bool ProcessCardReaderLauncher::ownsRunningProgram() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

CardReaderLauncher::StartResult ProcessCardReaderLauncher::start()
{
    if (ownsRunningProgram())
        return Started;
    if (m_probe->isRunning(imageName()))
        return AlreadyRunning;
    const QString folder = m_workingFolder.isEmpty() ? QDir::currentPath() : m_workingFolder;
    const QFileInfo program(programPath(folder));
    if (!program.isFile() || !program.isExecutable())
        return NotFound;
    if (!m_process) {
        m_process = new QProcess(this);
        connect(m_process, &QProcess::started, this, &CardReaderLauncher::started);
        connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart)
                emit failedToStart();
        });
    }
    // The program talks to the operator through keystrokes only; what it prints is not kept,
    // so a chatty reader cannot fill the console's memory.
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    m_process->start(program.absoluteFilePath(), QStringList(), QIODevice::WriteOnly);
    return Started;
}

bool ProcessCardReaderLauncher::stop()
{
    if (!ownsRunningProgram())
        return false;
    m_process->kill();
    // A killed process ends at once; collecting it here keeps it out of the next probe.
    m_process->waitForFinished(1000);
    return true;
}
