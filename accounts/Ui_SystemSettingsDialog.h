#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QWidget>

#include "shell/kit/ClickableLabel.h"
#include "shell/kit/FormStyle.h"
#include "shell/kit/KitForm.h"

/// The multi-user settings form: two sections of rows, each row a caption and, in three rows, a
/// link. The switches are not part of it: the dialog builds them afresh at each opening and
/// puts each at the trailing end of its row. The stretches of a row's layout give the widths to which its texts are
/// elided.
class Ui_SystemSettingsDialog
{
public:
    QFrame *frameContent;
    QWidget *widgetTitle;
    QLabel *labelAllDevices;
    QLabel *labelSystem;
    QFrame *lineSystem;
    QWidget *widgetSystem1;
    QHBoxLayout *layoutSystem1;
    QLabel *labelSystem1;
    QWidget *widgetSystem2;
    QHBoxLayout *layoutSystem2;
    QLabel *labelSystem2;
    QWidget *widgetSystem4;
    QHBoxLayout *layoutSystem4;
    QLabel *labelSystem4;
    QWidget *widgetSystem3;
    QHBoxLayout *layoutSystem3;
    QLabel *labelSystem3;
    ClickableLabel *labelSystem3_2;
    QLabel *labelSecurity;
    QFrame *lineSecurity;
    QWidget *widgetSecurity1;
    QHBoxLayout *layoutSecurity1;
    QLabel *labelSecurity1;
    ClickableLabel *labelSecurity1_2;
    QWidget *widgetSecurity2;
    QHBoxLayout *layoutSecurity2;
    QLabel *labelSecurity2;
    ClickableLabel *labelSecurity2_2;
    QPushButton *btnCancel;
    QPushButton *btnSave;

    /// A row's width is shared by stretches that sum to its width in pixels: the caption, the link
    /// (rows without one give its part to the caption) and the switch.
    static constexpr int SwitchStretch = 50;

    void setupUi(QDialog *SystemSettingsDialog)
    {
        if (SystemSettingsDialog->objectName().isEmpty())
            SystemSettingsDialog->setObjectName(QStringLiteral("SystemSettingsDialog"));
        SystemSettingsDialog->resize(455, 384);

        frameContent = createContentFrame(SystemSettingsDialog, QRect(0, 0, 455, 384));

        widgetTitle = new QWidget(frameContent);
        widgetTitle->setObjectName(QStringLiteral("widgetTitle"));
        widgetTitle->setGeometry(QRect(0, 0, 455, 32));
        widgetTitle->setStyleSheet(QStringLiteral(
            "QWidget#widgetTitle{border-image: url(:/resource/accountMgt/im_title_setting_415x32.png);}"));
        labelAllDevices = new QLabel(widgetTitle);
        labelAllDevices->setObjectName(QStringLiteral("labelAllDevices"));
        labelAllDevices->setGeometry(QRect(25, 0, 405, 31));
        labelAllDevices->setStyleSheet(QStringLiteral("color: #00acff;\nfont-size:11.25pt; font-family:Arial;"));

        labelSystem = heading(frameContent, "labelSystem", 46);
        lineSystem = rule(frameContent, "lineSystem", 72);
        widgetSystem1 = row(frameContent, "widgetSystem1", 80, &layoutSystem1, &labelSystem1, "labelSystem1", 350);
        widgetSystem2 = row(frameContent, "widgetSystem2", 114, &layoutSystem2, &labelSystem2, "labelSystem2", 350);
        widgetSystem4 = row(frameContent, "widgetSystem4", 148, &layoutSystem4, &labelSystem4, "labelSystem4", 350);
        widgetSystem3 = row(frameContent, "widgetSystem3", 182, &layoutSystem3, &labelSystem3, "labelSystem3", 110,
                            &labelSystem3_2, 240);

        labelSecurity = heading(frameContent, "labelSecurity", 226);
        lineSecurity = rule(frameContent, "lineSecurity", 252);
        widgetSecurity1 = row(frameContent, "widgetSecurity1", 260, &layoutSecurity1, &labelSecurity1, "labelSecurity1",
                              160, &labelSecurity1_2, 190);
        widgetSecurity2 = row(frameContent, "widgetSecurity2", 294, &layoutSecurity2, &labelSecurity2, "labelSecurity2",
                              190, &labelSecurity2_2, 160);

        btnCancel = FormStyle::button(frameContent, "btnCancel", QRect(240, 340, 90, 28), false);
        btnSave = FormStyle::button(frameContent, "btnSave", QRect(340, 340, 90, 28), true);

        retranslateUi(SystemSettingsDialog);
        QMetaObject::connectSlotsByName(SystemSettingsDialog);
    }

    void retranslateUi(QDialog *SystemSettingsDialog)
    {
        Q_UNUSED(SystemSettingsDialog)
        labelAllDevices->setText(QCoreApplication::translate("SystemSettingsDialog", "All Devices"));
        labelSystem->setText(QCoreApplication::translate("SystemSettingsDialog", "System"));
        labelSecurity->setText(QCoreApplication::translate("SystemSettingsDialog", "Security"));
        // Each row text is its own tool tip too: the row may show it elided.
        const QList<QPair<QLabel *, QString>> texts = {
            {labelSystem1, QCoreApplication::translate("SystemSettingsDialog", "Setup from Server:")},
            {labelSystem2, QCoreApplication::translate("SystemSettingsDialog", "Multi user:")},
            {labelSystem4, QCoreApplication::translate("SystemSettingsDialog", "Enable guest user:")},
            {labelSystem3, QCoreApplication::translate("SystemSettingsDialog", "Login with card:")},
            {labelSystem3_2,
             QCoreApplication::translate("SystemSettingsDialog", "Password for creating card accounts")},
            {labelSecurity1, QCoreApplication::translate("SystemSettingsDialog", "Admin password:")},
            {labelSecurity1_2, QCoreApplication::translate("SystemSettingsDialog", "Change Password")},
            {labelSecurity2, QCoreApplication::translate("SystemSettingsDialog", "Bind admin card for login:")},
            {labelSecurity2_2, QCoreApplication::translate("SystemSettingsDialog", "Change Card")},
        };
        for (const auto &text : texts) {
            text.first->setText(text.second);
            text.first->setToolTip(text.second);
        }
        btnSave->setText(QCoreApplication::translate("SystemSettingsDialog", "Save"));
        btnCancel->setText(QCoreApplication::translate("SystemSettingsDialog", "Cancel"));
    }

private:
    static QLabel *heading(QWidget *parent, const char *name, int y)
    {
        QLabel *label = FormStyle::caption(parent, name, QRect(25, y, 405, 24));
        label->setStyleSheet(QStringLiteral("color: #00acff;\nfont-size:10.5pt; font-family:Arial; font-weight:bold;"));
        return label;
    }

    static QFrame *rule(QWidget *parent, const char *name, int y)
    {
        auto *line = new QFrame(parent);
        line->setObjectName(QLatin1String(name));
        line->setGeometry(QRect(25, y, 405, 1));
        line->setStyleSheet(QStringLiteral("background-color: #5a5a5a;"));
        return line;
    }

    /// A row 400 × 30 at y: the caption and, when link is given, a link. The switch's container
    /// joins the layout later, with SwitchStretch.
    static QWidget *row(QWidget *parent, const char *name, int y, QHBoxLayout **layout, QLabel **caption,
                        const char *captionName, int captionStretch, ClickableLabel **link = nullptr,
                        int linkStretch = 0)
    {
        auto *widget = new QWidget(parent);
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(QRect(28, y, 400, 30));
        *layout = new QHBoxLayout(widget);
        (*layout)->setContentsMargins(0, 0, 0, 0);
        (*layout)->setSpacing(0);
        *caption = FormStyle::caption(widget, captionName, QRect());
        // The stretches alone share the width; the texts are elided to their part.
        (*caption)->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        (*layout)->addWidget(*caption, captionStretch);
        if (link) {
            *link = new ClickableLabel(widget);
            (*link)->setObjectName(QLatin1String(captionName) + QStringLiteral("_2"));
            (*link)->setCursor(Qt::PointingHandCursor);
            (*link)->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            (*link)->setStyleSheet(QStringLiteral("QLabel{color: #646464; font-size:9.75pt; font-family:Arial;}\n"
                                                  "QLabel:hover{color: #ffffff;}\nQLabel:disabled{color: #646464;}"));
            (*layout)->addWidget(*link, linkStretch);
        }
        return widget;
    }
};
