#include "ScriptedMessages.h"

namespace qrvtest {

ScriptedMessageBox::ScriptedMessageBox() {
    qrv::MessageBox::install(this);
}

ScriptedMessageBox::~ScriptedMessageBox() {
    qrv::MessageBox::install(nullptr);
}

int ScriptedMessageBox::show(const QString &text, int flags, const QString &title) {
    shown.append({text, flags, title});
    if (!answers.isEmpty())
        return answers.takeFirst();
    if ((flags & 7) == vbOKOnly)
        return vbOK;
    return defaultAnswer;
}

ScriptedMessageWindow::ScriptedMessageWindow() {
    qrv::FinestraMessaggi::install(this);
}

ScriptedMessageWindow::~ScriptedMessageWindow() {
    qrv::FinestraMessaggi::install(nullptr);
}

void ScriptedMessageWindow::notice(const QString &testo, qint32 a, qint32 b, qint32 c, bool d) {
    notices.append({testo, a, b, c, d});
}

int ScriptedMessageWindow::question(const QString &testo, const QString &titolo, qint32 pulsanti) {
    questions.append({testo, titolo, pulsanti, false});
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

int ScriptedMessageWindow::largeQuestion(const QString &testo, const QString &titolo, qint32 pulsanti) {
    questions.append({testo, titolo, pulsanti, true});
    return answers.isEmpty() ? defaultAnswer : answers.takeFirst();
}

} // namespace qrvtest
