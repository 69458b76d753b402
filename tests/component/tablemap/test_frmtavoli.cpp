// The table map on a real venue (SQLite and PostgreSQL): start-up and unload, the room bar, the
// table buttons and the receipt panel.

#include "support/MapFixture.h"

#include "component/FormRegistry.h"
#include "component/platform/Twips.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTimer>

using namespace qrv;
using namespace maptest;

namespace {

/** The cells of a "|"-separated text. */
QStringList S(const char *cells) {
    return QString::fromUtf8(cells).split(QLatin1Char('|'));
}

/** The receipt commands on show, by name. */
QStringList shownCommands(const Venue &venue) {
    QStringList shown;
    for (const char *name : {"cmdNuovoConto", "cmdNuovoContoWeb", "cmdAggiungiOrdine", "cmdContoSubito",
                             "cmdContiSeparati", "cmdPreconto", "cmdPortaAlBanco", "cmdSposta",
                             "cmdAzzeraTavolo", "cmdAggiungiArticolo", "cmdCancSelezionato"})
        if (!venue.control(name)->isHidden())
            shown << QLatin1String(name);
    return shown;
}

} // namespace

class TestFrmTavoli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { qrvtest::addEngineRows(); }
    void initTestCase() { QLocale::setDefault(QLocale(QStringLiteral("it_IT"))); }

    /** The left column and the header, outside and inside layout editing. */
    void roomBar_data() {
        QTest::addColumn<bool>("editing");
        QTest::newRow("choosing") << false;
        QTest::newRow("layout editing") << true;
    }
    void roomBar() {
        QFETCH(bool, editing);
        Venue venue;
        venue.room(3, "Giardino", "prato.png", 255);
        venue.room(1, "Sala");
        venue.room(9999, "Conti clienti");
        venue.room(2, "Veranda");
        venue.table(1, 1, 1, false, "Finestra");
        venue.table(2, 2, 2, false, "Porta");
        venue.writeIni("[Impostazioni]\nCodiceCassa=  3  \n");
        SharedState::current().Operazione = editing ? qrvAggiornaTavoli : qrvScegliUnTavolo;
        frmTavoli &form = venue.load();

        QCOMPARE(venue.control<QLabel>("lblCassa")->text(), QStringLiteral("Cassa 3"));
        const int screenPx = QGuiApplication::primaryScreen()->geometry().width();
        const int floorTw = twips(screenPx) - 2715 - 4650 - 100;
        // Frameless at the top-left corner: no frame pushes the bottom commands off the screen.
        QCOMPARE(form.frameGeometry(), QRect(0, 0, screenPx, 768));
        QCOMPARE(venue.floor()->geometry(), pxRect(2760, 885, floorTw, 10560));
        QCOMPARE(venue.control<QWidget>("frxScontrino")->x(), px(2760 + floorTw + 30));
        QCOMPARE(venue.control("cmdBancoTavoli")->geometry(), pxRect(150, 10020, 2430, 1350));
        QVERIFY(venue.control<QWidget>("frxScontrino")->isHidden());
        QVERIFY(!venue.control("cmdSala", 3));
        const char *captions[] = {"Sala", "Veranda", "Giardino"};
        for (int k = 0; k < 3; ++k) {
            const int top = 180 + 720 * k;
            QCOMPARE(venue.control("cmdSala", k)->text(), QString::fromUtf8(captions[k]));
            QCOMPARE(venue.control("cmdSala", k)->geometry(), pxRect(150, top, editing ? 1815 : 2445, 690));
            QPushButton *edit = venue.control("cmdModifica", k);
            QCOMPARE(edit && !edit->isHidden(), editing);
            if (editing)
                QCOMPARE(edit->y(), px(k == 0 ? 240 : top));
        }
        for (const char *name : {"cmdNuovaSala", "chkBottoniGrandiTavolo", "lblAggiungi"})
            QCOMPARE(venue.control<QWidget>(name)->isHidden(), !editing);
        QCOMPARE(venue.control<QLabel>("lblTavolo", 0)->isHidden(), editing);
        QCOMPARE(form.state().SalaCorrente, 1);
        venue.control("cmdSala", 1)->click();
        QCOMPARE(form.state().SalaCorrente, 2);
        QCOMPARE(venue.control<QLabel>("lblTitolo")->text(), QStringLiteral("Veranda"));

        QPointer<QPushButton> third = venue.control("cmdSala", 2);
        venue.exec(QStringLiteral("Delete * from Sale Where Codice = 3"));
        form.CaricaSale();
        flushDeletes();
        QVERIFY(third.isNull() && !venue.control("cmdSala", 2));

        // The next load in the other context starts again from the designed controls.
        SharedState::current().Operazione = editing ? qrvScegliUnTavolo : qrvAggiornaTavoli;
        form.done(0);
        form.Form_Load();
        QCOMPARE(venue.control("cmdSala", 0)->width(), px(editing ? 2445 : 1815));
        QCOMPARE(venue.control("cmdModifica", 0)->isHidden(), editing);
        QCOMPARE(venue.control<QLabel>("lblTavolo", 0)->isHidden(), !editing);
    }

    void roomToOpen_data() {
        QTest::addColumn<qint32>("sala");
        QTest::addColumn<qint32>("expected");
        QTest::newRow("no room asked") << 0 << 4;
        QTest::newRow("the second room") << 7 << 7;
        QTest::newRow("a deleted room opens the first") << 5 << 4;
        QTest::newRow("the hidden room 9999 opens the first") << 9999 << 4;
    }
    void roomToOpen() {
        QFETCH(qint32, sala);
        QFETCH(qint32, expected);
        Venue venue;
        venue.room(4, "Sala");
        venue.room(7, "Terrazza");
        venue.room(9999, "Conti clienti");
        venue.table(1, 1, 4);
        venue.table(2, 70, 7);
        venue.table(3, 99, 9999);
        SharedState::current().Sala = sala;
        frmTavoli &form = venue.load();

        QCOMPARE(form.state().SalaCorrente, expected);
        QCOMPARE(venue.control<QLabel>("lblTitolo")->text(),
                 QLatin1String(expected == 4 ? "Sala" : "Terrazza"));
        QCOMPARE(venue.button(0)->text(), QString::number(expected == 4 ? 1 : 70));
        QVERIFY(venue.button(1)->isHidden());
    }

    void buttonsReusedAndDestroyed() {
        Venue venue;
        venue.room(1, "Grande");
        venue.room(2, "Piccola");
        for (int t = 1; t <= 25; ++t)
            venue.table(t, t, 1, t % 2 == 0, t == 3 ? "Anniversario" : nullptr, 100 * t, 50 * t);
        for (int t = 26; t <= 28; ++t)
            venue.table(t, t, 2);
        frmTavoli &form = venue.load();
        TableFloor *floor = venue.floor();

        for (int i = 0; i < 25; ++i) {
            QVERIFY(!venue.button(i)->isHidden());
            QCOMPARE(floor->indexOf(venue.button(i)->text().toInt()), i);
        }
        QVERIFY(!venue.button(25));
        QCOMPARE(venue.control<QLabel>("lblTavolo", floor->indexOf(3))->text(),
                 QStringLiteral("Anniversario"));
        QCOMPARE(venue.control<QLabel>("lblTavolo", floor->indexOf(5))->text(), QString());
        QCOMPARE(tableButton(&form, 3)->geometry(), pxRect(150, 300, 930, 930));
        QCOMPARE(colourOf(tableButton(&form, 3)), Green);
        QCOMPARE(colourOf(tableButton(&form, 4)), Red);

        // A click that rebuilds the floor (as completing a move does) finds its button still there,
        // and one that loads a smaller room destroys it safely, once the click is over.
        QPointer<QPushButton> clicked = venue.button(21);
        QPointer<QPushButton> permanent = venue.button(10);
        auto rebuild = connect(floor, &TableFloor::tableClicked, &form, [&form] { form.CaricaTavoli(); });
        clicked->click();
        disconnect(rebuild);
        flushDeletes();
        QCOMPARE(venue.button(21)->text(), QStringLiteral("22"));
        QVERIFY(venue.button(24) && !venue.button(25));
        rebuild = connect(floor, &TableFloor::tableClicked, &form, [&form] { form.cmdSala_Click(1); });
        venue.button(21)->click();
        disconnect(rebuild);
        QVERIFY(!clicked.isNull()); // kept until its click is over
        flushDeletes();
        QVERIFY(clicked.isNull() && !venue.button(18));
        QCOMPARE(permanent.data(), venue.button(10));
        for (int i = 0; i < 18; ++i) {
            QCOMPARE(venue.button(i)->isHidden(), i >= 3);
            QCOMPARE(venue.control<QLabel>("lblTavolo", i)->isHidden(), i >= 3);
        }

        // Buttons left hidden with the other room's tables are never refreshed.
        const QColor before = colourOf(venue.button(5));
        venue.setOccupato(floor->tag(5).toInt(), before == Green);
        form.RefreshTavolo(venue.button(5)->text(), true);
        form.RefreshTavoloCodice(floor->tag(5));
        QCOMPARE(colourOf(venue.button(5)), before);
        QCOMPARE(form.state().TavoloLampeggiante, -1);

        // A venue whose Tavoli lacks a column the map reads: the failure is shown, the till goes on.
        venue.exec(QStringLiteral("ALTER TABLE Tavoli DROP COLUMN Descrizione"));
        form.TimerRefresh_Timer();
        QCOMPARE(venue.box.shown.size(), 1);
        QVERIFY(venue.box.shown.at(0).text.contains(QLatin1String("CaricaTavoli")));

        // An empty room hides every permanent button.
        venue.exec(QStringLiteral("Delete * from Tavoli Where CodiceSala = 2"));
        form.CaricaTavoli();
        for (int i = 0; i < 18; ++i)
            QVERIFY(venue.button(i)->isHidden());
    }

    void roomLook() {
        Venue venue;
        QDir(venue.app.path()).mkpath(QStringLiteral("SfondiSale"));
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QVERIFY(image.save(venue.app.filePath(QStringLiteral("SfondiSale/legno.png"))));
        QVERIFY(image.save(venue.app.filePath(QStringLiteral("fuori.png"))));
        venue.room(1, "Con immagine", "legno.png");
        venue.room(2, "Immagine mancante", "manca.png", 255);
        venue.room(3, "Nulla");
        venue.room(4, "Fuori cartella", "../fuori.png");
        venue.table(1, 1, 1, true, nullptr, 2000, 30000); // far beyond the floor's right edge
        frmTavoli &form = venue.load();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        // Out of sight, then brought into sight (as dragging does): the screen shows it there.
        QPushButton *table = venue.button(0);
        QVERIFY(!venue.floor()->rect().intersects(table->geometry()));
        venue.floor()->moveTo(0, 2000, 1000);
        const QPoint inside = table->mapTo(&form, QPoint(4, 4));
        QTRY_COMPARE(form.screen()->grabWindow(form.winId()).toImage().pixelColor(inside), Red);

        // A missing picture leaves the colour; a name reaching out of SfondiSale is not loaded.
        const QColor grey(0x80, 0x80, 0x80);
        const QColor colours[] = {grey, QColor(0xFF, 0, 0), grey, grey};
        for (int k = 0; k < 4; ++k) {
            venue.control("cmdSala", k)->click();
            QCOMPARE(venue.floor()->hasPicture(), k == 0);
            QCOMPARE(venue.floor()->floorColour(), colours[k]);
        }
        QVERIFY(venue.window.notices.isEmpty() && venue.box.shown.isEmpty());
    }

    void receiptOfOccupiedTable() {
        Venue venue;
        venue.writeIni("[Tavoli]\nArticoloAggiunta=70002\n"); // codes are 32 bits wide
        venue.room(1, "Sala");
        venue.table(10, 10, 1, true);
        venue.article(1, "Spaghetti alla carbonara");
        venue.article(2, "Acqua");
        venue.article(70002, "Acqua minerale");
        venue.line(101, 10, 1, 2, 20.0);
        // A TAB or line break in a description stays in its cell: it never reaches the ID column.
        venue.line(102, 10, 0, 1, 1.5, 1, "con pancetta\r\n\t9,99\t104");
        venue.line(103, 10, 2, 0, 9.0); // quantity 0: listed, not shown
        venue.line(105, 11, 2, 1, 1.0); // another table
        venue.article(3, nullptr);
        venue.line(106, 10, 3, 1, 2.0);  // an article without a description
        venue.line(107, 10, 99, 1, 3.0); // an article missing from Articoli
        venue.table(20, 20, 1, true, nullptr, 2000);
        for (int id = 201; id <= 260; ++id)
            venue.line(id, 20, 2, 1, 1.2);
        frmTavoli &form = venue.load();
        QCOMPARE(venue.control("cmdAggiungiArticolo")->text(), QStringLiteral("Acqua minerale"));

        venue.button(0)->click();
        QCOMPARE(venue.control<QLabel>("lblTavoloAnteprima")->text(), QStringLiteral("Tavolo 10"));
        Grid *grid = venue.control<Grid>("gridScontrino");
        QCOMPARE(receiptRows(&form),
                 QString::fromUtf8("2|20,00|101 ||0 1|2,00|106 1|3,00|107").split(QLatin1Char(' ')));
        QCOMPARE(grid->textMatrix(0, 1), QStringLiteral("Spaghetti alla c"));
        QCOMPARE(grid->textMatrix(1, 1), QStringLiteral("con pancetta\r\n\t9,99\t104"));
        QCOMPARE(grid->textMatrix(2, 1).trimmed(), QString());
        QCOMPARE(venue.control<QLabel>("lblTotale")->text(), QStringLiteral("26,50"));
        QCOMPARE(shownCommands(venue), S("cmdAggiungiOrdine|cmdContoSubito|cmdContiSeparati|cmdPreconto|"
                                         "cmdPortaAlBanco|cmdSposta|cmdAzzeraTavolo|cmdAggiungiArticolo"));

        // Touching a row: only an order line can be deleted one by one.
        for (int row : {1, 0, 1}) {
            grid->setRow(row);
            emit grid->rowTouched();
            QCOMPARE(venue.control("cmdCancSelezionato")->isHidden(), row == 1);
        }

        // A table without lines: an empty grid and a zero total.
        venue.exec(QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = 10"));
        form.MostraScontrino(QStringLiteral("10"));
        QCOMPARE(grid->rows(), 0);
        QCOMPARE(venue.control<QLabel>("lblTotale")->text(), QStringLiteral("0,00"));
        QCOMPARE(SharedState::current().IdDettSelezionati, QString());

        // One screen down keeps the old last row in view at the top; up goes straight to the first row.
        tableButton(&form, 20)->click();
        QCOMPARE(venue.control<QLabel>("lblTotale")->text(), QStringLiteral("72,00"));
        int previousTop = 0;
        for (int page = 0; page < 3; ++page) {
            const int bottom = grid->bottomRow();
            QVERIFY(bottom > previousTop);
            venue.control("cmdPaginaGiu")->click();
            QTRY_COMPARE(grid->topRow(), bottom);
            previousTop = bottom;
        }
        venue.control("cmdPaginaSu")->click();
        QTRY_COMPARE(grid->topRow(), 0);
    }

    void clickInEveryContext_data() {
        QTest::addColumn<qint32>("context");
        for (qint32 context : {0, 1, 2, 3, 4})
            QTest::addRow("context %d", context) << context;
    }
    void clickInEveryContext() {
        QFETCH(qint32, context);
        Venue venue;
        venue.room(1, "Sala");
        venue.table(1, 1, 1, false);
        venue.table(2, 2, 1, true);
        venue.line(7, 2, 1, 1, 3.0);
        SharedState::current().Operazione = context;
        SharedState::current().IdDettSelezionati = QStringLiteral("99;");
        frmTavoli &form = venue.load();
        QWidget *receipt = venue.control<QWidget>("frxScontrino");

        venue.button(0)->click();
        const bool chooses = context == 1 || context == 3;
        QCOMPARE(receipt->isHidden(), !chooses);
        QCOMPARE(form.state().IndiceTavoloSelezionato, qint16(0));
        if (!chooses) {
            QCOMPARE(SharedState::current().IdDettSelezionati, QStringLiteral("99;"));
            venue.button(1)->click();
            QCOMPARE(form.state().IndiceTavoloSelezionato, qint16(context == 2 ? 1 : 0));
            QVERIFY(receipt->isHidden());
            return;
        }
        QCOMPARE(receiptRows(&form), QStringList{QStringLiteral("||")});
        QCOMPARE(venue.control<Grid>("gridScontrino")->textMatrix(0, 1), QStringLiteral("Nessun ordine"));
        QCOMPARE(shownCommands(venue), S("cmdNuovoConto|cmdNuovoContoWeb|cmdAzzeraTavolo"));
        QCOMPARE(SharedState::current().IdDettSelezionati, QString());

        venue.button(1)->click();
        QCOMPARE(form.state().IndiceTavoloSelezionato, qint16(1));
        QCOMPARE(SharedState::current().IdDettSelezionati, QStringLiteral("7;"));
        QVERIFY(!venue.control("cmdAggiungiOrdine")->isHidden());
        QVERIFY(venue.control("cmdAggiungiArticolo")->isHidden()); // no quick-add article set

        // Another till frees the table between the occupancy check and the display.
        venue.setOccupato(2, false);
        form.cmdConsulta(1);
        QVERIFY(receipt->isHidden());
        QCOMPARE(venue.window.notices.size(), 1);
        const auto &notice = venue.window.notices.first();
        QCOMPARE(notice.testo + QString::asprintf(" %d %d %d", notice.a, notice.b, notice.c),
                 QStringLiteral("Il tavolo non è occupato 2 0 2"));

        // A table deleted by another till: nothing is shown and nobody is told.
        venue.exec(QStringLiteral("Delete * from Tavoli Where Codice = 2"));
        form.cmdConsulta(1);
        QVERIFY(receipt->isHidden());
        QCOMPARE(venue.window.notices.size(), 1);
        QVERIFY(venue.box.shown.isEmpty());
    }

    void unloadStoresRoomAndSwitch() {
        Venue venue;
        const QByteArray ini = "; host settings\r\n[Cassa]\r\nStampante=1\r\n[Tavoli]\r\nBottoniGrandi=1\r\n";
        venue.writeIni(ini);
        venue.room(1, "Uno");
        venue.room(2, "Due");
        venue.room(3, "Tre");
        venue.table(1, 1, 2);
        venue.table(2, 2, 2);

        // Outside layout editing: the stored size is applied, the file is never written.
        SharedState::current().Sala = 2;
        frmTavoli &form = venue.load();
        QCOMPARE(venue.button(0)->size(), QSize(px(1500), px(1500)));
        QCOMPARE(venue.control<QLabel>("lblTavolo", 0)->y(), px(200 + 1500));
        venue.control("cmdSala", 2)->click();
        form.finish();
        QVERIFY(form.endedByCommand());
        QCOMPARE(SharedState::current().Sala, 3);
        QCOMPARE(venue.readIni(), ini);

        // Layout editing: the switch resizes every button at once and is stored at unload.
        SharedState::current().Operazione = qrvAggiornaTavoli;
        SharedState::current().Sala = 2;
        form.Form_Load();
        auto *big = venue.control<QCheckBox>("chkBottoniGrandiTavolo");
        QVERIFY(big->isChecked());
        big->click();
        for (int i = 0; venue.button(i); ++i)
            QCOMPARE(venue.button(i)->size(), QSize(px(930), px(930)));
        QCOMPARE(venue.button(1)->pos(), QPoint(px(200), px(200)));
        form.done(0); // the window manager closes it: the unload still runs
        QVERIFY(!form.endedByCommand());
        QCOMPARE(SharedState::current().Sala, 2);
        const QByteArray written = venue.readIni();
        QVERIFY(written.contains("BottoniGrandi=0") && written.contains("Stampante=1"));
    }

    void modalShows() {
        Venue venue;
        venue.room(1, "Sala");
        venue.room(2, "Altra");
        venue.table(1, 1, 1);
        venue.table(2, 2, 1, true);
        for (int t = 3; t <= 5; ++t)
            venue.table(t, t, 2, true);
        venue.line(1, 2, 1, 1, 2.0);
        SharedState &shared = SharedState::current();
        shared.ContoSubito = true;
        shared.TavoloScelto = QStringLiteral("2");
        const auto show = [] { QVERIFY(FormRegistry::show(FormId::Tavoli)); };

        // The first activation selects TavoloScelto when it is a table of the room on show.
        runMap(
            [&](frmTavoli &form) {
                QVERIFY(!shared.ContoSubito);
                QTRY_VERIFY(!control<QWidget>(&form, "frxScontrino")->isHidden());
                QCOMPARE(control<QLabel>(&form, "lblTavoloAnteprima")->text(), QStringLiteral("Tavolo 2"));
                QCOMPARE(shared.IdDettSelezionati, QStringLiteral("1;"));
                form.Form_Activate(); // later activations do nothing
                QCOMPARE(receiptRows(&form).size(), 1);
                control(&form, "cmdSala", 1)->click(); // buttons 0 to 2 now carry the other room's tables
                form.finish();
            },
            show);
        QCOMPARE(shared.Sala, 2);
        frmTavoli *form = frmTavoli::current();
        QVERIFY(!control<QTimer>(form, "TimerRefresh")->isActive());
        QVERIFY(!control<QUdpSocket>(form, "WinsockNotify")->isOpen());

        // A table of another room selects nothing, even with buttons left over from the last show.
        shared.Sala = 1;
        shared.TavoloScelto = QStringLiteral("5");
        shared.IdDettSelezionati.clear();
        runMap(
            [&](frmTavoli &map) {
                QTRY_VERIFY(map.state().GiaAttivato);
                QCOMPARE(map.state().SalaCorrente, 1);
                QVERIFY(control<QWidget>(&map, "frxScontrino")->isHidden());
                QCOMPARE(shared.IdDettSelezionati, QString());
            },
            show);
        delete form;
    }
};

QTEST_MAIN(TestFrmTavoli)
#include "test_frmtavoli.moc"
