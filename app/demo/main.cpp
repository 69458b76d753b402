// qrvtavoli-demo: a small host till around the table map. See DemoTill.

#include "DemoTill.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <cstdio>
#include <vector>

namespace {

/** Screen of a till: what the map is laid out for when it is rendered without a display. */
constexpr char TillScreen[] =
    R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": false, "screens": [{"name": "S1", )"
    R"("x": 0, "y": 0, "width": 1366, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";

/** Index of the value of -platform (or --platform) in argv, 0 when the option is not there. */
int platformValueIndex(int argc, char *argv[]) {
    for (int i = 1; i + 1 < argc; ++i)
        if (qstrcmp(argv[i], "-platform") == 0 || qstrcmp(argv[i], "--platform") == 0)
            return i + 1;
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    const int platformAt = platformValueIndex(argc, argv);
    const QString platform =
        platformAt ? QString::fromLocal8Bit(argv[platformAt]) : qEnvironmentVariable("QT_QPA_PLATFORM");
    // Without a display and without a platform asked for, the map is rendered offscreen.
    const bool headless = platform.isEmpty() && qEnvironmentVariableIsEmpty("DISPLAY") &&
                          qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    const bool offscreen = headless || platform.section(QLatin1Char(':'), 0, 0) == QLatin1String("offscreen");

    // The offscreen platform's own screen is 800 pixels wide, which squeezes the map: unless a
    // screen configuration was given, it gets a till's 1366 x 768 screen. Qt reads that file only
    // from the command line's -platform, so the option is added to (or replaced in) the arguments.
    std::vector<char *> args(argv, argv + argc);
    QTemporaryFile screenConfig(QDir::tempPath() + QStringLiteral("/qrvtavoli-demo-screen-XXXXXX.json"));
    QByteArray platformArg;
    if (offscreen && !platform.contains(QLatin1String("configfile=")) && screenConfig.open() &&
        screenConfig.write(TillScreen) == qint64(sizeof TillScreen - 1) && screenConfig.flush()) {
        platformArg = (headless ? QByteArray("offscreen") : platform.toLocal8Bit()) +
                      ":configfile=" + QFile::encodeName(screenConfig.fileName());
        if (platformAt) {
            args[static_cast<size_t>(platformAt)] = platformArg.data();
        } else {
            static char option[] = "-platform";
            args.push_back(option);
            args.push_back(platformArg.data());
        }
    }
    int appArgc = static_cast<int>(args.size());
    args.push_back(nullptr);

    QApplication app(appArgc, args.data());
    QApplication::setApplicationName(QStringLiteral("qrvtavoli-demo"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A demo till around the table map: shows the map in a loop, prints each outcome as one JSON line, "
        "opens and bills tables itself, and notifies the other tills. A second till on this machine: "
        "--data DIR2 --port 8990 --db sqlite:DIR1/venue.sqlite --archive DIR1/archivi."));
    parser.addHelpOption();
    const QCommandLineOption dbOption(
        QStringLiteral("db"),
        QStringLiteral("Venue database: sqlite:PATH or postgresql://user@host/db "
                       "(default: the demo venue in the data folder)."),
        QStringLiteral("url"));
    const QCommandLineOption dataOption(
        QStringLiteral("data"), QStringLiteral("Data folder (default %1).").arg(DemoTill::defaultDataDir()),
        QStringLiteral("dir"));
    const QCommandLineOption appOption(QStringLiteral("app"),
                                       QStringLiteral("App folder with impostazioni.ini and SfondiSale."),
                                       QStringLiteral("dir"));
    const QCommandLineOption archiveOption(QStringLiteral("archive"),
                                           QStringLiteral("Shared archive folder."), QStringLiteral("dir"));
    const QCommandLineOption contextOption(
        QStringLiteral("context"),
        QStringLiteral("1 choose a table (default), 2 edit the floor plan, 3 consult."), QStringLiteral("n"),
        QStringLiteral("1"));
    const QCommandLineOption salaOption(QStringLiteral("sala"), QStringLiteral("Room Codice to open first."),
                                        QStringLiteral("codice"), QStringLiteral("0"));
    const QCommandLineOption tableOption(QStringLiteral("table"),
                                         QStringLiteral("Table Codice to select when the map first appears."),
                                         QStringLiteral("codice"));
    const QCommandLineOption onceOption(QStringLiteral("once"),
                                        QStringLiteral("Show the map once, then exit."));
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                              QStringLiteral("Render the map to a PNG file and exit."),
                                              QStringLiteral("file"));
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral(
            "UDP port this till's map receives notifications on; written as PortaNotifiche into its "
            "impostazioni.ini (a new one says 8989)."),
        QStringLiteral("port"));
    const QCommandLineOption peersOption(
        QStringLiteral("peers"),
        QStringLiteral("Where this till announces its changes, host[:port] separated by \";\"; written as "
                       "NotificheA (a new impostazioni.ini says 127.0.0.1:8989;127.0.0.1:8990; \"\" turns "
                       "them off)."),
        QStringLiteral("list"));
    const QCommandLineOption cassaOption(
        QStringLiteral("cassa"),
        QStringLiteral("Till code (CodiceCassa) shown on the map and in the journal."),
        QStringLiteral("code"));
    parser.addOptions({dbOption, dataOption, appOption, archiveOption, contextOption, salaOption, tableOption,
                       onceOption, screenshotOption, portOption, peersOption, cassaOption});
    parser.process(app);

    DemoOptions options;
    options.dbUrl = parser.value(dbOption);
    options.dataDir = parser.value(dataOption);
    options.appDir = parser.value(appOption);
    options.archiveDir = parser.value(archiveOption);
    options.context = parser.value(contextOption).toInt();
    options.sala = parser.value(salaOption).toInt();
    options.tavolo = parser.value(tableOption);
    options.once = parser.isSet(onceOption);
    options.screenshot = parser.value(screenshotOption);
    if (parser.isSet(portOption)) {
        bool ok = false;
        const uint port = parser.value(portOption).toUInt(&ok);
        if (!ok || port == 0 || port > 65535) {
            std::fprintf(stderr, "--port must be a UDP port from 1 to 65535\n");
            return 2;
        }
        options.port = static_cast<quint16>(port);
    }
    if (parser.isSet(peersOption))
        options.peers = parser.value(peersOption).isNull() ? QStringLiteral("") : parser.value(peersOption);
    options.cassa = parser.value(cassaOption).trimmed();
    if (options.context < 1 || options.context > 3) {
        std::fprintf(stderr, "--context must be 1, 2 or 3\n");
        return 2;
    }

    DemoTill till(options);
    QString error;
    if (!till.prepare(&error)) {
        std::fprintf(stderr, "qrvtavoli-demo: %s\n", qPrintable(error));
        return 1;
    }

    QString screenshot = options.screenshot;
    if (offscreen && screenshot.isEmpty()) {
        const QString dataDir = options.dataDir.isEmpty() ? DemoTill::defaultDataDir() : options.dataDir;
        screenshot = QDir(dataDir).filePath(QStringLiteral("qrvtavoli-demo.png"));
        std::fprintf(stderr, "No display to show the map on: rendering it to %s instead.\n",
                     qPrintable(screenshot));
    } else if (headless) {
        std::fprintf(stderr, "No display to show the map on: rendering it offscreen.\n");
    }
    if (!screenshot.isEmpty()) {
        if (!till.renderScreenshot(screenshot, &error)) {
            std::fprintf(stderr, "qrvtavoli-demo: %s\n", qPrintable(error));
            return 1;
        }
        std::fprintf(stderr, "Map rendered to %s\n", qPrintable(screenshot));
        return 0;
    }
    return till.run();
}
