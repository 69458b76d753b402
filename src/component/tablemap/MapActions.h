#pragma once

#include "component/tablemap/MapState.h"

#include <QString>

namespace qrv {

/**
 * What the command handlers may ask of the map beyond its panels: the routines that coordinate
 * several panels, the timers or the ending of the show. The handlers reach the room bar, the floor
 * and the receipt panel directly; through this they reach only what no single panel can do alone.
 */
class MapActions {
public:
    virtual ~MapActions() = default;

    /** The map's own values: the selected table, the room on show, the quick-add article. */
    virtual TavoliFormState &state() = 0;
    /** The till's code as the settings gave it at the last load, trimmed (for the journal). */
    virtual QString codiceCassa() const = 0;
    /** Rebuilds the room bar from the database; the room on show does not change. */
    virtual void CaricaSale() = 0;
    /** Rebuilds the floor for the room on show (any blink ends, the receipt panel hides). */
    virtual void CaricaTavoli() = 0;
    /** Makes the room with Codice codice (else the first room) the room on show; false with no room. */
    virtual bool selectRoom(qint32 codice) = 0;
    /** Makes room button index the room on show and rebuilds the floor, as a touch on it does. */
    virtual void cmdSala_Click(int index) = 0;
    /** Redraws the receipt panel with the lines of table codice. */
    virtual void MostraScontrino(const QString &codice) = 0;
    /** Reacts as to a touch on table button index (the receipt of a free or occupied table). */
    virtual void tableButtonClicked(int index) = 0;
    /** Ends the show with the outcome the handler has written; the modal show returns. */
    virtual void finish() = 0;
};

} // namespace qrv
