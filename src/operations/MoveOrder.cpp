#include "operations/MoveOrder.h"

#include "tablemap/frmTavoli.h"

namespace qrv {

MoveOrder::MoveOrder(frmTavoli *form)
    : QObject(form)
    , m_form(form)
{
}

void MoveOrder::destinationClicked(int index)
{
    Q_UNUSED(index);
}

void MoveOrder::reset()
{
    m_waiting = false;
}

} // namespace qrv
