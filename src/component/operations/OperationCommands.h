#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace qrv {

class MapActions;
class ReceiptPanel;
class RoomBar;
class TableFloor;

/**
 * The commands of the receipt panel and the room bar that end the map with an operation for
 * the host (open, web open, add order, bill, pre-bill, to the counter, separate bills, counter sale).
 * Connects itself to the command buttons of the receipt panel and the room bar. None of them
 * writes to the database.
 */
class OperationCommands : public QObject {
    Q_OBJECT
public:
    /** Connects to the command buttons of rooms and receipt; acts on the table selected on map. */
    OperationCommands(MapActions &map, RoomBar *rooms, TableFloor *floor, ReceiptPanel *receipt,
                      QObject *parent);

    void cmdNuovoConto_Click();
    void cmdNuovoContoWeb_Click();
    void cmdAggiungiOrdine_Click();
    void cmdContoSubito_Click();
    /** Refused in the consult context when another till has freed the table meanwhile. */
    void cmdPortaAlBanco_Click();
    /** Refused in the consult context when another till has freed the table meanwhile. */
    void cmdPreconto_Click();
    /**
     * Shows the separate-bill screen for the table; closes the map when a choice was confirmed
     * there, otherwise redraws the receipt and keeps the map open.
     */
    void cmdContiSeparati_Click();
    void cmdBancoTavoli_Click();

private:
    /** The Codice of the selected table button (its tag). */
    QString codice() const;
    /** Writes the outcome the host reads; a value left out keeps what it holds. */
    static void choose(const QString &tavolo, qint32 operazione, std::optional<bool> contoSubito = {},
                       std::optional<bool> contoSeparato = {}, std::optional<bool> ordineDaWeb = {});
    /** True when the consult context refuses a table that is not occupied (the notice is shown). */
    bool refusedInConsultation(const QString &codice) const;

    MapActions &m_map;
    TableFloor *m_floor;
};

} // namespace qrv
