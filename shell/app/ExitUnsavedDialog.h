#pragma once

#include <QDialog>

#include "datastore/DbResult.h"
#include "shell/app/Ui_ExitUnsavedDialog.h"
#include "shell/kit/FormScale.h"

/// The question at Exit while the database refuses writes: how many records are not saved yet and why, and whether to
/// wait for them ("Wait": the console ends by itself once they are saved) or quit without them.
class ExitUnsavedDialog : public QDialog, public Ui_ExitUnsavedDialog
{
    Q_OBJECT
public:
    explicit ExitUnsavedDialog(QWidget *parent = nullptr);
    ~ExitUnsavedDialog() override;

    /// Shows how many records are not saved yet, and what keeps them out of the database.
    void setRecords(int records, DbHoldCause cause);

public slots:
    /// "Quit".
    void accept() override;
    /// "Wait", Escape or the title bar's close.
    void reject() override;

signals:
    void waitChosen();
    void quitChosen();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void scaleUi(bool rescale);
    void showRecords();

    FormScale formScale;
    int m_records = 0;
    DbHoldCause m_cause = DbHoldCause::AnotherProgram;
};
