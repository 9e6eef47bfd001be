#include "broadcast/BroadcastForm.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QWidget>

QList<QWidget *> formWidgets(QWidget *form)
{
    QList<QWidget *> widgets;
    const QList<QWidget *> all = form->findChildren<QWidget *>();
    for (QWidget *widget : all) {
        if (widget->objectName().isEmpty() || widget->objectName().startsWith(QLatin1String("qt_")) ||
            widget->isWindow())
            continue;
        bool inner = false;
        for (QWidget *up = widget->parentWidget(); up && up != form && !inner; up = up->parentWidget()) {
            inner = up->isWindow() || qobject_cast<QComboBox *>(up) || qobject_cast<QAbstractScrollArea *>(up) ||
                    qobject_cast<QLineEdit *>(up) || qobject_cast<QAbstractSpinBox *>(up) ||
                    qobject_cast<QCalendarWidget *>(up);
        }
        if (!inner)
            widgets.append(widget);
    }
    return widgets;
}
