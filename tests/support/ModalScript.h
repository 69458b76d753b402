#pragma once

// Drives modal windows in tests without fixed waits: the step that acts on a window is queued
// to run inside the window's own modal loop.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <QtTest>
#include <functional>

namespace qrvtest {

/**
 * Runs action on the first modal window that comes up (the call that opens it blocks meanwhile).
 * Gives up after timeoutMs, so a call that shows nothing leaves no poll behind.
 */
inline void whenModal(std::function<void(QWidget *)> action, int timeoutMs = 5000) {
    auto *timer = new QTimer(qApp);
    timer->setInterval(5);
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action, deadline] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (modal)
            action(modal);
    });
    timer->start();
}

/**
 * Each time dialog is shown, runs the next step inside its modal loop. A step that fails a check
 * leaves the dialog closed, so the test ends instead of waiting on a form nobody will close.
 */
class ModalScript : public QObject {
public:
    using Step = std::function<void()>;

    ModalScript(QDialog *dialog, QVector<Step> steps) : m_dialog(dialog), m_steps(std::move(steps)) {
        dialog->installEventFilter(this);
    }
    ~ModalScript() override {
        if (m_dialog)
            m_dialog->removeEventFilter(this);
    }

    /** Steps not run yet: 0 once the form was shown as often as the script expected. */
    int remaining() const { return static_cast<int>(m_steps.size()); }
    int shows() const { return m_shows; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched == m_dialog && event->type() == QEvent::Show) {
            ++m_shows;
            Step step = m_steps.isEmpty() ? Step() : m_steps.takeFirst();
            QPointer<QDialog> dialog = m_dialog;
            QTimer::singleShot(0, this, [dialog, step] {
                if (step)
                    step();
                if (dialog && dialog->isVisible() && (!step || QTest::currentTestFailed()))
                    dialog->reject();
            });
        }
        return false;
    }

private:
    QPointer<QDialog> m_dialog;
    QVector<Step> m_steps;
    int m_shows = 0;
};

} // namespace qrvtest
