#include "component/operations/MoveOrder.h"

#include "component/operations/ChangeNotifier.h"
#include "component/tablemap/MapActions.h"
#include "component/tablemap/ReceiptPanel.h"
#include "component/tablemap/TableFloor.h"
#include "core/data/Lookups.h"
#include "core/data/MessageBox.h"
#include "core/operations/OrderMove.h"
#include "core/settings/SharedState.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>

namespace qrv {

namespace {

double s_timeScale = 1.0;

const QString kAnnulla = QStringLiteral("ANNULLA SPOSTA");

int scaled(int ms) {
    return qMax(1, static_cast<int>(ms * s_timeScale));
}

} // namespace

void MoveOrder::setTimeScale(double factor) {
    s_timeScale = factor > 0 ? factor : 1.0;
}

int MoveOrder::destinationWindowMs() {
    return scaled(7000);
}

int MoveOrder::lockQuestionAfterMs() {
    return scaled(3000);
}

MoveOrder::MoveOrder(MapActions &map, TableFloor *floor, ReceiptPanel *receipt, ChangeNotifier *changes,
                     QObject *parent)
    : QObject(parent)
    , m_map(map)
    , m_floor(floor)
    , m_receipt(receipt)
    , m_changes(changes)
    , m_timer(new QTimer(this)) {
    m_timer->setObjectName(QStringLiteral("TimerSPOSTA"));
    m_timer->setSingleShot(true);
    m_timer->setInterval(destinationWindowMs());
    connect(m_timer, &QTimer::timeout, this, &MoveOrder::TimerSPOSTA_Timer);
    connect(receipt->cmdSposta(), &QPushButton::clicked, this, &MoveOrder::cmdSposta_Click);
}

void MoveOrder::cmdSposta_Click() {
    if (m_moving)
        return;
    if (m_receipt->cmdSposta()->text() == kAnnulla) {
        TimerSPOSTA_Timer();
        return;
    }
    Avviso(QStringLiteral("Selezionare il tavolo di destinazione entro 7 secondi"), 1, 0, 2, true);
    m_timer->start(destinationWindowMs());
    m_waiting = true;
    m_receipt->cmdSposta()->setText(kAnnulla);
    const int index = m_map.state().IndiceTavoloSelezionato;
    m_source = m_floor->tag(index).trimmed().toLongLong();
    const QPushButton *button = m_floor->button(index);
    m_sourceNumero = button ? button->text() : QString();
    const QLabel *label = m_floor->label(index);
    m_description = label ? label->text() : QString();
}

void MoveOrder::TimerSPOSTA_Timer() {
    m_source = 0;
    m_destination = 0;
    m_description.clear();
    m_sourceNumero.clear();
    m_destinationNumero.clear();
    m_timer->stop();
    m_receipt->cmdSposta()->setText(QStringLiteral("SPOSTA"));
    m_waiting = false;
}

void MoveOrder::reset() {
    if (m_moving)
        return;
    if (m_waiting || m_timer->isActive())
        TimerSPOSTA_Timer();
}

void MoveOrder::destinationClicked(int index) {
    if (!m_waiting || m_moving)
        return;
    // The window is over once a destination is touched; the tick must not clear the state while
    // the move waits for the lock.
    m_timer->stop();
    m_destination = m_floor->tag(index).trimmed().toLongLong();
    const QPushButton *button = m_floor->button(index);
    m_destinationNumero = button ? button->text() : QString();
    if (m_destination != m_source)
        SpostaTavolo();
    m_waiting = false;
    TimerSPOSTA_Timer();
}

bool MoveOrder::waitForLock(qint64 elapsedMs) {
    // Keep the screen and the timers alive; the operator's touches wait, the question below is
    // the way out.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(static_cast<unsigned long>(qBound(1, scaled(20), 20)));
    if (elapsedMs < m_nextLockQuestion)
        return true;
    const qint32 answer =
        Messaggio(QStringLiteral("Un'altra cassa sta usando le vendite (LockVenditeMan.txt).\r\n"
                                 "Continuare ad aspettare? No annulla lo spostamento."),
                  QStringLiteral("SPOSTAMENTO TAVOLO"), MessageBox::vbYesNo, false);
    if (answer != MessageBox::vbYes)
        return false;
    m_nextLockQuestion = elapsedMs + lockQuestionAfterMs();
    return true;
}

void MoveOrder::SpostaTavolo() {
    SharedState &s = SharedState::current();
    if (!s.DataBase)
        return;
    OrderMove move(s.DataBase, s.WorkSpace, s.ilPathArchivi);
    m_nextLockQuestion = lockQuestionAfterMs();
    move.setWaitFunction([this](qint64 elapsed) { return waitForLock(elapsed); });
    move.setJournal(m_map.codiceCassa());
    m_moving = true;
    const OrderMove::Result result =
        move.run({m_source, m_sourceNumero}, {m_destination, m_destinationNumero}, m_description,
                 QTime::currentTime());
    m_moving = false;
    switch (result.outcome) {
    case OrderMove::Outcome::Moved:
        // The other maps first, at once; the operator is told once the commit is durable and the
        // lock released.
        m_changes->announce({m_sourceNumero, m_destinationNumero}, s.DataBase.get());
        Avviso(QStringLiteral("Spostamento terminato"), 2, 0, 3, true);
        break;
    case OrderMove::Outcome::Failed:
        MsgBox(result.message(), MessageBox::vbOKOnly | MessageBox::vbCritical, QStringLiteral("qrvTavoli"));
        break;
    case OrderMove::Outcome::GaveUp:
        Avviso(QStringLiteral("Spostamento annullato: nessun tavolo è stato modificato"), 2, 0, 2, true);
        break;
    case OrderMove::Outcome::SourceFree:
        // Another till billed, emptied or moved the table since this map was drawn.
        Avviso(QStringLiteral("Spostamento non eseguito: il tavolo di partenza non è più occupato"), 2, 0, 1,
               true);
        break;
    case OrderMove::Outcome::NothingToMove:
        break;
    }
    if (result.outcome != OrderMove::Outcome::NothingToMove)
        m_map.CaricaTavoli();
    m_waiting = false;
}

} // namespace qrv
