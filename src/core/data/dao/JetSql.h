#pragma once

#include "core/data/dao/Database.h"

#include <QString>

namespace qrv::dao {

/**
 * Translates a statement written in the Jet dialect into the engine's SQL:
 * "Delete * from" becomes "DELETE FROM"; the literals True and False become TRUE/FALSE
 * (PostgreSQL) or 1/0 (SQLite); the column names Top and Left, reserved words of PostgreSQL,
 * are quoted there as "top" and "left"; a [bracketed] name becomes a quoted identifier; trailing
 * semicolons go. Text between single quotes (with '' inside) and quoted identifiers are never
 * touched. A statement that needs nothing of this comes back unchanged.
 */
QString translateJet(const QString &sql, Database::Engine engine);

/** Returns name as a quoted identifier for generated SQL (lowercase on PostgreSQL). */
QString quoteIdentifier(const QString &name, Database::Engine engine);

} // namespace qrv::dao
