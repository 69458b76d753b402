#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

namespace qrv {

/** One row of DettaglioTavoli as the receipt panel reads it. */
struct ReceiptLine {
    qint64 id = 0;     ///< DettaglioTavoli.ID, wider than 32 bits on a long-lived venue
    qint32 codice = 0; ///< article code
    qint32 quantita = 0;
    qint32 variante = 0; ///< 0 for an article line
    QString descrizione; ///< the line's own text (shown for variant lines)
    double importo = 0;
};

/** The four cells of one receipt grid row. */
struct ReceiptRow {
    QString quantita;
    QString descrizione;
    QString importo;
    QString id; ///< the line ID, "0" for a variant row, "" for the free-table row

    /** The four cells in column order, each given to the grid whole (a TAB in a text stays in it). */
    QStringList cells() const { return {quantita, descrizione, importo, id}; }
    bool operator==(const ReceiptRow &o) const {
        return quantita == o.quantita && descrizione == o.descrizione && importo == o.importo && id == o.id;
    }
};

/** What the receipt panel shows for an occupied table. */
struct Receipt {
    QVector<ReceiptRow> rows;
    double totale = 0;
    QString idDettSelezionati; ///< every line ID followed by ";", shown or not
};

/** Width of the article description column. */
constexpr int ReceiptDescriptionWidth = 16;

/**
 * The receipt of a table from its lines in ID order. Lines with a quantity of 0 or less get no
 * row and add nothing to the total, but their ID is listed. An article line shows its article's
 * description (articleDescription of its code) cut or padded to 16 characters; a variant line
 * shows its own description whole, no quantity, no amount and the ID "0", and its amount still
 * counts in the total. Amounts use the locale's decimal separator.
 */
Receipt buildReceipt(const QVector<ReceiptLine> &lines,
                     const std::function<QString(qint32)> &articleDescription,
                     const QLocale &locale = QLocale());

/** The row a free table shows. */
ReceiptRow freeTableRow();

/** True when a grid row with this hidden ID cell is an order line that can be deleted. */
inline bool isDeletableLine(const QString &idCell) {
    return !idCell.isEmpty() && idCell != QLatin1String("0");
}

} // namespace qrv
