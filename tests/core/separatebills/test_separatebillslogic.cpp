// Window-free logic of the separate-bill screen: unit rows, the selection, the per-person split
// and the number forms they show.
#include "core/platform/NumberFormat.h"
#include "core/separatebills/PersonSplit.h"
#include "core/separatebills/Selection.h"
#include "core/separatebills/UnitRows.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <tuple>

using namespace qrv::separatebills;

Q_DECLARE_METATYPE(QVector<OrderLine>)
Q_DECLARE_METATYPE(QVector<GridRowCells>)

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
    OrderLine line;
    line.id = id;
    line.isVariant = true;
    line.quantita = 1;
    line.importo = 0.5; // a variant's own amount is never counted on this screen
    line.descrizione = QString::fromUtf8(text);
    return line;
}

/** n unit rows "description|amount|ids", the description's line break written as "/". */
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

/** Fills the current _data() table with the column "row": one row per entry, named after it. */
template <typename Row> void rowTable(std::initializer_list<Row> rows) {
    QTest::addColumn<Row>("row");
    for (const Row &r : rows)
        QTest::newRow(r.name) << r;
}

} // namespace

Q_DECLARE_METATYPE(Values)

class TestSeparateBillsLogic : public QObject {
    Q_OBJECT

private slots:
    void unitRows_data() {
        QTest::addColumn<QVector<OrderLine>>("lines");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<double>("total");
        QTest::newRow("empty order") << QVector<OrderLine>{} << QStringList{} << 0.0;
        QTest::newRow("quantity 3 gives three rows of a third")
            << QVector<OrderLine>{article(12, 1, 3, 10.0)} << units(3, "Art1/|3.33|12;") << 10.0;
        QTest::newRow("article with two variants")
            << QVector<OrderLine>{article(12, 1, 2, 8.0), variant(13, "senza cipolla"),
                                  variant(14, "all'olio")}
            << units(2, "Art1/senza cipolla; all'olio|4.00|12;13;14;") << 8.0;
        QTest::newRow("variants stay with their own article")
            << QVector<OrderLine>{article(12, 1, 3, 9.0), variant(13, "v13"), article(15, 2, 1, 2.5),
                                  variant(16, "v16")}
            << units(3, "Art1/v13|3.00|12;13;") + units(1, "Art2/v16|2.50|15;16;") << 11.5;
        QTest::newRow("variant before any article is left out")
            << QVector<OrderLine>{variant(10, "orphan"), article(11, 4, 1, 3.0)} << units(1, "Art4/|3.00|11;")
            << 3.0;
        QTest::newRow("quantity 0 gives no rows and hands nothing to the next article")
            << QVector<OrderLine>{article(20, 1, 0, 0.0), variant(21, "v21"), article(22, 2, 2, 5.0)}
            << units(2, "Art2/|2.50|22;") << 5.0;
        QTest::newRow("negative quantity gives no rows, its amount is in the total")
            << QVector<OrderLine>{article(30, 1, -2, -4.0), article(31, 2, 1, 6.0)}
            << units(1, "Art2/|6.00|31;") << 2.0;
        QTest::newRow("one article on two lines")
            << QVector<OrderLine>{article(1, 7, 1, 1.0), article(2, 7, 1, 1.0)}
            << units(1, "Art7/|1.00|1;") + units(1, "Art7/|1.00|2;") << 2.0;
        QTest::newRow("identifiers wider than 32 bits")
            << QVector<OrderLine>{article(5000000000LL, 1, 1, 1.0), variant(5000000001LL, "v")}
            << units(1, "Art1/v|1.00|5000000000;5000000001;") << 1.0;
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
        for (const UnitRow &row : result.rows) {
            shown.append(QString(row.description).replace(QLatin1String("\r\n"), QLatin1String("/")) +
                         QLatin1Char('|') + qrv::formatAmount(row.unitAmount, QLocale::c()) +
                         QLatin1Char('|') + row.ids);
        }
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

    void gridCells() {
        UnitRow row;
        row.description = QStringLiteral("Pizza\r\ndoppia\tmozzarella");
        row.unitAmount = 10.0 / 3;
        row.ids = QStringLiteral("12;13;");
        QCOMPARE(row.cells(italian),
                 (QStringList{QStringLiteral("Pizza\r\ndoppia\tmozzarella"), QStringLiteral("3,33"),
                              QString(), QStringLiteral("12;13;")}));
    }

    void selection_data() {
        QTest::addColumn<QVector<GridRowCells>>("rows");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("ids");
        QTest::addColumn<double>("total");
        QTest::addColumn<int>("count");
        const QString x = QStringLiteral("X");
        const QString three = QStringLiteral("3,33");
        QTest::newRow("two of three units and a single one")
            << QVector<GridRowCells>{{three, x, QStringLiteral("12;13;")},
                                     {three, QString(), QStringLiteral("12;13;")},
                                     {three, x, QStringLiteral("12;13;")},
                                     {QStringLiteral("2,50"), x, QStringLiteral("15;")}}
            << italian << QStringLiteral("12;13;;12;13;;15;;") << 9.16 << 3;
        QTest::newRow("only an exact X counts")
            << QVector<GridRowCells>{{three, QStringLiteral("x"), QStringLiteral("12;13;")}} << italian
            << QString() << 0.0 << 0;
        QTest::newRow("amount that is not a number counts 0")
            << QVector<GridRowCells>{{QStringLiteral("abc"), x, QStringLiteral("1;")},
                                     {QString(), x, QStringLiteral("2;")},
                                     {QStringLiteral("1,50"), x, QStringLiteral("3;")}}
            << italian << QStringLiteral("1;;2;;3;;") << 1.5 << 3;
        QTest::newRow("US locale") << QVector<GridRowCells>{{QStringLiteral("3.33"), x, QStringLiteral("1;")}}
                                   << american << QStringLiteral("1;;") << 3.33 << 1;
    }
    void selection() {
        QFETCH(QVector<GridRowCells>, rows);
        QFETCH(QLocale, locale);
        QFETCH(QString, ids);
        QFETCH(double, total);
        QFETCH(int, count);
        const Selection selection = summarizeSelection(rows, locale);
        QCOMPARE(selection.ids, ids);
        QVERIFY2(std::fabs(selection.total - total) < 1e-9, qPrintable(QString::number(selection.total)));
        QCOMPARE(selection.count, count);
    }

    // The amount form "#0.00" and the general form of the same value, and reading them back.
    void numberForms_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("general");
        const struct {
            const char *name;
            double value;
            bool us;
            const char *amount, *general;
        } rows[] = {
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
        };
        for (const auto &r : rows) {
            QTest::newRow(r.name) << r.value << (r.us ? american : italian) << QString::fromLatin1(r.amount)
                                  << QString::fromLatin1(r.general);
        }
    }
    void numberForms() {
        QFETCH(double, value);
        QFETCH(QLocale, locale);
        QFETCH(QString, amount);
        QFETCH(QString, general);
        QCOMPARE(qrv::formatAmount(value, locale), amount);
        QCOMPARE(qrv::formatGeneralNumber(value, locale), general);
        if (std::isfinite(value))
            QCOMPARE(qrv::parseLocaleNumber(QLatin1Char(' ') + amount + QLatin1Char(' '), locale),
                     QString(amount).replace(locale.decimalPoint(), QLatin1String(".")).toDouble());
        QCOMPARE(qrv::parseLocaleNumber(QStringLiteral("dieci"), locale), 0.0);
    }

    void shareText_data() {
        QTest::addColumn<QString>("persons");
        QTest::addColumn<double>("total");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("share");
        const struct {
            const char *name, *persons;
            double total;
            bool us;
            const char *share;
        } rows[] = {
            {"100 by 12", "12", 100.0, false, "8,33333333333333"},
            {"leading zero kept as typed", "03", 10.0, false, "3,33333333333333"},
            {"100 persons, 00 key", "100", 100.0, false, "1"},
            {"0 persons", "0", 100.0, false, nullptr},
            {"no digits", "", 100.0, false, nullptr},
        };
        for (const auto &r : rows) {
            QTest::newRow(r.name) << QString::fromLatin1(r.persons) << r.total << (r.us ? american : italian)
                                  << (r.share ? QStringLiteral("Con %1 persone alla ROMANA sono %2 a testa.")
                                                    .arg(QLatin1String(r.persons), QLatin1String(r.share))
                                              : PersonSplit::zeroPersonsText());
        }
        const QString huge(400, QLatin1Char('9'));
        QTest::newRow("count past a double")
            << huge << 100.0 << italian
            << QStringLiteral("Con %1 persone alla ROMANA sono 0 a testa.").arg(huge);
    }
    void shareText() {
        QFETCH(QString, persons);
        QFETCH(double, total);
        QFETCH(QLocale, locale);
        QFETCH(QString, share);
        QCOMPARE(qrv::separatebills::shareText(persons, total, locale), share);
    }
};

QTEST_GUILESS_MAIN(TestSeparateBillsLogic)
#include "test_separatebillslogic.moc"
