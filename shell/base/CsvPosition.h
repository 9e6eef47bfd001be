#pragma once

#include <QString>

/// Where the end of a CSV text stands: the cell that the next character would belong to, counted as the shared
/// reader splits rows and cells (quotes followed as it follows them, a CR LF one line end). The imports point the
/// operator at the cell that holds bytes they cannot read.
struct CsvPosition
{
    int column = 0; ///< 0-based
    int row = 1;    ///< 1-based, the header being row 1

    /// loneCrEndsRow: a CR that stands alone outside quotes ends a row as well (old Mac files, as the user import
    /// reads them); otherwise it belongs to its cell.
    static CsvPosition atEndOf(const QString &text, bool loneCrEndsRow);
};
