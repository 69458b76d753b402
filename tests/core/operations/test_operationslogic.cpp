// The window-free rules of the table operations: the amount written when one unit is removed and
// its text in SQL, the reading of grid cells, the variant lines of an article line, the statements.
#include "core/operations/LineRemoval.h"
#include "core/operations/OperationStatements.h"
#include "core/operations/VariantLines.h"
#include "support/TestDatabases.h"

#include <QtTest>

using namespace qrv;
using qrvtest::rowTable;

namespace {

struct Amount {
    const char *name;
    double value;
    const char *sql;
};

struct Removal {
    const char *name, *quantity, *amount, *id;
    UnitRemoval::Kind kind;
    qint64 planId, newQuantity;
    const char *sql;
};

} // namespace

Q_DECLARE_METATYPE(Amount)
Q_DECLARE_METATYPE(Removal)

class TestOperationsLogic : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void classicStr_data() {
        rowTable<Amount>({
            {"zero", 0.0, " 0"},
            {"negative zero", -0.0, " 0"},
            {"below one drops the zero", 0.5, " .5"},
            {"negative below one", -0.5, "-.5"},
            {"no thousands separator", 1234567.5, " 1234567.5"},
            {"fifteen digits at most", 1.0 / 3.0, " .333333333333333"},
            {"exponent beyond fifteen digits", 1e20, " 1E+20"},
            {"not a number", std::numeric_limits<double>::quiet_NaN(), " 0"},
        });
    }
    void classicStr() {
        QFETCH(Amount, row);
        QCOMPARE(qrv::classicStr(row.value), QLatin1String(row.sql));
    }

    // The cells are read as the leading whole number of their text: blanks and a sign first,
    // anything after the digits ignored, 0 for no digits or for digits past 64 bits.
    void planUnitRemoval_data() {
        using K = UnitRemoval::Kind;
        rowTable<Removal>({
            {"variant row", "", "", "0", K::Nothing, 0, 0, ""},
            {"Nessun ordine row", "", "", "", K::Nothing, 0, 0, ""},
            {"odd identifier", "2", "4,00", "x1", K::Nothing, 0, 0, ""},
            {"negative identifier", "2", "4,00", "-4", K::Nothing, 0, 0, ""},
            {"identifier past 64 bits", "2", "4,00", "99999999999999999999999", K::Nothing, 0, 0, ""},
            {"last unit", "1", "3,50", "7", K::RemoveLine, 7, 0, ""},
            {"blank quantity", "", "3,50", " 7 ", K::RemoveLine, 7, 0, ""},
            {"three units of ten", "3", "10,00", "5", K::RemoveOneUnit, 5, 2, " 6.66666666666667"},
            {"two units", "  2", "1,00", "9", K::RemoveOneUnit, 9, 1, " .5"},
            {"text after the digits", "3,5", "3,00", "12abc", K::RemoveOneUnit, 12, 2, " 2"},
            {"zero amount", "2", "0,00", "5", K::RemoveOneUnit, 5, 1, " 0"},
            {"amount not a number", "3", "dieci", "5", K::BadAmount, 5, 0, ""},
            {"empty amount", "3", "", "5", K::BadAmount, 5, 0, ""},
            {"infinite amount", "3", "inf", "5", K::BadAmount, 5, 0, ""},
            {"identifier beyond 32 bits", "4", "8,00", "5000000000", K::RemoveOneUnit, 5000000000LL, 3, " 6"},
        });
    }
    void planUnitRemoval() {
        QFETCH(Removal, row);
        const UnitRemoval plan = qrv::planUnitRemoval(QLatin1String(row.quantity), QLatin1String(row.amount),
                                                      QLatin1String(row.id));
        QCOMPARE(plan.kind, row.kind);
        QCOMPARE(plan.id, row.planId);
        if (row.kind == UnitRemoval::Kind::RemoveOneUnit) {
            QCOMPARE(plan.newQuantity, row.newQuantity);
            QCOMPARE(qrv::classicStr(plan.newAmount), QLatin1String(row.sql));
        }
    }

    void variantLines() {
        const QVector<OrderLineRef> lines = {{3, 0}, {4, 1},  {5, 2},  {8, 0},
                                             {9, 0}, {12, 0}, {20, 5}, {21, 1}};
        QCOMPARE(variantLinesOf(lines, 3), (QVector<qint64>{4, 5}));    // up to the next article
        QCOMPARE(variantLinesOf(lines, 8), QVector<qint64>{});          // an article without variants
        QCOMPARE(variantLinesOf(lines, 12), (QVector<qint64>{20, 21})); // the last article
        QCOMPARE(variantLinesOf(lines, 4), QVector<qint64>{});          // a variant is not an article
        QCOMPARE(variantLinesOf(lines, 99), QVector<qint64>{});         // a line not there
        QCOMPARE(variantLinesOf({}, 3), QVector<qint64>{});
    }

    void statements() {
        namespace S = OperationStatements;
        // The division comes first: 7 / 6 * 5 differs in the last bit from 7 * 5 / 6.
        QVERIFY(amountAfterOneUnitLess(7.0, 6) == 7.0 / 6.0 * 5.0); // QCOMPARE would allow the difference
        QCOMPARE(S::oneUnitLess(5, 2, amountAfterOneUnitLess(10.0, 3)),
                 QStringLiteral(
                     "Update DettaglioTavoli Set Quantita = 2, Importo =  6.66666666666667 Where ID = 5"));
        QCOMPARE(S::deleteLine(12, 3000000000LL),
                 QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = 12 and ID = 3000000000"));
        QCOMPARE(S::deleteLine(12, 3, {4, 5}),
                 QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = 12 and ID In (3, 4, 5)"));

        // The move: the description quoted safely, the time with two digits each.
        QCOMPARE(S::move(3, 7, QStringLiteral("Dell'Orto"), QTime(9, 5, 59)),
                 (QStringList{
                     QStringLiteral("Update DettaglioTavoli set Tavolo = 7 Where Tavolo = 3"),
                     QStringLiteral(
                         "Update Tavoli Set Occupato = True, Descrizione = 'Dell''Orto' Where Codice = 7"),
                     QStringLiteral("UPDATE Tavoli SET OraOccupato = '09:05' Where Codice = 7"),
                     QStringLiteral("Update Tavoli Set Occupato = False, OraOccupato='', OraUltimoOrdine='', "
                                    "Descrizione = '' Where Codice = 3"),
                 }));
        // A NUL cannot stand in a statement: the description goes without it.
        QCOMPARE(
            S::move(3, 7, QStringLiteral("Ros") + QChar(0) + QStringLiteral("si"), QTime(23, 59)).mid(1, 2),
            (QStringList{
                QStringLiteral("Update Tavoli Set Occupato = True, Descrizione = 'Rossi' Where Codice = 7"),
                QStringLiteral("UPDATE Tavoli SET OraOccupato = '23:59' Where Codice = 7")}));
        QCOMPARE(S::move(3, 7, QString(), QTime(9, 5)).at(1),
                 QStringLiteral("Update Tavoli Set Occupato = True, Descrizione = '' Where Codice = 7"));
    }
};

QTEST_GUILESS_MAIN(TestOperationsLogic)
#include "test_operationslogic.moc"
