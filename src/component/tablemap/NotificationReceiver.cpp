#include "component/tablemap/NotificationReceiver.h"

#include <QTimer>
#include <QUdpSocket>

namespace qrv {

NotificationReceiver::NotificationReceiver(Handler handler, QObject *parent)
    : QObject(parent)
    , m_handler(std::move(handler))
    , m_socket(new QUdpSocket(this)) {
    m_socket->setObjectName(QStringLiteral("WinsockNotify"));
    connect(m_socket, &QUdpSocket::readyRead, this, &NotificationReceiver::readPending);
}

bool NotificationReceiver::start(quint16 port) {
    stop();
    // A second till on the same machine binds the same port too. On Linux a datagram sent to one
    // address then reaches only the till that bound last; a broadcast reaches them all.
    return m_socket->bind(QHostAddress::AnyIPv4, port,
                          QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint);
}

void NotificationReceiver::stop() {
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->close();
}

bool NotificationReceiver::isBound() const {
    return m_socket->state() == QAbstractSocket::BoundState;
}

void NotificationReceiver::readPending() {
    m_continuationQueued = false;
    // The handler lets pending events run; a nested call leaves the draining to the outer one.
    if (m_reading)
        return;
    m_reading = true;
    int handled = 0;
    QByteArray datagram;
    while (isBound() && m_socket->hasPendingDatagrams() && handled < DatagramsPerSlice) {
        const qint64 size = m_socket->pendingDatagramSize();
        datagram.resize(size > 0 ? size : 0);
        const qint64 read = m_socket->readDatagram(datagram.data(), datagram.size());
        ++handled;
        if (read <= 0)
            continue;
        datagram.resize(read);
        m_handler(datagram);
    }
    m_reading = false;
    if (isBound() && m_socket->hasPendingDatagrams() && !m_continuationQueued) {
        m_continuationQueued = true;
        QTimer::singleShot(0, this, &NotificationReceiver::readPending);
    }
}

} // namespace qrv
