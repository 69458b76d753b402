#pragma once

#include <QString>
#include <functional>

namespace qrv {

namespace dao {
class Recordset;
}

/**
 * Runs a database step of the layout editor (an edit, insert or statement outside
 * clsRecordset's own reporting). A failure is shown in a critical box naming the routine,
 * with the error number and description; Retry reopens a lost connection of the shared database
 * and runs the step again, Cancel gives up.
 * Returns true when the step succeeded.
 */
bool runReported(const QString &routine, const std::function<void()> &step);

/**
 * Adds a row (addNew) or edits the current row of rows, sets its fields with setFields and
 * updates it. On a failure the pending edit is cancelled, so no row lock stays held, and the
 * DaoError goes on to the caller (runReported).
 */
void writeRow(dao::Recordset *rows, bool addNew, const std::function<void(dao::Recordset &)> &setFields);

/** What became of a row written by writeReported. */
enum class RowWrite {
    Written,
    RowGone, ///< the row edited was deleted meanwhile (at another till): nothing written
    Failed,  ///< the database refused and the operator gave up (already reported)
};

/**
 * writeRow under runReported, with one difference: a row found deleted when the edit takes
 * its lock (or when it is written) is no failure to retry but the outcome RowGone.
 */
RowWrite writeReported(const QString &routine, dao::Recordset *rows, bool addNew,
                       const std::function<void(dao::Recordset &)> &setFields);

/** Whether text is a whole number, as the table and room codes used in statements must be. */
bool isWholeNumber(const QString &text);

/** A field of the current row as text; a null, or a column the row lacks, reads as empty text. */
QString fieldText(const dao::Recordset &rows, const QString &name);

/** text, with a null text turned into an empty one, so that "no text" is stored as '' and never as NULL. */
QString nonNull(const QString &text);

} // namespace qrv
