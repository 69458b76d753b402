#pragma once

#include <QByteArray>
#include <QObject>
#include <functional>

class QUdpSocket;

namespace qrv {

/**
 * The notification socket (WinsockNotify): a UDP socket bound on every IPv4 address that hands
 * each received datagram to a handler. All pending datagrams are read; a burst is handled in
 * slices so that the screen keeps repainting between them. A port that cannot be bound leaves
 * the map working without notifications (the periodic refresh still runs).
 */
class NotificationReceiver : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QByteArray &)>;

    /** Datagrams handled before the receiver yields to other events. */
    static constexpr int DatagramsPerSlice = 32;

    explicit NotificationReceiver(Handler handler, QObject *parent = nullptr);

    /**
     * Binds to port on all IPv4 addresses, sharing it with other tills that do the same; false (and
     * no socket bound) when a program that does not share it holds the port.
     */
    bool start(quint16 port);
    /** Closes the socket; pending datagrams are dropped. */
    void stop();
    bool isBound() const;
    QUdpSocket *socket() const { return m_socket; }

private:
    void readPending();

    Handler m_handler;
    QUdpSocket *m_socket;
    bool m_reading = false;
    bool m_continuationQueued = false;
};

} // namespace qrv
