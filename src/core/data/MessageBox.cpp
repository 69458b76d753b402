#include "core/data/MessageBox.h"

#include <QTextStream>
#include <atomic>
#include <cstdio>

namespace qrv {

namespace {

/** Used until a real box is installed: writes the message to standard error and leaves. */
class StandardErrorMessageBox : public MessageBox {
public:
    int show(const QString &text, int flags, const QString &title) override {
        QTextStream err(stderr);
        err << title << QStringLiteral(": ") << text << Qt::endl;
        switch (flags & 7) {
        case vbOKOnly:
            return vbOK;
        case vbAbortRetryIgnore:
            return vbAbort;
        case vbYesNo:
            return vbNo;
        default:
            return vbCancel;
        }
    }
};

StandardErrorMessageBox fallbackBox;
std::atomic<MessageBox *> installedBox{nullptr};

} // namespace

MessageBox &MessageBox::current() {
    MessageBox *box = installedBox.load();
    return box ? *box : fallbackBox;
}

void MessageBox::install(MessageBox *box) {
    installedBox.store(box);
}

bool MessageBox::isInstalled() {
    return installedBox.load() != nullptr;
}

int MsgBox(const QString &text, int flags, const QString &title) {
    return MessageBox::current().show(text, flags, title);
}

} // namespace qrv
