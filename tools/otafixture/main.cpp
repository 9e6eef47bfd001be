// otafixture: a sample update folder served on loopback, for trying a whole firmware update by hand against
// simulated devices. See README.md.

#include "tools/localhttp/LocalHttpServer.h"
#include "tools/otafixture/OtaDemo.h"
#include "tools/otafixture/OtaFixture.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    // The demo keeps its console's data folder (database, settings, OTA folder) in a folder of its own.
    QTemporaryDir demoHome;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--demo") == 0)
            qputenv("XDG_DATA_HOME", QFile::encodeName(demoHome.path()));
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("otafixture"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A sample update folder served on 127.0.0.1."));
    parser.addHelpOption();
    const QCommandLineOption folder(QStringLiteral("folder"), QStringLiteral("Where the update folder is built."),
                                    QStringLiteral("path"), QDir::tempPath() + QStringLiteral("/quorvin-ota"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("HTTP port on 127.0.0.1 (0: any free)."),
                                  QStringLiteral("n"), QStringLiteral("18080"));
    const QCommandLineOption size(QStringLiteral("size-kib"), QStringLiteral("Size of each firmware file."),
                                  QStringLiteral("KiB"), QStringLiteral("1024"));
    const QCommandLineOption settings(QStringLiteral("settings"),
                                      QStringLiteral("Also point this settings.ini ([Ota]) at the server."),
                                      QStringLiteral("file"));
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Run a whole update here: a command server and update manager of "
                                                 "its own, the sample fleet in panelsim processes."));
    const QCommandLineOption panelsim(QStringLiteral("panelsim"), QStringLiteral("The panelsim program (--demo)."),
                                      QStringLiteral("path"),
                                      QCoreApplication::applicationDirPath() + QStringLiteral("/../panelsim/panelsim"));
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Print the console's log (--demo)."));
    parser.addOptions({folder, port, size, settings, demo, panelsim, verbose});
    parser.process(app);

    LocalHttpServer server(quint16(parser.value(port).toUInt()));
    if (!server.isListening()) {
        std::fprintf(stderr, "otafixture: cannot listen on 127.0.0.1:%s\n", qPrintable(parser.value(port)));
        return 1;
    }
    const QString root = parser.value(folder);
    QString error;
    if (!OtaFixture::build(root, server.url(), parser.value(size).toLongLong() * 1024, &error)) {
        std::fprintf(stderr, "otafixture: %s\n", qPrintable(error));
        return 1;
    }
    server.serveFolder(root);
    server.setStatus(404);
    QObject::connect(&server, &LocalHttpServer::requestServed, &app, [](const QString &path) {
        std::printf("http  GET %s\n", qPrintable(path));
        std::fflush(stdout);
    });
    std::printf("Update folder %s served at %s\n", qPrintable(root), qPrintable(server.url()));

    if (parser.isSet(settings)) {
        QSettings ini(parser.value(settings), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Ota/UpdateServer"), server.url());
        ini.setValue(QStringLiteral("Ota/DownloadServer"), server.url());
        std::printf("Wrote [Ota] to %s\n", qPrintable(parser.value(settings)));
    }

    if (parser.isSet(demo)) {
        OtaDemo run(server.url(), parser.value(panelsim), parser.isSet(verbose));
        QObject::connect(&run, &OtaDemo::done, &app, &QCoreApplication::exit);
        run.start();
        return app.exec();
    }

    std::printf("\nIn the console's settings.ini (~/.local/share/Quorvin/settings.ini):\n"
                "  [Ota]\n  UpdateServer=%s\n  DownloadServer=%s\n\nThe matching simulated fleet:\n",
                qPrintable(server.url()), qPrintable(server.url()));
    for (const FixtureFleet &fleet : OtaFixture::fleets()) {
        QStringList args = OtaFixture::panelsimArguments(fleet, 1688, 33333, QStringLiteral("kelvo"));
        for (QString &arg : args) {
            if (arg.contains(QLatin1Char(' ')) || arg.isEmpty())
                arg = QLatin1Char('"') + arg + QLatin1Char('"');
        }
        // Pasted together into one terminal, the lines run in its background; panelsim reads commands on its
        // standard input, and a background process that reads the terminal is stopped at the next line typed there.
        std::printf("  build/tools/panelsim/panelsim %s </dev/null &\n", qPrintable(args.join(QLatin1Char(' '))));
    }
    std::printf("(the same line with --print-csv in place of \"</dev/null &\" prints its devices for Import List)\n\n");
    std::fflush(stdout);
    return app.exec();
}
