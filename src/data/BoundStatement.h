#pragma once

#include <QString>
#include <QVariant>
#include <QVector>

namespace qrv {

namespace dao {
class Database;
}

/** The rows a statement yields, each as the list of its column values in order. */
using BoundRows = QVector<QVariantList>;

/**
 * Runs sql, written in the engine's own SQL, on the connection of db with values bound to its "?"
 * marks in order, and returns the rows it yields (a SELECT, or a write with RETURNING). The values
 * reach the engine apart from the statement text and are never quoted into it. Outside a
 * transaction a lost connection is reopened first; inside one the statement runs once, and the
 * caller rolls the transaction back when it throws.
 *
 * Throws DaoError: NulInText for a NUL character in the statement or a text value, RecordLocked
 * when another till holds the rows, ConnectionLost when the connection is gone, StatementFailed
 * for anything else the engine refuses.
 */
BoundRows runBound(dao::Database &db, const QString &sql, const QVariantList &values = {});

} // namespace qrv
