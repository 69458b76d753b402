#include "core/data/SqlText.h"

namespace qrv {

QString sqlEscaped(const QString &text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return escaped;
}

QString sqlText(const QString &text) {
    return QLatin1Char('\'') + sqlEscaped(text) + QLatin1Char('\'');
}

} // namespace qrv
