#include "support/PgWireProxy.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QMutex>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include <atomic>
#include <deque>

namespace qrvtest {

namespace {

// Codes of the messages a client may send before its StartupMessage, without a type byte.
constexpr quint32 SslRequestCode = 80877103;
constexpr quint32 GssEncRequestCode = 80877104;
constexpr int MaxCaptured = 100000;

quint32 int32At(const QByteArray &bytes, qsizetype at) {
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData() + at);
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

/** The NUL-terminated string of bytes starting at at (up to end); at moves past its NUL. */
QByteArray cString(const QByteArray &bytes, qsizetype &at, qsizetype end) {
    const qsizetype nul = bytes.indexOf('\0', at);
    const qsizetype stop = nul < 0 || nul > end ? end : nul;
    QByteArray text = bytes.mid(at, stop - at);
    at = stop + 1;
    return text;
}

} // namespace

struct PgWireProxy::Shared {
    std::atomic<qint64> roundTrips{0};
    std::atomic<qint64> startUps{0};
    std::atomic<qint64> simpleQueries{0};
    std::atomic<qint64> parses{0};
    std::atomic<int> accepted{0};
    std::atomic<int> encrypted{0};
    int latencyMs = 1;
    std::atomic<bool> capture{false};
    QMutex mutex;
    QVector<Statement> statements;

    void statementSent(int connection, char kind, const QByteArray &sql) {
        (kind == 'Q' ? simpleQueries : parses).fetch_add(1);
        if (!capture.load())
            return;
        QMutexLocker lock(&mutex);
        if (statements.size() < MaxCaptured)
            statements.append(Statement{connection, kind, QString::fromUtf8(sql)});
    }
};

namespace {

/** One relayed connection: the client's bursts wait out the latency; both streams are parsed to count. */
class Link : public QObject {
public:
    Link(PgWireProxy::Shared &shared, int id, QTcpSocket *client, const QString &target, QObject *parent)
        : QObject(parent)
        , m_shared(shared)
        , m_id(id)
        , m_client(client) {
        m_client->setParent(this);
        m_client->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_clock.start();
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, [this] { flush(false); });
        connect(m_client, &QTcpSocket::readyRead, this, &Link::fromClient);
        connect(m_client, &QTcpSocket::disconnected, this, &Link::close);

        connect(m_server, &QLocalSocket::connected, this, &Link::serverConnected);
        connect(m_server, &QLocalSocket::readyRead, this, &Link::fromServer);
        connect(m_server, &QLocalSocket::disconnected, this, &Link::close);
        connect(m_server, &QLocalSocket::errorOccurred, this, [this] { close(); });
        m_server->connectToServer(target);
        if (m_client->bytesAvailable() > 0)
            fromClient(); // what arrived with the connection itself
    }

private:
    struct Burst {
        qint64 dueNs;
        QByteArray bytes;
    };

    void serverConnected() {
        m_serverUp = true;
        flush(false);
    }

    void fromClient() {
        const QByteArray bytes = m_client->readAll();
        if (bytes.isEmpty())
            return;
        parseClient(bytes);
        const int latency = m_shared.latencyMs;
        m_pending.push_back(Burst{m_clock.nsecsElapsed() + qint64(latency) * 1000000, bytes});
        if (latency <= 0)
            flush(false);
        else if (!m_timer.isActive())
            m_timer.start(latency);
    }

    void fromServer() {
        const QByteArray bytes = m_server->readAll();
        if (bytes.isEmpty())
            return;
        // Counted before the client sees the answer, so its blocking call returns to a current count.
        parseServer(bytes);
        m_client->write(bytes);
    }

    /** Sends the bursts whose delay is over (all of them when everything goes). */
    void flush(bool everything) {
        if (!m_serverUp)
            return;
        const qint64 now = m_clock.nsecsElapsed();
        // A timer of whole milliseconds may wake a hair early: within 50 us counts as due.
        while (!m_pending.empty() && (everything || m_pending.front().dueNs <= now + 50000)) {
            m_server->write(m_pending.front().bytes);
            m_pending.pop_front();
        }
        if (!m_pending.empty() && !m_timer.isActive()) {
            const qint64 left = m_pending.front().dueNs - now;
            m_timer.start(int(qMax<qint64>(0, (left + 999999) / 1000000)));
        }
    }

    void parseClient(const QByteArray &bytes) {
        if (m_opaque)
            return;
        m_fromClient.append(bytes);
        qsizetype at = 0;
        for (;;) {
            if (m_clientStarting) {
                // StartupMessage, SSLRequest, GSSENCRequest or CancelRequest: length, code, body.
                if (m_fromClient.size() - at < 8)
                    break;
                const qsizetype length = int32At(m_fromClient, at);
                if (length < 8) {
                    m_opaque = true; // not a PostgreSQL client: stop counting rather than guess
                    break;
                }
                if (m_fromClient.size() - at < length)
                    break;
                const quint32 code = int32At(m_fromClient, at + 4);
                if (code == SslRequestCode || code == GssEncRequestCode)
                    m_encryptionAsked = true; // one byte answers it; another untyped message follows
                else
                    m_clientStarting = false;
                at += length;
                continue;
            }
            if (m_fromClient.size() - at < 5)
                break;
            const char type = m_fromClient.at(at);
            const qsizetype length = int32At(m_fromClient, at + 1);
            if (length < 4) {
                m_opaque = true;
                break;
            }
            if (m_fromClient.size() - at < 1 + length)
                break;
            const qsizetype end = at + 1 + length;
            qsizetype body = at + 5;
            if (type == 'Q') {
                m_shared.statementSent(m_id, 'Q', cString(m_fromClient, body, end));
            } else if (type == 'P') {
                cString(m_fromClient, body, end); // the prepared statement's name
                m_shared.statementSent(m_id, 'P', cString(m_fromClient, body, end));
            }
            at = end;
        }
        m_fromClient.remove(0, at);
        if (m_opaque)
            m_fromClient.clear();
    }

    void parseServer(const QByteArray &bytes) {
        if (m_opaque)
            return;
        qsizetype at = 0;
        if (m_encryptionAsked) {
            // The single byte that answers SSLRequest or GSSENCRequest: 'N' goes on in the clear.
            m_encryptionAsked = false;
            if (bytes.at(0) != 'N') {
                m_opaque = true;
                m_shared.encrypted.fetch_add(1);
                return;
            }
            at = 1;
        }
        m_fromServer.append(bytes.constData() + at, bytes.size() - at);
        at = 0;
        for (;;) {
            if (m_skip > 0) {
                const qsizetype skipped = qMin<qsizetype>(m_skip, m_fromServer.size() - at);
                m_skip -= skipped;
                at += skipped;
                if (m_skip > 0)
                    break;
            }
            if (m_fromServer.size() - at < 5)
                break;
            const char type = m_fromServer.at(at);
            const qint64 length = int32At(m_fromServer, at + 1);
            if (length < 4) {
                m_opaque = true;
                break;
            }
            if (type == 'Z') {
                if (m_started)
                    m_shared.roundTrips.fetch_add(1);
                else
                    m_shared.startUps.fetch_add(1);
                m_started = true;
            }
            // Message bodies are not needed: skipped, even across reads, without being kept.
            at += 5;
            m_skip = length - 4;
        }
        m_fromServer.remove(0, at);
        if (m_opaque)
            m_fromServer.clear();
    }

    /** Either side went: the client's pending bursts go, both sides close, and then the link goes. */
    void close() {
        if (!m_closing) {
            m_closing = true;
            m_timer.stop();
            flush(true);
            m_client->disconnectFromHost();
            m_server->disconnectFromServer();
        }
        if (m_server->state() == QLocalSocket::UnconnectedState &&
            m_client->state() == QAbstractSocket::UnconnectedState)
            deleteLater();
    }

    PgWireProxy::Shared &m_shared;
    const int m_id;
    QTcpSocket *m_client;
    QLocalSocket *m_server = new QLocalSocket(this);
    bool m_serverUp = false;
    bool m_closing = false;
    QTimer m_timer;
    QElapsedTimer m_clock;
    std::deque<Burst> m_pending;

    QByteArray m_fromClient; ///< the start of a client message not complete yet
    QByteArray m_fromServer; ///< the start of a server message header not complete yet
    qint64 m_skip = 0;       ///< bytes of the current server message body still to pass
    bool m_clientStarting = true;
    bool m_encryptionAsked = false;
    bool m_started = false;
    bool m_opaque = false;
};

} // namespace

/** The proxy's thread: the listening socket and every link live and die in it. */
class PgWireProxy::Relay : public QThread {
public:
    Relay(std::shared_ptr<Shared> shared, QString target)
        : m_shared(std::move(shared))
        , m_target(std::move(target)) {}

    /** Starts the thread and waits until it listens; false when it could not. */
    bool begin() {
        start();
        m_ready.acquire();
        if (m_port != 0)
            return true;
        wait();
        return false;
    }

    quint16 port() const { return m_port; }
    QString error() const { return m_error; }

protected:
    void run() override {
        QObject links; // destroyed after the server, taking every relayed connection with it
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost, 0)) {
            m_error = server.errorString();
            m_ready.release();
            return;
        }
        int next = 0;
        QObject::connect(&server, &QTcpServer::newConnection, &links, [&] {
            while (QTcpSocket *client = server.nextPendingConnection()) {
                m_shared->accepted.fetch_add(1);
                new Link(*m_shared, ++next, client, m_target, &links);
            }
        });
        m_port = server.serverPort();
        m_ready.release();
        exec();
    }

private:
    std::shared_ptr<Shared> m_shared;
    const QString m_target;
    QSemaphore m_ready;
    quint16 m_port = 0;
    QString m_error;
};

PgWireProxy::PgWireProxy(const QString &target, int latencyMs)
    : m_shared(std::make_shared<Shared>())
    , m_target(target) {
    m_shared->latencyMs = qMax(0, latencyMs);
}

PgWireProxy::~PgWireProxy() {
    if (m_relay) {
        m_relay->quit();
        m_relay->wait();
    }
}

bool PgWireProxy::start() {
    if (m_relay)
        return true;
    if (m_target.isEmpty()) {
        m_error = QStringLiteral("no server to relay to");
        return false;
    }
    auto relay = std::make_unique<Relay>(m_shared, m_target);
    if (!relay->begin()) {
        m_error = relay->error();
        return false;
    }
    m_relay = std::move(relay);
    return true;
}

QString PgWireProxy::errorString() const {
    return m_error;
}

qint64 PgWireProxy::roundTrips() const {
    return m_shared->roundTrips.load();
}

qint64 PgWireProxy::startUps() const {
    return m_shared->startUps.load();
}

qint64 PgWireProxy::simpleQueries() const {
    return m_shared->simpleQueries.load();
}

qint64 PgWireProxy::parses() const {
    return m_shared->parses.load();
}

int PgWireProxy::connectionsAccepted() const {
    return m_shared->accepted.load();
}

int PgWireProxy::encryptedConnections() const {
    return m_shared->encrypted.load();
}

void PgWireProxy::reset() {
    m_shared->roundTrips = 0;
    m_shared->startUps = 0;
    m_shared->simpleQueries = 0;
    m_shared->parses = 0;
    m_shared->encrypted = 0;
    QMutexLocker lock(&m_shared->mutex);
    m_shared->statements.clear();
}

void PgWireProxy::setCapture(bool on) {
    m_shared->capture = on;
}

QVector<PgWireProxy::Statement> PgWireProxy::statements() const {
    QMutexLocker lock(&m_shared->mutex);
    return m_shared->statements;
}

QString PgWireProxy::urlFor(const QString &database) const {
    return QStringLiteral("postgresql://postgres@127.0.0.1:%1/%2")
        .arg(m_relay ? m_relay->port() : 0)
        .arg(QString::fromUtf8(QUrl::toPercentEncoding(database)));
}

QString PgWireProxy::targetOf(const QString &databaseUrl) {
    const QUrlQuery query{QUrl(databaseUrl)};
    const QString host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    const QString port = query.queryItemValue(QStringLiteral("port"));
    if (!host.startsWith(QLatin1Char('/')))
        return QString();
    return host + QStringLiteral("/.s.PGSQL.") + (port.isEmpty() ? QStringLiteral("5432") : port);
}

QString PgWireProxy::databaseOf(const QString &databaseUrl) {
    const QUrl url(databaseUrl);
    const QUrlQuery query(url);
    if (query.hasQueryItem(QStringLiteral("dbname")))
        return query.queryItemValue(QStringLiteral("dbname"), QUrl::FullyDecoded);
    return url.path(QUrl::FullyDecoded).mid(1);
}

} // namespace qrvtest
