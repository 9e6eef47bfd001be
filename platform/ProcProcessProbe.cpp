#include "platform/ProcProcessProbe.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace {

// The kernel keeps at most 15 bytes of a process name (TASK_COMM_LEN less the terminator).
constexpr int CommLength = 15;

QByteArray readSmallFile(const QString &path, qint64 limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(limit);
}

bool isZombie(const QString &processFolder)
{
    // "pid (comm) S ...": the state follows the last ')', since the name itself may hold one.
    const QByteArray stat = readSmallFile(processFolder + QStringLiteral("/stat"), 512);
    const int close = stat.lastIndexOf(')');
    if (close < 0 || close + 2 >= stat.size())
        return false;
    const char state = stat.at(close + 2);
    return state == 'Z' || state == 'X';
}

} // namespace

ProcProcessProbe::ProcProcessProbe(const QString &procRoot) : m_root(procRoot)
{
}

bool ProcProcessProbe::isRunning(const QString &imageName) const
{
    if (imageName.isEmpty())
        return false;
    QDirIterator it(m_root, QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        bool isPid = false;
        name.toUInt(&isPid);
        if (isPid && matches(it.filePath(), imageName))
            return true;
    }
    return false;
}

bool ProcProcessProbe::matches(const QString &processFolder, const QString &imageName) const
{
    const QByteArray wanted = imageName.toUtf8();
    QByteArray comm = readSmallFile(processFolder + QStringLiteral("/comm"), 64);
    if (comm.endsWith('\n'))
        comm.chop(1);
    if (comm != wanted.left(CommLength))
        return false;
    if (wanted.size() > CommLength) {
        // Only the first 15 bytes were compared: the first argument carries the whole name.
        const QByteArray cmdline = readSmallFile(processFolder + QStringLiteral("/cmdline"), 4096);
        const QByteArray first = cmdline.left(cmdline.indexOf('\0') < 0 ? cmdline.size() : cmdline.indexOf('\0'));
        if (QFileInfo(QFile::decodeName(first)).fileName() != imageName)
            return false;
    }
    return !isZombie(processFolder);
}
