#include "component/tablemap/MapLook.h"

#include "component/platform/Twips.h"

#include <QPushButton>

namespace qrv::MapLook {

QFont arialBold(double pointSize) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}

void place(QWidget *w, int leftTw, int topTw, int widthTw, int heightTw) {
    w->setGeometry(pxRect(leftTw, topTw, widthTw, heightTw));
}

void makeGraphical(QPushButton *button) {
    button->setFlat(true);
    button->setAutoFillBackground(true);
}

void setButtonColour(QPushButton *button, const QColor &colour) {
    QPalette pal = button->palette();
    if (pal.color(QPalette::Button) == colour)
        return;
    pal.setColor(QPalette::Button, colour);
    pal.setColor(QPalette::Window, colour);
    pal.setColor(QPalette::ButtonText, Qt::black);
    button->setPalette(pal);
}

void setBackground(QWidget *w, const QColor &colour) {
    QPalette pal = w->palette();
    pal.setColor(w->backgroundRole(), colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void setTextColour(QWidget *w, const QColor &colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::Text, colour);
    w->setPalette(pal);
}

QColor fromStored(qint32 value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace qrv::MapLook
