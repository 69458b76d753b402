// Window-free logic of the separate-bill screen: unit rows, the selection, the per-person split
// and the number forms they show.
#include "platform/logic/NumberFormat.h"
#include "separatebills/logic/PersonSplit.h"
#include "separatebills/logic/Selection.h"
#include "separatebills/logic/UnitRows.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace qrv::separatebills;

Q_DECLARE_METATYPE(QVector<OrderLine>)
Q_DECLARE_METATYPE(QVector<GridRowCells>)

namespace {

const QLocale italian(QLocale::Italian, QLocale::Italy);
const QLocale american(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);

OrderLine article(qint64 id, qint64 codice, int quantita, double importo) {
    OrderLine line;
    line.id = id;
    line.codice = codice;
    line.quantita = static_cast<qint16>(quantita);
    line.importo = importo;
    return line;
}

OrderLine variant(qint64 id, const QString &text) {
    OrderLine line;
    line.id = id;
    line.isVariant = true;
    line.quantita = 1;
    line.importo = 0.5; // a variant's own amount is never counted on this screen
    line.descrizione = text;
    return line;
}

QString describe(qint64 codice) {
    return QStringLiteral("Art") + QString::number(codice);
}

QString crlf() {
    return QStringLiteral("\r\n");
}

} // namespace

class TestSeparateBillsLogic : public QObject {
    Q_OBJECT

private slots:
    void unitRows_data();
    void unitRows();
    void unitRowsLookUpOnlyShownArticles();
    void orderLineFromValues_data();
    void orderLineFromValues();
    void gridText();
    void selection_data();
    void selection();
    void formatAmount_data();
    void formatAmount();
    void formatGeneralNumber_data();
    void formatGeneralNumber();
    void parseLocaleNumber_data();
    void parseLocaleNumber();
    void shareText_data();
    void shareText();
    void keypad();
};

void TestSeparateBillsLogic::unitRows_data() {
    QTest::addColumn<QVector<OrderLine>>("lines");
    QTest::addColumn<QStringList>("descriptions");
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QVector<double>>("amounts");
    QTest::addColumn<double>("total");

    QTest::newRow("empty order") << QVector<OrderLine>{} << QStringList{} << QStringList{}
                                 << QVector<double>{} << 0.0;
    QTest::newRow("one unit, no variants")
        << QVector<OrderLine>{article(7, 3, 1, 4.5)} << QStringList{QStringLiteral("Art3") + crlf()}
        << QStringList{QStringLiteral("7;")} << QVector<double>{4.5} << 4.5;
    QTest::newRow("quantity 3 gives three rows of a third")
        << QVector<OrderLine>{article(12, 1, 3, 10.0)} << QStringList(3, QStringLiteral("Art1") + crlf())
        << QStringList(3, QStringLiteral("12;")) << QVector<double>(3, 10.0 / 3) << 10.0;
    QTest::newRow("article with two variants")
        << QVector<OrderLine>{article(12, 1, 2, 8.0), variant(13, QStringLiteral("senza cipolla")),
                              variant(14, QStringLiteral("ben cotto"))}
        << QStringList(2, QStringLiteral("Art1") + crlf() + QStringLiteral("senza cipolla; ben cotto"))
        << QStringList(2, QStringLiteral("12;13;14;")) << QVector<double>(2, 4.0) << 8.0;
    QTest::newRow("variants stay with their own article")
        << QVector<OrderLine>{article(12, 1, 3, 9.0), variant(13, QStringLiteral("v13")),
                              article(15, 2, 1, 2.5), variant(16, QStringLiteral("v16"))}
        << (QStringList(3, QStringLiteral("Art1") + crlf() + QStringLiteral("v13"))
            << QStringLiteral("Art2") + crlf() + QStringLiteral("v16"))
        << (QStringList(3, QStringLiteral("12;13;")) << QStringLiteral("16;").prepend(QStringLiteral("15;")))
        << QVector<double>{3.0, 3.0, 3.0, 2.5} << 11.5;
    QTest::newRow("variant before any article is left out")
        << QVector<OrderLine>{variant(10, QStringLiteral("orphan")), article(11, 4, 1, 3.0)}
        << QStringList{QStringLiteral("Art4") + crlf()} << QStringList{QStringLiteral("11;")}
        << QVector<double>{3.0} << 3.0;
    QTest::newRow("quantity 0 gives no rows and hands nothing to the next article")
        << QVector<OrderLine>{article(20, 1, 0, 0.0), variant(21, QStringLiteral("v21")),
                              article(22, 2, 2, 5.0)}
        << QStringList(2, QStringLiteral("Art2") + crlf()) << QStringList(2, QStringLiteral("22;"))
        << QVector<double>(2, 2.5) << 5.0;
    QTest::newRow("negative quantity gives no rows, its amount is in the total")
        << QVector<OrderLine>{article(30, 1, -2, -4.0), article(31, 2, 1, 6.0)}
        << QStringList{QStringLiteral("Art2") + crlf()} << QStringList{QStringLiteral("31;")}
        << QVector<double>{6.0} << 2.0;
    QTest::newRow("last article with quantity 0")
        << QVector<OrderLine>{article(40, 1, 1, 1.0), article(41, 2, 0, 0.0),
                              variant(42, QStringLiteral("x"))}
        << QStringList{QStringLiteral("Art1") + crlf()} << QStringList{QStringLiteral("40;")}
        << QVector<double>{1.0} << 1.0;
    QTest::newRow("identifiers wider than 32 bits")
        << QVector<OrderLine>{article(5000000000LL, 1, 1, 1.0), variant(5000000001LL, QStringLiteral("v"))}
        << QStringList{QStringLiteral("Art1") + crlf() + QStringLiteral("v")}
        << QStringList{QStringLiteral("5000000000;5000000001;")} << QVector<double>{1.0} << 1.0;
    QTest::newRow("apostrophes are plain text")
        << QVector<OrderLine>{article(1, 9, 1, 1.0), variant(2, QStringLiteral("all'olio"))}
        << QStringList{QStringLiteral("Art9") + crlf() + QStringLiteral("all'olio")}
        << QStringList{QStringLiteral("1;2;")} << QVector<double>{1.0} << 1.0;
}

void TestSeparateBillsLogic::unitRows() {
    QFETCH(QVector<OrderLine>, lines);
    QFETCH(QStringList, descriptions);
    QFETCH(QStringList, ids);
    QFETCH(QVector<double>, amounts);
    QFETCH(double, total);

    const UnitRows result = buildUnitRows(lines, describe);
    QCOMPARE(result.rows.size(), descriptions.size());
    for (int i = 0; i < result.rows.size(); ++i) {
        QCOMPARE(result.rows[i].description, descriptions[i]);
        QCOMPARE(result.rows[i].ids, ids[i]);
        QCOMPARE(result.rows[i].unitAmount, amounts[i]);
    }
    QCOMPARE(result.total, total);
}

void TestSeparateBillsLogic::unitRowsLookUpOnlyShownArticles() {
    QList<qint64> looked;
    const auto lookup = [&](qint64 codice) {
        looked.append(codice);
        return QString();
    };
    buildUnitRows({article(1, 10, 0, 0), article(2, 20, 2, 2), variant(3, QStringLiteral("v"))}, lookup);
    QCOMPARE(looked, QList<qint64>{20});
}

void TestSeparateBillsLogic::orderLineFromValues_data() {
    QTest::addColumn<QVariant>("variante");
    QTest::addColumn<QVariant>("quantita");
    QTest::addColumn<QVariant>("importo");
    QTest::addColumn<bool>("isVariant");
    QTest::addColumn<int>("expectedQuantity");
    QTest::addColumn<double>("expectedAmount");

    const QVariant null;
    QTest::newRow("article") << QVariant(0) << QVariant(3) << QVariant(10.5) << false << 3 << 10.5;
    QTest::newRow("boolean false is an article")
        << QVariant(false) << QVariant(1) << QVariant(1.0) << false << 1 << 1.0;
    QTest::newRow("variant") << QVariant(1) << QVariant(1) << QVariant(0.0) << true << 1 << 0.0;
    QTest::newRow("null variante is not 0") << null << QVariant(1) << QVariant(2.0) << true << 1 << 2.0;
    QTest::newRow("null quantity and amount") << QVariant(0) << null << null << false << 0 << 0.0;
    QTest::newRow("text quantity and amount") << QVariant(0) << QVariant(QStringLiteral("tre"))
                                              << QVariant(QStringLiteral("abc")) << false << 0 << 0.0;
    QTest::newRow("amount not finite")
        << QVariant(0) << QVariant(2) << QVariant(std::numeric_limits<double>::quiet_NaN()) << false << 2
        << 0.0;
    QTest::newRow("infinite amount") << QVariant(0) << QVariant(2)
                                     << QVariant(std::numeric_limits<double>::infinity()) << false << 2
                                     << 0.0;
    QTest::newRow("quantity past 16 bits")
        << QVariant(0) << QVariant(40000) << QVariant(1.0) << false << 0 << 1.0;
    QTest::newRow("fractional quantity rounds half to even")
        << QVariant(0) << QVariant(2.5) << QVariant(1.0) << false << 2 << 1.0;
    QTest::newRow("numeric text") << QVariant(QStringLiteral("0")) << QVariant(QStringLiteral("4"))
                                  << QVariant(QStringLiteral("7.25")) << false << 4 << 7.25;
}

void TestSeparateBillsLogic::orderLineFromValues() {
    QFETCH(QVariant, variante);
    QFETCH(QVariant, quantita);
    QFETCH(QVariant, importo);
    QFETCH(bool, isVariant);
    QFETCH(int, expectedQuantity);
    QFETCH(double, expectedAmount);

    const OrderLine line = OrderLine::fromValues(QVariant(qint64(3000000000LL)), QVariant(7), variante,
                                                 quantita, importo, QVariant(QStringLiteral("d")));
    QCOMPARE(line.id, qint64(3000000000LL));
    QCOMPARE(line.codice, qint64(7));
    QCOMPARE(line.isVariant, isVariant);
    QCOMPARE(int(line.quantita), expectedQuantity);
    QCOMPARE(line.importo, expectedAmount);
}

void TestSeparateBillsLogic::gridText() {
    UnitRow row;
    row.description = QStringLiteral("Pizza") + crlf() + QStringLiteral("doppia mozzarella");
    row.unitAmount = 10.0 / 3;
    row.ids = QStringLiteral("12;13;");
    QCOMPARE(row.gridText(italian), QStringLiteral("Pizza\r\ndoppia mozzarella\t3,33\t\t12;13;"));
    QCOMPARE(row.gridText(american), QStringLiteral("Pizza\r\ndoppia mozzarella\t3.33\t\t12;13;"));
}

void TestSeparateBillsLogic::selection_data() {
    QTest::addColumn<QVector<GridRowCells>>("rows");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("ids");
    QTest::addColumn<double>("total");
    QTest::addColumn<int>("count");

    const QString x = QStringLiteral("X");
    const QString a1213 = QStringLiteral("12;13;");
    const QString three = QStringLiteral("3,33");
    QTest::newRow("two of three units and a single one")
        << QVector<GridRowCells>{{three, x, a1213},
                                 {three, QString(), a1213},
                                 {three, x, a1213},
                                 {QStringLiteral("2,50"), x, QStringLiteral("15;")}}
        << italian << QStringLiteral("12;13;;12;13;;15;;") << 9.16 << 3;
    QTest::newRow("nothing marked") << QVector<GridRowCells>{{three, QString(), a1213}} << italian
                                    << QString() << 0.0 << 0;
    QTest::newRow("all three units: the shown amounts add up")
        << QVector<GridRowCells>(3, {three, x, QStringLiteral("12;")}) << italian
        << QStringLiteral("12;;12;;12;;") << 9.99 << 3;
    QTest::newRow("only an exact X counts")
        << QVector<GridRowCells>{{three, QStringLiteral("x"), a1213}, {three, QStringLiteral("X "), a1213}}
        << italian << QString() << 0.0 << 0;
    QTest::newRow("amount that is not a number counts 0")
        << QVector<GridRowCells>{{QStringLiteral("abc"), x, QStringLiteral("1;")},
                                 {QString(), x, QStringLiteral("2;")},
                                 {QStringLiteral("1,50"), x, QStringLiteral("3;")}}
        << italian << QStringLiteral("1;;2;;3;;") << 1.5 << 3;
    QTest::newRow("US locale") << QVector<GridRowCells>{{QStringLiteral("3.33"), x, QStringLiteral("1;")}}
                               << american << QStringLiteral("1;;") << 3.33 << 1;
}

void TestSeparateBillsLogic::selection() {
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

void TestSeparateBillsLogic::formatAmount_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zero") << 0.0 << italian << QStringLiteral("0,00");
    QTest::newRow("third") << 10.0 / 3 << italian << QStringLiteral("3,33");
    QTest::newRow("two thirds") << 20.0 / 3 << italian << QStringLiteral("6,67");
    QTest::newRow("half a cent up") << 0.125 << italian << QStringLiteral("0,13");
    QTest::newRow("decimal text rounding") << 2.675 << italian << QStringLiteral("2,68");
    QTest::newRow("1.005") << 1.005 << american << QStringLiteral("1.01");
    QTest::newRow("no group separator") << 1234567.5 << italian << QStringLiteral("1234567,50");
    QTest::newRow("US separator") << 100.0 << american << QStringLiteral("100.00");
    QTest::newRow("negative") << -3.5 << italian << QStringLiteral("-3,50");
    QTest::newRow("negative rounds away from zero") << -0.125 << italian << QStringLiteral("-0,13");
    QTest::newRow("tiny negative shows no sign") << -0.001 << italian << QStringLiteral("0,00");
    QTest::newRow("below half a cent") << 0.004999 << italian << QStringLiteral("0,00");
    QTest::newRow("very small") << 1e-20 << italian << QStringLiteral("0,00");
    QTest::newRow("large") << 123456789012.345 << american << QStringLiteral("123456789012.35");
    QTest::newRow("huge") << 1e16 << american << QStringLiteral("10000000000000000.00");
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << italian
                                  << QStringLiteral("0,00");
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << italian << QStringLiteral("0,00");
}

void TestSeparateBillsLogic::formatAmount() {
    QFETCH(double, value);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(qrv::formatAmount(value, locale), expected);
}

void TestSeparateBillsLogic::formatGeneralNumber_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    QTest::newRow("100 / 12, Italy") << 100.0 / 12 << italian << QStringLiteral("8,33333333333333");
    QTest::newRow("100 / 12, US") << 100.0 / 12 << american << QStringLiteral("8.33333333333333");
    QTest::newRow("100 / 3") << 100.0 / 3 << italian << QStringLiteral("33,3333333333333");
    QTest::newRow("20 / 3") << 20.0 / 3 << american << QStringLiteral("6.66666666666667");
    QTest::newRow("whole") << 25.0 << italian << QStringLiteral("25");
    QTest::newRow("half") << 12.5 << german << QStringLiteral("12,5");
    QTest::newRow("no group separator") << 1234567.0 << italian << QStringLiteral("1234567");
    QTest::newRow("zero") << 0.0 << italian << QStringLiteral("0");
    QTest::newRow("negative") << -2.5 << italian << QStringLiteral("-2,5");
    QTest::newRow("small, still fixed") << 0.0001 << italian << QStringLiteral("0,0001");
    QTest::newRow("smaller, exponent") << 0.00001 << italian << QStringLiteral("1E-05");
    QTest::newRow("tiny share") << 1.0 / 3e7 << italian << QStringLiteral("3,33333333333333E-08");
    QTest::newRow("15 digits fixed") << 123456789012345.0 << american << QStringLiteral("123456789012345");
    QTest::newRow("16 digits exponent") << 1e15 << american << QStringLiteral("1E+15");
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << italian
                                  << QStringLiteral("0");
}

void TestSeparateBillsLogic::formatGeneralNumber() {
    QFETCH(double, value);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(qrv::formatGeneralNumber(value, locale), expected);
}

void TestSeparateBillsLogic::parseLocaleNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("expected");

    QTest::newRow("Italian") << QStringLiteral("3,33") << italian << 3.33;
    QTest::newRow("US") << QStringLiteral("3.33") << american << 3.33;
    QTest::newRow("blanks") << QStringLiteral(" 100,00 ") << italian << 100.0;
    QTest::newRow("negative") << QStringLiteral("-1,50") << italian << -1.5;
    QTest::newRow("empty") << QString() << italian << 0.0;
    QTest::newRow("text") << QStringLiteral("dieci") << italian << 0.0;
    QTest::newRow("amount mark") << QStringLiteral("X") << italian << 0.0;
}

void TestSeparateBillsLogic::parseLocaleNumber() {
    QFETCH(QString, text);
    QFETCH(QLocale, locale);
    QFETCH(double, expected);
    QCOMPARE(qrv::parseLocaleNumber(text, locale), expected);
}

void TestSeparateBillsLogic::shareText_data() {
    QTest::addColumn<QString>("persons");
    QTest::addColumn<double>("total");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");

    const auto share = [](const QString &persons, const QString &amount) {
        return QStringLiteral("Con ") + persons + QStringLiteral(" persone alla ROMANA sono ") + amount +
               QStringLiteral(" a testa.");
    };
    QTest::newRow("100 by 12, Italy") << QStringLiteral("12") << 100.0 << italian
                                      << share(QStringLiteral("12"), QStringLiteral("8,33333333333333"));
    QTest::newRow("100 by 12, US") << QStringLiteral("12") << 100.0 << american
                                   << share(QStringLiteral("12"), QStringLiteral("8.33333333333333"));
    QTest::newRow("100 by 4") << QStringLiteral("4") << 100.0 << italian
                              << share(QStringLiteral("4"), QStringLiteral("25"));
    QTest::newRow("45,50 by 2") << QStringLiteral("2") << 45.5 << german
                                << share(QStringLiteral("2"), QStringLiteral("22,75"));
    QTest::newRow("leading zero kept as typed")
        << QStringLiteral("03") << 10.0 << italian
        << share(QStringLiteral("03"), QStringLiteral("3,33333333333333"));
    QTest::newRow("100 persons, 00 key")
        << QStringLiteral("100") << 100.0 << italian << share(QStringLiteral("100"), QStringLiteral("1"));
    QTest::newRow("empty bill") << QStringLiteral("3") << 0.0 << italian
                                << share(QStringLiteral("3"), QStringLiteral("0"));
    QTest::newRow("0 persons") << QStringLiteral("0") << 100.0 << italian << PersonSplit::zeroPersonsText();
    QTest::newRow("00 persons") << QStringLiteral("00") << 100.0 << italian << PersonSplit::zeroPersonsText();
    QTest::newRow("no digits") << QString() << 100.0 << italian << PersonSplit::zeroPersonsText();
    const QString huge(400, QLatin1Char('9'));
    QTest::newRow("count past a double") << huge << 100.0 << italian << share(huge, QStringLiteral("0"));
}

void TestSeparateBillsLogic::shareText() {
    QFETCH(QString, persons);
    QFETCH(double, total);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(qrv::separatebills::shareText(persons, total, locale), expected);
}

void TestSeparateBillsLogic::keypad() {
    PersonSplit split;
    const QString total = QStringLiteral("100,00");
    QCOMPARE(split.press(QStringLiteral("1"), total, italian),
             QStringLiteral("Con 1 persone alla ROMANA sono 100 a testa."));
    QCOMPARE(split.press(QStringLiteral("2"), total, italian),
             QStringLiteral("Con 12 persone alla ROMANA sono 8,33333333333333 a testa."));
    QCOMPARE(split.press(QStringLiteral(","), total, italian), std::nullopt);
    QCOMPARE(split.NumeroPersone(), QStringLiteral("12"));
    QCOMPARE(split.press(QStringLiteral("Canc"), total, italian), PersonSplit::promptText());
    QCOMPARE(split.NumeroPersone(), QString());
    QCOMPARE(split.press(QStringLiteral("00"), total, italian), PersonSplit::zeroPersonsText());
    QCOMPARE(split.press(QStringLiteral("5"), total, italian),
             QStringLiteral("Con 005 persone alla ROMANA sono 20 a testa."));
    // The share divides the total as shown, read with the locale's rules.
    split.clear();
    QCOMPARE(split.press(QStringLiteral("3"), QStringLiteral("10.00"), american),
             QStringLiteral("Con 3 persone alla ROMANA sono 3.33333333333333 a testa."));
    QCOMPARE(split.press(QStringLiteral("Canc"), total, italian), PersonSplit::promptText());
    QCOMPARE(split.press(QStringLiteral("2"), QStringLiteral("non un numero"), italian),
             QStringLiteral("Con 2 persone alla ROMANA sono 0 a testa."));
}

QTEST_GUILESS_MAIN(TestSeparateBillsLogic)
#include "test_separatebillslogic.moc"
