#pragma once

#include <QString>
#include <QVector>
#include <memory>

namespace qrvtest {

/**
 * A PostgreSQL wire-protocol relay on 127.0.0.1 for tests and benchmarks: it counts the round
 * trips a client makes (each ReadyForQuery the server sends ends one) and delays every burst the
 * client sends by a set latency, as a local network would.
 *
 * It runs in a thread of its own with its own event loop, since the till's database calls block
 * the thread that makes them. The first ReadyForQuery of each connection ends its start-up and is
 * counted apart. Counters may be read from any thread; a statement is counted before it reaches
 * the server and a ReadyForQuery before it reaches the client, so both are up to date as soon as
 * the client's call returns.
 */
class PgWireProxy {
public:
    /** A statement the client sent: 'Q' a simple query, 'P' a parse of the extended protocol. */
    struct Statement {
        int connection = 0; ///< 1 for the first connection the proxy accepted, and so on
        char kind = 'Q';
        QString sql;
    };

    /**
     * target: the path of a server's Unix socket (starting with "/"), or "host:port".
     * latencyMs: the delay added to each burst the client sends (0 forwards at once).
     */
    explicit PgWireProxy(const QString &target, int latencyMs = 1);
    /** Stops the proxy: every relayed connection is closed and the thread has ended. */
    ~PgWireProxy();
    PgWireProxy(const PgWireProxy &) = delete;
    PgWireProxy &operator=(const PgWireProxy &) = delete;

    /** Starts listening on an ephemeral port of 127.0.0.1; false (with errorString) when it cannot. */
    bool start();
    void stop();
    bool isRunning() const;
    quint16 port() const;
    QString errorString() const;

    void setLatencyMs(int ms);
    int latencyMs() const;

    /** Round trips after the start-up of their connection, since the last reset. */
    qint64 roundTrips() const;
    /** Connections whose start-up completed (first ReadyForQuery), since the last reset. */
    qint64 startUps() const;
    /** Simple queries ('Q') and parses ('P') the clients sent, since the last reset. */
    qint64 simpleQueries() const;
    qint64 parses() const;
    /** Connections accepted since the proxy started. */
    int connectionsAccepted() const;
    /** Connections that switched to TLS or GSS encryption: nothing of them can be counted. */
    int encryptedConnections() const;
    /** Sets every counter above (but connectionsAccepted) back to 0 and drops the captured statements. */
    void reset();

    /** Keeps the text of each statement from now on (off at start; at most 100000 are kept). */
    void setCapture(bool on);
    QVector<Statement> statements() const;

    /**
     * The address of a venue database through this proxy, for dao::Database::open:
     * "postgresql://user@127.0.0.1:PORT/dbname".
     */
    QString urlFor(const QString &database, const QString &user = QStringLiteral("postgres")) const;

    /**
     * What a database address of the form "postgresql:///name?host=/socket/folder&port=P" reaches:
     * the server's socket path (folder + "/.s.PGSQL." + port, 5432 unless given) or "host:port";
     * and the database name. Empty when the address names none.
     */
    static QString targetOf(const QString &databaseUrl);
    static QString databaseOf(const QString &databaseUrl);

    /** What the proxy's thread counts and keeps, shared with the object that reads it. */
    struct Shared;

private:
    class Relay;
    std::shared_ptr<Shared> m_shared;
    QString m_target;
    QString m_error;
    std::unique_ptr<Relay> m_relay;
};

} // namespace qrvtest
