#include "data/BoundStatement.h"

#include "data/dao/ConnectionLoss.h"
#include "data/dao/DaoError.h"
#include "data/dao/Database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>

namespace qrv {

namespace {

bool holdsNul(const QVariant &value) {
    return value.typeId() == QMetaType::QString && value.toString().contains(QChar(0));
}

// The access layer's numbering for a failure of the engine, as Database gives it to its statements.
dao::DaoError errorOf(const dao::Database &db, const QSqlError &error) {
    using namespace dao::DaoErrorCode;
    QString text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Unknown database error");
    const QString code = error.nativeErrorCode();
    const bool sqlite = db.engine() == dao::Database::Engine::SQLite;
    if (!db.connection().isOpen() || (!sqlite && dao::isConnectionLost(error.type(), code, text)))
        return dao::DaoError(ConnectionLost,
                             QStringLiteral("The connection to the database was lost: ") + text);
    bool ok = false;
    const int primary = code.toInt(&ok) & 0xff;
    const bool locked =
        sqlite ? (ok && (primary == 5 || primary == 6)) || text.contains(QLatin1String("database is locked"))
               : code == QLatin1String("55P03") || code == QLatin1String("40P01");
    return dao::DaoError(locked ? RecordLocked : StatementFailed, text);
}

} // namespace

BoundRows runBound(dao::Database &db, const QString &sql, const QVariantList &values) {
    if (sql.contains(QChar(0)) || std::any_of(values.begin(), values.end(), holdsNul))
        throw dao::DaoError(
            dao::DaoErrorCode::NulInText,
            QStringLiteral("A text holding a NUL character cannot be written to the database"));
    if (!db.inTransaction())
        db.reconnect();
    BoundRows rows;
    bool failed = false;
    QSqlError error;
    {
        QSqlQuery query(db.connection());
        query.setForwardOnly(true);
        bool done = false;
        if (values.isEmpty()) {
            done = query.exec(sql);
        } else if (query.prepare(sql)) {
            for (const QVariant &value : values)
                query.addBindValue(value);
            done = query.exec();
        }
        if (done) {
            const int columns = query.record().count();
            while (query.next()) {
                QVariantList row;
                row.reserve(columns);
                for (int i = 0; i < columns; ++i)
                    row.append(query.value(i));
                rows.append(row);
            }
            done = !query.lastError().isValid();
        }
        if (!done) {
            failed = true;
            error = query.lastError();
        }
        // SQLite keeps a write's lock until its statement is reset; nothing stays open for the commit.
        query.finish();
    }
    if (failed)
        throw errorOf(db, error);
    return rows;
}

} // namespace qrv
