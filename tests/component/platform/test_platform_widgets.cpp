// The message boxes, notices and questions of the component, and the touch keyboard, as real
// widgets.
#include "component/clsTavoli.h"
#include "component/platform/MessageWindow.h"
#include "component/platform/QtMessageBox.h"
#include "component/platform/TouchKeyboard.h"
#include "core/data/FinestraMessaggi.h"
#include "core/data/MessageBox.h"
#include "core/platform/MessageButtons.h"
#include "support/ModalScript.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTranslator>
#include <QVBoxLayout>
#include <QtTest>

using qrv::MessageWindow;
using qrv::QtMessageBox;
using qrv::TouchKeyboard;
using qrvtest::whenModal;
using MB = qrv::MessageBox;
namespace MessageButtons = qrv::MessageButtons;

namespace {

/** The texts of a box's buttons in the order of answers, mnemonics left out. */
QString captions(QMessageBox *box, const QVector<int> &answers) {
    QStringList texts;
    for (int answer : answers) {
        QAbstractButton *button = box->button(QtMessageBox::standardButton(answer));
        texts << (button ? button->text().remove(QLatin1Char('&')) : QStringLiteral("?"));
    }
    return texts.join(QLatin1Char('|'));
}

QPushButton *key(TouchKeyboard *keyboard, const char *name) {
    return keyboard->findChild<QPushButton *>(QStringLiteral("key(%1)").arg(QString::fromUtf8(name)));
}

} // namespace

class TestPlatformWidgets : public QObject {
    Q_OBJECT

private slots:
    // The button set, default and dismissing answer of the flags, on a real box. Without Qt's
    // Italian translation (the file missing) the box sets the Italian texts itself.
    void messageBoxes_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QVector<int>>("answers");
        QTest::addColumn<int>("defaultIndex");
        QTest::addColumn<int>("dismiss");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("captions");
        QTest::addColumn<int>("click");
        const QVector<int> ok{MB::vbOK}, okCancel{MB::vbOK, MB::vbCancel}, yesNo{MB::vbYes, MB::vbNo};
        const int none = QMessageBox::NoIcon;
        QTest::newRow("OK") << 0 << ok << 0 << int(MB::vbOK) << none << QStringLiteral("OK") << int(MB::vbOK);
        QTest::newRow("OK Cancel, information: Cancel")
            << (1 + 64) << okCancel << 0 << int(MB::vbCancel) << int(QMessageBox::Information)
            << QStringLiteral("OK|Annulla") << int(MB::vbCancel);
        QTest::newRow("Abort Retry Ignore, warning: Ignore")
            << (2 + 48) << QVector<int>{MB::vbAbort, MB::vbRetry, MB::vbIgnore} << 0 << int(MB::vbAbort)
            << int(QMessageBox::Warning) << QStringLiteral("Interrompi|Riprova|Ignora") << int(MB::vbIgnore);
        QTest::newRow("Yes No Cancel: No")
            << 3 << (yesNo + QVector<int>{MB::vbCancel}) << 0 << int(MB::vbCancel) << none
            << QString::fromUtf8("Sì|No|Annulla") << int(MB::vbNo);
        QTest::newRow("Yes No, question, second default: Yes")
            << (4 + 32 + 256) << yesNo << 1 << int(MB::vbNo) << int(QMessageBox::Question)
            << QString::fromUtf8("Sì|No") << int(MB::vbYes);
        QTest::newRow("Retry Cancel, critical: Retry")
            << (5 + 16) << QVector<int>{MB::vbRetry, MB::vbCancel} << 0 << int(MB::vbCancel)
            << int(QMessageBox::Critical) << QStringLiteral("Riprova|Annulla") << int(MB::vbRetry);
        QTest::newRow("third default of two buttons falls back to the first")
            << (1 + 512) << okCancel << 0 << int(MB::vbCancel) << none << QStringLiteral("OK|Annulla")
            << int(MB::vbOK);
        QTest::newRow("unknown set shows OK")
            << 7 << ok << 0 << int(MB::vbOK) << none << QStringLiteral("OK") << int(MB::vbOK);
    }

    void messageBoxes() {
        QFETCH(int, flags);
        QFETCH(QVector<int>, answers);
        QFETCH(int, defaultIndex);
        QFETCH(int, click);
        QCOMPARE(MessageButtons::answersFor(flags), answers);
        QCOMPARE(MessageButtons::defaultIndex(flags), defaultIndex);
        QTEST(MessageButtons::dismissAnswer(flags), "dismiss");
        QVERIFY(!QtMessageBox::standardTextsTranslated());
        QString seen;
        int seenIcon = -1, buttonCount = 0;
        bool rightDefault = false;
        whenModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box)
                return;
            seen = box->text() + QLatin1Char('|') + box->windowTitle() + QLatin1Char('|') +
                   captions(box, answers);
            seenIcon = box->icon();
            buttonCount = box->buttons().size();
            rightDefault =
                box->defaultButton() &&
                box->defaultButton() == box->button(QtMessageBox::standardButton(answers.at(defaultIndex)));
            if (QAbstractButton *button = box->button(QtMessageBox::standardButton(click)))
                button->click();
        });
        QtMessageBox box;
        QCOMPARE(box.show(QStringLiteral("Errore nel metodo Apri"), flags, QStringLiteral("qrvTavoli")),
                 click);
        QFETCH(QString, captions);
        QCOMPARE(seen, QStringLiteral("Errore nel metodo Apri|qrvTavoli|") + captions);
        QTEST(seenIcon, "icon");
        QCOMPARE(buttonCount, answers.size());
        QVERIFY(rightDefault);
        // Escape gives the answer of the set's dismissing button.
        whenModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QTEST(box.show(QStringLiteral("?"), flags, QStringLiteral("t")), "dismiss");
    }

    // The component loads Qt's own Italian translation once, and a real box speaks Italian with it.
    void componentLoadsQtsItalianTexts() {
        auto restore = qScopeGuard([] {
            delete qApp->findChild<QTranslator *>();
            MB::install(nullptr);
            qrv::FinestraMessaggi::install(nullptr);
        });
        { qrv::clsTavoli tavoli; }
        QVERIFY(QtMessageBox::standardTextsTranslated()); // by Qt's file, not by the box itself
        { qrv::clsTavoli again; }                         // once
        QCOMPARE(qApp->findChildren<QTranslator *>().size(), 1);

        QStringList seen;
        for (int flags : {MB::vbRetryCancel, MB::vbYesNo}) {
            whenModal([&seen, flags](QWidget *modal) {
                if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                    seen << captions(box, MessageButtons::answersFor(flags));
                    QAbstractButton *cancel = box->button(QMessageBox::Cancel);
                    (cancel ? cancel : box->button(QMessageBox::No))->click();
                }
            });
            QtMessageBox::shared().show(QStringLiteral("?"), flags, QStringLiteral("qrvTavoli"));
        }
        QCOMPARE(seen, (QStringList{QStringLiteral("Riprova|Annulla"), QString::fromUtf8("Sì|No")}));
    }

    // A notice does not block; a new one replaces the old (one on screen at a time); it closes itself.
    void notices() {
        MessageWindow window;
        window.setNoticeMilliseconds(60000);
        window.notice(QStringLiteral("Selezionare il tavolo di destinazione entro 7 secondi"), 1, 0, 2, true);
        QPointer<QWidget> first = window.noticeWidget();
        QVERIFY(first && first->isVisible());
        window.notice(QStringLiteral("Spostamento terminato"), 2, 0, 3, true);
        QPointer<QWidget> second = window.noticeWidget();
        QVERIFY(second && second != first);
        QTRY_VERIFY(first.isNull());
        QCOMPARE(second->findChild<QLabel *>(QStringLiteral("noticeText"))->text(),
                 QStringLiteral("Spostamento terminato"));
        int visibleNotices = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            visibleNotices += w->objectName() == QLatin1String("NoticeWindow") && w->isVisible();
        QCOMPARE(visibleNotices, 1);

        window.setNoticeMilliseconds(40);
        window.notice(QStringLiteral("Il tavolo non è occupato"), 2, 0, 2, true);
        QPointer<QWidget> shown = window.noticeWidget();
        QVERIFY(shown && shown->isVisible());
        QTRY_VERIFY(second.isNull());
        QTRY_VERIFY(shown.isNull());
        QVERIFY(!window.noticeWidget());
    }

    // Over a modal form, a touch through the window system (where input to windows a modal form
    // blocks is dropped) closes the notice; the focus stays in the form's box below.
    void touchClosesTheNotice() {
        MessageWindow window;
        window.setNoticeMilliseconds(60000);
        QDialog form;
        auto *edit = new QLineEdit(&form);
        form.resize(400, 300);
        bool closedByTouch = false;
        QWidget *focusShown = nullptr, *focusAfter = nullptr;
        whenModal([&](QWidget *modal) {
            edit->setFocus();
            const bool focused = QTest::qWaitFor([edit] { return QApplication::focusWidget() == edit; });
            window.notice(QStringLiteral("Il tavolo non ha conti in sospeso"), 2, 0, 1, true);
            QPointer<QWidget> shown = window.noticeWidget();
            if (focused && shown && QTest::qWaitForWindowExposed(shown)) {
                focusShown = QApplication::focusWidget();
                QTest::mouseClick(shown->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
                closedByTouch = QTest::qWaitFor([&] { return shown.isNull(); });
                focusAfter = QApplication::focusWidget();
            }
            modal->close();
        });
        form.exec();
        QVERIFY(closedByTouch);
        QCOMPARE(focusShown, edit);
        QCOMPARE(focusAfter, edit);
    }

    void questions_data() {
        QTest::addColumn<bool>("large");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("touched"); // 0: Escape
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("captions");
        QTest::newRow("Yes") << false << 4 << int(MB::vbYes) << int(MB::vbYes) << QString::fromUtf8("Sì|No");
        QTest::newRow("large Cancel")
            << true << 3 << int(MB::vbCancel) << int(MB::vbCancel) << QString::fromUtf8("Sì|No|Annulla");
        QTest::newRow("Retry") << false << 5 << int(MB::vbRetry) << int(MB::vbRetry)
                               << QStringLiteral("Riprova|Annulla");
        QTest::newRow("Escape: No") << false << 4 << 0 << int(MB::vbNo) << QString::fromUtf8("Sì|No");
        QTest::newRow("large, Escape: Cancel")
            << true << 3 << 0 << int(MB::vbCancel) << QString::fromUtf8("Sì|No|Annulla");
    }

    void questions() {
        QFETCH(bool, large);
        QFETCH(int, flags);
        QFETCH(int, touched);
        QStringList captions;
        QString title, text;
        QSize size;
        whenModal([&](QWidget *modal) {
            title = modal->findChild<QLabel *>(QStringLiteral("questionTitle"))->text();
            text = modal->findChild<QLabel *>(QStringLiteral("questionText"))->text();
            for (int answer : MessageButtons::answersFor(flags)) {
                if (auto *b = modal->findChild<QPushButton *>(QStringLiteral("answer(%1)").arg(answer)))
                    captions << b->text();
            }
            size = modal
                       ->findChild<QPushButton *>(
                           QStringLiteral("answer(%1)").arg(MessageButtons::answersFor(flags).first()))
                       ->size();
            if (touched)
                modal->findChild<QPushButton *>(QStringLiteral("answer(%1)").arg(touched))->click();
            else
                QTest::keyClick(modal, Qt::Key_Escape);
        });
        MessageWindow window;
        const QString question = QStringLiteral("Vuoi azzerare il tavolo 12 ?");
        const QString heading = QStringLiteral("AZZERRAMENTO TAVOLO");
        QTEST(large ? window.largeQuestion(question, heading, flags)
                    : window.question(question, heading, flags),
              "answer");
        QCOMPARE(title + QLatin1Char('|') + text, heading + QLatin1Char('|') + question);
        QTEST(captions.join(QLatin1Char('|')), "captions");
        // Large buttons for a question that must not be missed.
        QVERIFY(large ? size.width() >= 240 && size.height() >= 120 : size.height() >= 80);
    }

    void keyboardTypesIntoTheFocusedBox() {
        QWidget form;
        auto *layout = new QVBoxLayout(&form);
        auto *numero = new QLineEdit(&form);
        auto *descrizione = new QLineEdit(&form);
        auto *keyboard = new TouchKeyboard(&form);
        for (QWidget *w : std::initializer_list<QWidget *>{numero, descrizione, keyboard})
            layout->addWidget(w);
        form.resize(622, 320);
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        descrizione->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), descrizione);

        for (const char *name :
             {"shift", "d", "e", "l", "l", "'", "shift", "o", "r", "t", "o", "backspace", "space"}) {
            QPushButton *button = key(keyboard, name);
            QVERIFY2(button, name);
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QCOMPARE(descrizione->text(), QStringLiteral("Dell'Ort "));
        QCOMPARE(QApplication::focusWidget(), descrizione);
        QCOMPARE(numero->text(), QString());

        // The other box, once it has the focus, gets the keys. A second touch of shift locks the
        // capitals, accented ones included, until the third.
        numero->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), numero);
        QPushButton *shift = key(keyboard, "shift");
        QTest::mouseClick(shift, Qt::LeftButton);
        QTest::mouseClick(shift, Qt::LeftButton);
        QCOMPARE(keyboard->shift(), TouchKeyboard::Shift::Locked);
        QCOMPARE(key(keyboard, "\xc3\xa8")->text(), QString::fromUtf8("\xc3\x88"));
        for (const char *name : {"s", "a", "l", "\xc3\xa8", "shift", "a"})
            QTest::mouseClick(key(keyboard, name), Qt::LeftButton);
        QCOMPARE(keyboard->shift(), TouchKeyboard::Shift::Off);
        QCOMPARE(numero->text(), QString::fromUtf8("SAL\xc3\x88"
                                                   "a"));
        QCOMPARE(descrizione->text(), QStringLiteral("Dell'Ort "));
        QCOMPARE(key(keyboard, "a")->text(), QStringLiteral("a"));
    }
};

QTEST_MAIN(TestPlatformWidgets)
#include "test_platform_widgets.moc"
