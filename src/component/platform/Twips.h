#pragma once

#include <QRect>
#include <cmath>

namespace qrv {

/** Positions and sizes are twips in the design and in the database; the screen has 15 twips a pixel. */
constexpr int TwipsPerPixel = 15;

/** Twips to pixels, rounded to the nearest pixel (halves away from zero). */
inline int px(int twips) {
    return static_cast<int>(std::lround(twips / static_cast<double>(TwipsPerPixel)));
}
inline int twips(int pixels) {
    return pixels * TwipsPerPixel;
}
inline QRect pxRect(int leftTw, int topTw, int widthTw, int heightTw) {
    return QRect(px(leftTw), px(topTw), px(widthTw), px(heightTw));
}

} // namespace qrv
