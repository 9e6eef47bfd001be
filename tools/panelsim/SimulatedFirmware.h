#pragma once

#include <QByteArray>
#include <QString>

/// Synthetic firmware files for simulated devices. A file begins with one header line naming what it installs,
///
///     QUORVIN-SIMULATED-FIRMWARE fw=2.5.2052.0
///     QUORVIN-SIMULATED-FIRMWARE panel=00.01.00.07
///
/// followed by filler. A simulated panel that installs such a file takes on its version (for a panel image only
/// the panel version code, the fourth field: size and OC code are the panel's hardware). The console never looks
/// inside: to it the file is opaque firmware. Pure: no files.
class SimulatedFirmware
{
public:
    /// The header line for an OS or box package (`fwVersion`) or a panel image (`panelVersion`).
    static QByteArray header(const QString &fwVersion, const QString &panelVersion = QString());
    /// `size` bytes: the header, then deterministic filler (seeded by `seed`) so different files differ.
    static QByteArray make(qint64 size, const QString &fwVersion, const QString &panelVersion = QString(),
                           quint32 seed = 1);
    /// Reads the header from the first bytes of a file (FileAssembler keeps them); false when it has none.
    static bool read(const QByteArray &head, QString *fwVersion, QString *panelVersion);
};
