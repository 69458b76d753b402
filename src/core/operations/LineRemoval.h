#pragma once

#include <QLocale>
#include <QString>

namespace qrv {

/**
 * The number-to-text conversion that order amounts are written into SQL with, whatever the
 * regional settings: a point as decimal separator, no thousands separator, at most 15 significant
 * digits, exponent form ("1E+20") beyond that, and the sign position always present: a blank for
 * zero or more, "-" below zero. As in the classic runtime a zero before the point is dropped
 * (0.5 gives " .5"). Returns " 6.66666666666667" for 20 / 3, " 0" for a value
 * that is not finite.
 */
QString classicStr(double value);

/**
 * The whole number at the start of text: leading blanks skipped, an optional sign, then digits up
 * to the first other character. Returns 0 when text starts with no digit, and 0 when the digits do
 * not fit 64 bits (so an absurd identifier is never taken for a real one).
 */
qint64 leadingWholeNumber(const QString &text);

/**
 * The amount of a line of quantity units once one unit is taken away: amount / quantity ×
 * (quantity − 1), in double precision, division first. 10 over 3 units gives 6.666666666666667.
 */
double amountAfterOneUnitLess(double amount, qint64 quantity);

/** What pressing "Cancella riga selezionata" does to the touched grid row. */
struct UnitRemoval {
    enum class Kind {
        Nothing,       ///< no line identifier in the row (variant row, "Nessun ordine", odd text)
        RemoveLine,    ///< one unit or less left: the whole line goes
        RemoveOneUnit, ///< one unit less, the amount recomputed
        BadAmount,     ///< more than one unit, but the amount cell holds no number
    };
    Kind kind = Kind::Nothing;
    qint64 id = 0;          ///< DettaglioTavoli.ID of the line
    qint64 newQuantity = 0; ///< RemoveOneUnit: quantity − 1
    double newAmount = 0;   ///< RemoveOneUnit: amountAfterOneUnitLess
    double amount = 0;      ///< RemoveOneUnit: the line's amount before, as the row shows it
};

/**
 * Decides the removal from the texts of the touched row: the quantity (column 0), the amount
 * (column 2) and the line identifier (column 3). An identifier below 1 means Nothing; a quantity
 * below 2 (blank or odd text included) means RemoveLine.
 */
UnitRemoval planUnitRemoval(const QString &quantityCell, const QString &amountCell, const QString &idCell,
                            const QLocale &locale = QLocale());

} // namespace qrv
