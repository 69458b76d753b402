#include "tablemap/logic/MapFormats.h"

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

QString formatReceiptAmount(double amount, const QLocale &locale) {
    QLocale plain(locale);
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    // A tiny negative remainder would otherwise print as "-0,00".
    if (amount < 0 && amount > -0.005)
        amount = 0;
    return plain.toString(amount, 'f', 2);
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
