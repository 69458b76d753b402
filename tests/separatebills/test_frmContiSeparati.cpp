// The separate-bill screen on a real database (SQLite and PostgreSQL), shown modally as the
// CONTI SEPARATI command and VisualizzaContoSeparatoCliente show it, driven by real taps.
#include "component/FormRegistry.h"
#include "component/SharedState.h"
#include "data/dao/Database.h"
#include "platform/Grid.h"
#include "separatebills/frmContiSeparati.h"
#include "separatebills/logic/PersonSplit.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

#include <functional>

using qrv::FormId;
using qrv::FormRegistry;
using qrv::frmContiSeparati;
using qrv::Grid;
using qrv::SharedState;

namespace {

const QColor yellow(0xFF, 0xFF, 0x00);
const QColor white(0xFF, 0xFF, 0xFF);

template <typename T> T *child(QWidget *form, const QString &name) {
    T *widget = form->findChild<T *>(name);
    if (!widget)
        qWarning("no widget %s", qPrintable(name));
    return widget;
}

QString label(QWidget *form, const char *name) {
    QLabel *widget = child<QLabel>(form, QString::fromLatin1(name));
    return widget ? widget->text() : QStringLiteral("<missing>");
}

void tap(QWidget *form, const QString &button) {
    QPushButton *widget = child<QPushButton>(form, button);
    QVERIFY(widget);
    QVERIFY(widget->isVisible());
    QTest::mouseClick(widget, Qt::LeftButton);
}

void tapRow(Grid *grid, int row) {
    QVERIFY(grid->item(row, 0));
    grid->scrollToItem(grid->item(row, 0));
    const QRect cell = grid->visualItemRect(grid->item(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

QColor rowColour(Grid *grid, int row, int col) {
    const QTableWidgetItem *cell = grid->item(row, col);
    return cell ? cell->background().color() : QColor();
}

/**
 * Shows the screen as the CONTI SEPARATI command does, runs steps once it is up and returns when
 * it closed. If the steps left it open (a failed check, or a button that did not close it), it is
 * closed here and leftOpen says so.
 */
void showScreen(const std::function<void(frmContiSeparati *, Grid *)> &steps, bool *leftOpen = nullptr) {
    bool open = false;
    QTimer::singleShot(0, [&] {
        frmContiSeparati *form = frmContiSeparati::instance();
        if (form->isVisible())
            steps(form, form->findChild<Grid *>(QStringLiteral("gridScontrino")));
        if (form->isVisible()) {
            open = true;
            form->reject();
        }
    });
    QVERIFY(FormRegistry::show(FormId::ContiSeparati));
    if (leftOpen)
        *leftOpen = open;
}

} // namespace

class TestFrmContiSeparati : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void layout();
    void markAndConfirm_data();
    void markAndConfirm();
    void selectAllThenCancel_data();
    void selectAllThenCancel();
    void nothingMarkedAndKeypad_data();
    void nothingMarkedAndKeypad();
    void clientBill_data();
    void clientBill();
    void oddData_data();
    void oddData();

private:
    /** A fresh venue on engine with the order of table 5: line 12 x3 with variant 13, line 15 x1. */
    void openVenue(const QString &engine);

    std::shared_ptr<qrv::dao::Database> m_db;
    std::unique_ptr<qrvtest::ScriptedMessageBox> m_boxes;
};

void TestFrmContiSeparati::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
}

void TestFrmContiSeparati::init() {
    m_boxes = std::make_unique<qrvtest::ScriptedMessageBox>();
}

void TestFrmContiSeparati::cleanup() {
    // No database failure may have been shown to the operator.
    for (const auto &box : m_boxes->shown)
        qWarning("message box: %s", qPrintable(box.text));
    const bool quiet = m_boxes->shown.isEmpty();
    m_boxes.reset();
    SharedState::current().DataBase.reset();
    m_db.reset();
    QVERIFY(quiet);
}

void TestFrmContiSeparati::openVenue(const QString &engine) {
    m_db = qrvtest::freshDatabase(engine);
    const QStringList statements = {
        QStringLiteral(
            "Insert into Articoli (Codice, Descrizione, Prezzo) values (1, 'Pizza all''ortolana', 3.3)"),
        QStringLiteral("Insert into Articoli (Codice, Descrizione, Prezzo) values (2, 'Birra', 2.5)"),
        QStringLiteral(
            "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, Importo, "
            "IdRif) values (12, 5, 1, 3, '', 0, 10, 0)"),
        QStringLiteral(
            "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, Importo, "
            "IdRif) values (13, 5, 0, 1, 'senza cipolla', 1, 0.5, 12)"),
        QStringLiteral(
            "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, Importo, "
            "IdRif) values (14, 6, 2, 1, '', 0, 2.5, 0)"),
        QStringLiteral(
            "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, Importo, "
            "IdRif) values (15, 5, 2, 1, '', 0, 2.5, 0)"),
    };
    for (const QString &sql : statements)
        m_db->Execute(sql);

    SharedState &state = SharedState::current();
    state.DataBase = m_db;
    // As the CONTI SEPARATI command leaves them before it shows the screen.
    state.TavoloScelto = QStringLiteral("5");
    state.OperazioneScelta = qrv::qrvFaiContoTavolo;
    state.ContoSubito = true;
    state.ContoSeparato = true;
    state.IdDettSelezionati = QStringLiteral("12;13;15;");
}

void TestFrmContiSeparati::layout() {
    frmContiSeparati *form = frmContiSeparati::instance();
    QCOMPARE(frmContiSeparati::instance(), form);
    QCOMPARE(form->size(), QSize(803, 678)); // 12045 x 10170 twips
    const struct {
        const char *name;
        QString caption;
        QRect geometry;
    } buttons[] = {
        {"cmdContoSubito", QStringLiteral("CONTANTE"), QRect(546, 159, 145, 81)},
        {"cmdPortaAlBanco", QStringLiteral("PORTA  AL  BANCO"), QRect(432, 159, 113, 81)},
        {"cmdSelTutto", QStringLiteral("Seleziona tutto"), QRect(12, 618, 307, 49)},
        {"cmdSpegni", QStringLiteral("X"), QRect(748, -1, 55, 33)},
        {"cmdtastierino(0)", QStringLiteral("1"), QRect(527, 505, 75, 50)},
        {"cmdtastierino(4)", QStringLiteral(","), QRect(603, 557, 75, 50)},
        {"cmdtastierino(5)", QStringLiteral("00"), QRect(679, 557, 75, 50)},
        {"cmdtastierino(6)", QStringLiteral("7"), QRect(527, 401, 75, 50)},
        {"cmdtastierino(11)", QStringLiteral("6"), QRect(679, 453, 75, 50)},
        {"cmdtastierino(12)", QStringLiteral("Canc"), QRect(528, 608, 226, 50)},
    };
    for (const auto &button : buttons) {
        QPushButton *widget = child<QPushButton>(form, QString::fromLatin1(button.name));
        QVERIFY2(widget, button.name);
        QCOMPARE(widget->text(), button.caption);
        QCOMPARE(widget->geometry(), button.geometry);
    }
    const QString captions[] = {QStringLiteral("1"),   QStringLiteral("2"), QStringLiteral("3"),
                                QStringLiteral("0"),   QStringLiteral(","), QStringLiteral("00"),
                                QStringLiteral("7"),   QStringLiteral("8"), QStringLiteral("9"),
                                QStringLiteral("4"),   QStringLiteral("5"), QStringLiteral("6"),
                                QStringLiteral("Canc")};
    for (int i = 0; i < 13; ++i)
        QCOMPARE(child<QPushButton>(form, QStringLiteral("cmdtastierino(%1)").arg(i))->text(), captions[i]);

    // The grid and the heading sit in the panel, at positions relative to it.
    Grid *grid = child<Grid>(form, QStringLiteral("gridScontrino"));
    QVERIFY(grid);
    QCOMPARE(grid->parentWidget()->objectName(), QStringLiteral("frxScontrino"));
    QCOMPARE(grid->parentWidget()->geometry(), QRect(13, 53, 305, 564));
    QCOMPARE(grid->geometry(), QRect(3, 47, 296, 473));
    QCOMPARE(grid->cols(), 4);
    QCOMPARE(grid->columnWidth(0), 187);
    QCOMPARE(grid->columnWidth(3), 3);
    QCOMPARE(child<QLabel>(form, QStringLiteral("lblTavolo"))->parentWidget(), grid->parentWidget());
    QCOMPARE(child<QLabel>(form, QStringLiteral("lblTotaleSel"))->palette().color(QPalette::WindowText),
             QColor(0xFF, 0, 0));
    QCOMPARE(child<QLabel>(form, QStringLiteral("lblRomana"))->palette().color(QPalette::WindowText),
             QColor(0xC0, 0, 0));
}

void TestFrmContiSeparati::markAndConfirm_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("contoSubito");
    for (const QString &engine : qrvtest::engines()) {
        QTest::newRow(qPrintable(engine + QStringLiteral(" CONTANTE")))
            << engine << QStringLiteral("cmdContoSubito") << true;
        QTest::newRow(qPrintable(engine + QStringLiteral(" PORTA AL BANCO")))
            << engine << QStringLiteral("cmdPortaAlBanco") << false;
    }
}

void TestFrmContiSeparati::markAndConfirm() {
    QFETCH(QString, engine);
    QFETCH(QString, button);
    QFETCH(bool, contoSubito);
    openVenue(engine);
    SharedState &state = SharedState::current();

    bool leftOpen = false;
    showScreen(
        [&](frmContiSeparati *form, Grid *grid) {
            QVERIFY(grid);
            // One row per unit: three of line 12 (with its variant), one of line 15; table 6 not shown.
            QCOMPARE(grid->rows(), 4);
            QCOMPARE(grid->textMatrix(0, 0), QStringLiteral("Pizza all'ortolana\r\nsenza cipolla"));
            QCOMPARE(grid->textMatrix(0, 1), QStringLiteral("3,33"));
            QCOMPARE(grid->textMatrix(0, 2), QString());
            QCOMPARE(grid->textMatrix(2, 3), QStringLiteral("12;13;"));
            QCOMPARE(grid->textMatrix(3, 0), QStringLiteral("Birra\r\n"));
            QCOMPARE(grid->textMatrix(3, 1), QStringLiteral("2,50"));
            QCOMPARE(grid->textMatrix(3, 3), QStringLiteral("15;"));
            QCOMPARE(label(form, "lblTavolo"), QStringLiteral("Tavolo  5"));
            QCOMPARE(label(form, "lblTotale"), QStringLiteral("12,50"));
            QCOMPARE(label(form, "lblTotaleSel"), QStringLiteral("0,00"));
            QCOMPARE(label(form, "lblRomana"), qrv::separatebills::PersonSplit::promptText());
            QCOMPARE(state.IdDettSelezionati, QString()); // the load starts with nothing marked

            tapRow(grid, 0);
            QCOMPARE(grid->textMatrix(0, 2), QStringLiteral("X"));
            QCOMPARE(rowColour(grid, 0, 0), yellow);
            QCOMPARE(rowColour(grid, 0, 3), yellow);
            // Column 2 became current, but the descriptions stay in view.
            QCOMPARE(grid->currentColumn(), 2);
            QCOMPARE(grid->horizontalScrollBar()->value(), 0);
            tapRow(grid, 2);
            tapRow(grid, 3);
            QCOMPARE(label(form, "lblTotaleSel"), QStringLiteral("9,16"));
            QCOMPARE(state.IdDettSelezionati, QStringLiteral("12;13;;12;13;;15;;"));

            // A second tap unmarks; a third marks again.
            tapRow(grid, 2);
            QCOMPARE(grid->textMatrix(2, 2), QString());
            QCOMPARE(rowColour(grid, 2, 1), white);
            QCOMPARE(label(form, "lblTotaleSel"), QStringLiteral("5,83"));
            QCOMPARE(state.IdDettSelezionati, QStringLiteral("12;13;;15;;"));
            tapRow(grid, 2);

            tap(form, button);
        },
        &leftOpen);
    QVERIFY(!leftOpen);
    QCOMPARE(state.IdDettSelezionati, QStringLiteral("12;13;;12;13;;15;;"));
    QCOMPARE(state.ContoSeparato, true);
    QCOMPARE(state.ContoSubito, contoSubito);
    QCOMPARE(state.TavoloScelto, QStringLiteral("5"));
}

void TestFrmContiSeparati::selectAllThenCancel_data() {
    qrvtest::addEngineRows();
}

void TestFrmContiSeparati::selectAllThenCancel() {
    QFETCH(QString, engine);
    openVenue(engine);
    SharedState &state = SharedState::current();

    bool leftOpen = false;
    showScreen(
        [&](frmContiSeparati *form, Grid *grid) {
            QCOMPARE(grid->rows(), 4);
            tapRow(grid, 1);
            tap(form, QStringLiteral("cmdSelTutto"));
            for (int r = 0; r < 4; ++r) {
                QCOMPARE(grid->textMatrix(r, 2), QStringLiteral("X")); // row 1 stays marked
                QCOMPARE(rowColour(grid, r, 2), yellow);
            }
            QCOMPARE(grid->row(), 1);
            // The selected total adds the shown unit amounts: 3 x 3,33 + 2,50.
            QCOMPARE(label(form, "lblTotaleSel"), QStringLiteral("12,49"));
            QCOMPARE(label(form, "lblTotale"), QStringLiteral("12,50"));
            QCOMPARE(state.IdDettSelezionati, QStringLiteral("12;13;;12;13;;12;13;;15;;"));
            tap(form, QStringLiteral("cmdSpegni"));
        },
        &leftOpen);
    QVERIFY(!leftOpen);
    QCOMPARE(state.IdDettSelezionati, QString());
    QCOMPARE(state.ContoSeparato, false);
    QCOMPARE(state.ContoSubito, true); // as the caller left it
}

void TestFrmContiSeparati::nothingMarkedAndKeypad_data() {
    qrvtest::addEngineRows();
}

void TestFrmContiSeparati::nothingMarkedAndKeypad() {
    QFETCH(QString, engine);
    openVenue(engine);
    m_db->Execute(
        QStringLiteral("Insert into DettaglioTavoli (Tavolo, Codice, Quantita, Descrizione, Variante, "
                       "Importo, IdRif) values (8, 2, 4, '', 0, 100, 0)"));
    SharedState &state = SharedState::current();
    state.TavoloScelto = QStringLiteral("8");

    const QString message = QStringLiteral("Selezionare un articolo !");
    showScreen([&](frmContiSeparati *form, Grid *grid) {
        QCOMPARE(grid->rows(), 4);
        QCOMPARE(label(form, "lblTotale"), QStringLiteral("100,00"));
        tap(form, QStringLiteral("cmdContoSubito"));
        QVERIFY(form->isVisible());
        QCOMPARE(label(form, "lblMessaggio"), message);
        // Marking and unmarking a row leaves nothing marked: still refused.
        tapRow(grid, 0);
        tapRow(grid, 0);
        tap(form, QStringLiteral("cmdPortaAlBanco"));
        QVERIFY(form->isVisible());
        QCOMPARE(label(form, "lblMessaggio"), message);
        QCOMPARE(state.ContoSeparato, true);

        // The split divides the whole bill; "," is ignored and "Canc" starts over.
        tap(form, QStringLiteral("cmdtastierino(0)")); // "1"
        tap(form, QStringLiteral("cmdtastierino(4)")); // ","
        tap(form, QStringLiteral("cmdtastierino(1)")); // "2"
        QCOMPARE(label(form, "lblRomana"),
                 QStringLiteral("Con 12 persone alla ROMANA sono 8,33333333333333 a testa."));
        tap(form, QStringLiteral("cmdtastierino(12)")); // "Canc"
        QCOMPARE(label(form, "lblRomana"), qrv::separatebills::PersonSplit::promptText());
        tap(form, QStringLiteral("cmdtastierino(3)")); // "0": no division by zero
        QCOMPARE(label(form, "lblRomana"), qrv::separatebills::PersonSplit::zeroPersonsText());
        tap(form, QStringLiteral("cmdtastierino(9)")); // "4"
        QCOMPARE(label(form, "lblRomana"), QStringLiteral("Con 04 persone alla ROMANA sono 25 a testa."));
        QCOMPARE(state.IdDettSelezionati, QString());
        tap(form, QStringLiteral("cmdSpegni"));
    });
    QCOMPARE(state.ContoSeparato, false);

    // The next show loads afresh: the message is gone, the keypad starts empty, the lines are
    // read again; an empty order shows zero totals and refuses both confirms.
    m_db->Execute(QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = 8"));
    state.ContoSeparato = true;
    showScreen([&](frmContiSeparati *form, Grid *grid) {
        QCOMPARE(label(form, "lblMessaggio"), QString());
        QCOMPARE(label(form, "lblRomana"), qrv::separatebills::PersonSplit::promptText());
        QCOMPARE(grid->rows(), 0);
        QCOMPARE(label(form, "lblTotale"), QStringLiteral("0,00"));
        QCOMPARE(label(form, "lblTotaleSel"), QStringLiteral("0,00"));
        tap(form, QStringLiteral("cmdtastierino(0)"));
        QCOMPARE(label(form, "lblRomana"), QStringLiteral("Con 1 persone alla ROMANA sono 0 a testa."));
        tap(form, QStringLiteral("cmdPortaAlBanco"));
        QCOMPARE(label(form, "lblMessaggio"), message);
        tap(form, QStringLiteral("cmdSelTutto")); // nothing to mark, nothing to fail
        tap(form, QStringLiteral("cmdContoSubito"));
        QVERIFY(form->isVisible());
        tap(form, QStringLiteral("cmdSpegni"));
    });
    QCOMPARE(state.ContoSeparato, false);
}

void TestFrmContiSeparati::clientBill_data() {
    qrvtest::addEngineRows();
}

void TestFrmContiSeparati::clientBill() {
    QFETCH(QString, engine);
    openVenue(engine);
    m_db->Execute(
        QStringLiteral("Insert into Tavoli (Codice, Numero, Descrizione, Occupato, CodiceSala) values "
                       "(77, '999', 'Rossi d''Alba', True, 9999)"));
    m_db->Execute(
        QStringLiteral("Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, "
                       "Importo, IdRif) values (40, 77, 2, 2, '', 0, 5, 0)"));
    SharedState &state = SharedState::current();
    // What VisualizzaContoSeparatoCliente(77) sets before it shows the screen.
    state.IdContoCliente = QStringLiteral("77");
    state.TavoloScelto = QStringLiteral("999");
    state.ContoSubito = false;
    state.ContoSeparato = false;

    showScreen([&](frmContiSeparati *form, Grid *grid) {
        QCOMPARE(label(form, "lblTavolo"), QStringLiteral("Conto cliente Rossi d'Alba"));
        QCOMPARE(grid->rows(), 2);
        QCOMPARE(grid->textMatrix(1, 3), QStringLiteral("40;"));
        tapRow(grid, 1);
        tap(form, QStringLiteral("cmdContoSubito"));
    });
    QCOMPARE(state.IdDettSelezionati, QStringLiteral("40;;"));
    QCOMPARE(state.ContoSeparato, true);
    QCOMPARE(state.ContoSubito, true);
    QCOMPARE(state.TavoloScelto, QStringLiteral("999"));
}

void TestFrmContiSeparati::oddData_data() {
    qrvtest::addEngineRows();
}

void TestFrmContiSeparati::oddData() {
    QFETCH(QString, engine);
    openVenue(engine);
    // Null quantity and amount, an article missing from Articoli, a quantity of 0 followed by
    // its variant, and an article whose amount is null.
    const QStringList statements = {
        QStringLiteral(
            "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, Importo, "
            "IdRif) values (50, 9, 1, NULL, '', 0, NULL, 0)"),
        QStringLiteral(
            "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, Importo, "
            "IdRif) values (51, 9, 99, 1, '', 0, 0, 0)"),
        QStringLiteral(
            "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, Importo, "
            "IdRif) values (52, 9, 1, 0, '', 0, 0, 0)"),
        QStringLiteral(
            "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, Importo, "
            "IdRif) values (53, 9, 0, 1, 'l''extra', 1, 1, 52)"),
        QStringLiteral(
            "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, Importo, "
            "IdRif) values (54, 9, 2, 2, '', 0, NULL, 0)"),
    };
    for (const QString &sql : statements)
        m_db->Execute(sql);
    SharedState &state = SharedState::current();
    state.TavoloScelto = QStringLiteral("9");

    showScreen([&](frmContiSeparati *form, Grid *grid) {
        QCOMPARE(grid->rows(), 3);
        QCOMPARE(grid->textMatrix(0, 0), QStringLiteral("\r\n"));
        QCOMPARE(grid->textMatrix(0, 3), QStringLiteral("51;"));
        QCOMPARE(grid->textMatrix(1, 0), QStringLiteral("Birra\r\n"));
        QCOMPARE(grid->textMatrix(1, 1), QStringLiteral("0,00"));
        QCOMPARE(grid->textMatrix(2, 3), QStringLiteral("54;"));
        QCOMPARE(label(form, "lblTotale"), QStringLiteral("0,00"));
        tap(form, QStringLiteral("cmdSelTutto"));
        QCOMPARE(state.IdDettSelezionati, QStringLiteral("51;;54;;54;;"));
        tap(form, QStringLiteral("cmdSpegni"));
    });

    // A table name that is not a number reaches no statement: an empty screen, no failure.
    state.TavoloScelto = QStringLiteral("5' or '1'='1");
    showScreen([&](frmContiSeparati *form, Grid *grid) {
        QCOMPARE(grid->rows(), 0);
        QCOMPARE(label(form, "lblTavolo"), QStringLiteral("Tavolo  5' or '1'='1"));
        tap(form, QStringLiteral("cmdSpegni"));
    });
    state.TavoloScelto = QStringLiteral("999");
    state.IdContoCliente = QStringLiteral("abc");
    showScreen([&](frmContiSeparati *form, Grid *grid) {
        QCOMPARE(grid->rows(), 0);
        QCOMPARE(label(form, "lblTavolo"), QStringLiteral("Conto cliente "));
        tap(form, QStringLiteral("cmdSpegni"));
    });
}

QTEST_MAIN(TestFrmContiSeparati)
#include "test_frmContiSeparati.moc"
