#include "core/layout/FloorGeometry.h"

#include "core/layout/TableDrag.h"

namespace qrv {

int snapToGrid(double twips) {
    return roundHalfEven(twips / NewTableGrid) * NewTableGrid;
}

QPoint toolboxPosition(const QRect &button, int floorWidth, int leftOffset, QSize toolbox) {
    int top = button.top() - toolbox.height() - ToolboxGap;
    if (top < 0)
        top = button.top() + button.height() + ToolboxGap;
    int left = button.left() + leftOffset;
    if (left + toolbox.width() > floorWidth)
        left = floorWidth - toolbox.width();
    return QPoint(left, top);
}

} // namespace qrv
