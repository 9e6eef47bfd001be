#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

#include "shell/kit/Ui_EventLogDialog.h"

class EventLogModel;
class GeneralMsgDialog;
class OrvantaDBIntf;

/// The console's event log: one row per stored emergency event, oldest first, opened at the newest; exportable as a
/// text file. The rows come from EventLogModel, which reads the log a page at a time: the table holds
/// the rows in view, and its scroll bar (scrollBarLog) goes over the whole log.
class EventLogDialog : public QDialog, public Ui_EventLogDialog
{
    Q_OBJECT
public:
    explicit EventLogDialog(QWidget *parent = nullptr);
    ~EventLogDialog() override;

    /// Reads the log anew, shows its newest rows, switches between table and empty panel, centres.
    void initial();
    /// Scales the form by the UI scale factor.
    void adjustColumns(bool rescale);

    EventLogModel *logModel() const { return model; }

    /// The export's text: the header line, then one line per row; every cell is followed by
    /// three blanks and every line ends with "\n".
    static QString exportText(const QStringList &headers, const QList<QStringList> &rows);

public slots:
    /// Writes every row of the log to a file the operator chooses, on a thread of its own; a failure is told.
    void btnExportClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// initial() without the centring: the constructor centres once the form is scaled.
    void readLog();
    void showMessage(const QString &text);
    // The rows the table has room for, and the scroll bar's place over its right edge.
    void layoutRows();
    void followModel();

    OrvantaDBIntf *dbIntf = nullptr;
    EventLogModel *model = nullptr;
    double appliedScale = 0.0;
    GeneralMsgDialog *messageDialog = nullptr;
};
