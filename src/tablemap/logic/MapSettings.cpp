#include "tablemap/logic/MapSettings.h"

#include <QString>
#include <atomic>
#include <cmath>

namespace qrv {

namespace {
std::atomic<double> g_scale{0.0};
std::atomic<int> g_port{0};
} // namespace

int MapSettings::interval(int ms) {
    const long scaled = std::lround(ms * intervalScale());
    return scaled < 1 ? 1 : static_cast<int>(scaled);
}

double MapSettings::intervalScale() {
    const double set = g_scale.load();
    if (set > 0)
        return set;
    bool ok = false;
    const double env = qEnvironmentVariable("QRV_TIMER_SCALE").toDouble(&ok);
    return ok && env > 0 ? env : 1.0;
}

void MapSettings::setIntervalScale(double scale) {
    g_scale.store(scale > 0 ? scale : 0.0);
}

quint16 MapSettings::notifyPort() {
    const int set = g_port.load();
    if (set > 0)
        return static_cast<quint16>(set);
    bool ok = false;
    const int env = qEnvironmentVariableIntValue("QRV_NOTIFY_PORT", &ok);
    return ok && env > 0 && env < 65536 ? static_cast<quint16>(env) : DefaultNotifyPort;
}

void MapSettings::setNotifyPort(quint16 port) {
    g_port.store(port);
}

} // namespace qrv
