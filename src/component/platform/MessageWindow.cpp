#include "component/platform/MessageWindow.h"

#include "component/platform/GuiThread.h"
#include "core/data/MessageBox.h"
#include "core/platform/MessageButtons.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

namespace qrv {

namespace {

/** The window a question belongs to: the modal form on show (which blocks every other window), else the
 * active one. */
QWidget *ownerWindow() {
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

void centreOnScreen(QWidget *window, QWidget *owner) {
    QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area = screen->availableGeometry();
    QRect frame(QPoint(), window->size());
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}

class NoticeWidget : public QWidget {
public:
    // A tool-tip window: never activated (the form below keeps the keyboard focus), not blocked by
    // the modal form it appears over, frameless and above everything.
    NoticeWidget(QWidget *owner, const QString &text, const QColor &background)
        : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowDoesNotAcceptFocus) {
        setObjectName(QStringLiteral("NoticeWindow"));
        setAttribute(Qt::WA_DeleteOnClose);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setFocusPolicy(Qt::NoFocus);
        setAutoFillBackground(true);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, background);
        pal.setColor(QPalette::WindowText, Qt::white);
        setPalette(pal);

        auto *label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("noticeText"));
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignCenter);
        QFont big = label->font();
        big.setPointSize(24);
        big.setBold(true);
        label->setFont(big);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(40, 30, 40, 30);
        layout->addWidget(label);
        setMinimumWidth(480);
        setMaximumWidth(900);
    }

protected:
    // A touch anywhere on the notice dismisses it.
    void mousePressEvent(QMouseEvent *) override { close(); }
};

} // namespace

void MessageWindow::notice(const QString &testo, qint32 a, qint32 b, qint32 c, bool d) {
    Q_UNUSED(b)
    if (!canShowWindows()) {
        std::fprintf(stderr, "%s\n", qPrintable(testo));
        return;
    }
    if (m_notice)
        m_notice->close();

    const QColor background = a == 2 ? QColor(0xD0, 0x6A, 0x00) : QColor(0x1E, 0x4E, 0x8C);
    QWidget *owner = ownerWindow();
    auto *window = new NoticeWidget(owner, testo, background);
    window->adjustSize();
    centreOnScreen(window, owner);

    const int halves = c >= 3 ? 4 : (c == 2 ? 3 : 2); // time on screen in halves of the base time
    auto *timer = new QTimer(window);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, window, &QWidget::close);
    timer->start(m_noticeMilliseconds * halves / 2);

    m_notice = window;
    window->show();
    window->raise();
    if (d)
        QApplication::beep();
}

int MessageWindow::question(const QString &testo, const QString &titolo, qint32 pulsanti) {
    return ask(testo, titolo, pulsanti, false);
}

int MessageWindow::largeQuestion(const QString &testo, const QString &titolo, qint32 pulsanti) {
    return ask(testo, titolo, pulsanti, true);
}

int MessageWindow::ask(const QString &testo, const QString &titolo, qint32 pulsanti, bool large) {
    if (!canShowWindows())
        return MessageBox::current().show(testo, pulsanti, titolo);

    QDialog dialog(ownerWindow(), Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    dialog.setObjectName(QStringLiteral("QuestionWindow"));
    dialog.setWindowTitle(titolo);
    dialog.setModal(true);
    dialog.setAutoFillBackground(true);
    QPalette pal = dialog.palette();
    pal.setColor(QPalette::Window, QColor(0xF2, 0xF2, 0xF2));
    dialog.setPalette(pal);

    const int textPoints = large ? 28 : 18;
    const QSize buttonSize = large ? QSize(240, 120) : QSize(160, 80);

    auto *layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(30, 24, 30, 24);
    layout->setSpacing(24);

    auto *title = new QLabel(titolo, &dialog);
    title->setObjectName(QStringLiteral("questionTitle"));
    QFont titleFont = title->font();
    titleFont.setPointSize(textPoints - 4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    title->setVisible(!titolo.isEmpty());
    layout->addWidget(title);

    auto *text = new QLabel(testo, &dialog);
    text->setObjectName(QStringLiteral("questionText"));
    text->setWordWrap(true);
    text->setAlignment(Qt::AlignCenter);
    QFont textFont = text->font();
    textFont.setPointSize(textPoints);
    text->setFont(textFont);
    text->setMinimumWidth(large ? 700 : 480);
    layout->addWidget(text);

    auto *row = new QHBoxLayout;
    row->setSpacing(20);
    row->addStretch();
    const QVector<int> answers = MessageButtons::answersFor(pulsanti);
    QFont buttonFont = textFont;
    buttonFont.setBold(true);
    for (int i = 0; i < answers.size(); ++i) {
        const int code = answers.at(i);
        auto *button = new QPushButton(MessageButtons::caption(code), &dialog);
        button->setObjectName(QStringLiteral("answer(%1)").arg(code));
        button->setFont(buttonFont);
        button->setMinimumSize(buttonSize);
        button->setFocusPolicy(Qt::NoFocus);
        button->setDefault(i == MessageButtons::defaultIndex(pulsanti));
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, code] { dialog.done(code); });
        row->addWidget(button);
    }
    row->addStretch();
    layout->addLayout(row);

    dialog.adjustSize();
    centreOnScreen(&dialog, dialog.parentWidget());
    const int result = dialog.exec();
    return answers.contains(result) ? result : MessageButtons::dismissAnswer(pulsanti);
}

MessageWindow &MessageWindow::shared() {
    static MessageWindow window;
    return window;
}

} // namespace qrv
