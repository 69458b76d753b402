#pragma once

#include <QObject>
#include <QString>

class QTimer;

namespace qrv {

class ChangeNotifier;
class MapActions;
class ReceiptPanel;
class TableFloor;

/**
 * Moving a table's whole order to another table touched within 7 seconds (cmdSposta, TimerSPOSTA,
 * SpostaTavolo). The move itself runs under the sales lock file in one transaction (OrderMove).
 * Connects itself to cmdSposta and owns TimerSPOSTA.
 */
class MoveOrder : public QObject {
    Q_OBJECT
public:
    /** Connects to receipt's cmdSposta; a committed move is announced through changes. */
    MoveOrder(MapActions &map, TableFloor *floor, ReceiptPanel *receipt, ChangeNotifier *changes,
              QObject *parent);

    /** True while the map waits for the destination table (SpostamentoInCorso). */
    bool waiting() const { return m_waiting; }
    /**
     * The operator touched table button index while waiting: moves the order there, then back to
     * idle. Touching the source table itself only cancels the move.
     */
    void destinationClicked(int index);
    /** Back to idle without moving anything (the map is loading or closing). */
    void reset();

    /** Starts a move for the selected table, or cancels the waiting one ("ANNULLA SPOSTA"). */
    void cmdSposta_Click();
    /** End of the waiting window, cancel and reset: clears the move state, caption "SPOSTA". */
    void TimerSPOSTA_Timer();
    /**
     * Moves CodiceTavoloDaSpostare to CodiceTavoloDestinazione (journaled with it when the database
     * keeps a journal); once committed, tells the other tills' maps "source;destination", then
     * rebuilds the floor.
     */
    void SpostaTavolo();

    QTimer *TimerSPOSTA() const { return m_timer; }
    qint64 CodiceTavoloDaSpostare() const { return m_source; }
    qint64 CodiceTavoloDestinazione() const { return m_destination; }
    QString DescrizioneTavoloDaSpostare() const { return m_description; }

    /**
     * Scales every waiting time of the move (the 7000 ms window, the pause between lock attempts,
     * the delay before asking whether to keep waiting for the lock) by factor; 1 in service.
     */
    static void setTimeScale(double factor);
    /** The waiting window in milliseconds: 7000 times the scale. */
    static int destinationWindowMs();
    /** How long the lock is waited for before the operator is asked: 3000 ms times the scale. */
    static int lockQuestionAfterMs();

private:
    /** Waits for the sales lock without freezing the till; false when the operator gives up. */
    bool waitForLock(qint64 elapsedMs);

    MapActions &m_map;
    TableFloor *m_floor;
    ReceiptPanel *m_receipt;
    ChangeNotifier *m_changes;
    QTimer *m_timer;
    bool m_waiting = false;
    bool m_moving = false;
    qint64 m_source = 0;
    qint64 m_destination = 0;
    QString m_sourceNumero; // the captions of the two buttons, for the notification and the journal
    QString m_destinationNumero;
    QString m_description;
    qint64 m_nextLockQuestion = 0;
};

} // namespace qrv
