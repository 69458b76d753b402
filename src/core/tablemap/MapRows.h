#pragma once

#include <QString>
#include <functional>

namespace qrv {

class clsRecordset;
namespace dao {
class Recordset;
}

/**
 * Hands the rows of rs, opened by the caller, to perRow one by one until the wrapper reports no
 * row left or perRow returns false; then closes rs. A row that cannot be read (a column the
 * database lacks) ends the reading with a critical message naming routine, and false is returned:
 * the map keeps what it has built so far instead of the failure leaving the event that ran it.
 */
bool readRows(clsRecordset &rs, const QString &routine,
              const std::function<bool(const dao::Recordset &row)> &perRow);

} // namespace qrv
