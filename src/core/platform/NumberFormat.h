#pragma once

#include <QLocale>
#include <QString>

namespace qrv {

/**
 * Formats an amount as "#0.00" with the locale's decimal separator: at least one integer digit,
 * exactly two decimals, no group separators. The value is rounded as its 15-digit decimal text
 * reads, halves away from zero (2.675 gives "2,68" in an Italian locale). A value that is not a
 * finite number formats as zero; a value that rounds to zero never shows a minus sign.
 */
QString formatAmount(double value, const QLocale &locale = QLocale());

/**
 * Writes a number in the general form of the classic till software: up to 15 significant digits,
 * trailing zeros dropped, the locale's decimal separator, no group separators; exponent form only
 * below 0.0001 and from 1E+15 in magnitude ("1E-05", "1E+15"). 100 / 12 in an Italian locale
 * gives "8,33333333333333". A value that is not a finite number gives "0".
 */
QString formatGeneralNumber(double value, const QLocale &locale = QLocale());

/**
 * Reads a number written with the locale's rules ("3,33" in Italy, "3.33" in the US), surrounding
 * blanks allowed. Returns 0 for an empty text or one that is not a finite number.
 */
double parseLocaleNumber(const QString &text, const QLocale &locale = QLocale());

} // namespace qrv
