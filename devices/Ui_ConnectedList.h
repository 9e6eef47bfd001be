#pragma once

#include <QCoreApplication>
#include <QFont>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include "shell/kit/CustComboBox.h"

/// The Device Control page's form: a header with the group filter, the state legend and the event-log button;
/// the device list, or in its place the empty-list and empty-group panels; the power commands below.
///
/// Pixel sizes here are those of scale 1.0; ConnectedList scales them.
class Ui_ConnectedList
{
public:
    QVBoxLayout *verticalLayout;
    QWidget *widgetHeader;
    QHBoxLayout *headerLayout;
    QLabel *labelGroup;
    CustComboBox *comboGroup;
    QLabel *labelOnline;
    QLabel *labelLocked;
    QLabel *labelKicked;
    QLabel *labelOffline;
    QToolButton *btnEventLog;
    QStackedWidget *stackedContent;
    QListWidget *listDevices;
    QWidget *pageEmpty;
    QLabel *labelEmptyIcon;
    QLabel *labelEmptyTitle;
    QLabel *labelEmptyHint;
    QToolButton *btnAddDevices;
    QWidget *pageEmptyGroup;
    QLabel *labelEmptyGroup;
    QWidget *widgetActions;
    QHBoxLayout *actionsLayout;
    QToolButton *btnSelectAll;
    QLabel *labelChosen;
    QLabel *labelPowerNote;
    QToolButton *btnPowerOn;
    QToolButton *btnPowerOff;
    QToolButton *btnReboot;

    static QString buttonStyle()
    {
        return QStringLiteral(
            "QToolButton{background-color: transparent;color: #ffffff;border: 1px solid #a6a6a6;border-radius: 4px;"
            "font-size:10pt; font-family:Arial;padding-left:12px;padding-right:12px;}\n"
            "QToolButton:hover{border: 1px solid #1db5ff;color: #1db5ff;}\n"
            "QToolButton:pressed{background-color: #333333;}\n"
            "QToolButton:disabled{border: 1px solid #5a5a5a;color: #7a7a7a;}");
    }

    static QString primaryButtonStyle()
    {
        return QStringLiteral("QToolButton{background-color: #0a84c6;color: #ffffff;border: none;border-radius: 4px;"
                              "font-size:10pt; font-family:Arial;padding-left:16px;padding-right:16px;}\n"
                              "QToolButton:hover{background-color: #1b9be0;}\n"
                              "QToolButton:pressed{background-color: #086a9f;}");
    }

    /// The group filter's sheet at scale s.
    static QString comboStyle(double s)
    {
        const auto px = [s](int v) { return QString::number(int(v * s + 1e-6)); };
        return QStringLiteral(
                   "QComboBox{color: #ffffff;background-color: #333333;border: 1px solid #7a7a7a;border-radius: 4px;"
                   "padding-left:%1px;}\n"
                   "QComboBox:hover{border: 1px solid #1db5ff;}\n"
                   "QComboBox::drop-down{border: none;width: %2px;}\n"
                   "QComboBox::down-arrow{image: url(:/resource/connectedList/icon_arrow_down.png);"
                   "width: %3px;height: %3px;}\n"
                   "QComboBox QAbstractItemView{color: #ffffff;background-color: #333333;border: 1px solid #7a7a7a;"
                   "outline: 0px;selection-background-color: #0a5f8f;}\n"
                   "QComboBox QAbstractItemView::item{min-height: %4px;padding-left: %1px;border: none;}")
            .arg(px(10), px(26), px(12), px(26));
    }

    /// The device list's sheet at scale s.
    static QString listStyle(double s)
    {
        const auto px = [s](int v) { return QString::number(int(v * s + 1e-6)); };
        return QStringLiteral(
                   "QListWidget{background-color: #333333;color: #ffffff;border: none;border-radius: %1px;"
                   "outline: none;padding: %2px;}\n"
                   "QListWidget::item{border: 1px solid transparent;border-radius: %1px;padding-top: %1px;}\n"
                   "QListWidget::item:hover{background-color: #3d3d3d;border: 1px solid #4f4f4f;}\n"
                   "QListWidget::item:selected{background-color: rgba(29, 181, 255, 45);border: 1px solid #1db5ff;"
                   "color: #ffffff;}\n"
                   "QScrollBar:vertical{background: transparent;width: %2px;margin: %1px 2px %1px 0px;}\n"
                   "QScrollBar::handle:vertical{background: #5a5a5a;border-radius: 4px;min-height: %3px;}\n"
                   "QScrollBar::handle:vertical:hover{background: #7a7a7a;}\n"
                   "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical{height: 0px;}\n"
                   "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical{background: transparent;}")
            .arg(px(6), px(10), px(30));
    }

    static QString legendStyle() { return QStringLiteral("QLabel{color: #d9d9d9;font-size:10pt; font-family:Arial;}"); }

    void setupUi(QWidget *ConnectedList)
    {
        if (ConnectedList->objectName().isEmpty())
            ConnectedList->setObjectName(QStringLiteral("ConnectedList"));
        ConnectedList->resize(940, 641);
        ConnectedList->setAttribute(Qt::WA_StyledBackground, true);
        ConnectedList->setStyleSheet(QStringLiteral("QWidget#ConnectedList{background-color: #3f3f3f;}"));

        verticalLayout = new QVBoxLayout(ConnectedList);
        verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
        verticalLayout->setContentsMargins(25, 18, 25, 18);
        verticalLayout->setSpacing(12);

        // Header
        widgetHeader = new QWidget(ConnectedList);
        widgetHeader->setObjectName(QStringLiteral("widgetHeader"));
        headerLayout = new QHBoxLayout(widgetHeader);
        headerLayout->setContentsMargins(0, 0, 0, 0);
        headerLayout->setSpacing(10);

        labelGroup = new QLabel(widgetHeader);
        labelGroup->setObjectName(QStringLiteral("labelGroup"));
        labelGroup->setStyleSheet(QStringLiteral("QLabel{color: #ffffff;font-size:10pt; font-family:Arial;}"));
        headerLayout->addWidget(labelGroup);

        comboGroup = new CustComboBox(widgetHeader);
        comboGroup->setObjectName(QStringLiteral("comboGroup"));
        comboGroup->setCursor(Qt::PointingHandCursor);
        comboGroup->setFixedSize(200, 28);
        // The font is set here, not in the sheet, so the sheet can be rebuilt for another scale without losing it.
        comboGroup->setFont(QFont(QStringLiteral("Arial"), 10));
        comboGroup->applyStyle(comboStyle(1.0));
        headerLayout->addWidget(comboGroup);
        headerLayout->addSpacing(18);

        auto legend = [this](const char *name) {
            auto *label = new QLabel(widgetHeader);
            label->setObjectName(QLatin1String(name));
            label->setTextFormat(Qt::RichText);
            label->setStyleSheet(legendStyle());
            headerLayout->addWidget(label);
            return label;
        };
        labelOnline = legend("labelOnline");
        labelLocked = legend("labelLocked");
        labelKicked = legend("labelKicked");
        labelOffline = legend("labelOffline");
        headerLayout->addStretch(1);

        btnEventLog = new QToolButton(widgetHeader);
        btnEventLog->setObjectName(QStringLiteral("btnEventLog"));
        btnEventLog->setCursor(Qt::PointingHandCursor);
        btnEventLog->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        btnEventLog->setIcon(QIcon(QStringLiteral(":/resource/connectedList/icon_event_log.png")));
        btnEventLog->setIconSize(QSize(16, 16));
        btnEventLog->setFixedHeight(28);
        btnEventLog->setStyleSheet(buttonStyle());
        headerLayout->addWidget(btnEventLog);
        verticalLayout->addWidget(widgetHeader);

        // Content
        stackedContent = new QStackedWidget(ConnectedList);
        stackedContent->setObjectName(QStringLiteral("stackedContent"));
        stackedContent->setStyleSheet(QStringLiteral(
            "QStackedWidget#stackedContent{background-color: #333333;border: 1px solid #1a1a1a;border-radius: 6px;}"));

        listDevices = new QListWidget(stackedContent);
        listDevices->setObjectName(QStringLiteral("listDevices"));
        listDevices->setViewMode(QListView::IconMode);
        listDevices->setMovement(QListView::Static);
        listDevices->setResizeMode(QListView::Adjust);
        listDevices->setFlow(QListView::LeftToRight);
        listDevices->setWrapping(true);
        listDevices->setUniformItemSizes(true);
        listDevices->setWordWrap(false);
        listDevices->setTextElideMode(Qt::ElideRight);
        listDevices->setSelectionMode(QAbstractItemView::MultiSelection);
        listDevices->setSelectionRectVisible(true);
        listDevices->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        listDevices->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        listDevices->setFocusPolicy(Qt::NoFocus);
        listDevices->setIconSize(QSize(64, 64));
        listDevices->setGridSize(QSize(128, 104));
        listDevices->setSpacing(0);
        listDevices->setFont(QFont(QStringLiteral("Arial"), 10));
        listDevices->setStyleSheet(listStyle(1.0));
        stackedContent->addWidget(listDevices);

        pageEmpty = new QWidget(stackedContent);
        pageEmpty->setObjectName(QStringLiteral("pageEmpty"));
        auto *emptyLayout = new QVBoxLayout(pageEmpty);
        emptyLayout->setSpacing(10);
        emptyLayout->addStretch(1);
        labelEmptyIcon = new QLabel(pageEmpty);
        labelEmptyIcon->setObjectName(QStringLiteral("labelEmptyIcon"));
        labelEmptyIcon->setAlignment(Qt::AlignCenter);
        labelEmptyIcon->setFixedHeight(96);
        emptyLayout->addWidget(labelEmptyIcon);
        labelEmptyTitle = new QLabel(pageEmpty);
        labelEmptyTitle->setObjectName(QStringLiteral("labelEmptyTitle"));
        labelEmptyTitle->setAlignment(Qt::AlignCenter);
        labelEmptyTitle->setStyleSheet(QStringLiteral("QLabel{color: #ffffff;font-size:14pt; font-family:Arial;}"));
        emptyLayout->addWidget(labelEmptyTitle);
        labelEmptyHint = new QLabel(pageEmpty);
        labelEmptyHint->setObjectName(QStringLiteral("labelEmptyHint"));
        labelEmptyHint->setAlignment(Qt::AlignCenter);
        labelEmptyHint->setWordWrap(true);
        labelEmptyHint->setStyleSheet(QStringLiteral("QLabel{color: #a6a6a6;font-size:10pt; font-family:Arial;}"));
        emptyLayout->addWidget(labelEmptyHint);
        emptyLayout->addSpacing(8);
        btnAddDevices = new QToolButton(pageEmpty);
        btnAddDevices->setObjectName(QStringLiteral("btnAddDevices"));
        btnAddDevices->setCursor(Qt::PointingHandCursor);
        btnAddDevices->setFixedHeight(32);
        btnAddDevices->setStyleSheet(primaryButtonStyle());
        emptyLayout->addWidget(btnAddDevices, 0, Qt::AlignHCenter);
        emptyLayout->addStretch(2);
        stackedContent->addWidget(pageEmpty);

        pageEmptyGroup = new QWidget(stackedContent);
        pageEmptyGroup->setObjectName(QStringLiteral("pageEmptyGroup"));
        auto *emptyGroupLayout = new QVBoxLayout(pageEmptyGroup);
        labelEmptyGroup = new QLabel(pageEmptyGroup);
        labelEmptyGroup->setObjectName(QStringLiteral("labelEmptyGroup"));
        labelEmptyGroup->setAlignment(Qt::AlignCenter);
        labelEmptyGroup->setStyleSheet(QStringLiteral("QLabel{color: #a6a6a6;font-size:11pt; font-family:Arial;}"));
        emptyGroupLayout->addWidget(labelEmptyGroup);
        stackedContent->addWidget(pageEmptyGroup);
        verticalLayout->addWidget(stackedContent, 1);

        // Power commands
        widgetActions = new QWidget(ConnectedList);
        widgetActions->setObjectName(QStringLiteral("widgetActions"));
        actionsLayout = new QHBoxLayout(widgetActions);
        actionsLayout->setContentsMargins(0, 0, 0, 0);
        actionsLayout->setSpacing(10);

        auto button = [this](const char *name, const char *icon) {
            auto *b = new QToolButton(widgetActions);
            b->setObjectName(QLatin1String(name));
            b->setCursor(Qt::PointingHandCursor);
            b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            b->setIcon(QIcon(QStringLiteral(":/resource/connectedList/") + QLatin1String(icon)));
            b->setIconSize(QSize(16, 16));
            b->setFixedHeight(32);
            b->setStyleSheet(buttonStyle());
            return b;
        };
        btnSelectAll = button("btnSelectAll", "icon_select_all.png");
        actionsLayout->addWidget(btnSelectAll);
        labelChosen = new QLabel(widgetActions);
        labelChosen->setObjectName(QStringLiteral("labelChosen"));
        labelChosen->setStyleSheet(QStringLiteral("QLabel{color: #a6a6a6;font-size:10pt; font-family:Arial;}"));
        actionsLayout->addSpacing(4);
        actionsLayout->addWidget(labelChosen);
        actionsLayout->addStretch(1);
        btnPowerOn = button("btnPowerOn", "icon_power_on.png");
        actionsLayout->addWidget(btnPowerOn);
        btnPowerOff = button("btnPowerOff", "icon_power_off.png");
        actionsLayout->addWidget(btnPowerOff);
        btnReboot = button("btnReboot", "icon_reboot.png");
        actionsLayout->addWidget(btnReboot);
        // Why Power On leaves some chosen devices out, over the buttons; shown only then.
        labelPowerNote = new QLabel(ConnectedList);
        labelPowerNote->setObjectName(QStringLiteral("labelPowerNote"));
        labelPowerNote->setStyleSheet(QStringLiteral("QLabel{color: #f0b429;font-size:10pt; font-family:Arial;}"));
        labelPowerNote->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        labelPowerNote->setWordWrap(true);
        labelPowerNote->hide();
        verticalLayout->addWidget(labelPowerNote);
        verticalLayout->addWidget(widgetActions);

        retranslateUi(ConnectedList);
    }

    void retranslateUi(QWidget *ConnectedList)
    {
        Q_UNUSED(ConnectedList)
        labelGroup->setText(QCoreApplication::translate("ConnectedList", "Group"));
        btnEventLog->setText(QCoreApplication::translate("ConnectedList", "Event Log"));
        labelEmptyTitle->setText(QCoreApplication::translate("ConnectedList", "No devices yet"));
        labelEmptyHint->setText(QCoreApplication::translate(
            "ConnectedList",
            "Add your panels, control boxes and audio boxes under Settings › Devices to control them here."));
        btnAddDevices->setText(QCoreApplication::translate("ConnectedList", "Add Devices"));
        labelEmptyGroup->setText(QCoreApplication::translate("ConnectedList", "This group has no devices."));
        btnSelectAll->setText(QCoreApplication::translate("ConnectedList", "Select All"));
        btnPowerOn->setText(QCoreApplication::translate("ConnectedList", "Power On"));
        btnPowerOn->setToolTip(QCoreApplication::translate("ConnectedList", "Wake the chosen offline devices"));
        btnPowerOff->setText(QCoreApplication::translate("ConnectedList", "Power Off"));
        btnPowerOff->setToolTip(QCoreApplication::translate("ConnectedList", "Turn the chosen online devices off"));
        btnReboot->setText(QCoreApplication::translate("ConnectedList", "Reboot"));
        btnReboot->setToolTip(QCoreApplication::translate("ConnectedList", "Restart the chosen online devices"));
    }
};
