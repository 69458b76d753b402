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
 * with the error number and description; Retry runs the step again, Cancel gives up.
 * Returns true when the step succeeded.
 */
bool runReported(const QString &routine, const std::function<void()> &step);

/**
 * Adds a row (addNew) or edits the current row of rows, sets its fields with setFields and
 * updates it. On a failure the pending edit is cancelled, so no row lock stays held, and the
 * DaoError goes on to the caller (runReported).
 */
void writeRow(dao::Recordset *rows, bool addNew, const std::function<void(dao::Recordset &)> &setFields);

/** Whether text is a whole number, as the table and room codes used in statements must be. */
bool isWholeNumber(const QString &text);

} // namespace qrv
