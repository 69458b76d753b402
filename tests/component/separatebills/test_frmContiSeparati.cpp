// The separate-bill screen on a real database (SQLite and PostgreSQL), shown modally as the
// CONTI SEPARATI command and VisualizzaContoSeparatoCliente show it, driven by real taps.
#include "component/FormRegistry.h"
#include "component/platform/Grid.h"
#include "component/separatebills/frmContiSeparati.h"
#include "core/data/dao/Database.h"
#include "core/separatebills/PersonSplit.h"
#include "core/settings/SharedState.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QWindow>
#include <QtTest>

#include <functional>

using qrv::FormId;
using qrv::FormRegistry;
using qrv::frmContiSeparati;
using qrv::Grid;
using qrv::SharedState;
using qrv::separatebills::PersonSplit;

namespace {

const QColor yellow(0xFF, 0xFF, 0x00);
const QColor white(0xFF, 0xFF, 0xFF);

template <typename T> T *child(QWidget *form, const QString &name) {
    return form->findChild<T *>(name);
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

void tapKey(QWidget *form, int index) {
    tap(form, QStringLiteral("cmdtastierino(%1)").arg(index));
}

void tapRow(Grid *grid, int row) {
    QVERIFY(grid->item(row, 0));
    grid->scrollToItem(grid->item(row, 0));
    const QRect cell = grid->visualItemRect(grid->item(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

/** The grid, one "description|amount|mark|ids" text per row, the line break written as "/". */
QStringList gridRows(Grid *grid) {
    QStringList rows;
    for (int r = 0; r < grid->rows(); ++r) {
        QStringList cells;
        for (int c = 0; c < 4; ++c)
            cells << grid->textMatrix(r, c).replace(QLatin1String("\r\n"), QLatin1String("/"));
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QColor rowColour(Grid *grid, int row, int col) {
    const QTableWidgetItem *cell = grid->item(row, col);
    return cell ? cell->background().color() : QColor();
}

QString share(const char *persons, const char *amount) {
    return QStringLiteral("Con %1 persone alla ROMANA sono %2 a testa.")
        .arg(QLatin1String(persons), QLatin1String(amount));
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

    std::shared_ptr<qrv::dao::Database> m_db;
    std::unique_ptr<qrvtest::ScriptedMessageBox> m_boxes;

    /** Inserts an order line; quantity and amount are SQL texts, so NULL can be given. */
    void addLine(int id, int tavolo, int codice, const char *quantita, const char *descrizione, int variante,
                 const char *importo) {
        m_db->Execute(
            QStringLiteral("Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, "
                           "Variante, Importo, IdRif) values (%1, %2, %3, %4, '%5', %6, %7, 0)")
                .arg(id)
                .arg(tavolo)
                .arg(codice)
                .arg(QLatin1String(quantita), QLatin1String(descrizione))
                .arg(variante)
                .arg(QLatin1String(importo)));
    }

    /** A fresh venue on engine with the order of table 5: line 12 x3 with variant 13, line 15 x1. */
    void openVenue() {
        QFETCH_GLOBAL(QString, engine);
        m_db = qrvtest::freshDatabase(engine);
        m_db->Execute(QStringLiteral(
            "Insert into Articoli (Codice, Descrizione, Prezzo) values (1, 'Pizza all''ortolana', 3.3)"));
        m_db->Execute(
            QStringLiteral("Insert into Articoli (Codice, Descrizione, Prezzo) values (2, 'Birra', 2.5)"));
        addLine(12, 5, 1, "3", "", 0, "10");
        addLine(13, 5, 0, "1", "senza cipolla", 1, "0.5");
        addLine(14, 6, 2, "1", "", 0, "2.5");
        addLine(15, 5, 2, "1", "", 0, "2.5");
        SharedState &state = SharedState::current();
        state.DataBase = m_db;
        // As the CONTI SEPARATI command leaves them before it shows the screen.
        state.TavoloScelto = QStringLiteral("5");
        state.OperazioneScelta = qrv::qrvFaiContoTavolo;
        state.ContoSubito = true;
        state.ContoSeparato = true;
        state.IdDettSelezionati = QStringLiteral("12;13;15;");
    }

private slots:
    void initTestCase_data() { qrvtest::addEngineRows(); }
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void init() { m_boxes = std::make_unique<qrvtest::ScriptedMessageBox>(); }
    void cleanup() {
        const bool quiet = m_boxes->shown.isEmpty(); // no database failure shown to the operator
        m_boxes.reset();
        SharedState::current().DataBase.reset();
        m_db.reset();
        QVERIFY(quiet);
    }

    void layout() {
        frmContiSeparati *form = frmContiSeparati::instance();
        QCOMPARE(form->size(), QSize(803, 678)); // 12045 x 10170 twips
        const struct {
            const char *name, *caption;
            QRect geometry;
        } buttons[] = {
            {"cmdContoSubito", "CONTANTE", QRect(546, 159, 145, 81)},
            {"cmdPortaAlBanco", "PORTA  AL  BANCO", QRect(432, 159, 113, 81)},
            {"cmdSelTutto", "Seleziona tutto", QRect(12, 618, 307, 49)},
            {"cmdSpegni", "X", QRect(748, -1, 55, 33)},
            {"cmdtastierino(0)", "1", QRect(527, 505, 75, 50)},
            {"cmdtastierino(12)", "Canc", QRect(528, 608, 226, 50)},
        };
        for (const auto &button : buttons) {
            QPushButton *widget = child<QPushButton>(form, QString::fromLatin1(button.name));
            QVERIFY2(widget, button.name);
            QCOMPARE(widget->text(), QString::fromLatin1(button.caption));
            QCOMPARE(widget->geometry(), button.geometry);
        }
        const QStringList captions = QStringLiteral("1 2 3 0 , 00 7 8 9 4 5 6 Canc").split(QLatin1Char(' '));
        for (int i = 0; i < 13; ++i)
            QCOMPARE(child<QPushButton>(form, QStringLiteral("cmdtastierino(%1)").arg(i))->text(),
                     captions[i]);

        // The grid and the heading sit in the panel, at positions relative to it.
        Grid *grid = child<Grid>(form, QStringLiteral("gridScontrino"));
        QVERIFY(grid);
        QCOMPARE(grid->parentWidget()->objectName(), QStringLiteral("frxScontrino"));
        QCOMPARE(grid->parentWidget()->geometry(), QRect(13, 53, 305, 564));
        QCOMPARE(grid->geometry(), QRect(3, 47, 296, 473));
        QCOMPARE(child<QLabel>(form, QStringLiteral("lblTavolo"))->parentWidget(), grid->parentWidget());
    }

    void markAndConfirm_data() {
        QTest::addColumn<bool>("contoSubito");
        QTest::newRow("CONTANTE") << true;
        QTest::newRow("PORTA AL BANCO") << false;
    }
    void markAndConfirm() {
        QFETCH(bool, contoSubito);
        openVenue();
        SharedState &state = SharedState::current();
        bool leftOpen = false;
        showScreen(
            [&](frmContiSeparati *form, Grid *grid) {
                // One row per unit: three of line 12 (with its variant), one of line 15; table 6 not shown.
                QCOMPARE(gridRows(grid),
                         QStringList(3, QStringLiteral("Pizza all'ortolana/senza cipolla|3,33||12;13;"))
                             << QStringLiteral("Birra/|2,50||15;"));
                QCOMPARE(label(form, "lblTavolo"), QStringLiteral("Tavolo  5"));
                QCOMPARE(label(form, "lblTotale"), QStringLiteral("12,50"));
                QCOMPARE(label(form, "lblTotaleSel"), QStringLiteral("0,00"));
                QCOMPARE(label(form, "lblRomana"), PersonSplit::promptText());
                QCOMPARE(state.IdDettSelezionati, QString()); // the load starts with nothing marked

                tapRow(grid, 0);
                QCOMPARE(grid->textMatrix(0, 2), QStringLiteral("X"));
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
                tap(form, contoSubito ? QStringLiteral("cmdContoSubito") : QStringLiteral("cmdPortaAlBanco"));
            },
            &leftOpen);
        QVERIFY(!leftOpen);
        QCOMPARE(state.IdDettSelezionati, QStringLiteral("12;13;;12;13;;15;;"));
        QVERIFY(state.ContoSeparato);
        QCOMPARE(state.ContoSubito, contoSubito);
        QCOMPARE(state.TavoloScelto, QStringLiteral("5"));
    }

    // "Seleziona tutto" keeps marked rows marked; Escape does not close the screen (the caller's
    // ContoSeparato would stay true); "X" cancels, and so does a close by the window manager.
    void selectAllThenCancel_data() {
        QTest::addColumn<bool>("byWindowManager");
        QTest::newRow("X") << false;
        QTest::newRow("window manager") << true;
    }
    void selectAllThenCancel() {
        QFETCH(bool, byWindowManager);
        openVenue();
        SharedState &state = SharedState::current();
        bool leftOpen = false;
        showScreen(
            [&](frmContiSeparati *form, Grid *grid) {
                QCOMPARE(grid->rows(), 4);
                tapRow(grid, 1);
                tap(form, QStringLiteral("cmdSelTutto"));
                for (int r = 0; r < 4; ++r) {
                    QCOMPARE(grid->textMatrix(r, 2), QStringLiteral("X"));
                    QCOMPARE(rowColour(grid, r, 2), yellow);
                }
                QCOMPARE(grid->row(), 1);
                // The selected total adds the shown unit amounts: 3 x 3,33 + 2,50.
                QCOMPARE(label(form, "lblTotaleSel"), QStringLiteral("12,49"));
                QCOMPARE(state.IdDettSelezionati, QStringLiteral("12;13;;12;13;;12;13;;15;;"));
                QTest::keyClick(form, Qt::Key_Escape);
                QVERIFY(form->isVisible());
                if (byWindowManager)
                    QVERIFY(form->windowHandle()->close()); // as the close request of a window manager
                else
                    tap(form, QStringLiteral("cmdSpegni"));
            },
            &leftOpen);
        QVERIFY(!leftOpen);
        QCOMPARE(state.IdDettSelezionati, QString());
        QCOMPARE(state.ContoSeparato, false);
        QCOMPARE(state.ContoSubito, true); // as the caller left it
    }

    void nothingMarkedAndKeypad() {
        openVenue();
        addLine(16, 8, 2, "4", "", 0, "100");
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

            // The split divides the whole bill; "," is ignored, "Canc" starts over, 0 persons
            // divide nothing.
            QStringList shown;
            for (int key : {0, 4, 1, 12, 3}) {
                tapKey(form, key);
                shown << label(form, "lblRomana");
            }
            QCOMPARE(shown,
                     (QStringList{share("1", "100"), share("1", "100"), share("12", "8,33333333333333"),
                                  PersonSplit::promptText(), PersonSplit::zeroPersonsText()}));
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
            QCOMPARE(label(form, "lblRomana"), PersonSplit::promptText());
            QCOMPARE(grid->rows(), 0);
            QCOMPARE(label(form, "lblTotale") + label(form, "lblTotaleSel"), QStringLiteral("0,000,00"));
            tap(form, QStringLiteral("cmdPortaAlBanco"));
            QCOMPARE(label(form, "lblMessaggio"), message);
            tap(form, QStringLiteral("cmdSelTutto")); // nothing to mark, nothing to fail
            tap(form, QStringLiteral("cmdContoSubito"));
            QVERIFY(form->isVisible());
            tap(form, QStringLiteral("cmdSpegni"));
        });
        QCOMPARE(state.ContoSeparato, false);
    }

    void clientBill() {
        openVenue();
        m_db->Execute(QStringLiteral("Insert into Tavoli (Codice, Numero, Descrizione, Occupato, CodiceSala) "
                                     "values (77, '999', 'Rossi d''Alba', True, 9999)"));
        addLine(40, 77, 2, "2", "", 0, "5");
        SharedState &state = SharedState::current();
        // What VisualizzaContoSeparatoCliente(77) sets before it shows the screen.
        state.IdContoCliente = QStringLiteral("77");
        state.TavoloScelto = QStringLiteral("999");
        state.ContoSubito = false;
        state.ContoSeparato = false;
        showScreen([&](frmContiSeparati *form, Grid *grid) {
            QCOMPARE(label(form, "lblTavolo"), QStringLiteral("Conto cliente Rossi d'Alba"));
            QCOMPARE(gridRows(grid), QStringList(2, QStringLiteral("Birra/|2,50||40;")));
            tapRow(grid, 1);
            tap(form, QStringLiteral("cmdContoSubito"));
        });
        QCOMPARE(state.IdDettSelezionati, QStringLiteral("40;;"));
        QVERIFY(state.ContoSeparato && state.ContoSubito);
        QCOMPARE(state.TavoloScelto, QStringLiteral("999"));
    }

    // Null quantity and amount, an article missing from Articoli, a quantity of 0 followed by its
    // variant, an article whose amount is null; then table names that are no number.
    void oddData() {
        openVenue();
        addLine(50, 9, 1, "NULL", "", 0, "NULL");
        addLine(51, 9, 99, "1", "", 0, "0");
        addLine(52, 9, 1, "0", "", 0, "0");
        addLine(53, 9, 0, "1", "l''extra", 1, "1");
        addLine(54, 9, 2, "2", "", 0, "NULL");
        // TABs in a variant's text stay in the description: they never reach the amount, mark or ids.
        addLine(55, 9, 0, "1", "ghiaccio\t9,99\tX\t99;", 1, "0");
        SharedState &state = SharedState::current();
        state.TavoloScelto = QStringLiteral("9");
        showScreen([&](frmContiSeparati *form, Grid *grid) {
            QCOMPARE(gridRows(grid),
                     QStringList({QStringLiteral("/|0,00||51;"),
                                  QStringLiteral("Birra/ghiaccio\t9,99\tX\t99;|0,00||54;55;"),
                                  QStringLiteral("Birra/ghiaccio\t9,99\tX\t99;|0,00||54;55;")}));
            QCOMPARE(label(form, "lblTotale"), QStringLiteral("0,00"));
            tap(form, QStringLiteral("cmdSelTutto"));
            QCOMPARE(state.IdDettSelezionati, QStringLiteral("51;;54;55;;54;55;;"));
            tap(form, QStringLiteral("cmdSpegni"));
        });

        // A table name that is not a number reaches no statement: an empty screen, no failure.
        for (const char *heading : {"Tavolo  5' or '1'='1", "Conto cliente "}) {
            const bool client = heading[0] == 'C';
            state.TavoloScelto = client ? QStringLiteral("999") : QStringLiteral("5' or '1'='1");
            state.IdContoCliente = QStringLiteral("abc");
            showScreen([&](frmContiSeparati *form, Grid *grid) {
                QCOMPARE(grid->rows(), 0);
                QCOMPARE(label(form, "lblTavolo"), QString::fromLatin1(heading));
                tap(form, QStringLiteral("cmdSpegni"));
            });
        }
    }
};

QTEST_MAIN(TestFrmContiSeparati)
#include "test_frmContiSeparati.moc"
