#pragma once

#include "data/MessageBox.h"

#include <QMessageBox>

namespace qrv {

/**
 * The standard message box over QMessageBox: the classic button set, icon and default button of
 * the flags, the classic answer codes back. clsTavoli installs one when nothing else is installed.
 */
class QtMessageBox : public MessageBox {
public:
    /**
     * Shows the box modally and returns the answer. Without a QApplication, or off the GUI
     * thread, no window can be shown: the text goes to standard error and the answer is the one a
     * dismissal gives (Cancel, OK for OK alone, No for Yes/No).
     */
    int show(const QString &text, int flags, const QString &title) override;

    /** The QMessageBox button of an answer code (QMessageBox::NoButton for an unknown code). */
    static QMessageBox::StandardButton standardButton(int answer);
    /** The answer code of a QMessageBox button, 0 for a button the classic box does not have. */
    static int answer(QMessageBox::StandardButton button);
    /** The QMessageBox icon of the flags' icon part. */
    static QMessageBox::Icon qtIcon(int flags);

    /** The process-wide instance that clsTavoli installs. */
    static QtMessageBox &shared();
};

} // namespace qrv
