#include "emergency/EmergencyForm.h"

#include "shell/kit/TextLabel.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QSpacerItem>

void makeLightButton(QAbstractButton *button, const char *objectName, const QRect &geometry, const QString &image)
{
    const QString kind = QString::fromLatin1(button->metaObject()->className());
    button->setObjectName(QLatin1String(objectName));
    button->setGeometry(geometry);
    button->setFont(arialFont());
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(
        QStringLiteral("%1{border-image: url(:/resource/mangement/%2_normal.png);border:none;"
                       "font-family:Arial;font-size:10pt;color:#000000;}\n"
                       "%1:hover{border-image: url(:/resource/mangement/%2_hover.png);}\n"
                       "%1:pressed{border-image: url(:/resource/mangement/%2_pressed.png);}\n"
                       "%1:disabled{border-image: url(:/resource/mangement/%2_disabled.png);color:#808080;}")
            .arg(kind, image));
}

TextLabel *createBadgeRow(QWidget *parent, const QRect &geometry, const QMargins &margins, QWidget **row,
                          QHBoxLayout **layout)
{
    *row = new QWidget(parent);
    (*row)->setObjectName(QStringLiteral("layoutWidget"));
    (*row)->setGeometry(geometry);
    *layout = new QHBoxLayout(*row);
    (*layout)->setObjectName(QStringLiteral("horizontalLayout"));
    (*layout)->setSpacing(0);
    (*layout)->setContentsMargins(margins);
    (*layout)->addItem(new QSpacerItem(0, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    auto *badge = new TextLabel(*row);
    badge->setObjectName(QStringLiteral("lbState"));
    badge->setFont(arialFont(10, true));
    (*layout)->addWidget(badge);
    (*layout)->addItem(new QSpacerItem(0, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    return badge;
}
