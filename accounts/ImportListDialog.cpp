#include "accounts/ImportListDialog.h"

#include "accounts/AccountsForm.h"
#include "accounts/core/UserCsv.h"
#include "accounts/core/UserCsvImporter.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/ImportErrorDialog.h"
#include "shell/base/Log.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

#include <QApplication>
#include <QFile>

ImportListDialog::ImportListDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    scaleUi(false);
    AccountsForm::setupDialog(this);
    db = OrvantaDBManager::getInstance();
    importErrorDialog = new ImportErrorDialog(nullptr);
    connect(btnImport, &QAbstractButton::clicked, this, &ImportListDialog::importButtonClicked);
    connect(labelDownloadSample, &ClickableLabel::clicked, this, &ImportListDialog::downloadExample);
}

ImportListDialog::~ImportListDialog()
{
    delete importErrorDialog;
    delete messageDialog;
}

void ImportListDialog::downloadExample()
{
    const QString chosen = FileChooser::instance()->getSaveFileName(
        this, tr("Save Directory"), FileChooser::startFolder(), QStringLiteral("CSV Files (*.csv)"));
    if (chosen.isEmpty())
        return;
    const QString fileName = FileChooser::withSuffix(chosen, QStringLiteral("csv"), nullptr);
    // A file of that name is never replaced; the operator is told so, since the save dialog may already have asked
    // whether to replace it and been answered yes.
    if (QFile::exists(fileName)) {
        writeLog(LOG_LEVEL_WARNING, "ImportListDialog::downloadExample, %s exists, not replaced", qPrintable(fileName));
        showMessage(FileChooser::keptExistingText(fileName));
        return;
    }
    if (!QFile::copy(UserCsv::templatePath(), fileName)) {
        writeLog(LOG_LEVEL_WARNING, "ImportListDialog::downloadExample, cannot write %s", qPrintable(fileName));
        showMessage(tr("The sample file could not be saved to this file."));
        return;
    }
    // The copy keeps the built-in file's read-only permissions; the operator is to fill it in.
    QFile::setPermissions(fileName, QFile::permissions(fileName) | QFile::WriteOwner | QFile::WriteUser);
}

void ImportListDialog::importButtonClicked()
{
    close();
    const QString fileName = FileChooser::instance()->getOpenFileName(
        this, tr("Open Directory"), FileChooser::startFolder(), QStringLiteral("CSV Files (*.csv)"));
    if (fileName.isEmpty())
        return;
    // The reader gives no rows for a file it cannot open, which would look like an empty file.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        writeLog(LOG_LEVEL_ERROR, "ImportListDialog::importButtonClicked, cannot read %s", qPrintable(fileName));
        showMessage(tr("The file could not be read."));
        return;
    }
    file.close();
    if (importCsvFile(fileName))
        emit updateMultiUser();
}

bool ImportListDialog::importCsvFile(const QString &fileName)
{
    UserCsvImporter importer(db);
    // A file of tens of thousands of rows takes a while; the window must not look frozen.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const UserCsvError error = importer.importFile(fileName);
    QApplication::restoreOverrideCursor();
    if (!error.isError())
        return true;
    // Stopped by the database, or by a file with no user in it, the import points at no cell: the message says why.
    if (error.stopped)
        showMessage(error.message);
    else
        showImportError(error.column, error.row, error.message);
    return false;
}

void ImportListDialog::showImportError(int column, int row, const QString &message)
{
    importErrorDialog->showAt(this, column, row, message);
}

void ImportListDialog::showMessage(const QString &text)
{
    if (!messageDialog)
        messageDialog = new GeneralMsgDialog();
    messageDialog->showOver(this, text);
}

void ImportListDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void ImportListDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, btnImport, labelDownloadSample, labelImportList, labelMessage, widget},
              rescale, false);
}
