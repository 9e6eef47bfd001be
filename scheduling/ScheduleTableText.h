#pragma once

#include <QColor>
#include <QString>

class QFontMetrics;

/// The texts the schedule tables show and search, free of widgets.
class ScheduleTableText
{
public:
    /// "Every day" for all seven days, else "Mon. Tue. ..." for the chosen ones (each token ends
    /// with a blank), empty for none.
    static QString repeatText(bool mon, bool tue, bool wed, bool thu, bool fri, bool sat, bool sun);

    /// A list of `count` names as a table cell `room` pixels wide: the whole text when it fits,
    /// else the text elided to the room with its last characters replaced by "...(count)", so the
    /// cell still says how many there are. In right-to-left layout a left-to-right override keeps
    /// the count readable.
    static QString countElided(const QString &names, int count, int room, const QFontMetrics &metrics,
                               bool rightToLeft);

    /// The state of a schedule as its table shows it (1 Not Started, 2 running, 3 Failed with
    /// the number of failed devices when above 0, 4 Successfully); `runningText` is the kind's
    /// word for state 2. Empty for any other state.
    static QString statusText(int status, int failedCount, const QString &runningText);
    /// The colour of that text; invalid for a state without text.
    static QColor statusColour(int status);

    /// "Enable" or "Disable", as the Enable column and its search read.
    static QString enableText(bool enabled);

    /// What the operator asked for that the database did not store.
    enum class Refused
    {
        Change,   ///< an Enable/Disable in a table
        Deletion, ///< a deletion in a table
        Save      ///< an editor's Save
    };
    /// Why it was not stored, as the page's message or the editor's badge says: the disk is full, the database refused
    /// it for a while (`passing`: another program holds it, it cannot be written at the moment), or it refused it for
    /// good.
    static QString refusalText(Refused what, bool passing, bool diskFull);

    /// The search rule of every schedule table: a case-insensitive substring test, which an empty
    /// search text always passes.
    static bool matches(const QString &text, const QString &search);
};
