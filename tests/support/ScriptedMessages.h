#pragma once

#include "core/data/FinestraMessaggi.h"
#include "core/data/MessageBox.h"

#include <QString>
#include <QVector>

namespace qrvtest {

/** A message box that records what it was asked to show and answers from a script. Installs itself. */
class ScriptedMessageBox : public qrv::MessageBox {
public:
    struct Shown {
        QString text;
        int flags;
        QString title;
    };

    ScriptedMessageBox();
    ~ScriptedMessageBox() override;

    int show(const QString &text, int flags, const QString &title) override;

    QVector<Shown> shown;
    /** Answers used in order; once they run out every box gets defaultAnswer (vbOK for an OK-only box). */
    QVector<int> answers;
    int defaultAnswer = vbCancel;
};

/** A message window that records notices and questions and answers questions from a script. */
class ScriptedMessageWindow : public qrv::FinestraMessaggi {
public:
    struct Notice {
        QString testo;
        qint32 a, b, c;
        bool d;
    };
    struct Question {
        QString testo, titolo;
        qint32 pulsanti;
        bool large;
    };

    ScriptedMessageWindow();
    ~ScriptedMessageWindow() override;

    void notice(const QString &testo, qint32 a, qint32 b, qint32 c, bool d) override;
    int question(const QString &testo, const QString &titolo, qint32 pulsanti) override;
    int largeQuestion(const QString &testo, const QString &titolo, qint32 pulsanti) override;

    QVector<Notice> notices;
    QVector<Question> questions;
    QVector<int> answers;
    int defaultAnswer = qrv::MessageBox::vbNo;
};

} // namespace qrvtest
