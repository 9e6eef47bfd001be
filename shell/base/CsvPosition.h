#pragma once

#include <QString>

/// Where the end of a CSV text stands: the cell that the next character would belong to, counted as the shared
/// reader splits rows and cells for the imports (parseSpreadsheetCsv: quotes followed as it follows them; a CR LF, a
/// LF and a CR alone outside quotes each one line end). The imports point the operator at the cell that holds bytes
/// they cannot read.
struct CsvPosition
{
    int column = 0; ///< 0-based
    int row = 1;    ///< 1-based, the header being row 1

    static CsvPosition atEndOf(const QString &text);
};
