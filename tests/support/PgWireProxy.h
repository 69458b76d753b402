#pragma once

#include <QString>
#include <QVector>
#include <memory>

namespace qrvtest {

/**
 * A PostgreSQL wire-protocol relay on 127.0.0.1 that counts a client's round trips (each
 * ReadyForQuery after the start-up's first ends one) and delays each client burst by a latency. It
 * runs its own thread, since the till's calls block theirs; a statement is counted before the server
 * gets it and a ReadyForQuery before the client does, so the counters are current once a call returns.
 */
class PgWireProxy {
public:
    /** A statement the client sent: 'Q' a simple query, 'P' a parse of the extended protocol. */
    struct Statement {
        int connection = 0; ///< 1 for the first connection the proxy accepted, and so on
        char kind = 'Q';
        QString sql;
    };

    /** target: the server's Unix socket; latencyMs: the delay added to each client burst (0: none). */
    explicit PgWireProxy(const QString &target, int latencyMs = 1);
    /** Closes every relayed connection and ends the thread. */
    ~PgWireProxy();
    PgWireProxy(const PgWireProxy &) = delete;
    PgWireProxy &operator=(const PgWireProxy &) = delete;

    /** Starts listening on an ephemeral port of 127.0.0.1; false (with errorString) when it cannot. */
    bool start();
    QString errorString() const;

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
    /** Sets every counter (but connectionsAccepted) back to 0 and drops the captured statements. */
    void reset();

    /** Keeps the text of each statement from now on (off at start; at most 100000 are kept). */
    void setCapture(bool on);
    QVector<Statement> statements() const;

    /** "postgresql://postgres@127.0.0.1:PORT/database": a venue database through this proxy. */
    QString urlFor(const QString &database) const;

    /**
     * Of an address "postgresql:///name?host=/socket/folder&port=P": the server's socket path
     * (5432 unless given; empty without a socket folder) and the database name.
     */
    static QString targetOf(const QString &databaseUrl);
    static QString databaseOf(const QString &databaseUrl);

    /** What the proxy's thread counts and keeps, shared with the object that reads it. */
    struct Shared;

private:
    class Relay;
    std::shared_ptr<Shared> m_shared;
    QString m_target, m_error;
    std::unique_ptr<Relay> m_relay;
};

} // namespace qrvtest
