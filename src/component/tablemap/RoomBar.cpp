#include "component/tablemap/RoomBar.h"

#include "component/tablemap/MapLook.h"
#include "component/tablemap/MapState.h"
#include "core/data/clsRecordset.h"
#include "core/data/dao/Recordset.h"
#include "core/tablemap/MapGeometry.h"
#include "core/tablemap/MapRows.h"

#include <QCheckBox>
#include <QPushButton>
#include <QStyle>

namespace qrv {

namespace {
const QColor RoomColour(0xC0, 0xC0, 0xFF);
const QColor CommandColour(0xFF, 0xC0, 0x80);
constexpr int EditLeft = 2070;
constexpr int EditTop = 240;
constexpr int EditHeight = 570;

QString indexed(const char *name, int i) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i);
}
} // namespace

RoomBar::RoomBar(QWidget *parent) : QFrame(parent) {
    setObjectName(QStringLiteral("fraSale"));
    MapLook::place(this, 15, -30, MapGeometry::FraSaleWidth, 11490);

    m_sala.append(makeRoomButton(0));
    m_modifica.append(makeEditButton(0, EditTop));

    m_aggiungiArticolo = new QPushButton(this);
    m_aggiungiArticolo->setObjectName(QStringLiteral("cmdAggiungiArticolo"));
    MapLook::place(m_aggiungiArticolo, 135, 7350, 2430, 885);
    MapLook::makeGraphical(m_aggiungiArticolo);
    MapLook::setButtonColour(m_aggiungiArticolo, CommandColour);
    m_aggiungiArticolo->setFont(MapLook::arialBold(12));
    m_aggiungiArticolo->hide();

    m_bottoniGrandi = new QCheckBox(QStringLiteral("Tavoli grandi"), this);
    m_bottoniGrandi->setObjectName(QStringLiteral("chkBottoniGrandiTavolo"));
    MapLook::place(m_bottoniGrandi, 150, 8340, 2370, 330);
    m_bottoniGrandi->setFont(MapLook::arialBold(12));
    MapLook::setTextColour(m_bottoniGrandi, Qt::white);

    m_nuovaSala = new QPushButton(QStringLiteral("Nuova sala"), this);
    m_nuovaSala->setObjectName(QStringLiteral("cmdNuovaSala"));
    MapLook::place(m_nuovaSala, 150, 8850, 2430, 885);
    MapLook::makeGraphical(m_nuovaSala);
    MapLook::setButtonColour(m_nuovaSala, CommandColour);
    m_nuovaSala->setFont(MapLook::arialBold(12));

    m_banco = new QPushButton(QStringLiteral("BANCO"), this);
    m_banco->setObjectName(QStringLiteral("cmdBancoTavoli"));
    MapLook::place(m_banco, 150, 10020, 2430, 1350);
    MapLook::makeGraphical(m_banco);
    MapLook::setButtonColour(m_banco, CommandColour);
    m_banco->setFont(MapLook::arialBold(12));
}

QPushButton *RoomBar::makeRoomButton(int index) {
    auto *button = new QPushButton(this);
    button->setObjectName(indexed("cmdSala", index));
    MapLook::makeGraphical(button);
    MapLook::setButtonColour(button, RoomColour);
    button->setFont(MapLook::arialBold(12));
    connect(button, &QPushButton::clicked, this, [this, index] { emit roomClicked(index); });
    return button;
}

QPushButton *RoomBar::makeEditButton(int index, int topTw) {
    auto *button = new QPushButton(this);
    button->setObjectName(indexed("cmdModifica", index));
    button->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    button->setIconSize(QSize(24, 24));
    MapLook::place(button, EditLeft, topTw, MapGeometry::RoomEditWidth, EditHeight);
    button->hide();
    connect(button, &QPushButton::clicked, this, [this, index] { emit roomEditClicked(index); });
    return button;
}

void RoomBar::dropCreatedRooms() {
    // A button may be the sender of the click that led here: it goes once the click is over.
    for (int k = 1; k < m_sala.size(); ++k) {
        for (QPushButton *w : {m_sala.at(k), m_modifica.at(k)}) {
            if (!w)
                continue;
            w->hide();
            w->setObjectName(QString());
            w->deleteLater();
        }
    }
    m_sala.resize(1);
    m_modifica.resize(1);
}

void RoomBar::resetToDesign(bool layoutEditing) {
    dropCreatedRooms();

    QPushButton *first = m_sala.first();
    emptyFirstButton();
    m_roomWidthTw = MapGeometry::roomButtonWidth(layoutEditing);
    MapLook::place(first, 150, MapGeometry::RoomButtonTop, m_roomWidthTw, MapGeometry::RoomButtonHeight);
    first->show();
    m_aggiungiArticolo->hide();
    m_bottoniGrandi->setVisible(layoutEditing);
    m_nuovaSala->setVisible(layoutEditing);
}

void RoomBar::emptyFirstButton() {
    m_sala.first()->setText(QStringLiteral("Principale"));
    m_sala.first()->setProperty("Tag", QString());
    m_modifica.first()->hide();
}

QString RoomBar::roomTag(int i) const {
    if (i < 0 || i >= m_sala.size())
        return QString();
    return m_sala.at(i)->property("Tag").toString();
}

int RoomBar::indexOf(qint32 codice) const {
    for (int i = 0; i < m_sala.size(); ++i) {
        const QString tag = roomTag(i);
        if (!tag.isEmpty() && tag.toInt() == codice)
            return i;
    }
    return -1;
}

void RoomBar::CaricaSale(bool layoutEditing, QVector<DatiSala> &datiSale) {
    const QString routine = QStringLiteral("CaricaSale");
    clsRecordset rs;
    rs.Apri(routine, true, QStringLiteral("Select * from Sale Where Codice <> 9999 Order by Codice;"), false,
            true);

    datiSale.clear();
    dropCreatedRooms();

    int i = 0;
    readRows(rs, routine, [&](const dao::Recordset &row) {
        QPushButton *button = m_sala.first();
        if (i >= 1) {
            button = makeRoomButton(i);
            const int topTw = MapGeometry::roomButtonTop(i);
            MapLook::place(button, 150, topTw, m_roomWidthTw, MapGeometry::RoomButtonHeight);
            m_sala.append(button);
            m_modifica.append(layoutEditing ? makeEditButton(i, topTw) : nullptr);
        }
        button->show();
        if (layoutEditing)
            m_modifica.at(i)->show();
        button->setText(row.Field(QStringLiteral("Descrizione")).toString());
        button->setProperty("Tag", row.Field(QStringLiteral("Codice")).toString());

        datiSale.resize(i + 1);
        const QVariant sfondo = row.Field(QStringLiteral("Sfondo"));
        if (!sfondo.isNull())
            datiSale[i].Sfondo = sfondo.toString();
        const QVariant colore = row.Field(QStringLiteral("ColoreSfondo"));
        if (!colore.isNull())
            datiSale[i].ColoreSfondo = static_cast<qint32>(colore.toLongLong());
        ++i;
        return true;
    });
    // No room left (the last one deleted): the first button must not keep a deleted room's tag,
    // which the map would take for a room to show and to put new tables in.
    if (i == 0)
        emptyFirstButton();
}

} // namespace qrv
