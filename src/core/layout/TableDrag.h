#pragma once

#include <QtGlobal>
#include <qnamespace.h>

namespace qrv {

/** Twips a dragged table button moves in one step, on either axis. */
constexpr int DragStepTwips = 200;

/**
 * Rounds to the nearest whole number, an exact half to the even one (2.5 -> 2, 3.5 -> 4,
 * -2.5 -> -2), as the map does with event coordinates and snapped positions. Values beyond the
 * range of int are clamped to it.
 */
int roundHalfEven(double value);

/** What one mouse-move event does to the dragged button, in twips: each of -200, 0 or 200. */
struct DragStep {
    int dLeft = 0;
    int dTop = 0;

    bool moves() const { return dLeft != 0 || dTop != 0; }
    bool operator==(const DragStep &other) const { return dLeft == other.dLeft && dTop == other.dTop; }
};

/**
 * The drag of a table button in layout-editing mode (XInizioTrascina, YInizioTrascina,
 * Trascinando). Coordinates are twips relative to the pressed button. The start point is kept
 * for the whole drag: because the pointer's position relative to the button shifts back by the
 * same 200 twips the button moves, the button follows the pointer in whole steps and trails it
 * by less than one step. One event gives at most one step per axis.
 */
class TableDrag {
public:
    /** A table button went down (any mouse button): records the start point and the button. */
    void press(int index, double x, double y);

    /**
     * The step for a mouse-move at (x, y). No step unless exactly the left button is held
     * (left and right together give none) and a button was pressed.
     */
    DragStep move(Qt::MouseButtons buttons, double x, double y) const;

    /** The button went up: true when a press preceded it, so the position is to be stored. Ends the drag. */
    bool release();

    bool dragging() const { return m_dragging; }
    int index() const { return m_index; }
    int startX() const { return m_startX; }
    int startY() const { return m_startY; }

private:
    int m_startX = 0;
    int m_startY = 0;
    int m_index = -1;
    bool m_dragging = false;
};

} // namespace qrv
