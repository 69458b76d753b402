#include "core/platform/MessageButtons.h"

#include "core/data/MessageBox.h"

namespace qrv::MessageButtons {

QVector<int> answersFor(int flags) {
    switch (flags & ButtonSetMask) {
    case MessageBox::vbOKCancel:
        return {MessageBox::vbOK, MessageBox::vbCancel};
    case MessageBox::vbAbortRetryIgnore:
        return {MessageBox::vbAbort, MessageBox::vbRetry, MessageBox::vbIgnore};
    case MessageBox::vbYesNoCancel:
        return {MessageBox::vbYes, MessageBox::vbNo, MessageBox::vbCancel};
    case MessageBox::vbYesNo:
        return {MessageBox::vbYes, MessageBox::vbNo};
    case MessageBox::vbRetryCancel:
        return {MessageBox::vbRetry, MessageBox::vbCancel};
    default:
        return {MessageBox::vbOK};
    }
}

int defaultIndex(int flags) {
    const int index = (flags & DefaultButtonMask) >> 8;
    return index < answersFor(flags).size() ? index : 0;
}

int dismissAnswer(int flags) {
    const QVector<int> answers = answersFor(flags);
    if (answers.contains(MessageBox::vbCancel))
        return MessageBox::vbCancel;
    if (answers.contains(MessageBox::vbNo))
        return MessageBox::vbNo;
    return answers.first(); // OK alone, or Abort of Abort/Retry/Ignore
}

int icon(int flags) {
    const int value = flags & IconMask;
    switch (value) {
    case MessageBox::vbCritical:
    case MessageBox::vbQuestion:
    case MessageBox::vbExclamation:
    case MessageBox::vbInformation:
        return value;
    default:
        return 0;
    }
}

QString caption(int answer) {
    switch (answer) {
    case MessageBox::vbOK:
        return QStringLiteral("OK");
    case MessageBox::vbCancel:
        return QStringLiteral("Annulla");
    case MessageBox::vbAbort:
        return QStringLiteral("Interrompi");
    case MessageBox::vbRetry:
        return QStringLiteral("Riprova");
    case MessageBox::vbIgnore:
        return QStringLiteral("Ignora");
    case MessageBox::vbYes:
        return QString::fromUtf8("S\xc3\xac");
    case MessageBox::vbNo:
        return QStringLiteral("No");
    default:
        return QString();
    }
}

} // namespace qrv::MessageButtons
