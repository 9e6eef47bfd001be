#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QString>

// Writes size pseudo-random bytes (seeded by the size) to path; returns path, or an empty string
// when the file cannot be created.
inline QString writeRandomFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    QRandomGenerator random{quint32(size)};
    QByteArray block(64 * 1024, Qt::Uninitialized);
    for (qint64 left = size; left > 0;) {
        random.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        const qint64 n = qMin<qint64>(left, block.size());
        file.write(block.constData(), n);
        left -= n;
    }
    return path;
}

// The SHA-256 of a file's bytes; empty when the file cannot be read.
inline QByteArray fileSha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}
