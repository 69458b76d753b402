// Window-free logic of the floor-plan editor: drag steps, snapping, toolbox placement, the
// room palette, table numbers and background image names.
#include "core/layout/BackgroundImages.h"
#include "core/layout/FloorGeometry.h"
#include "core/layout/LayoutErrors.h"
#include "core/layout/RoomPalette.h"
#include "core/layout/TableDrag.h"
#include "core/layout/TableNumber.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

using namespace qrv;

Q_DECLARE_METATYPE(qrv::DragStep)

class TestLayoutLogic : public QObject {
    Q_OBJECT
private slots:
    void roundsHalfToEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("2.5001") << 2.5001 << 3;
        QTest::newRow("huge") << 1e12 << std::numeric_limits<int>::max();
    }

    void roundsHalfToEven() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(roundHalfEven(value), expected);
    }

    void dragStepFromOneEvent_data() {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<DragStep>("expected");
        // Pressed at (500, 400) relative to the button.
        const int left = Qt::LeftButton;
        QTest::newRow("199 right: no step") << left << 699.0 << 400.0 << DragStep{0, 0};
        QTest::newRow("200 right") << left << 700.0 << 400.0 << DragStep{200, 0};
        QTest::newRow("-200 left") << left << 300.0 << 400.0 << DragStep{-200, 0};
        QTest::newRow("450 right: one step only") << left << 950.0 << 400.0 << DragStep{200, 0};
        QTest::newRow("diagonal") << left << 800.0 << 100.0 << DragStep{200, -200};
        QTest::newRow("far diagonal, one step per axis") << left << -5000.0 << 9000.0 << DragStep{-200, 200};
        QTest::newRow("left + right held")
            << int(Qt::LeftButton | Qt::RightButton) << 950.0 << 400.0 << DragStep{0, 0};
    }

    void dragStepFromOneEvent() {
        QFETCH(int, buttons);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(DragStep, expected);
        TableDrag drag;
        drag.press(3, 500, 400);
        const DragStep step = drag.move(Qt::MouseButtons(buttons), x, y);
        QCOMPARE(QPoint(step.dLeft, step.dTop), QPoint(expected.dLeft, expected.dTop));
    }

    void dragFollowsPointerInWholeSteps() {
        // Pressed 100 twips inside a button at Left 130, the pointer jumps 450 right and stays.
        TableDrag drag;
        int buttonLeft = 130;
        const int pointer = buttonLeft + 100;
        drag.press(0, pointer - buttonLeft, 50);
        const int target = pointer + 450;
        QList<int> lefts;
        for (int event = 0; event < 4; ++event) {
            buttonLeft += drag.move(Qt::LeftButton, target - buttonLeft, 50).dLeft;
            lefts << buttonLeft;
        }
        QCOMPARE(lefts, (QList<int>{330, 530, 530, 530}));
        QCOMPARE(target - buttonLeft - 100, 50); // trails the pointer by 50
        QCOMPARE(drag.startX(), 100);            // the start point never moves

        TableDrag idle;
        QCOMPARE(idle.move(Qt::LeftButton, 5000, 5000), DragStep{});
    }

    void pressRoundsStartAndReleaseEndsDrag() {
        TableDrag drag;
        QVERIFY(!drag.release()); // a release without a press stores nothing
        drag.press(7, 10.5, 11.5);
        QCOMPARE(QPoint(drag.startX(), drag.startY()), QPoint(10, 12));
        QVERIFY(drag.release());
        QCOMPARE(drag.move(Qt::LeftButton, 900, 900), DragStep{});
    }

    void snapsToTheGrid_data() {
        QTest::addColumn<double>("point");
        QTest::addColumn<int>("expected");
        QTest::newRow("300 -> 400") << 300.0 << 400;
        QTest::newRow("500 -> 400") << 500.0 << 400;
        QTest::newRow("1290 -> 1200") << 1290.0 << 1200;
        QTest::newRow("101 -> 200") << 101.0 << 200;
        QTest::newRow("-300 -> -400") << -300.0 << -400;
        QTest::newRow("wide screen 40000") << 40100.0 << 40000;
    }

    void snapsToTheGrid() {
        QFETCH(double, point);
        QFETCH(int, expected);
        QCOMPARE(snapToGrid(point), expected);
    }

    void placesTheToolbox_data() {
        QTest::addColumn<QRect>("button");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QPoint>("expected");
        const int size = 930;
        QTest::newRow("above, 100 right")
            << QRect(1000, 2000, size, size) << 100 << QPoint(1100, 2000 - 1035 - 40);
        QTest::newRow("exactly fits above") << QRect(1000, 1075, size, size) << 100 << QPoint(1100, 0);
        QTest::newRow("no room above: below")
            << QRect(1000, 1074, size, size) << 100 << QPoint(1100, 1074 + size + 40);
        QTest::newRow("near the right edge: flush")
            << QRect(11000, 3000, size, size) << 100 << QPoint(11735 - 3150, 1925);
        QTest::newRow("just fits on the right") << QRect(8485, 3000, size, size) << 100 << QPoint(8585, 1925);
        QTest::newRow("near the left edge: not corrected")
            << QRect(-800, 3000, size, size) << 100 << QPoint(-700, 1925);
        QTest::newRow("dragged above the floor") << QRect(400, -600, size, size) << 0 << QPoint(400, 370);
    }

    void placesTheToolbox() {
        QFETCH(QRect, button);
        QFETCH(int, offset);
        QFETCH(QPoint, expected);
        QCOMPARE(toolboxPosition(button, 11735, offset), expected);
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

    void formatsStoredNumbers_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("leading zero") << QStringLiteral("07") << QStringLiteral("7");
        QTest::newRow("blanks") << QStringLiteral(" 12 ") << QStringLiteral("12");
        QTest::newRow("negative") << QStringLiteral("-03") << QStringLiteral("-3");
        QTest::newRow("fraction stays") << QStringLiteral("1.5") << QStringLiteral("1.5");
        QTest::newRow("text stays") << QStringLiteral("A1") << QStringLiteral("A1");
        QTest::newRow("empty") << QString() << QString();
    }

    void formatsStoredNumbers() {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QCOMPARE(formatNumeroTavolo(stored), shown);
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

    void refusesUnsafeImageNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("none") << QString() << true;
        QTest::newRow("plain") << QStringLiteral("sala1.jpg") << true;
        QTest::newRow("dots inside a name") << QStringLiteral("sala..vecchia.png") << true;
        QTest::newRow("climbs out") << QStringLiteral("../impostazioni.ini") << false;
        QTest::newRow("climbs out, backslash") << QStringLiteral("..\\..\\x.bmp") << false;
        QTest::newRow("absolute") << QStringLiteral("/etc/passwd") << false;
        QTest::newRow("newline") << QStringLiteral("a\nb.png") << false;
    }

    void refusesUnsafeImageNames() {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(isSafeImageName(name), safe);
    }

    void listsOnlyFilesOfTheImageFolder() {
        QTemporaryDir app;
        QVERIFY(app.isValid());
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

    void recognisesCodes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("code");
        QTest::newRow("code") << QStringLiteral("12") << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("injection") << QStringLiteral("1 or 1=1") << false;
        QTest::newRow("blank") << QStringLiteral(" 1") << false;
        QTest::newRow("too long") << QStringLiteral("1234567890123456789") << false;
    }

    void recognisesCodes() {
        QFETCH(QString, text);
        QFETCH(bool, code);
        QCOMPARE(isWholeNumber(text), code);
    }
};

QTEST_GUILESS_MAIN(TestLayoutLogic)
#include "test_layoutlogic.moc"
