#pragma once

#include <QObject>

#include "datastore/DbResult.h"

class DbHeldWrites;

/// What Exit does about what the console must not lose, apart from any window: the writes the database still holds
/// back, and an SOS warning not answered yet. The console ends once the writes are written and no warning is open,
/// and asks the operator only while the database refuses the writes.
///
/// Quitting used to write one slice of them and drop the rest, though the database would have taken them all: a
/// broadcast that had reached every panel came back Pending after the restart, and an operator would send it again.
/// Now the held writes are written slice after slice with the event loop turning, and quit() comes when none is left.
/// While the database refuses them (another program holds it, its disk is full, its file cannot be written), every
/// refused try says how many records are not saved and why (notSaved): the operator may wait, and the console ends by
/// itself once they are written, or quit without them (quitAnyway), which the log then names.
///
/// An exit that waited for the writes ended the console in the middle of an SOS that came meanwhile: the warning, the
/// alarm and the red frame vanished unanswered, and the panel never had its stop-alert. An open warning now holds any
/// exit until it is answered (setAlertsOpen). A waiting exit can be called off (callOff), and tells whoever shows it
/// what it waits for (pendingChanged).
///
/// A restore's restart ends the console too, and waits for the warnings the same way (quitAnyway: the writes held
/// for the file it replaces are not waited for).
class HeldWritesExit : public QObject
{
    Q_OBJECT

public:
    /// held is not owned. what names the exit in the log ("Exit", "Restore").
    explicit HeldWritesExit(DbHeldWrites *held, QObject *parent = nullptr, const char *what = "Exit");

    /// The operator chose Exit: quit() at once when nothing is held and no warning is open, else once everything held
    /// is written and every warning answered.
    void request();
    /// The operator would rather not wait for the writes: quit() now, or once every warning is answered.
    void quitAnyway();
    /// The operator keeps the console: the exit no longer waits, and the writes go on as they would without it.
    void callOff();
    /// How many SOS warnings are open (shown and not answered).
    void setAlertsOpen(int warnings);

    /// Whether an exit was chosen and waits.
    bool isPending() const { return m_chosen; }
    /// Whether it waits for a warning to be answered.
    bool waitsForAlert() const { return alertsAwaited() > 0; }
    /// How many warnings it waits for.
    int alertsAwaited() const { return m_chosen ? m_alertsOpen : 0; }
    /// How many records it waits for (none when the operator chose to quit without them).
    int recordsAwaited() const;

signals:
    /// The console may end now.
    void quit();
    /// The database refused the held writes again, for that cause: that many records are not saved yet.
    void notSaved(int records, DbHoldCause cause);
    /// What the exit waits for changed (isPending(), waitsForAlert(), recordsAwaited()).
    void pendingChanged();

private:
    /// Quits when nothing holds the chosen exit back any more, else says what it waits for.
    void update();

    DbHeldWrites *m_held;
    const char *m_what;
    bool m_chosen = false;
    bool m_withoutRecords = false;
    int m_alertsOpen = 0;
    bool m_alertLogged = false; ///< the log says already that a warning holds the exit
};
