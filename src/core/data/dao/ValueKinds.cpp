#include "core/data/dao/ValueKinds.h"

#include <QRegularExpression>
#include <cmath>

namespace qrv::dao {

bool isIntegerType(int typeId) {
    switch (typeId) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isNumber(const QVariant &value) {
    const int type = value.typeId();
    return isIntegerType(type) || type == QMetaType::Double || type == QMetaType::Float;
}

std::optional<double> numberInText(const QString &text) {
    static const QRegularExpression decimal(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

bool truthOf(const QVariant &value) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (isNumber(value))
        return value.toDouble() != 0;
    const QString text = value.toString().trimmed().toLower();
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (ok)
        return number != 0;
    return text == QLatin1String("true") || text == QLatin1String("t") || text == QLatin1String("yes") ||
           text == QLatin1String("y") || text == QLatin1String("on");
}

} // namespace qrv::dao
