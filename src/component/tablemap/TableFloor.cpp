#include "component/tablemap/TableFloor.h"

#include "component/platform/Twips.h"
#include "component/tablemap/MapLook.h"
#include "component/tablemap/MapState.h"
#include "core/data/clsRecordset.h"
#include "core/data/dao/Recordset.h"
#include "core/layout/BackgroundImages.h"
#include "core/tablemap/MapGeometry.h"
#include "core/tablemap/MapRows.h"

#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <cmath>

namespace qrv {

namespace {
constexpr int LabelWidth = 2130;
constexpr int LabelHeight = 405;

QString indexed(const char *name, int i) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i);
}

int twipsField(const dao::Recordset &row, int column, const QString &name) {
    return static_cast<int>(std::lround(row.Field(column, name).toDouble()));
}
} // namespace

TableFloor::TableFloor(QWidget *parent)
    : QWidget(parent)
    , m_side(MapGeometry::SmallTable)
    , m_colour(MapLook::FloorGrey) {
    setObjectName(QStringLiteral("fraTavoli"));
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_lblAggiungi = new QLabel(QStringLiteral("Cliccare per aggiungere tavoli"), this);
    m_lblAggiungi->setObjectName(QStringLiteral("lblAggiungi"));
    m_lblAggiungi->setFont(MapLook::arialBold(20));
    MapLook::setTextColour(m_lblAggiungi, Qt::white);
    MapLook::place(m_lblAggiungi, 120, 120, 9000, 600);
    m_lblAggiungi->setAttribute(Qt::WA_TransparentForMouseEvents);

    for (int i = 0; i < PermanentButtons; ++i)
        addButton();

    // Amber with black text: no table, floor or room colour, so it cannot be taken for part of the map.
    m_lblMappaNonAggiornata =
        new QLabel(QStringLiteral("Mappa non aggiornata: database non raggiungibile"), this);
    m_lblMappaNonAggiornata->setObjectName(QStringLiteral("lblMappaNonAggiornata"));
    m_lblMappaNonAggiornata->setFont(MapLook::arialBold(14));
    m_lblMappaNonAggiornata->setAlignment(Qt::AlignCenter);
    m_lblMappaNonAggiornata->setAutoFillBackground(true);
    MapLook::setBackground(m_lblMappaNonAggiornata, QColor(0xFF, 0xB0, 0x00));
    MapLook::setTextColour(m_lblMappaNonAggiornata, Qt::black);
    m_lblMappaNonAggiornata->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_lblMappaNonAggiornata->hide();

    m_frxAggiorna = new QFrame(this);
    m_frxAggiorna->setObjectName(QStringLiteral("frxAggiorna"));
    MapLook::place(m_frxAggiorna, 0, 0, 3150, 1035);
    m_frxAggiorna->setFrameShape(QFrame::Box);
    m_frxAggiorna->hide();
}

void TableFloor::addButton() {
    const int i = static_cast<int>(m_buttons.size());
    auto *button = new QPushButton(this);
    button->setObjectName(indexed("cmdTavolo", i));
    MapLook::makeGraphical(button);
    button->setFont(MapLook::arialBold(14.25));
    button->resize(px(m_side), px(m_side));
    button->hide();
    connect(button, &QPushButton::clicked, this, [this, i] {
        // The click may rebuild the floor; this button must outlive its own click.
        const int outer = m_clicking;
        m_clicking = i;
        emit tableClicked(i);
        m_clicking = outer;
    });

    auto *label = new QLabel(this);
    label->setObjectName(indexed("lblTavolo", i));
    label->setFont(MapLook::arialBold(12));
    label->resize(px(LabelWidth), px(LabelHeight));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->hide();

    m_buttons.append(button);
    m_labels.append(label);
    m_pos.append(QPoint());
    m_tags.append(QString());
    m_announced.append(false);
    button->setProperty("Tag", QString());
}

TableFloor::Columns TableFloor::Columns::of(const dao::Recordset &row) {
    Columns c;
    c.codice = row.fieldIndex(QStringLiteral("Codice"));
    c.top = row.fieldIndex(QStringLiteral("Top"));
    c.left = row.fieldIndex(QStringLiteral("Left"));
    c.numero = row.fieldIndex(QStringLiteral("Numero"));
    c.occupato = row.fieldIndex(QStringLiteral("Occupato"));
    c.descrizione = row.fieldIndex(QStringLiteral("Descrizione"));
    return c;
}

QPushButton *TableFloor::button(int i) const {
    return i >= 0 && i < m_buttons.size() ? m_buttons.at(i) : nullptr;
}

QLabel *TableFloor::label(int i) const {
    return i >= 0 && i < m_labels.size() ? m_labels.at(i) : nullptr;
}

QString TableFloor::tag(int i) const {
    return i >= 0 && i < m_tags.size() ? m_tags.at(i) : QString();
}

int TableFloor::topTwips(int i) const {
    return i >= 0 && i < m_pos.size() ? m_pos.at(i).y() : 0;
}

int TableFloor::leftTwips(int i) const {
    return i >= 0 && i < m_pos.size() ? m_pos.at(i).x() : 0;
}

void TableFloor::moveTo(int i, int topTw, int leftTw) {
    if (i < 0 || i >= m_buttons.size())
        return;
    m_pos[i] = QPoint(leftTw, topTw);
    const QPoint at(px(leftTw), px(topTw));
    if (m_buttons.at(i)->pos() != at)
        m_buttons.at(i)->move(at);
    holdOffIfUnseen(m_buttons.at(i));
    placeLabel(i);
}

void TableFloor::placeLabel(int i) {
    const QPoint p = m_pos.at(i);
    const QPoint at(px(p.x()), px(p.y() + m_side));
    if (m_labels.at(i)->pos() != at)
        m_labels.at(i)->move(at);
    holdOffIfUnseen(m_labels.at(i));
}

void TableFloor::holdOffIfUnseen(QWidget *w) const {
    const bool seen = w->geometry().intersects(rect());
    if (w->updatesEnabled() != seen)
        w->setUpdatesEnabled(seen);
}

void TableFloor::setSide(int sideTw) {
    m_side = sideTw;
    const int side = px(sideTw);
    for (QPushButton *b : qAsConst(m_buttons)) {
        b->resize(side, side);
        holdOffIfUnseen(b);
    }
    // Labels stand under their buttons; they move with the new height.
    for (int i = 0; i < m_labels.size(); ++i)
        placeLabel(i);
}

void TableFloor::applyRow(int i, const dao::Recordset &row, const Columns &columns) {
    const bool occupato = row.Field(columns.occupato, QStringLiteral("Occupato")).toBool();
    applyState(i, occupato, row.Field(columns.descrizione, QStringLiteral("Descrizione")).toString());
}

void TableFloor::applyState(int i, bool occupato, const QString &descrizione) {
    MapLook::setButtonColour(m_buttons.at(i), occupato ? MapLook::Occupied : MapLook::Free);
    if (m_labels.at(i)->text() != descrizione)
        m_labels.at(i)->setText(descrizione);
}

void TableFloor::resetToDesign() {
    for (int i = 0; i < m_buttons.size(); ++i) {
        m_buttons.at(i)->hide();
        m_buttons.at(i)->setText(QString());
        m_buttons.at(i)->setProperty("Tag", QString());
        m_tags[i].clear();
        m_labels.at(i)->hide();
    }
    m_index.clear();
    m_frxAggiorna->hide();
    m_lblMappaNonAggiornata->hide();
    m_failureCancelled = false;
}

void TableFloor::setMapCurrent(bool current) {
    m_failureCancelled = !current;
    m_lblMappaNonAggiornata->setVisible(!current);
    if (!current)
        m_lblMappaNonAggiornata->raise();
}

void TableFloor::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    m_lblMappaNonAggiornata->setGeometry(0, 0, width(), px(480));
    for (int i = 0; i < m_buttons.size(); ++i) {
        holdOffIfUnseen(m_buttons.at(i));
        holdOffIfUnseen(m_labels.at(i));
    }
}

void TableFloor::discard(QWidget *w, bool inUse) {
    // A widget that may be inside one of its own events (clicked, pressed, dragged, typed on) is
    // deleted once that event is over; the others at once, which keeps the event queue short.
    if (inUse || w->underMouse() || w == QWidget::mouseGrabber() || w->hasFocus()) {
        w->setObjectName(QString());
        w->deleteLater();
    } else {
        delete w;
    }
}

void TableFloor::CaricaTavoli(qint32 sala, const DatiSala *look, const QString &appPath, bool showLabels) {
    const QString routine = QStringLiteral("CaricaTavoli");
    m_index.clear();
    m_frxAggiorna->hide();
    const bool outer = m_reading;
    m_reading = true;
    const auto done = qScopeGuard([this, outer] { m_reading = outer; });

    // Asked for by the operator (a room touched, a move ended): a failure is always shown.
    clsRecordset rs;
    rs.Apri(routine, true,
            QStringLiteral("Select * from Tavoli Where CodiceSala = %1;").arg(QString::number(sala)), false,
            true);
    const bool opened = rs.ilRecordset() != nullptr;

    // Room look: a picture that cannot be loaded leaves only the colour. A name that reaches out of
    // the background folder (stored by another program) is not loaded either.
    const bool hadPicture = !m_picture.isNull();
    m_picture = QPixmap();
    if (look && !look->Sfondo.isEmpty() && isSafeImageName(look->Sfondo))
        m_picture.load(QDir(backgroundImagesFolder(appPath)).filePath(look->Sfondo));
    const QColor colour =
        !look || look->ColoreSfondo < 1 ? MapLook::FloorGrey : MapLook::fromStored(look->ColoreSfondo);
    if (hadPicture || !m_picture.isNull() || colour != m_colour)
        update();
    m_colour = colour;

    // Every row is read before the buttons change, so that only what differs from the screen is
    // changed; a read that fails part way leaves the tables read so far.
    QVector<TableRow> rows;
    Columns columns;
    const bool read = readRows(rs, routine, [&](const dao::Recordset &row) {
        if (rows.isEmpty())
            columns = Columns::of(row);
        rows.append(TableRow::of(row, columns));
        return true;
    });

    // Each widget changed on a visible floor is repainted on its own, and each such repaint is
    // checked against all the floor's widgets: many changes (another room) are made with the
    // floor off the screen, which then comes back as one repaint; a few (a move) are not.
    const bool offScreen = !isHidden() && changesFor(rows, showLabels) > FewChanges;
    if (offScreen)
        hide();
    const auto comeBack = qScopeGuard([this, offScreen] {
        if (offScreen)
            show();
    });
    // The buttons are reused from one room to the next; those that got no table of this room are
    // hidden, and destroyed above the permanent ones.
    int placed = 0;
    const auto rest = qScopeGuard([this, &placed] { dropButtonsFrom(placed); });
    for (const TableRow &row : std::as_const(rows)) {
        if (placed >= m_buttons.size())
            addButton();
        placeTable(placed++, row, showLabels);
    }
    setMapCurrent(opened && read);
}

TableFloor::TableRow TableFloor::TableRow::of(const dao::Recordset &row, const Columns &columns) {
    // Read in the order the floor has always read them, so that a missing column is the same one
    // reported.
    TableRow table;
    table.codice = row.Field(columns.codice, QStringLiteral("Codice")).toInt();
    table.top = twipsField(row, columns.top, QStringLiteral("Top"));
    table.left = twipsField(row, columns.left, QStringLiteral("Left"));
    table.numero = row.Field(columns.numero, QStringLiteral("Numero")).toString();
    table.occupato = row.Field(columns.occupato, QStringLiteral("Occupato")).toBool();
    table.descrizione = row.Field(columns.descrizione, QStringLiteral("Descrizione")).toString();
    return table;
}

int TableFloor::changesFor(const QVector<TableRow> &rows, bool showLabels) const {
    const int side = px(m_side);
    int changes = 0;
    for (int i = 0; i < m_buttons.size() || i < rows.size(); ++i) {
        if (i >= m_buttons.size()) {
            changes += 2; // a new button and label
            continue;
        }
        const QPushButton *button = m_buttons.at(i);
        const QLabel *label = m_labels.at(i);
        if (i >= rows.size()) {
            changes += (button->isHidden() ? 0 : 1) + (label->isHidden() ? 0 : 1);
            continue;
        }
        const TableRow &row = rows.at(i);
        const QPoint at(px(row.left), px(row.top));
        const QColor colour = row.occupato ? MapLook::Occupied : MapLook::Free;
        if (button->isHidden() || button->pos() != at || button->size() != QSize(side, side) ||
            button->text() != row.numero || button->palette().color(QPalette::Button) != colour)
            ++changes;
        if (label->isHidden() == showLabels || label->pos() != QPoint(at.x(), px(row.top + m_side)) ||
            label->text() != row.descrizione)
            ++changes;
    }
    return changes;
}

void TableFloor::placeTable(int i, const TableRow &row, bool showLabels) {
    QPushButton *button = m_buttons.at(i);
    const int side = px(m_side);
    if (button->size() != QSize(side, side))
        button->resize(side, side); // moveTo holds off a button out of sight
    moveTo(i, row.top, row.left);
    if (button->text() != row.numero)
        button->setText(row.numero);
    applyState(i, row.occupato, row.descrizione);
    if (button->isHidden())
        button->show();
    QString tag = QString::number(row.codice);
    if (m_tags.at(i) != tag) {
        button->setProperty("Tag", tag);
        m_tags[i] = std::move(tag);
    }
    QLabel *label = m_labels.at(i);
    if (label->isHidden() == showLabels)
        label->setVisible(showLabels);
    // Keyed by code, so rows in any order never drop an earlier table's entry.
    m_index.insert(row.codice, i);
    if (!m_announced.at(i)) {
        m_announced[i] = true;
        emit buttonPlaced(button, i);
    }
}

void TableFloor::dropButtonsFrom(int first) {
    for (int i = static_cast<int>(m_buttons.size()) - 1; i >= first; --i) {
        m_buttons.at(i)->hide();
        m_labels.at(i)->hide();
        m_labels.at(i)->setText(QString());
        if (i >= PermanentButtons) {
            discard(m_buttons.at(i), i == m_clicking);
            discard(m_labels.at(i), false);
        }
    }
    const int keep = qMin(static_cast<int>(m_buttons.size()), qMax(first, int(PermanentButtons)));
    m_buttons.resize(keep);
    m_labels.resize(keep);
    m_pos.resize(keep);
    m_tags.resize(keep);
    m_announced.resize(keep);
}

bool TableFloor::refreshButton(int i, const QString &routine) {
    if (m_reading)
        return false;
    m_reading = true;
    const auto done = qScopeGuard([this] { m_reading = false; });
    clsRecordset rs;
    rs.setQuiet(m_failureCancelled);
    rs.Apri(routine, true, QStringLiteral("Select * from Tavoli Where Codice = %1;").arg(m_tags.at(i)), false,
            true);
    if (!rs.ilRecordset()) {
        // One button's state is unknown: the map is not current either.
        setMapCurrent(false);
        return false;
    }
    bool found = false;
    readRows(rs, routine, [&](const dao::Recordset &row) {
        applyRow(i, row, Columns::of(row));
        found = true;
        return false;
    });
    return found;
}

int TableFloor::RefreshTavoloCodice(const QString &codice) {
    for (int i = 0; i < m_buttons.size(); ++i)
        if (m_tags.at(i) == codice && !m_buttons.at(i)->isHidden() &&
            refreshButton(i, QStringLiteral("RefreshTavoloCodice")))
            return i;
    return -1;
}

int TableFloor::RefreshTavolo(const QString &numero) {
    const QString wanted = numero.trimmed();
    for (int i = 0; i < m_buttons.size(); ++i)
        if (!m_buttons.at(i)->isHidden() && m_buttons.at(i)->text() == wanted &&
            refreshButton(i, QStringLiteral("RefreshTavolo")))
            return i;
    return -1;
}

void TableFloor::refreshRoom(qint32 sala) {
    if (m_reading)
        return;
    m_reading = true;
    const auto done = qScopeGuard([this] { m_reading = false; });
    const QString routine = QStringLiteral("CaricaTavoli");
    clsRecordset rs;
    // The operator cancelled a failure of this outage already: no box at every tick.
    rs.setQuiet(m_failureCancelled);
    rs.Apri(routine, true,
            QStringLiteral("Select * from Tavoli Where CodiceSala = %1;").arg(QString::number(sala)), false,
            true);
    const bool opened = rs.ilRecordset() != nullptr;
    Columns columns;
    bool first = true;
    const bool read = readRows(rs, routine, [&](const dao::Recordset &row) {
        if (first)
            columns = Columns::of(row);
        first = false;
        const int k = indexOf(row.Field(columns.codice, QStringLiteral("Codice")).toInt());
        if (k >= 0 && k < m_buttons.size() && !m_buttons.at(k)->isHidden())
            applyRow(k, row, columns);
        return true;
    });
    setMapCurrent(opened && read);
}

void TableFloor::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.fillRect(rect(), m_colour);
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture);
}

} // namespace qrv
