#include "core/operations/LineRemoval.h"

#include "core/platform/NumberFormat.h"

#include <cmath>
#include <limits>
#include <optional>

namespace qrv {

namespace {

// The amount cell as parseLocaleNumber reads it, but a text that is no number is told apart from
// zero: the line must not be rewritten with amount 0 because a cell could not be read.
std::optional<double> amountOf(const QString &text, const QLocale &locale) {
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

QString classicStr(double value) {
    if (!std::isfinite(value))
        return QStringLiteral(" 0");
    QString digits = formatGeneralNumber(std::fabs(value), QLocale::c());
    if (digits.startsWith(QLatin1String("0.")))
        digits.remove(0, 1);
    return (value < 0 ? QLatin1Char('-') : QLatin1Char(' ')) + digits;
}

qint64 leadingWholeNumber(const QString &text) {
    int i = 0;
    const int n = text.size();
    while (i < n && (text.at(i) == QLatin1Char(' ') || text.at(i) == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 result = 0;
    constexpr qint64 limit = std::numeric_limits<qint64>::max() / 10;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        if (result > limit)
            return 0;
        result = result * 10 + (c.unicode() - '0');
        if (result < 0)
            return 0;
    }
    return negative ? -result : result;
}

double amountAfterOneUnitLess(double amount, qint64 quantity) {
    const double perUnit = amount / static_cast<double>(quantity);
    return perUnit * static_cast<double>(quantity - 1);
}

UnitRemoval planUnitRemoval(const QString &quantityCell, const QString &amountCell, const QString &idCell,
                            const QLocale &locale) {
    UnitRemoval plan;
    const qint64 id = leadingWholeNumber(idCell);
    if (id < 1)
        return plan;
    plan.id = id;
    const qint64 quantity = leadingWholeNumber(quantityCell);
    if (quantity < 2) {
        plan.kind = UnitRemoval::Kind::RemoveLine;
        return plan;
    }
    const auto amount = amountOf(amountCell, locale);
    if (!amount) {
        plan.kind = UnitRemoval::Kind::BadAmount;
        return plan;
    }
    plan.kind = UnitRemoval::Kind::RemoveOneUnit;
    plan.newQuantity = quantity - 1;
    plan.newAmount = amountAfterOneUnitLess(*amount, quantity);
    plan.amount = *amount;
    return plan;
}

} // namespace qrv
