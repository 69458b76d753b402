#pragma once

#include <QObject>

namespace qrv {

class frmTavoli;

/**
 * Quick-add of the preset article, removing a unit or a line, emptying a table. Each writes to
 * the database at once and then redraws the receipt panel. Connects itself to cmdAggiungiArticolo,
 * cmdCancSelezionato and cmdAzzeraTavolo.
 */
class LineEditing : public QObject {
    Q_OBJECT
public:
    explicit LineEditing(frmTavoli *form);

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

    frmTavoli *m_form;
};

} // namespace qrv
