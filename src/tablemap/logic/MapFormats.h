#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace qrv {

/** "dd/mm/yyyy - hh:mm", the text of the date and time label (04/12/2026 - 22:09). */
QString clockText(const QDateTime &when);

/**
 * An amount as "#0.00": at least one integer digit, two decimals, the locale's decimal
 * separator and no grouping (12.5 is "12,50" in an Italian locale). Never for SQL.
 */
QString formatReceiptAmount(double amount, const QLocale &locale = QLocale());

/** A quantity as "##0": plain decimal digits, no grouping. */
QString formatQuantity(qint32 quantity);

/** text cut to, or padded with blanks to, exactly width characters. */
QString fitText(const QString &text, int width);

} // namespace qrv
