#include "core/data/dao/ColumnValues.h"

#include "core/data/dao/ValueKinds.h"

#include <cmath>
#include <optional>

namespace qrv::dao {

Column describeColumn(const QString &name, int typeId) {
    Column column;
    column.name = name;
    column.type = typeId;
    column.isBool =
        typeId == QMetaType::Bool || name.compare(QLatin1String("Occupato"), Qt::CaseInsensitive) == 0;
    return column;
}

QVariant readValue(const QVariant &value, const Column &column) {
    if (!value.isValid() || value.isNull())
        return QVariant();
    if (column.isBool)
        return QVariant(truthOf(value));
    // Whole numbers come back as qint64 from both engines alike.
    if (isIntegerType(value.typeId()))
        return QVariant(value.toLongLong());
    return value;
}

QVariant assignedValue(const QVariant &value, const Column &column, Database::Engine engine) {
    using namespace DaoErrorCode;
    if (!value.isValid() || value.isNull())
        return QVariant();
    if (column.isBool)
        return QVariant(truthOf(value));
    const auto mismatch = [&] {
        return DaoError(
            TypeMismatch,
            QStringLiteral("Data type conversion error: '%1' for %2").arg(value.toString(), column.name));
    };
    if (isIntegerType(column.type)) {
        if (value.typeId() == QMetaType::Bool)
            return QVariant(qint64(value.toBool() ? 1 : 0));
        if (isIntegerType(value.typeId()))
            return QVariant(value.toLongLong());
        const std::optional<double> d =
            isNumber(value) ? std::optional<double>(value.toDouble()) : numberInText(value.toString());
        if (!d || !std::isfinite(*d) || std::fabs(*d) > 9.2e18)
            throw mismatch();
        return QVariant(qint64(std::llround(*d)));
    }
    if (column.type == QMetaType::Double || column.type == QMetaType::Float) {
        const std::optional<double> d =
            isNumber(value) ? std::optional<double>(value.toDouble()) : numberInText(value.toString());
        if (!d)
            throw mismatch();
        return QVariant(*d);
    }
    if (column.type == QMetaType::QString && engine == Database::Engine::PostgreSQL)
        return QVariant(value.toString());
    return value; // SQLite applies the column's own affinity
}

QVariant bindableValue(const QVariant &value, Database::Engine engine) {
    if (!value.isValid() || value.isNull())
        return QVariant();
    if (value.typeId() == QMetaType::Bool && engine == Database::Engine::SQLite)
        return QVariant(qint64(value.toBool() ? 1 : 0));
    return value;
}

} // namespace qrv::dao
