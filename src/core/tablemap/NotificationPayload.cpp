#include "core/tablemap/NotificationPayload.h"

#include <QHash>
#include <QStringList>

namespace qrv {

QVector<NotificationPart> splitNotification(const QByteArray &payload) {
    QVector<NotificationPart> parts;
    if (payload.isEmpty())
        return parts;

    QByteArray bytes = payload;
    bool truncated = false;
    if (bytes.size() > NotificationLimits::MaxBytes) {
        bytes.truncate(NotificationLimits::MaxBytes);
        truncated = true;
    }
    const QString text = QString::fromUtf8(bytes);
    if (text.isEmpty())
        return parts;

    if (!text.contains(QLatin1Char(';'))) {
        const QString numero = text.trimmed();
        if (!truncated && !numero.isEmpty() && numero.size() <= NotificationLimits::MaxNumberLength)
            parts.append({numero, true});
        return parts;
    }

    QStringList pieces = text.split(QLatin1Char(';'));
    // The last piece of a cut payload may be half a number: it must not refresh another table.
    if (truncated)
        pieces.removeLast();
    const int last = truncated ? -1 : static_cast<int>(pieces.size()) - 1;

    QHash<QString, int> seen; // number -> its position in parts
    for (int i = 0; i < pieces.size(); ++i) {
        const QString numero = pieces.at(i).trimmed();
        const bool mostra = i == last;
        if (numero.isEmpty() || numero.size() > NotificationLimits::MaxNumberLength)
            continue;
        auto it = seen.find(numero);
        if (it != seen.end()) {
            const bool blinked = parts.at(it.value()).mostra;
            parts.remove(it.value());
            for (auto &pos : seen)
                if (pos > it.value())
                    --pos;
            parts.append({numero, mostra || blinked});
            it.value() = static_cast<int>(parts.size()) - 1;
            continue;
        }
        if (parts.size() >= NotificationLimits::MaxParts)
            continue;
        seen.insert(numero, static_cast<int>(parts.size()));
        parts.append({numero, mostra});
    }
    return parts;
}

} // namespace qrv
