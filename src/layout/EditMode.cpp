#include "layout/EditMode.h"

#include "tablemap/frmTavoli.h"

namespace qrv {

EditMode::EditMode(frmTavoli *form)
    : QObject(form)
    , m_form(form)
{
}

void EditMode::attachButton(QPushButton *button, int index)
{
    Q_UNUSED(button);
    Q_UNUSED(index);
}

void EditMode::tableClicked(int index)
{
    Q_UNUSED(index);
}

void EditMode::newRoom() {}

} // namespace qrv
