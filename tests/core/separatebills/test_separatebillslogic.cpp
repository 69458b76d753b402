// Window-free logic of the separate-bill screen: unit rows, the selection, the per-person split
// and the number forms they show.
#include "core/platform/NumberFormat.h"
#include "core/separatebills/PersonSplit.h"
#include "core/separatebills/Selection.h"
#include "core/separatebills/UnitRows.h"
#include "support/TestDatabases.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <tuple>

using namespace qrv::separatebills;
using qrvtest::rowTable;

Q_DECLARE_METATYPE(QVector<OrderLine>)

namespace {

const QLocale italian(QLocale::Italian, QLocale::Italy);
const QLocale american(QLocale::English, QLocale::UnitedStates);
const double notANumber = std::numeric_limits<double>::quiet_NaN();

OrderLine article(qint64 id, qint64 codice, int quantita, double importo) {
    OrderLine line;
    line.id = id;
    line.codice = codice;
    line.quantita = static_cast<qint16>(quantita);
    line.importo = importo;
    return line;
}

OrderLine variant(qint64 id, const char *text) {
    OrderLine line = article(id, 0, 1, 0.5); // a variant's own amount is never counted on this screen
    line.isVariant = true;
    line.descrizione = QString::fromUtf8(text);
    return line;
}

/** n unit rows as their grid cells joined by "|", the description's line break written as "/". */
QStringList units(int n, const char *row) {
    return QStringList(n, QString::fromUtf8(row));
}

/** The column values of one DettaglioTavoli row and how they read. */
struct Values {
    const char *name;
    QVariant variante, quantita, importo;
    bool isVariant;
    int quantity;
    double amount;
};

/** Grid rows "amount|mark|ids", blanks between them; what the marked ones add up to. */
struct Marked {
    const char *name, *grid;
    bool us;
    const char *ids;
    double total;
    int count;
};

struct Number {
    const char *name;
    double value;
    bool us;
    const char *amount, *general;
};

struct Share {
    const char *name, *persons;
    double total;
    const char *share; ///< nullptr: the text for no persons
};

} // namespace

Q_DECLARE_METATYPE(Values)
Q_DECLARE_METATYPE(Marked)
Q_DECLARE_METATYPE(Number)
Q_DECLARE_METATYPE(Share)

class TestSeparateBillsLogic : public QObject {
    Q_OBJECT

private slots:
    void unitRows_data() {
        QTest::addColumn<QVector<OrderLine>>("lines");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<double>("total");
        QTest::newRow("empty order") << QVector<OrderLine>{} << QStringList{} << 0.0;
        QTest::newRow("quantity 3 gives three rows of a third")
            << QVector<OrderLine>{article(12, 1, 3, 10.0)} << units(3, "Art1/|3,33||12;") << 10.0;
        QTest::newRow("article with two variants")
            << QVector<OrderLine>{article(12, 1, 2, 8.0), variant(13, "senza\tcipolla"),
                                  variant(14, "all'olio")}
            << units(2, "Art1/senza\tcipolla; all'olio|4,00||12;13;14;") << 8.0;
        QTest::newRow("variants stay with their own article")
            << QVector<OrderLine>{article(12, 1, 3, 9.0), variant(13, "v13"), article(15, 2, 1, 2.5),
                                  variant(16, "v16")}
            << units(3, "Art1/v13|3,00||12;13;") + units(1, "Art2/v16|2,50||15;16;") << 11.5;
        QTest::newRow("variant before any article is left out")
            << QVector<OrderLine>{variant(10, "orphan"), article(11, 4, 1, 3.0)}
            << units(1, "Art4/|3,00||11;") << 3.0;
        QTest::newRow("quantity 0 gives no rows and hands nothing to the next article")
            << QVector<OrderLine>{article(20, 1, 0, 0.0), variant(21, "v21"), article(22, 2, 2, 5.0)}
            << units(2, "Art2/|2,50||22;") << 5.0;
        QTest::newRow("negative quantity gives no rows, its amount is in the total")
            << QVector<OrderLine>{article(30, 1, -2, -4.0), article(31, 2, 1, 6.0)}
            << units(1, "Art2/|6,00||31;") << 2.0;
        QTest::newRow("one article on two lines")
            << QVector<OrderLine>{article(1, 7, 1, 1.0), article(2, 7, 1, 1.0)}
            << units(1, "Art7/|1,00||1;") + units(1, "Art7/|1,00||2;") << 2.0;
        QTest::newRow("identifiers wider than 32 bits")
            << QVector<OrderLine>{article(5000000000LL, 1, 1, 1.0), variant(5000000001LL, "v")}
            << units(1, "Art1/v|1,00||5000000000;5000000001;") << 1.0;
    }
    void unitRows() {
        QFETCH(QVector<OrderLine>, lines);
        QFETCH(QStringList, rows);
        QFETCH(double, total);
        QList<qint64> looked;
        const UnitRows result = buildUnitRows(lines, [&looked](qint64 codice) {
            looked.append(codice);
            return QStringLiteral("Art") + QString::number(codice);
        });
        QStringList shown;
        for (const UnitRow &row : result.rows)
            shown.append(
                row.cells(italian).join(QLatin1Char('|')).replace(QLatin1String("\r\n"), QLatin1String("/")));
        QCOMPARE(shown, rows);
        QCOMPARE(result.total, total);
        // Each article that gives rows is looked up once.
        QCOMPARE(looked.size(), QSet<qint64>(looked.begin(), looked.end()).size());
    }

    void orderLineFromValues_data() {
        const QVariant null;
        const auto text = [](const char *t) { return QVariant(QString::fromLatin1(t)); };
        rowTable<Values>({
            {"article", 0, 3, 10.5, false, 3, 10.5},
            {"variant", 1, 1, 0.0, true, 1, 0.0},
            {"null variante is not 0", null, 1, 2.0, true, 1, 2.0},
            {"null quantity and amount", 0, null, null, false, 0, 0.0},
            {"text quantity and amount", 0, text("tre"), text("abc"), false, 0, 0.0},
            {"amount not a number", 0, 2, notANumber, false, 2, 0.0},
            {"quantity past 16 bits", 0, 40000, 1.0, false, 0, 1.0},
            {"numeric text", text("0"), text("4"), text("7.25"), false, 4, 7.25},
        });
    }
    void orderLineFromValues() {
        QFETCH(Values, row);
        const OrderLine line =
            OrderLine::fromValues(QVariant(qint64(3000000000LL)), QVariant(7), row.variante, row.quantita,
                                  row.importo, QVariant(QStringLiteral("d")));
        QCOMPARE(std::make_tuple(line.id, line.codice, line.isVariant, int(line.quantita), line.importo),
                 std::make_tuple(qint64(3000000000LL), qint64(7), row.isVariant, row.quantity, row.amount));
    }

    void selection_data() {
        rowTable<Marked>({
            {"two of three units and a single one", "3,33|X|12;13; 3,33||12;13; 3,33|X|12;13; 2,50|X|15;",
             false, "12;13;;12;13;;15;;", 9.16, 3},
            {"only an exact X counts", "3,33|x|12;13;", false, "", 0.0, 0},
            {"amount that is not a number counts 0", "abc|X|1; |X|2; 1,50|X|3;", false, "1;;2;;3;;", 1.5, 3},
            {"US locale", "3.33|X|1;", true, "1;;", 3.33, 1},
        });
    }
    void selection() {
        QFETCH(Marked, row);
        QVector<GridRowCells> grid;
        for (const QString &cells : QString::fromLatin1(row.grid).split(QLatin1Char(' '))) {
            const QStringList c = cells.split(QLatin1Char('|'));
            grid.append({c.at(0), c.at(1), c.at(2)});
        }
        const Selection selection = summarizeSelection(grid, row.us ? american : italian);
        QCOMPARE(selection.ids, QLatin1String(row.ids));
        QVERIFY2(std::fabs(selection.total - row.total) < 1e-9, qPrintable(QString::number(selection.total)));
        QCOMPARE(selection.count, row.count);
    }

    // The amount form "#0.00" and the general form of the same value, and reading them back.
    void numberForms_data() {
        rowTable<Number>({
            {"100 / 12", 100.0 / 12, false, "8,33", "8,33333333333333"},
            {"two thirds", 20.0 / 3, false, "6,67", "6,66666666666667"},
            {"zero", 0.0, false, "0,00", "0"},
            {"decimal text rounding", 2.675, false, "2,68", "2,675"},
            {"no group separator", 1234567.5, false, "1234567,50", "1234567,5"},
            {"negative rounds away from zero", -0.125, false, "-0,13", "-0,125"},
            {"tiny negative shows no sign", -0.001, false, "0,00", "-0,001"},
            {"tiny share", 1.0 / 3e7, false, "0,00", "3,33333333333333E-08"},
            {"15 digits fixed", 123456789012345.0, true, "123456789012345.00", "123456789012345"},
            {"16 digits exponent", 1e15, true, "1000000000000000.00", "1E+15"},
            {"not a number", notANumber, false, "0,00", "0"},
        });
    }
    void numberForms() {
        QFETCH(Number, row);
        const QLocale locale = row.us ? american : italian;
        const QString amount = QLatin1String(row.amount);
        QCOMPARE(qrv::formatAmount(row.value, locale), amount);
        QCOMPARE(qrv::formatGeneralNumber(row.value, locale), QLatin1String(row.general));
        if (std::isfinite(row.value))
            QCOMPARE(qrv::parseLocaleNumber(QLatin1Char(' ') + amount + QLatin1Char(' '), locale),
                     QString(amount).replace(locale.decimalPoint(), QLatin1String(".")).toDouble());
        QCOMPARE(qrv::parseLocaleNumber(QStringLiteral("dieci"), locale), 0.0);
    }

    void shareText_data() {
        rowTable<Share>({
            {"100 by 12", "12", 100.0, "8,33333333333333"},
            {"leading zero kept as typed", "03", 10.0, "3,33333333333333"},
            {"100 persons, 00 key", "100", 100.0, "1"},
            {"0 persons", "0", 100.0, nullptr},
            {"no digits", "", 100.0, nullptr},
            {"count past a double", nullptr, 100.0, "0"},
        });
    }
    void shareText() {
        QFETCH(Share, row);
        const QString persons = row.persons ? QLatin1String(row.persons) : QString(400, QLatin1Char('9'));
        QCOMPARE(qrv::separatebills::shareText(persons, row.total, italian),
                 row.share ? QStringLiteral("Con %1 persone alla ROMANA sono %2 a testa.")
                                 .arg(persons, QLatin1String(row.share))
                           : PersonSplit::zeroPersonsText());
    }
};

QTEST_GUILESS_MAIN(TestSeparateBillsLogic)
#include "test_separatebillslogic.moc"
