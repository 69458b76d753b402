// The window-free rules of the table operations: the amount written when one unit is removed and
// its text in SQL, the reading of grid cells, the variant lines of an article line, the statements.
#include "operations/logic/LineRemoval.h"
#include "operations/logic/OperationStatements.h"
#include "operations/logic/VariantLines.h"

#include <QtTest>

using namespace qrv;

Q_DECLARE_METATYPE(qrv::UnitRemoval::Kind)

class TestOperationsLogic : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void classicStr_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two thirds of ten")
            << amountAfterOneUnitLess(10.0, 3) << QStringLiteral(" 6.66666666666667");
        QTest::newRow("zero") << 0.0 << QStringLiteral(" 0");
        QTest::newRow("negative zero") << -0.0 << QStringLiteral(" 0");
        QTest::newRow("whole") << 12.0 << QStringLiteral(" 12");
        QTest::newRow("below one drops the zero") << 0.5 << QStringLiteral(" .5");
        QTest::newRow("negative below one") << -0.5 << QStringLiteral("-.5");
        QTest::newRow("negative") << -2.25 << QStringLiteral("-2.25");
        QTest::newRow("no thousands separator") << 1234567.5 << QStringLiteral(" 1234567.5");
        QTest::newRow("fifteen digits at most") << 1.0 / 3.0 << QStringLiteral(" .333333333333333");
        QTest::newRow("exponent beyond fifteen digits") << 1e20 << QStringLiteral(" 1E+20");
        QTest::newRow("tiny") << 0.00001 << QStringLiteral(" 1E-05");
    }
    void classicStr() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(qrv::classicStr(value), expected);
    }

    void amountIsDividedFirst() {
        // The division comes first: 10 / 3 * 2 differs in the last bit from 10 * 2 / 3.
        QCOMPARE(amountAfterOneUnitLess(10.0, 3), 10.0 / 3.0 * 2.0);
        QCOMPARE(amountAfterOneUnitLess(1.0, 2), 0.5);
        QCOMPARE(amountAfterOneUnitLess(7.5, 5000000000LL), 7.5 / 5000000000.0 * 4999999999.0);
    }

    void leadingWholeNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("plain") << QStringLiteral("12") << qint64(12);
        QTest::newRow("blanks around") << QStringLiteral("  7 ") << qint64(7);
        QTest::newRow("digits then text") << QStringLiteral("12abc") << qint64(12);
        QTest::newRow("decimal part ignored") << QStringLiteral("3,5") << qint64(3);
        QTest::newRow("empty") << QString() << qint64(0);
        QTest::newRow("text") << QStringLiteral("Nessun ordine") << qint64(0);
        QTest::newRow("negative") << QStringLiteral("-3") << qint64(-3);
        QTest::newRow("plus sign") << QStringLiteral("+5") << qint64(5);
        QTest::newRow("beyond 16 bits") << QStringLiteral("40000") << qint64(40000);
        QTest::newRow("beyond 32 bits") << QStringLiteral("3000000000") << qint64(3000000000LL);
        QTest::newRow("beyond 64 bits") << QStringLiteral("99999999999999999999999") << qint64(0);
    }
    void leadingWholeNumber() {
        QFETCH(QString, text);
        QFETCH(qint64, expected);
        QCOMPARE(qrv::leadingWholeNumber(text), expected);
    }

    void amountsFollowTheLocale() {
        QCOMPARE(formatAmount(amountAfterOneUnitLess(10.0, 3)), QStringLiteral("6,67"));
        QCOMPARE(formatAmount(1234.5), QStringLiteral("1234,50"));
        QCOMPARE(formatAmount(0), QStringLiteral("0,00"));
        QCOMPARE(formatAmount(-2.5), QStringLiteral("-2,50"));
        QCOMPARE(formatAmount(6.666, QLocale::c()), QStringLiteral("6.67"));

        QCOMPARE(parseAmount(QStringLiteral("6,67")), std::optional<double>(6.67));
        QCOMPARE(parseAmount(QStringLiteral(" 10,00 ")), std::optional<double>(10.0));
        QCOMPARE(parseAmount(QStringLiteral("1.234,50")), std::optional<double>(1234.5));
        QCOMPARE(parseAmount(QStringLiteral("abc")), std::nullopt);
        QCOMPARE(parseAmount(QString()), std::nullopt);
        QCOMPARE(parseAmount(QStringLiteral("inf")), std::nullopt);

        const QStringList column2 = {QStringLiteral("10,00"), QString(), QStringLiteral("abc"),
                                     QStringLiteral("2,50")};
        QCOMPARE(sumOfAmounts(column2), 12.5);
        QCOMPARE(sumOfAmounts({}), 0.0);
    }

    void planUnitRemoval_data() {
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("id");
        QTest::addColumn<qrv::UnitRemoval::Kind>("kind");
        QTest::addColumn<qint64>("planId");
        QTest::addColumn<qint64>("newQuantity");
        QTest::addColumn<QString>("newAmountSql");
        using K = UnitRemoval::Kind;
        QTest::newRow("variant row") << QString() << QString() << QStringLiteral("0") << K::Nothing
                                     << qint64(0) << qint64(0) << QString();
        QTest::newRow("Nessun ordine row")
            << QString() << QString() << QString() << K::Nothing << qint64(0) << qint64(0) << QString();
        QTest::newRow("odd identifier")
            << QStringLiteral("2") << QStringLiteral("4,00") << QStringLiteral("x1") << K::Nothing
            << qint64(0) << qint64(0) << QString();
        QTest::newRow("negative identifier")
            << QStringLiteral("2") << QStringLiteral("4,00") << QStringLiteral("-4") << K::Nothing
            << qint64(0) << qint64(0) << QString();
        QTest::newRow("last unit") << QStringLiteral("1") << QStringLiteral("3,50") << QStringLiteral("7")
                                   << K::RemoveLine << qint64(7) << qint64(0) << QString();
        QTest::newRow("blank quantity") << QString() << QStringLiteral("3,50") << QStringLiteral("7")
                                        << K::RemoveLine << qint64(7) << qint64(0) << QString();
        QTest::newRow("three units of ten")
            << QStringLiteral("3") << QStringLiteral("10,00") << QStringLiteral("5") << K::RemoveOneUnit
            << qint64(5) << qint64(2) << QStringLiteral(" 6.66666666666667");
        QTest::newRow("two units") << QStringLiteral("  2") << QStringLiteral("1,00") << QStringLiteral("9")
                                   << K::RemoveOneUnit << qint64(9) << qint64(1) << QStringLiteral(" .5");
        QTest::newRow("amount not a number")
            << QStringLiteral("3") << QStringLiteral("dieci") << QStringLiteral("5") << K::BadAmount
            << qint64(5) << qint64(0) << QString();
        QTest::newRow("empty amount") << QStringLiteral("3") << QString() << QStringLiteral("5")
                                      << K::BadAmount << qint64(5) << qint64(0) << QString();
        QTest::newRow("identifier beyond 32 bits")
            << QStringLiteral("4") << QStringLiteral("8,00") << QStringLiteral("5000000000")
            << K::RemoveOneUnit << qint64(5000000000LL) << qint64(3) << QStringLiteral(" 6");
    }
    void planUnitRemoval() {
        QFETCH(QString, quantity);
        QFETCH(QString, amount);
        QFETCH(QString, id);
        QFETCH(qrv::UnitRemoval::Kind, kind);
        QFETCH(qint64, planId);
        QFETCH(qint64, newQuantity);
        QFETCH(QString, newAmountSql);
        const UnitRemoval plan = qrv::planUnitRemoval(quantity, amount, id);
        QCOMPARE(plan.kind, kind);
        QCOMPARE(plan.id, planId);
        if (kind == UnitRemoval::Kind::RemoveOneUnit) {
            QCOMPARE(plan.newQuantity, newQuantity);
            QCOMPARE(qrv::classicStr(plan.newAmount), newAmountSql);
        }
    }

    void variantLines_data() {
        QTest::addColumn<QVector<qint64>>("ids");
        QTest::addColumn<QVector<qint64>>("varianti");
        QTest::addColumn<qint64>("article");
        QTest::addColumn<QVector<qint64>>("expected");
        const QVector<qint64> ids = {3, 4, 5, 8, 9, 12, 20, 21};
        const QVector<qint64> var = {0, 1, 2, 0, 0, 0, 5, 1};
        QTest::newRow("two variants up to the next article")
            << ids << var << qint64(3) << QVector<qint64>{4, 5};
        QTest::newRow("article without variants") << ids << var << qint64(8) << QVector<qint64>{};
        QTest::newRow("last article with trailing variants")
            << ids << var << qint64(12) << QVector<qint64>{20, 21};
        QTest::newRow("a variant is not an article") << ids << var << qint64(4) << QVector<qint64>{};
        QTest::newRow("line not there") << ids << var << qint64(99) << QVector<qint64>{};
        QTest::newRow("no lines") << QVector<qint64>{} << QVector<qint64>{} << qint64(3) << QVector<qint64>{};
    }
    void variantLines() {
        QFETCH(QVector<qint64>, ids);
        QFETCH(QVector<qint64>, varianti);
        QFETCH(qint64, article);
        QFETCH(QVector<qint64>, expected);
        QVector<OrderLineRef> lines;
        for (int i = 0; i < ids.size(); ++i)
            lines.append({ids.at(i), varianti.at(i)});
        QCOMPARE(variantLinesOf(lines, article), expected);
    }

    void lineStatements() {
        namespace S = OperationStatements;
        QCOMPARE(S::oneUnitLess(5, 2, amountAfterOneUnitLess(10.0, 3)),
                 QStringLiteral(
                     "Update DettaglioTavoli Set Quantita = 2, Importo =  6.66666666666667 Where ID = 5"));
        QCOMPARE(S::deleteLine(12, 3000000000LL),
                 QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = 12 and ID = 3000000000"));
        QCOMPARE(S::deleteLines(12, {4, 5}),
                 QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = 12 and (ID = 4 or ID = 5)"));
        QCOMPARE(S::deleteLines(12, {}), QString());
        QCOMPARE(S::deleteAllLines(12), QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = 12"));
        QCOMPARE(S::freeTable(12),
                 QStringLiteral("Update Tavoli Set Occupato = False, Descrizione = '' Where Codice = 12"));
        QCOMPARE(S::linesOfTable(12),
                 QStringLiteral("Select * from DettaglioTavoli Where Tavolo = 12 order by ID;"));
    }

    void moveStatements_data() {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("third");
        QTest::newRow("nine o five")
            << QStringLiteral("Rossi") << QTime(9, 5)
            << QStringLiteral("Update Tavoli Set Occupato = True, Descrizione = 'Rossi' Where Codice = 7")
            << QStringLiteral("UPDATE Tavoli SET OraOccupato = '09:05' Where Codice = 7");
        QTest::newRow("apostrophe doubled")
            << QStringLiteral("Dell'Orto") << QTime(23, 59, 59)
            << QStringLiteral(
                   "Update Tavoli Set Occupato = True, Descrizione = 'Dell''Orto' Where Codice = 7")
            << QStringLiteral("UPDATE Tavoli SET OraOccupato = '23:59' Where Codice = 7");
        QTest::newRow("empty description at midnight")
            << QString() << QTime(0, 0)
            << QStringLiteral("Update Tavoli Set Occupato = True, Descrizione = '' Where Codice = 7")
            << QStringLiteral("UPDATE Tavoli SET OraOccupato = '00:00' Where Codice = 7");
    }
    void moveStatements() {
        QFETCH(QString, description);
        QFETCH(QTime, now);
        QFETCH(QString, second);
        QFETCH(QString, third);
        const QStringList s = OperationStatements::move(3, 7, description, now);
        QCOMPARE(s.size(), 4);
        QCOMPARE(s.at(0), QStringLiteral("Update DettaglioTavoli set Tavolo = 7 Where Tavolo = 3"));
        QCOMPARE(s.at(1), second);
        QCOMPARE(s.at(2), third);
        QCOMPARE(s.at(3),
                 QStringLiteral("Update Tavoli Set Occupato = False, OraOccupato='', OraUltimoOrdine='', "
                                "Descrizione = '' Where Codice = 3"));
    }
};

QTEST_GUILESS_MAIN(TestOperationsLogic)
#include "test_operationslogic.moc"
