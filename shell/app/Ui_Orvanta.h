#pragma once

#include "shell/kit/ClickableLabel.h"
#include "shell/kit/CustomLineEditText.h"
#include "shell/kit/KitForm.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

class Ui_Orvanta
{
public:
    QWidget *centralWidgetUi;
    QStackedWidget *stackedWidget;
    QWidget *page_2;
    QWidget *widgetComboBox;
    QComboBox *groupComboBox;
    QWidget *widgetPassword;
    QLabel *lbPassword;
    CustomLineEditText *lineEditPassword;
    QLabel *label;
    QLabel *lbMessagePassword;
    QToolButton *btnLogin;
    QWidget *page;
    QWidget *widgetEmail;
    QLabel *lbPassword_2;
    CustomLineEditText *lineEditEmail;
    QLabel *label_2;
    QWidget *widgetEmailConfirm;
    QLabel *lbPassword_3;
    CustomLineEditText *lineEditEmailConfirm;
    QLabel *label_3;
    QLabel *lbMessageEmail;
    QToolButton *btnEnter;
    QWidget *widgetBottom;
    ClickableLabel *lbForgot;
    QToolButton *btnExit;
    QMenuBar *menuBar;
    QToolBar *mainToolBar;

    static QString badgeStyle()
    {
        return QStringLiteral("QLabel{background-color: #b40000;color: #ffffff;font-size:10pt; font-family:Arial;"
                              "font-weight: bold;border-radius: 5px;padding-left:10px;padding-right:10px;}");
    }

    static QString loginButtonStyle()
    {
        return QStringLiteral(
            "QToolButton{border-image: url(:/resource/Login/btn_login_normal.png);border:none;color: #ffffff;"
            "font-size:14pt; font-family:Arial;}\n"
            "QToolButton:hover{border-image: url(:/resource/Login/btn_login_hover.png);}\n"
            "QToolButton:pressed{border-image: url(:/resource/Login/btn_login_pressed.png);}\n"
            "QToolButton:disabled{border-image: url(:/resource/Login/btn_login_disabled.png);}");
    }

    static QLabel *line(QWidget *parent, const QString &name, const QRect &geometry)
    {
        auto *label = new QLabel(parent);
        label->setObjectName(name);
        label->setGeometry(geometry);
        label->setStyleSheet(QStringLiteral("background-color: rgb(29, 181, 255);"));
        return label;
    }

    static QLabel *icon(QWidget *parent, const QString &name, const QString &image)
    {
        auto *label = new QLabel(parent);
        label->setObjectName(name);
        label->setGeometry(QRect(0, 9, 24, 24));
        label->setStyleSheet(QStringLiteral("QLabel{border-image: url(%1);}").arg(image));
        return label;
    }

    static CustomLineEditText *field(QWidget *parent, const QString &name,
                                     PasswordFieldRule::Field rule = PasswordFieldRule::Entry)
    {
        auto *edit = new CustomLineEditText(parent, rule);
        edit->setObjectName(name);
        edit->setGeometry(QRect(34, 0, 266, 36));
        edit->setFont(arialFont(11));
        return edit;
    }

    static QLabel *badge(QWidget *parent, const QString &name, const QRect &geometry)
    {
        auto *label = new QLabel(parent);
        label->setObjectName(name);
        label->setGeometry(geometry);
        label->setFont(arialFont(10, true));
        label->setStyleSheet(badgeStyle());
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return label;
    }

    void setupUi(QMainWindow *Orvanta)
    {
        if (Orvanta->objectName().isEmpty())
            Orvanta->setObjectName(QStringLiteral("Orvanta"));
        Orvanta->resize(380, 480);
        Orvanta->setMinimumSize(QSize(380, 480));

        centralWidgetUi = new QWidget(Orvanta);
        centralWidgetUi->setObjectName(QStringLiteral("centralWidgetUi"));
        centralWidgetUi->setGeometry(QRect(0, 0, 380, 480));
        centralWidgetUi->setStyleSheet(
            QStringLiteral("QWidget#centralWidgetUi{border-image: url(:/resource/Login/bg_login_page.png);}"));

        stackedWidget = new QStackedWidget(centralWidgetUi);
        stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
        stackedWidget->setGeometry(QRect(0, 0, 380, 420));
        stackedWidget->setStyleSheet(QStringLiteral("QStackedWidget{background: transparent;border: none;}"));

        // Page 0: account type and password.
        page_2 = new QWidget();
        page_2->setObjectName(QStringLiteral("page_2"));
        page_2->setGeometry(QRect(0, 0, 380, 420));

        widgetComboBox = new QWidget(page_2);
        widgetComboBox->setObjectName(QStringLiteral("widgetComboBox"));
        widgetComboBox->setGeometry(QRect(40, 196, 300, 36));
        groupComboBox = new QComboBox(widgetComboBox);
        groupComboBox->setObjectName(QStringLiteral("groupComboBox"));
        groupComboBox->setGeometry(QRect(0, 0, 300, 36));
        groupComboBox->setFont(arialFont(10));
        groupComboBox->addItem(QString());
        groupComboBox->addItem(QString());
        groupComboBox->setStyleSheet(QStringLiteral(
            "QComboBox{color: #ffffff;font-size:10pt; font-family:Arial;background-color: transparent;"
            "border: 1px solid #bfbfbf;}\n"
            "QComboBox::drop-down{border: none;width: 30px;}\n"
            "QComboBox::down-arrow{image: url(:/resource/custom/btn_arrow_a_normal.png);}\n"
            "QComboBox QAbstractItemView{color: #ffffff;background-color: #404040;border: 1px solid #bfbfbf;"
            "outline: 0px;}\n"
            "QComboBox QAbstractItemView::item{min-height: 28px;}\n"
            "QComboBox QAbstractItemView::item:selected{background-color: #009bef;color: #ffffff;}\n"
            "QComboBox QAbstractItemView::item:hover{background-color: #404040;color: #f7e195;}"));

        widgetPassword = new QWidget(page_2);
        widgetPassword->setObjectName(QStringLiteral("widgetPassword"));
        widgetPassword->setGeometry(QRect(40, 252, 300, 36));
        lbPassword =
            icon(widgetPassword, QStringLiteral("lbPassword"), QStringLiteral(":/resource/Login/icon_password.png"));
        lineEditPassword = field(widgetPassword, QStringLiteral("lineEditPassword"));
        label = line(page_2, QStringLiteral("label"), QRect(40, 289, 300, 1));
        lbMessagePassword = badge(page_2, QStringLiteral("lbMessagePassword"), QRect(40, 298, 300, 22));

        btnLogin = new QToolButton(page_2);
        btnLogin->setObjectName(QStringLiteral("btnLogin"));
        btnLogin->setGeometry(QRect(40, 336, 300, 40));
        btnLogin->setFont(arialFont(14));
        btnLogin->setCursor(Qt::PointingHandCursor);
        btnLogin->setStyleSheet(loginButtonStyle());
        stackedWidget->addWidget(page_2);

        // Page 1: the e-mail address, typed twice.
        page = new QWidget();
        page->setObjectName(QStringLiteral("page"));
        page->setGeometry(QRect(0, 0, 380, 420));

        widgetEmail = new QWidget(page);
        widgetEmail->setObjectName(QStringLiteral("widgetEmail"));
        widgetEmail->setGeometry(QRect(40, 196, 300, 36));
        lbPassword_2 =
            icon(widgetEmail, QStringLiteral("lbPassword_2"), QStringLiteral(":/resource/Login/icon_person_blue.png"));
        lineEditEmail = field(widgetEmail, QStringLiteral("lineEditEmail"), PasswordFieldRule::Address);
        label_2 = line(page, QStringLiteral("label_2"), QRect(40, 233, 300, 1));

        widgetEmailConfirm = new QWidget(page);
        widgetEmailConfirm->setObjectName(QStringLiteral("widgetEmailConfirm"));
        widgetEmailConfirm->setGeometry(QRect(40, 252, 300, 36));
        lbPassword_3 = icon(widgetEmailConfirm, QStringLiteral("lbPassword_3"),
                            QStringLiteral(":/resource/Login/icon_person_blue.png"));
        lineEditEmailConfirm =
            field(widgetEmailConfirm, QStringLiteral("lineEditEmailConfirm"), PasswordFieldRule::Address);
        label_3 = line(page, QStringLiteral("label_3"), QRect(40, 289, 300, 1));
        lbMessageEmail = badge(page, QStringLiteral("lbMessageEmail"), QRect(40, 298, 300, 22));

        btnEnter = new QToolButton(page);
        btnEnter->setObjectName(QStringLiteral("btnEnter"));
        btnEnter->setGeometry(QRect(40, 336, 300, 40));
        btnEnter->setFont(arialFont(14));
        btnEnter->setCursor(Qt::PointingHandCursor);
        btnEnter->setStyleSheet(loginButtonStyle());
        stackedWidget->addWidget(page);

        // The strip under the pages.
        widgetBottom = new QWidget(centralWidgetUi);
        widgetBottom->setObjectName(QStringLiteral("widgetBottom"));
        widgetBottom->setGeometry(QRect(0, 420, 380, 60));

        lbForgot = new ClickableLabel(widgetBottom);
        lbForgot->setObjectName(QStringLiteral("lbForgot"));
        lbForgot->setGeometry(QRect(40, 20, 200, 22));
        lbForgot->setFont(arialFont(10));
        lbForgot->setCursor(Qt::PointingHandCursor);
        lbForgot->setStyleSheet(QStringLiteral("QLabel{color: #bfbfbf;font-size:10pt; font-family:Arial;}\n"
                                               "QLabel:hover{color: #eddea9;}\n"
                                               "QLabel:disabled{color: #666666;}"));

        btnExit = new QToolButton(widgetBottom);
        btnExit->setObjectName(QStringLiteral("btnExit"));
        btnExit->setGeometry(QRect(260, 17, 80, 26));
        btnExit->setFont(arialFont(11));
        btnExit->setCursor(Qt::PointingHandCursor);
        btnExit->setStyleSheet(QStringLiteral(
            "QToolButton{border-image: url(:/resource/Login/btn_text_d_normal.png);border:none;color: #000000;"
            "font-size:11pt; font-family:Arial;}\n"
            "QToolButton:hover{border-image: url(:/resource/Login/btn_text_d_hover.png);}\n"
            "QToolButton:pressed{border-image: url(:/resource/Login/btn_text_d_pressed.png);}\n"
            "QToolButton:disabled{border-image: url(:/resource/Login/btn_text_d_disabled.png);}"));

        Orvanta->setCentralWidget(centralWidgetUi);
        menuBar = new QMenuBar(Orvanta);
        menuBar->setObjectName(QStringLiteral("menuBar"));
        menuBar->setGeometry(QRect(0, 0, 380, 0));
        Orvanta->setMenuBar(menuBar);
        mainToolBar = new QToolBar(Orvanta);
        mainToolBar->setObjectName(QStringLiteral("mainToolBar"));
        Orvanta->addToolBar(Qt::TopToolBarArea, mainToolBar);

        retranslateUi(Orvanta);
        stackedWidget->setCurrentIndex(0);
    }

    void retranslateUi(QMainWindow *Orvanta)
    {
        Orvanta->setWindowTitle(QCoreApplication::translate("Orvanta", "Orvanta"));
        groupComboBox->setItemText(0, QCoreApplication::translate("Orvanta", "Admin"));
        groupComboBox->setItemText(1, QCoreApplication::translate("Orvanta", "Normal User"));
        lineEditPassword->setText(QCoreApplication::translate("Orvanta", "User Password"));
        lbMessagePassword->setText(QCoreApplication::translate("Orvanta", "Invalid user password."));
        btnLogin->setText(QCoreApplication::translate("Orvanta", "Login"));
        lineEditEmail->setText(QCoreApplication::translate("Orvanta", "User Email"));
        lineEditEmailConfirm->setText(QCoreApplication::translate("Orvanta", "Confirm Your Email"));
        btnEnter->setText(QCoreApplication::translate("Orvanta", "Enter"));
        lbMessageEmail->setText(QCoreApplication::translate("Orvanta", "The email addresses do not match."));
        lbForgot->setText(QCoreApplication::translate("Orvanta", "Forgot Password?"));
        btnExit->setText(QCoreApplication::translate("Orvanta", "Exit"));
    }
};
