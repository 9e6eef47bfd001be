#pragma once

#include "platform/ProcProcessProbe.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

// The process probe of this machine, narrowed to the programs this test started. A stand-in of the same image name
// that runs elsewhere (another test's, a developer's own) made the probe answer "running" before the test had started
// anything. The probe reads a process table made afresh for each question: links to the /proc entries of this
// process's children, so what it reads of them (name, first argument, state) is what the kernel says.
class OwnProcessProbe : public ProcessProbe
{
public:
    bool isRunning(const QString &imageName) const override
    {
        QTemporaryDir table;
        if (!table.isValid())
            return false;
        const QByteArray own = QByteArray::number(QCoreApplication::applicationPid());
        QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            it.next();
            bool isPid = false;
            it.fileName().toUInt(&isPid);
            if (isPid && parentOf(it.filePath()) == own)
                QFile::link(it.filePath(), table.filePath(it.fileName()));
        }
        return ProcProcessProbe(table.path()).isRunning(imageName);
    }

private:
    // "pid (comm) S ppid ...": the parent follows the state, after the last ')', since the name itself may hold one.
    static QByteArray parentOf(const QString &processFolder)
    {
        QFile stat(processFolder + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            return QByteArray();
        const QByteArray line = stat.read(512);
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 1).simplified().split(' ');
        return fields.size() > 1 ? fields.at(1) : QByteArray();
    }
};
