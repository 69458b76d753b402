#include "core/data/dao/ConnectionLoss.h"

namespace qrv::dao {

bool isConnectionLost(QSqlError::ErrorType type, const QString &sqlState, const QString &text) {
    if (type == QSqlError::ConnectionError)
        return true;
    const QString state = sqlState.trimmed().toUpper();
    // Class 08: connection exceptions; 57P01-03: administrator, crash or cannot-connect-now shutdown.
    if (state.size() == 5 && (state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") ||
                              state == QLatin1String("57P02") || state == QLatin1String("57P03")))
        return true;
    // libpq reports a socket closed under it without any SQLSTATE.
    static const char *const texts[] = {"server closed the connection unexpectedly",
                                        "no connection to the server", "terminating connection",
                                        "connection to server was lost"};
    for (const char *t : texts)
        if (text.contains(QLatin1String(t), Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace qrv::dao
