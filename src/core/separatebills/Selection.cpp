#include "core/separatebills/Selection.h"

#include "core/platform/NumberFormat.h"

namespace qrv::separatebills {

Selection summarizeSelection(const QVector<GridRowCells> &rows, const QLocale &locale) {
    Selection selection;
    for (const GridRowCells &row : rows) {
        if (row.mark != markText())
            continue;
        selection.total += parseLocaleNumber(row.amount, locale);
        selection.ids += row.ids + QLatin1Char(';');
        ++selection.count;
    }
    return selection;
}

} // namespace qrv::separatebills
