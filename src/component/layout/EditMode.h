#pragma once

#include "core/layout/TableDrag.h"

#include <QObject>
#include <QPoint>

class QMenu;
class QAction;
class QPushButton;

namespace qrv {

class MapActions;
class RoomBar;
class TableFloor;

/**
 * The floor-plan editor's reactions on the map: dragging table buttons, the toolbox beside a
 * touched table, the pop-up that creates a table on the empty floor, the room editor commands.
 * Every reaction first checks that the map is in layout-editing mode (Operazione 2).
 *
 * Positions are the stored twips that the floor keeps for each button; pointer positions are
 * converted to twips of the floor and taken relative to the button's stored position, so
 * 200-twip steps stay exact although a step is not a whole number of pixels.
 */
class EditMode : public QObject {
    Q_OBJECT
public:
    /** Watches floor and the room edit buttons of rooms; reloads them through map after a change. */
    EditMode(MapActions &map, RoomBar *rooms, TableFloor *floor, QObject *parent);

    /** The map made (or reused) table button index; edit mode watches its mouse events. */
    void attachButton(QPushButton *button, int index);
    /** A table button was clicked in layout-editing mode: the toolbox is shown beside it. */
    void tableClicked(int index);
    /**
     * Opens the room editor for a new room (also when the venue has no room yet), then rebuilds
     * the room bar and shows its last room (the new one after a save).
     */
    void newRoom();
    /**
     * Opens the room editor on the room of room button index, then rebuilds the room bar. When the
     * room on show was deleted the map shows the first room, or opens the editor for a new room
     * when none is left.
     */
    void editRoom(int index);

    /** MostraAggiorna: shows the toolbox beside button index, whose top and left are given in twips. */
    void MostraAggiorna(int index, int top, int left);
    /** AllineaAggiorna: moves the toolbox to follow button index (flush left); visibility unchanged. */
    void AllineaAggiorna(int index);
    /** SalvaPosizionecmdArt: stores button index's position in its table's row. */
    void SalvaPosizionecmdArt(int index);
    /**
     * Creates a table at the point last touched on the floor (snapped), asking its number. Nothing
     * is written when the room on show does not exist (none yet, or deleted at another till).
     */
    void mnuNuovoBottone();
    /** Deletes the table of the selected button after a Yes to the question. */
    void EliminaTavolo();
    /** Edits the description of the table of the selected button through the table data form. */
    void cmdAggProprieta_Click();
    /** Hides the toolbox. */
    void cmdAggChiudi_Click();

    /** Where the toolbox stands, in twips of the floor. */
    QPoint toolboxTwips() const { return m_toolboxTw; }
    QMenu *mnuPopup() const { return m_menu; }
    const TableDrag &drag() const { return m_drag; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static bool editing();
    /** True when the room is in the database; false also when it cannot be read. */
    static bool roomExists(qint32 codice);
    /**
     * After the room bar was rebuilt: keeps the room on show when it is still there, else shows
     * the first room. False when the bar has no room.
     */
    bool showExistingRoom();
    void buildToolbox();
    void placeToolbox(const QPoint &twipsPos);
    bool floorMouseDown(QEvent *event);
    void buttonMouseEvent(QPushButton *button, QEvent *event);
    QPointF pointerTwips(QPushButton *button, int index, const QPointF &local) const;
    int floorWidthTwips() const;

    MapActions &m_map;
    RoomBar *m_rooms;
    TableFloor *m_floor;
    TableDrag m_drag;
    QPoint m_toolboxTw;
    QMenu *m_menu = nullptr;
    QAction *m_nuovoTavolo = nullptr;
    QPushButton *m_cmdAggEliminaBottone = nullptr;
    QPushButton *m_cmdAggProprieta = nullptr;
    QPushButton *m_cmdAggChiudi = nullptr;
};

} // namespace qrv
