#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace qrv {

class TouchKeyboard;

/**
 * The table data form: number and description of a table, typed on the on-screen keyboard.
 * It exchanges its data with the caller through NumeroTavoloDati and DescrizioneTavoloDati:
 * "Salva" overwrites both with valid data and closes; "X" closes and leaves both as they were.
 * One instance per thread, created on first use; every show loads it again.
 */
class frmDatiTavolo : public QDialog {
    Q_OBJECT
public:
    /** How the form opens. */
    enum class Opening {
        FromData,      ///< an existing table when NumeroTavoloDati is not empty, else a new one
        NewTable,      ///< "NUOVO TAVOLO", the number box empty and editable
        ExistingTable, ///< "TAVOLO n", the number box read-only, even when the stored number is empty
    };

    explicit frmDatiTavolo(QWidget *parent = nullptr);

    /** The calling thread's form, created on first use. */
    static frmDatiTavolo *current();
    /** Loads the form and shows it modally; returns when it closes. */
    static void mostra(Opening how = Opening::FromData);

    /** Fills the controls from NumeroTavoloDati and DescrizioneTavoloDati. */
    void Form_Load(Opening how);
    /**
     * Checks the number (and that neither box holds a NUL character); valid data goes to the
     * shared pair and the form closes.
     */
    void cmdSalva_Click();
    /** Closes without touching the shared pair. */
    void cmdSpegni_Click();

    QLabel *lblTitolo() const { return m_lblTitolo; }
    QLineEdit *txtNumero() const { return m_txtNumero; }
    QLineEdit *txtDescrizione() const { return m_txtDescrizione; }
    QPushButton *cmdSalva() const { return m_cmdSalva; }
    QPushButton *cmdSpegni() const { return m_cmdSpegni; }
    TouchKeyboard *ctlTastiera2() const { return m_tastiera; }

private:
    /** Shows notice, paints box yellow and gives it the focus; the form stays open. */
    void refuse(QLineEdit *box, const QString &notice);
    void refuseNumber(const QString &notice);

    QLabel *m_lblTitolo = nullptr;
    QLineEdit *m_txtNumero = nullptr;
    QLineEdit *m_txtDescrizione = nullptr;
    QPushButton *m_cmdSalva = nullptr;
    QPushButton *m_cmdSpegni = nullptr;
    TouchKeyboard *m_tastiera = nullptr;
};

} // namespace qrv
