#include "core/layout/TableDrag.h"

#include <cmath>
#include <limits>

namespace qrv {

int roundHalfEven(double value) {
    if (std::isnan(value))
        return 0;
    double rounded = std::round(value); // halves away from zero
    if (std::fabs(value - std::trunc(value)) == 0.5)
        rounded = 2.0 * std::round(value / 2.0);
    if (rounded >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (rounded <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(rounded);
}

void TableDrag::press(int index, double x, double y) {
    m_startX = roundHalfEven(x);
    m_startY = roundHalfEven(y);
    m_dragging = true;
    m_index = index;
}

DragStep TableDrag::move(Qt::MouseButtons buttons, double x, double y) const {
    DragStep step;
    if (buttons != Qt::MouseButtons(Qt::LeftButton) || !m_dragging)
        return step;
    // The event delivers single-precision coordinates; the differences are taken in the same precision.
    const float dx = static_cast<float>(x) - static_cast<float>(m_startX);
    const float dy = static_cast<float>(y) - static_cast<float>(m_startY);
    if (dx >= DragStepTwips)
        step.dLeft = DragStepTwips;
    else if (dx <= -DragStepTwips)
        step.dLeft = -DragStepTwips;
    if (dy >= DragStepTwips)
        step.dTop = DragStepTwips;
    else if (dy <= -DragStepTwips)
        step.dTop = -DragStepTwips;
    return step;
}

bool TableDrag::release() {
    const bool wasDragging = m_dragging;
    m_dragging = false;
    return wasDragging;
}

} // namespace qrv
