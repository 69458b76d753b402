#pragma once

#include "core/data/FinestraMessaggi.h"

#include <QPointer>
#include <QWidget>

namespace qrv {

/**
 * The touch-screen message window.
 *
 * A notice is a frameless window with large text that does not block: notice() returns at once,
 * the window closes itself after a while or when touched, and a new notice replaces the one on
 * screen. It never takes the keyboard focus from the form below. The notice's values: a picks the
 * colour (1 blue, 2 orange), c the time on screen (1 the base time, 2 one and a half, 3 or more
 * twice), d sounds the bell; b is not used.
 *
 * A question is a modal dialog with the title, the text and one big button per answer of the
 * button set; it returns the answer code (vbYes, vbNo, ...). Escape gives the answer a dismissal
 * stands for (Cancel where there is one, OK alone, No for Yes/No, Abort for Abort/Retry/Ignore).
 * The large question has bigger text and buttons.
 *
 * Without a QApplication (or off the GUI thread) notices go to standard error and questions to
 * the installed MessageBox.
 */
class MessageWindow : public FinestraMessaggi {
public:
    MessageWindow() = default;
    ~MessageWindow() override = default;

    void notice(const QString &testo, qint32 a, qint32 b, qint32 c, bool d) override;
    int question(const QString &testo, const QString &titolo, qint32 pulsanti) override;
    int largeQuestion(const QString &testo, const QString &titolo, qint32 pulsanti) override;

    /** The base time a notice stays on screen, in milliseconds (3000 unless set). */
    int noticeMilliseconds() const { return m_noticeMilliseconds; }
    void setNoticeMilliseconds(int milliseconds) { m_noticeMilliseconds = milliseconds; }
    /** The notice on screen, or nullptr when none is shown. */
    QWidget *noticeWidget() const { return m_notice; }

    /** The process-wide instance that clsTavoli installs. */
    static MessageWindow &shared();

private:
    int ask(const QString &testo, const QString &titolo, qint32 pulsanti, bool large);

    int m_noticeMilliseconds = 3000;
    QPointer<QWidget> m_notice;
};

} // namespace qrv
