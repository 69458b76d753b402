#pragma once

#include <QObject>

namespace qrv {

class ChangeNotifier;
class MapActions;
class OrderLines;
class ReceiptPanel;
class RoomBar;
class TableFloor;

/**
 * Quick-add of the preset article, removing a unit or a line, emptying a table. Each writes to
 * the database at once (with its journal row when the database keeps a journal), tells the other
 * tills' maps once committed, and then redraws the receipt panel. Connects itself to
 * cmdAggiungiArticolo, cmdCancSelezionato and cmdAzzeraTavolo.
 */
class LineEditing : public QObject {
    Q_OBJECT
public:
    /** Acts on the table selected on map; each committed change is announced through changes. */
    LineEditing(MapActions &map, RoomBar *rooms, TableFloor *floor, ReceiptPanel *receipt,
                ChangeNotifier *changes, QObject *parent);

    /** Adds one unit of ArticoloAggiunta to the selected table; nothing when the panel is hidden. */
    void cmdAggiungiArticolo_Click();
    /**
     * Removes one unit of the touched grid row, or the whole line with its variant lines when one
     * unit is left; empties and frees the table when no row remains. Variant rows are never removed
     * on their own.
     */
    void cmdCancSelezionato_Click();
    /** Asks, then empties the selected table. */
    void cmdAzzeraTavolo_Click();
    /**
     * Deletes the selected table's lines and frees it (one transaction), redraws the panel as a
     * touch on the table does, and tells the operator; nothing for index −1.
     */
    void AzzeraTavolo();

private:
    /** The selected table's Codice as a number; false when its tag is not one. */
    bool selectedTable(qint64 &tavolo, QString &codice) const;
    /** The selected table's number as its button shows it. */
    QString selectedNumero() const;
    /** The edits on the shared database, journaled under this till's code. */
    OrderLines orderLines() const;
    /** Tells the other tills' maps that the selected table changed (after a commit only). */
    void announce() const;

    MapActions &m_map;
    RoomBar *m_rooms;
    TableFloor *m_floor;
    ReceiptPanel *m_receipt;
    ChangeNotifier *m_changes;
};

} // namespace qrv
