#pragma once

#include "core/tablemap/MapSettings.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <QVector>

namespace qrv {

/** One destination of the notifications a till sends: an IPv4 address and a UDP port. */
struct NotificationTarget {
    QHostAddress address;
    quint16 port = 0;

    bool operator==(const NotificationTarget &o) const { return address == o.address && port == o.port; }
};

/**
 * Where a till announces its own committed changes: the setting NotificheA parsed, and the
 * datagram it sends.
 *
 * The setting is a list of "host[:port]" separated by ";", blanks around each part ignored. host is
 * an IPv4 address in dotted decimal (four numbers 0 to 255; a broadcast address such as
 * 255.255.255.255 or 192.168.1.255 included) or "localhost"; port is a whole number from 1 to
 * 65535, the default port when left out. Entries that do not fit are left out and listed in
 * rejected(), the others still count: host names (a lookup must never hold up the map), IPv6
 * addresses (the maps listen on IPv4 only), 0.0.0.0, a port out of range or not a number. Empty
 * entries are skipped, an entry given twice counts once. A missing or empty setting, or one with no
 * valid entry, means no notifications.
 */
class NotificationTargets {
public:
    static NotificationTargets parse(const QString &setting,
                                     quint16 defaultPort = MapSettings::DefaultNotifyPort);

    const QVector<NotificationTarget> &targets() const { return m_targets; }
    /** The entries left out, trimmed, in the order they appear. */
    const QStringList &rejected() const { return m_rejected; }
    bool isEmpty() const { return m_targets.isEmpty(); }

    /**
     * The datagram that names the tables numeri in the receivers' format: the numbers as the buttons
     * show them, trimmed, separated by ";"; the receivers refresh them all and blink the last.
     * Empty numbers, and numbers holding ";" that no receiver could tell apart, are left out; an empty
     * datagram when none is left.
     */
    static QByteArray payload(const QStringList &numeri);

private:
    QVector<NotificationTarget> m_targets;
    QStringList m_rejected;
};

} // namespace qrv
