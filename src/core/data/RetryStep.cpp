#include "core/data/RetryStep.h"

#include "core/data/dao/DaoError.h"
#include "core/data/dao/Database.h"

#include <optional>

namespace qrv {

bool runWithRetry(const std::function<void()> &step, const std::function<bool(const dao::DaoError &)> &report,
                  const std::function<std::shared_ptr<dao::Database>()> &database) {
    for (;;) {
        std::optional<dao::DaoError> failure;
        try {
            step();
            return true;
        } catch (const dao::DaoError &error) {
            failure = error;
        }
        for (;;) {
            if (!report(*failure))
                return false;
            try {
                if (const std::shared_ptr<dao::Database> db = database ? database() : nullptr)
                    db->reconnect();
                break;
            } catch (const dao::DaoError &error) {
                failure = error;
            }
        }
    }
}

} // namespace qrv
