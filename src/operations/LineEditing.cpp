#include "operations/LineEditing.h"

#include "tablemap/frmTavoli.h"

namespace qrv {

LineEditing::LineEditing(frmTavoli *form)
    : QObject(form)
    , m_form(form)
{
}

} // namespace qrv
