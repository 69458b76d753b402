#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>

namespace qrv::separatebills {

/** One row of DettaglioTavoli as the separate-bill screen reads it, in ID order. */
struct OrderLine {
    qint64 id = 0;
    qint64 codice = 0;      ///< article code (Articoli.Codice)
    bool isVariant = false; ///< Variante is not 0: the line belongs to the article line before it
    qint16 quantita = 0;    ///< units of an article line; 0 for a null, invalid or out-of-range value
    double importo = 0;     ///< amount of the whole line; 0 for a null or invalid value
    QString descrizione;    ///< text of a variant line

    /**
     * Builds a line from the column values as the database returns them. A null or non-numeric
     * Variante counts as "not 0", so such a line is a variant line. A Quantita that is null,
     * not a number or outside the 16-bit range reads 0 (the line then gives no rows); an
     * Importo that is null or not a finite number reads 0.
     */
    static OrderLine fromValues(const QVariant &id, const QVariant &codice, const QVariant &variante,
                                const QVariant &quantita, const QVariant &importo,
                                const QVariant &descrizione);
};

/** One unit of an article line: one grid row of the separate-bill screen. */
struct UnitRow {
    QString description;   ///< article description, CR LF, variant descriptions joined by "; "
    double unitAmount = 0; ///< Importo / Quantita of the article line
    QString ids;           ///< "12;13;14;": the article line's ID then each variant's ID, each with ";"

    /**
     * The grid cells of the row: description, "#0.00" amount, "" (no mark), ids. Each goes into
     * its cell whole, so a TAB in a description cannot move the amount, mark or ids.
     */
    QStringList cells(const QLocale &locale = QLocale()) const;

    bool operator==(const UnitRow &other) const {
        return description == other.description && unitAmount == other.unitAmount && ids == other.ids;
    }
};

/** The unit rows of an order and the total of the whole bill. */
struct UnitRows {
    QVector<UnitRow> rows;
    double total = 0; ///< sum of the article lines' Importo (variant amounts are not counted)
};

/**
 * Turns order lines (in ID order) into one row per unit of each article line, carrying the
 * article's description (from describeArticle, given the article code), its variants' texts and
 * the identifiers of the article line and its variant lines. describeArticle is asked once per
 * article code, and only for the articles that give rows.
 *
 * An article line with a quantity of 0 or less gives no rows; the variant lines that follow it,
 * and variant lines standing before the first article line, belong to no shown article and are
 * left out, so their identifiers are never handed over with another article's units.
 */
UnitRows buildUnitRows(const QVector<OrderLine> &lines,
                       const std::function<QString(qint64 codice)> &describeArticle);

} // namespace qrv::separatebills
