#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QMetaObject>
#include <QToolButton>
#include <QWidget>

#include "shell/kit/ClickableLabel.h"
#include "shell/kit/KitForm.h"

class Ui_ImportDialog
{
public:
    QFrame *frameContent;
    QWidget *widget;
    QLabel *labelImportList;
    QLabel *labelMessage;
    ClickableLabel *labelDownloadSample;
    QToolButton *btnImport;

    void setupUi(QDialog *ImportDialog)
    {
        if (ImportDialog->objectName().isEmpty())
            ImportDialog->setObjectName(QStringLiteral("ImportDialog"));
        ImportDialog->resize(415, 235);

        QFont font;
        font.setFamily(QStringLiteral("Arial"));
        font.setPointSize(10);

        frameContent = new QFrame(ImportDialog);
        frameContent->setObjectName(QStringLiteral("frameContent"));
        frameContent->setGeometry(QRect(0, 0, 415, 235));
        frameContent->setStyleSheet(QStringLiteral("QFrame#frameContent{\nbackground-color:#404040;\n}\n"));
        frameContent->setFrameShape(QFrame::NoFrame);

        widget = new QWidget(frameContent);
        widget->setObjectName(QStringLiteral("widget"));
        widget->setGeometry(QRect(0, 0, 415, 32));
        widget->setStyleSheet(QStringLiteral("border-image: url(:/resource/accountMgt/im_title_setting_415x32.png);"));

        labelImportList = new QLabel(frameContent);
        labelImportList->setObjectName(QStringLiteral("labelImportList"));
        labelImportList->setGeometry(QRect(27, 0, 131, 31));
        labelImportList->setFont(font);
        labelImportList->setStyleSheet(QStringLiteral("color: #00acff;\nfont-size:11.25pt; font-family:Arial;"));

        labelMessage = new QLabel(frameContent);
        labelMessage->setObjectName(QStringLiteral("labelMessage"));
        labelMessage->setGeometry(QRect(54, 60, 307, 70));
        labelMessage->setFont(font);
        labelMessage->setStyleSheet(QStringLiteral("color: #ffffff;\nfont-size:9.75pt; font-family:Arial;"));
        labelMessage->setWordWrap(true);

        labelDownloadSample = new ClickableLabel(frameContent);
        labelDownloadSample->setObjectName(QStringLiteral("labelDownloadSample"));
        labelDownloadSample->setGeometry(QRect(107, 137, 191, 31));
        labelDownloadSample->setFont(font);
        labelDownloadSample->setCursor(Qt::PointingHandCursor);
        labelDownloadSample->setAlignment(Qt::AlignCenter);
        labelDownloadSample->setStyleSheet(QStringLiteral(
            "QLabel{color: #00acff;font-size:9.75pt; font-family:Arial;}\nQLabel:hover{color: #ffffff;}\n"
            "QLabel:pressed{color: #ffffff;}\nQLabel:disabled{color: #646464;}"));

        btnImport = createDialogButton(frameContent, QStringLiteral("btnImport"), QPoint(160, 197));

        retranslateUi(ImportDialog);
        QMetaObject::connectSlotsByName(ImportDialog);
    }

    void retranslateUi(QDialog *ImportDialog)
    {
        ImportDialog->setWindowTitle(QCoreApplication::translate("ImportDialog", "Dialog"));
        btnImport->setText(QCoreApplication::translate("ImportDialog", "Import"));
        labelMessage->setText(QCoreApplication::translate(
            "ImportDialog", "Please download the existing file to edit. If you manage the devices in the first "
                            "time, please download the existing file to edit, too."));
        labelImportList->setText(QCoreApplication::translate("ImportDialog", "Import List"));
        labelDownloadSample->setText(QCoreApplication::translate("ImportDialog", "Download the existing file"));
    }
};
