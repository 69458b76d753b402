#pragma once

#include <QVector>

namespace qrv {

/** What tells an article line from a variant line of a table. */
struct OrderLineRef {
    qint64 id = 0;       ///< DettaglioTavoli.ID
    qint64 variante = 0; ///< 0 for an article line, anything else for a variant line
};

/**
 * The variant lines that belong to article line articleId: those that follow it in ID order up
 * to the next article line. lines must be one table's lines in ascending ID order. Returns an
 * empty list when articleId is not among them or is itself a variant line.
 */
QVector<qint64> variantLinesOf(const QVector<OrderLineRef> &lines, qint64 articleId);

} // namespace qrv
