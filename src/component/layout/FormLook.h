#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace qrv {

/** Look shared by the layout editor's forms. */
namespace FormLook {

/** Yellow of a text box that holds invalid input. */
const QColor Invalid(0xFF, 0xFF, 0x00);

/** A caption label at a rectangle in twips. */
QLabel *label(QWidget *parent, const char *name, const QString &caption, int leftTw, int topTw, int widthTw,
              int heightTw, int pointSize, bool bold);
/** A text box at a rectangle in twips. */
QLineEdit *textBox(QWidget *parent, const char *name, int leftTw, int topTw, int widthTw, int heightTw);
/** A coloured command button at a rectangle in twips. */
QPushButton *button(QWidget *parent, const char *name, const QString &caption, int leftTw, int topTw,
                    int widthTw, int heightTw, const QColor &colour);
/** The red "X" button that closes a form, in its top-right corner. */
QPushButton *closeButton(QWidget *parent, int formWidthTw, int widthTw, int heightTw);

/**
 * True when text holds a NUL character (pasted, or sent by a keyboard wedge): one engine would
 * store it and then fail every move of the table, the other refuses every write of it.
 */
inline bool holdsNul(const QString &text) {
    return text.contains(QChar(u'\0'));
}
/** The notice that refuses such a text. */
QString nulNotice();

/** Paints a text box yellow (invalid) or back to its normal colour. */
void markInvalid(QWidget *box, bool invalid);

/**
 * Sets the text of a box whose typing is limited to maxLength characters, without cutting a
 * longer stored text: the limit grows to the stored text's length so what is stored is shown.
 */
void setLimitedText(QLineEdit *box, const QString &text, int maxLength);

} // namespace FormLook
} // namespace qrv
