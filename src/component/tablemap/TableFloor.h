#pragma once

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QPoint>
#include <QVector>
#include <QWidget>

class QFrame;
class QLabel;
class QPushButton;

namespace qrv {

struct DatiSala;
namespace dao {
class Recordset;
}

/**
 * The floor of the map (fraTavoli): the room's background picture and colour, and one square
 * button per table at its stored position with the table's description under it.
 *
 * The first 18 buttons (0 to 17) and their labels are permanent and reused for every room;
 * buttons beyond them exist only while the room on show has a table for them: a load creates
 * those it lacks, reuses those it has and destroys the rest.
 * Positions are kept in twips, as stored, and converted to pixels only to place the widgets,
 * so that 200-twip drag steps never lose precision.
 */
class TableFloor : public QWidget {
    Q_OBJECT
public:
    static constexpr int PermanentButtons = 18;

    explicit TableFloor(QWidget *parent = nullptr);

    /** Back to the design state of a fresh load: every button hidden, without caption or table. */
    void resetToDesign();

    /**
     * CaricaTavoli: applies the room look (look may be nullptr: no picture, default grey) and places
     * the tables of room sala on buttons 0 up; every other button is hidden, and those above the
     * permanent ones are destroyed. A read that fails part way leaves the tables read so far.
     * Labels stay hidden when showLabels is false (layout editing).
     */
    void CaricaTavoli(qint32 sala, const DatiSala *look, const QString &appPath, bool showLabels);
    /** Recolours the visible button carrying codice; returns its index, -1 when none was refreshed. */
    int RefreshTavoloCodice(const QString &codice);
    /** Recolours the visible button captioned numero (trimmed); returns its index or -1. */
    int RefreshTavolo(const QString &numero);
    /**
     * One periodic refresh of the tables of room sala; captions and positions stay. Does nothing
     * while another read of the floor is running (its failure box may be up: a nested tick or
     * notification must not stack a second one). Once the operator has cancelled a failure box of
     * the floor, later refreshes fail quietly until one succeeds: the mark tells the story.
     */
    void refreshRoom(qint32 sala);

    /**
     * lblMappaNonAggiornata: the mark shown across the top of the floor while the map is not
     * current (a read of the floor failed and the operator cancelled); the next load or periodic
     * refresh that succeeds removes it. Touches pass through it to the tables.
     */
    QLabel *lblMappaNonAggiornata() const { return m_lblMappaNonAggiornata; }

    int count() const { return static_cast<int>(m_buttons.size()); }
    QPushButton *button(int i) const;
    QLabel *label(int i) const;
    const QVector<QPushButton *> &buttons() const { return m_buttons; }
    const QVector<QLabel *> &labels() const { return m_labels; }
    QString tag(int i) const;
    int topTwips(int i) const;
    int leftTwips(int i) const;
    /** Moves button i (and its label under it) to a position in twips. */
    void moveTo(int i, int topTw, int leftTw);
    int sideTwips() const { return m_side; }
    /** Resizes every button to a square of sideTw twips; positions stay, labels follow. */
    void setSide(int sideTw);
    /** IndiceTavoli: the button of a table code of the loaded room, -1 when unknown. */
    int indexOf(qint32 codice) const { return m_index.value(codice, -1); }

    QLabel *lblAggiungi() const { return m_lblAggiungi; }
    QFrame *frxAggiorna() const { return m_frxAggiorna; }
    QColor floorColour() const { return m_colour; }
    bool hasPicture() const { return !m_picture.isNull(); }

signals:
    void tableClicked(int index);
    /**
     * Button index has been placed for a table for the first time since it was created; a load
     * that reuses it for another table does not announce it again.
     */
    void buttonPlaced(QPushButton *button, int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    /** Shows or removes the not-current mark; a failure also makes later periodic refreshes quiet. */
    void setMapCurrent(bool current);
    /**
     * Positions of the columns of Tavoli the floor reads, found once per read; -1 for a missing
     * one, which is then reported by name when it is read.
     */
    struct Columns {
        int codice = -1, numero = -1, descrizione = -1, occupato = -1, top = -1, left = -1;
        static Columns of(const dao::Recordset &row);
    };
    /** What the floor shows of one row of Tavoli. */
    struct TableRow {
        qint32 codice = 0;
        int top = 0, left = 0; ///< twips
        QString numero, descrizione;
        bool occupato = false;
        static TableRow of(const dao::Recordset &row, const Columns &columns);
    };
    /** Changed widgets on a load up to which the floor stays on the screen while it changes. */
    static constexpr int FewChanges = 16;

    void addButton();
    /** How many buttons and labels a load of rows would change (create, show, hide, move, recolour, retitle).
     */
    int changesFor(const QVector<TableRow> &rows, bool showLabels) const;
    /**
     * Puts the table of row on button i, changing only what differs from what the button shows:
     * every change to a visible widget costs an update and an accessibility event.
     */
    void placeTable(int i, const TableRow &row, bool showLabels);
    /** Hides the buttons from first on; those above the permanent ones are destroyed. */
    void dropButtonsFrom(int first);
    /** Colour and description of button i from a row of Tavoli. */
    void applyRow(int i, const dao::Recordset &row, const Columns &columns);
    void applyState(int i, bool occupato, const QString &descrizione);
    /** Rereads the table of button i; false when its row is gone. */
    bool refreshButton(int i, const QString &routine);
    void placeLabel(int i);
    /**
     * A button or label wholly outside the floor cannot be seen: its updates are held off until it
     * comes into sight, so that changing it queues no repaint (every queued repaint is checked
     * against all the floor's other buttons and labels, which made a large room slow).
     */
    void holdOffIfUnseen(QWidget *w) const;
    static void discard(QWidget *w, bool inUse);

    QVector<QPushButton *> m_buttons;
    QVector<QLabel *> m_labels;
    QVector<QPoint> m_pos; ///< x = Left, y = Top, twips
    QVector<QString> m_tags;
    QVector<bool> m_announced; ///< buttonPlaced has been emitted for the button of this index
    QHash<qint32, int> m_index;
    int m_side;
    QPixmap m_picture;
    QColor m_colour;
    QLabel *m_lblAggiungi = nullptr;
    QFrame *m_frxAggiorna = nullptr;
    int m_clicking = -1; ///< the button whose click is being handled
    QLabel *m_lblMappaNonAggiornata = nullptr;
    bool m_reading = false;          ///< a read of the floor is running (its failure box may be up)
    bool m_failureCancelled = false; ///< a failed read was cancelled; refreshes are quiet until one succeeds
};

} // namespace qrv
