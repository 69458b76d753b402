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
        QTest::addColumn<QString>("cells"); // joined by "|"
        QTest::newRow("fewer cells leave the rest empty")
            << QStringLiteral("1\tAcqua") << QStringLiteral("1|Acqua||");
        QTest::newRow("cells beyond the columns are dropped")
            << QStringLiteral("a\tb\tc\td\te") << QStringLiteral("a|b|c|d");
        QTest::newRow("line break inside a cell") << QStringLiteral("Pizza\r\nfunghi; olive\t3,00")
                                                  << QStringLiteral("Pizza\r\nfunghi; olive|3,00||");
    }

    void addItemSplitsCellsOnTabs() {
        QFETCH(QString, line);
        Grid grid;
        fill(grid, 2);
        grid.addItem(line);
        QCOMPARE(grid.rows(), 3);
        QStringList cells;
        for (int col = 0; col < 4; ++col)
            cells << grid.textMatrix(2, col);
        QTEST(cells.join(QLatin1Char('|')), "cells");
        QCOMPARE(grid.textMatrix(0, 1), QStringLiteral("r0"));
    }

    void rowsCellsCurrentRowAndWidths() {
        Grid grid;
        fill(grid, 5);
        grid.setRow(3);
        grid.setCol(2); // the row stays
        QCOMPARE(QPoint(grid.currentColumn(), grid.row()), QPoint(2, 3));
        QVERIFY(!grid.selectedItems().isEmpty());
        for (int none : {-1, 5}) { // past the end means none
            grid.setRow(1);
            grid.setRow(none);
            QCOMPARE(grid.row(), -1);
            QVERIFY(grid.selectedItems().isEmpty());
        }
        grid.setRows(3);
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
        // Column widths are given in twips, 15 to a pixel.
        grid.setColWidthTwips(1, 2700);
        grid.setColWidthTwips(3, 45);
        QCOMPARE(QPoint(grid.columnWidth(1), grid.columnWidth(3)), QPoint(180, 3));
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
        Grid grid;
        fill(grid, rows);
        grid.setRow(current);
        grid.removeItem(removed);
        QCOMPARE(grid.rows(), removed < rows ? rows - 1 : rows);
        QCOMPARE(grid.row(), expectedRow);
        if (expectedRow >= 0)
            QTEST(grid.textMatrix(expectedRow, 1), "expectedText");
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
        QCOMPARE(QPoint(grid.topRow(), grid.bottomRow()), QPoint(0, 2));
        grid.setRows(0);
        QCOMPARE(grid.bottomRow(), -1);
        grid.setTopRow(0);
    }

    void fillRangeColoursCells_data() {
        QTest::addColumn<QRect>("range"); // (col1, row1) to (col2, row2)
        QTest::addColumn<QList<int>>("paintedRows");
        QTest::newRow("two whole rows") << QRect(QPoint(0, 1), QPoint(3, 2)) << QList<int>{1, 2};
        QTest::newRow("corners swapped") << QRect(QPoint(3, 2), QPoint(0, 1)) << QList<int>{1, 2};
        QTest::newRow("clamped to the grid") << QRect(QPoint(-1, -2), QPoint(9, 9)) << QList<int>{0, 1, 2, 3};
    }

    void fillRangeColoursCells() {
        QFETCH(QRect, range);
        QFETCH(QList<int>, paintedRows);
        const QColor yellow(0xFF, 0xFF, 0x00);
        Grid grid;
        fill(grid, 4);
        grid.setRows(5); // row 4 has no cells yet
        grid.fillRange(range.top(), range.left(), range.bottom(), range.right(), yellow);
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                QVERIFY(grid.item(r, c));
                QCOMPARE(grid.item(r, c)->background().color() == yellow, paintedRows.contains(r));
            }
        }
        // Painting back to white replaces the colour; the texts stay.
        grid.fillRange(0, 0, 3, 3, Qt::white);
        QCOMPARE(grid.item(paintedRows.first(), 2)->background().color(), QColor(Qt::white));
        QCOMPARE(grid.textMatrix(1, 1), QStringLiteral("r1"));
    }

    // On screen: a touched row is current before the signal, a touch below the last row touches no
    // row, the selected row still shows its colour, a multi-line cell makes its row taller (and
    // back), and the operator cannot edit a cell.
    void onScreen() {
        Grid grid;
        grid.resize(300, 400);
        grid.setCols(4);
        grid.addItem(QStringLiteral("Acqua\t1,00"));
        grid.addItem(QStringLiteral("Pizza\r\nfunghi; olive\t8,00"));
        grid.addItem(QStringLiteral("Birra\t2,50"));
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        int rowWhenTouched = -2;
        connect(&grid, &Grid::rowTouched, &grid, [&] { rowWhenTouched = grid.row(); });
        QSignalSpy touched(&grid, &Grid::rowTouched);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                          grid.visualRect(grid.model()->index(2, 1)).center());
        QCOMPARE(touched.count(), 1);
        QCOMPARE(rowWhenTouched, 2);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(10, grid.viewport()->height() - 5));
        QCOMPARE(touched.count(), 1);

        grid.fillRange(0, 0, 0, 3, QColor(0xFF, 0xFF, 0x00));
        grid.setRow(0);
        const QRect cell = grid.visualRect(grid.model()->index(0, 2));
        const QColor shown =
            grid.viewport()->grab().toImage().pixelColor(cell.center() + QPoint(cell.width() / 3, 0));
        QVERIFY2(shown.red() > 150 && shown.green() > 150 && shown.blue() < 80, qPrintable(shown.name()));

        const int oneLine = grid.rowHeight(0);
        QVERIFY(grid.rowHeight(1) > oneLine);
        QVERIFY(oneLine >= grid.fontMetrics().height() + 8);
        grid.setTextMatrix(0, 0, grid.textMatrix(1, 0));
        QCOMPARE(grid.rowHeight(0), grid.rowHeight(1));
        grid.setTextMatrix(0, 0, QStringLiteral("Acqua"));
        QCOMPARE(grid.rowHeight(0), oneLine);

        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                           grid.visualRect(grid.model()->index(2, 0)).center());
        QTest::keyClicks(grid.viewport(), QStringLiteral("abc"));
        QTest::keyClick(grid.viewport(), Qt::Key_Return);
        QVERIFY(!grid.findChild<QLineEdit *>());
        QCOMPARE(grid.textMatrix(2, 0), QStringLiteral("Birra"));
    }
};

QTEST_MAIN(TestGrid)
#include "test_grid.moc"
