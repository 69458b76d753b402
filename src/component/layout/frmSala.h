#pragma once

#include "core/layout/RoomStore.h"

#include <QDialog>
#include <QVector>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qrv {

class TouchKeyboard;

/**
 * The room form: name, background image from SfondiSale and background colour of a room, for a
 * new room (ModoSala 1 or no SalaInModifica) or the room SalaInModifica; "Cancella" deletes the
 * room with its tables. One instance per thread, created on first use; every show loads it again.
 */
class frmSala : public QDialog {
    Q_OBJECT
public:
    explicit frmSala(QWidget *parent = nullptr);

    /** The calling thread's form, created on first use. */
    static frmSala *current();
    /** Loads the form and shows it modally; returns when it closes. */
    static void mostra();

    /** Lists the images, fixes the mode from SalaInModifica and ModoSala and fills the controls. */
    void Form_Load();
    /** Saves the room (a name is required) and closes; a room deleted meanwhile is not written. */
    void cmdSalva_Click();
    /** Asks, then deletes the room and its tables and closes. */
    void cmdCancella_Click();
    void cmdSpegni_Click();
    void cmdColore_Click();
    void cmdAnnullaColore_Click();
    void picColore_Click(int index);

    /** The colour that "Salva" stores (ColoreScelto). */
    qint32 ColoreScelto() const { return m_coloreScelto; }
    bool isNewRoom() const { return m_room.isNew(); }

    QLabel *lblTitolo() const { return m_lblTitolo; }
    QLineEdit *txtDescrizione() const { return m_txtDescrizione; }
    QComboBox *cboSfondi() const { return m_cboSfondi; }
    QPushButton *cmdColore() const { return m_cmdColore; }
    QPushButton *cmdCancella() const { return m_cmdCancella; }
    QPushButton *cmdSalva() const { return m_cmdSalva; }
    QPushButton *cmdSpegni() const { return m_cmdSpegni; }
    QGroupBox *fraColore() const { return m_fraColore; }
    QPushButton *picColore(int index) const;
    QPushButton *cmdAnnullaColore() const { return m_cmdAnnullaColore; }
    TouchKeyboard *ctlTastiera2() const { return m_tastiera; }

protected:
    void done(int result) override;

private:
    void buildPalette();

    RoomEdit m_room; ///< rsSala
    qint32 m_coloreScelto = 0;
    QLabel *m_lblTitolo = nullptr;
    QLineEdit *m_txtDescrizione = nullptr;
    QComboBox *m_cboSfondi = nullptr;
    QPushButton *m_cmdColore = nullptr;
    QPushButton *m_cmdCancella = nullptr;
    QPushButton *m_cmdSalva = nullptr;
    QPushButton *m_cmdSpegni = nullptr;
    QGroupBox *m_fraColore = nullptr;
    QVector<QPushButton *> m_picColore;
    QPushButton *m_cmdAnnullaColore = nullptr;
    TouchKeyboard *m_tastiera = nullptr;
};

} // namespace qrv
