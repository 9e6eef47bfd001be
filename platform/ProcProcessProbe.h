#pragma once

#include "platform/ProcessProbe.h"

/// Linux: scans the process table under /proc without starting anything.
///
/// A process's image name is its "comm" entry, which the kernel cuts to 15 bytes; a longer
/// name is confirmed against the file name of the process's first argument. Zombies (ended,
/// not yet collected by their parent) do not count as running.
class ProcProcessProbe : public ProcessProbe
{
public:
    /// procRoot: the folder that holds one folder per process id (tests pass a fake tree).
    explicit ProcProcessProbe(const QString &procRoot = QStringLiteral("/proc"));

    bool isRunning(const QString &imageName) const override;

private:
    bool matches(const QString &processFolder, const QString &imageName) const;

    QString m_root;
};
