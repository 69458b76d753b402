#pragma once

#include "component/tablemap/MapActions.h"
#include "component/tablemap/NotificationReceiver.h"
#include "component/tablemap/ReceiptPanel.h"
#include "component/tablemap/RoomBar.h"
#include "component/tablemap/TableFloor.h"

#include <QDialog>
#include <QString>
#include <QVector>

class QLabel;
class QTimer;
class QWidget;

namespace qrv {

class ChangeNotifier;
class OperationCommands;
class LineEditing;
class MoveOrder;
class EditMode;

/**
 * The full-screen table map, shown modally, frameless at the top-left corner of the screen. It
 * coordinates the room bar (fraSale), the floor of table buttons (fraTavoli) and the receipt panel
 * (frxScontrino), and gives the command handlers of the operations and layout folders those
 * panels and itself as their MapActions.
 *
 * Every exec() loads the form again (rooms, floor, settings); every way of closing it (finish(),
 * the window manager) runs the unload steps, which store the room on show in Sala. A close that
 * no command made hands the host no operation: the outcome is that of a new clsTavoli.
 */
class frmTavoli : public QDialog, public MapActions {
    Q_OBJECT
public:
    explicit frmTavoli(QWidget *parent = nullptr);
    ~frmTavoli() override;

    /** The calling thread's map, created on first use and kept for the thread's life. */
    static frmTavoli *current();

    /** Loads the form (the whole start-up) and shows it modally; returns when it unloads. */
    int exec() override;

    /** The start-up: settings, sizes, room bar, room to open, timers, socket, floor. */
    void Form_Load();
    /** Preselects TavoloScelto on the first activation after a load; later calls do nothing. */
    void Form_Activate();
    /** Stores the room on show in Sala and, in layout-editing mode, the big-buttons setting. */
    void Form_Unload();
    /** Ends the map: unload steps, then the modal show returns. Used by every ending command. */
    void finish() override;
    /**
     * Makes the room with Codice codice the room on show (title and form state, not the floor);
     * when no room button carries it, the first room. False, with nothing changed, when the room
     * bar has no room at all.
     */
    bool selectRoom(qint32 codice) override;
    /** True when the last show was ended by finish(), false when the window was closed otherwise. */
    bool endedByCommand() const { return m_endedByCommand; }
    /** True between a load and the unload. */
    bool isLoaded() const { return m_loaded; }

    TavoliFormState &state() override { return m_state; }
    const TavoliFormState &state() const { return m_state; }
    /** The till's code as the settings give it at load (CodiceCassa), trimmed. */
    QString codiceCassa() const override { return m_codiceCassa; }
    /** IndiceTavoli: the button index of a table Codice of the room on show, -1 when unknown. */
    int indiceTavolo(qint32 codice) const { return m_floor->indexOf(codice); }

    // The panels the map is made of; their controls are found by objectName.
    /** The floor holding the table buttons; positions on it are the stored twips. */
    TableFloor *fraTavoli() const { return m_floor; }
    /** The receipt panel with the order of the touched table and its commands. */
    ReceiptPanel *frxScontrino() const { return m_receipt; }

    // Handlers of the operations and layout folders.
    LineEditing *lineEditing() const { return m_lineEditing; }
    MoveOrder *moveOrder() const { return m_moveOrder; }
    EditMode *editMode() const { return m_editMode; }

    // Routines.
    /** Rebuilds the room bar and DatiSale; does not change the room on show. */
    void CaricaSale() override;
    /** Rebuilds the floor for SalaCorrente: buttons, labels, IndiceTavoli, room look. */
    void CaricaTavoli() override;
    /** Recolours the visible button whose tag is codice; nothing when none is visible. */
    void RefreshTavoloCodice(const QString &codice);
    /** Recolours the visible button captioned numero (trimmed); blinks it when mostra. */
    void RefreshTavolo(const QString &numero, bool mostra);
    /** Empties the grid and the total, hides the table commands, clears IdDettSelezionati. */
    void PulisciScontrino();
    /** Shows the table of button IndiceTavoloSelezionato, which the caller found occupied. */
    void cmdConsulta();
    /** As cmdConsulta() after selecting button index. */
    void cmdConsulta(int index);
    /** Fills the grid, total and IdDettSelezionati with the lines of table codice. */
    void MostraScontrino(const QString &codice) override;
    /** The click on table button index (edit mode, a waiting move, or the receipt panel). */
    void tableButtonClicked(int index) override;
    /** The click on room button index: makes it the room on show and rebuilds the floor. */
    void cmdSala_Click(int index) override;
    void chkBottoniGrandiTavolo_Click();
    void gridScontrino_RowTouched();
    void cmdPaginaSu_Click();
    void cmdPaginaGiu_Click();

    /** Starts blinking button index (shows the previous blinking button again first). */
    void AvviaLampeggio(int index);
    /** Ends any blinking and restarts the periodic refresh. */
    void FermaLampeggio();
    void TimerRefresh_Timer();
    void TimerLampeggio_Timer();
    void timerOrologio_Timer();
    /** Handles one notification payload (table numbers separated by ";"). */
    void notificationReceived(const QByteArray &payload);

signals:
    /** The room bar has been rebuilt. */
    void roomsLoaded();
    /** The floor has been rebuilt for the room on show. */
    void tablesLoaded();

public:
    /**
     * Closes the form the way the window manager does; the unload steps run first. Unless a
     * command ended the show (finish()), the outcome is cleared to that of a new clsTavoli.
     */
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    /** The outcome a new clsTavoli has: no table, no operation, no bill flags, no lines. */
    static void clearOutcome();
    void buildHeader();
    void connectControls();
    void applyButtonSize();
    QString settingsFile() const;

    TavoliFormState m_state;
    bool m_loaded = false;
    bool m_endedByCommand = false;
    QString m_codiceCassa;

    RoomBar *m_roomBar = nullptr;
    TableFloor *m_floor = nullptr;
    ReceiptPanel *m_receipt = nullptr;
    NotificationReceiver *m_notify = nullptr;
    ChangeNotifier *m_changes = nullptr;

    QWidget *m_picTitolo = nullptr;
    QLabel *m_lblTitolo = nullptr;
    QLabel *m_lblApplicazione = nullptr;
    QLabel *m_lblDataOra = nullptr;
    QLabel *m_lblCassa = nullptr;

    QTimer *m_timerRefresh = nullptr;
    QTimer *m_timerLampeggio = nullptr;
    QTimer *m_timerOrologio = nullptr;

    OperationCommands *m_operationCommands = nullptr;
    LineEditing *m_lineEditing = nullptr;
    MoveOrder *m_moveOrder = nullptr;
    EditMode *m_editMode = nullptr;
};

} // namespace qrv
