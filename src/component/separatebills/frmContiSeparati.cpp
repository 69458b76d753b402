#include "component/separatebills/frmContiSeparati.h"

#include "component/FormRegistry.h"
#include "component/platform/Grid.h"
#include "component/platform/Twips.h"
#include "core/data/LinesWithArticles.h"
#include "core/data/Lookups.h"
#include "core/data/MessageBox.h"
#include "core/data/clsRecordset.h"
#include "core/data/dao/DaoError.h"
#include "core/data/dao/Recordset.h"
#include "core/platform/NumberFormat.h"
#include "core/separatebills/Selection.h"
#include "core/separatebills/UnitRows.h"
#include "core/settings/SharedState.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QThread>

namespace qrv {

using namespace separatebills;

namespace {

const QColor MarkedColour(0xFF, 0xFF, 0x00);
const QColor UnmarkedColour(0xFF, 0xFF, 0xFF);
const QColor DarkBlue(0x00, 0x00, 0xC0);
const QColor DarkRed(0xC0, 0x00, 0x00);
const QColor Red(0xFF, 0x00, 0x00);

const QString Routine = QStringLiteral("MostraScontrino");

enum GridColumn { DescriptionColumn = 0, AmountColumn = 1, MarkColumn = 2, IdsColumn = 3 };

/** A command button whose caption wraps onto several lines when it is wider than the button. */
class WrappingButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(rect().adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, text());
    }
};

QFont arial(qreal points, bool bold = true) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QRect &geometry, const QFont &font,
                  const QString &text = QString(), const QColor &colour = QColor()) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setFont(font);
    if (colour.isValid()) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
    }
    return label;
}

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry,
                        const QFont &font) {
    QPushButton *button = new WrappingButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setFont(font);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    return button;
}

// The form of each thread that showed it. Widgets live on the application's thread, so the one
// that exists in practice is deleted with the application, while its widgets can still go.
thread_local QPointer<frmContiSeparati> t_form;

void deleteForm() {
    delete t_form.data();
}

const bool registered =
    FormRegistry::registerForm(FormId::ContiSeparati, [] { frmContiSeparati::instance()->showModal(); });

} // namespace

frmContiSeparati::frmContiSeparati(QWidget *parent) : QDialog(parent) {
    Q_UNUSED(registered);
    setObjectName(QStringLiteral("frmContiSeparati"));
    setWindowTitle(QStringLiteral("CONTI SEPARATI"));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setModal(true);
    buildLayout();
}

frmContiSeparati::~frmContiSeparati() = default;

frmContiSeparati *frmContiSeparati::instance() {
    if (!t_form) {
        t_form = new frmContiSeparati;
        if (QCoreApplication::instance() &&
            QThread::currentThread() == QCoreApplication::instance()->thread())
            qAddPostRoutine(deleteForm);
    }
    return t_form.data();
}

void frmContiSeparati::buildLayout() {
    setFixedSize(px(12045), px(10170));
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
    setPalette(background);
    setAutoFillBackground(true);

    m_title = makeLabel(this, QStringLiteral("lblTitolo"), pxRect(75, 105, 8115, 315), arial(12),
                        QStringLiteral("CONTI SEPARATI"), DarkBlue);
    m_cmdSpegni = makeButton(this, QStringLiteral("cmdSpegni"), QStringLiteral("X"),
                             pxRect(11220, -15, 825, 495), arial(14));

    m_frxScontrino = new QFrame(this);
    m_frxScontrino->setObjectName(QStringLiteral("frxScontrino"));
    m_frxScontrino->setGeometry(pxRect(195, 795, 4575, 8460));
    m_frxScontrino->setFrameShape(QFrame::StyledPanel);

    m_lblTavolo =
        makeLabel(m_frxScontrino, QStringLiteral("lblTavolo"), pxRect(75, 45, 4395, 510), arial(16));
    m_gridScontrino = new Grid(m_frxScontrino);
    m_gridScontrino->setObjectName(QStringLiteral("gridScontrino"));
    m_gridScontrino->setGeometry(pxRect(45, 705, 4440, 7095));
    m_gridScontrino->setFont(arial(11.25));
    m_gridScontrino->setCols(4);
    // The identifier column is 3 pixels wide by design: there, not to be read.
    m_gridScontrino->horizontalHeader()->setMinimumSectionSize(0);
    // Rows get the height of their description (rowHeightFor), not the grid's own measure.
    m_gridScontrino->setFitRowsToText(false);
    // The columns are wider than the grid and it has no horizontal scroll bar: making the mark
    // column current must not scroll the descriptions out of sight.
    QScrollBar *horizontal = m_gridScontrino->horizontalScrollBar();
    connect(horizontal, &QScrollBar::valueChanged, horizontal, [horizontal](int value) {
        if (value != 0)
            horizontal->setValue(0);
    });
    const int widths[] = {2805, 900, 1140, 45};
    for (int col = 0; col < 4; ++col)
        m_gridScontrino->setColWidthTwips(col, widths[col]);
    m_totalCaption = makeLabel(m_frxScontrino, QStringLiteral("lblTotaleCaption"),
                               pxRect(2115, 7935, 990, 345), arial(12), QStringLiteral("Totale"));
    m_lblTotale =
        makeLabel(m_frxScontrino, QStringLiteral("lblTotale"), pxRect(3090, 7890, 1365, 390), arial(14.25));
    m_lblTotale->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_cmdSelTutto = makeButton(this, QStringLiteral("cmdSelTutto"), QStringLiteral("Seleziona tutto"),
                               pxRect(180, 9270, 4605, 735), arial(14));
    m_selectedCaption = makeLabel(this, QStringLiteral("lblTotaleSelCaption"), pxRect(5340, 795, 6030, 300),
                                  arial(12), QStringLiteral("Totale selezionati"), DarkRed);
    m_lblTotaleSel = makeLabel(this, QStringLiteral("lblTotaleSel"), pxRect(5400, 1110, 5910, 690), arial(26),
                               QStringLiteral("0,00"), Red);
    m_cmdPortaAlBanco =
        makeButton(this, QStringLiteral("cmdPortaAlBanco"), QStringLiteral("PORTA  AL  BANCO"),
                   pxRect(6480, 2385, 1695, 1215), arial(12));
    m_cmdContoSubito = makeButton(this, QStringLiteral("cmdContoSubito"), QStringLiteral("CONTANTE"),
                                  pxRect(8190, 2385, 2175, 1215), arial(14));
    m_lblMessaggio = makeLabel(this, QStringLiteral("lblMessaggio"), pxRect(5940, 3765, 4950, 525), arial(14),
                               QString(), Red);
    m_lblRomana = makeLabel(this, QStringLiteral("lblRomana"), pxRect(5310, 5160, 5985, 690), arial(11),
                            QString(), DarkRed);
    m_lblRomana->setWordWrap(true);

    // The keypad: rows 7 8 9 / 4 5 6 / 1 2 3 / 0 , 00; keys are listed by index in triples
    // ("1" "2" "3", "0" "," "00", "7" "8" "9", "4" "5" "6") and the click acts on the caption.
    const QString captions[] = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                QStringLiteral("0"), QStringLiteral(","), QStringLiteral("00"),
                                QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("9"),
                                QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6")};
    const int lefts[] = {7905, 9045, 10185};
    const int topsByTriple[] = {7575, 8355, 6015, 6795};
    for (int i = 0; i < 13; ++i) {
        const QString name = QStringLiteral("cmdtastierino(%1)").arg(i);
        const QRect geometry =
            i < 12 ? pxRect(lefts[i % 3], topsByTriple[i / 3], 1125, 750) : pxRect(7920, 9120, 3390, 750);
        QPushButton *key =
            makeButton(this, name, i < 12 ? captions[i] : QStringLiteral("Canc"), geometry, arial(16));
        connect(key, &QPushButton::clicked, this, [this, i] { cmdtastierino_Click(i); });
        m_cmdtastierino.append(key);
    }

    connect(m_gridScontrino, &Grid::rowTouched, this, &frmContiSeparati::gridScontrino_Click);
    connect(m_cmdSelTutto, &QPushButton::clicked, this, &frmContiSeparati::cmdSelTutto_Click);
    connect(m_cmdContoSubito, &QPushButton::clicked, this, [this] { confirm(true); });
    connect(m_cmdPortaAlBanco, &QPushButton::clicked, this, [this] { confirm(false); });
    connect(m_cmdSpegni, &QPushButton::clicked, this, &frmContiSeparati::cmdSpegni_Click);
}

void frmContiSeparati::showModal() {
    Form_Load();
    // Only a confirm accepts: any other end ("X", the window manager, Alt+F4, a host closing every
    // window) is a cancel, or the map would bill a separate bill nobody chose.
    if (exec() != QDialog::Accepted)
        cancel();
}

void frmContiSeparati::cancel() {
    SharedState &state = SharedState::current();
    state.IdDettSelezionati.clear();
    state.ContoSeparato = false;
}

void frmContiSeparati::keyPressEvent(QKeyEvent *event) {
    // A stray Escape on the till's keyboard must not throw away the units marked so far: the
    // screen closes by its own buttons (or by the window manager, which cancels as "X" does).
    if (event->key() != Qt::Key_Escape)
        QDialog::keyPressEvent(event);
}

void frmContiSeparati::Form_Load() {
    SharedState &state = SharedState::current();

    // Every show starts from the screen as designed.
    m_lblMessaggio->clear();
    m_lblTotaleSel->setText(QStringLiteral("0,00"));
    m_split.clear();

    m_gridScontrino->clearCells();
    m_gridScontrino->setRows(0);
    MostraScontrino(state.TavoloScelto);
    m_gridScontrino->setTopRow(0);
    m_gridScontrino->setRow(-1);

    if (state.TavoloScelto != QLatin1String("999")) {
        m_lblTavolo->setText(QStringLiteral("Tavolo  ") + state.TavoloScelto);
    } else {
        bool ok = false;
        const qint32 idconto = state.IdContoCliente.trimmed().toInt(&ok);
        m_lblTavolo->setText(QStringLiteral("Conto cliente ") +
                             (ok ? DescrizioneContoCLiente(idconto) : QString()));
    }
    m_lblRomana->setText(PersonSplit::promptText());
}

void frmContiSeparati::MostraScontrino(const QString &T) {
    const SharedState &state = SharedState::current();
    const QString K = T == QLatin1String("999") ? state.IdContoCliente : T;

    // The table is named by its Codice; anything else names no table and shows no lines, so no
    // text from outside reaches the statement.
    bool isNumber = false;
    const qint64 tavolo = K.trimmed().toLongLong(&isNumber);

    QVector<OrderLine> lines;
    QHash<qint64, QString> descriptions;
    if (isNumber) {
        clsRecordset rs;
        rs.Apri(Routine, false, linesWithArticlesQuery(QString::number(tavolo)), false, true);
        try {
            LineWithArticleReader reader;
            while (rs.Errore() == clsRecordset::Ok && rs.ilRecordset()) {
                const LineWithArticle stored = reader.read(*rs.ilRecordset());
                lines.append(OrderLine::fromValues(stored.id, stored.codice, stored.variante, stored.quantita,
                                                   stored.importo, stored.descrizione));
                descriptions.insert(lines.constLast().codice, stored.articolo);
                rs.LeggiNext(Routine);
            }
        } catch (const dao::DaoError &error) {
            // A row that cannot be read ends the list; the lines read so far are shown.
            MsgBox(QStringLiteral("Errore nel metodo MostraScontrino\r\n") + QString::number(error.number()) +
                       QLatin1Char(' ') + error.description(),
                   MessageBox::vbOKOnly + MessageBox::vbCritical,
                   QStringLiteral("qrvTavoli - frmContiSeparati"));
        }
        rs.Chiudi();
    }

    const UnitRows units =
        buildUnitRows(lines, [&descriptions](qint64 codice) { return descriptions.value(codice); });

    const QLocale locale;
    m_gridScontrino->setUpdatesEnabled(false);
    // Rows are as tall as their description needs (the article, then its variants, wrapped in
    // the first column); the units of one line share the text, so each text is measured once.
    QHash<QString, int> heights;
    for (const UnitRow &unit : units.rows) {
        m_gridScontrino->addCells(unit.cells(locale));
        auto height = heights.constFind(unit.description);
        if (height == heights.constEnd())
            height = heights.insert(unit.description, rowHeightFor(unit.description));
        m_gridScontrino->setRowHeight(m_gridScontrino->rows() - 1, *height);
    }
    m_gridScontrino->setUpdatesEnabled(true);

    m_lblTotale->setText(formatAmount(units.total, locale));
    AggiornaSelezione();
}

int frmContiSeparati::rowHeightFor(const QString &description) const {
    const QFontMetrics metrics(m_gridScontrino->font());
    QString text = description;
    text.remove(QLatin1Char('\r'));
    const int width = qMax(1, m_gridScontrino->columnWidth(DescriptionColumn) - 8);
    const QRect needed = metrics.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text);
    // At least two lines (the article and its variants' line), with room for a finger.
    return qMax(needed.height(), 2 * metrics.lineSpacing()) + 10;
}

void frmContiSeparati::AggiornaSelezione() {
    QVector<GridRowCells> rows;
    rows.reserve(m_gridScontrino->rows());
    for (int r = 0; r < m_gridScontrino->rows(); ++r) {
        rows.append({m_gridScontrino->textMatrix(r, AmountColumn), m_gridScontrino->textMatrix(r, MarkColumn),
                     m_gridScontrino->textMatrix(r, IdsColumn)});
    }
    const QLocale locale;
    const Selection selection = summarizeSelection(rows, locale);
    SharedState::current().IdDettSelezionati = selection.ids;
    m_lblTotaleSel->setText(formatAmount(selection.total, locale));
}

void frmContiSeparati::setMarked(int row, bool marked) {
    m_gridScontrino->setTextMatrix(row, MarkColumn, marked ? markText() : QString());
    m_gridScontrino->fillRange(row, 0, row, m_gridScontrino->cols() - 1,
                               marked ? MarkedColour : UnmarkedColour);
}

void frmContiSeparati::repaintGrid() {
    m_gridScontrino->setCol(MarkColumn);
    // Shows the new colours at once; the operator's next touches wait for this one to finish.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_gridScontrino->viewport()->update();
}

void frmContiSeparati::gridScontrino_Click() {
    const int r = m_gridScontrino->row();
    if (r < 0 || r >= m_gridScontrino->rows())
        return;
    setMarked(r, m_gridScontrino->textMatrix(r, MarkColumn).isEmpty());
    repaintGrid();
    AggiornaSelezione();
}

void frmContiSeparati::cmdSelTutto_Click() {
    for (int r = 0; r < m_gridScontrino->rows(); ++r) {
        if (m_gridScontrino->textMatrix(r, MarkColumn).isEmpty())
            setMarked(r, true);
    }
    repaintGrid();
    AggiornaSelezione();
    // The second row becomes the current one; a grid of one row keeps that row current.
    m_gridScontrino->setRow(qMin(1, m_gridScontrino->rows() - 1));
}

void frmContiSeparati::confirm(bool payNow) {
    m_lblMessaggio->clear();
    int marked = 0;
    for (int r = 0; r < m_gridScontrino->rows(); ++r) {
        if (m_gridScontrino->textMatrix(r, MarkColumn) == markText())
            ++marked;
    }
    if (marked == 0) {
        m_lblMessaggio->setText(QStringLiteral("Selezionare un articolo !"));
        return;
    }
    SharedState &state = SharedState::current();
    state.ContoSeparato = true;
    state.ContoSubito = payNow;
    accept();
}

void frmContiSeparati::cmdSpegni_Click() {
    cancel();
    reject();
}

void frmContiSeparati::cmdtastierino_Click(int index) {
    if (index < 0 || index >= m_cmdtastierino.size())
        return;
    if (const auto text = m_split.press(m_cmdtastierino.at(index)->text(), m_lblTotale->text()))
        m_lblRomana->setText(*text);
}

} // namespace qrv
