#include "core/layout/RoomPalette.h"

#include <algorithm>

namespace qrv {

namespace {
// Three rows of eleven; the indexes are not in reading order.
constexpr int Lefts[11] = {1500, 2115, 2715, 3330, 3945, 4545, 5160, 5745, 6330, 6915, 7485};
constexpr int Tops[3] = {615, 1050, 1500};
struct Cell {
    int index;
    quint32 rgb;
};
constexpr Cell Cells[3][11] = {
    {{0, 0xFFC0C0},
     {1, 0xFFE0C0},
     {2, 0xFFFFC0},
     {3, 0xC0FFC0},
     {4, 0xC0FFFF},
     {5, 0xC0C0FF},
     {6, 0xFFC0FF},
     {28, 0xE0E0E0},
     {18, 0x85FD00},
     {17, 0xC9B998},
     {15, 0xA92014}},
    {{9, 0xFF8080},
     {8, 0xFFC080},
     {7, 0xFFFF80},
     {10, 0x80FF80},
     {11, 0x80FFFF},
     {12, 0x8080FF},
     {13, 0xFF80FF},
     {29, 0xC0C0C0},
     {30, 0x00C000},
     {14, 0xB88047},
     {31, 0x010203}},
    {{25, 0xFF0000},
     {26, 0xC04000},
     {21, 0xF8EC16},
     {20, 0x00C000},
     {24, 0x00C0C0},
     {23, 0x0000FF},
     {22, 0xC000C0},
     {27, 0x404040},
     {16, 0x008000},
     {19, 0x815F45},
     {32, 0xBDA73C}},
};

std::array<PaletteSwatch, PaletteSwatchCount> buildPalette() {
    std::array<PaletteSwatch, PaletteSwatchCount> swatches{};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 11; ++col) {
            const Cell &cell = Cells[row][col];
            swatches[static_cast<size_t>(cell.index)] = {cell.index, Lefts[col], Tops[row], cell.rgb};
        }
    return swatches;
}
} // namespace

const std::array<PaletteSwatch, PaletteSwatchCount> &paletteSwatches() {
    static const std::array<PaletteSwatch, PaletteSwatchCount> swatches = buildPalette();
    return swatches;
}

qint32 storedColour(quint32 rgb) {
    const qint32 red = static_cast<qint32>((rgb >> 16) & 0xFF);
    const qint32 green = static_cast<qint32>((rgb >> 8) & 0xFF);
    const qint32 blue = static_cast<qint32>(rgb & 0xFF);
    return red + 256 * green + 65536 * blue;
}

quint32 rgbOfStored(qint32 stored) {
    const quint32 value = static_cast<quint32>(std::max<qint32>(stored, 0));
    const quint32 red = value & 0xFF;
    const quint32 green = (value >> 8) & 0xFF;
    const quint32 blue = (value >> 16) & 0xFF;
    return (red << 16) | (green << 8) | blue;
}

} // namespace qrv
