#pragma once

#include <QColor>
#include <QTableWidget>

namespace qrv {

/**
 * The order-line grid of the receipt panel and of the separate-bill screen: no header row,
 * rows and columns counted from 0, rows added from TAB-separated texts or cell by cell.
 */
class Grid : public QTableWidget {
    Q_OBJECT
public:
    explicit Grid(QWidget *parent = nullptr);

    void clearCells(); ///< every cell becomes empty (rows stay)
    int rows() const;
    void setRows(int count); ///< 0 leaves no rows
    int cols() const;
    void setCols(int count);
    int row() const;      ///< the touched row, -1 for none
    void setRow(int row); ///< -1 clears the current row
    void setCol(int col);
    void setTopRow(int row); ///< scrolls so that row is the first one shown
    int topRow() const;
    int bottomRow() const; ///< index of the last row shown (partly shown counts)
    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    void addItem(const QString &tabSeparated); ///< appends a row after the last one
    /**
     * Appends a row after the last one, one text per column; a TAB or line break in a text stays
     * in its cell. Missing cells are empty, texts beyond the last column are dropped.
     */
    void addCells(const QStringList &cells);
    /**
     * Removes a row; the rows below move up. A removed current row is replaced by the row that
     * moved into its place; when the last row goes nothing moves in and no row is current (-1).
     */
    void removeItem(int row);
    /** Fills the cells of the range (inclusive) with a background colour. */
    void fillRange(int row1, int col1, int row2, int col2, const QColor &background);
    void setColWidthTwips(int col, int twips);

signals:
    /** The operator touched a row; row() already names it. */
    void rowTouched();
};

} // namespace qrv
