#pragma once

#include <QColor>
#include <QFont>

class QPushButton;
class QWidget;

namespace qrv {

/** Fonts, colours and placement shared by the pieces of the table map. */
namespace MapLook {

const QColor Occupied(0xFF, 0x3E, 0x3E);
const QColor Free(0x6C, 0xE8, 0x6C);
const QColor FloorGrey(0x80, 0x80, 0x80);

/** Arial bold at pointSize. */
QFont arialBold(double pointSize);

/** Places w at a rectangle given in twips (relative to its parent). */
void place(QWidget *w, int leftTw, int topTw, int widthTw, int heightTw);

/**
 * Gives a command button its background colour through the palette (cheap even for hundreds of
 * buttons) with the flat, filled look of a graphical-style button.
 */
void setButtonColour(QPushButton *button, const QColor &colour);
/** Makes a button graphical-style once (flat, filled); setButtonColour then only swaps the palette. */
void makeGraphical(QPushButton *button);

/** Background colour of any widget through the palette. */
void setBackground(QWidget *w, const QColor &colour);
void setTextColour(QWidget *w, const QColor &colour);

/** A colour stored as red + 256 * green + 65536 * blue. */
QColor fromStored(qint32 value);

} // namespace MapLook
} // namespace qrv
