#include "core/data/FinestraMessaggi.h"

#include <atomic>

namespace qrv {

namespace {
std::atomic<FinestraMessaggi *> installedWindow{nullptr};
}

FinestraMessaggi *FinestraMessaggi::current() {
    return installedWindow.load();
}

void FinestraMessaggi::install(FinestraMessaggi *window) {
    installedWindow.store(window);
}

} // namespace qrv
