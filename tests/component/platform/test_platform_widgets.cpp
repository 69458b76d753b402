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

using qrv::MessageBox;
using qrv::MessageWindow;
using qrv::QtMessageBox;
using qrv::TouchKeyboard;
using qrvtest::whenModal;
namespace MessageButtons = qrv::MessageButtons;

namespace {

/** The texts of a box's buttons in the order of the flags' button set, mnemonics left out. */
QString captions(QMessageBox *box, int flags) {
    QStringList texts;
    for (int answer : MessageButtons::answersFor(flags)) {
        QAbstractButton *button = box->button(QtMessageBox::standardButton(answer));
        texts << (button ? button->text().remove(QLatin1Char('&')) : QStringLiteral("?"));
    }
    return texts.join(QLatin1Char('|'));
}

QPushButton *key(TouchKeyboard *keyboard, const QString &name) {
    return keyboard->findChild<QPushButton *>(QStringLiteral("key(%1)").arg(name));
}

/** Shows the form active with the focus in the given box; false when that does not happen. */
bool showWithFocus(QWidget &form, QWidget *box) {
    form.show();
    QApplication::setActiveWindow(&form);
    if (!QTest::qWaitForWindowActive(&form))
        return false;
    box->setFocus();
    return QTest::qWaitFor([box] { return QApplication::focusWidget() == box; });
}

} // namespace

class TestPlatformWidgets : public QObject {
    Q_OBJECT

private slots:
    void buttonSets_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QVector<int>>("answers");
        QTest::addColumn<int>("defaultIndex");
        QTest::addColumn<int>("dismiss");
        QTest::addColumn<int>("icon");
        QTest::newRow("OK") << 0 << QVector<int>{MessageBox::vbOK} << 0 << int(MessageBox::vbOK) << 0;
        QTest::newRow("OK Cancel") << 1 << QVector<int>{MessageBox::vbOK, MessageBox::vbCancel} << 0
                                   << int(MessageBox::vbCancel) << 0;
        QTest::newRow("Yes No Cancel")
            << 3 << QVector<int>{MessageBox::vbYes, MessageBox::vbNo, MessageBox::vbCancel} << 0
            << int(MessageBox::vbCancel) << 0;
        QTest::newRow("Yes No, question, second default")
            << (4 + 32 + 256) << QVector<int>{MessageBox::vbYes, MessageBox::vbNo} << 1
            << int(MessageBox::vbNo) << 32;
        QTest::newRow("Retry Cancel, critical")
            << (5 + 16) << QVector<int>{MessageBox::vbRetry, MessageBox::vbCancel} << 0
            << int(MessageBox::vbCancel) << 16;
        QTest::newRow("third default of two buttons falls back to the first")
            << (1 + 512) << QVector<int>{MessageBox::vbOK, MessageBox::vbCancel} << 0
            << int(MessageBox::vbCancel) << 0;
        QTest::newRow("unknown set shows OK")
            << 7 << QVector<int>{MessageBox::vbOK} << 0 << int(MessageBox::vbOK) << 0;
    }

    void buttonSets() {
        QFETCH(int, flags);
        QFETCH(QVector<int>, answers);
        QCOMPARE(MessageButtons::answersFor(flags), answers);
        QTEST(MessageButtons::defaultIndex(flags), "defaultIndex");
        QTEST(MessageButtons::dismissAnswer(flags), "dismiss");
        QTEST(MessageButtons::icon(flags), "icon");
        for (int answer : answers)
            QVERIFY(!MessageButtons::caption(answer).isEmpty());
    }

    // Without Qt's Italian translation (the file missing) the box sets the Italian texts itself.
    void qtMessageBoxAnswers_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("click");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("captions");
        QTest::newRow("OK") << 0 << int(MessageBox::vbOK) << int(QMessageBox::NoIcon) << QStringLiteral("OK");
        QTest::newRow("OK Cancel: Cancel") << (1 + 64) << int(MessageBox::vbCancel)
                                           << int(QMessageBox::Information) << QStringLiteral("OK|Annulla");
        QTest::newRow("Abort Retry Ignore: Ignore")
            << (2 + 48) << int(MessageBox::vbIgnore) << int(QMessageBox::Warning)
            << QStringLiteral("Interrompi|Riprova|Ignora");
        QTest::newRow("Yes No, No the default: Yes")
            << (4 + 256) << int(MessageBox::vbYes) << int(QMessageBox::NoIcon) << QString::fromUtf8("Sì|No");
        QTest::newRow("Retry Cancel: Retry")
            << (5 + 16) << int(MessageBox::vbRetry) << int(QMessageBox::Critical)
            << QStringLiteral("Riprova|Annulla");
    }

    void qtMessageBoxAnswers() {
        QFETCH(int, flags);
        QFETCH(int, click);
        QFETCH(int, icon);
        QVERIFY(!QtMessageBox::standardTextsTranslated());
        QString seen;
        int seenIcon = -1, buttonCount = 0;
        QAbstractButton *defaultButton = nullptr, *expectedDefault = nullptr;
        whenModal([&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            if (!box)
                return;
            seen =
                box->text() + QLatin1Char('|') + box->windowTitle() + QLatin1Char('|') + captions(box, flags);
            seenIcon = box->icon();
            buttonCount = box->buttons().size();
            defaultButton = box->defaultButton();
            expectedDefault = box->button(QtMessageBox::standardButton(
                MessageButtons::answersFor(flags).at(MessageButtons::defaultIndex(flags))));
            if (QAbstractButton *button = box->button(QtMessageBox::standardButton(click)))
                button->click();
        });
        QtMessageBox box;
        const int answer =
            box.show(QStringLiteral("Errore nel metodo Apri"), flags, QStringLiteral("qrvTavoli"));
        QCOMPARE(answer, click);
        QFETCH(QString, captions);
        QCOMPARE(seen, QStringLiteral("Errore nel metodo Apri|qrvTavoli|") + captions);
        QCOMPARE(seenIcon, icon);
        QCOMPARE(buttonCount, MessageButtons::answersFor(flags).size());
        QVERIFY(defaultButton && defaultButton == expectedDefault);
        // Escape gives the answer of the set's dismissing button.
        whenModal([](QWidget *modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QCOMPARE(box.show(QStringLiteral("?"), flags, QStringLiteral("t")),
                 MessageButtons::dismissAnswer(flags));
    }

    // The component loads Qt's own Italian translation once, and a real box speaks Italian with it.
    void componentLoadsQtsItalianTexts() {
        auto restore = qScopeGuard([] {
            delete qApp->findChild<QTranslator *>();
            MessageBox::install(nullptr);
            qrv::FinestraMessaggi::install(nullptr);
        });
        { qrv::clsTavoli tavoli; }
        QVERIFY(QtMessageBox::standardTextsTranslated()); // by Qt's file, not by the box itself
        QCOMPARE(qApp->findChildren<QTranslator *>().size(), 1);
        { qrv::clsTavoli again; } // once
        QCOMPARE(qApp->findChildren<QTranslator *>().size(), 1);

        QStringList seen;
        for (int flags : {MessageBox::vbRetryCancel, MessageBox::vbYesNo}) {
            whenModal([&seen, flags](QWidget *modal) {
                if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                    seen << captions(box, flags);
                    QAbstractButton *cancel = box->button(QMessageBox::Cancel);
                    (cancel ? cancel : box->button(QMessageBox::No))->click();
                }
            });
            QtMessageBox::shared().show(QStringLiteral("?"), flags, QStringLiteral("qrvTavoli"));
        }
        QCOMPARE(seen, (QStringList{QStringLiteral("Riprova|Annulla"), QString::fromUtf8("Sì|No")}));
    }

    void noticeDoesNotBlockAndClosesItself() {
        MessageWindow window;
        window.setNoticeMilliseconds(40);
        window.notice(QStringLiteral("Il tavolo non è occupato"), 2, 0, 2, true);
        QPointer<QWidget> shown = window.noticeWidget();
        QVERIFY(shown);
        QVERIFY(shown->isVisible());
        QCOMPARE(shown->findChild<QLabel *>(QStringLiteral("noticeText"))->text(),
                 QStringLiteral("Il tavolo non è occupato"));
        QTRY_VERIFY(shown.isNull());
        QVERIFY(!window.noticeWidget());
    }

    void newNoticeReplacesTheOld() {
        MessageWindow window;
        window.setNoticeMilliseconds(60000);
        window.notice(QStringLiteral("Selezionare il tavolo di destinazione entro 7 secondi"), 1, 0, 2, true);
        QPointer<QWidget> first = window.noticeWidget();
        window.notice(QStringLiteral("Spostamento terminato"), 2, 0, 3, true);
        QPointer<QWidget> second = window.noticeWidget();
        QVERIFY(second && second != first);
        QTRY_VERIFY(first.isNull());
        QCOMPARE(second->findChild<QLabel *>()->text(), QStringLiteral("Spostamento terminato"));
        int visibleNotices = 0;
        for (QWidget *w : QApplication::topLevelWidgets()) // only one notice on screen
            visibleNotices += w->objectName() == QLatin1String("NoticeWindow") && w->isVisible();
        QCOMPARE(visibleNotices, 1);
        second->close();
        QTRY_VERIFY(second.isNull());
    }

    void touchClosesTheNoticeAndFocusStaysBelow() {
        QWidget form;
        auto *edit = new QLineEdit(&form);
        form.resize(400, 300);
        QVERIFY(showWithFocus(form, edit));

        MessageWindow window;
        window.setNoticeMilliseconds(60000);
        window.notice(QStringLiteral("Compilare descrizione sala"), 1, 0, 1, true);
        QPointer<QWidget> shown = window.noticeWidget();
        QVERIFY(shown);
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        QCOMPARE(QApplication::focusWidget(), edit);

        QTest::mouseClick(shown, Qt::LeftButton);
        QTRY_VERIFY(shown.isNull());
        QCOMPARE(QApplication::focusWidget(), edit);
    }

    void noticeOverAModalFormCanBeTouchedAway() {
        MessageWindow window;
        window.setNoticeMilliseconds(60000);
        QDialog form;
        form.resize(400, 300);
        bool closedByTouch = false;
        whenModal([&](QWidget *modal) {
            window.notice(QStringLiteral("Il tavolo non ha conti in sospeso"), 2, 0, 1, true);
            QPointer<QWidget> shown = window.noticeWidget();
            if (shown && QTest::qWaitForWindowExposed(shown)) {
                // Through the window system, where input to windows a modal form blocks is dropped.
                QTest::mouseClick(shown->windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
                closedByTouch = QTest::qWaitFor([&] { return shown.isNull(); });
            }
            modal->close();
        });
        form.exec();
        QVERIFY(closedByTouch);
    }

    void questionReturnsTheTouchedAnswer_data() {
        QTest::addColumn<bool>("large");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("click");
        QTest::newRow("Yes") << false << 4 << int(MessageBox::vbYes);
        QTest::newRow("large Cancel") << true << 3 << int(MessageBox::vbCancel);
        QTest::newRow("Retry") << false << 5 << int(MessageBox::vbRetry);
    }

    void questionReturnsTheTouchedAnswer() {
        QFETCH(bool, large);
        QFETCH(int, flags);
        QFETCH(int, click);
        QStringList captions;
        QString title, text;
        whenModal([&](QWidget *modal) {
            title = modal->findChild<QLabel *>(QStringLiteral("questionTitle"))->text();
            text = modal->findChild<QLabel *>(QStringLiteral("questionText"))->text();
            for (int answer : MessageButtons::answersFor(flags)) {
                if (auto *b = modal->findChild<QPushButton *>(QStringLiteral("answer(%1)").arg(answer)))
                    captions << b->text();
            }
            modal->findChild<QPushButton *>(QStringLiteral("answer(%1)").arg(click))->click();
        });
        MessageWindow window;
        const QString question = QStringLiteral("Vuoi azzerare il tavolo 12 ?");
        const int answer = large
                               ? window.largeQuestion(question, QStringLiteral("AZZERRAMENTO TAVOLO"), flags)
                               : window.question(question, QStringLiteral("AZZERRAMENTO TAVOLO"), flags);
        QCOMPARE(answer, click);
        QCOMPARE(title, QStringLiteral("AZZERRAMENTO TAVOLO"));
        QCOMPARE(text, question);
        QCOMPARE(captions.size(), MessageButtons::answersFor(flags).size());
    }

    void questionEscapeAndSizes() {
        QSize normal, big;
        whenModal([&](QWidget *modal) {
            normal = modal->findChild<QPushButton *>(QStringLiteral("answer(6)"))->size();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        MessageWindow window;
        QCOMPARE(window.question(QStringLiteral("?"), QString(), 4), int(MessageBox::vbNo));
        whenModal([&](QWidget *modal) {
            big = modal->findChild<QPushButton *>(QStringLiteral("answer(6)"))->size();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QCOMPARE(window.largeQuestion(QStringLiteral("?"), QString(), 3), int(MessageBox::vbCancel));
        QVERIFY(normal.height() >= 80);
        QVERIFY(big.width() > normal.width() && big.height() > normal.height());
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
        QVERIFY(showWithFocus(form, descrizione));

        const QStringList keys{QStringLiteral("shift"), QStringLiteral("d"), QStringLiteral("e"),
                               QStringLiteral("l"),     QStringLiteral("l"), QStringLiteral("'"),
                               QStringLiteral("shift"), QStringLiteral("o"), QStringLiteral("r"),
                               QStringLiteral("t"),     QStringLiteral("o")};
        for (const QString &name : keys) {
            QPushButton *button = key(keyboard, name);
            QVERIFY2(button, qPrintable(name));
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QCOMPARE(descrizione->text(), QStringLiteral("Dell'Orto"));
        QCOMPARE(QApplication::focusWidget(), descrizione);
        QCOMPARE(numero->text(), QString());

        QTest::mouseClick(key(keyboard, QStringLiteral("backspace")), Qt::LeftButton);
        QTest::mouseClick(key(keyboard, QStringLiteral("space")), Qt::LeftButton);
        QCOMPARE(descrizione->text(), QStringLiteral("Dell'Ort "));

        // The other box, once it has the focus, gets the keys. A second touch of shift locks the
        // capitals, accented ones included, until the third.
        numero->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), numero);
        QPushButton *shift = key(keyboard, QStringLiteral("shift"));
        QTest::mouseClick(shift, Qt::LeftButton);
        QTest::mouseClick(shift, Qt::LeftButton);
        QCOMPARE(keyboard->shift(), TouchKeyboard::Shift::Locked);
        QCOMPARE(key(keyboard, QString::fromUtf8("\xc3\xa8"))->text(), QString::fromUtf8("\xc3\x88"));
        for (const char *name : {"s", "a", "l", "\xc3\xa8"})
            QTest::mouseClick(key(keyboard, QString::fromUtf8(name)), Qt::LeftButton);
        QTest::mouseClick(shift, Qt::LeftButton);
        QCOMPARE(keyboard->shift(), TouchKeyboard::Shift::Off);
        QTest::mouseClick(key(keyboard, QStringLiteral("a")), Qt::LeftButton);
        QCOMPARE(numero->text(), QString::fromUtf8("SAL\xc3\x88"
                                                   "a"));
        QCOMPARE(descrizione->text(), QStringLiteral("Dell'Ort "));
        QCOMPARE(key(keyboard, QStringLiteral("a"))->text(), QStringLiteral("a"));
    }
};

QTEST_MAIN(TestPlatformWidgets)
#include "test_platform_widgets.moc"
