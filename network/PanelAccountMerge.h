#pragma once

#include "network/AccountFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

class OrvantaDBIntf;

/// Takes a panel's users into the console's database at the first synchronisation with this
/// console, before the console sends its own list back (which the panel then adopts whole).
///
/// A name the console knows (letter case ignored) keeps the console's values; a new name is
/// created with the panel's password, card (unless another user holds it or it is the panels'
/// administrator card), unique id and app permissions. Every user named is assigned to the
/// panel's device, up to 48 per device.
/// Pure logic on the data store: no socket, and the panel's passwords never touch a file.
class PanelAccountMerge
{
public:
    static constexpr int maxUsersPerDevice = 48;

    explicit PanelAccountMerge(OrvantaDBIntf *db) : m_db(db) {}

    /// What a panel's account file holds: its users, or why the file was refused.
    struct Parsed
    {
        QList<AccountFileRow> rows;
        QString refusal; ///< empty when the file was read; else why it was not, for the log
        bool isRefused() const { return !refusal.isEmpty(); }
    };

    /// The rows of the account file the panel sent (UTF-8 CSV), parsed in memory by its structure:
    /// only the first record can be the header, and quoted fields keep every character. Every byte
    /// counts, NUL bytes included. A file that is not UTF-8, holds a NUL, ends inside quotes or has a
    /// record that is no user (fewer than four fields, or no name) is refused whole, with no rows:
    /// read as "fewer users", it would make the panel drop the users the console never saw. Blank
    /// lines hold no user and are passed over.
    static Parsed parse(const QByteArray &file);

    /// Merges the rows; deviceId is the panel's device (0: not a managed device, users are taken
    /// in without assignments). All or nothing: false, with nothing written, when the console's
    /// users, the device's users or the multi-user settings cannot be read or a new user cannot be stored. The caller
    /// must then not send the console's list, or the panel would lose the users that were not taken in.
    bool merge(const QList<AccountFileRow> &rows, quint32 deviceId);

private:
    bool mergeRows(const QList<AccountFileRow> &rows, quint32 deviceId);

    OrvantaDBIntf *m_db;
};
