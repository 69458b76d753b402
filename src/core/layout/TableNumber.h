#pragma once

#include <QString>
#include <functional>

namespace qrv {

/** The number kept for client-bill tables; no ordinary table may carry it. */
inline QString reservedTableNumber() {
    return QStringLiteral("999");
}

/**
 * A stored table number as the table data form shows it: a whole number loses its leading
 * zeros and surrounding blanks ("07" -> "7", "+5" -> "5"); anything else, a zero, a
 * fraction or text, is shown exactly as stored ("0", "1.5", "A1"), so that no stored number
 * turns into an empty box.
 */
QString formatNumeroTavolo(const QString &stored);

/** Outcome of a number entered for a new table. */
enum class NewTableNumber {
    Abandoned, ///< empty: the operator closed the data form
    Reserved,  ///< "999"
    Duplicate, ///< a table of any room already carries it
    Accepted,
};

/** Checks a number entered for a new table; exists says whether a table carries a number (TavoloPresente). */
NewTableNumber checkNewTableNumber(const QString &numero, const std::function<bool(const QString &)> &exists);

} // namespace qrv
