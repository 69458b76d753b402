#pragma once

#include <QObject>

namespace qrv {

class frmTavoli;

/** Quick-add of the preset article, removing a unit or a line, emptying a table. */
class LineEditing : public QObject
{
    Q_OBJECT
public:
    explicit LineEditing(frmTavoli *form);

private:
    frmTavoli *m_form;
};

} // namespace qrv
