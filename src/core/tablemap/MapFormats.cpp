#include "core/tablemap/MapFormats.h"

namespace qrv {

QString clockText(const QDateTime &when) {
    const QDate d = when.date();
    const QTime t = when.time();
    return QStringLiteral("%1/%2/%3 - %4:%5")
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'));
}

QString formatQuantity(qint32 quantity) {
    return QString::number(quantity);
}

QString fitText(const QString &text, int width) {
    if (text.size() >= width)
        return text.left(width);
    return text + QString(width - text.size(), QLatin1Char(' '));
}

} // namespace qrv
