#pragma once

#include <QList>
#include <QString>

class PanelFleet;
class SimulatedPanel;

/// The line commands the panelsim executable reads from standard input while it runs ("sos 3", "kick all ...").
/// Each command returns the text to print.
class PanelSimCommands
{
public:
    explicit PanelSimCommands(PanelFleet *fleet) : m_fleet(fleet) {}

    /// Runs one line; sets *quit for "quit".
    QString execute(const QString &line, bool *quit);
    static QString helpText();

    /// "3" (panel number as in its name), "all", a MAC or a panel name; empty list = nothing matched.
    QList<SimulatedPanel *> select(const QString &selector) const;
    QString statusLine(const SimulatedPanel *panel) const;

private:
    PanelFleet *m_fleet;
};
