#include "component/layout/FormLook.h"

#include "component/platform/Twips.h"
#include "component/tablemap/MapLook.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStyle>

namespace qrv::FormLook {

QLabel *label(QWidget *parent, const char *name, const QString &caption, int leftTw, int topTw, int widthTw,
              int heightTw, int pointSize, bool bold) {
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    QFont font(QStringLiteral("Arial"), pointSize);
    font.setBold(bold);
    label->setFont(font);
    label->setGeometry(pxRect(leftTw, topTw, widthTw, heightTw));
    return label;
}

QLineEdit *textBox(QWidget *parent, const char *name, int leftTw, int topTw, int widthTw, int heightTw) {
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setFont(QFont(QStringLiteral("Arial"), 12));
    box->setGeometry(pxRect(leftTw, topTw, widthTw, heightTw));
    return box;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption, int leftTw, int topTw,
                    int widthTw, int heightTw, const QColor &colour) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    QFont font(QStringLiteral("Arial"), 12);
    font.setBold(true);
    button->setFont(font);
    button->setGeometry(pxRect(leftTw, topTw, widthTw, heightTw));
    button->setFocusPolicy(Qt::NoFocus); // the focus stays in the box the keyboard types into
    MapLook::setButtonColour(button, colour);
    return button;
}

QPushButton *closeButton(QWidget *parent, int formWidthTw, int widthTw, int heightTw) {
    QPushButton *close = button(parent, "cmdSpegni", QStringLiteral("X"), formWidthTw - widthTw, 0, widthTw,
                                heightTw, QColor(0xFF, 0x00, 0x00));
    QFont font(QStringLiteral("Arial Black"), 14);
    font.setWeight(QFont::Black);
    close->setFont(font);
    MapLook::setTextColour(close, Qt::white);
    return close;
}

QString nulNotice() {
    return QStringLiteral(
        "Il testo contiene un carattere non valido (codice 0): correggere il campo in giallo");
}

void markInvalid(QWidget *box, bool invalid) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base,
                     invalid ? Invalid : box->style()->standardPalette().color(QPalette::Base));
    box->setPalette(palette);
}

void setLimitedText(QLineEdit *box, const QString &text, int maxLength) {
    box->setMaxLength(qMax(maxLength, static_cast<int>(text.size())));
    box->setText(text);
}

} // namespace qrv::FormLook
