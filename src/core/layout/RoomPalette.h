#pragma once

#include <QtGlobal>
#include <array>

namespace qrv {

/** One colour of the room form's palette: swatch picColore(index) at (left, top) twips in fraColore. */
struct PaletteSwatch {
    int index;
    int left;
    int top;
    quint32 rgb; ///< 0xRRGGBB
};

constexpr int PaletteSwatchCount = 33;
constexpr int SwatchWidth = 555;
constexpr int SwatchHeight = 420;

/** The 33 swatches, ordered by index (element i is picColore(i)). */
const std::array<PaletteSwatch, PaletteSwatchCount> &paletteSwatches();

/** A colour as the database stores it: red + 256 x green + 65536 x blue. */
qint32 storedColour(quint32 rgb);

/** The 0xRRGGBB colour of a stored value (the inverse of storedColour for 0 .. 0xFFFFFF). */
quint32 rgbOfStored(qint32 stored);

} // namespace qrv
