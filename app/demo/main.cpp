// qrvtavoli-demo: a small host till around the table map. See DemoTill.

#include "DemoTill.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <cstdio>

namespace {

/** True when there is no display to show a window on and no platform was asked for. */
bool noDisplay() {
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
           qEnvironmentVariable("QT_QPA_PLATFORM") != QLatin1String("offscreen");
}

} // namespace

int main(int argc, char *argv[]) {
    const bool headless = noDisplay();
    if (headless)
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qrvtavoli-demo"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A demo till around the table map: shows the map in a loop, prints each outcome as one JSON line, "
        "opens and bills tables itself, and notifies the other tills."));
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
    const QCommandLineOption notifyHostOption(
        QStringLiteral("notify-host"), QStringLiteral("Where change notifications go (default 127.0.0.1)."),
        QStringLiteral("host"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption notifyPortOption(QStringLiteral("notify-port"),
                                              QStringLiteral("UDP port of the notifications (default 8989)."),
                                              QStringLiteral("port"));
    parser.addOptions({dbOption, dataOption, appOption, archiveOption, contextOption, salaOption, tableOption,
                       onceOption, screenshotOption, notifyHostOption, notifyPortOption});
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
    options.notifyHost = parser.value(notifyHostOption);
    options.notifyPort = static_cast<quint16>(parser.value(notifyPortOption).toUInt());
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
    if (headless && screenshot.isEmpty()) {
        const QString dataDir = options.dataDir.isEmpty() ? DemoTill::defaultDataDir() : options.dataDir;
        screenshot = QDir(dataDir).filePath(QStringLiteral("qrvtavoli-demo.png"));
        std::fprintf(stderr, "No display found: rendering the map to %s instead of showing it.\n",
                     qPrintable(screenshot));
    }
    if (!screenshot.isEmpty()) {
        if (!till.renderScreenshot(screenshot)) {
            std::fprintf(stderr, "qrvtavoli-demo: cannot write %s\n", qPrintable(screenshot));
            return 1;
        }
        std::fprintf(stderr, "Map rendered to %s\n", qPrintable(screenshot));
        return 0;
    }
    return till.run();
}
