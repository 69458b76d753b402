#pragma once

#include "core/data/dao/Database.h"

#include <QString>
#include <QStringList>

namespace qrv::dao {

// The statements a recordset writes its rows back with, one row by its key. Names are quoted for
// the engine; values are left as ? marks, bound in the order of the columns, then the key.

/** SELECT * FROM table. */
QString selectAllSql(const QString &table, Database::Engine engine);

/** The row of table whose key is ?, locked for update on PostgreSQL (SQLite locks the file instead). */
QString selectRowForUpdateSql(const QString &table, const QString &key, Database::Engine engine);

/** An insert of columns (DEFAULT VALUES when none) that returns the stored row, its new key included. */
QString insertRowSql(const QString &table, const QStringList &columns, Database::Engine engine);

/** An update of columns of the row whose key is ?; columns must not be empty. */
QString updateRowSql(const QString &table, const QStringList &columns, const QString &key,
                     Database::Engine engine);

/** A deletion of the row whose key is ?. */
QString deleteRowSql(const QString &table, const QString &key, Database::Engine engine);

} // namespace qrv::dao
