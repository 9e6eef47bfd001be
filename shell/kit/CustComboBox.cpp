#include "shell/kit/CustComboBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFrame>

CustComboBox::CustComboBox(QWidget *parent) : QComboBox(parent)
{
    QApplication::setEffectEnabled(Qt::UI_AnimateCombo, false);
    setMaxVisibleItems(8);
}

CustComboBox::~CustComboBox() = default;

void CustComboBox::applyStyle(const QString &styleSheet)
{
    QString extra;
    if (!m_textVisible)
        extra += QStringLiteral("color:rgba(0, 0, 0, 0%);selection-color:rgba(0, 0, 0, 0%);");
    if (!m_backgroundVisible)
        extra += QStringLiteral("selection-background-color: rgba(255 , 0 , 0 , 0%);"
                                "background-color:rgba(255 , 0 , 0 , 0%);");
    if (extra.isEmpty())
        setStyleSheet(styleSheet);
    else
        setStyleSheet(styleSheet + QStringLiteral(" QComboBox {") + extra + QStringLiteral("}"));
}

void CustComboBox::showPopup()
{
    view()->setMinimumWidth(view()->sizeHintForColumn(0));
    QComboBox::showPopup();
    if (QFrame *popup = findChild<QFrame *>()) {
        if (popup->width() < 100)
            popup->resize(100, popup->height());
        switch (m_popupPosition) {
        case PopupAbove:
            popup->move(popup->x(), popup->y() - popup->height() - height());
            break;
        case PopupLeft:
            popup->move(popup->x() - popup->width() - width(), popup->y() - height());
            break;
        case PopupRight:
            popup->move(popup->x() + width(), popup->y() - height());
            break;
        default:
            break;
        }
    }
    emit isShowPopup();
}

void CustComboBox::hidePopup()
{
    QComboBox::hidePopup();
    emit isHidePopup();
}
