#pragma once

#include <functional>
#include <memory>

namespace qrv {

namespace dao {
class Database;
class DaoError;
} // namespace dao

/**
 * Runs step until it succeeds or the operator gives up. A DaoError thrown by step is handed to
 * report, which shows it and returns true for Retry. Before each retry a lost connection of the
 * database that database() returns (nullptr for none) is reopened; a reopen that fails is
 * reported in place of running step again, so Retry never repeats a step on a dead connection.
 * Returns true once step succeeded, false when report answered anything but Retry.
 */
bool runWithRetry(const std::function<void()> &step, const std::function<bool(const dao::DaoError &)> &report,
                  const std::function<std::shared_ptr<dao::Database>()> &database);

} // namespace qrv
