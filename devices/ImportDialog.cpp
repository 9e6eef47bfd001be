#include "devices/ImportDialog.h"

#include <QFile>

#include "datastore/OrvantaDBManager.h"
#include "devices/DeviceCsv.h"
#include "devices/DeviceCsvExporter.h"
#include "devices/DeviceCsvImporter.h"
#include "devices/ImportErrorDialog.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

ImportDialog::ImportDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    m_db = OrvantaDBManager::getInstance();
    setWindowTitle(productName());
    setupSharedDialog(this);
    m_errorDialog = new ImportErrorDialog(nullptr);
    m_importer = new DeviceCsvImporter(m_db, this);
    connect(m_importer, &DeviceCsvImporter::addDeviceSuccess, this, &ImportDialog::addDeviceSuccess);
    connect(btnImport, &QToolButton::clicked, this, &ImportDialog::importButtonClicked);
    connect(labelDownloadSample, &ClickableLabel::clicked, this, &ImportDialog::exportDeviceFile);
}

ImportDialog::~ImportDialog()
{
    delete m_errorDialog;
}

void ImportDialog::exportDeviceFile()
{
    const QString chosen = FileChooser::instance()->getSaveFileName(
        this, tr("Save Directory"), FileChooser::startFolder(), QStringLiteral("CSV Files (*.csv)"));
    if (chosen.isEmpty())
        return;
    QString notice;
    const QString fileName =
        FileChooser::nameToSave(chosen, QStringLiteral("csv"), "ImportDialog::exportDeviceFile", &notice);
    if (fileName.isEmpty()) {
        showMessage(notice);
        return;
    }
    if (generateCsvFile(fileName) == DeviceCsvExporter::Written)
        return;
    showMessage(tr("The device list could not be saved to this file."));
}

void ImportDialog::showMessage(const QString &text)
{
    if (!m_messageDialog)
        m_messageDialog = new GeneralMsgDialog(this);
    m_messageDialog->showOver(this, text);
}

int ImportDialog::generateCsvFile(const QString &fileName)
{
    return DeviceCsvExporter::writeFile(m_db, fileName);
}

void ImportDialog::importButtonClicked()
{
    close();
    const QString fileName = FileChooser::instance()->getOpenFileName(
        this, tr("Open Directory"), FileChooser::startFolder(), QStringLiteral("CSV Files (*.csv)"));
    if (fileName.isEmpty())
        return;
    // The reader gives no rows for a file it cannot open, which would otherwise look like a file with
    // nothing to import.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        writeLog(LOG_LEVEL_ERROR, "ImportDialog::importButtonClicked, cannot read %s", qPrintable(fileName));
        showMessage(tr("The file could not be read."));
        return;
    }
    file.close();
    const bool complete = importCsvFile(fileName);
    // Rows before an error stay written; the lists must show them too.
    if (complete || m_importer->appliedRows() > 0)
        emit updateDevice();
}

bool ImportDialog::importCsvFile(const QString &fileName)
{
    const DeviceCsvError error = m_importer->importFile(fileName);
    if (!error.isError())
        return true;
    if (error.stopped)
        showMessage(error.message);
    else
        showImportError(error.column, error.row, error.message);
    return false;
}

bool ImportDialog::checkCsvRow(const QList<QStringList> &rows)
{
    const DeviceCsvError error = DeviceCsv::checkRows(rows);
    if (!error.isError())
        return true;
    showImportError(error.column, error.row, error.message);
    return false;
}

int ImportDialog::appliedRows() const
{
    return m_importer->appliedRows();
}

void ImportDialog::showImportError(int column, int row, const QString &message)
{
    m_errorDialog->showAt(this, column, row, message);
}

bool ImportDialog::isValidIpAddress(const QString &text) const
{
    return DeviceCsv::isValidIpAddress(text);
}

bool ImportDialog::isValidMacAddress(const QString &text) const
{
    return DeviceCsv::isValidMacAddress(text);
}

void ImportDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void ImportDialog::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, btnImport, labelDownloadSample, labelImportList, labelMessage, widget},
              rescale, false);
}
