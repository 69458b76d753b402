#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace qrv {

/**
 * Timer intervals and the notification port of the table map. The intervals are fixed; one scale
 * factor (setIntervalScale, an API call only: nothing in the environment changes it) shortens them
 * all at once so that tests run the timers' real code without waiting real seconds. The receiving
 * port comes from the setting PortaNotifiche, so that several tills on one machine each receive
 * their own notifications.
 */
class MapSettings {
public:
    static constexpr int RefreshInterval = 10000; ///< TimerRefresh, ms
    static constexpr int BlinkInterval = 200;     ///< TimerLampeggio, ms
    static constexpr int BlinkTicks = 10;         ///< toggles of one blink (then a final show)
    static constexpr int ClockInterval = 30000;   ///< timerOrologio, ms
    static constexpr quint16 DefaultNotifyPort = 8989;

    /** ms multiplied by the scale factor, rounded, never below 1 ms. */
    static int interval(int ms);
    /** The factor in use: the one set, else 1. */
    static double intervalScale();
    /** Sets the factor; 0 or a negative value goes back to 1. */
    static void setIntervalScale(double scale);

    /**
     * The receiving port: setting (the value of PortaNotifiche) when it is a port, else the port
     * set with setNotifyPort, else 8989. A value that is no port (0, above 65535, not a whole
     * number) counts as missing.
     */
    static quint16 notifyPort(const QString &setting = QString());
    /** Sets the port used when the settings name none; 0 goes back to 8989. */
    static void setNotifyPort(quint16 port);

    /** A UDP port from text: a decimal whole number from 1 to 65535, blanks around it allowed. */
    static std::optional<quint16> parsePort(const QString &text);
};

} // namespace qrv
