// The direct edits of a table's order lines on real databases: one unit less, a line removed with
// its variant lines (all or nothing), a table emptied (with its journal row, or not at all), the
// quick-add line.
#include "support/OperationsFixture.h"

#include "core/data/Lookups.h"
#include "core/operations/OrderLines.h"
#include "core/settings/SharedState.h"
#include "support/ScriptedMessages.h"

#include <QtTest>

using namespace qrv;
using namespace qrvtest;
using opstest::addJournal, opstest::journal;

class TestOrderLines : public QObject {
    Q_OBJECT

    DbPtr venue(bool journal = false) {
        DbPtr db = freshDatabase(engine());
        if (journal)
            addJournal(db);
        SharedState::current().DataBase = db;
        addArticle(db, 1, QStringLiteral("Pizza Margherita"), 7.0);
        addArticle(db, 2, QStringLiteral("Birra media"), 5.0);
        addTable(db, 1, QStringLiteral("Rossi"), true, QStringLiteral("12:30"), QStringLiteral("12:45"));
        addTable(db, 2, QStringLiteral("Bianchi"), true, QStringLiteral("13:00"), QStringLiteral("13:10"));
        return db;
    }

private slots:
    void initTestCase_data() { addEngineRows(); }
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void cleanup() { SharedState::current().DataBase.reset(); }

    // Identifiers past 16 and close to 32 bits; variants belong to the article line before them
    // in ID order, whatever lines of other tables lie between.
    void removals() {
        const DbPtr db = venue();
        const qint64 first = addLine(db, 1, 1, 1, QStringLiteral("Pizza Margherita"), 0, 7.0, 100);
        addLine(db, 1, 0, 1, QStringLiteral("+ funghi"), 1, 1.0, 101);
        const qint64 otherTable = addLine(db, 2, 2, 1, QStringLiteral("Birra"), 0, 5.0, 102);
        addLine(db, 1, 0, 1, QStringLiteral("- origano"), 2, 0.0, 103);
        const qint64 counted = addLine(db, 1, 1, 4, QStringLiteral("Pizza"), 0, 28.0, 40000);
        const qint64 last = addLine(db, 1, 1, 1, QStringLiteral("Pizza"), 0, 7.0, 2147483000LL);
        addLine(db, 1, 0, 1, QStringLiteral("+ bufala"), 1, 2.0, 2147483001LL);
        OrderLines edits(db);
        // The grid of an Italian till shows 28,00; the statement still carries a point.
        const auto oneLess = [&](qint64 id) {
            return edits.removeOneUnit(
                planUnitRemoval(QStringLiteral("4"), QStringLiteral("28,00"), QString::number(id)));
        };
        QCOMPARE(oneLess(counted), OrderLines::Result::Done);
        QCOMPARE(oneLess(999), OrderLines::Result::NotFound);
        QCOMPARE(edits.removeLine(1, first), OrderLines::Result::Done);
        QCOMPARE(edits.removeLine(1, last), OrderLines::Result::Done);
        QCOMPARE(edits.removeLine(1, last), OrderLines::Result::NotFound);
        QCOMPARE(lines(db), (QVector<Line>{{otherTable, 2, 2, 1, 0, 5.0, QStringLiteral("Birra")},
                                           {counted, 1, 1, 3, 0, 21.0, QStringLiteral("Pizza")}}));
    }

    // A statement the engine refuses is shown with the routine, the statement and the error; Retry
    // runs it again, Cancel gives up with nothing changed: no orphan variant, no freed table whose
    // lines stay, no lines gone from a table still occupied, and no journal row for a change that
    // was not made; a journal row refused undoes the emptying it belongs to. Once the engine
    // accepts, emptying frees the table and keeps its times, and is journaled once.
    void refusedStatement_data() {
        QTest::addColumn<bool>("emptying");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("failing");
        const QString deleteLines = QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = 1");
        const QString lines = QStringLiteral("DettaglioTavoli"), del = QStringLiteral("DELETE");
        QTest::newRow("line with its variant") << false << del << lines << deleteLines;
        QTest::newRow("emptying the table") << true << del << lines << deleteLines;
        QTest::newRow("emptying, the table is not freed")
            << true << QStringLiteral("UPDATE OF Occupato") << QStringLiteral("Tavoli")
            << QStringLiteral("Update Tavoli Set Occupato = False, Descrizione = '' Where Codice = 1");
        QTest::newRow("emptying, the journal row refused")
            << true << QStringLiteral("INSERT") << OrderJournal::tableName()
            << OrderJournal::insertStatement();
    }
    void refusedStatement() {
        QFETCH(bool, emptying);
        QFETCH(QString, event);
        QFETCH(QString, table);
        QFETCH(QString, failing);
        const bool journaled = table == OrderJournal::tableName();
        const DbPtr db = venue(journaled);
        const qint64 article = addLine(db, 1, 1, 1, QStringLiteral("Pizza Margherita"), 0, 7.0);
        const qint64 variant = addLine(db, 1, 0, 1, QStringLiteral("+ funghi"), 1, 1.0);
        addLine(db, 2, 2, 1, QStringLiteral("Birra"), 0, 5.0);
        failWhen(db, QStringLiteral("guasto"), event, table,
                 journaled                          ? QStringLiteral("1 = 1")
                 : table == QLatin1String("Tavoli") ? QStringLiteral("OLD.codice = 1")
                                                    : QStringLiteral("OLD.id = %1").arg(variant));
        OrderLines edits(db);
        edits.setJournal(QStringLiteral("2"));
        const auto run = [&] { return emptying ? edits.emptyTable(1) : edits.removeLine(1, article); };
        {
            ScriptedMessageBox box;
            box.answers = {MessageBox::vbRetry, MessageBox::vbCancel};
            QCOMPARE(run(), OrderLines::Result::Failed);
            QCOMPARE(box.shown.size(), 2);
            const QString text = box.shown.at(0).text;
            QVERIFY(text.contains(emptying ? QLatin1String("AzzeraTavolo")
                                           : QLatin1String("cmdCancSelezionato_Click")));
            QVERIFY2(text.contains(failing) && text.contains(QLatin1String("guasto simulato")),
                     qPrintable(text));
            QCOMPARE(box.shown.at(0).flags, MessageBox::vbRetryCancel | MessageBox::vbCritical);
        }
        QCOMPARE(lines(db, 1).size(), 2);
        QVERIFY(tables(db).value(1).occupato && !db->inTransaction());
        if (journaled)
            QVERIFY(journal(db).isEmpty());

        dropFailure(db, QStringLiteral("guasto"), table);
        QCOMPARE(run(), OrderLines::Result::Done);
        QVERIFY(lines(db, 1).isEmpty());
        QCOMPARE(lines(db, 2).size(), 1);
        QCOMPARE(tables(db).value(1).occupato, !emptying);
        QCOMPARE(tables(db).value(1).oraOccupato, QStringLiteral("12:30"));
        QCOMPARE(edits.emptyTable(77), OrderLines::Result::NotFound); // a table another till deleted
        if (journaled)
            QCOMPARE(journal(db),
                     QStringList{QStringLiteral("AZZERA [1] %1;%2; 8.00 @2").arg(article).arg(variant)});
    }

    // The quick-add line costs the article's price (0 when Articoli lacks it), carries the caption
    // and comes after the lines there. The lines left on a table, or nothing at all when they
    // cannot be read: a failed read is never taken for a table without lines.
    void quickAddAndLinesFailClosed() {
        const DbPtr db = venue();
        const qint64 before = addLine(db, 1, 1, 1, QStringLiteral("Pizza"), 0, 7.0);
        OrderLines edits(db);
        QCOMPARE(edits.addArticle(1, 2, QStringLiteral("Birra media"), PrezzoArticolo(2)),
                 OrderLines::Result::Done);
        QCOMPARE(edits.addArticle(1, 55, QStringLiteral("Coperto"), PrezzoArticolo(55)),
                 OrderLines::Result::Done);
        const QVector<Line> l = lines(db, 1);
        QCOMPARE(l.size(), 3);
        QCOMPARE(l.at(1), (Line{l.at(1).id, 1, 2, 1, 0, 5.0, QStringLiteral("Birra media")}));
        QCOMPARE(l.at(2), (Line{l.at(2).id, 1, 55, 1, 0, 0.0, QStringLiteral("Coperto")}));
        QVERIFY(l.at(2).id > l.at(1).id && l.at(1).id > before && l.at(0).id == before);

        QCOMPARE(edits.lines(1)->size(), 3);
        QVERIFY(edits.lines(2).has_value() && edits.lines(2)->isEmpty());
        db->Execute(QStringLiteral("Alter Table DettaglioTavoli Rename To Righe"));
        ScriptedMessageBox box; // the failure is shown; the operator cancels
        QVERIFY(!edits.lines(2).has_value());
        QCOMPARE(edits.removeLine(1, 1), OrderLines::Result::Failed);
        QCOMPARE(box.shown.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestOrderLines)
#include "test_orderlines.moc"
