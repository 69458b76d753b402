#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace qrv {

/** Grid of the points where new tables are created, in twips. */
constexpr int NewTableGrid = 200;

/** Size of the edit toolbox frxAggiorna in twips. */
constexpr QSize ToolboxSize(3150, 1035);

/** Gap between a table button and the toolbox above or below it, in twips. */
constexpr int ToolboxGap = 40;

/**
 * Snaps a floor coordinate to the 200-twip grid: the nearest multiple, an exact half going to
 * the even multiple (300 -> 400, 500 -> 400, -300 -> -400).
 */
int snapToGrid(double twips);

/**
 * Top-left corner of the toolbox beside a table button (all in twips, floor coordinates).
 * The toolbox stands ToolboxGap above the button, or ToolboxGap below it when it would start
 * above the floor's top edge; its left edge is the button's left plus leftOffset (100 for a
 * click, 0 while following a drag), pulled back so it ends flush with the floor's right edge
 * when it would pass it. A toolbox near the left edge is not corrected.
 */
QPoint toolboxPosition(const QRect &button, int floorWidth, int leftOffset, QSize toolbox = ToolboxSize);

} // namespace qrv
