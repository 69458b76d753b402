#include "core/operations/VariantLines.h"

namespace qrv {

QVector<qint64> variantLinesOf(const QVector<OrderLineRef> &lines, qint64 articleId) {
    QVector<qint64> variants;
    int i = 0;
    while (i < lines.size() && lines.at(i).id != articleId)
        ++i;
    if (i == lines.size() || lines.at(i).variante != 0)
        return variants;
    for (++i; i < lines.size() && lines.at(i).variante != 0; ++i)
        variants.append(lines.at(i).id);
    return variants;
}

} // namespace qrv
