#include "core/data/dao/VenueSetup.h"

#include "core/data/dao/Database.h"

#include <QFile>

namespace qrv::dao {

namespace {

QString readScript(const QString &schemaDir, const QString &name) {
    const QString path = schemaDir + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DaoError(DaoErrorCode::OpenFailed,
                       QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    return QString::fromUtf8(file.readAll());
}

// Runs every statement of a script in one transaction; on failure nothing of it stays.
template <typename Run> void runScript(Database &database, const QStringList &statements, Run run) {
    database.beginTransaction();
    try {
        for (const QString &statement : statements)
            run(statement);
        database.commitTransaction();
    } catch (...) {
        if (database.inTransaction()) {
            try {
                database.rollbackTransaction();
            } catch (const DaoError &) {
            }
        }
        throw;
    }
}

} // namespace

QStringList splitSqlScript(const QString &script) {
    QStringList statements;
    QString current;
    bool inText = false;
    bool inIdentifier = false;
    for (int i = 0; i < script.size(); ++i) {
        const QChar c = script.at(i);
        if (!inText && !inIdentifier && c == QLatin1Char('-') && i + 1 < script.size() &&
            script.at(i + 1) == QLatin1Char('-')) {
            while (i < script.size() && script.at(i) != QLatin1Char('\n'))
                ++i;
            current += QLatin1Char('\n');
            continue;
        }
        if (c == QLatin1Char('\'') && !inIdentifier)
            inText = !inText; // a doubled '' toggles twice and stays inside the text
        else if (c == QLatin1Char('"') && !inText)
            inIdentifier = !inIdentifier;
        if (c == QLatin1Char(';') && !inText && !inIdentifier) {
            if (!current.trimmed().isEmpty())
                statements.append(current.trimmed());
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        statements.append(current.trimmed());
    return statements;
}

void createSchema(Database &database, const QString &schemaDir) {
    const bool pg = database.engine() == Database::Engine::PostgreSQL;
    const QStringList statements = splitSqlScript(
        readScript(schemaDir, pg ? QStringLiteral("postgresql.sql") : QStringLiteral("sqlite.sql")));
    runScript(database, statements, [&](const QString &sql) { database.ExecuteNative(sql); });
}

void loadDemoVenue(Database &database, const QString &schemaDir) {
    const QStringList demo = splitSqlScript(readScript(schemaDir, QStringLiteral("demo.sql")));
    QStringList after;
    if (database.engine() == Database::Engine::PostgreSQL)
        after = splitSqlScript(readScript(schemaDir, QStringLiteral("demo-postgresql-after.sql")));
    runScript(database, demo, [&](const QString &sql) { database.Execute(sql); });
    if (!after.isEmpty())
        runScript(database, after, [&](const QString &sql) { database.ExecuteNative(sql); });
}

} // namespace qrv::dao
