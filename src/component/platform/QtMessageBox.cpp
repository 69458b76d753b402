#include "component/platform/QtMessageBox.h"

#include "component/platform/GuiThread.h"
#include "core/platform/MessageButtons.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTranslator>
#include <cstdio>

namespace qrv {

int QtMessageBox::show(const QString &text, int flags, const QString &title) {
    if (!canShowWindows()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return MessageButtons::dismissAnswer(flags);
    }

    QMessageBox box(qtIcon(flags), title, text);
    const QVector<int> answers = MessageButtons::answersFor(flags);
    // Without Qt's translation (file missing) the operator still reads Italian buttons.
    const bool ownTexts = !standardTextsTranslated();
    QVector<QPushButton *> buttons;
    for (int code : answers) {
        buttons.append(box.addButton(standardButton(code)));
        if (ownTexts)
            buttons.last()->setText(MessageButtons::caption(code));
    }
    box.setDefaultButton(buttons.at(MessageButtons::defaultIndex(flags)));
    box.setEscapeButton(buttons.at(answers.indexOf(MessageButtons::dismissAnswer(flags))));
    box.exec();

    auto *clicked = box.clickedButton();
    const int chosen = clicked ? answer(box.standardButton(clicked)) : 0;
    return chosen ? chosen : MessageButtons::dismissAnswer(flags);
}

QMessageBox::StandardButton QtMessageBox::standardButton(int answer) {
    switch (answer) {
    case vbOK:
        return QMessageBox::Ok;
    case vbCancel:
        return QMessageBox::Cancel;
    case vbAbort:
        return QMessageBox::Abort;
    case vbRetry:
        return QMessageBox::Retry;
    case vbIgnore:
        return QMessageBox::Ignore;
    case vbYes:
        return QMessageBox::Yes;
    case vbNo:
        return QMessageBox::No;
    default:
        return QMessageBox::NoButton;
    }
}

int QtMessageBox::answer(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return vbOK;
    case QMessageBox::Cancel:
        return vbCancel;
    case QMessageBox::Abort:
        return vbAbort;
    case QMessageBox::Retry:
        return vbRetry;
    case QMessageBox::Ignore:
        return vbIgnore;
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    default:
        return 0;
    }
}

QMessageBox::Icon QtMessageBox::qtIcon(int flags) {
    switch (MessageButtons::icon(flags)) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QtMessageBox &QtMessageBox::shared() {
    static QtMessageBox box;
    return box;
}

QString QtMessageBox::defaultTranslationsDirectory() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool QtMessageBox::standardTextsTranslated() {
    // QMessageBox takes the texts of its standard buttons from this context.
    return QCoreApplication::translate("QPlatformTheme", "Cancel") != QLatin1String("Cancel");
}

bool QtMessageBox::installItalianTexts(const QString &directory) {
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    if (standardTextsTranslated())
        return true;
    // Owned by the application, so it goes (and is uninstalled) with it.
    auto *translator = new QTranslator(app);
    if (!translator->load(QStringLiteral("qtbase_it"), directory)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return standardTextsTranslated();
}

} // namespace qrv
