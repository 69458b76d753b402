// Window-free logic of the floor-plan editor: drag steps, snapping, toolbox placement, the
// room palette, table numbers and background image names.
#include "core/layout/BackgroundImages.h"
#include "core/layout/FloorGeometry.h"
#include "core/layout/LayoutErrors.h"
#include "core/layout/RoomPalette.h"
#include "core/layout/TableDrag.h"
#include "core/layout/TableNumber.h"
#include "support/TestDatabases.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace qrv;
using qrvtest::rowTable;

namespace {

struct Rounding {
    const char *name;
    double value;
    bool snap;
    int expected;
};

struct Step {
    const char *name;
    int buttons, x, y, dLeft, dTop;
};

struct Toolbox {
    const char *name;
    int left, top, offset, x, y;
};

} // namespace

Q_DECLARE_METATYPE(Rounding)
Q_DECLARE_METATYPE(Step)
Q_DECLARE_METATYPE(Toolbox)

class TestLayoutLogic : public QObject {
    Q_OBJECT
private slots:
    // Drag positions round half to even; a dropped table snaps to the nearest 200-twip line.
    void rounding_data() {
        rowTable<Rounding>({
            {"2.5", 2.5, false, 2},
            {"3.5", 3.5, false, 4},
            {"-2.5", -2.5, false, -2},
            {"2.5001", 2.5001, false, 3},
            {"huge", 1e12, false, std::numeric_limits<int>::max()},
            {"snap 300 -> 400", 300.0, true, 400},
            {"snap 500 -> 400", 500.0, true, 400},
            {"snap 1290 -> 1200", 1290.0, true, 1200},
            {"snap 101 -> 200", 101.0, true, 200},
            {"snap -300 -> -400", -300.0, true, -400},
            {"snap on a wide screen", 40100.0, true, 40000},
        });
    }
    void rounding() {
        QFETCH(Rounding, row);
        QCOMPARE(row.snap ? snapToGrid(row.value) : roundHalfEven(row.value), row.expected);
    }

    // One pointer event of a drag pressed at (500, 400) inside the button: at most one step per axis.
    void dragStepFromOneEvent_data() {
        const int left = Qt::LeftButton;
        rowTable<Step>({
            {"199 right: no step", left, 699, 400, 0, 0},
            {"200 right", left, 700, 400, 200, 0},
            {"-200 left", left, 300, 400, -200, 0},
            {"450 right: one step only", left, 950, 400, 200, 0},
            {"diagonal", left, 800, 100, 200, -200},
            {"far diagonal, one step per axis", left, -5000, 9000, -200, 200},
            {"left + right held", int(Qt::LeftButton | Qt::RightButton), 950, 400, 0, 0},
        });
    }
    void dragStepFromOneEvent() {
        QFETCH(Step, row);
        TableDrag drag;
        drag.press(3, 500, 400);
        const DragStep step = drag.move(Qt::MouseButtons(row.buttons), row.x, row.y);
        QCOMPARE(QPoint(step.dLeft, step.dTop), QPoint(row.dLeft, row.dTop));
    }

    // Pressed 100 twips inside a button at Left 130, the pointer jumps 450 right and stays: the
    // button catches up in whole steps and trails by 50. No step without a press or after the
    // release; the press point is rounded and never moves.
    void dragSession() {
        TableDrag drag;
        QCOMPARE(drag.move(Qt::LeftButton, 5000, 5000), DragStep{});
        QVERIFY(!drag.release()); // a release without a press stores nothing
        drag.press(7, 10.5, 11.5);
        QCOMPARE(QPoint(drag.startX(), drag.startY()), QPoint(10, 12));
        QVERIFY(drag.release());
        QCOMPARE(drag.move(Qt::LeftButton, 900, 900), DragStep{});

        int buttonLeft = 130;
        drag.press(0, 100, 50);
        QList<int> lefts;
        for (int event = 0; event < 4; ++event) {
            buttonLeft += drag.move(Qt::LeftButton, 130 + 100 + 450 - buttonLeft, 50).dLeft;
            lefts << buttonLeft;
        }
        QCOMPARE(lefts, (QList<int>{330, 530, 530, 530}));
        QCOMPARE(drag.startX(), 100);
    }

    // The toolbox (3150 x 1035) of a 930-twip button on a floor 11735 wide.
    void placesTheToolbox_data() {
        rowTable<Toolbox>({
            {"above, 100 right", 1000, 2000, 100, 1100, 2000 - 1035 - 40},
            {"exactly fits above", 1000, 1075, 100, 1100, 0},
            {"no room above: below", 1000, 1074, 100, 1100, 1074 + 930 + 40},
            {"near the right edge: flush", 11000, 3000, 100, 11735 - 3150, 1925},
            {"just fits on the right", 8485, 3000, 100, 8585, 1925},
            {"near the left edge: not corrected", -800, 3000, 100, -700, 1925},
            {"dragged above the floor", 400, -600, 0, 400, 370},
        });
    }
    void placesTheToolbox() {
        QFETCH(Toolbox, row);
        QCOMPARE(toolboxPosition(QRect(row.left, row.top, 930, 930), 11735, row.offset),
                 QPoint(row.x, row.y));
    }

    void paletteHasTheThirtyThreeColours() {
        const auto &swatches = paletteSwatches();
        QSet<QPair<int, int>> places;
        for (int i = 0; i < PaletteSwatchCount; ++i) {
            const PaletteSwatch &s = swatches[static_cast<size_t>(i)];
            QCOMPARE(s.index, i);
            places.insert({s.left, s.top});
            QVERIFY2(storedColour(s.rgb) >= 1, "every swatch stores a colour, none reads as no colour");
            QCOMPARE(rgbOfStored(storedColour(s.rgb)), s.rgb);
        }
        QCOMPARE(places.size(), PaletteSwatchCount);
        QCOMPARE(storedColour(swatches[25].rgb), 255);      // pure red
        QCOMPARE(storedColour(swatches[23].rgb), 16711680); // pure blue
        QCOMPARE(storedColour(swatches[31].rgb), 0x01 + 256 * 0x02 + 65536 * 0x03);
    }

    // Texts the editor reads: a stored table number as shown ("number"), a background image name
    // that may be used ("image", 1 when safe), a code that may go into a statement ("code").
    void texts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *tag, const QString &text, const char *expected) {
            QTest::newRow(tag) << text << QString::fromUtf8(expected);
        };
        row("number with a leading zero", QStringLiteral("07"), "7");
        row("number with blanks", QStringLiteral(" 12 "), "12");
        row("number negative", QStringLiteral("-03"), "-3");
        row("number with a fraction stays", QStringLiteral("1.5"), "1.5");
        row("number as text stays", QStringLiteral("A1"), "A1");
        row("number empty", QString(), "");
        row("image none", QString(), "1");
        row("image plain", QStringLiteral("sala1.jpg"), "1");
        row("image with dots inside a name", QStringLiteral("sala..vecchia.png"), "1");
        row("image climbing out", QStringLiteral("../impostazioni.ini"), "0");
        row("image climbing out, backslash", QStringLiteral("..\\..\\x.bmp"), "0");
        row("image absolute", QStringLiteral("/etc/passwd"), "0");
        row("image with a newline", QStringLiteral("a\nb.png"), "0");
        row("code", QStringLiteral("12"), "1");
        row("code empty", QString(), "0");
        row("code injection", QStringLiteral("1 or 1=1"), "0");
        row("code with a blank", QStringLiteral(" 1"), "0");
        row("code too long", QStringLiteral("1234567890123456789"), "0");
    }
    void texts() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        if (tag.startsWith(QLatin1String("number")))
            QCOMPARE(formatNumeroTavolo(text), expected);
        else
            QCOMPARE(QString::number(tag.startsWith(QLatin1String("image")) ? isSafeImageName(text)
                                                                            : isWholeNumber(text)),
                     expected);
    }

    void checksNewNumbers_data() {
        QTest::addColumn<QString>("numero");
        QTest::addColumn<int>("expected");
        QTest::newRow("reserved even if present") << QStringLiteral("999") << int(NewTableNumber::Reserved);
        QTest::newRow("closed") << QString() << int(NewTableNumber::Abandoned);
        QTest::newRow("taken in another room") << QStringLiteral("12") << int(NewTableNumber::Duplicate);
        QTest::newRow("free") << QStringLiteral("13") << int(NewTableNumber::Accepted);
        QTest::newRow("0999 is not reserved") << QStringLiteral("099") << int(NewTableNumber::Accepted);
    }
    void checksNewNumbers() {
        QFETCH(QString, numero);
        QFETCH(int, expected);
        QStringList asked;
        const auto exists = [&](const QString &n) {
            asked << n;
            return n == QLatin1String("12") || n == QLatin1String("999");
        };
        QCOMPARE(int(checkNewTableNumber(numero, exists)), expected);
        // Only a number that is neither reserved nor empty is looked up.
        const bool lookedUp =
            expected == int(NewTableNumber::Duplicate) || expected == int(NewTableNumber::Accepted);
        QCOMPARE(asked.size(), lookedUp ? 1 : 0);
    }

    void listsOnlyFilesOfTheImageFolder() {
        QTemporaryDir app;
        QCOMPARE(listBackgroundImages(app.path()), QStringList()); // no folder at all
        QVERIFY(QDir(app.path()).mkpath(QStringLiteral("SfondiSale/vecchie")));
        QCOMPARE(listBackgroundImages(app.path()), QStringList()); // only a sub-folder
        for (const char *name : {"terrazza.png", "sala interna.jpg", ".nascosto.png"}) {
            QFile file(backgroundImagesFolder(app.path()) + QLatin1Char('/') + QString::fromUtf8(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QStringList names = listBackgroundImages(app.path());
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("sala interna.jpg"), QStringLiteral("terrazza.png")}));
    }
};

QTEST_GUILESS_MAIN(TestLayoutLogic)
#include "test_layoutlogic.moc"
