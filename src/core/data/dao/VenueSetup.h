#pragma once

#include <QString>
#include <QStringList>

namespace qrv::dao {

class Database;

/**
 * Splits an SQL script into its statements: at semicolons outside quoted text, without the
 * "--" comments and blank statements.
 */
QStringList splitSqlScript(const QString &script);

/**
 * Creates the four venue tables from schemaDir/sqlite.sql or schemaDir/postgresql.sql, in one
 * transaction. Throws DaoError when a file is missing or a statement fails (nothing is created then).
 */
void createSchema(Database &database, const QString &schemaDir);

/**
 * Fills the venue tables with the demo venue of schemaDir/demo.sql (written in the dialect of the
 * component and translated like its statements), in one transaction; on PostgreSQL then runs
 * demo-postgresql-after.sql so that new keys continue after the demo's. The tables must be empty.
 */
void loadDemoVenue(Database &database, const QString &schemaDir);

} // namespace qrv::dao
