#pragma once

#include <QApplication>
#include <QThread>

namespace qrv {

/** True when windows can be shown from here: a QApplication exists and this is its thread. */
inline bool canShowWindows() {
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

} // namespace qrv
