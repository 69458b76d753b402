#include "operations/OperationCommands.h"

#include "tablemap/frmTavoli.h"

namespace qrv {

OperationCommands::OperationCommands(frmTavoli *form)
    : QObject(form)
    , m_form(form)
{
}

} // namespace qrv
