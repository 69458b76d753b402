#pragma once

#include <QObject>

namespace qrv {

class frmTavoli;

/** Moving a table's whole order to another table touched within a few seconds. */
class MoveOrder : public QObject
{
    Q_OBJECT
public:
    explicit MoveOrder(frmTavoli *form);

    /** True while the map waits for the destination table. */
    bool waiting() const { return m_waiting; }
    /** The operator touched table button index while waiting. */
    void destinationClicked(int index);
    /** Back to idle without moving anything (the map is loading or closing). */
    void reset();

private:
    frmTavoli *m_form;
    bool m_waiting = false;
};

} // namespace qrv
