#pragma once

#include <QDialog>

#include "accounts/Ui_ImportListDialog.h"
#include "shell/kit/FormScale.h"

class GeneralMsgDialog;
class ImportErrorDialog;
class OrvantaDBIntf;

/// Import List: saves the user-import template, and imports panel users from a CSV file
/// (see UserCsvImporter). A refused file is reported in the import-error window with the column
/// and row of its first error, and nothing of it is written.
class ImportListDialog : public QDialog, public Ui_ImportListDialog
{
    Q_OBJECT
public:
    explicit ImportListDialog(QWidget *parent = nullptr);
    ~ImportListDialog() override;

    /// Reads, checks and writes the file. False, with the error window showing, when the file was
    /// refused or could not be written; nothing of it is then in the database.
    bool importCsvFile(const QString &fileName);
    /// column is 0-based, row 1-based (the header is row 1).
    void showImportError(int column, int row, const QString &message);
    ImportErrorDialog *errorDialog() const { return importErrorDialog; }

signals:
    /// Users were imported: the account page rebuilds its table.
    void updateMultiUser();

public slots:
    void downloadExample();
    void importButtonClicked();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showMessage(const QString &text);
    void scaleUi(bool rescale);

    OrvantaDBIntf *db;
    ImportErrorDialog *importErrorDialog;
    GeneralMsgDialog *messageDialog = nullptr;
    FormScale formScale;
};
