#pragma once

#include <QObject>

class DbHeldWrites;

/// What Exit does about writes the database still holds back, apart from any window: the console ends once they are
/// written, and asks the operator only while the database refuses them.
///
/// Quitting used to write one slice of them and drop the rest, though the database would have taken them all: a
/// broadcast that had reached every panel came back Pending after the restart, and an operator would send it again.
/// Now the held writes are written slice after slice with the event loop turning, and quit() comes when none is left.
/// While another program holds the database, every refused try says how many records are not saved (notSaved): the
/// operator may wait, and the console ends by itself once they are written, or quit without them (quitAnyway), which
/// the log then names.
class HeldWritesExit : public QObject
{
    Q_OBJECT

public:
    /// held is not owned.
    explicit HeldWritesExit(DbHeldWrites *held, QObject *parent = nullptr);

    /// The operator chose Exit: quit() at once when nothing is held, else once everything held is written.
    void request();
    /// The operator would rather not wait: quit() now.
    void quitAnyway();

signals:
    /// The console may end now.
    void quit();
    /// The database refused the held writes again: that many records are not saved yet.
    void notSaved(int records);

private:
    void end();

    DbHeldWrites *m_held;
    bool m_waiting = false;
};
