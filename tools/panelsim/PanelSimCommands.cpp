#include "PanelSimCommands.h"

#include "PanelFleet.h"
#include "PanelSimOptions.h"

#include <QMetaEnum>
#include <QRegularExpression>

QString PanelSimCommands::helpText()
{
    return QStringLiteral(
        "commands (PANELS = number, name, MAC or \"all\"):\n"
        "  status [PANELS]            state of each panel\n"
        "  on PANELS | off PANELS     press the power button / pull the plug\n"
        "  sos PANELS                 raise an SOS alert\n"
        "  kick PANELS [ID [PASS]]    report a take-over by console ID; PASS becomes the panel's password\n"
        "  drop PANELS                drop the connection (the panel reconnects)\n"
        "  stall PANELS | resume PANELS   stop / resume reading the connection\n"
        "  rate PANELS MBPS           read no faster than MBPS Mbit/s from now on (0 = as fast as possible)\n"
        "  heartbeat PANELS           send a keep-alive\n"
        "  help | quit");
}

QList<SimulatedPanel *> PanelSimCommands::select(const QString &selector) const
{
    if (selector == QLatin1String("all"))
        return m_fleet->panels();
    bool isNumber = false;
    const int number = selector.toInt(&isNumber);
    if (isNumber) {
        SimulatedPanel *panel = m_fleet->panel(number - 1);
        return panel ? QList<SimulatedPanel *>{panel} : QList<SimulatedPanel *>();
    }
    if (SimulatedPanel *panel = m_fleet->panelByMac(selector))
        return {panel};
    for (SimulatedPanel *panel : m_fleet->panels()) {
        if (panel->name().compare(selector, Qt::CaseInsensitive) == 0)
            return {panel};
    }
    return {};
}

QString PanelSimCommands::statusLine(const SimulatedPanel *panel) const
{
    const char *state = QMetaEnum::fromType<SimulatedPanel::State>().valueToKey(panel->state());
    QString line = QStringLiteral("%1 %2 %3 %4 fw %5")
                       .arg(panel->name(), panel->settings().ownAddress.toString(), panel->mac(),
                            QString::fromLatin1(state), panel->fwVersion());
    if (panel->isSosActive())
        line += QStringLiteral(" SOS");
    if (!panel->receivedFiles().isEmpty())
        line += QStringLiteral(" files %1").arg(panel->receivedFiles().size());
    return line;
}

QString PanelSimCommands::execute(const QString &line, bool *quit)
{
    *quit = false;
    const QStringList words = line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return QString();
    const QString command = words.first().toLower();
    if (command == QLatin1String("help") || command == QLatin1String("?"))
        return helpText();
    if (command == QLatin1String("quit") || command == QLatin1String("exit")) {
        *quit = true;
        return QStringLiteral("bye");
    }
    if (command == QLatin1String("status") && words.size() == 1) {
        QStringList lines;
        for (SimulatedPanel *panel : m_fleet->panels())
            lines << statusLine(panel);
        lines << QStringLiteral("%1 of %2 connected").arg(m_fleet->connectedCount()).arg(m_fleet->size());
        return lines.join(QLatin1Char('\n'));
    }
    if (words.size() < 2)
        return QStringLiteral("\"%1\" needs PANELS; type help").arg(command);
    const QList<SimulatedPanel *> panels = select(words.at(1));
    if (panels.isEmpty())
        return QStringLiteral("no panel \"%1\"").arg(words.at(1));

    QStringList lines;
    for (SimulatedPanel *panel : panels) {
        int result = 0;
        if (command == QLatin1String("status")) {
            lines << statusLine(panel);
            continue;
        } else if (command == QLatin1String("on")) {
            panel->start();
        } else if (command == QLatin1String("off")) {
            panel->shutDown();
        } else if (command == QLatin1String("sos")) {
            result = panel->raiseSos();
        } else if (command == QLatin1String("kick")) {
            result = panel->sendKick(words.value(2), words.size() > 3 ? words.at(3) : QString());
        } else if (command == QLatin1String("drop")) {
            panel->abort();
        } else if (command == QLatin1String("stall")) {
            panel->stopReading();
        } else if (command == QLatin1String("resume")) {
            panel->resumeReading();
        } else if (command == QLatin1String("rate")) {
            if (!PanelSimOptions::linkRate(words.value(2), &panel->behaviour().linkBytesPerSecond))
                return QStringLiteral("\"rate\" needs PANELS and Mbit/s; type help");
        } else if (command == QLatin1String("heartbeat")) {
            result = panel->sendHeartbeat();
        } else {
            return QStringLiteral("unknown command \"%1\"; type help").arg(command);
        }
        if (result != 0)
            lines << QStringLiteral("%1: not connected").arg(panel->name());
    }
    return lines.join(QLatin1Char('\n'));
}
