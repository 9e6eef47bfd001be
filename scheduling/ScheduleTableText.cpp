#include "scheduling/ScheduleTableText.h"

#include <QCoreApplication>
#include <QFontMetrics>

QString ScheduleTableText::repeatText(bool mon, bool tue, bool wed, bool thu, bool fri, bool sat, bool sun)
{
    if (mon && tue && wed && thu && fri && sat && sun)
        return QCoreApplication::translate("Scheduling", "Every day");
    QString text;
    if (mon)
        text += QCoreApplication::translate("Scheduling", "Mon. ");
    if (tue)
        text += QCoreApplication::translate("Scheduling", "Tue. ");
    if (wed)
        text += QCoreApplication::translate("Scheduling", "Wed. ");
    if (thu)
        text += QCoreApplication::translate("Scheduling", "Thu. ");
    if (fri)
        text += QCoreApplication::translate("Scheduling", "Fri. ");
    if (sat)
        text += QCoreApplication::translate("Scheduling", "Sat. ");
    if (sun)
        text += QCoreApplication::translate("Scheduling", "Sun. ");
    return text;
}

QString ScheduleTableText::countElided(const QString &names, int count, int room, const QFontMetrics &metrics,
                                       bool rightToLeft)
{
    if (metrics.horizontalAdvance(names) <= room)
        return names;
    const QString number = QString::number(count);
    QString elided = metrics.elidedText(names, Qt::ElideRight, room);
    elided.chop(qMin(elided.size(), number.size() + 5));
    if (rightToLeft)
        elided += QChar(0x202D);
    return elided + QStringLiteral("...(") + number + QLatin1Char(')');
}

QString ScheduleTableText::statusText(int status, int failedCount, const QString &runningText)
{
    switch (status) {
    case 1:
        return QCoreApplication::translate("Scheduling", "Not Started");
    case 2:
        return runningText;
    case 3: {
        const QString failed = QCoreApplication::translate("Scheduling", "Failed");
        return failedCount > 0 ? failed + QStringLiteral(" (%1)").arg(failedCount) : failed;
    }
    case 4:
        return QCoreApplication::translate("Scheduling", "Successfully");
    default:
        return QString();
    }
}

QColor ScheduleTableText::statusColour(int status)
{
    switch (status) {
    case 1:
    case 2:
        return QColor(0xff, 0xff, 0xff);
    case 3:
        return QColor(0xff, 0x7e, 0x7e);
    case 4:
        return QColor(0x7c, 0xc0, 0xff);
    default:
        return QColor();
    }
}

QString ScheduleTableText::enableText(bool enabled)
{
    return enabled ? QCoreApplication::translate("Scheduling", "Enable")
                   : QCoreApplication::translate("Scheduling", "Disable");
}

QString ScheduleTableText::refusalText(Refused what, bool passing, bool diskFull)
{
    // Whole sentences, one per case, so that each translation reads as one.
    switch (what) {
    case Refused::Deletion:
        if (diskFull)
            return QCoreApplication::translate("Scheduling", "The schedule could not be deleted: the disk is full.");
        if (passing)
            return QCoreApplication::translate("Scheduling",
                                               "The schedule could not be deleted: the database cannot be written at "
                                               "the moment (another program may be using it). Please try again later.");
        return QCoreApplication::translate("Scheduling", "The schedule could not be deleted.");
    case Refused::Save:
        if (diskFull)
            return QCoreApplication::translate("Scheduling", "The schedule could not be saved: the disk is full.");
        if (passing)
            return QCoreApplication::translate("Scheduling",
                                               "The schedule could not be saved: the database cannot be written at "
                                               "the moment (another program may be using it). Please try again later.");
        return QCoreApplication::translate("Scheduling", "The schedule could not be saved.");
    case Refused::Change:
        break;
    }
    if (diskFull)
        return QCoreApplication::translate("Scheduling", "The schedule could not be changed: the disk is full.");
    if (passing)
        return QCoreApplication::translate("Scheduling",
                                           "The schedule could not be changed: the database cannot be written at the "
                                           "moment (another program may be using it). Please try again later.");
    return QCoreApplication::translate("Scheduling", "The schedule could not be changed.");
}

bool ScheduleTableText::matches(const QString &text, const QString &search)
{
    return text.contains(search, Qt::CaseInsensitive);
}
