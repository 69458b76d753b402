#include "core/data/Lookups.h"
#include "support/Till.h"
#include "support/VenueRows.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace qrv;
using qrvtest::addTable;
using qrvtest::ScriptedMessageBox;

class TestLookups : public QObject {
    Q_OBJECT

private slots:
    // Every lookup on one venue, on each engine; no failure is shown to the operator.
    void lookups_data() { qrvtest::addEngineRows(); }
    void lookups() {
        QFETCH(QString, engine);
        qrvtest::Till till;
        const auto db = till.open(engine, false);
        ScriptedMessageBox &box = till.box;
        const qint64 busy = addTable(db, u"12"_s, u"Finestra"_s, 2, true);
        const qint64 client = addTable(db, u"999"_s, u"Conto Rossi"_s, 9999, true);
        const qint64 free = addTable(db, u"1'2"_s, u"Apice"_s);
        addTable(db, u"1A"_s, u"Lettera"_s);
        addTable(db, u"è2"_s, u"Accento"_s);
        QVERIFY(TavoloPresente(u"12"_s) && !TavoloPresente(u"13"_s) && TavoloPresente(u"1'2"_s));
        // An apostrophe is text, not the end of the literal: no failure, and no way to widen the match
        // (the same quoting serves the statements of test_ordermove).
        QVERIFY(!TavoloPresente(u"Dell'Orto"_s) && !TavoloPresente(u"' or ''='"_s));
        // Letters match whatever their case, on both engines alike; a NUL is in no number.
        QVERIFY(TavoloPresente(u"1a"_s) && TavoloPresente(u"È2"_s) && !TavoloPresente(u"1B"_s));
        QVERIFY(!TavoloPresente(u"12"_s + QChar(0)));
        // "" matches only a table whose number is empty.
        QVERIFY(!TavoloPresente(QString()));
        addTable(db, u""_s, u"Senza numero"_s);
        QVERIFY(TavoloPresente(QString()));

        QVERIFY(!TavoloOccupato(QString::number(free)) && TavoloOccupato(QString::number(busy)));
        QVERIFY(!TavoloOccupato(QString::number(busy + client + 100)));
        // A code that is not a number reaches no statement.
        QVERIFY(!TavoloOccupato(u"1 or 1=1"_s) && !TavoloOccupato(QString()));
        QCOMPARE(DescrizioneContoCLiente(qint32(client)), u"Conto Rossi"_s);
        QCOMPARE(DescrizioneContoCLiente(qint32(busy)), QString());
        db->Execute(u"Update Tavoli Set Descrizione = Null Where Codice = "_s + QString::number(client));
        QCOMPARE(DescrizioneContoCLiente(qint32(client)), QString());

        qrvtest::addArticle(db, 7, u"Caffè"_s, 1.2);
        qrvtest::addArticle(db, 40000, u"Menù degustazione"_s, 45.5);
        qrvtest::addArticle(db, 8, QVariant(), 0.5);
        // Codes beyond 16 bits too (test_orderlines reads the price of others).
        QCOMPARE(DescrizioneArticolo(u"7"_s) + u'|' + DescrizioneArticolo(u"40000"_s),
                 u"Caffè|Menù degustazione"_s);
        QCOMPARE(PrezzoArticolo(40000), 45.5);
        QCOMPARE(DescrizioneArticolo(u"8"_s) + DescrizioneArticolo(u"x"_s), QString());
        QCOMPARE(PrezzoArticolo(9), 0.0);
        QVERIFY(box.shown.isEmpty());

        // A failure names the lookup.
        db->Execute(u"Drop table Tavoli"_s);
        QVERIFY(!TavoloOccupato(u"5"_s));
        QCOMPARE(box.shown.size(), 1);
        QVERIFY2(
            box.shown[0].text.startsWith(u"Errore nel metodo Apri (tabella:Select Occupato from Tavoli Where "
                                         "Codice = 5; ) chiamato da TavoloPresente\r\n"_s),
            qPrintable(box.shown[0].text));
        QCOMPARE(DescrizioneContoCLiente(5), QString());
        QCOMPARE(box.shown.size(), 2);
        QVERIFY(box.shown[1].text.contains(u" chiamato da DescrizioneContoCLiente\r\n"_s));
    }

    void seNullo_data() {
        QTest::addColumn<QVariant>("valore");
        QTest::addColumn<QVariant>("predefinito");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("empty value") << QVariant() << QVariant(QString()) << QVariant(QString());
        // A database null is typed.
        QTest::newRow("typed null") << QVariant(QMetaType::fromType<QString>()) << QVariant(3) << QVariant(3);
        QTest::newRow("zero is a value") << QVariant(0) << QVariant(QString()) << QVariant(0);
        QTest::newRow("empty text is a value") << QVariant(u""_s) << QVariant(u"x"_s) << QVariant(u""_s);
    }
    void seNullo() {
        QFETCH(QVariant, valore);
        QFETCH(QVariant, predefinito);
        QFETCH(QVariant, expected);
        const QVariant result = SeNullo(valore, predefinito);
        QCOMPARE(result, expected);
        QCOMPARE(result.metaType(), expected.metaType());
    }

    void messages() {
        ScriptedMessageBox box;
        // No window: a notice is dropped, a question goes to the standard message box.
        Avviso(u"Spostamento terminato"_s, 2, 0, 3, true);
        box.answers = {MessageBox::vbYes};
        QCOMPARE(
            Messaggio(u"Vuoi azzerare il tavolo 4 ?"_s, u"AZZERRAMENTO TAVOLO"_s, MessageBox::vbYesNo, false),
            qint32(MessageBox::vbYes));
        QCOMPARE(box.shown.size(), 1);
        QCOMPARE(box.shown[0].text + u'|' + box.shown[0].title + QString::number(box.shown[0].flags),
                 u"Vuoi azzerare il tavolo 4 ?|AZZERRAMENTO TAVOLO4"_s);
        // With a window (test_operationsform sees its notices and questions): the large question.
        qrvtest::ScriptedMessageWindow window;
        window.answers = {MessageBox::vbNo};
        QCOMPARE(Messaggio(u"B"_s, u"T"_s, MessageBox::vbYesNo, true), qint32(MessageBox::vbNo));
        QVERIFY(window.questions.size() == 1 && window.questions[0].large &&
                window.questions[0].pulsanti == MessageBox::vbYesNo);
        QCOMPARE(box.shown.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLookups)
#include "test_lookups.moc"
