#pragma once

#include <QString>

namespace qrv {

/**
 * The standard message box, with the classic button-set and icon flags and answer codes, so
 * that callers keep the values they were written with (vbRetryCancel + vbCritical, answer vbRetry).
 * The widget library installs a QMessageBox implementation; tests install a scripted one.
 */
class MessageBox {
public:
    enum Buttons {
        vbOKOnly = 0,
        vbOKCancel = 1,
        vbAbortRetryIgnore = 2,
        vbYesNoCancel = 3,
        vbYesNo = 4,
        vbRetryCancel = 5
    };
    enum Icon { vbCritical = 16, vbQuestion = 32, vbExclamation = 48, vbInformation = 64 };
    enum Answer { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

    virtual ~MessageBox() = default;

    /** Shows text with the buttons and icon of flags (buttons + icon); returns the answer code. */
    virtual int show(const QString &text, int flags, const QString &title) = 0;

    /**
     * The box in use on this process. Until one is installed, a fallback writes the message to
     * standard error and answers Cancel (or OK for vbOKOnly, No for Yes/No), so nothing waits forever.
     */
    static MessageBox &current();
    /** Installs box (not owned); nullptr restores the fallback. */
    static void install(MessageBox *box);
    /** True when a box was installed, false while the fallback answers. */
    static bool isInstalled();
};

/** Shorthand for MessageBox::current().show(text, flags, title). */
int MsgBox(const QString &text, int flags, const QString &title);

} // namespace qrv
