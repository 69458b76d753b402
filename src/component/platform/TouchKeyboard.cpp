#include "component/platform/TouchKeyboard.h"

#include <QApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QPushButton>

namespace qrv {

namespace {

const char *const keyRows[] = {
    "1234567890'",
    "qwertyuiop\xc3\xa8\xc3\xac",        // è ì
    "asdfghjkl\xc3\xb2\xc3\xa0\xc3\xb9", // ò à ù
    "zxcvbnm,.-/",
};

constexpr int Columns = 12;

/** Qt's key codes for Latin-1 characters are the code points of their capitals. */
int keyCodeOf(const QString &character) {
    const QChar c = character.toUpper().at(0);
    return c.unicode() < 0x100 ? int(c.unicode()) : int(Qt::Key_unknown);
}

} // namespace

TouchKeyboard::TouchKeyboard(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(4);

    for (int row = 0; row < 4; ++row) {
        const QString keys = QString::fromUtf8(keyRows[row]);
        const int first = row == 3 ? 1 : 0; // the shift key opens the last row
        for (int i = 0; i < keys.size(); ++i) {
            const QString character = keys.mid(i, 1);
            QPushButton *key = addKey(character, character, row, first + i);
            if (character.at(0).isLetter())
                m_letterKeys.append(key);
            connect(key, &QPushButton::clicked, this, [this, character] { typeCharacter(character); });
        }
    }

    QPushButton *backspace = addKey(QStringLiteral("backspace"), QString::fromUtf8("\xe2\x86\x90"), 0, 11);
    backspace->setAutoRepeat(true);
    connect(backspace, &QPushButton::clicked, this,
            [this] { sendKey(Qt::Key_Backspace, QString(), Qt::NoModifier); });

    m_shiftKey = addKey(QStringLiteral("shift"), QStringLiteral("Maiusc"), 3, 0);
    m_shiftKey->setCheckable(true);
    connect(m_shiftKey, &QPushButton::clicked, this, &TouchKeyboard::cycleShift);

    QPushButton *space = addKey(QStringLiteral("space"), QString(), 4, 2, Columns - 4);
    connect(space, &QPushButton::clicked, this,
            [this] { sendKey(Qt::Key_Space, QStringLiteral(" "), Qt::NoModifier); });

    updateCaptions();
}

QPushButton *TouchKeyboard::addKey(const QString &name, const QString &caption, int row, int column,
                                   int span) {
    auto *key = new QPushButton(caption, this);
    key->setObjectName(QStringLiteral("key(%1)").arg(name));
    key->setFocusPolicy(Qt::NoFocus);
    key->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    key->setMinimumSize(32, 32);
    QFont font = key->font();
    font.setPointSize(14);
    font.setBold(true);
    key->setFont(font);
    static_cast<QGridLayout *>(layout())->addWidget(key, row, column, 1, span);
    return key;
}

void TouchKeyboard::typeCharacter(const QString &lower) {
    const bool letter = lower.at(0).isLetter();
    const bool capital = letter && m_shift != Shift::Off;
    sendKey(keyCodeOf(lower), capital ? lower.toUpper() : lower,
            capital ? Qt::ShiftModifier : Qt::NoModifier);
    if (letter && m_shift == Shift::Once) {
        m_shift = Shift::Off;
        updateCaptions();
    }
}

void TouchKeyboard::sendKey(int key, const QString &text, Qt::KeyboardModifiers modifiers) {
    QWidget *target = QApplication::focusWidget();
    if (!target)
        return;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    // The press may have moved the focus (or closed the form): release where it was pressed if it
    // still exists.
    if (QApplication::focusWidget() == target) {
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QCoreApplication::sendEvent(target, &release);
    }
}

void TouchKeyboard::cycleShift() {
    switch (m_shift) {
    case Shift::Off:
        m_shift = Shift::Once;
        break;
    case Shift::Once:
        m_shift = Shift::Locked;
        break;
    case Shift::Locked:
        m_shift = Shift::Off;
        break;
    }
    updateCaptions();
}

void TouchKeyboard::updateCaptions() {
    const bool capitals = m_shift != Shift::Off;
    for (QPushButton *key : std::as_const(m_letterKeys)) {
        const QString name = key->objectName().mid(4, key->objectName().size() - 5);
        key->setText(capitals ? name.toUpper() : name);
    }
    m_shiftKey->setChecked(capitals);
    m_shiftKey->setText(m_shift == Shift::Locked ? QStringLiteral("MAIUSC") : QStringLiteral("Maiusc"));
}

} // namespace qrv
