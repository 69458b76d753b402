#pragma once

#include "core/data/dao/Database.h"

#include <QString>
#include <QVariant>

namespace qrv::dao {

/** A column of a result set as the recordset converts its values. */
struct Column {
    QString name;
    int type = QMetaType::UnknownType; // QMetaType id the driver reports
    bool isBool = false;               // holds booleans, whatever type the file declares
};

/** The column named name of driver type typeId; Occupato holds booleans whatever its declared type. */
Column describeColumn(const QString &name, int typeId);

/**
 * A value as read from the database: null for an empty column, a bool for a boolean column, a
 * qint64 for any whole number, anything else as it is.
 */
QVariant readValue(const QVariant &value, const Column &column);

/**
 * A value a caller assigns to column, converted to the column's kind as the database would store
 * it (numbers from text, rounding to whole numbers, booleans from numbers or words). Throws
 * DaoError TypeMismatch when it cannot be converted.
 */
QVariant assignedValue(const QVariant &value, const Column &column, Database::Engine engine);

/** A value as bound into a statement: SQLite takes booleans as 1 and 0. */
QVariant bindableValue(const QVariant &value, Database::Engine engine);

} // namespace qrv::dao
