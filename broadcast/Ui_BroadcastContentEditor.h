#pragma once

#include "broadcast/BroadcastForm.h"
#include "broadcast/CustomPlainTextEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QWidget>

/// The content step of the broadcast editor, 874 × 541 at scale 1.0: the text with its display type and counter
/// and the audio choice with its options at the left, the preview of what the panels show at the right, "Back" and
/// "Broadcast" below.
class Ui_BroadcastContentEditor
{
public:
    QWidget *widgetBlock;
    QFrame *frameEdit;
    QWidget *textField;
    QWidget *widgetTextPart;
    QLabel *labelTextIcon;
    QLabel *labelTextTitle;
    QLabel *labelDisplayType;
    QComboBox *groupComboBox;
    CustomPlainTextEdit *plainTextEdit;
    QWidget *widgetCount;
    QLabel *labelCount;
    QLabel *labelCountLine;
    QFrame *frameAudioAlert_2;
    QLabel *labelAlertIcon_2;
    QLabel *label_5;
    QWidget *audioField;
    QWidget *widgetAudioPart;
    QLabel *labelAudioIcon;
    QLabel *labelAudioTitle;
    QFrame *frameAudioAlert;
    QLabel *labelAlertIcon;
    QLabel *label;
    QWidget *widgetAudioButtons;
    QRadioButton *radioButtonNone;
    QRadioButton *radioButtonDefault1;
    QRadioButton *radioButtonDefault2;
    QRadioButton *radioButtonDefault3;
    QRadioButton *radioButtonUserSelect;
    QToolButton *toolButtonPreviewDefault_1;
    QToolButton *toolButtonPreviewDefault_2;
    QToolButton *toolButtonPreviewDefault_3;
    QToolButton *toolButtonPreview;
    QToolButton *toolButtonDeleteAudio;
    QLabel *labelLine2;
    QWidget *widgetOptions;
    QCheckBox *checkBoxRepeat;
    QCheckBox *checkBoxWakeOnLan;
    QFrame *frameWakeAlert;
    QLabel *labelWakeIcon;
    QLabel *labelWakeNote;
    QFrame *frameRepeat;
    QLabel *label_2;
    QLineEdit *lineEditMin;
    QLabel *label_3;
    QLineEdit *lineEditSec;
    QLabel *label_4;
    QFrame *framePreview;
    QLabel *label_preview;
    QWidget *widgetBottom;
    QToolButton *btnBack;
    QToolButton *btnAddBroadcast;

    static QLabel *label_(QWidget *parent, const char *name, const QRect &geometry, const QString &style,
                          int pointSize = 10)
    {
        auto *label = new QLabel(parent);
        label->setObjectName(QLatin1String(name));
        label->setGeometry(geometry);
        label->setFont(arialFont(pointSize));
        label->setStyleSheet(style);
        return label;
    }

    static QToolButton *previewButton(QWidget *parent, const char *name, const QRect &geometry)
    {
        auto *button = new QToolButton(parent);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(geometry);
        button->setCursor(Qt::PointingHandCursor);
        return button;
    }

    static QCheckBox *option(QWidget *parent, const char *name, const QRect &geometry)
    {
        auto *box = new QCheckBox(parent);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(geometry);
        box->setFont(arialFont(10));
        return box;
    }

    static QLineEdit *durationField(QWidget *parent, const char *name, const QRect &geometry)
    {
        auto *field = new QLineEdit(parent);
        field->setObjectName(QLatin1String(name));
        field->setGeometry(geometry);
        field->setFont(arialFont(10));
        field->setStyleSheet(QStringLiteral("QLineEdit{background-color: #f3f3f3;color: #000000;border: 1px solid "
                                            "#8a8a8a;border-radius: 3px;font-size:10pt;}"));
        return field;
    }

    static QFrame *alert(QWidget *parent, const char *name, const QRect &geometry, QLabel **icon, QLabel **text,
                         const char *textName)
    {
        auto *frame = new QFrame(parent);
        frame->setObjectName(QLatin1String(name));
        frame->setGeometry(geometry);
        *icon = label_(frame, "alertIcon", QRect(0, 3, 17, 17),
                       QStringLiteral("border-image: url(:/resource/broadcast/info_17x17.png);"));
        *text = label_(frame, textName, QRect(24, 0, geometry.width() - 24, geometry.height()),
                       QStringLiteral("color: #ff7e7e;font-size:10pt;"));
        return frame;
    }

    void setupUi(QFrame *BroadcastContentEditor)
    {
        if (BroadcastContentEditor->objectName().isEmpty())
            BroadcastContentEditor->setObjectName(QStringLiteral("BroadcastContentEditor"));
        BroadcastContentEditor->resize(874, 541);
        BroadcastContentEditor->setFrameShape(QFrame::StyledPanel);
        BroadcastContentEditor->setStyleSheet(
            QStringLiteral("QFrame#BroadcastContentEditor{background-color: #404040;border: none;}"));
        const QString white = QStringLiteral("color: #ffffff;font-size:10pt;");

        widgetBlock = new QWidget(BroadcastContentEditor);
        widgetBlock->setObjectName(QStringLiteral("widgetBlock"));
        widgetBlock->setGeometry(QRect(25, 15, 824, 460));

        frameEdit = new QFrame(widgetBlock);
        frameEdit->setObjectName(QStringLiteral("frameEdit"));
        frameEdit->setGeometry(QRect(0, 0, 496, 460));
        frameEdit->setStyleSheet(
            QStringLiteral("QFrame#frameEdit{background-color: #666666;border: 1px solid #1a1a1a;}"));

        textField = new QWidget(frameEdit);
        textField->setObjectName(QStringLiteral("textField"));
        textField->setGeometry(QRect(0, 0, 496, 211));
        widgetTextPart = new QWidget(textField);
        widgetTextPart->setObjectName(QStringLiteral("widgetTextPart"));
        widgetTextPart->setGeometry(QRect(12, 10, 472, 28));
        labelTextIcon = label_(widgetTextPart, "labelTextIcon", QRect(0, 4, 20, 20),
                               QStringLiteral("border-image: url(:/resource/broadcast/text_icon.png);"));
        labelTextTitle = label_(widgetTextPart, "labelTextTitle", QRect(28, 3, 120, 22),
                                QStringLiteral("color: #ffffff;font-size:11pt;font-weight: bold;"), 11);
        labelTextTitle->setFocusPolicy(Qt::ClickFocus);
        labelDisplayType = label_(widgetTextPart, "labelDisplayType", QRect(160, 3, 140, 22), white);
        labelDisplayType->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        groupComboBox = new QComboBox(widgetTextPart);
        groupComboBox->setObjectName(QStringLiteral("groupComboBox"));
        groupComboBox->setGeometry(QRect(308, 1, 164, 26));
        groupComboBox->setFont(arialFont(10));
        groupComboBox->setStyleSheet(QStringLiteral(
            "QComboBox{color: #ffffff;background-color: #4a4a4a;border: 1px solid #8a8a8a;border-radius: 4px;"
            "font-size:10pt;}"
            "QComboBox:hover{border: 1px solid #1db5ff;}"
            "QComboBox::drop-down{border: none;width: 24px;}"
            "QComboBox::down-arrow{image: url(:/resource/connectedList/icon_arrow_down.png);width: 12px;height: 12px;}"
            "QComboBox QAbstractItemView{color: #ffffff;background-color: #4a4a4a;border: 1px solid #8a8a8a;"
            "selection-background-color: #0a5f8f;outline: 0px;}"));
        plainTextEdit = new CustomPlainTextEdit(textField);
        plainTextEdit->setObjectName(QStringLiteral("plainTextEdit"));
        plainTextEdit->setGeometry(QRect(12, 44, 472, 124));
        plainTextEdit->setFont(arialFont(11));
        widgetCount = new QWidget(textField);
        widgetCount->setObjectName(QStringLiteral("widgetCount"));
        widgetCount->setGeometry(QRect(12, 168, 472, 20));
        labelCount = label_(widgetCount, "labelCount", QRect(372, 0, 100, 20),
                            QStringLiteral("color: #d9d9d9;"
                                           "font-size:9pt;"),
                            9);
        labelCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        labelCountLine =
            label_(widgetCount, "labelCountLine", QRect(0, 19, 472, 1), QStringLiteral("background-color: #7a7a7a;"));
        frameAudioAlert_2 =
            alert(textField, "frameAudioAlert_2", QRect(12, 188, 472, 22), &labelAlertIcon_2, &label_5, "label_5");

        audioField = new QWidget(frameEdit);
        audioField->setObjectName(QStringLiteral("audioField"));
        audioField->setGeometry(QRect(0, 211, 496, 249));
        widgetAudioPart = new QWidget(audioField);
        widgetAudioPart->setObjectName(QStringLiteral("widgetAudioPart"));
        widgetAudioPart->setGeometry(QRect(12, 8, 472, 28));
        labelAudioIcon = label_(widgetAudioPart, "labelAudioIcon", QRect(0, 4, 20, 20),
                                QStringLiteral("border-image: url(:/resource/broadcast/audio_icon.png);"));
        labelAudioTitle = label_(widgetAudioPart, "labelAudioTitle", QRect(28, 3, 120, 22),
                                 QStringLiteral("color: #ffffff;font-size:11pt;font-weight: bold;"), 11);
        frameAudioAlert =
            alert(widgetAudioPart, "frameAudioAlert", QRect(160, 3, 312, 22), &labelAlertIcon, &label, "label");

        widgetAudioButtons = new QWidget(audioField);
        widgetAudioButtons->setObjectName(QStringLiteral("widgetAudioButtons"));
        widgetAudioButtons->setGeometry(QRect(12, 42, 472, 96));
        auto radio = [&](const char *name, const QRect &geometry) {
            auto *button = new QRadioButton(widgetAudioButtons);
            button->setObjectName(QLatin1String(name));
            button->setGeometry(geometry);
            button->setFont(arialFont(10));
            button->setCursor(Qt::PointingHandCursor);
            return button;
        };
        // Two columns: none and the first two sounds, then the third sound and the upload with its buttons.
        radioButtonNone = radio("radioButtonNone", QRect(0, 4, 140, 26));
        radioButtonDefault1 = radio("radioButtonDefault1", QRect(0, 36, 140, 26));
        toolButtonPreviewDefault_1 =
            previewButton(widgetAudioButtons, "toolButtonPreviewDefault_1", QRect(150, 34, 23, 30));
        radioButtonDefault2 = radio("radioButtonDefault2", QRect(0, 68, 140, 26));
        toolButtonPreviewDefault_2 =
            previewButton(widgetAudioButtons, "toolButtonPreviewDefault_2", QRect(150, 66, 23, 30));
        radioButtonDefault3 = radio("radioButtonDefault3", QRect(240, 4, 140, 26));
        toolButtonPreviewDefault_3 =
            previewButton(widgetAudioButtons, "toolButtonPreviewDefault_3", QRect(390, 2, 23, 30));
        radioButtonUserSelect = radio("radioButtonUserSelect", QRect(240, 36, 170, 26));
        toolButtonPreview = previewButton(widgetAudioButtons, "toolButtonPreview", QRect(412, 34, 23, 30));
        toolButtonDeleteAudio = previewButton(widgetAudioButtons, "toolButtonDeleteAudio", QRect(442, 38, 18, 22));
        toolButtonDeleteAudio->setStyleSheet(
            QStringLiteral("QToolButton{border-image: url(:/resource/broadcast/btn_X_hover.png);border: none;}"));

        labelLine2 =
            label_(audioField, "labelLine2", QRect(12, 146, 472, 1), QStringLiteral("background-color: #7a7a7a;"));
        widgetOptions = new QWidget(audioField);
        widgetOptions->setObjectName(QStringLiteral("widgetOptions"));
        widgetOptions->setGeometry(QRect(12, 156, 472, 92));
        checkBoxRepeat = option(widgetOptions, "checkBoxRepeat", QRect(0, 4, 200, 26));
        checkBoxWakeOnLan = option(widgetOptions, "checkBoxWakeOnLan", QRect(0, 40, 472, 26));
        // Which chosen panels the wake cannot reach; shown only then.
        frameWakeAlert = alert(widgetOptions, "frameWakeAlert", QRect(0, 68, 472, 22), &labelWakeIcon, &labelWakeNote,
                               "labelWakeNote");
        frameWakeAlert->hide();
        frameRepeat = new QFrame(widgetOptions);
        frameRepeat->setObjectName(QStringLiteral("frameRepeat"));
        frameRepeat->setGeometry(QRect(180, 2, 240, 30));
        label_2 = label_(frameRepeat, "label_2", QRect(0, 4, 70, 22), white);
        lineEditMin = durationField(frameRepeat, "lineEditMin", QRect(72, 3, 36, 24));
        label_3 = label_(frameRepeat, "label_3", QRect(112, 4, 40, 22), white);
        lineEditSec = durationField(frameRepeat, "lineEditSec", QRect(152, 3, 36, 24));
        label_4 = label_(frameRepeat, "label_4", QRect(192, 4, 48, 22), white);

        framePreview = new QFrame(widgetBlock);
        framePreview->setObjectName(QStringLiteral("framePreview"));
        framePreview->setGeometry(QRect(511, 0, 313, 460));
        framePreview->setStyleSheet(
            QStringLiteral("QFrame#framePreview{background-color: #666666;border: 1px solid #1a1a1a;}"));
        label_preview = label_(framePreview, "label_preview", QRect(16, 16, 281, 428), QString());

        widgetBottom = new QWidget(BroadcastContentEditor);
        widgetBottom->setObjectName(QStringLiteral("widgetBottom"));
        widgetBottom->setGeometry(QRect(0, 490, 874, 51));
        btnBack = formTextButton(widgetBottom, "btnBack", QRect(25, 12, 80, 26));
        btnAddBroadcast = formTextButton(widgetBottom, "btnAddBroadcast", QRect(769, 12, 80, 26));

        retranslateUi(BroadcastContentEditor);
    }

    void retranslateUi(QFrame *BroadcastContentEditor)
    {
        Q_UNUSED(BroadcastContentEditor)
        labelTextTitle->setText(QCoreApplication::translate("BroadcastContentEditor", "Text"));
        labelDisplayType->setText(QCoreApplication::translate("BroadcastContentEditor", "Display Type:"));
        groupComboBox->clear();
        groupComboBox->addItem(QCoreApplication::translate("BroadcastContentEditor", "Scrolling text"));
        groupComboBox->addItem(QCoreApplication::translate("BroadcastContentEditor", "Pop windows"));
        groupComboBox->addItem(QCoreApplication::translate("BroadcastContentEditor", "Only audio"));
        labelCount->setText(QStringLiteral("300"));
        label_5->setText(QCoreApplication::translate("BroadcastContentEditor",
                                                     "Streaming audio box does not support text broadcast."));
        labelAudioTitle->setText(QCoreApplication::translate("BroadcastContentEditor", "Audio"));
        label->setText(QCoreApplication::translate("BroadcastContentEditor", "Must select an audio to broadcast."));
        radioButtonNone->setText(QCoreApplication::translate("BroadcastContentEditor", "None"));
        radioButtonDefault1->setText(QCoreApplication::translate("BroadcastContentEditor", "Default audio 1"));
        radioButtonDefault2->setText(QCoreApplication::translate("BroadcastContentEditor", "Default audio 2"));
        radioButtonDefault3->setText(QCoreApplication::translate("BroadcastContentEditor", "Default audio 3"));
        radioButtonUserSelect->setText(QCoreApplication::translate("BroadcastContentEditor", "Upload custom audio"));
        checkBoxRepeat->setText(QCoreApplication::translate("BroadcastContentEditor", "Repeat broadcast"));
        checkBoxWakeOnLan->setText(
            QCoreApplication::translate("BroadcastContentEditor", "Wake Power-off panels up to broadcast"));
        label_2->setText(QCoreApplication::translate("BroadcastContentEditor", ": Duration"));
        label_3->setText(QCoreApplication::translate("BroadcastContentEditor", "mins"));
        label_4->setText(QCoreApplication::translate("BroadcastContentEditor", "secs"));
        btnBack->setText(QCoreApplication::translate("BroadcastContentEditor", "Back"));
        btnAddBroadcast->setText(QCoreApplication::translate("BroadcastContentEditor", "Broadcast"));
    }
};
