#pragma once

#include <QCoreApplication>

#include "devices/Ui_ImportDialog.h"

/// The user import's window has the device import's form, object for object; only its texts
/// differ.
class Ui_ImportListDialog : public Ui_ImportDialog
{
public:
    void setupUi(QDialog *ImportListDialog)
    {
        if (ImportListDialog->objectName().isEmpty())
            ImportListDialog->setObjectName(QStringLiteral("ImportListDialog"));
        Ui_ImportDialog::setupUi(ImportListDialog);
        retranslateUi(ImportListDialog);
    }

    void retranslateUi(QDialog *ImportListDialog)
    {
        Q_UNUSED(ImportListDialog)
        btnImport->setText(QCoreApplication::translate("ImportListDialog", "Import"));
        labelMessage->setText(QCoreApplication::translate(
            "ImportListDialog", "You can download a sample file first to key in user information."));
        labelImportList->setText(QCoreApplication::translate("ImportListDialog", "Import List"));
        labelDownloadSample->setText(QCoreApplication::translate("ImportListDialog", "Download a sample file"));
    }
};
