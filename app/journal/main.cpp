// qrvtavoli-journal: prints the journal of the order changes made on the table maps (the table
// RegistroTavoli of the venue database), as a readable table or as JSON lines.

#include "core/data/dao/DaoError.h"
#include "core/data/dao/Database.h"
#include "core/operations/JournalReport.h"
#include "core/operations/OrderJournal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qrvtavoli-journal"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the journal of the order changes made on the table maps (RegistroTavoli)."));
    parser.addHelpOption();
    const QCommandLineOption dbOption(
        QStringLiteral("db"), QStringLiteral("Venue database: sqlite:PATH or postgresql://user@host/db."),
        QStringLiteral("url"));
    const QCommandLineOption tableOption(
        QStringLiteral("table"), QStringLiteral("Only the changes of table number N (moved from or to it)."),
        QStringLiteral("N"));
    const QCommandLineOption sinceOption(
        QStringLiteral("since"),
        QStringLiteral("Only the changes from this time of the tills on: YYYY-MM-DD, or YYYY-MM-DD HH:MM "
                       "with :SS optional (a T may stand for the blank)."),
        QStringLiteral("time"));
    const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("One JSON object per line."));
    parser.addOptions({dbOption, tableOption, sinceOption, jsonOption});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString url = parser.value(dbOption).trimmed();
    if (url.isEmpty() || !parser.positionalArguments().isEmpty()) {
        err << "usage: qrvtavoli-journal --db URL [--table N] [--since TIME] [--json]\n";
        return 2;
    }
    qrv::JournalFilter filter;
    if (parser.isSet(tableOption)) {
        filter.numero = parser.value(tableOption).trimmed();
        if (filter.numero.isEmpty()) {
            err << "qrvtavoli-journal: --table needs a table number\n";
            return 2;
        }
    }
    if (parser.isSet(sinceOption)) {
        filter.since = qrv::JournalReport::parseSince(parser.value(sinceOption));
        if (!filter.since) {
            err << "qrvtavoli-journal: --since takes YYYY-MM-DD or YYYY-MM-DD HH:MM[:SS], not \""
                << parser.value(sinceOption) << "\"\n";
            return 2;
        }
    }

    // An SQLite address that names no file would create an empty database: refused instead.
    if (url.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive)) {
        QString path = url.mid(7);
        if (path.startsWith(QLatin1String("//")))
            path = path.mid(2);
        if (!QFileInfo(path).isFile()) {
            err << "qrvtavoli-journal: no database file " << path << '\n';
            return 1;
        }
    }
    try {
        const auto db = qrv::dao::Database::open(url);
        if (!db->hasTable(qrv::OrderJournal::tableName())) {
            err << "qrvtavoli-journal: the database has no table RegistroTavoli, so the tills keep no "
                   "journal "
                   "there (schema/registro-sqlite.sql or schema/registro-postgresql.sql creates it)\n";
            return 1;
        }
        const QVector<qrv::JournalRow> rows = qrv::JournalReport::read(*db, filter);
        if (parser.isSet(jsonOption))
            out << QString::fromUtf8(qrv::JournalReport::jsonLines(rows));
        else
            out << qrv::JournalReport::table(rows);
    } catch (const qrv::dao::DaoError &e) {
        err << "qrvtavoli-journal: " << e.description() << " (" << e.number() << ")\n";
        return 1;
    }
    return 0;
}
