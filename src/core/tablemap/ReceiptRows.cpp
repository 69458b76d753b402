#include "core/tablemap/ReceiptRows.h"

#include "core/tablemap/MapFormats.h"

namespace qrv {

Receipt buildReceipt(const QVector<ReceiptLine> &lines,
                     const std::function<QString(qint32)> &articleDescription, const QLocale &locale) {
    Receipt receipt;
    receipt.rows.reserve(lines.size());
    for (const ReceiptLine &line : lines) {
        if (line.quantita > 0) {
            if (line.variante == 0)
                receipt.rows.append({formatQuantity(line.quantita),
                                     fitText(articleDescription(line.codice), ReceiptDescriptionWidth),
                                     formatAmount(line.importo, locale), QString::number(line.id)});
            else
                receipt.rows.append({QString(), line.descrizione, QString(), QStringLiteral("0")});
            receipt.totale += line.importo;
        }
        receipt.idDettSelezionati += QString::number(line.id) + QLatin1Char(';');
    }
    return receipt;
}

ReceiptRow freeTableRow() {
    return {QString(), QStringLiteral("Nessun ordine"), QString(), QString()};
}

} // namespace qrv
