#pragma once

namespace qrv {

/**
 * The arithmetic of the map's layout, all in twips: the floor takes what the room bar and the
 * receipt panel leave of the screen width, and the room buttons stack down the left column.
 */
namespace MapGeometry {

constexpr int FormHeight = 11520; ///< 768 pixels
constexpr int FraSaleWidth = 2715;
constexpr int FloorLeft = 2760;
constexpr int FloorTop = 885;
constexpr int FloorHeight = 10560;
constexpr int ReceiptWidth = 4650;
constexpr int RoomButtonTop = 180;
constexpr int RoomButtonHeight = 690;
constexpr int RoomButtonGap = 30;
constexpr int RoomButtonWidth = 2445;
constexpr int RoomEditWidth = 630;
constexpr int SmallTable = 930;
constexpr int BigTable = 1500;

/** Width of the floor on a screen screenWidth twips wide (may be negative on a tiny screen). */
constexpr int floorWidth(int screenWidth) {
    return screenWidth - FraSaleWidth - ReceiptWidth - 100;
}

/** Left edge of the receipt panel: 30 twips right of the floor. */
constexpr int receiptLeft(int screenWidth) {
    return FloorLeft + floorWidth(screenWidth) + 30;
}

/** Top of room button k: each one 30 twips under the one before (180, 900, 1620, ...). */
constexpr int roomButtonTop(int k) {
    return RoomButtonTop + k * (RoomButtonHeight + RoomButtonGap);
}

/** Width of the room buttons: narrowed by the edit button in layout-editing mode. */
constexpr int roomButtonWidth(bool layoutEditing) {
    return layoutEditing ? RoomButtonWidth - RoomEditWidth : RoomButtonWidth;
}

/** Side of a table button: 930 twips, or 1500 with big buttons. */
constexpr int tableSide(bool bigButtons) {
    return bigButtons ? BigTable : SmallTable;
}

} // namespace MapGeometry
} // namespace qrv
