#pragma once

#include "core/separatebills/PersonSplit.h"

#include <QDialog>
#include <QVector>

class QFrame;
class QLabel;
class QPushButton;

namespace qrv {

class Grid;

/**
 * The separate-bill screen: one grid row per unit of the table's order, marked by touch, with
 * the total of the marked units and an even per-person split of the whole bill. "CONTANTE" and
 * "PORTA  AL  BANCO" hand the marked identifiers to the host in IdDettSelezionati (with
 * ContoSeparato true and ContoSubito true or false); "X" cancels (ContoSeparato false).
 *
 * It reads TavoloScelto from the shared state; "999" means the client bill of IdContoCliente.
 * One instance per thread, created on first use and reused; every show loads it again from the
 * database.
 */
class frmContiSeparati : public QDialog {
    Q_OBJECT
public:
    explicit frmContiSeparati(QWidget *parent = nullptr);
    ~frmContiSeparati() override;

    /** The calling thread's form, created on first use. */
    static frmContiSeparati *instance();

    /**
     * Loads the order of TavoloScelto and shows the screen modally; returns when it closes. Every
     * close but a confirm ends as "X" does: ContoSeparato false, IdDettSelezionati "".
     */
    void showModal();

    /**
     * Fills the screen from the database as every show does: the unit rows of TavoloScelto (of
     * IdContoCliente for "999"), the totals, the heading and the keypad prompt, nothing marked.
     */
    void Form_Load();

protected:
    /** Escape does not close the screen: only "X" cancels, clearing ContoSeparato. */
    void keyPressEvent(QKeyEvent *event) override;

private:
    void MostraScontrino(const QString &T);
    void AggiornaSelezione();
    void gridScontrino_Click();
    void cmdSelTutto_Click();
    void cmdSpegni_Click();
    /** What "X" leaves: no lines chosen, no separate bill; ContoSubito stays as the caller set it. */
    static void cancel();
    void cmdtastierino_Click(int index);
    /** CONTANTE (payNow) and PORTA  AL  BANCO: close with the marked rows, or ask for one. */
    void confirm(bool payNow);
    void setMarked(int row, bool marked);
    void repaintGrid();
    /** The height of a grid row showing description in the first column, in pixels. */
    int rowHeightFor(const QString &description) const;
    void buildLayout();

    QLabel *m_title = nullptr;
    QPushButton *m_cmdSpegni = nullptr;
    QFrame *m_frxScontrino = nullptr;
    QLabel *m_lblTavolo = nullptr;
    Grid *m_gridScontrino = nullptr;
    QLabel *m_totalCaption = nullptr;
    QLabel *m_lblTotale = nullptr;
    QPushButton *m_cmdSelTutto = nullptr;
    QLabel *m_selectedCaption = nullptr;
    QLabel *m_lblTotaleSel = nullptr;
    QPushButton *m_cmdPortaAlBanco = nullptr;
    QPushButton *m_cmdContoSubito = nullptr;
    QLabel *m_lblMessaggio = nullptr;
    QLabel *m_lblRomana = nullptr;
    QVector<QPushButton *> m_cmdtastierino;

    /** NumeroPersone, the digits typed on the keypad, and the split it shows. */
    separatebills::PersonSplit m_split;
};

} // namespace qrv
