#include "core/data/Lookups.h"
#include "core/data/SqlText.h"
#include "core/data/dao/Database.h"
#include "core/settings/SharedState.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"
#include "support/VenueRows.h"

#include <QtTest>

using qrv::MessageBox;
using qrv::SharedState;
using qrvtest::ScriptedMessageBox;
using qrvtest::ScriptedMessageWindow;
using DatabasePtr = std::shared_ptr<qrv::dao::Database>;

namespace {

using qrvtest::addTable;

void addArticle(const DatabasePtr &db, qint32 codice, const QVariant &descrizione, double prezzo) {
    qrvtest::insertRow(db, QStringLiteral("Articoli"),
                       {{QStringLiteral("Codice"), codice},
                        {QStringLiteral("Descrizione"), descrizione},
                        {QStringLiteral("Prezzo"), prezzo}});
}

} // namespace

class TestLookups : public QObject {
    Q_OBJECT

private:
    DatabasePtr useDatabase(DatabasePtr db) {
        SharedState::current().DataBase = db;
        return db;
    }

private slots:
    void cleanup() { SharedState::current().DataBase.reset(); }

    void sqlTextDoublesApostrophes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("literal");
        QTest::newRow("plain") << QStringLiteral("12") << QStringLiteral("'12'");
        QTest::newRow("empty") << QString() << QStringLiteral("''");
        QTest::newRow("apostrophe") << QStringLiteral("Dell'Orto") << QStringLiteral("'Dell''Orto'");
        QTest::newRow("only quotes") << QStringLiteral("''") << QStringLiteral("''''''");
    }
    void sqlTextDoublesApostrophes() {
        QFETCH(QString, text);
        QFETCH(QString, literal);
        QCOMPARE(qrv::sqlText(text), literal);
        QCOMPARE(QLatin1Char('\'') + qrv::sqlEscaped(text) + QLatin1Char('\''), literal);
    }

    void tavoloPresente_data() { qrvtest::addEngineRows(); }
    void tavoloPresente() {
        QFETCH(QString, engine);
        const DatabasePtr db = useDatabase(qrvtest::freshDatabase(engine));
        ScriptedMessageBox box;
        addTable(db, QStringLiteral("12"), QStringLiteral("Finestra"), 2);
        QVERIFY(qrv::TavoloPresente(QStringLiteral("12")));
        QVERIFY(!qrv::TavoloPresente(QStringLiteral("13")));
        // An apostrophe is text, not the end of the literal: no failure, and no way to widen the match.
        QVERIFY(!qrv::TavoloPresente(QStringLiteral("Dell'Orto")));
        QVERIFY(!qrv::TavoloPresente(QStringLiteral("' or ''='")));
        addTable(db, QStringLiteral("1'2"), QStringLiteral("Apice"));
        QVERIFY(qrv::TavoloPresente(QStringLiteral("1'2")));
        // "" matches only a table whose number is empty.
        QVERIFY(!qrv::TavoloPresente(QString()));
        addTable(db, QStringLiteral(""), QStringLiteral("Senza numero"));
        QVERIFY(qrv::TavoloPresente(QString()));
        // Letters match whatever their case, on both engines alike.
        addTable(db, QStringLiteral("1A"), QStringLiteral("Lettera"));
        addTable(db, QStringLiteral("è2"), QStringLiteral("Accento"));
        QVERIFY(qrv::TavoloPresente(QStringLiteral("1a")) && qrv::TavoloPresente(QStringLiteral("È2")));
        QVERIFY(!qrv::TavoloPresente(QStringLiteral("1B")));
        // A NUL is in no number: no, and no failure shown.
        QVERIFY(!qrv::TavoloPresente(QStringLiteral("12") + QChar(0)));
        QVERIFY(box.shown.isEmpty());
    }

    void tavoloOccupatoAndClientBills_data() { qrvtest::addEngineRows(); }
    void tavoloOccupatoAndClientBills() {
        QFETCH(QString, engine);
        const DatabasePtr db = useDatabase(qrvtest::freshDatabase(engine));
        ScriptedMessageBox box;
        const qint64 free = addTable(db, QStringLiteral("1"), QStringLiteral("Libero"));
        const qint64 busy = addTable(db, QStringLiteral("2"), QStringLiteral("Occupato"), 1, true);
        const qint64 client = addTable(db, QStringLiteral("999"), QStringLiteral("Conto Rossi"), 9999, true);
        QVERIFY(!qrv::TavoloOccupato(QString::number(free)));
        QVERIFY(qrv::TavoloOccupato(QString::number(busy)));
        QVERIFY(!qrv::TavoloOccupato(QString::number(busy + client + 100)));
        // A code that is not a number reaches no statement.
        QVERIFY(!qrv::TavoloOccupato(QStringLiteral("1 or 1=1")));
        QVERIFY(!qrv::TavoloOccupato(QString()));

        QCOMPARE(qrv::DescrizioneContoCLiente(qint32(client)), QStringLiteral("Conto Rossi"));
        QCOMPARE(qrv::DescrizioneContoCLiente(qint32(busy)), QString());
        db->Execute(QStringLiteral("Update Tavoli Set Descrizione = Null Where Codice = ") +
                    QString::number(client));
        QCOMPARE(qrv::DescrizioneContoCLiente(qint32(client)), QString());
        QVERIFY(box.shown.isEmpty());
    }

    void articles_data() { qrvtest::addEngineRows(); }
    void articles() {
        QFETCH(QString, engine);
        const DatabasePtr db = useDatabase(qrvtest::freshDatabase(engine));
        ScriptedMessageBox box;
        addArticle(db, 7, QStringLiteral("Caffè"), 1.2);
        addArticle(db, 40000, QStringLiteral("Menù degustazione"), 45.5);
        addArticle(db, 8, QVariant(), 0.5);
        QCOMPARE(qrv::DescrizioneArticolo(QStringLiteral("7")), QStringLiteral("Caffè"));
        QCOMPARE(qrv::PrezzoArticolo(7), 1.2);
        // Codes beyond 16 bits.
        QCOMPARE(qrv::PrezzoArticolo(40000), 45.5);
        QCOMPARE(qrv::DescrizioneArticolo(QStringLiteral("40000")), QStringLiteral("Menù degustazione"));
        QCOMPARE(qrv::DescrizioneArticolo(QStringLiteral("8")), QString());
        QCOMPARE(qrv::DescrizioneArticolo(QStringLiteral("x")), QString());
        QCOMPARE(qrv::PrezzoArticolo(9), 0.0);
        QVERIFY(box.shown.isEmpty());
    }

    void failureNamesTheLookup_data() { qrvtest::addEngineRows(); }
    void failureNamesTheLookup() {
        QFETCH(QString, engine);
        const DatabasePtr db = useDatabase(qrvtest::freshDatabase(engine));
        db->Execute(QStringLiteral("Drop table Tavoli"));
        ScriptedMessageBox box;
        QVERIFY(!qrv::TavoloOccupato(QStringLiteral("5")));
        QCOMPARE(box.shown.size(), 1);
        QVERIFY2(box.shown[0].text.startsWith(QStringLiteral(
                     "Errore nel metodo Apri (tabella:Select Occupato from Tavoli Where Codice = 5; ) "
                     "chiamato da TavoloPresente\r\n")),
                 qPrintable(box.shown[0].text));
        QCOMPARE(qrv::DescrizioneContoCLiente(5), QString());
        QCOMPARE(box.shown.size(), 2);
        QVERIFY(box.shown[1].text.contains(QStringLiteral(" chiamato da DescrizioneContoCLiente\r\n")));
    }

    void seNullo_data() {
        QTest::addColumn<QVariant>("valore");
        QTest::addColumn<QVariant>("predefinito");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("empty value") << QVariant() << QVariant(QString()) << QVariant(QString());
        QTest::newRow("typed null") << QVariant(QMetaType::fromType<QString>()) << QVariant(3) << QVariant(3);
        QTest::newRow("zero is a value") << QVariant(0) << QVariant(QString()) << QVariant(0);
        QTest::newRow("empty text is a value")
            << QVariant(QStringLiteral("")) << QVariant(QStringLiteral("x")) << QVariant(QStringLiteral(""));
    }
    void seNullo() {
        QFETCH(QVariant, valore);
        QFETCH(QVariant, predefinito);
        QFETCH(QVariant, expected);
        const QVariant result = qrv::SeNullo(valore, predefinito);
        QCOMPARE(result, expected);
        QCOMPARE(result.metaType(), expected.metaType());
    }

    void seNulloOfADatabaseNull_data() { qrvtest::addEngineRows(); }
    void seNulloOfADatabaseNull() {
        QFETCH(QString, engine);
        const DatabasePtr db = useDatabase(qrvtest::freshDatabase(engine));
        addTable(db, QStringLiteral("4"), QVariant());
        const QVariant descrizione = qrvtest::scalar(db, QStringLiteral("Select Descrizione from Tavoli"));
        QCOMPARE(qrv::SeNullo(descrizione, QStringLiteral("")).toString(), QStringLiteral(""));
        QCOMPARE(qrv::SeNullo(descrizione, QStringLiteral("-")).toString(), QStringLiteral("-"));
    }

    void messages() {
        {
            ScriptedMessageBox box;
            // No window: a notice is dropped, a question goes to the standard message box.
            qrv::Avviso(QStringLiteral("Spostamento terminato"), 2, 0, 3, true);
            box.answers = {MessageBox::vbYes};
            QCOMPARE(qrv::Messaggio(QStringLiteral("Vuoi azzerare il tavolo 4 ?"),
                                    QStringLiteral("AZZERRAMENTO TAVOLO"), MessageBox::vbYesNo, false),
                     qint32(MessageBox::vbYes));
            QCOMPARE(box.shown.size(), 1);
            QCOMPARE(box.shown[0].text + QLatin1Char('|') + box.shown[0].title +
                         QString::number(box.shown[0].flags),
                     QStringLiteral("Vuoi azzerare il tavolo 4 ?|AZZERRAMENTO TAVOLO4"));
        }
        ScriptedMessageBox box;
        ScriptedMessageWindow window;
        qrv::Avviso(QStringLiteral("Liberato e azzerato tavolo 4"), 2, 0, 3, false);
        QCOMPARE(window.notices.size(), 1);
        const auto &notice = window.notices[0];
        QCOMPARE(QStringLiteral("%1|%2|%3|%4").arg(notice.testo).arg(notice.a).arg(notice.c).arg(notice.d),
                 QStringLiteral("Liberato e azzerato tavolo 4|2|3|0"));
        window.answers = {MessageBox::vbYes, MessageBox::vbNo};
        QCOMPARE(qrv::Messaggio(QStringLiteral("A"), QStringLiteral("T"), MessageBox::vbYesNo, false),
                 qint32(MessageBox::vbYes));
        QCOMPARE(qrv::Messaggio(QStringLiteral("B"), QStringLiteral("T"), MessageBox::vbYesNo, true),
                 qint32(MessageBox::vbNo));
        QCOMPARE(window.questions.size(), 2);
        QVERIFY(!window.questions[0].large && window.questions[1].large);
        QCOMPARE(window.questions[1].pulsanti, qint32(MessageBox::vbYesNo));
        QVERIFY(box.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLookups)
#include "test_lookups.moc"
