#include "core/tablemap/NotificationTargets.h"

#include <QRegularExpression>

namespace qrv {

namespace {

// Dotted decimal IPv4 only: QHostAddress alone also takes "10.1" or "0x7f.1" as addresses.
QHostAddress ipv4(const QString &host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost);
    static const QRegularExpression dotted(QStringLiteral(R"(^(\d{1,3})\.(\d{1,3})\.(\d{1,3})\.(\d{1,3})$)"));
    const QRegularExpressionMatch match = dotted.match(host);
    if (!match.hasMatch())
        return QHostAddress();
    for (int i = 1; i <= 4; ++i)
        if (match.captured(i).toInt() > 255)
            return QHostAddress();
    const QHostAddress address(host);
    if (address.protocol() != QAbstractSocket::IPv4Protocol || address == QHostAddress(QHostAddress::AnyIPv4))
        return QHostAddress();
    return address;
}

} // namespace

NotificationTargets NotificationTargets::parse(const QString &setting, quint16 defaultPort) {
    NotificationTargets result;
    for (const QString &part : setting.split(QLatin1Char(';'))) {
        const QString entry = part.trimmed();
        if (entry.isEmpty())
            continue;
        const int colon = static_cast<int>(entry.indexOf(QLatin1Char(':')));
        // More than one colon is an IPv6 address (or nonsense): the maps listen on IPv4 only.
        const bool oneColonAtMost = colon < 0 || entry.indexOf(QLatin1Char(':'), colon + 1) < 0;
        const QHostAddress address = oneColonAtMost ? ipv4(entry.left(colon).trimmed()) : QHostAddress();
        const std::optional<quint16> port =
            colon < 0 ? std::optional<quint16>(defaultPort) : MapSettings::parsePort(entry.mid(colon + 1));
        if (address.isNull() || !port || *port == 0) {
            result.m_rejected.append(entry);
            continue;
        }
        const NotificationTarget target{address, *port};
        if (!result.m_targets.contains(target))
            result.m_targets.append(target);
    }
    return result;
}

QByteArray NotificationTargets::payload(const QStringList &numeri) {
    QStringList kept;
    for (const QString &numero : numeri) {
        const QString trimmed = numero.trimmed();
        if (!trimmed.isEmpty() && !trimmed.contains(QLatin1Char(';')))
            kept.append(trimmed);
    }
    return kept.join(QLatin1Char(';')).toUtf8();
}

} // namespace qrv
