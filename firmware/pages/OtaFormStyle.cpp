#include "firmware/pages/OtaFormStyle.h"

#include "shell/kit/ClickableLabel.h"
#include "shell/kit/PlaceholderColour.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QCheckBox>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QToolButton>

QLabel *OtaFormStyle::label(QWidget *parent, const char *objectName, const QRect &geometry, int pointSize,
                            const QString &styleSheet)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(objectName));
    label->setGeometry(geometry);
    if (pointSize > 0)
        label->setFont(arialFont(pointSize));
    label->setStyleSheet(styleSheet);
    return label;
}

ClickableLabel *OtaFormStyle::header(QWidget *parent, const char *objectName, const QRect &geometry,
                                     const QString &image)
{
    auto *label = new ClickableLabel(parent);
    label->setObjectName(QLatin1String(objectName));
    label->setGeometry(geometry);
    label->setFont(arialFont(10));
    label->setCursor(Qt::PointingHandCursor);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setStyleSheet(headerStyle(image));
    return label;
}

void OtaFormStyle::mirrorHeader(QLabel *header)
{
    header->setAlignment(Qt::AlignRight | Qt::AlignVCenter | Qt::AlignAbsolute);
    header->setStyleSheet(header->styleSheet() + QStringLiteral("\nQLabel {padding-left:0px;padding-right:10px;}"));
}

QLabel *OtaFormStyle::headerBorder(QWidget *parent, const char *objectName, const QRect &geometry)
{
    QLabel *border = label(parent, objectName, geometry, 0, QStringLiteral("background-color: #1a1a1a;"));
    border->setMaximumSize(QSize(16777215, 16777215));
    return border;
}

QTableWidget *OtaFormStyle::table(QWidget *parent, const char *objectName, const QRect &geometry, int columns)
{
    auto *table = new QTableWidget(parent);
    table->setObjectName(QLatin1String(objectName));
    table->setGeometry(geometry);
    table->setFont(arialFont(10));
    table->setStyleSheet(tableStyle(QLatin1String(objectName)));
    table->setColumnCount(columns);
    table->setRowCount(0);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setShowGrid(false);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->horizontalHeader()->setVisible(false);
    table->horizontalHeader()->setDefaultSectionSize(36);
    table->horizontalHeader()->setMinimumSectionSize(36);
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setVisible(false);
    return table;
}

QCheckBox *OtaFormStyle::filterCheckBox(QWidget *parent, const char *objectName, const QRect &geometry)
{
    auto *box = new QCheckBox(parent);
    box->setObjectName(QLatin1String(objectName));
    box->setGeometry(geometry);
    box->setFont(arialFont(10));
    box->setCursor(Qt::PointingHandCursor);
    box->setStyleSheet(QStringLiteral("QCheckBox{border:none;color:#333333;font-size:10pt;font-family:Arial;}") +
                       checkIndicatorStyle());
    return box;
}

QToolButton *OtaFormStyle::textButton(QWidget *parent, const char *objectName, const QRect &geometry, bool primary)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(objectName));
    button->setGeometry(geometry);
    button->setFont(arialFont(10, primary));
    button->setCursor(Qt::PointingHandCursor);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const QString normal = primary ? QStringLiteral("btn_text_a_point.png") : QStringLiteral("btn_text_a_normal.png");
    const QString text = primary ? QStringLiteral("#ffffff") : QStringLiteral("#000000");
    button->setStyleSheet(
        QStringLiteral("QToolButton{border:none;border-image: url(:/resource/connectedList/%1);color:%2;}\n"
                       "QToolButton:hover{border-image: url(:/resource/connectedList/btn_text_a_hover.png);"
                       "color:%3;}\n"
                       "QToolButton:pressed{border-image: url(:/resource/connectedList/btn_text_a_pressed.png);"
                       "color:%4;}\n"
                       "QToolButton:disabled{border-image: url(:/resource/connectedList/btn_text_a_disabled.png);"
                       "color:#808080;}")
            .arg(normal, text, primary ? QStringLiteral("#000000") : text, primary ? QStringLiteral("#ffffff") : text));
    return button;
}

QString OtaFormStyle::modeButtonStyle(const QString &image, bool selected, int paddingLeft)
{
    const QString base = QStringLiteral(":/resource/scheduling/") + image;
    if (selected)
        return QStringLiteral("QToolButton{border:none;padding-left:%1px;color:#1db5ff;text-align:left;"
                              "border-image: url(%2_selected.png);font-size:11pt;font-family:Arial;}")
            .arg(paddingLeft)
            .arg(base);
    return QStringLiteral("QToolButton{border:none;padding-left:%1px;color:#bfbfbf;text-align:left;"
                          "border-image: url(%2_normal.png);font-size:11pt;font-family:Arial;}\n"
                          "QToolButton:hover{border-image: url(%2_hover.png);color:#ffffff;}\n"
                          "QToolButton:pressed{border-image: url(%2_pressed.png);color:#666666;}\n"
                          "QToolButton:disabled{border-image: url(%2_disabled.png);color:#808080;}")
        .arg(paddingLeft)
        .arg(base);
}

QString OtaFormStyle::filterButtonStyle(bool selected)
{
    const QString normal =
        selected ? QStringLiteral("btn_filter_selected.png") : QStringLiteral("btn_filter_normal.png");
    return QStringLiteral("QToolButton{border:none;border-image: url(:/resource/scheduling/%1);}\n"
                          "QToolButton:hover{border-image: url(:/resource/scheduling/btn_filter_hover.png);}\n"
                          "QToolButton:pressed{border-image: url(:/resource/scheduling/btn_filter_pressed.png);}\n"
                          "QToolButton:disabled{border-image: url(:/resource/scheduling/btn_filter_disabled.png);}")
        .arg(normal);
}

void OtaFormStyle::setupSearchField(QLineEdit *field, const QString &placeholder)
{
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^\\\\/:*?\"<>|]{0,32}")), field));
    field->setMaxLength(32);
    QPixmap search(QStringLiteral(":/resource/scheduling/search.PNG"));
    const double scale = getScaleFactor();
    if (scale != 1.0 && !search.isNull())
        search =
            search.scaled(ScaleMath::truncScaled(search.width(), scale), ScaleMath::truncScaled(search.height(), scale),
                          Qt::KeepAspectRatio, Qt::SmoothTransformation);
    field->addAction(QIcon(search), QLineEdit::LeadingPosition);
    field->setPlaceholderText(placeholder);
    PlaceholderColour::keep(field);
}

QString OtaFormStyle::searchFieldStyle()
{
    return QStringLiteral("QLineEdit{background-color: #3f3f3f;color: #ffffff;border-radius: 5px;padding-left: 0px;"
                          "border: 1px solid #ffffff;font-size:10pt;font-family:Arial;}");
}

QString OtaFormStyle::checkIndicatorStyle()
{
    const QString suffix = getScaleFactor() >= 2.0 ? QStringLiteral("_2x") : QString();
    return QStringLiteral("QCheckBox::indicator:checked{image: url(:/resource/scheduling/im_check_b%1.png);}"
                          "QCheckBox::indicator:unchecked{image: url(:/resource/scheduling/im_checkbox%1.png);}")
        .arg(suffix);
}

QString OtaFormStyle::headerStyle(const QString &image)
{
    return QStringLiteral("QLabel{padding-left:10px;border-image: url(%1);color:#ffffff;border:none;"
                          "border-bottom:1px solid #1a1a1a;font-size:10pt;font-family:Arial;}")
        .arg(image);
}

QString OtaFormStyle::tableStyle(const QString &objectName)
{
    return QStringLiteral(
               "QTableWidget#%1{background-color:#666666;color:#ffffff;border:none;border-left:1px solid #1a1a1a;"
               "border-right:1px solid #1a1a1a;border-bottom:1px solid #1a1a1a;}\n"
               "QTableWidget::item{padding-left:10px;border:none;border-bottom:1px solid #404040;}\n"
               "QTableWidget{font-size:10pt;font-family:Arial;}\n"
               "QScrollBar:vertical{width:12px;background:#8c8c8c;border:1px solid #8c8c8c;margin:0px;}\n"
               "QScrollBar::handle:vertical{background:#b3b3b3;min-height:100px;max-height:100px;"
               "border-radius:5px;}\n"
               "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;background:none;}\n"
               "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:none;}")
        .arg(objectName);
}
