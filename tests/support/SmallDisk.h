#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// A full disk, or a nearly full one, for one program: a small file system of its own mounted at a folder and filled so
// that only a given number of bytes stay free. It lives in a private mount namespace of that program (unshare), so
// nothing stays mounted when the program ends and the test needs no privilege; a machine that allows no user namespace
// cannot have it (available()).
class SmallDisk
{
public:
    // Exit code of a program whose small disk could not be set up.
    static constexpr int kSetupFailed = 97;

    // Whether a small disk can be mounted at mountPoint (an existing, empty folder) here.
    static bool available(const QString &mountPoint)
    {
        QProcess probe;
        start(probe, mountPoint, 64 * 1024, 0, {}, QStringLiteral("true"), {});
        return probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
    }

    // Starts program with arguments on a disk of sizeBytes at mountPoint, with folders (relative to it) made first and
    // then all but freeBytes filled.
    static void start(QProcess &process, const QString &mountPoint, qint64 sizeBytes, qint64 freeBytes,
                      const QStringList &folders, const QString &program, const QStringList &arguments)
    {
        static const QString script =
            QStringLiteral("mount -t tmpfs -o size=\"$2\" tmpfs \"$1\" || exit %1\n"
                           "printf '%s\\n' \"$4\" | while IFS= read -r folder; do\n"
                           "  [ -z \"$folder\" ] || mkdir -p \"$1/$folder\" || exit %1\n"
                           "done\n"
                           "free=$(stat -f -c '%a * %S' \"$1\")\n"
                           "fill=$(( $free - $3 ))\n"
                           "[ \"$fill\" -le 0 ] || head -c \"$fill\" /dev/zero > \"$1/.filler\" 2>/dev/null\n"
                           "shift 4\n"
                           "exec \"$@\"\n")
                .arg(kSetupFailed);
        QStringList shellArguments{QStringLiteral("-Urm"),
                                   QStringLiteral("--"),
                                   QStringLiteral("sh"),
                                   QStringLiteral("-c"),
                                   script,
                                   QStringLiteral("small-disk"),
                                   mountPoint,
                                   QString::number(sizeBytes),
                                   QString::number(freeBytes),
                                   folders.join(QLatin1Char('\n')),
                                   program};
        shellArguments << arguments;
        process.start(QStringLiteral("unshare"), shellArguments);
    }
};
