#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

namespace qrv {

/** One table number of a notification, and whether its button should blink. */
struct NotificationPart {
    QString numero; ///< trimmed of blanks
    bool mostra = false;

    bool operator==(const NotificationPart &o) const { return numero == o.numero && mostra == o.mostra; }
};

/**
 * The table numbers named by a notification datagram, in order.
 *
 * A payload with ";" is split at every ";" (empty parts included) and only the last part blinks;
 * a payload without ";" is one number that blinks. Blanks around a number are ignored.
 * Parts that can match no table button are dropped after the blink flag has been given, so
 * "12;" refreshes 12 and blinks nothing: empty parts and parts longer than MaxNumberLength.
 * A number named twice is refreshed once, where it last appears, blinking if any of its
 * mentions does. Guards against hostile or broken senders: only the first MaxBytes bytes are
 * read (a number cut at that edge is dropped), and at most MaxParts numbers are returned.
 * Bytes that are not UTF-8 become replacement characters and so match nothing.
 */
QVector<NotificationPart> splitNotification(const QByteArray &payload);

namespace NotificationLimits {
constexpr int MaxBytes = 8192;
constexpr int MaxParts = 256;
constexpr int MaxNumberLength = 16;
} // namespace NotificationLimits

} // namespace qrv
