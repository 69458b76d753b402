#include "data/dao/Database.h"

#include "data/dao/JetSql.h"
#include "data/dao/Recordset.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

namespace qrv::dao {

namespace {

QString newConnectionName() {
    static QAtomicInt counter;
    return QStringLiteral("qrv-dao-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

// The keys of the venue's tables, for an engine that does not report them.
QString knownKey(const QString &table) {
    static const QHash<QString, QString> keys = {
        {QStringLiteral("tavoli"), QStringLiteral("Codice")},
        {QStringLiteral("sale"), QStringLiteral("Codice")},
        {QStringLiteral("dettagliotavoli"), QStringLiteral("ID")},
        {QStringLiteral("articoli"), QStringLiteral("Codice")},
    };
    return keys.value(table.toLower());
}

QString queryValue(const QUrlQuery &query, const char *key) {
    return query.queryItemValue(QLatin1String(key), QUrl::FullyDecoded);
}

} // namespace

std::shared_ptr<Database> Database::open(const QString &url) {
    using namespace DaoErrorCode;
    std::shared_ptr<Database> db(new Database);
    db->m_url = url;
    const QString address = url.trimmed();

    if (address.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive)) {
        QString path = address.mid(7);
        if (path.startsWith(QLatin1String("//")))
            path = path.mid(2);
        if (path.isEmpty())
            throw DaoError(OpenFailed, QStringLiteral("No database file in the address \"%1\"").arg(url));
        db->m_engine = Engine::SQLite;
        db->m_connectionName = newConnectionName();
        db->m_ownsConnection = true;
        QString failure;
        {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), db->m_connectionName);
            c.setDatabaseName(path);
            c.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(db->m_busyTimeout));
            if (!c.open())
                failure = c.lastError().text();
        }
        if (!failure.isEmpty())
            throw DaoError(OpenFailed, QStringLiteral("Cannot open %1: %2").arg(path, failure));
        try {
            // WAL lets readers and one writer work side by side; FULL makes each commit survive a
            // power loss, which WAL with NORMAL does not promise.
            db->runStatement(QStringLiteral("PRAGMA journal_mode=WAL"));
            db->runStatement(QStringLiteral("PRAGMA synchronous=FULL"));
        } catch (const DaoError &e) {
            throw DaoError(OpenFailed, QStringLiteral("Cannot open %1: %2").arg(path, e.description()));
        }
        return db;
    }

    if (address.startsWith(QLatin1String("postgresql:"), Qt::CaseInsensitive) ||
        address.startsWith(QLatin1String("postgres:"), Qt::CaseInsensitive)) {
        const QUrl parsed(address, QUrl::StrictMode);
        if (!parsed.isValid())
            throw DaoError(
                OpenFailed,
                QStringLiteral("Invalid database address \"%1\": %2").arg(url, parsed.errorString()));
        const QUrlQuery query(parsed);
        const QString host =
            query.hasQueryItem(QStringLiteral("host")) ? queryValue(query, "host") : parsed.host();
        const QString user = query.hasQueryItem(QStringLiteral("user")) ? queryValue(query, "user")
                                                                        : parsed.userName(QUrl::FullyDecoded);
        const QString password = query.hasQueryItem(QStringLiteral("password"))
                                     ? queryValue(query, "password")
                                     : parsed.password(QUrl::FullyDecoded);
        int port = parsed.port(5432);
        if (query.hasQueryItem(QStringLiteral("port")))
            port = queryValue(query, "port").toInt();
        QString name = query.hasQueryItem(QStringLiteral("dbname")) ? queryValue(query, "dbname")
                                                                    : parsed.path(QUrl::FullyDecoded).mid(1);
        if (name.isEmpty())
            throw DaoError(OpenFailed, QStringLiteral("No database name in the address \"%1\"").arg(url));
        if (port <= 0)
            throw DaoError(OpenFailed, QStringLiteral("Invalid port in the address \"%1\"").arg(url));

        db->m_engine = Engine::PostgreSQL;
        db->m_connectionName = newConnectionName();
        db->m_ownsConnection = true;
        QString failure;
        {
            QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), db->m_connectionName);
            if (!c.isValid()) {
                failure = QStringLiteral("the PostgreSQL driver is not available");
            } else {
                c.setHostName(host);
                c.setPort(port);
                c.setUserName(user);
                c.setPassword(password);
                c.setDatabaseName(name);
                c.setConnectOptions(QStringLiteral("connect_timeout=10"));
                if (!c.open())
                    failure = c.lastError().text();
            }
        }
        if (!failure.isEmpty())
            throw DaoError(OpenFailed, QStringLiteral("Cannot open %1: %2").arg(name, failure.trimmed()));
        try {
            db->setBusyTimeout(db->m_busyTimeout);
        } catch (const DaoError &e) {
            throw DaoError(OpenFailed, QStringLiteral("Cannot open %1: %2").arg(name, e.description()));
        }
        return db;
    }

    throw DaoError(OpenFailed, QStringLiteral("Unknown kind of database address \"%1\"").arg(url));
}

std::shared_ptr<Database> Database::fromConnection(const QSqlDatabase &connection) {
    using namespace DaoErrorCode;
    if (!connection.isValid() || !connection.isOpen())
        throw DaoError(OpenFailed,
                       QStringLiteral("The connection \"%1\" is not open").arg(connection.connectionName()));
    std::shared_ptr<Database> db(new Database);
    const QString driver = connection.driverName();
    if (driver == QLatin1String("QSQLITE")) {
        db->m_engine = Engine::SQLite;
        db->m_url = QStringLiteral("sqlite:") + connection.databaseName();
    } else if (driver == QLatin1String("QPSQL")) {
        db->m_engine = Engine::PostgreSQL;
        QUrlQuery query;
        if (!connection.hostName().isEmpty())
            query.addQueryItem(QStringLiteral("host"), connection.hostName());
        if (!connection.userName().isEmpty())
            query.addQueryItem(QStringLiteral("user"), connection.userName());
        if (connection.port() > 0)
            query.addQueryItem(QStringLiteral("port"), QString::number(connection.port()));
        db->m_url = QStringLiteral("postgresql:///") +
                    QString::fromUtf8(QUrl::toPercentEncoding(connection.databaseName())) + QLatin1Char('?') +
                    query.toString(QUrl::FullyEncoded);
    } else {
        throw DaoError(OpenFailed, QStringLiteral("Unsupported database driver %1").arg(driver));
    }
    db->m_connectionName = connection.connectionName();
    db->m_ownsConnection = false;
    return db;
}

Database::~Database() {
    if (m_transactionDepth > 0) {
        // Never leave a half-done transaction on a connection that outlives us.
        try {
            m_transactionDepth = 1;
            rollbackTransaction();
        } catch (const DaoError &) {
        }
    }
    if (m_ownsConnection && !m_connectionName.isEmpty()) {
        {
            QSqlDatabase c = QSqlDatabase::database(m_connectionName, false);
            c.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

QSqlDatabase Database::connection() const {
    return QSqlDatabase::database(m_connectionName, false);
}

std::unique_ptr<Recordset> Database::OpenRecordset(const QString &sqlOrTable) {
    return Recordset::create(shared_from_this(), sqlOrTable);
}

int Database::Execute(const QString &sql) {
    if (sql.trimmed().isEmpty())
        throw DaoError(DaoErrorCode::SyntaxError, QStringLiteral("Empty statement"));
    return runStatement(translateJet(sql, m_engine));
}

int Database::ExecuteNative(const QString &sql) {
    if (sql.trimmed().isEmpty())
        throw DaoError(DaoErrorCode::SyntaxError, QStringLiteral("Empty statement"));
    return runStatement(sql);
}

int Database::runStatement(const QString &nativeSql) {
    QSqlDatabase c = connection();
    if (!c.isOpen())
        throw DaoError(DaoErrorCode::ObjectClosed, QStringLiteral("The database is not open"));
    QSqlQuery query(c);
    if (!query.exec(nativeSql))
        throw errorFrom(query.lastError(), DaoErrorCode::StatementFailed);
    const int affected = query.numRowsAffected();
    return affected < 0 ? 0 : affected;
}

void Database::Idle() {
    // Every recordset reads all its rows and finishes its statement at once, and Execute keeps
    // no statement open, so outside a transaction no read snapshot survives a call: the next
    // read on either engine sees every commit made meanwhile by other tills.
    if (!connection().isOpen())
        throw DaoError(DaoErrorCode::ObjectClosed, QStringLiteral("The database is not open"));
}

void Database::beginTransaction() {
    using namespace DaoErrorCode;
    if (m_transactionDepth > 0) {
        runStatement(QStringLiteral("SAVEPOINT qrv_savepoint_%1").arg(m_transactionDepth));
        ++m_transactionDepth;
        return;
    }
    if (m_engine == Engine::SQLite) {
        // IMMEDIATE takes the write lock now (waiting up to the busy timeout); a deferred BEGIN
        // would fail at its first write, without waiting, if another till wrote meanwhile.
        try {
            runStatement(QStringLiteral("BEGIN IMMEDIATE"));
        } catch (const DaoError &e) {
            throw DaoError(e.number() == RecordLocked ? RecordLocked : TransactionFailed, e.description());
        }
    } else {
        QSqlDatabase c = connection();
        if (!c.transaction())
            throw errorFrom(c.lastError(), TransactionFailed);
    }
    m_transactionDepth = 1;
}

void Database::commitTransaction() {
    using namespace DaoErrorCode;
    if (m_transactionDepth == 0)
        throw DaoError(TransactionFailed, QStringLiteral("Commit without a transaction"));
    if (m_transactionDepth > 1) {
        --m_transactionDepth;
        // A failure inside the released level now belongs to the level around it.
        if (m_failedAtDepth > m_transactionDepth)
            m_failedAtDepth = m_transactionDepth;
        try {
            runStatement(QStringLiteral("RELEASE SAVEPOINT qrv_savepoint_%1").arg(m_transactionDepth));
        } catch (const DaoError &e) {
            throw DaoError(TransactionFailed, e.description());
        }
        return;
    }
    if (m_failedAtDepth > 0) {
        try {
            rollbackTransaction();
        } catch (const DaoError &) {
        }
        throw DaoError(TransactionFailed,
                       QStringLiteral("A statement of the transaction failed: nothing of it was kept"));
    }
    m_transactionDepth = 0;
    if (m_engine == Engine::SQLite) {
        try {
            runStatement(QStringLiteral("COMMIT"));
        } catch (const DaoError &e) {
            try {
                runStatement(QStringLiteral("ROLLBACK"));
            } catch (const DaoError &) {
            }
            throw DaoError(TransactionFailed, e.description());
        }
    } else {
        // The driver reports a transaction that PostgreSQL rolled back (after a failed statement)
        // as a failed commit: nothing of it was kept.
        QSqlDatabase c = connection();
        if (!c.commit()) {
            const QSqlError error = c.lastError();
            c.rollback();
            throw DaoError(TransactionFailed, error.text().trimmed().isEmpty()
                                                  ? QStringLiteral("The transaction was rolled back")
                                                  : error.text().trimmed());
        }
    }
}

void Database::rollbackTransaction() {
    using namespace DaoErrorCode;
    if (m_transactionDepth == 0)
        throw DaoError(TransactionFailed, QStringLiteral("Rollback without a transaction"));
    // Rolling back a level also undoes the failure that happened inside it.
    if (m_failedAtDepth >= m_transactionDepth)
        m_failedAtDepth = 0;
    if (m_transactionDepth > 1) {
        --m_transactionDepth;
        try {
            runStatement(QStringLiteral("ROLLBACK TO SAVEPOINT qrv_savepoint_%1").arg(m_transactionDepth));
            runStatement(QStringLiteral("RELEASE SAVEPOINT qrv_savepoint_%1").arg(m_transactionDepth));
        } catch (const DaoError &e) {
            throw DaoError(TransactionFailed, e.description());
        }
        return;
    }
    m_transactionDepth = 0;
    if (m_engine == Engine::SQLite) {
        try {
            runStatement(QStringLiteral("ROLLBACK"));
        } catch (const DaoError &e) {
            throw DaoError(TransactionFailed, e.description());
        }
    } else {
        QSqlDatabase c = connection();
        if (!c.rollback())
            throw errorFrom(c.lastError(), TransactionFailed);
    }
}

void Database::setBusyTimeout(int milliseconds) {
    m_busyTimeout = qMax(0, milliseconds);
    if (m_engine == Engine::SQLite)
        runStatement(QStringLiteral("PRAGMA busy_timeout = %1").arg(m_busyTimeout));
    else
        runStatement(QStringLiteral("SET lock_timeout = %1").arg(m_busyTimeout));
}

QString Database::primaryKey(const QString &table) {
    const QString lower = table.toLower();
    const auto known = m_primaryKeys.constFind(lower);
    if (known != m_primaryKeys.constEnd())
        return known.value();
    // PostgreSQL folds unquoted names to lower case and finds only the folded name.
    const QSqlIndex index = connection().primaryIndex(m_engine == Engine::PostgreSQL ? lower : table);
    QString key = index.count() == 1 ? index.fieldName(0) : QString();
    if (key.isEmpty() && index.count() == 0)
        key = knownKey(table);
    m_primaryKeys.insert(lower, key);
    return key;
}

DaoError Database::errorFrom(const QSqlError &error, int fallbackNumber) {
    if (m_transactionDepth > 0 && m_failedAtDepth == 0)
        m_failedAtDepth = m_transactionDepth;
    using namespace DaoErrorCode;
    QString text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("Unknown database error");
    const QString code = error.nativeErrorCode();
    int number = fallbackNumber;
    if (m_engine == Engine::SQLite) {
        bool ok = false;
        const int primary = code.toInt(&ok) & 0xff;
        // SQLITE_BUSY and SQLITE_LOCKED: another connection holds the write lock.
        if ((ok && (primary == 5 || primary == 6)) || text.contains(QLatin1String("database is locked")))
            number = RecordLocked;
    } else {
        if (code == QLatin1String("55P03") || code == QLatin1String("40P01"))
            number = RecordLocked;
        else if (code == QLatin1String("42601"))
            number = SyntaxError;
    }
    return DaoError(number, text);
}

} // namespace qrv::dao
