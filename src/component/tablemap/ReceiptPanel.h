#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace qrv {

class Grid;
struct ReceiptRow;

/**
 * The receipt panel (frxScontrino): the selected table's title, its order lines in the grid,
 * the total, and the command buttons of a free or an occupied table. The commands themselves
 * are connected by their handlers; this panel only shows and hides them.
 */
class ReceiptPanel : public QFrame {
    Q_OBJECT
public:
    explicit ReceiptPanel(QWidget *parent = nullptr);

    /** Back to the design state of a fresh load (captions as designed, panel hidden). */
    void resetToDesign();
    /** Empties the grid and the total, hides the table commands and clears IdDettSelezionati. */
    void PulisciScontrino();
    /** Shows a free table: its title, "Nessun ordine" and the opening commands. */
    void showFreeTable(const QString &caption);
    /**
     * Shows table codice (captioned caption), which the caller found occupied. A table found free
     * meanwhile gives the notice "Il tavolo non è occupato" and hides the panel; a table no longer
     * there leaves the panel as it was. Nothing is shown for an empty code.
     */
    void cmdConsulta(const QString &codice, const QString &caption, bool quickAdd);
    /** Fills the grid, the total and IdDettSelezionati with the lines of table codice. */
    void MostraScontrino(const QString &codice, bool quickAdd);
    /** Shows cmdCancSelezionato when the grid's current row is a deletable order line. */
    void updateDeleteButton();
    void pageDown();
    void pageUp();

    Grid *grid() const { return m_grid; }
    QLabel *lblTavoloAnteprima() const { return m_titolo; }
    QLabel *lblTotale() const { return m_totale; }
    QPushButton *cmdCancSelezionato() const { return m_cancSelezionato; }
    QPushButton *cmdPaginaSu() const { return m_paginaSu; }
    QPushButton *cmdPaginaGiu() const { return m_paginaGiu; }
    QPushButton *cmdNuovoConto() const { return m_nuovoConto; }
    QPushButton *cmdNuovoContoWeb() const { return m_nuovoContoWeb; }
    QPushButton *cmdAggiungiOrdine() const { return m_aggiungiOrdine; }
    QPushButton *cmdContoSubito() const { return m_contoSubito; }
    QPushButton *cmdContiSeparati() const { return m_contiSeparati; }
    QPushButton *cmdPreconto() const { return m_preconto; }
    QPushButton *cmdPortaAlBanco() const { return m_portaAlBanco; }
    QPushButton *cmdSposta() const { return m_sposta; }
    QPushButton *cmdAzzeraTavolo() const { return m_azzeraTavolo; }
    /** The quick-add button lives in the room bar; the panel shows and hides it with the others. */
    void setQuickAddButton(QPushButton *button) { m_aggiungiArticolo = button; }

private:
    void addRow(const ReceiptRow &row);
    /** The commands of an occupied table; the quick-add button only when quickAdd. */
    void showOccupiedCommands(bool quickAdd);
    QPushButton *command(const char *name, const QString &caption, int l, int t, int w, int h,
                         const QColor &colour);

    QLabel *m_titolo = nullptr;
    Grid *m_grid = nullptr;
    QLabel *m_totale = nullptr;
    QPushButton *m_cancSelezionato = nullptr;
    QPushButton *m_paginaSu = nullptr;
    QPushButton *m_paginaGiu = nullptr;
    QPushButton *m_nuovoConto = nullptr;
    QPushButton *m_nuovoContoWeb = nullptr;
    QPushButton *m_aggiungiOrdine = nullptr;
    QPushButton *m_contoSubito = nullptr;
    QPushButton *m_contiSeparati = nullptr;
    QPushButton *m_preconto = nullptr;
    QPushButton *m_portaAlBanco = nullptr;
    QPushButton *m_sposta = nullptr;
    QPushButton *m_azzeraTavolo = nullptr;
    QPushButton *m_aggiungiArticolo = nullptr;
};

} // namespace qrv
