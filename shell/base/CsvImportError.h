#pragma once

#include <QString>

/// The first problem an import of a CSV file found: 0-based column, 1-based file row (the header
/// is row 1), and the already translated reason. column < 0 means no problem. Every import
/// reports in this shape, so that one error window shows them all.
struct CsvImportError
{
    int column = -1;
    int row = 0;
    QString message;

    bool isError() const { return column >= 0; }
    static CsvImportError at(int column, int row, const QString &message)
    {
        CsvImportError error;
        error.column = column;
        error.row = row;
        error.message = message;
        return error;
    }
};
