#include "component/operations/ChangeNotifier.h"

#include "core/data/dao/Database.h"

#include <QUdpSocket>

namespace qrv {

ChangeNotifier::ChangeNotifier(QObject *parent) : QObject(parent), m_socket(new QUdpSocket(this)) {}

void ChangeNotifier::configure(const QString &setting) {
    m_targets = NotificationTargets::parse(setting);
}

int ChangeNotifier::announce(const QStringList &numeri, const dao::Database *db) {
    const QByteArray payload = NotificationTargets::payload(numeri);
    if (payload.isEmpty() || m_targets.isEmpty() || (db && db->inTransaction()))
        return 0;
    int sent = 0;
    // Qt opens every UDP socket with SO_BROADCAST set, so a broadcast destination is sent like any other.
    for (const NotificationTarget &target : m_targets.targets())
        if (m_socket->writeDatagram(payload, target.address, target.port) == payload.size())
            ++sent;
    return sent;
}

} // namespace qrv
