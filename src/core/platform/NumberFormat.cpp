#include "core/platform/NumberFormat.h"

#include <cmath>

namespace qrv {

namespace {

// Puts the locale's decimal separator and minus sign into a number written in the C locale.
// (QString::number never follows the process locale, unlike printf once Qt has called setlocale.)
QString localised(QString text, const QLocale &locale) {
    const int point = text.indexOf(QLatin1Char('.'));
    if (point >= 0)
        text.replace(point, 1, locale.decimalPoint());
    if (text.startsWith(QLatin1Char('-')))
        text.replace(0, 1, locale.negativeSign());
    return text;
}

} // namespace

QString formatAmount(double value, const QLocale &locale) {
    if (!std::isfinite(value))
        value = 0;
    const bool negative = value < 0;
    const double magnitude = std::fabs(value);

    if (magnitude >= 1e15) {
        // Past 15 significant digits there are no decimals left to round.
        return localised((negative ? QStringLiteral("-") : QString()) + QString::number(magnitude, 'f', 2),
                         locale);
    }

    // The 15 significant digits of the value as an integer D and its decimal exponent e:
    // magnitude = D * 10^(e - 14). Hundredths are then D * 10^(e - 12), rounded half up.
    const QString scientific = QString::number(magnitude, 'e', 14); // d.dddddddddddddde+XX
    const int exponentMark = scientific.indexOf(QLatin1Char('e'));
    const int exponent = scientific.mid(exponentMark + 1).toInt();
    qint64 digits = 0;
    for (int i = 0; i < exponentMark; ++i) {
        const QChar c = scientific.at(i);
        if (c.isDigit())
            digits = digits * 10 + c.digitValue();
    }

    qint64 hundredths = 0;
    const int shift = 12 - exponent;
    if (shift <= 0) {
        hundredths = digits;
        for (int i = 0; i < -shift; ++i)
            hundredths *= 10;
    } else if (shift <= 16) {
        qint64 divisor = 1;
        for (int i = 0; i < shift; ++i)
            divisor *= 10;
        hundredths = digits / divisor;
        if ((digits % divisor) * 2 >= divisor)
            ++hundredths;
    }
    // shift > 16: the value is far below half a hundredth and rounds to zero.

    QString text = QString::number(hundredths / 100) + QLatin1Char('.') +
                   QString::number(hundredths % 100).rightJustified(2, QLatin1Char('0'));
    if (negative && hundredths > 0)
        text.prepend(QLatin1Char('-'));
    return localised(text, locale);
}

QString formatGeneralNumber(double value, const QLocale &locale) {
    if (!std::isfinite(value) || value == 0)
        return QStringLiteral("0");
    return localised(QString::number(value, 'G', 15), locale);
}

double parseLocaleNumber(const QString &text, const QLocale &locale) {
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return 0;
    return value;
}

} // namespace qrv
