#pragma once

#include "core/data/dao/Database.h"

#include <QString>
#include <optional>

namespace qrv::dao {

/** What a recordset is opened on, once classified. */
struct ClassifiedQuery {
    QString sql;   // the query as the engine runs it
    QString table; // the one table its rows can be written back to by key; empty when read-only
};

/**
 * Classifies the text a recordset is opened on: a bare table name ("Tavoli", "[Tavoli];") reads
 * the whole table; a Jet query (SELECT or WITH) is translated for the engine, and its rows can be
 * written back when they come from one table with no join, grouping, DISTINCT or computed column
 * (a scalar subquery among the columns is allowed). Nothing for any other statement.
 */
std::optional<ClassifiedQuery> classifyQuery(const QString &source, Database::Engine engine);

} // namespace qrv::dao
