#pragma once

#include "broadcast/BroadcastForm.h"
#include <QCoreApplication>
#include <QFont>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QWidget>

/// The Broadcast page, 940 × 641 at scale 1.0: the three tabs and "Add Broadcast" above a stack of three one-column
/// tables, each with the guide that stands in for it while it is empty, and the saved message.
class Ui_Broadcast
{
public:
    QFrame *Frame;
    QToolButton *btnAddBroadcast;
    QLabel *labelLine_2;
    QToolButton *btnCompleted;
    QLabel *labelLine;
    QToolButton *btnUpcoming;
    QToolButton *btnPending;
    QStackedWidget *stackedWidget;
    QWidget *pagePending;
    QFrame *guideWidgetBroadcastPending;
    QLabel *labelPendingIcon;
    QLabel *labelPendingTitle;
    QLabel *labelPendingHint;
    QTableWidget *tableWidgetPending;
    QWidget *pageUpcoming;
    QFrame *guideWidgetBroadcastUpcoming;
    QLabel *labelUpcomingIcon;
    QLabel *labelUpcomingTitle;
    QLabel *labelUpcomingHint;
    QTableWidget *tableWidgetUpcoming;
    QWidget *pageCompleted;
    QFrame *guideWidgetBroadcastCompleted;
    QLabel *labelCompletedIcon;
    QLabel *labelCompletedTitle;
    QLabel *labelCompletedHint;
    QTableWidget *tableWidgetCompleted;
    QLabel *labelMessage;

    static QString tableStyle()
    {
        return QStringLiteral(
                   "QTableWidget{background-color: #666666;border: 1px solid #1a1a1a;font-size:10pt;font-family:Arial;}"
                   "QTableWidget::item{border-bottom: 1px solid #5a5a5a;}") +
               tableScrollBarStyle();
    }

    static QTableWidget *createTable(QWidget *page, const char *name)
    {
        auto *table = new QTableWidget(page);
        table->setObjectName(QLatin1String(name));
        table->setGeometry(QRect(0, 0, 890, 556));
        table->setFont(arialFont(10));
        table->setShowGrid(false);
        table->setColumnCount(1);
        table->horizontalHeader()->setVisible(false);
        table->verticalHeader()->setVisible(false);
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        table->setStyleSheet(tableStyle());
        return table;
    }

    static QFrame *createGuide(QWidget *page, const char *name, QLabel **icon, QLabel **title, QLabel **hint)
    {
        auto *guide = new QFrame(page);
        guide->setObjectName(QLatin1String(name));
        guide->setGeometry(QRect(245, 140, 400, 230));
        guide->setStyleSheet(
            QStringLiteral("QFrame#%1{background-color: #787878;border-radius: 5px;}").arg(QLatin1String(name)));
        *icon = new QLabel(guide);
        (*icon)->setGeometry(QRect(152, 22, 96, 96));
        (*icon)->setStyleSheet(QStringLiteral("border-image: url(:/resource/broadcast/guide_broadcast.png);"));
        *title = new QLabel(guide);
        (*title)->setGeometry(QRect(10, 132, 380, 32));
        (*title)->setFont(arialFont(14, true));
        (*title)->setAlignment(Qt::AlignCenter);
        (*title)->setStyleSheet(QStringLiteral("color: #ffffff;font-size:14pt;"));
        *hint = new QLabel(guide);
        (*hint)->setGeometry(QRect(10, 172, 380, 30));
        (*hint)->setFont(arialFont(10));
        (*hint)->setAlignment(Qt::AlignCenter);
        (*hint)->setTextFormat(Qt::RichText);
        (*hint)->setStyleSheet(QStringLiteral("color: #f3f3f3;font-size:10pt;"));
        return guide;
    }

    static QToolButton *createTab(QWidget *parent, const char *name, int x)
    {
        auto *button = new QToolButton(parent);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(QRect(x, 15, 110, 40));
        button->setFont(arialFont(11));
        button->setCursor(Qt::PointingHandCursor);
        return button;
    }

    static QLabel *createLine(QWidget *parent, const char *name, int x)
    {
        auto *line = new QLabel(parent);
        line->setObjectName(QLatin1String(name));
        line->setGeometry(QRect(x, 27, 1, 16));
        line->setStyleSheet(QStringLiteral("background-color: #666666;"));
        return line;
    }

    void setupUi(QFrame *Broadcast)
    {
        if (Broadcast->objectName().isEmpty())
            Broadcast->setObjectName(QStringLiteral("Broadcast"));
        Broadcast->resize(940, 641);
        Broadcast->setStyleSheet(QStringLiteral("QFrame#Broadcast{background-color: #3f3f3f;}"));

        Frame = new QFrame(Broadcast);
        Frame->setObjectName(QStringLiteral("Frame"));
        Frame->setGeometry(QRect(0, 0, 940, 62));
        btnAddBroadcast = new QToolButton(Frame);
        btnAddBroadcast->setObjectName(QStringLiteral("btnAddBroadcast"));
        btnAddBroadcast->setGeometry(QRect(755, 18, 160, 32));
        btnAddBroadcast->setFont(arialFont(10));
        btnAddBroadcast->setCursor(Qt::PointingHandCursor);
        btnAddBroadcast->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        btnAddBroadcast->setIcon(QIcon(QStringLiteral(":/resource/broadcast/icon_add.png")));
        btnAddBroadcast->setIconSize(QSize(14, 14));
        btnAddBroadcast->setStyleSheet(
            QStringLiteral("QToolButton{background-color: #0a84c6;color: #ffffff;border: none;border-radius: 4px;"
                           "font-size:10pt; font-family:Arial;padding-left:14px;padding-right:14px;}"
                           "QToolButton:hover{background-color: #1b9be0;}"
                           "QToolButton:pressed{background-color: #086a9f;}"));
        labelLine_2 = createLine(Frame, "labelLine_2", 250);
        btnCompleted = createTab(Frame, "btnCompleted", 252);
        labelLine = createLine(Frame, "labelLine", 137);
        btnUpcoming = createTab(Frame, "btnUpcoming", 139);
        btnPending = createTab(Frame, "btnPending", 25);

        stackedWidget = new QStackedWidget(Broadcast);
        stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
        stackedWidget->setGeometry(QRect(25, 65, 890, 556));
        pagePending = new QWidget;
        pagePending->setObjectName(QStringLiteral("pagePending"));
        guideWidgetBroadcastPending = createGuide(pagePending, "guideWidgetBroadcastPending", &labelPendingIcon,
                                                  &labelPendingTitle, &labelPendingHint);
        tableWidgetPending = createTable(pagePending, "tableWidgetPending");
        stackedWidget->addWidget(pagePending);
        pageUpcoming = new QWidget;
        pageUpcoming->setObjectName(QStringLiteral("pageUpcoming"));
        guideWidgetBroadcastUpcoming = createGuide(pageUpcoming, "guideWidgetBroadcastUpcoming", &labelUpcomingIcon,
                                                   &labelUpcomingTitle, &labelUpcomingHint);
        tableWidgetUpcoming = createTable(pageUpcoming, "tableWidgetUpcoming");
        stackedWidget->addWidget(pageUpcoming);
        pageCompleted = new QWidget;
        pageCompleted->setObjectName(QStringLiteral("pageCompleted"));
        guideWidgetBroadcastCompleted = createGuide(pageCompleted, "guideWidgetBroadcastCompleted", &labelCompletedIcon,
                                                    &labelCompletedTitle, &labelCompletedHint);
        tableWidgetCompleted = createTable(pageCompleted, "tableWidgetCompleted");
        stackedWidget->addWidget(pageCompleted);
        // The guides lie over their empty tables.
        for (QFrame *guide : {guideWidgetBroadcastPending, guideWidgetBroadcastUpcoming, guideWidgetBroadcastCompleted})
            guide->raise();

        labelMessage = new QLabel(Broadcast);
        labelMessage->setObjectName(QStringLiteral("labelMessage"));
        labelMessage->setGeometry(QRect(370, 22, 200, 26));
        labelMessage->setFont(arialFont(10));
        labelMessage->setAlignment(Qt::AlignCenter);
        labelMessage->setStyleSheet(QStringLiteral("color: #ffffff;background-color: #2f8f4e;border-radius: 4px;"
                                                   "font-size:10pt;"));

        retranslateUi(Broadcast);
        stackedWidget->setCurrentIndex(0);
    }

    void retranslateUi(QFrame *Broadcast)
    {
        Q_UNUSED(Broadcast)
        btnAddBroadcast->setText(QCoreApplication::translate("Broadcast", "Add Broadcast"));
        btnPending->setText(QCoreApplication::translate("Broadcast", "Pending"));
        btnUpcoming->setText(QCoreApplication::translate("Broadcast", "Upcoming"));
        btnCompleted->setText(QCoreApplication::translate("Broadcast", "Completed"));
        const QString hint =
            QStringLiteral("<span style=\"font-size:10pt;\">%1</span><span style=\"font-size:11pt;font-weight:600;\">"
                           "%2</span><span style=\"font-size:10pt;\">%3</span>")
                .arg(QCoreApplication::translate("Broadcast", "Click &quot;"),
                     QCoreApplication::translate("Broadcast", "Add broadcast"),
                     QCoreApplication::translate("Broadcast", "&quot; to start."));
        labelPendingTitle->setText(QCoreApplication::translate("Broadcast", "Let's broadcast now"));
        labelUpcomingTitle->setText(QCoreApplication::translate("Broadcast", "It's quiet in here..."));
        labelCompletedTitle->setText(QCoreApplication::translate("Broadcast", "No broadcast yet"));
        for (QLabel *label : {labelPendingHint, labelUpcomingHint, labelCompletedHint})
            label->setText(hint);
        labelMessage->setText(QCoreApplication::translate("Broadcast", "Message"));
    }
};
