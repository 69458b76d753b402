#include "component/layout/EditMode.h"

#include "component/layout/frmDatiTavolo.h"
#include "component/layout/frmSala.h"
#include "component/platform/Twips.h"
#include "component/tablemap/MapActions.h"
#include "component/tablemap/MapLook.h"
#include "component/tablemap/RoomBar.h"
#include "component/tablemap/TableFloor.h"
#include "core/data/Lookups.h"
#include "core/data/MessageBox.h"
#include "core/data/clsRecordset.h"
#include "core/layout/FloorGeometry.h"
#include "core/layout/TableNumber.h"
#include "core/layout/TableStore.h"
#include "core/settings/SharedState.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

namespace qrv {

namespace {
const char *const IndexProperty = "qrvEditIndex";

QPushButton *toolboxButton(QWidget *parent, const char *name, const QString &caption, const QRect &twipsRect,
                           const QColor &colour, const QFont &font) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(pxRect(twipsRect.left(), twipsRect.top(), twipsRect.width(), twipsRect.height()));
    button->setFont(font);
    MapLook::setButtonColour(button, colour);
    return button;
}
} // namespace

EditMode::EditMode(MapActions &map, RoomBar *rooms, TableFloor *floor, QObject *parent)
    : QObject(parent)
    , m_map(map)
    , m_rooms(rooms)
    , m_floor(floor) {
    buildToolbox();

    m_menu = new QMenu(QStringLiteral("Nuovo tavolo"), m_floor);
    m_menu->setObjectName(QStringLiteral("mnuPopup"));
    m_nuovoTavolo = m_menu->addAction(QStringLiteral("Crea un nuovo tavolo"));
    m_nuovoTavolo->setObjectName(QStringLiteral("mnuNuovoTavolo"));
    connect(m_nuovoTavolo, &QAction::triggered, this, &EditMode::mnuNuovoBottone);

    m_floor->installEventFilter(this);
    connect(m_rooms->cmdNuovaSala(), &QPushButton::clicked, this, &EditMode::newRoom);
    connect(m_rooms, &RoomBar::roomEditClicked, this, &EditMode::editRoom);
}

void EditMode::buildToolbox() {
    QFrame *toolbox = m_floor->frxAggiorna();
    // A touch on the toolbox itself is not a touch on the floor beneath it.
    toolbox->setAttribute(Qt::WA_NoMousePropagation);
    QFont arial(QStringLiteral("Arial"), 12);
    QFont arialBlack(QStringLiteral("Arial Black"), 12);
    arialBlack.setWeight(QFont::Black);
    const QColor orange(0xFF, 0xC0, 0x80);
    m_cmdAggEliminaBottone = toolboxButton(toolbox, "cmdAggEliminaBottone", QStringLiteral("Elimina"),
                                           QRect(30, 30, 1080, 930), orange, arial);
    m_cmdAggProprieta = toolboxButton(toolbox, "cmdAggProprieta", QStringLiteral("Proprietà"),
                                      QRect(1140, 30, 1140, 930), orange, arial);
    m_cmdAggChiudi = toolboxButton(toolbox, "cmdAggChiudi", QStringLiteral("X"), QRect(2370, 15, 705, 390),
                                   QColor(0xFF, 0x00, 0x00), arialBlack);
    MapLook::setTextColour(m_cmdAggChiudi, Qt::white);
    connect(m_cmdAggEliminaBottone, &QPushButton::clicked, this, &EditMode::EliminaTavolo);
    connect(m_cmdAggProprieta, &QPushButton::clicked, this, &EditMode::cmdAggProprieta_Click);
    connect(m_cmdAggChiudi, &QPushButton::clicked, this, &EditMode::cmdAggChiudi_Click);
}

bool EditMode::editing() {
    return SharedState::current().Operazione == qrvAggiornaTavoli;
}

void EditMode::attachButton(QPushButton *button, int index) {
    if (!button)
        return;
    button->setProperty(IndexProperty, index);
    button->installEventFilter(this); // installing twice keeps one filter
}

bool EditMode::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        break;
    default:
        return false;
    }
    if (watched == m_floor) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
            floorMouseDown(event);
        return false;
    }
    if (auto *button = qobject_cast<QPushButton *>(watched))
        buttonMouseEvent(button, event);
    return false; // the button still handles its press and release, so the click follows
}

bool EditMode::floorMouseDown(QEvent *event) {
    auto *mouse = static_cast<QMouseEvent *>(event);
    m_floor->frxAggiorna()->hide();
    if (mouse->button() != Qt::LeftButton || !editing())
        return false;
    SharedState &shared = SharedState::current();
    shared.TopNuovoTavolo = roundHalfEven(mouse->position().y() * TwipsPerPixel);
    shared.LeftNuovoTavolo = roundHalfEven(mouse->position().x() * TwipsPerPixel);
    m_menu->popup(mouse->globalPosition().toPoint());
    return true;
}

QPointF EditMode::pointerTwips(QPushButton *button, int index, const QPointF &local) const {
    // Relative to the button's stored position, not to its pixel-rounded place on screen.
    const QPointF onFloor = button->mapTo(m_floor, local);
    return QPointF(onFloor.x() * TwipsPerPixel - m_floor->leftTwips(index),
                   onFloor.y() * TwipsPerPixel - m_floor->topTwips(index));
}

void EditMode::buttonMouseEvent(QPushButton *button, QEvent *event) {
    bool ok = false;
    const int index = button->property(IndexProperty).toInt(&ok);
    if (!ok || m_floor->button(index) != button)
        return;
    auto *mouse = static_cast<QMouseEvent *>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        if (!editing())
            return;
        const QPointF at = pointerTwips(button, index, mouse->position());
        m_drag.press(index, at.x(), at.y());
        m_map.state().IndiceTavoloSelezionato = static_cast<qint16>(index);
        return;
    }
    case QEvent::MouseMove: {
        const QPointF at = pointerTwips(button, index, mouse->position());
        const DragStep step = m_drag.move(mouse->buttons(), at.x(), at.y());
        if (!step.moves())
            return;
        m_floor->moveTo(index, m_floor->topTwips(index) + step.dTop, m_floor->leftTwips(index) + step.dLeft);
        AllineaAggiorna(index);
        return;
    }
    case QEvent::MouseButtonRelease:
        if (m_drag.release()) {
            AllineaAggiorna(index);
            SalvaPosizionecmdArt(index);
        }
        return;
    default:
        return;
    }
}

int EditMode::floorWidthTwips() const {
    return twips(m_floor->width());
}

void EditMode::placeToolbox(const QPoint &twipsPos) {
    m_toolboxTw = twipsPos;
    m_floor->frxAggiorna()->move(px(twipsPos.x()), px(twipsPos.y()));
}

void EditMode::tableClicked(int index) {
    if (!editing() || !m_floor->button(index))
        return;
    m_map.state().IndiceTavoloSelezionato = static_cast<qint16>(index);
    MostraAggiorna(index, m_floor->topTwips(index), m_floor->leftTwips(index));
}

void EditMode::MostraAggiorna(int index, int top, int left) {
    Q_UNUSED(index);
    const int side = m_floor->sideTwips();
    placeToolbox(toolboxPosition(QRect(left, top, side, side), floorWidthTwips(), 100));
    m_floor->frxAggiorna()->show();
    m_floor->frxAggiorna()->raise();
}

void EditMode::AllineaAggiorna(int index) {
    const int side = m_floor->sideTwips();
    const QRect button(m_floor->leftTwips(index), m_floor->topTwips(index), side, side);
    placeToolbox(toolboxPosition(button, floorWidthTwips(), 0));
}

void EditMode::SalvaPosizionecmdArt(int index) {
    TableStore::savePosition(m_floor->tag(index), m_floor->topTwips(index), m_floor->leftTwips(index));
}

void EditMode::cmdAggChiudi_Click() {
    m_floor->frxAggiorna()->hide();
    m_floor->update();
}

bool EditMode::roomExists(qint32 codice) {
    if (codice < 1)
        return false;
    clsRecordset rs;
    rs.Apri(QStringLiteral("mnuNuovoBottone"), true,
            QStringLiteral("Select Codice from Sale Where Codice = %1;").arg(codice), false, true);
    // A failed read (the operator cancelled it) counts as no room: nothing is written blindly.
    const bool found = rs.Errore() == clsRecordset::Ok;
    rs.Chiudi();
    return found;
}

bool EditMode::showExistingRoom() {
    const int index = m_rooms->indexOf(m_map.state().SalaCorrente);
    if (index >= 0) {
        // The room may have moved up the bar when a room before it went.
        m_map.state().IndiceSalaCorrente = static_cast<qint16>(index);
        return true;
    }
    if (!m_map.selectRoom(0))
        return false;
    m_map.CaricaTavoli();
    return true;
}

void EditMode::mnuNuovoBottone() {
    SharedState &shared = SharedState::current();
    if (m_map.state().SalaCorrente < 1) {
        Avviso(QStringLiteral("Nessuna sala: creare una sala prima di aggiungere tavoli"), 1, 0, 1, true);
        return;
    }
    NewTableInsert rows;
    NewTable table;
    table.top = snapToGrid(shared.TopNuovoTavolo);
    table.left = snapToGrid(shared.LeftNuovoTavolo);
    table.codiceSala = m_map.state().SalaCorrente;

    shared.DescrizioneTavoloDati = QString();
    for (;;) {
        shared.NumeroTavoloDati = QString();
        frmDatiTavolo::mostra(frmDatiTavolo::Opening::NewTable);
        const QString numero = shared.NumeroTavoloDati;
        const NewTableNumber check =
            checkNewTableNumber(numero, [](const QString &n) { return TavoloPresente(n); });
        if (check == NewTableNumber::Reserved) {
            Avviso(QStringLiteral("Il numero 999 non è utiizzabile"), 2, 0, 1, true);
            continue;
        }
        if (check == NewTableNumber::Duplicate) {
            Avviso(QStringLiteral("Tavolo ") + numero + QStringLiteral(" già presente."), 1, 0, 1, true);
            continue;
        }
        if (check == NewTableNumber::Accepted) {
            // Another till may have deleted the room while the number was typed.
            if (!roomExists(table.codiceSala)) {
                rows.close();
                Avviso(QStringLiteral("La sala non esiste più: tavolo non creato"), 1, 0, 1, true);
                m_map.CaricaSale();
                if (!showExistingRoom())
                    newRoom();
                return;
            }
            table.numero = numero;
            table.descrizione = shared.DescrizioneTavoloDati;
            rows.insert(table);
        }
        break; // accepted, or abandoned by closing the form
    }
    rows.close();
    m_map.CaricaTavoli();
}

void EditMode::EliminaTavolo() {
    const int index = m_map.state().IndiceTavoloSelezionato;
    QPushButton *button = m_floor->button(index);
    if (!button)
        return;
    const int answer = MsgBox(QStringLiteral("Eliminare il tavolo ") + button->text() + QStringLiteral("?"),
                              MessageBox::vbYesNo + MessageBox::vbQuestion, QStringLiteral("ATTENZIONE"));
    if (answer != MessageBox::vbYes)
        return;
    TableStore::deleteTable(m_floor->tag(index));
    m_map.CaricaTavoli();
    m_floor->frxAggiorna()->hide();
}

void EditMode::cmdAggProprieta_Click() {
    const int index = m_map.state().IndiceTavoloSelezionato;
    QPushButton *button = m_floor->button(index);
    if (!button)
        return;
    TablePropertiesEdit edit;
    if (!edit.open(m_floor->tag(index)))
        return; // deleted at another till: nothing to show, nothing to write
    SharedState &shared = SharedState::current();
    shared.NumeroTavoloDati = edit.numero();
    shared.DescrizioneTavoloDati = edit.descrizione();
    frmDatiTavolo::mostra(frmDatiTavolo::Opening::ExistingTable);
    switch (edit.apply(shared.NumeroTavoloDati, shared.DescrizioneTavoloDati)) {
    case TablePropertiesEdit::Outcome::Written:
        button->setText(shared.NumeroTavoloDati);
        break;
    case TablePropertiesEdit::Outcome::TableGone:
        Avviso(QStringLiteral("Il tavolo è stato cancellato da un'altra postazione: modifiche non salvate"),
               1, 0, 1, true);
        break;
    case TablePropertiesEdit::Outcome::Unchanged:
    case TablePropertiesEdit::Outcome::Failed:
        break;
    }
    edit.close();
}

void EditMode::newRoom() {
    SharedState &shared = SharedState::current();
    shared.SalaInModifica = QString();
    shared.ModoSala = 1;
    frmSala::mostra();
    m_map.CaricaSale();
    // The room bar lists rooms by ascending Codice: after a save the new room is the last one.
    // With no room at all button 0 has no tag: room 0, an empty floor.
    const int last = static_cast<int>(m_rooms->roomButtons().size()) - 1;
    if (m_rooms->roomButtons().value(last, nullptr))
        m_map.cmdSala_Click(last);
    else
        m_map.CaricaTavoli();
}

void EditMode::editRoom(int index) {
    QPushButton *room = m_rooms->roomButtons().value(index, nullptr);
    if (!room)
        return;
    SharedState &shared = SharedState::current();
    shared.SalaInModifica = room->property("Tag").toString();
    shared.ModoSala = 2;
    frmSala::mostra();
    m_map.CaricaSale();
    // The room on show may be the one just deleted: the map moves to an existing room, and with
    // none left it asks for a new one, as the start-up does.
    if (!showExistingRoom())
        newRoom();
}

} // namespace qrv
