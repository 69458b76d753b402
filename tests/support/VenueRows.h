#pragma once

// Rows and failures for the venue tables of a test database, written the way the component
// writes its own statements (Jet dialect, translated by the access layer for each engine).

#include <QPair>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>

namespace qrv::dao {
class Database;
}

namespace qrvtest {

using Columns = QVector<QPair<QString, QVariant>>;

/** A value as an SQL literal: NULL, True/False, a number in C notation, or text with '' doubled. */
QString sqlValue(const QVariant &value);

/**
 * Inserts one row of table and returns its key: the key column's value when columns name it,
 * else the key the database assigned (the highest in the table).
 */
qint64 insertRow(const std::shared_ptr<qrv::dao::Database> &db, const QString &table, const Columns &columns);

/** A table in room sala, free unless occupato, at (0, 0); returns its Codice. */
qint64 addTable(const std::shared_ptr<qrv::dao::Database> &db, const QString &numero,
                const QVariant &descrizione, qint64 sala = 1, bool occupato = false);

/**
 * Makes the engine refuse a statement: trigger name fires on event ("DELETE", "UPDATE OF column")
 * of table and raises an error for the rows meeting condition (NEW. or OLD. columns, lower case;
 * "1 = 1" for every row).
 */
void failWhen(const std::shared_ptr<qrv::dao::Database> &db, const QString &name, const QString &event,
              const QString &table, const QString &condition);

/** Removes the trigger of failWhen. */
void dropFailure(const std::shared_ptr<qrv::dao::Database> &db, const QString &name, const QString &table);

} // namespace qrvtest
