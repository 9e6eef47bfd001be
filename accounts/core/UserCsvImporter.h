#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "accounts/core/UserCsv.h"
#include "datastore/DbResult.h"
#include "datastore/VelkAppInfo.h"
#include "datastore/VelkIFPDevice.h"
#include "datastore/VelkMultiUser.h"

class OrvantaDBIntf;

/// The database side of the user CSV import. The whole file is checked before anything is
/// written: the header, every row's values and cards against the stored users (pass 1), cards
/// shared by two rows (pass 2), and the limit of users per device (pass 3). Only then are the
/// rows written, in file order: a row whose name is a stored user's updates that user, any other
/// creates one; the row then sets the user's devices and app permissions to what it names.
///
/// Everything runs in one transaction: a refused file and a write that fails half-way both
/// leave the database as it was, and the failure is reported at its row; a write that the
/// database file refuses (the disk full, the file read-only) is no row's, and the import is
/// reported as stopped instead.
class UserCsvImporter
{
public:
    /// A device is assigned to at most this many users.
    static constexpr int UsersPerDevice = 48;

    explicit UserCsvImporter(OrvantaDBIntf *db);

    /// Checks and writes rows (rows[0] is the header; blank lines that end the file are left
    /// out). Returns the first problem, or no error when every row was written.
    UserCsvError importRows(QList<QStringList> rows);
    /// Reads the file as the import window does (UserCsv::parseBytes) and imports its rows. A file
    /// that cannot be read has no rows, so its header is refused.
    UserCsvError importFile(const QString &path);

    /// Users created and users updated by the last importRows that succeeded.
    int createdUsers() const { return m_created; }
    int updatedUsers() const { return m_updated; }

private:
    bool load();
    UserCsvError checkRows(const QList<QStringList> &rows);
    UserCsvError checkDeviceLimits(const QList<UserCsvRow> &rows);
    UserCsvError writeRow(const UserCsvRow &row, int rowNumber);
    /// The error of a write that failed at the row and column: the row's, unless the database file refused it.
    UserCsvError writeFailure(int column, int rowNumber) const;
    /// The import stopped by the database file, with nothing kept, and the failure that stopped it.
    static UserCsvError stoppedBy(DbFailure failure);

    static quint64 pairKey(quint32 userId, quint32 otherId) { return (quint64(userId) << 32) | otherId; }

    OrvantaDBIntf *m_db;
    int m_created = 0;
    int m_updated = 0;

    // What the database holds, read once per import and kept current while the rows are written.
    QHash<QString, VelkMultiUser> m_userByName; ///< the first user (lowest muid) of each name
    QHash<QString, QString> m_cardHolder; ///< card -> name of the first user holding it; "" for the administrator card
    QList<VelkIFPDevice> m_devices;       ///< every device, by name
    QHash<quint32, QSet<quint32>> m_usersOnDevice;
    QSet<quint64> m_assigned; ///< pairKey(muid, did)
    QList<VelkAppInfo> m_apps;
    QSet<quint64> m_granted; ///< pairKey(muid, aiid)
};
