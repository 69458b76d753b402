#pragma once

#include <QSqlError>
#include <QString>

namespace qrv::dao {

/**
 * Whether a failure the engine reported means the connection itself is gone (server restarted or
 * shut down, failover, backend terminated), so that only a new connection can go on: a connection
 * error of the driver, an SQLSTATE of class 08 or 57P01/57P02/57P03, or the texts libpq gives when
 * the server closed the socket. type and text as in QSqlError, sqlState its nativeErrorCode().
 * False for every other failure (syntax, constraint, lock conflict). For a server's driver only:
 * QSQLITE types even a busy database as a connection error.
 */
bool isConnectionLost(QSqlError::ErrorType type, const QString &sqlState, const QString &text);

} // namespace qrv::dao
