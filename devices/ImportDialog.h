#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

#include "datastore/VelkIFPDevice.h"
#include "devices/Ui_ImportDialog.h"
#include "shell/kit/FormScale.h"

class DeviceCsvImporter;
class GeneralMsgDialog;
class ImportErrorDialog;
class OrvantaDBIntf;

/// Bulk editing of the device list: "Download the existing file" exports every device with its
/// groups to CSV; "Import" reads such a file back (see DeviceCsvImporter).
class ImportDialog : public QDialog, public Ui_ImportDialog
{
    Q_OBJECT
public:
    explicit ImportDialog(QWidget *parent = nullptr);
    ~ImportDialog() override;

    /// 0 written, -1 the file cannot be written, -2 the devices cannot be read.
    int generateCsvFile(const QString &fileName);
    /// True when every row was applied; otherwise the error notice is showing (a message when the
    /// import stopped for a reason no cell holds: the database refused it and it kept nothing, or
    /// the file has no row after its header).
    bool importCsvFile(const QString &fileName);
    /// The first pass alone: true when every data row is well-formed, else shows the error.
    bool checkCsvRow(const QList<QStringList> &rows);
    /// Data rows applied by the last import, also when it stopped at an error.
    int appliedRows() const;
    void showImportError(int column, int row, const QString &message);

    bool isValidIpAddress(const QString &text) const;
    bool isValidMacAddress(const QString &text) const;

    ImportErrorDialog *errorDialog() const { return m_errorDialog; }

signals:
    /// The import wrote to the device list: the page reloads and tells the other lists.
    void updateDevice();
    void addDeviceSuccess(VelkIFPDevice device);

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void importButtonClicked();
    void exportDeviceFile();

private:
    void scaleUi(bool rescale);

    OrvantaDBIntf *m_db;
    ImportErrorDialog *m_errorDialog;
    void showMessage(const QString &text);

    GeneralMsgDialog *m_messageDialog = nullptr;
    DeviceCsvImporter *m_importer;
    FormScale m_scale;
};
