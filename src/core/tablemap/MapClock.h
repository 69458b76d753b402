#pragma once

#include <QDateTime>

namespace qrv {

/**
 * The system clock as the map reads it (the date and time label). Tests install a clock of their
 * own to set the time.
 */
class MapClock {
public:
    virtual ~MapClock() = default;
    virtual QDateTime now() const = 0;

    /** The installed clock's time, or the local system time when none is installed. */
    static QDateTime currentTime();
    /** Installs clock (not owned); nullptr goes back to the system clock. */
    static void install(const MapClock *clock);
};

} // namespace qrv
