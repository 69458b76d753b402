#include "component/platform/Grid.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using qrv::Grid;

class TestGrid : public QObject {
    Q_OBJECT

private:
    /** A four-column grid with rows "r0", "r1", ... in column 1. */
    static void fill(Grid &grid, int rows) {
        grid.setCols(4);
        for (int i = 0; i < rows; ++i)
            grid.addItem(QStringLiteral("%1\tr%1\t%1,00\t%1;").arg(i));
    }

    /** Fills the grid, then shows it at the given size; false when it never appears. */
    static bool show(Grid &grid, int rows, int height = 200) {
        grid.resize(300, height);
        fill(grid, rows);
        grid.show();
        return QTest::qWaitForWindowExposed(&grid);
    }

private slots:
    void addItemSplitsCellsOnTabs_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("fewer cells leave the rest empty")
            << QStringLiteral("1\tAcqua")
            << QStringList{QStringLiteral("1"), QStringLiteral("Acqua"), QString(), QString()};
        QTest::newRow("cells beyond the columns are dropped")
            << QStringLiteral("a\tb\tc\td\te")
            << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                           QStringLiteral("d")};
        QTest::newRow("line break inside a cell")
            << QStringLiteral("Pizza\r\nfunghi; olive\t3,00")
            << QStringList{QStringLiteral("Pizza\r\nfunghi; olive"), QStringLiteral("3,00"), QString(),
                           QString()};
    }

    void addItemSplitsCellsOnTabs() {
        QFETCH(QString, line);
        QFETCH(QStringList, cells);
        Grid grid;
        fill(grid, 2);
        grid.addItem(line);
        QCOMPARE(grid.rows(), 3);
        for (int col = 0; col < 4; ++col)
            QCOMPARE(grid.textMatrix(2, col), cells.at(col));
        QCOMPARE(grid.textMatrix(0, 1), QStringLiteral("r0"));
    }

    void rowCountAndCellTexts() {
        Grid grid;
        fill(grid, 3);
        grid.clearCells();
        QCOMPARE(grid.rows(), 3);
        QCOMPARE(grid.textMatrix(1, 1), QString());

        grid.setTextMatrix(7, 2, QStringLiteral("out of range")); // ignored
        QCOMPARE(grid.rows(), 3);
        QCOMPARE(grid.textMatrix(7, 2), QString());

        grid.setRows(0);
        QCOMPARE(grid.rows(), 0);
        QCOMPARE(grid.row(), -1);
        grid.setRows(2);
        QCOMPARE(grid.textMatrix(1, 0), QString());
    }

    void currentRow_data() {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("expected");
        QTest::newRow("a row") << 3 << 3;
        QTest::newRow("none") << -1 << -1;
        QTest::newRow("past the end means none") << 5 << -1;
    }

    void currentRow() {
        QFETCH(int, set);
        QFETCH(int, expected);
        Grid grid;
        fill(grid, 5);
        grid.setRow(1);
        grid.setRow(set);
        QCOMPARE(grid.row(), expected);
        QCOMPARE(grid.selectedItems().isEmpty(), expected < 0);
        if (expected >= 0) {
            grid.setCol(2);
            QCOMPARE(grid.currentColumn(), 2);
            QCOMPARE(grid.row(), expected);
        }
    }

    void removeItem_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("removed");
        QTest::addColumn<int>("expectedRow");
        QTest::addColumn<QString>("expectedText"); // column 1 of the current row afterwards
        QTest::newRow("current row: the next one moves in") << 5 << 2 << 2 << 2 << QStringLiteral("r3");
        QTest::newRow("last row: nothing moved in, none") << 5 << 4 << 4 << -1 << QString();
        QTest::newRow("only row: none left") << 1 << 0 << 0 << -1 << QString();
        QTest::newRow("row above the current one") << 5 << 3 << 1 << 2 << QStringLiteral("r3");
        QTest::newRow("row below the current one") << 5 << 1 << 3 << 1 << QStringLiteral("r1");
        QTest::newRow("no current row") << 5 << -1 << 2 << -1 << QString();
        QTest::newRow("out of range: nothing happens") << 3 << 1 << 3 << 1 << QStringLiteral("r1");
    }

    void removeItem() {
        QFETCH(int, rows);
        QFETCH(int, current);
        QFETCH(int, removed);
        QFETCH(int, expectedRow);
        QFETCH(QString, expectedText);
        Grid grid;
        fill(grid, rows);
        grid.setRow(current);
        grid.removeItem(removed);
        QCOMPARE(grid.rows(), removed < rows ? rows - 1 : rows);
        QCOMPARE(grid.row(), expectedRow);
        if (expectedRow >= 0)
            QCOMPARE(grid.textMatrix(expectedRow, 1), expectedText);
        // The rows below the removed one moved up by one.
        if (removed < rows - 1)
            QCOMPARE(grid.textMatrix(removed, 1), QStringLiteral("r%1").arg(removed + 1));
    }

    void visibleRowsFollowScrolling() {
        Grid grid;
        QVERIFY(show(grid, 30));

        QCOMPARE(grid.topRow(), 0);
        const int bottom = grid.bottomRow();
        QVERIFY2(bottom > 0 && bottom < 29, qPrintable(QString::number(bottom)));
        QCOMPARE(grid.rowAt(grid.viewport()->height() - 1), bottom);

        grid.setTopRow(bottom);
        QCOMPARE(grid.topRow(), bottom);
        QVERIFY(grid.bottomRow() > bottom);

        grid.setTopRow(29);
        QCOMPARE(grid.bottomRow(), 29);
        QVERIFY(grid.topRow() < 29);

        grid.setTopRow(0);
        QCOMPARE(grid.bottomRow(), bottom);

        // Fewer rows than fit, or none: nothing to scroll.
        grid.setRows(3);
        QCOMPARE(grid.topRow(), 0);
        QCOMPARE(grid.bottomRow(), 2);
        grid.setRows(0);
        QCOMPARE(grid.bottomRow(), -1);
        grid.setTopRow(0);
    }

    void fillRangeColoursCells_data() {
        QTest::addColumn<int>("row1");
        QTest::addColumn<int>("col1");
        QTest::addColumn<int>("row2");
        QTest::addColumn<int>("col2");
        QTest::addColumn<QList<int>>("paintedRows");
        QTest::newRow("two whole rows") << 1 << 0 << 2 << 3 << QList<int>{1, 2};
        QTest::newRow("corners swapped") << 2 << 3 << 1 << 0 << QList<int>{1, 2};
        QTest::newRow("clamped to the grid") << -2 << -1 << 9 << 9 << QList<int>{0, 1, 2, 3};
    }

    void fillRangeColoursCells() {
        QFETCH(int, row1);
        QFETCH(int, col1);
        QFETCH(int, row2);
        QFETCH(int, col2);
        QFETCH(QList<int>, paintedRows);
        const QColor yellow(0xFF, 0xFF, 0x00);
        Grid grid;
        fill(grid, 4);
        grid.setRows(5); // row 4 has no cells yet
        grid.fillRange(row1, col1, row2, col2, yellow);
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                const QTableWidgetItem *cell = grid.item(r, c);
                QVERIFY(cell);
                QCOMPARE(cell->background().color() == yellow, paintedRows.contains(r));
            }
        }
        // Painting back to white replaces the colour; the texts stay.
        grid.fillRange(0, 0, 3, 3, Qt::white);
        QCOMPARE(grid.item(paintedRows.first(), 2)->background().color(), QColor(Qt::white));
        QCOMPARE(grid.textMatrix(1, 1), QStringLiteral("r1"));
    }

    void selectedRowStillShowsItsColour() {
        Grid grid;
        QVERIFY(show(grid, 3));
        grid.fillRange(1, 0, 1, 3, QColor(0xFF, 0xFF, 0x00));
        grid.setRow(1);
        const QImage image = grid.viewport()->grab().toImage();
        const QRect cell = grid.visualRect(grid.model()->index(1, 2));
        const QColor shown = image.pixelColor(cell.center() + QPoint(cell.width() / 3, 0));
        QVERIFY2(shown.red() > 150 && shown.green() > 150 && shown.blue() < 80, qPrintable(shown.name()));
    }

    void touchingARowSetsTheCurrentRowFirst() {
        Grid grid;
        QVERIFY(show(grid, 4));
        int rowWhenTouched = -2;
        connect(&grid, &Grid::rowTouched, &grid, [&] { rowWhenTouched = grid.row(); });
        QSignalSpy touched(&grid, &Grid::rowTouched);
        const QRect cell = grid.visualRect(grid.model()->index(2, 1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QCOMPARE(touched.count(), 1);
        QCOMPARE(rowWhenTouched, 2);

        // A touch below the last row touches no row.
        grid.setRows(1);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(10, grid.viewport()->height() - 5));
        QCOMPARE(touched.count(), 1);
    }

    void multiLineCellsMakeTallerRows() {
        Grid grid;
        grid.resize(300, 400);
        grid.setCols(4);
        grid.addItem(QStringLiteral("Acqua\t1,00"));
        grid.addItem(QStringLiteral("Pizza\r\nfunghi; olive\t8,00"));
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        const int oneLine = grid.rowHeight(0);
        QVERIFY(grid.rowHeight(1) > oneLine);
        QVERIFY(oneLine >= grid.fontMetrics().height() + 8);

        // A cell given another text later: its row follows, both ways.
        grid.setTextMatrix(0, 0, grid.textMatrix(1, 0));
        QCOMPARE(grid.rowHeight(0), grid.rowHeight(1));
        grid.setTextMatrix(0, 0, QStringLiteral("Acqua"));
        QCOMPARE(grid.rowHeight(0), oneLine);
    }

    void columnWidthsInTwips() {
        Grid grid;
        grid.setCols(4);
        grid.setColWidthTwips(1, 2700);
        grid.setColWidthTwips(3, 45);
        QCOMPARE(grid.columnWidth(1), 180);
        QCOMPARE(grid.columnWidth(3), 3);
    }

    void operatorCannotEditCells() {
        Grid grid;
        QVERIFY(show(grid, 2));
        const QRect cell = grid.visualRect(grid.model()->index(0, 1));
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        QTest::keyClicks(grid.viewport(), QStringLiteral("abc"));
        QTest::keyClick(grid.viewport(), Qt::Key_Return);
        QVERIFY(!grid.findChild<QLineEdit *>());
        QCOMPARE(grid.textMatrix(0, 1), QStringLiteral("r0"));
    }
};

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
