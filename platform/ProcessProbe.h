#pragma once

#include <QString>

/// Answers whether a program runs on this machine, by its image name ("DidAvav.exe").
///
/// The card dialog asks before it starts the card-reader program, on the GUI thread, every
/// time it is shown: the answer must come at once. The designed check waited for a "tasklist"
/// child process for up to 30 s and froze the window meanwhile; the Linux probe reads /proc
/// inside the process instead.
class ProcessProbe
{
public:
    virtual ~ProcessProbe();

    /// True when a live process of that image name runs (exact name, letter case counts).
    virtual bool isRunning(const QString &imageName) const = 0;

    /// The probe of this platform, chosen at compile time; never destroyed.
    static ProcessProbe *system();
};
