#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaObject>
#include <QPushButton>

#include "shell/kit/FormStyle.h"
#include "shell/kit/TextLabel.h"

class Ui_ManagementGroupDialog
{
public:
    QFrame *frameContent;
    QLabel *labelTitle;
    QListWidget *listGroups;
    QPushButton *btnNewGroup;
    QPushButton *btnDeleteGroup;
    QLabel *lbGroupName;
    QLineEdit *editGroupName;
    QLabel *lbMembers;
    QListWidget *listMembers;
    TextLabel *labelWarning;
    QPushButton *btnClose;
    QPushButton *btnSave;

    void setupUi(QDialog *ManagementGroupDialog)
    {
        if (ManagementGroupDialog->objectName().isEmpty())
            ManagementGroupDialog->setObjectName(QStringLiteral("ManagementGroupDialog"));
        ManagementGroupDialog->resize(600, 440);

        frameContent = new QFrame(ManagementGroupDialog);
        frameContent->setObjectName(QStringLiteral("frameContent"));
        frameContent->setGeometry(QRect(0, 0, 600, 440));
        frameContent->setStyleSheet(QStringLiteral("QFrame#frameContent{\nbackground-color:#404040;\n}\n"));

        labelTitle = FormStyle::caption(frameContent, "labelTitle", QRect(30, 16, 540, 28));
        labelTitle->setStyleSheet(QStringLiteral("color: #00acff;\nfont-size:11.25pt; font-family:Arial;"));

        listGroups = FormStyle::checkList(frameContent, "listGroups", QRect(30, 56, 200, 280));
        listGroups->setSelectionMode(QAbstractItemView::SingleSelection);
        listGroups->setFocusPolicy(Qt::StrongFocus);
        btnNewGroup = FormStyle::button(frameContent, "btnNewGroup", QRect(30, 346, 96, 28), false);
        btnDeleteGroup = FormStyle::button(frameContent, "btnDeleteGroup", QRect(134, 346, 96, 28), false);

        lbGroupName = FormStyle::caption(frameContent, "lbGroupName", QRect(250, 56, 110, 28));
        editGroupName = FormStyle::lineEdit(frameContent, "editGroupName", QRect(360, 56, 210, 28));
        lbMembers = FormStyle::caption(frameContent, "lbMembers", QRect(250, 98, 320, 28));
        listMembers = FormStyle::checkList(frameContent, "listMembers", QRect(250, 128, 320, 208));

        labelWarning = new TextLabel(frameContent);
        labelWarning->setObjectName(QStringLiteral("labelWarning"));
        labelWarning->setGeometry(QRect(250, 350, 320, 20));
        labelWarning->hide();

        btnClose = FormStyle::button(frameContent, "btnClose", QRect(370, 396, 96, 28), false);
        btnSave = FormStyle::button(frameContent, "btnSave", QRect(474, 396, 96, 28), true);

        retranslateUi(ManagementGroupDialog);
        QMetaObject::connectSlotsByName(ManagementGroupDialog);
    }

    void retranslateUi(QDialog *ManagementGroupDialog)
    {
        ManagementGroupDialog->setWindowTitle(QCoreApplication::translate("ManagementGroupDialog", "Dialog"));
        btnNewGroup->setText(QCoreApplication::translate("ManagementGroupDialog", "New Group"));
        btnDeleteGroup->setText(QCoreApplication::translate("ManagementGroupDialog", "Delete"));
        lbGroupName->setText(QCoreApplication::translate("ManagementGroupDialog", "Group Name:"));
        lbMembers->setText(QCoreApplication::translate("ManagementGroupDialog", "Members:"));
        editGroupName->setPlaceholderText(QCoreApplication::translate("ManagementGroupDialog", "e.g. Building A"));
        btnClose->setText(QCoreApplication::translate("ManagementGroupDialog", "Close"));
        btnSave->setText(QCoreApplication::translate("ManagementGroupDialog", "Save"));
    }
};
