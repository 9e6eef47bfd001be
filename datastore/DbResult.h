#pragma once

#include <QtGlobal>

// Result codes of every database operation (OrvantaDBIntf). Failures are codes, never exceptions.

constexpr quint32 DB_OK = 0;                                ///< success
constexpr quint32 DB_ROW_NOT_FOUND = 0xC0000002u;           ///< a row that the operation needs does not exist
constexpr quint32 DB_BAD_ARGUMENT = 0xC0000003u;            ///< non-empty output list, empty key or name, key 0, ...
constexpr quint32 DB_STATEMENT_FAILED = 0xC0000004u;        ///< preparing or executing a statement failed
constexpr quint32 DB_DEVICE_NAME_EXISTS = 0xC0010000u;      ///< the device name is taken
constexpr quint32 DB_MAC_EXISTS = 0xC0010001u;              ///< the MAC address is taken
constexpr quint32 DB_GROUP_NAME_EXISTS = 0xC0010002u;       ///< the group name is taken
constexpr quint32 DB_ACCOUNT_PASSWORD_EXISTS = 0xC0010003u; ///< the account password is taken

/// A state or report row written late (held while another program held the database) finds nothing to set when the
/// operator deleted its schedule meanwhile: that is no failure, and nothing is lost.
inline quint32 goneIsDone(quint32 rc)
{
    return rc == DB_ROW_NOT_FOUND ? DB_OK : rc;
}

/// What made a statement fail, as far as a caller must tell the operator: what the statement was given, or the
/// database file itself, which refuses every other write as well until the cause is removed.
enum class DbFailure
{
    None,     ///< no statement failed
    Refused,  ///< the statement's own values or text (a constraint, a value too big, an SQL error)
    DiskFull, ///< the disk, or the size the database may grow to, is full
    ReadOnly, ///< the database file may not be written
    Storage   ///< the file could not be read or written otherwise (an I/O error, a damaged or locked file, no memory)
};

/// What keeps held writes out of the database for now, as the operator is told it: another program holds the database
/// (busy, locked), its disk is full, or its file could not be read or written (an I/O error).
enum class DbHoldCause
{
    AnotherProgram,
    DiskFull,
    FileError
};
