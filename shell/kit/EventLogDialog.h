#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

#include "shell/kit/Ui_EventLogDialog.h"

class GeneralMsgDialog;
class OrvantaDBIntf;

/// The console's event log: one row per stored emergency event, exportable as a text file.
class EventLogDialog : public QDialog, public Ui_EventLogDialog
{
    Q_OBJECT
public:
    explicit EventLogDialog(QWidget *parent = nullptr);
    ~EventLogDialog() override;

    /// Reloads the events, fills the table, switches between table and empty panel, centres.
    void initial();
    /// Scales the form by the UI scale factor.
    void adjustColumns(bool rescale);

    /// The export's text: the header line, then one line per row; every cell is followed by
    /// three blanks and every line ends with "\n".
    static QString exportText(const QStringList &headers, const QList<QStringList> &rows);

public slots:
    void btnExportClicked();

private:
    void showMessage(const QString &text);

    OrvantaDBIntf *dbIntf = nullptr;
    double appliedScale = 0.0;
    GeneralMsgDialog *messageDialog = nullptr;
};
