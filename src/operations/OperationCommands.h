#pragma once

#include <QObject>

namespace qrv {

class frmTavoli;

/**
 * The commands of the receipt panel and the room bar that end the map with an operation for
 * the host (open, web open, add order, bill, pre-bill, to the counter, separate bills, counter sale).
 * Connects itself to the form's command buttons.
 */
class OperationCommands : public QObject
{
    Q_OBJECT
public:
    explicit OperationCommands(frmTavoli *form);

private:
    frmTavoli *m_form;
};

} // namespace qrv
