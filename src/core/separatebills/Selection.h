#pragma once

#include <QLocale>
#include <QString>
#include <QVector>

namespace qrv::separatebills {

/** The cells of one grid row that the selection reads: amount (column 1), mark (2), ids (3). */
struct GridRowCells {
    QString amount;
    QString mark;
    QString ids;
};

/** What the marked rows add up to. */
struct Selection {
    QString ids;      ///< each marked row's identifier text followed by one more ";", in grid order
    double total = 0; ///< sum of the marked rows' shown unit amounts
    int count = 0;    ///< number of marked rows
};

/** The mark of a chosen row. */
inline QString markText() {
    return QStringLiteral("X");
}

/**
 * Sums the rows whose mark is exactly "X": their amount texts read with the locale's rules (a
 * text that is not a number counts 0) and their identifier texts each followed by ";". Marking
 * two of three units of line 12 with variant 13 and the one unit of line 15 gives
 * "12;13;;12;13;;15;;".
 */
Selection summarizeSelection(const QVector<GridRowCells> &rows, const QLocale &locale = QLocale());

} // namespace qrv::separatebills
