#pragma once

#include "core/data/MessageBox.h"

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

    /**
     * Makes Qt's own standard button texts Italian ("Riprova", "Annulla", "Sì", "No") by
     * installing Qt's Italian translation (qtbase_it from directory) on the application, once.
     * Nothing is installed when the application's own translators already translate those texts,
     * so a host's choice is never overridden. Returns true when they are translated afterwards;
     * false without an application or when the file is missing (the boxes then set the Italian
     * texts themselves).
     */
    static bool installItalianTexts(const QString &directory = defaultTranslationsDirectory());
    /** Where Qt's own translations are installed on this system. */
    static QString defaultTranslationsDirectory();
    /** True when an installed translator gives Qt's standard buttons texts of its own. */
    static bool standardTextsTranslated();
};

} // namespace qrv
