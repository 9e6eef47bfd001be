#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>
#include <QWidget>

class Ui_EventLogDialog
{
public:
    QWidget *widget;
    QLabel *label;
    QToolButton *btnExport;
    QTableView *tableWidgetLogContent;
    // The table's scroll bar goes over the whole log, of which the table holds only the rows in view.
    QScrollBar *scrollBarLog;
    QWidget *headerList;
    QLabel *headerDeviceName;
    QLabel *headerEvent;
    QLabel *headerTime;
    QLabel *headerRightBorder;
    QWidget *widgetEmptyLog;
    QLabel *label_4;
    QLabel *label_5;
    QLabel *label_9;

    void setupUi(QDialog *EventLogDialog)
    {
        if (EventLogDialog->objectName().isEmpty())
            EventLogDialog->setObjectName(QStringLiteral("EventLogDialog"));
        EventLogDialog->resize(890, 580);
        EventLogDialog->setStyleSheet(QStringLiteral("QDialog#EventLogDialog{background-color: #404040;}"));

        widget = new QWidget(EventLogDialog);
        widget->setObjectName(QStringLiteral("widget"));
        widget->setGeometry(QRect(0, 0, 890, 32));
        widget->setAttribute(Qt::WA_StyledBackground, true);
        widget->setStyleSheet(QStringLiteral(
            "QWidget#widget{border-image: url(:/resource/connectedList/bg_event_log_title.png);border:none;}"));

        label = new QLabel(widget);
        label->setObjectName(QStringLiteral("label"));
        label->setGeometry(QRect(30, 0, 400, 32));
        label->setStyleSheet(QStringLiteral("QLabel{color: #1db5ff;font-family:Arial;font-size:12pt;}"));
        label->setAlignment(Qt::AlignLeading | Qt::AlignVCenter);

        btnExport = new QToolButton(EventLogDialog);
        btnExport->setObjectName(QStringLiteral("btnExport"));
        btnExport->setGeometry(QRect(739, 52, 115, 22));
        btnExport->setCursor(Qt::PointingHandCursor);
        btnExport->setStyleSheet(
            QStringLiteral("QToolButton{border-image: url(:/resource/frameLayout/btn_text_e_normal.PNG);"
                           "border:none;color: #000000;font-family:Arial;font-size:10pt;}"
                           "QToolButton:hover{border-image: url(:/resource/frameLayout/btn_text_e_hover.PNG);}"
                           "QToolButton:pressed{border-image: url(:/resource/frameLayout/btn_text_e_pressed.PNG);}"
                           "QToolButton:disabled{border-image: url(:/resource/frameLayout/btn_text_e_disabled.PNG);"
                           "color: #a0a0a0;}"));

        tableWidgetLogContent = new QTableView(EventLogDialog);
        tableWidgetLogContent->setObjectName(QStringLiteral("tableWidgetLogContent"));
        tableWidgetLogContent->setGeometry(QRect(30, 92, 824, 437));
        tableWidgetLogContent->setFrameShape(QFrame::NoFrame);
        tableWidgetLogContent->setStyleSheet(QStringLiteral(
            "QTableView{background-color: #787878;border: none;color: #ffffff;font-family:Arial;font-size:10pt;}"
            "QTableView::item{padding-left:8px;border-bottom: 1px solid #404040;}"
            "QHeaderView::section{border-image: url(:/resource/connectedList/bg_table_title.png);border:none;"
            "color: #ffffff;font-family:Arial;font-size:10pt;padding-left:10px;min-height:25px;}"
            "QScrollBar:vertical{width:12px;background: #5a5a5a;margin:0px;border:none;}"
            "QScrollBar::handle:vertical{background: #a0a0a0;min-height:24px;border-radius:4px;margin:2px;}"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical{height:0px;}"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical{background: none;}"));

        // Over the table's right edge, where the table's own bar was; placed by the dialog.
        scrollBarLog = new QScrollBar(Qt::Vertical, tableWidgetLogContent);
        scrollBarLog->setObjectName(QStringLiteral("scrollBarLog"));
        scrollBarLog->setStyleSheet(QStringLiteral(
            "QScrollBar:vertical{width:12px;background: #5a5a5a;margin:0px;border:none;}"
            "QScrollBar::handle:vertical{background: #a0a0a0;min-height:24px;border-radius:4px;margin:2px;}"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical{height:0px;}"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical{background: none;}"));

        headerList = new QWidget(EventLogDialog);
        headerList->setObjectName(QStringLiteral("headerList"));
        headerList->setGeometry(QRect(30, 90, 824, 25));
        headerDeviceName = new QLabel(headerList);
        headerDeviceName->setObjectName(QStringLiteral("headerDeviceName"));
        headerDeviceName->setGeometry(QRect(0, 0, 224, 25));
        headerEvent = new QLabel(headerList);
        headerEvent->setObjectName(QStringLiteral("headerEvent"));
        headerEvent->setGeometry(QRect(224, 0, 300, 25));
        headerTime = new QLabel(headerList);
        headerTime->setObjectName(QStringLiteral("headerTime"));
        headerTime->setGeometry(QRect(524, 0, 299, 25));
        headerRightBorder = new QLabel(headerList);
        headerRightBorder->setObjectName(QStringLiteral("headerRightBorder"));
        headerRightBorder->setGeometry(QRect(823, 0, 1, 25));

        widgetEmptyLog = new QWidget(EventLogDialog);
        widgetEmptyLog->setObjectName(QStringLiteral("widgetEmptyLog"));
        widgetEmptyLog->setGeometry(QRect(140, 208, 595, 244));
        widgetEmptyLog->setAttribute(Qt::WA_StyledBackground, true);
        widgetEmptyLog->setStyleSheet(
            QStringLiteral("QWidget#widgetEmptyLog{background-color: #8b8b8b;border-radius: 5px;}"));
        label_4 = new QLabel(widgetEmptyLog);
        label_4->setObjectName(QStringLiteral("label_4"));
        label_4->setGeometry(QRect(265, 44, 64, 64));
        label_4->setStyleSheet(
            QStringLiteral("QLabel{border-image: url(:/resource/connectedList/icon_event_log.png);border:none;}"));
        label_5 = new QLabel(widgetEmptyLog);
        label_5->setObjectName(QStringLiteral("label_5"));
        label_5->setGeometry(QRect(20, 124, 555, 40));
        label_5->setStyleSheet(
            QStringLiteral("QLabel{color: #ffffff;font-family:Arial;font-size:18pt;font-weight:bold;}"));
        label_5->setAlignment(Qt::AlignCenter);
        label_9 = new QLabel(widgetEmptyLog);
        label_9->setObjectName(QStringLiteral("label_9"));
        label_9->setGeometry(QRect(20, 170, 555, 50));
        label_9->setStyleSheet(QStringLiteral("QLabel{color: #ffffff;font-family:Arial;font-size:9.75pt;}"));
        label_9->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label_9->setWordWrap(true);

        retranslateUi(EventLogDialog);
    }

    void retranslateUi(QDialog *EventLogDialog)
    {
        EventLogDialog->setWindowTitle(QCoreApplication::translate("EventLogDialog", "Event Log"));
        label->setText(QCoreApplication::translate("EventLogDialog", "Event Log"));
        btnExport->setText(QCoreApplication::translate("EventLogDialog", "Export Log"));
        headerDeviceName->setText(QCoreApplication::translate("EventLogDialog", "Device Name"));
        headerEvent->setText(QCoreApplication::translate("EventLogDialog", "Event"));
        headerTime->setText(QCoreApplication::translate("EventLogDialog", "Time"));
        label_5->setText(QCoreApplication::translate("EventLogDialog", "No events."));
        label_9->setText(QString());
    }
};
