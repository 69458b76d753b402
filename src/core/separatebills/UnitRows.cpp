#include "core/separatebills/UnitRows.h"

#include "core/platform/NumberFormat.h"

#include <QHash>

#include <cmath>
#include <limits>

namespace qrv::separatebills {

namespace {

// A whole-number column read as the classic 16-bit conversion does (halves to even), with the
// values it could not hold (null, text, out of range) read as 0 instead of stopping the screen.
qint16 toQuantity(const QVariant &value) {
    if (value.isNull())
        return 0;
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || !std::isfinite(number))
        return 0;
    const double rounded = std::nearbyint(number);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return 0;
    return static_cast<qint16>(rounded);
}

double toAmount(const QVariant &value) {
    if (value.isNull())
        return 0;
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok && std::isfinite(number) ? number : 0;
}

qint64 toWhole(const QVariant &value, bool *ok = nullptr) {
    bool converted = false;
    const qint64 number = value.isNull() ? 0 : value.toLongLong(&converted);
    if (ok)
        *ok = converted;
    return converted ? number : 0;
}

} // namespace

OrderLine OrderLine::fromValues(const QVariant &id, const QVariant &codice, const QVariant &variante,
                                const QVariant &quantita, const QVariant &importo,
                                const QVariant &descrizione) {
    OrderLine line;
    line.id = toWhole(id);
    line.codice = toWhole(codice);
    bool varianteIsNumber = false;
    const qint64 varianteValue = toWhole(variante, &varianteIsNumber);
    line.isVariant = !varianteIsNumber || varianteValue != 0;
    line.quantita = toQuantity(quantita);
    line.importo = toAmount(importo);
    line.descrizione = descrizione.toString();
    return line;
}

QStringList UnitRow::cells(const QLocale &locale) const {
    return {description, formatAmount(unitAmount, locale), QString(), ids};
}

UnitRows buildUnitRows(const QVector<OrderLine> &lines,
                       const std::function<QString(qint64 codice)> &describeArticle) {
    UnitRows result;
    // One order names the same article on many lines: each description is looked up once.
    QHash<qint64, QString> descriptions;
    const auto describe = [&](qint64 codice) {
        auto found = descriptions.constFind(codice);
        if (found == descriptions.constEnd())
            found = descriptions.insert(codice, describeArticle ? describeArticle(codice) : QString());
        return *found;
    };

    // The article line being gathered: its description, its variants' texts and the identifiers.
    QString description;
    QString variants;
    QString ids;
    qint16 quantity = 0;
    double amount = 0;

    const auto emitPending = [&] {
        if (quantity <= 0)
            return;
        UnitRow row;
        row.description = description + QStringLiteral("\r\n") + variants;
        row.unitAmount = amount / quantity;
        row.ids = ids;
        for (int unit = 0; unit < quantity; ++unit)
            result.rows.append(row);
    };

    for (const OrderLine &line : lines) {
        if (!line.isVariant) {
            emitPending();
            // A new article starts afresh, also after one that had no units to show.
            variants.clear();
            ids.clear();
            quantity = line.quantita;
            description = quantity > 0 ? describe(line.codice) : QString();
            amount = line.importo;
            ids = QString::number(line.id) + QLatin1Char(';');
            result.total += amount;
        } else {
            if (!variants.isEmpty())
                variants += QStringLiteral("; ");
            variants += line.descrizione;
            ids += QString::number(line.id) + QLatin1Char(';');
        }
    }
    emitPending();
    return result;
}

} // namespace qrv::separatebills
