#include "PanelSimOptions.h"

#include "LoopbackAddress.h"

#include <QCommandLineParser>

namespace {

bool parseEndpoint(const QString &text, QHostAddress *address, quint16 *port, QString *error)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const uint value = colon > 0 ? text.mid(colon + 1).toUInt(&ok) : 0;
    const QHostAddress host(colon > 0 ? text.left(colon) : QString());
    if (!ok || value == 0 || value > 65535 || host.isNull()) {
        *error = QStringLiteral("\"%1\" is not HOST:PORT").arg(text);
        return false;
    }
    if (!LoopbackAddress::isLoopback(host)) {
        *error = QStringLiteral("%1: only addresses in 127.0.0.0/8 are allowed").arg(text);
        return false;
    }
    *address = host;
    *port = quint16(value);
    return true;
}

bool parseNumber(const QString &text, const QString &name, qint64 min, qint64 max, qint64 *out, QString *error)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < min || value > max) {
        *error = QStringLiteral("--%1: \"%2\" is not a number from %3 to %4").arg(name, text).arg(min).arg(max);
        return false;
    }
    *out = value;
    return true;
}

} // namespace

bool PanelSimOptions::parse(const QStringList &arguments, PanelSimOptions *out, QString *error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated panels for the Quorvin console. Each panel has its own loopback address, connects to the "
        "console's command port (directly or after a discovery search), answers its commands and wakes on "
        "magic packets. Type \"help\" on standard input for the commands it takes while running."));
    parser.addHelpOption();
    const QCommandLineOption console(QStringLiteral("console"),
                                     QStringLiteral("Connect straight to the console's command port."),
                                     QStringLiteral("host:port"), QStringLiteral("127.0.0.1:1688"));
    const QCommandLineOption discovery(QStringLiteral("console-discovery"),
                                       QStringLiteral("Search for the console at its discovery port first."),
                                       QStringLiteral("host:port"));
    const QCommandLineOption answerPort(QStringLiteral("answer-port"),
                                        QStringLiteral("The panels' discovery port (0 = one free port)."),
                                        QStringLiteral("port"), QStringLiteral("1988"));
    const QCommandLineOption wolPort(QStringLiteral("wol-port"), QStringLiteral("Wake-on-LAN port."),
                                     QStringLiteral("port"), QStringLiteral("33333"));
    const QCommandLineOption wolAddress(QStringLiteral("wol-address"),
                                        QStringLiteral("Wake-on-LAN listening address (0.0.0.0 or 127/8)."),
                                        QStringLiteral("address"), QStringLiteral("0.0.0.0"));
    const QCommandLineOption noWol(QStringLiteral("no-wol"), QStringLiteral("Do not listen for magic packets."));
    const QCommandLineOption wolShared(
        QStringLiteral("wol-shared"),
        QStringLiteral("Share the Wake-on-LAN port with other panelsim processes that share it (use distinct MACs)."));
    const QCommandLineOption count(QStringLiteral("count"), QStringLiteral("Number of panels."), QStringLiteral("n"),
                                   QStringLiteral("1"));
    const QCommandLineOption baseIp(QStringLiteral("base-ip"), QStringLiteral("Address of the first panel."),
                                    QStringLiteral("address"), QStringLiteral("127.0.0.2"));
    const QCommandLineOption firstSerial(QStringLiteral("first-serial"),
                                         QStringLiteral("Low three MAC bytes of the first panel."), QStringLiteral("n"),
                                         QStringLiteral("1"));
    const QCommandLineOption mac(QStringLiteral("mac"),
                                 QStringLiteral("Every panel reports this MAC instead of its own (00:00:00:00:00:00 "
                                                "as an uninitialised network card); --print-csv then leaves the MAC "
                                                "column empty."),
                                 QStringLiteral("mac"));
    const QCommandLineOption namePrefix(QStringLiteral("name-prefix"), QStringLiteral("Panel name prefix."),
                                        QStringLiteral("text"), QStringLiteral("Panel-"));
    const QCommandLineOption model(QStringLiteral("model"), QStringLiteral("Model name."), QStringLiteral("text"),
                                   QStringLiteral("Velk TM B-Series"));
    const QCommandLineOption deviceType(QStringLiteral("device-type"),
                                        QStringLiteral("\"Control Box\" or \"Audio Box\"."), QStringLiteral("text"),
                                        QStringLiteral("Control Box"));
    const QCommandLineOption fw(QStringLiteral("fw"), QStringLiteral("Firmware version."), QStringLiteral("version"),
                                QStringLiteral("1.1.1030.30"));
    const QCommandLineOption panelFw(QStringLiteral("panel-fw"),
                                     QStringLiteral("Panel firmware version (default: --fw)."),
                                     QStringLiteral("version"));
    const QCommandLineOption displayVersion(QStringLiteral("display-version"),
                                            QStringLiteral("Display client version."), QStringLiteral("version"),
                                            QStringLiteral("1.1.1030.30"));
    const QCommandLineOption sku(QStringLiteral("sku"), QStringLiteral("SKU text."), QStringLiteral("text"));
    const QCommandLineOption password(QStringLiteral("password"),
                                      QStringLiteral("Control password the panels hold (empty = none)."),
                                      QStringLiteral("text"), QString());
    const QCommandLineOption otaState(QStringLiteral("ota-state"),
                                      QStringLiteral("Answer to the OTA state question (-1 = cannot update)."),
                                      QStringLiteral("n"), QStringLiteral("0"));
    const QCommandLineOption otaResult(QStringLiteral("ota-result"),
                                       QStringLiteral("Outcome of an update: ok or fail."), QStringLiteral("ok|fail"),
                                       QStringLiteral("ok"));
    const QCommandLineOption otaTime(QStringLiteral("ota-time"),
                                     QStringLiteral("Time an update takes until its result, in ms (a progress report "
                                                    "half way)."),
                                     QStringLiteral("ms"), QStringLiteral("200"));
    const QCommandLineOption afterOta(QStringLiteral("after-ota-version"),
                                      QStringLiteral("Firmware version reported after a successful update."),
                                      QStringLiteral("version"));
    const QCommandLineOption rebootAfterOta(QStringLiteral("reboot-after-ota"),
                                            QStringLiteral("Reboot after a successful update."));
    const QCommandLineOption restartBeforeResult(
        QStringLiteral("restart-before-result"),
        QStringLiteral("Restart in place of sending an update's result, after its progress report, and come back at "
                       "the versions the update left (the old ones with --ota-result fail)."));
    const QCommandLineOption lateResult(
        QStringLiteral("late-result"),
        QStringLiteral("With --restart-before-result: send the result the restart kept back this many ms after "
                       "connecting again (a firmware that reports once it has booted)."),
        QStringLiteral("ms"));
    const QCommandLineOption failFromUpdate(
        QStringLiteral("fail-from-update"),
        QStringLiteral("From this update on (1 = the first) a successful update reports -1 instead."),
        QStringLiteral("n"));
    const QCommandLineOption dropWhileInstalling(
        QStringLiteral("drop-while-installing"),
        QStringLiteral("This many ms after an update's start the connection drops (--drop-kind) and the panel "
                       "connects again after --reconnect-delay, installing on: its reports go out on the new "
                       "connection."),
        QStringLiteral("ms"));
    const QCommandLineOption dropKind(QStringLiteral("drop-kind"),
                                      QStringLiteral("How --drop-while-installing drops: fin (closed), reset, or open "
                                                     "(left open and silent while a new connection comes)."),
                                      QStringLiteral("fin|reset|open"), QStringLiteral("fin"));
    const QCommandLineOption silentInstall(
        QStringLiteral("silent-install"),
        QStringLiteral("For this many ms after an update's start answer no keep-alive and hold the reports back (an "
                       "agent blocked while it writes its image), installing on when the console closes the "
                       "connection meanwhile."),
        QStringLiteral("ms"));
    const QCommandLineOption rollBackAfter(
        QStringLiteral("roll-back-after"),
        QStringLiteral("With --reboot-after-ota: back on the new firmware, restart once more after this many ms and "
                       "come back at the versions from before the update (a new image failing its health check)."),
        QStringLiteral("ms"));
    const QCommandLineOption transferAnswer(QStringLiteral("transfer-answer"),
                                            QStringLiteral("Fixed answer to every complete firmware file."),
                                            QStringLiteral("n"));
    const QCommandLineOption firstSync(QStringLiteral("first-sync"),
                                       QStringLiteral("Answer to the first-sync question: auto, 0 or 1."),
                                       QStringLiteral("auto|0|1"), QStringLiteral("auto"));
    const QCommandLineOption syncAnswerSpread(
        QStringLiteral("sync-answer-spread"),
        QStringLiteral("Confirm the account files spread evenly over this many ms: panel i after i * ms / count "
                       "(0 = at once)."),
        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption noHeartbeat(QStringLiteral("no-heartbeat"),
                                         QStringLiteral("Do not answer the console's keep-alive."));
    const QCommandLineOption heartbeatEvery(QStringLiteral("heartbeat-every"),
                                            QStringLiteral("Send a keep-alive of our own every so many ms."),
                                            QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption skipIdentity(QStringLiteral("skip-identity"),
                                          QStringLiteral("Connect and never send the identity."));
    const QCommandLineOption sosEvery(QStringLiteral("sos-every"),
                                      QStringLiteral("Every so many seconds the next connected panel raises an SOS."),
                                      QStringLiteral("seconds"), QStringLiteral("0"));
    const QCommandLineOption off(QStringLiteral("off"), QStringLiteral("Start powered off; a magic packet wakes."));
    const QCommandLineOption bootDelay(QStringLiteral("boot-delay"), QStringLiteral("Boot time in ms."),
                                       QStringLiteral("ms"), QStringLiteral("1000"));
    const QCommandLineOption rebootDelay(QStringLiteral("reboot-delay"), QStringLiteral("Reboot time in ms."),
                                         QStringLiteral("ms"), QStringLiteral("3000"));
    const QCommandLineOption reconnectDelay(QStringLiteral("reconnect-delay"),
                                            QStringLiteral("Wait before connecting again, in ms."),
                                            QStringLiteral("ms"), QStringLiteral("2000"));
    const QCommandLineOption searchInterval(QStringLiteral("search-interval"),
                                            QStringLiteral("M-SEARCH repeat while searching, in ms."),
                                            QStringLiteral("ms"), QStringLiteral("3000"));
    const QCommandLineOption keepFiles(QStringLiteral("keep-files"),
                                       QStringLiteral("Keep received files in memory (default: size and SHA-256)."));
    const QCommandLineOption noHash(QStringLiteral("no-hash"),
                                    QStringLiteral("Count received files' bytes only, no SHA-256 (load runs)."));
    const QCommandLineOption linkMbps(QStringLiteral("link-mbps"),
                                      QStringLiteral("Read no faster than this many Mbit/s, as behind a link of that "
                                                     "speed, fractions allowed (0 = as fast as possible)."),
                                      QStringLiteral("mbps"), QStringLiteral("0"));
    const QCommandLineOption receiveBuffer(
        QStringLiteral("receive-buffer"),
        QStringLiteral("The sockets' receive buffer in KiB (SO_RCVBUF; 0 = the system's, which grows as it is read)."),
        QStringLiteral("kib"), QStringLiteral("0"));
    const QCommandLineOption printCsv(QStringLiteral("print-csv"),
                                      QStringLiteral("Print the 8-column device CSV of the fleet and exit."));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Log every frame received."));
    const QCommandLineOption monotonicStamps(
        QStringLiteral("monotonic-stamps"),
        QStringLiteral("Stamp every output line with the monotonic clock in microseconds instead of the time of day "
                       "(benchmarks compare it with their own clock)."));
    parser.addOptions({console,
                       discovery,
                       answerPort,
                       wolPort,
                       wolAddress,
                       noWol,
                       wolShared,
                       count,
                       baseIp,
                       firstSerial,
                       namePrefix,
                       model,
                       deviceType,
                       fw,
                       panelFw,
                       displayVersion,
                       sku,
                       password,
                       otaState,
                       otaResult,
                       otaTime,
                       afterOta,
                       rebootAfterOta,
                       restartBeforeResult,
                       lateResult,
                       failFromUpdate,
                       dropWhileInstalling,
                       dropKind,
                       silentInstall,
                       rollBackAfter,
                       transferAnswer,
                       firstSync,
                       noHeartbeat,
                       heartbeatEvery,
                       skipIdentity,
                       sosEvery,
                       off,
                       bootDelay,
                       rebootDelay,
                       reconnectDelay,
                       searchInterval,
                       keepFiles,
                       noHash,
                       linkMbps,
                       printCsv,
                       verbose,
                       monotonicStamps,
                       mac,
                       syncAnswerSpread,
                       receiveBuffer});

    PanelSimOptions o;
    o.helpText = parser.helpText();
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        o.showHelp = true;
        *out = o;
        return true;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return false;
    }

    PanelSettings &settings = o.fleet.settings;
    PanelIdentity &identity = o.fleet.identity;
    PanelBehaviour &behaviour = o.fleet.behaviour;
    qint64 n = 0;

    if (!parseEndpoint(parser.value(console), &settings.consoleAddress, &settings.consolePort, error))
        return false;
    if (parser.isSet(discovery)) {
        settings.discovery = true;
        if (!parseEndpoint(parser.value(discovery), &settings.discoveryAddress, &settings.discoveryPort, error))
            return false;
    }
    if (!parseNumber(parser.value(answerPort), answerPort.names().first(), 0, 65535, &n, error))
        return false;
    settings.answerPort = quint16(n);
    if (!parseNumber(parser.value(wolPort), wolPort.names().first(), 0, 65535, &n, error))
        return false;
    o.wolPort = quint16(n);
    o.wolAddress = QHostAddress(parser.value(wolAddress));
    if (!LoopbackAddress::isListenable(o.wolAddress)) {
        *error = QStringLiteral("--wol-address: only 0.0.0.0 or an address in 127.0.0.0/8");
        return false;
    }
    o.listenForWake = !parser.isSet(noWol);
    o.wolShared = parser.isSet(wolShared);
    if (!parseNumber(parser.value(count), count.names().first(), 1, 60000, &n, error))
        return false;
    o.fleet.count = int(n);
    o.fleet.baseAddress = QHostAddress(parser.value(baseIp));
    if (!LoopbackAddress::isLoopback(o.fleet.baseAddress) ||
        LoopbackAddress::forIndex(o.fleet.baseAddress, o.fleet.count - 1).isNull()) {
        *error = QStringLiteral("--base-ip: an address in 127.0.0.0/8 ending in .1 or .2 to .251, with room for "
                                "%1 panels")
                     .arg(o.fleet.count);
        return false;
    }
    if (!parseNumber(parser.value(firstSerial), firstSerial.names().first(), 0, 0xffffff - o.fleet.count + 1, &n,
                     error))
        return false;
    o.fleet.firstSerial = quint32(n);
    if (parser.isSet(mac)) {
        o.fleet.reportedMac = PanelIdentity::normaliseMac(parser.value(mac));
        if (o.fleet.reportedMac.isEmpty()) {
            *error = QStringLiteral("--mac: \"%1\" is not six pairs of hex digits").arg(parser.value(mac));
            return false;
        }
    }
    o.fleet.namePrefix = parser.value(namePrefix);

    identity.model = parser.value(model);
    identity.deviceType = parser.value(deviceType);
    identity.fwVersion = parser.value(fw);
    identity.panelFwVersion = parser.isSet(panelFw) ? parser.value(panelFw) : identity.fwVersion;
    identity.displayClientVersion = parser.value(displayVersion);
    identity.sku = parser.value(sku);
    identity.password = parser.value(password);

    if (!parseNumber(parser.value(otaState), otaState.names().first(), INT_MIN, INT_MAX, &n, error))
        return false;
    behaviour.otaStateAnswer = qint32(n);
    const QString result = parser.value(otaResult);
    if (result == QLatin1String("ok")) {
        behaviour.otaResultScript = PanelBehaviour::otaSuccessScript();
    } else if (result == QLatin1String("fail")) {
        behaviour.otaResultScript = PanelBehaviour::otaFailureScript();
    } else {
        *error = QStringLiteral("--ota-result: ok or fail");
        return false;
    }
    if (!parseNumber(parser.value(otaTime), otaTime.names().first(), 0, INT_MAX, &n, error))
        return false;
    for (OtaStep &step : behaviour.otaResultScript)
        step.delayMs = int(n / 2);
    behaviour.afterOtaVersion = parser.value(afterOta);
    behaviour.rebootAfterOta = parser.isSet(rebootAfterOta);
    behaviour.restartBeforeResult = parser.isSet(restartBeforeResult);
    // A number an option takes, refused unless `allowed` (`needs` names the option it needs then).
    const auto setNumber = [&](const QCommandLineOption &option, qint64 min, bool allowed, const char *needs,
                               int *value) {
        if (!parser.isSet(option))
            return true;
        if (!allowed) {
            *error = QStringLiteral("--%1 needs --%2").arg(option.names().first(), QLatin1String(needs));
            return false;
        }
        if (!parseNumber(parser.value(option), option.names().first(), min, INT_MAX, &n, error))
            return false;
        *value = int(n);
        return true;
    };
    if (!setNumber(lateResult, 0, behaviour.restartBeforeResult, "restart-before-result", &behaviour.lateResultMs) ||
        !setNumber(failFromUpdate, 1, true, nullptr, &behaviour.failFromUpdate) ||
        !setNumber(dropWhileInstalling, 0, true, nullptr, &behaviour.dropWhileInstallingMs) ||
        !setNumber(silentInstall, 1, true, nullptr, &behaviour.silentInstallMs) ||
        !setNumber(rollBackAfter, 0, behaviour.rebootAfterOta, "reboot-after-ota", &behaviour.rollBackAfterBootMs))
        return false;
    behaviour.installThroughDrops = parser.isSet(dropWhileInstalling) || parser.isSet(silentInstall);
    const QString drop = parser.value(dropKind);
    if (drop == QLatin1String("fin")) {
        behaviour.dropKind = PanelBehaviour::Drop::Fin;
    } else if (drop == QLatin1String("reset")) {
        behaviour.dropKind = PanelBehaviour::Drop::Reset;
    } else if (drop == QLatin1String("open")) {
        behaviour.dropKind = PanelBehaviour::Drop::LeftOpen;
    } else {
        *error = QStringLiteral("--drop-kind: fin, reset or open");
        return false;
    }
    if (parser.isSet(transferAnswer)) {
        if (!parseNumber(parser.value(transferAnswer), transferAnswer.names().first(), INT_MIN, INT_MAX, &n, error))
            return false;
        behaviour.transferAnswer = qint32(n);
    }
    const QString first = parser.value(firstSync);
    if (first == QLatin1String("0") || first == QLatin1String("1")) {
        behaviour.firstSyncAnswer = first == QLatin1String("1");
    } else if (first != QLatin1String("auto")) {
        *error = QStringLiteral("--first-sync: auto, 0 or 1");
        return false;
    }
    if (!parseNumber(parser.value(syncAnswerSpread), syncAnswerSpread.names().first(), 0, INT_MAX, &n, error))
        return false;
    o.fleet.syncAnswerSpreadMs = int(n);
    behaviour.answerHeartbeat = !parser.isSet(noHeartbeat);
    if (!parseNumber(parser.value(heartbeatEvery), heartbeatEvery.names().first(), 0, INT_MAX, &n, error))
        return false;
    behaviour.ownHeartbeatMs = int(n);
    behaviour.skipIdentity = parser.isSet(skipIdentity);
    behaviour.keepFiles = parser.isSet(keepFiles);
    behaviour.hashFiles = !parser.isSet(noHash);
    if (!linkRate(parser.value(linkMbps), &behaviour.linkBytesPerSecond)) {
        *error = QStringLiteral("--link-mbps: \"%1\" is not a number from 0 to 100000").arg(parser.value(linkMbps));
        return false;
    }
    if (!parseNumber(parser.value(receiveBuffer), receiveBuffer.names().first(), 0, 1024 * 1024, &n, error))
        return false;
    behaviour.receiveBufferBytes = int(n * 1024);

    const struct
    {
        const QCommandLineOption *option;
        int *target;
    } delays[] = {{&bootDelay, &settings.bootDelayMs},
                  {&rebootDelay, &settings.rebootDelayMs},
                  {&reconnectDelay, &settings.reconnectDelayMs},
                  {&searchInterval, &settings.searchIntervalMs}};
    for (const auto &delay : delays) {
        if (!parseNumber(parser.value(*delay.option), delay.option->names().first(), 0, INT_MAX, &n, error))
            return false;
        *delay.target = int(n);
    }
    settings.rejectBackoffMs = qMax(settings.reconnectDelayMs, 5000);
    if (!parseNumber(parser.value(sosEvery), sosEvery.names().first(), 0, 86400, &n, error))
        return false;
    o.sosEverySec = int(n);
    o.startOff = parser.isSet(off);
    o.printCsv = parser.isSet(printCsv);
    o.verbose = parser.isSet(verbose);
    o.monotonicStamps = parser.isSet(monotonicStamps);
    *out = o;
    return true;
}

bool PanelSimOptions::linkRate(const QString &mbps, qint64 *bytesPerSecond)
{
    bool ok = false;
    const double rate = mbps.toDouble(&ok);
    if (!ok || !(rate >= 0 && rate <= 100000))
        return false;
    *bytesPerSecond = rate > 0 ? qMax<qint64>(1, qint64(rate * 125000)) : 0;
    return true;
}
