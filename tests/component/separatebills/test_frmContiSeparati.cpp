// The separate-bill screen on a real database (SQLite and PostgreSQL), shown modally as the
// CONTI SEPARATI command and VisualizzaContoSeparatoCliente show it, driven by real taps.
#include "component/FormRegistry.h"
#include "component/platform/Grid.h"
#include "component/separatebills/frmContiSeparati.h"
#include "core/data/dao/Database.h"
#include "core/separatebills/PersonSplit.h"
#include "core/settings/SharedState.h"
#include "support/MapFixture.h"

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
 * it closed: true when the steps closed it, false when it had to be closed here (a failed check,
 * or a button that did not close it).
 */
bool showScreen(const std::function<void(frmContiSeparati *, Grid *)> &steps) {
    bool closed = true;
    QTimer::singleShot(0, [&] {
        frmContiSeparati *form = frmContiSeparati::instance();
        if (form->isVisible())
            steps(form, form->findChild<Grid *>(QStringLiteral("gridScontrino")));
        if (form->isVisible()) {
            closed = false;
            form->reject();
        }
    });
    return FormRegistry::show(FormId::ContiSeparati) && closed;
}

} // namespace

class TestFrmContiSeparati : public QObject {
    Q_OBJECT

    std::unique_ptr<maptest::Venue> m_venue;

    /** A fresh venue on the row's engine with the order of table 5: line 12 x3 with variant 13, line 15 x1.
     */
    void openVenue() {
        m_venue = std::make_unique<maptest::Venue>();
        m_venue->article(1, "Pizza all'ortolana");
        m_venue->article(2, "Birra");
        m_venue->line(12, 5, 1, 3, 10, 0, "");
        m_venue->line(13, 5, 0, 1, 0.5, 1, "senza cipolla");
        m_venue->line(14, 6, 2, 1, 2.5, 0, "");
        m_venue->line(15, 5, 2, 1, 2.5, 0, "");
        SharedState &state = SharedState::current();
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
    void cleanup() {
        const bool quiet = !m_venue || m_venue->box.shown.isEmpty(); // no database failure shown
        m_venue.reset();
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

    // Taps mark and unmark units; "Seleziona tutto" keeps marked rows marked; Escape does not close
    // the screen (the caller's ContoSeparato would stay true). CONTANTE and PORTA AL BANCO confirm
    // the marked units; "X" cancels, and so does a close by the window manager.
    void markAndClose_data() {
        QTest::addColumn<QString>("close"); // the button, none for the window manager
        QTest::addColumn<bool>("confirmed");
        QTest::addColumn<bool>("contoSubito");
        QTest::newRow("CONTANTE") << QStringLiteral("cmdContoSubito") << true << true;
        QTest::newRow("PORTA AL BANCO") << QStringLiteral("cmdPortaAlBanco") << true << false;
        QTest::newRow("X") << QStringLiteral("cmdSpegni") << false << true; // as the caller left it
        QTest::newRow("window manager") << QString() << false << true;
    }
    void markAndClose() {
        QFETCH(QString, close);
        QFETCH(bool, confirmed);
        openVenue();
        SharedState &state = SharedState::current();
        QVERIFY(showScreen([&](frmContiSeparati *form, Grid *grid) {
            // One row per unit: three of line 12 (with its variant), one of line 15; table 6 not shown.
            QCOMPARE(gridRows(grid),
                     QStringList(3, QStringLiteral("Pizza all'ortolana/senza cipolla|3,33||12;13;"))
                         << QStringLiteral("Birra/|2,50||15;"));
            QCOMPARE(label(form, "lblTavolo"), QStringLiteral("Tavolo  5"));
            QCOMPARE(label(form, "lblTotale") + label(form, "lblTotaleSel"), QStringLiteral("12,500,00"));
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
            tapRow(grid, 2); // unmarks
            QCOMPARE(grid->textMatrix(2, 2), QString());
            QCOMPARE(rowColour(grid, 2, 1), white);
            QCOMPARE(label(form, "lblTotaleSel"), QStringLiteral("5,83"));
            QCOMPARE(state.IdDettSelezionati, QStringLiteral("12;13;;15;;"));
            tapRow(grid, 2); // marks again
            if (!confirmed) {
                tap(form, QStringLiteral("cmdSelTutto"));
                for (int r = 0; r < 4; ++r)
                    QVERIFY(grid->textMatrix(r, 2) == QLatin1String("X") && rowColour(grid, r, 2) == yellow);
                QCOMPARE(grid->row(), 1); // the second row becomes the current one
                // The selected total adds the shown unit amounts: 3 x 3,33 + 2,50.
                QCOMPARE(label(form, "lblTotaleSel"), QStringLiteral("12,49"));
                QCOMPARE(state.IdDettSelezionati, QStringLiteral("12;13;;12;13;;12;13;;15;;"));
            }
            QTest::keyClick(form, Qt::Key_Escape);
            QVERIFY(form->isVisible());
            if (close.isEmpty())
                QVERIFY(form->windowHandle()->close()); // as the close request of a window manager
            else
                tap(form, close);
        }));
        QCOMPARE(state.IdDettSelezionati, confirmed ? QStringLiteral("12;13;;12;13;;15;;") : QString());
        QCOMPARE(state.ContoSeparato, confirmed);
        QTEST(state.ContoSubito, "contoSubito");
        QCOMPARE(state.TavoloScelto, QStringLiteral("5"));
    }

    // Nothing marked refuses both confirms; the keypad splits the whole bill. Each show loads
    // afresh (the message gone, the keypad empty, the lines read again): odd lines (an article
    // missing from Articoli, a quantity of 0 followed by its variant, a null amount; null
    // quantities are read in test_separatebillslogic), then table names that are no number and a
    // client bill.
    void refusalsKeypadAndOddOrders() {
        openVenue();
        m_venue->line(16, 8, 2, 4, 100, 0, "");
        SharedState &state = SharedState::current();
        state.TavoloScelto = QStringLiteral("8");
        const QString message = QStringLiteral("Selezionare un articolo !");
        QVERIFY(showScreen([&](frmContiSeparati *form, Grid *grid) {
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
            // "," is ignored, "Canc" starts over, 0 persons divide nothing.
            QStringList shown;
            for (int key : {0, 4, 1, 12, 3}) {
                tap(form, QStringLiteral("cmdtastierino(%1)").arg(key));
                shown << label(form, "lblRomana");
            }
            QCOMPARE(shown,
                     (QStringList{share("1", "100"), share("1", "100"), share("12", "8,33333333333333"),
                                  PersonSplit::promptText(), PersonSplit::zeroPersonsText()}));
            QCOMPARE(state.IdDettSelezionati, QString());
            tap(form, QStringLiteral("cmdSpegni"));
        }));
        QCOMPARE(state.ContoSeparato, false);

        m_venue->line(51, 9, 99, 1, 0, 0, "");
        m_venue->line(52, 9, 1, 0, 0, 0, "");
        m_venue->line(53, 9, 0, 1, 1, 1, "l'extra");
        m_venue->line(54, 9, 2, 2, 0, 0, "");
        // TABs in a variant's text stay in the description: they never reach the amount, mark or ids.
        m_venue->line(55, 9, 0, 1, 0, 1, "ghiaccio\t9,99\tX\t99;");
        m_venue->exec(QStringLiteral("Update DettaglioTavoli Set Importo = NULL Where ID = 54"));
        state.TavoloScelto = QStringLiteral("9");
        state.ContoSeparato = true;
        QVERIFY(showScreen([&](frmContiSeparati *form, Grid *grid) {
            QCOMPARE(label(form, "lblMessaggio"), QString());
            QCOMPARE(label(form, "lblRomana"), PersonSplit::promptText());
            QCOMPARE(gridRows(grid),
                     QStringList({QStringLiteral("/|0,00||51;"),
                                  QStringLiteral("Birra/ghiaccio\t9,99\tX\t99;|0,00||54;55;"),
                                  QStringLiteral("Birra/ghiaccio\t9,99\tX\t99;|0,00||54;55;")}));
            QCOMPARE(label(form, "lblTotale"), QStringLiteral("0,00"));
            tap(form, QStringLiteral("cmdSelTutto"));
            QCOMPARE(state.IdDettSelezionati, QStringLiteral("51;;54;55;;54;55;;"));
            tap(form, QStringLiteral("cmdSpegni"));
        }));
        QCOMPARE(state.ContoSeparato, false);

        // A table name that is not a number reaches no statement: an empty screen (zero totals,
        // nothing to mark, nothing to confirm), no failure. Client bills are headed by the client.
        m_venue->table(77, 999, 9999, true, "Rossi d'Alba");
        m_venue->line(40, 77, 2, 2, 5, 0, "");
        const struct {
            const char *tavolo, *cliente, *heading;
            int rows;
        } shows[] = {{"5' or '1'='1", "77", "Tavolo  5' or '1'='1", 0},
                     {"999", "abc", "Conto cliente ", 0},
                     {"999", "77", "Conto cliente Rossi d'Alba", 2}};
        for (const auto &show : shows) {
            state.TavoloScelto = QString::fromLatin1(show.tavolo);
            state.IdContoCliente = QString::fromLatin1(show.cliente);
            QVERIFY(showScreen([&](frmContiSeparati *form, Grid *grid) {
                QCOMPARE(label(form, "lblTavolo"), QString::fromLatin1(show.heading));
                QCOMPARE(grid->rows(), show.rows);
                if (show.rows == 0) {
                    QCOMPARE(label(form, "lblTotale") + label(form, "lblTotaleSel"),
                             QStringLiteral("0,000,00"));
                    tap(form, QStringLiteral("cmdSelTutto"));
                    tap(form, QStringLiteral("cmdContoSubito"));
                    QCOMPARE(label(form, "lblMessaggio"), message);
                }
                tap(form, QStringLiteral("cmdSpegni"));
            }));
        }
    }
};

QTEST_MAIN(TestFrmContiSeparati)
#include "test_frmContiSeparati.moc"
