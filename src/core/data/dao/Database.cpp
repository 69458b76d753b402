#include "core/data/dao/Database.h"

#include "core/data/dao/ConnectionLoss.h"
#include "core/data/dao/JetSql.h"
#include "core/data/dao/Recordset.h"

#include <QAtomicInt>
#include <QHash>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUrlQuery>

namespace qrv::dao {

/**
 * What has been learnt about one connection: its tables and their keys. A child of the
 * connection's driver, so that every copy of the QSqlDatabase (and every Database wrapping one)
 * finds the same facts, and they go when the host removes the connection.
 */
class ConnectionFacts : public QObject {
public:
    using QObject::QObject;
    void forget() {
        keys.clear();
        keysKnown = false;
        tables.clear();
        tablesKnown = false;
    }

    QHash<QString, QString> keys; // lowercase table name -> key column, "" when it has none
    bool keysKnown = false;       // keys holds what the one catalogue query of PostgreSQL answered
    QSet<QString> tables;         // lowercase names of the tables
    bool tablesKnown = false;
};

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

/**
 * QPSQL connect options with libpq's connect_timeout set to seconds (2 is libpq's least): a
 * reconnect to a server that does not answer must not keep the till waiting.
 */
QString withConnectTimeout(const QString &options, int seconds) {
    QStringList kept;
    for (const QString &option : options.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (!option.trimmed().startsWith(QLatin1String("connect_timeout"), Qt::CaseInsensitive))
            kept.append(option);
    kept.append(QStringLiteral("connect_timeout=%1").arg(seconds));
    return kept.join(QLatin1Char(';'));
}

const QString FactsName = QStringLiteral("qrv-connection-facts");

// Every column of every visible primary key, as QPSQL's primaryIndex reads the key of one table.
const QString PrimaryKeysQuery = QStringLiteral(
    "SELECT t.relname, a.attname FROM pg_index i JOIN pg_class x ON x.oid = i.indexrelid "
    "JOIN pg_class t ON t.oid = i.indrelid JOIN pg_attribute a ON a.attrelid = x.oid "
    "WHERE i.indisprimary AND NOT a.attisdropped AND pg_table_is_visible(x.oid) ORDER BY a.attnum");

QString textOf(const QSqlError &error) {
    const QString text = error.text().trimmed();
    return text.isEmpty() ? QStringLiteral("The database is not open") : text;
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
            db->applySession();
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

Database::Database() = default;

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

QVector<QVariantList> Database::query(const QString &nativeSql, const QVariantList &values) {
    refuseNul(nativeSql);
    for (const QVariant &value : values)
        if (value.typeId() == QMetaType::QString)
            refuseNul(value.toString());
    QVector<QVariantList> rows;
    onConnection(DaoErrorCode::StatementFailed, [&](QSqlDatabase &c, QSqlError &error) {
        rows.clear();
        QSqlQuery q(c);
        q.setForwardOnly(true);
        bool done = false;
        if (values.isEmpty()) {
            done = q.exec(nativeSql);
        } else if (q.prepare(nativeSql)) {
            for (const QVariant &value : values)
                q.addBindValue(value.typeId() == QMetaType::Bool && m_engine == Engine::SQLite
                                   ? QVariant(qint64(value.toBool() ? 1 : 0))
                                   : value);
            done = q.exec();
        }
        if (done) {
            const int columns = q.record().count();
            while (q.next()) {
                QVariantList row;
                row.reserve(columns);
                for (int i = 0; i < columns; ++i)
                    row.append(q.value(i));
                rows.append(row);
            }
            done = !q.lastError().isValid();
        }
        if (!done)
            error = q.lastError();
        // SQLite keeps a write's lock until its statement is reset: nothing stays open for a commit.
        q.finish();
        return done;
    });
    return rows;
}

int Database::runStatement(const QString &nativeSql) {
    refuseNul(nativeSql);
    int affected = 0;
    onConnection(DaoErrorCode::StatementFailed, [&](QSqlDatabase &c, QSqlError &error) {
        QSqlQuery query(c);
        if (!query.exec(nativeSql)) {
            error = query.lastError();
            return false;
        }
        affected = qMax(0, query.numRowsAffected());
        return true;
    });
    return affected;
}

void Database::Idle() {
    // Every recordset reads all its rows and finishes its statement at once, and Execute keeps
    // no statement open, so outside a transaction no read snapshot survives a call: the next
    // read on either engine sees every commit made meanwhile by other tills.
    ensureConnected();
}

void Database::reconnect() {
    if (m_transactionDepth == 0)
        ensureConnected();
}

void Database::onConnection(int fallbackNumber, const Attempt &attempt) {
    ensureConnected();
    for (bool again = false;; again = true) {
        QSqlError error;
        bool done = false;
        {
            QSqlDatabase c = connection();
            done = attempt(c, error);
        }
        if (done)
            return;
        if (!isLost(error))
            throw errorFrom(error, fallbackNumber);
        connectionLost(textOf(error));
        // Once, and only outside a transaction: a server that drops the new connection as well
        // is reported rather than tried for ever.
        if (again)
            throw DaoError(DaoErrorCode::ConnectionLost,
                           QStringLiteral("The connection to the database was lost again: ") + textOf(error));
        reopen();
    }
}

bool Database::isLost(const QSqlError &error) const {
    // QSQLITE reports every failed step (a busy database among them) as a connection error, and an
    // embedded file has no connection to lose: only a closed one counts there.
    if (!connection().isOpen())
        return true;
    return m_engine == Engine::PostgreSQL &&
           isConnectionLost(error.type(), error.nativeErrorCode(), error.text());
}

void Database::connectionLost(const QString &text) {
    m_lost = true;
    if (m_transactionDepth == 0)
        return;
    // The server rolled the transaction back with the connection: nothing of it can go on, and
    // the caller's rollback finds nothing left to undo.
    m_transactionDepth = 0;
    m_failedAtDepth = 0;
    throw DaoError(
        DaoErrorCode::ConnectionLost,
        QStringLiteral("The connection to the database was lost; the transaction was rolled back: ") + text);
}

void Database::ensureConnected() {
    if (!m_lost && connection().isOpen())
        return;
    if (m_transactionDepth > 0)
        connectionLost(QStringLiteral("The database is not open"));
    reopen();
}

void Database::reopen() {
    // What was learnt on the old connection (tables, keys) is learnt again on the new one, by
    // every wrapper of it.
    facts().forget();
    m_lost = true;
    QString failure;
    {
        QSqlDatabase c = connection();
        if (!c.isValid()) {
            failure = QStringLiteral("the connection \"%1\" no longer exists").arg(m_connectionName);
        } else {
            c.close();
            const QString options = c.connectOptions();
            if (m_engine == Engine::PostgreSQL)
                c.setConnectOptions(withConnectTimeout(options, 2));
            if (!c.open())
                failure = c.lastError().text().trimmed();
            if (failure.isEmpty() && !c.isOpen())
                failure = QStringLiteral("The database is not open");
            // The host's own parameters stay as they were for its next open.
            if (m_engine == Engine::PostgreSQL)
                c.setConnectOptions(options);
        }
    }
    if (!failure.isEmpty())
        throw DaoError(DaoErrorCode::ConnectionLost,
                       QStringLiteral("The connection to the database was lost and cannot be reopened: ") +
                           failure);
    m_lost = false;
    applySession();
}

void Database::applySession() {
    if (m_engine == Engine::SQLite) {
        if (m_ownsConnection) {
            // WAL lets readers and one writer work side by side; FULL makes each commit survive a
            // power loss, which WAL with NORMAL does not promise.
            runSessionStatement(QStringLiteral("PRAGMA journal_mode=WAL"));
            runSessionStatement(QStringLiteral("PRAGMA synchronous=FULL"));
        }
        if (m_busyTimeoutSet)
            runSessionStatement(QStringLiteral("PRAGMA busy_timeout = %1").arg(m_busyTimeout));
    } else if (m_busyTimeoutSet) {
        runSessionStatement(QStringLiteral("SET lock_timeout = %1").arg(m_busyTimeout));
    }
}

void Database::runSessionStatement(const QString &sql) {
    QSqlError error;
    {
        QSqlQuery query(connection());
        if (query.exec(sql))
            return;
        error = query.lastError();
    }
    if (isLost(error)) {
        m_lost = true;
        throw DaoError(DaoErrorCode::ConnectionLost,
                       QStringLiteral("The connection to the database was lost: ") + textOf(error));
    }
    throw errorFrom(error, DaoErrorCode::StatementFailed);
}

void Database::refuseNul(const QString &text) {
    if (text.contains(QChar(0)))
        throw DaoError(DaoErrorCode::NulInText,
                       QStringLiteral("A text holding a NUL character cannot be written to the database"));
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
        onConnection(TransactionFailed, [](QSqlDatabase &c, QSqlError &error) {
            if (c.transaction())
                return true;
            error = c.lastError();
            return false;
        });
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
    if (m_engine == Engine::SQLite) {
        // COMMIT runs inside the transaction, so a lost connection is never answered by a
        // COMMIT on a new one.
        try {
            runStatement(QStringLiteral("COMMIT"));
        } catch (const DaoError &e) {
            const bool stillOpen = m_transactionDepth > 0;
            m_transactionDepth = 0;
            m_failedAtDepth = 0;
            if (stillOpen) {
                try {
                    runSessionStatement(QStringLiteral("ROLLBACK"));
                } catch (const DaoError &) {
                }
            }
            throw DaoError(TransactionFailed, e.description());
        }
        m_transactionDepth = 0;
    } else {
        m_transactionDepth = 0;
        // The driver reports a transaction that PostgreSQL rolled back (after a failed statement)
        // as a failed commit: nothing of it was kept.
        QSqlDatabase c = connection();
        if (!c.commit()) {
            const QSqlError error = c.lastError();
            if (isLost(error))
                m_lost = true;
            else
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
    if (m_engine == Engine::SQLite) {
        try {
            runStatement(QStringLiteral("ROLLBACK"));
        } catch (const DaoError &e) {
            // A connection lost meanwhile took the transaction with it: rolled back all the same.
            const bool ended = m_transactionDepth == 0;
            m_transactionDepth = 0;
            m_failedAtDepth = 0;
            if (!ended)
                throw DaoError(TransactionFailed, e.description());
        }
        m_transactionDepth = 0;
    } else {
        m_transactionDepth = 0;
        QSqlDatabase c = connection();
        if (!c.rollback()) {
            const QSqlError error = c.lastError();
            if (!isLost(error))
                throw errorFrom(error, TransactionFailed);
            m_lost = true;
        }
    }
}

void Database::setBusyTimeout(int milliseconds) {
    m_busyTimeout = qMax(0, milliseconds);
    m_busyTimeoutSet = true;
    if (m_engine == Engine::SQLite)
        runStatement(QStringLiteral("PRAGMA busy_timeout = %1").arg(m_busyTimeout));
    else
        runStatement(QStringLiteral("SET lock_timeout = %1").arg(m_busyTimeout));
}

ConnectionFacts &Database::facts() {
    QSqlDatabase c = connection();
    QSqlDriver *driver = c.isValid() ? c.driver() : nullptr;
    if (!driver) {
        if (!m_ownFacts)
            m_ownFacts = std::make_unique<ConnectionFacts>();
        return *m_ownFacts;
    }
    if (auto *known = dynamic_cast<ConnectionFacts *>(
            driver->findChild<QObject *>(FactsName, Qt::FindDirectChildrenOnly)))
        return *known;
    auto *known = new ConnectionFacts(driver);
    known->setObjectName(FactsName);
    return *known;
}

bool Database::hasTable(const QString &table) {
    if (!facts().tablesKnown) {
        ensureConnected();
        QStringList names;
        {
            QSqlDatabase c = connection();
            names = c.tables(QSql::Tables);
        }
        ConnectionFacts &known = facts();
        known.tables.clear();
        for (const QString &name : std::as_const(names))
            known.tables.insert(name.toLower());
        // A venue always has tables: an empty answer is a failed read, asked again next time.
        known.tablesKnown = !names.isEmpty();
    }
    return facts().tables.contains(table.toLower());
}

bool Database::learnKeys(ConnectionFacts &known) {
    QHash<QString, QStringList> columns;
    try {
        onConnection(DaoErrorCode::StatementFailed, [&](QSqlDatabase &c, QSqlError &error) {
            columns.clear();
            QSqlQuery query(c);
            query.setForwardOnly(true);
            if (!query.exec(PrimaryKeysQuery)) {
                error = query.lastError();
                return false;
            }
            while (query.next())
                columns[query.value(0).toString()].append(query.value(1).toString());
            query.finish();
            return true;
        });
    } catch (const DaoError &e) {
        // A catalogue that cannot be read leaves each table to be asked on its own, as before.
        if (e.number() == DaoErrorCode::ConnectionLost)
            throw;
        return false;
    }
    // Only names the server folded to lower case are found, as primaryIndex finds them.
    for (auto it = columns.cbegin(); it != columns.cend(); ++it)
        known.keys.insert(it.key(), it.value().size() == 1 ? it.value().constFirst() : QString());
    known.keysKnown = true;
    return true;
}

QString Database::primaryKey(const QString &table) {
    const QString lower = table.toLower();
    {
        ConnectionFacts &known = facts();
        const auto key = known.keys.constFind(lower);
        if (key != known.keys.constEnd())
            return key.value();
        if (m_engine == Engine::PostgreSQL && !known.keysKnown && learnKeys(facts())) {
            const auto learnt = facts().keys.constFind(lower);
            if (learnt != facts().keys.constEnd())
                return learnt.value();
        }
    }
    // A table the catalogue answer had no key for (added since, or keyless), and every table of
    // SQLite, whose catalogue is a local pragma. PostgreSQL folds unquoted names to lower case
    // and finds only the folded name.
    const QSqlIndex index = connection().primaryIndex(m_engine == Engine::PostgreSQL ? lower : table);
    QString key = index.count() == 1 ? index.fieldName(0) : QString();
    if (key.isEmpty() && index.count() == 0)
        key = knownKey(table);
    facts().keys.insert(lower, key);
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
