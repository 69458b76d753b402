#pragma once

#include <QVector>
#include <QWidget>

class QPushButton;

namespace qrv {

/**
 * A compact on-screen keyboard for the touch screen: digits, letters (with the Italian accented
 * vowels), apostrophe, comma, full stop, hyphen, slash, space and backspace. A touched key is
 * typed into whichever widget has the keyboard focus, as if it came from a real keyboard; the
 * keys themselves never take the focus. With no focus widget a touch does nothing.
 *
 * The shift key cycles off -> next letter in capitals -> capitals locked -> off. Key buttons are
 * named "key(a)", "key(1)", "key(')", "key(space)", "key(backspace)", "key(shift)".
 */
class TouchKeyboard : public QWidget {
    Q_OBJECT
public:
    enum class Shift { Off, Once, Locked };

    explicit TouchKeyboard(QWidget *parent = nullptr);

    Shift shift() const { return m_shift; }

private:
    QPushButton *addKey(const QString &name, const QString &caption, int row, int column, int span = 1);
    void typeCharacter(const QString &lower);
    void sendKey(int key, const QString &text, Qt::KeyboardModifiers modifiers);
    void cycleShift();
    void updateCaptions();

    Shift m_shift = Shift::Off;
    QVector<QPushButton *> m_letterKeys;
    QPushButton *m_shiftKey = nullptr;
};

} // namespace qrv
