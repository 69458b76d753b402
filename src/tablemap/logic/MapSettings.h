#pragma once

#include <QtGlobal>

namespace qrv {

/**
 * Timer intervals and the notification port of the table map. The intervals are fixed; one
 * scale factor (environment QRV_TIMER_SCALE, or setIntervalScale) shortens them all at once so
 * that tests run the timers' real code without waiting real seconds. The port can be moved
 * (environment QRV_NOTIFY_PORT, or setNotifyPort) so that parallel tills or tests do not clash.
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
    /** The factor in use: the one set, else QRV_TIMER_SCALE when it is a positive number, else 1. */
    static double intervalScale();
    /** Sets the factor; 0 or a negative value goes back to the environment or 1. */
    static void setIntervalScale(double scale);

    /** The port in use: the one set, else QRV_NOTIFY_PORT when valid, else 8989. */
    static quint16 notifyPort();
    /** Sets the port; 0 goes back to the environment or 8989. */
    static void setNotifyPort(quint16 port);
};

} // namespace qrv
