#pragma once

#include <QString>

namespace qrv {

/**
 * The touch-screen message window: a notice that does not block the caller, and a question
 * (normal or large) that returns the chosen button as a standard message-box answer code.
 * The widget library installs the real window; tests install one that records and answers.
 */
class FinestraMessaggi {
public:
    virtual ~FinestraMessaggi() = default;

    /** Shows a notice; returns at once. a is 1 or 2, b 0, c 1 to 3, d a flag: the look is ours. */
    virtual void notice(const QString &testo, qint32 a, qint32 b, qint32 c, bool d) = 0;
    virtual int question(const QString &testo, const QString &titolo, qint32 pulsanti) = 0;
    virtual int largeQuestion(const QString &testo, const QString &titolo, qint32 pulsanti) = 0;

    /** The window in use, or nullptr when none is installed (notices are then dropped). */
    static FinestraMessaggi *current();
    /** Installs window (not owned); nullptr removes it. */
    static void install(FinestraMessaggi *window);
};

} // namespace qrv
