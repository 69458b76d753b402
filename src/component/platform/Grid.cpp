#include "component/platform/Grid.h"

#include "component/platform/Twips.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace qrv {

namespace {

/**
 * Paints a cell with its own background even when its row is selected, and marks the selected row
 * with a frame instead: on the separate-bill screen the colour of a row is what tells the operator
 * it is marked, so the selection must not hide it. Carriage returns of CR LF line breaks are not
 * drawn.
 */
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QString displayText(const QVariant &value, const QLocale &locale) const override {
        QString text = QStyledItemDelegate::displayText(value, locale);
        text.remove(QLatin1Char('\r'));
        return text;
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        QStyleOptionViewItem plain = option;
        const bool selected = option.state & QStyle::State_Selected;
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QStyledItemDelegate::paint(painter, plain, index);
        if (!selected)
            return;
        painter->save();
        painter->fillRect(option.rect, QColor(0, 0, 0, 36));
        QPen pen(option.palette.color(QPalette::Highlight), 3);
        painter->setPen(pen);
        const QRect r = option.rect.adjusted(1, 1, -2, -2);
        painter->drawLine(r.topLeft(), r.topRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        if (index.column() == 0)
            painter->drawLine(r.topLeft(), r.bottomLeft());
        if (index.column() == index.model()->columnCount() - 1)
            painter->drawLine(r.topRight(), r.bottomRight());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        // Rows tall enough for a finger.
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(qMax(size.height() + 8, option.fontMetrics.height() + 14));
        return size;
    }
};

} // namespace

Grid::Grid(QWidget *parent) : QTableWidget(parent) {
    horizontalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0); // the identifier column is a few pixels wide
    verticalHeader()->hide();
    // Heights are set row by row as the cells change (fitRows): measuring every row at every
    // layout pass made a long order slow to show.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabKeyNavigation(false);
    setWordWrap(true);
    setItemDelegate(new CellDelegate(this));

    connect(this, &QTableWidget::cellClicked, this, [this](int row, int) {
        if (row >= 0)
            emit rowTouched();
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this] { refitAll(); });
}

void Grid::setFitRowsToText(bool on) {
    m_fitRows = on;
    if (on)
        refitAll();
}

void Grid::changeEvent(QEvent *event) {
    QTableWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        refitAll();
}

void Grid::refitAll() {
    m_measured.clear();
    m_headerHeights.clear();
    fitRows(0, rowCount() - 1);
}

int Grid::cellHeight(int row, int col) {
    const QModelIndex index = model()->index(row, col);
    const QVariant value = index.data(Qt::DisplayRole);
    // A cell without text is measured apart from one holding an empty text, as the delegate does.
    const int slot = 2 * col + (value.isValid() && !value.isNull() ? 1 : 0);
    if (m_measured.size() <= slot)
        m_measured.resize(slot + 1);
    const QString text = value.toString();
    const auto known = m_measured.at(slot).constFind(text);
    if (known != m_measured.at(slot).constEnd())
        return known.value();
    // The option the view hands its delegate when it sizes a row: the cell's width bounds the
    // wrapping (less the grid line); the height only has to be valid.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    if (wordWrap())
        option.rect = QRect(columnViewportPosition(col), rowViewportPosition(row),
                            columnWidth(col) - (showGrid() ? 1 : 0), qMax(1, rowHeight(row)));
    const int height = itemDelegate()->sizeHint(option, index).height();
    // Bounded, so that a venue's every different text cannot grow it for ever.
    if (m_measured.at(slot).size() > 4096)
        m_measured[slot].clear();
    m_measured[slot].insert(text, height);
    return height;
}

void Grid::fitRows(int first, int last) {
    if (!m_fitRows || first > last || first < 0)
        return;
    ensurePolished();
    const QHeaderView *header = verticalHeader();
    const int least = header->minimumSectionSize();
    const int most = header->maximumSectionSize();
    for (int row = first; row <= last && row < rowCount(); ++row) {
        // The height of a row sized to its contents: the taller of what its cells need (plus the
        // grid line) and of the header's own section.
        int cells = 0;
        for (int col = 0; col < columnCount(); ++col)
            if (!isColumnHidden(col))
                cells = qMax(cells, cellHeight(row, col));
        if (showGrid())
            ++cells;
        const int digits = static_cast<int>(QString::number(row + 1).size());
        auto own = m_headerHeights.constFind(digits);
        if (own == m_headerHeights.constEnd())
            own = m_headerHeights.insert(digits, header->sectionSizeHint(row));
        setRowHeight(row, qBound(least, qMax(cells, own.value()), most));
    }
}

void Grid::clearCells() {
    clearContents();
    fitRows(0, rowCount() - 1);
}

int Grid::rows() const {
    return rowCount();
}

void Grid::setRows(int count) {
    const int before = rowCount();
    setRowCount(qMax(0, count));
    fitRows(before, rowCount() - 1);
}

int Grid::cols() const {
    return columnCount();
}

void Grid::setCols(int count) {
    setColumnCount(qMax(0, count));
    refitAll();
}

int Grid::row() const {
    return currentRow();
}

void Grid::setRow(int row) {
    if (row < 0 || row >= rowCount()) {
        setCurrentCell(-1, -1);
        clearSelection();
        return;
    }
    const int col = qBound(0, currentColumn() < 0 ? 0 : currentColumn(), qMax(0, columnCount() - 1));
    setCurrentCell(row, col);
}

void Grid::setCol(int col) {
    if (currentRow() >= 0 && col >= 0 && col < columnCount())
        setCurrentCell(currentRow(), col);
}

void Grid::setTopRow(int row) {
    if (rowCount() == 0)
        return;
    executeDelayedItemsLayout();
    updateGeometries();
    // Per-item scrolling: the scroll value is the index of the first row shown.
    verticalScrollBar()->setValue(qBound(0, row, rowCount() - 1));
}

int Grid::topRow() const {
    if (rowCount() == 0)
        return -1;
    return rowAt(0) >= 0 ? rowAt(0) : verticalScrollBar()->value();
}

int Grid::bottomRow() const {
    if (rowCount() == 0)
        return -1;
    const int last = rowAt(viewport()->height() - 1);
    return last >= 0 ? last : rowCount() - 1;
}

QString Grid::textMatrix(int row, int col) const {
    const QTableWidgetItem *cell = item(row, col);
    return cell ? cell->text() : QString();
}

void Grid::setTextMatrix(int row, int col, const QString &text) {
    if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount())
        return;
    if (QTableWidgetItem *cell = item(row, col))
        cell->setText(text);
    else
        setItem(row, col, new QTableWidgetItem(text));
    fitRows(row, row);
}

void Grid::addItem(const QString &tabSeparated) {
    addCells(tabSeparated.split(QLatin1Char('\t')));
}

void Grid::addCells(const QStringList &cells) {
    const int row = rowCount();
    insertRow(row);
    for (int col = 0; col < columnCount(); ++col)
        setItem(row, col, new QTableWidgetItem(col < cells.size() ? cells.at(col) : QString()));
    fitRows(row, row);
}

void Grid::removeItem(int row) {
    if (row < 0 || row >= rowCount())
        return;
    int current = currentRow();
    const int col = currentColumn();
    removeRow(row);
    // The row that moved into the removed current row's place becomes current. After the last row
    // nothing moved in: no row is current, so the row above is never taken for one that moved up.
    if (current > row)
        --current;
    if (current < 0 || current >= rowCount()) {
        setCurrentCell(-1, -1);
        clearSelection();
        return;
    }
    setCurrentCell(current, qMax(0, col));
}

void Grid::fillRange(int row1, int col1, int row2, int col2, const QColor &background) {
    if (row1 > row2)
        std::swap(row1, row2);
    if (col1 > col2)
        std::swap(col1, col2);
    row1 = qMax(0, row1);
    col1 = qMax(0, col1);
    row2 = qMin(row2, rowCount() - 1);
    col2 = qMin(col2, columnCount() - 1);
    for (int r = row1; r <= row2; ++r) {
        for (int c = col1; c <= col2; ++c) {
            QTableWidgetItem *cell = item(r, c);
            if (!cell) {
                cell = new QTableWidgetItem;
                setItem(r, c, cell);
            }
            cell->setBackground(background);
        }
    }
}

void Grid::setColWidthTwips(int col, int twips) {
    setColumnWidth(col, px(twips));
}

} // namespace qrv
