#pragma once

#include "core/tablemap/NotificationTargets.h"

#include <QObject>
#include <QStringList>

class QUdpSocket;

namespace qrv {

namespace dao {
class Database;
}

/**
 * Tells the other tills' maps about a change this map has committed: one notification datagram
 * to every destination of the setting NotificheA. Off (sends nothing) until configured with at
 * least one valid destination.
 */
class ChangeNotifier : public QObject {
    Q_OBJECT
public:
    explicit ChangeNotifier(QObject *parent = nullptr);

    /** Takes the destinations from the value of NotificheA; missing or empty turns the notifications off. */
    void configure(const QString &setting);
    bool isOn() const { return !m_targets.isEmpty(); }
    const NotificationTargets &targets() const { return m_targets; }

    /**
     * Sends one datagram naming numeri (the receivers blink the last) to every destination. Call it
     * only after the change is committed on db; while db is still inside a transaction (one the host
     * holds around the map) the change is not committed yet and nothing is sent. A send that fails
     * is ignored: the periodic refresh of the other maps still shows the change. Returns the number
     * of destinations the system took it for.
     */
    int announce(const QStringList &numeri, const dao::Database *db);

private:
    NotificationTargets m_targets;
    QUdpSocket *m_socket;
};

} // namespace qrv
