#pragma once

#include "core/platform/NumberFormat.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace qrv {

/** "dd/mm/yyyy - hh:mm", the text of the date and time label (04/12/2026 - 22:09). */
QString clockText(const QDateTime &when);

/** A quantity as "##0": plain decimal digits, no grouping. */
QString formatQuantity(qint32 quantity);

/** text cut to, or padded with blanks to, exactly width characters. */
QString fitText(const QString &text, int width);

} // namespace qrv
