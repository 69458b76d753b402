#include "core/data/dao/RowStatements.h"

#include "core/data/dao/JetSql.h"

namespace qrv::dao {

namespace {

QString whereKey(const QString &key, Database::Engine engine) {
    return QStringLiteral(" WHERE ") + quoteIdentifier(key, engine) + QStringLiteral(" = ?");
}

} // namespace

QString selectAllSql(const QString &table, Database::Engine engine) {
    return QStringLiteral("SELECT * FROM ") + quoteIdentifier(table, engine);
}

QString selectRowForUpdateSql(const QString &table, const QString &key, Database::Engine engine) {
    QString sql = selectAllSql(table, engine) + whereKey(key, engine);
    if (engine == Database::Engine::PostgreSQL)
        sql += QStringLiteral(" FOR UPDATE");
    return sql;
}

QString insertRowSql(const QString &table, const QStringList &columns, Database::Engine engine) {
    // The key comes back from the insert itself; lastInsertId() can be stale on PostgreSQL.
    QString sql = QStringLiteral("INSERT INTO ") + quoteIdentifier(table, engine);
    if (columns.isEmpty()) {
        sql += QStringLiteral(" DEFAULT VALUES");
    } else {
        QStringList names, marks;
        for (const QString &c : columns) {
            names.append(quoteIdentifier(c, engine));
            marks.append(QStringLiteral("?"));
        }
        sql += QStringLiteral(" (") + names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") +
               marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    }
    return sql + QStringLiteral(" RETURNING *");
}

QString updateRowSql(const QString &table, const QStringList &columns, const QString &key,
                     Database::Engine engine) {
    QStringList assignments;
    for (const QString &c : columns)
        assignments.append(quoteIdentifier(c, engine) + QStringLiteral(" = ?"));
    return QStringLiteral("UPDATE ") + quoteIdentifier(table, engine) + QStringLiteral(" SET ") +
           assignments.join(QStringLiteral(", ")) + whereKey(key, engine);
}

QString deleteRowSql(const QString &table, const QString &key, Database::Engine engine) {
    return QStringLiteral("DELETE FROM ") + quoteIdentifier(table, engine) + whereKey(key, engine);
}

} // namespace qrv::dao
