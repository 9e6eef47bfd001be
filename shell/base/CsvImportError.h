#pragma once

#include <QString>

/// The first problem an import of a CSV file found: 0-based column, 1-based file row (the header
/// is row 1), and the already translated reason. column < 0 means no problem. Every import
/// reports in this shape, so that one error window shows them all.
///
/// An import that stopped for a reason no cell of the file holds (the database could not be
/// written, the file has no row to import) has no column or row: stopped is set, and the message
/// alone says what happened.
struct CsvImportError
{
    int column = -1;
    int row = 0;
    QString message;
    bool stopped = false;

    bool isError() const { return column >= 0 || stopped; }
    static CsvImportError at(int column, int row, const QString &message)
    {
        CsvImportError error;
        error.column = column;
        error.row = row;
        error.message = message;
        return error;
    }
    static CsvImportError stoppedWith(const QString &message)
    {
        CsvImportError error;
        error.message = message;
        error.stopped = true;
        return error;
    }
};
