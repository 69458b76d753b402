#pragma once

#include <QObject>

class QPushButton;

namespace qrv {

class frmTavoli;

/**
 * The floor-plan editor's reactions on the map: dragging table buttons, the toolbox beside a
 * touched table, the pop-up that creates a table on the empty floor, the room editor commands.
 */
class EditMode : public QObject
{
    Q_OBJECT
public:
    explicit EditMode(frmTavoli *form);

    /** The map made (or reused) table button index; edit mode watches its mouse events. */
    void attachButton(QPushButton *button, int index);
    /** A table button was clicked in layout-editing mode. */
    void tableClicked(int index);
    /** Opens the room editor for a new room (also when the venue has no room yet). */
    void newRoom();

private:
    frmTavoli *m_form;
};

} // namespace qrv
