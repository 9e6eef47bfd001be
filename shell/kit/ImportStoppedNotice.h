#pragma once

#include <QString>

#include "datastore/DbResult.h"

/// What the device and user imports say when the database file, not a row, stops them.
///
/// A write refused because the disk is full or the file may not be written is no fault of the row it
/// was at, and every later row would meet it too: naming that row ("Row 3001: ...") told the operator
/// that the rows before it were kept, when the whole import is undone.
class ImportStoppedNotice
{
public:
    /// Whether the failure lies with the database file rather than with the row being written.
    static bool stopsImport(DbFailure failure);
    /// The translated notice: the import stopped, nothing of the file was kept, and why.
    static QString text(DbFailure failure);
};
