#pragma once

#include <QColor>
#include <QHash>
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

    /**
     * Whether rows are made as tall as their texts need (a one-line row a finger's height, a text
     * that wraps in its column or holds line breaks taller), as a grid sized to its contents does.
     * On unless turned off by a form that sets its own row heights.
     */
    void setFitRowsToText(bool on);

protected:
    void changeEvent(QEvent *event) override;

signals:
    /** The operator touched a row; row() already names it. */
    void rowTouched();

private:
    /**
     * Gives rows first to last the height their cells need. Each row is measured once, when its
     * cells change, instead of every row at every layout pass; a text already measured in its
     * column is not measured again.
     */
    void fitRows(int first, int last);
    /** Forgets the measured texts (the font or a column width changed) and fits every row again. */
    void refitAll();
    /** The height the cell's text needs, as the view asks its delegate for it. */
    int cellHeight(int row, int col);

    bool m_fitRows = true;
    QVector<QHash<QString, int>> m_measured; ///< per column, without and with a text: text -> height
    QHash<int, int> m_headerHeights;         ///< digits of a row number -> the header's own height
};

} // namespace qrv
