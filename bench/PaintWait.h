#pragma once

// Waiting for a widget to be painted, so that a figure includes the repaint the operator waits for.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QWidget>

/** Counts the paint events of a widget, so that "painted" can be waited for. */
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

/** Asks widget to repaint and returns once it has (or after 5 s, so that a figure never hangs). */
inline void waitForPaint(QWidget *widget, PaintCounter &counter) {
    const int before = counter.paints;
    widget->update();
    QElapsedTimer guard;
    guard.start();
    while (counter.paints == before && guard.elapsed() < 5000)
        QCoreApplication::processEvents();
}
