#include "core/tablemap/MapClock.h"

#include <atomic>

namespace qrv {

namespace {
std::atomic<const MapClock *> g_clock{nullptr};
} // namespace

QDateTime MapClock::currentTime() {
    const MapClock *clock = g_clock.load();
    return clock ? clock->now() : QDateTime::currentDateTime();
}

void MapClock::install(const MapClock *clock) {
    g_clock.store(clock);
}

} // namespace qrv
