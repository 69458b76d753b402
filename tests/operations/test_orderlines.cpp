// The direct edits of a table's order lines on real databases: one unit less, a line removed with
// its variant lines (all or nothing), a table emptied, the quick-add line.
#include "OperationsFixture.h"

#include "component/SharedState.h"
#include "data/Lookups.h"
#include "operations/logic/LineRemoval.h"
#include "operations/logic/OrderLines.h"
#include "support/ScriptedMessages.h"

#include <QtTest>

using namespace qrv;
using namespace opstest;

class TestOrderLines : public QObject {
    Q_OBJECT

    DbPtr venue(const QString &engine) {
        DbPtr db = qrvtest::freshDatabase(engine);
        SharedState::current().DataBase = db;
        addArticle(db, 1, QStringLiteral("Pizza Margherita"), 7.0);
        addArticle(db, 2, QStringLiteral("Birra media"), 5.0);
        addTable(db, 1, QStringLiteral("Rossi"), true, QStringLiteral("12:30"), QStringLiteral("12:45"));
        addTable(db, 2, QStringLiteral("Bianchi"), true, QStringLiteral("13:00"), QStringLiteral("13:10"));
        addTable(db, 3, QString(), false);
        return db;
    }

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void cleanup() { SharedState::current().DataBase.reset(); }

    void oneUnitLessWritesFullPrecision_data() { qrvtest::addEngineRows(); }
    void oneUnitLessWritesFullPrecision() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        const qint64 id = addLine(db, 1, 1, 3, QStringLiteral("Pizza Margherita"), 0, 10.0);
        const qint64 other = addLine(db, 2, 1, 3, QStringLiteral("Pizza Margherita"), 0, 10.0);

        // The grid of an Italian till shows 10,00; the statement still carries a point.
        const UnitRemoval plan =
            planUnitRemoval(QStringLiteral("3"), QStringLiteral("10,00"), QString::number(id));
        QCOMPARE(OrderLines(db).removeOneUnit(plan), OrderLines::Result::Done);
        const QVector<Line> after = lines(db, 1);
        QCOMPARE(after.size(), 1);
        QCOMPARE(after.at(0).quantita, qint64(2));
        QCOMPARE(after.at(0).importo, 6.66666666666667);
        QCOMPARE(lines(db, 2).at(0).importo, 10.0);
        QCOMPARE(lines(db, 2).at(0).id, other);
    }

    void oneUnitLessOfAVanishedLine_data() { qrvtest::addEngineRows(); }
    void oneUnitLessOfAVanishedLine() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        const UnitRemoval plan =
            planUnitRemoval(QStringLiteral("3"), QStringLiteral("10,00"), QStringLiteral("999"));
        QCOMPARE(OrderLines(db).removeOneUnit(plan), OrderLines::Result::NotFound);
        QVERIFY(lines(db).isEmpty());
    }

    void removeLineTakesItsVariants_data() { qrvtest::addEngineRows(); }
    void removeLineTakesItsVariants() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        const qint64 first = addLine(db, 1, 1, 1, QStringLiteral("Pizza Margherita"), 0, 7.0);
        const qint64 v1 = addLine(db, 1, 0, 1, QStringLiteral("+ funghi"), 1, 1.0);
        const qint64 otherTable = addLine(db, 2, 2, 1, QStringLiteral("Birra"), 0, 5.0);
        const qint64 v2 = addLine(db, 1, 0, 1, QStringLiteral("- origano"), 2, 0.0);
        const qint64 second = addLine(db, 1, 2, 2, QStringLiteral("Birra media"), 0, 10.0);
        const qint64 v3 = addLine(db, 1, 0, 1, QStringLiteral("alla spina"), 1, 0.0);

        QVector<qint64> removed;
        QCOMPARE(OrderLines(db).removeLine(1, first, &removed), OrderLines::Result::Done);
        QCOMPARE(removed, (QVector<qint64>{v1, v2}));
        QVector<qint64> left;
        for (const Line &l : lines(db))
            left.append(l.id);
        QCOMPARE(left, (QVector<qint64>{otherTable, second, v3}));

        // An article without variants: only its own row goes.
        const qint64 lone = addLine(db, 2, 1, 1, QStringLiteral("Pizza"), 0, 7.0);
        QCOMPARE(OrderLines(db).removeLine(2, lone, &removed), OrderLines::Result::Done);
        QVERIFY(removed.isEmpty());
        QCOMPARE(lines(db, 2).size(), 1);
        // A line another till already removed.
        QCOMPARE(OrderLines(db).removeLine(2, lone), OrderLines::Result::NotFound);
    }

    void removeLineIsAllOrNothing_data() { qrvtest::addEngineRows(); }
    void removeLineIsAllOrNothing() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        const qint64 article = addLine(db, 1, 1, 1, QStringLiteral("Pizza Margherita"), 0, 7.0);
        const qint64 variant = addLine(db, 1, 0, 1, QStringLiteral("+ funghi"), 1, 1.0);
        failWhen(db, QStringLiteral("no_variant_delete"), QStringLiteral("DELETE"),
                 QStringLiteral("DettaglioTavoli"), QStringLiteral("OLD.id = %1").arg(variant));
        qrvtest::ScriptedMessageBox box;
        box.answers = {MessageBox::vbRetry, MessageBox::vbCancel};

        QCOMPARE(OrderLines(db).removeLine(1, article), OrderLines::Result::Failed);
        QCOMPARE(box.shown.size(), 2);
        QVERIFY(box.shown.at(0).text.contains(QLatin1String("cmdCancSelezionato_Click")));
        QVERIFY(box.shown.at(0).text.contains(QLatin1String("guasto simulato")));
        QCOMPARE(box.shown.at(0).flags, MessageBox::vbRetryCancel | MessageBox::vbCritical);
        QCOMPARE(lines(db, 1).size(), 2); // the article is back: no orphan variant
    }

    void largeIdentifiers_data() { qrvtest::addEngineRows(); }
    void largeIdentifiers() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        // Past 16 bits, and close to the top of a 32-bit key.
        const qint64 a = addLine(db, 1, 1, 4, QStringLiteral("Pizza"), 0, 28.0, 40000);
        const qint64 b = addLine(db, 1, 1, 1, QStringLiteral("Pizza"), 0, 7.0, 2147483000LL);
        const qint64 bv = addLine(db, 1, 0, 1, QStringLiteral("+ bufala"), 1, 2.0, 2147483001LL);
        OrderLines edits(db);
        QCOMPARE(edits.removeOneUnit(
                     planUnitRemoval(QStringLiteral("4"), QStringLiteral("28,00"), QString::number(a))),
                 OrderLines::Result::Done);
        QCOMPARE(edits.removeLine(1, b), OrderLines::Result::Done);
        const QVector<Line> left = lines(db, 1);
        QCOMPARE(left.size(), 1);
        QCOMPARE(left.at(0).id, a);
        QCOMPARE(left.at(0).quantita, qint64(3));
        QCOMPARE(left.at(0).importo, 21.0);
        Q_UNUSED(bv);
    }

    void emptyTableKeepsTimes_data() { qrvtest::addEngineRows(); }
    void emptyTableKeepsTimes() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        addLine(db, 1, 1, 1, QStringLiteral("Pizza"), 0, 7.0);
        addLine(db, 1, 0, 1, QStringLiteral("+ funghi"), 1, 1.0);
        addLine(db, 1, 2, 0, QStringLiteral("Birra (stornata)"), 0, 0.0);
        addLine(db, 2, 2, 1, QStringLiteral("Birra"), 0, 5.0);
        QCOMPARE(OrderLines(db).emptyTable(1), OrderLines::Result::Done);
        QVERIFY(lines(db, 1).isEmpty());
        QCOMPARE(lines(db, 2).size(), 1);
        const Table t = tables(db).value(1);
        QVERIFY(!t.occupato);
        QCOMPARE(t.descrizione, QString());
        QCOMPARE(t.oraOccupato, QStringLiteral("12:30"));
        QCOMPARE(t.oraUltimoOrdine, QStringLiteral("12:45"));
        QVERIFY(tables(db).value(2).occupato);
        // A table deleted by another till: nothing to free, nothing else touched.
        QCOMPARE(OrderLines(db).emptyTable(77), OrderLines::Result::NotFound);
    }

    void emptyTableFailureIsReported_data() { qrvtest::addEngineRows(); }
    void emptyTableFailureIsReported() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        addLine(db, 1, 1, 1, QStringLiteral("Pizza"), 0, 7.0);
        failWhen(db, QStringLiteral("no_delete"), QStringLiteral("DELETE"), QStringLiteral("DettaglioTavoli"),
                 QStringLiteral("OLD.tavolo = 1"));
        qrvtest::ScriptedMessageBox box;
        QCOMPARE(OrderLines(db).emptyTable(1), OrderLines::Result::Failed);
        QCOMPARE(box.shown.size(), 1);
        QVERIFY(box.shown.at(0).text.contains(QLatin1String("AzzeraTavolo")));
        QVERIFY(
            box.shown.at(0).text.contains(QLatin1String("Delete * from DettaglioTavoli Where Tavolo = 1")));
        QCOMPARE(lines(db, 1).size(), 1);
        QVERIFY(tables(db).value(1).occupato); // not freed while its lines stay
    }

    void quickAdd_data() { qrvtest::addEngineRows(); }
    void quickAdd() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        const qint64 before = addLine(db, 1, 1, 1, QStringLiteral("Pizza"), 0, 7.0);
        QCOMPARE(OrderLines(db).addArticle(1, 2, QStringLiteral("Birra media"), PrezzoArticolo(2)),
                 OrderLines::Result::Done);
        // An article missing from Articoli costs 0; the caption is still the description.
        QCOMPARE(OrderLines(db).addArticle(1, 55, QStringLiteral("Coperto"), PrezzoArticolo(55)),
                 OrderLines::Result::Done);
        const QVector<Line> l = lines(db, 1);
        QCOMPARE(l.size(), 3);
        QCOMPARE(l.at(0).id, before);
        QVERIFY(l.at(1).id > before);
        QCOMPARE(l.at(1).codice, qint64(2));
        QCOMPARE(l.at(1).quantita, qint64(1));
        QCOMPARE(l.at(1).descrizione, QStringLiteral("Birra media"));
        QCOMPARE(l.at(1).variante, qint64(0));
        QCOMPARE(l.at(1).importo, 5.0);
        QCOMPARE(l.at(2).codice, qint64(55));
        QCOMPARE(l.at(2).importo, 0.0);
        QCOMPARE(l.at(2).descrizione, QStringLiteral("Coperto"));
        QCOMPARE(qrvtest::scalar(
                     db, QStringLiteral("Select IdRif from DettaglioTavoli Where ID = %1").arg(l.at(2).id))
                     .toInt(),
                 0);
    }
};

QTEST_GUILESS_MAIN(TestOrderLines)
#include "test_orderlines.moc"
