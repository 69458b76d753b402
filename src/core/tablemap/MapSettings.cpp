#include "core/tablemap/MapSettings.h"

#include <algorithm>
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
    return set > 0 ? set : 1.0;
}

void MapSettings::setIntervalScale(double scale) {
    g_scale.store(scale > 0 ? scale : 0.0);
}

quint16 MapSettings::notifyPort(const QString &setting) {
    if (const auto port = parsePort(setting))
        return *port;
    const int set = g_port.load();
    return set > 0 ? static_cast<quint16>(set) : DefaultNotifyPort;
}

void MapSettings::setNotifyPort(quint16 port) {
    g_port.store(port);
}

std::optional<quint16> MapSettings::parsePort(const QString &text) {
    const QString digits = text.trimmed();
    // Digits only: no sign, no "0x", no exponent; at most five of them.
    if (digits.isEmpty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; }))
        return std::nullopt;
    const int port = digits.toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return static_cast<quint16>(port);
}

} // namespace qrv
