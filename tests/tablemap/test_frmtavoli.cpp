// The table map on a real venue (SQLite and PostgreSQL): start-up and unload, the room bar, the
// table buttons and the receipt panel.

#include "MapFixture.h"

#include "component/FormRegistry.h"
#include "platform/Grid.h"
#include "tablemap/logic/MapClock.h"
#include "tablemap/logic/MapGeometry.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace qrv;
using maptest::colourOf;
using maptest::Venue;

namespace {

const QColor Red(0xFF, 0x3E, 0x3E);
const QColor Green(0x6C, 0xE8, 0x6C);

class FixedClock : public MapClock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 4), QTime(22, 9, 41)); }
};

QStringList S(std::initializer_list<const char *> texts) {
    QStringList list;
    for (const char *t : texts)
        list << QString::fromUtf8(t);
    return list;
}

QStringList visibleCommands(const frmTavoli &form) {
    QStringList shown;
    for (QPushButton *b :
         {form.cmdNuovoConto(), form.cmdNuovoContoWeb(), form.cmdAggiungiOrdine(), form.cmdContoSubito(),
          form.cmdContiSeparati(), form.cmdPreconto(), form.cmdPortaAlBanco(), form.cmdSposta(),
          form.cmdAzzeraTavolo(), form.cmdAggiungiArticolo(), form.cmdCancSelezionato()})
        if (!b->isHidden())
            shown << b->objectName();
    return shown;
}

QStringList gridRow(Grid *grid, int row) {
    QStringList cells;
    for (int c = 0; c < 4; ++c)
        cells << grid->textMatrix(row, c);
    return cells;
}

} // namespace

class TestFrmTavoli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QStringLiteral("it_IT"))); }

    void layoutAndHeader_data() { qrvtest::addEngineRows(); }
    void layoutAndHeader();
    void roomBar_data() { qrvtest::addEngineRows(); }
    void roomBar();
    void roomBarInLayoutEditing_data() { qrvtest::addEngineRows(); }
    void roomBarInLayoutEditing();
    void roomToOpen_data();
    void roomToOpen();
    void buttonsReusedAndDestroyed_data() { qrvtest::addEngineRows(); }
    void buttonsReusedAndDestroyed();
    void roomLook_data() { qrvtest::addEngineRows(); }
    void roomLook();
    void singleRefreshes_data() { qrvtest::addEngineRows(); }
    void singleRefreshes();
    void receiptOfOccupiedTable_data() { qrvtest::addEngineRows(); }
    void receiptOfOccupiedTable();
    void clickInEveryContext_data();
    void clickInEveryContext();
    void tableFreedMeanwhile_data() { qrvtest::addEngineRows(); }
    void tableFreedMeanwhile();
    void scrollButtons_data() { qrvtest::addEngineRows(); }
    void scrollButtons();
    void unloadStoresRoomAndSwitch_data() { qrvtest::addEngineRows(); }
    void unloadStoresRoomAndSwitch();
    void firstActivationPreselects_data() { qrvtest::addEngineRows(); }
    void firstActivationPreselects();
    void modalShowThroughRegistry_data() { qrvtest::addEngineRows(); }
    void modalShowThroughRegistry();
};

void TestFrmTavoli::layoutAndHeader() {
    QFETCH(QString, engine);
    Venue venue(engine);
    venue.room(1, QStringLiteral("Sala"));
    venue.writeIni("[Impostazioni]\nCodiceCassa=  3  \n");
    FixedClock clock;
    MapClock::install(&clock);
    frmTavoli &form = venue.load();
    MapClock::install(nullptr);

    QCOMPARE(form.lblCassa()->text(), QStringLiteral("Cassa 3"));
    QCOMPARE(form.lblDataOra()->text(), QStringLiteral("04/12/2026 - 22:09"));

    // The floor takes what the room bar and the receipt panel leave of the screen.
    const int screenTw = twips(QGuiApplication::primaryScreen()->geometry().width());
    QCOMPARE(form.width(), QGuiApplication::primaryScreen()->geometry().width());
    QCOMPARE(form.height(), 768);
    QCOMPARE(form.fraTavoli()->geometry(),
             pxRect(2760, 885, MapGeometry::floorWidth(screenTw), MapGeometry::FloorHeight));
    QCOMPARE(form.frxScontrino()->x(), px(MapGeometry::receiptLeft(screenTw)));
    QCOMPARE(form.lblCassa()->x(), px(MapGeometry::receiptLeft(screenTw) + 20));
    QCOMPARE(form.lblTitolo()->width(), px(MapGeometry::floorWidth(screenTw) - 100));
    QCOMPARE(form.cmdBancoTavoli()->geometry(), pxRect(150, 10020, 2430, 1350));

    // Every control answers to its name, array elements with their index.
    for (const char *name : {"fraSale",
                             "cmdSala(0)",
                             "cmdModifica(0)",
                             "cmdAggiungiArticolo",
                             "chkBottoniGrandiTavolo",
                             "cmdNuovaSala",
                             "cmdBancoTavoli",
                             "picTitolo",
                             "lblTitolo",
                             "fraTavoli",
                             "frxScontrino",
                             "lblApplicazione",
                             "lblDataOra",
                             "lblCassa",
                             "lblAggiungi",
                             "cmdTavolo(17)",
                             "lblTavolo(17)",
                             "gridScontrino",
                             "lblTotale",
                             "lblTavoloAnteprima",
                             "cmdCancSelezionato",
                             "cmdPaginaSu",
                             "cmdPaginaGiu",
                             "cmdNuovoConto",
                             "cmdNuovoContoWeb",
                             "cmdAggiungiOrdine",
                             "cmdContoSubito",
                             "cmdContiSeparati",
                             "cmdPreconto",
                             "cmdPortaAlBanco",
                             "cmdSposta",
                             "cmdAzzeraTavolo",
                             "TimerRefresh",
                             "TimerLampeggio",
                             "timerOrologio",
                             "WinsockNotify"})
        QVERIFY2(form.findChild<QObject *>(QLatin1String(name)), name);

    // Outside layout editing the new-room command, the switch and the floor hint are hidden.
    QVERIFY(form.cmdNuovaSala()->isHidden());
    QVERIFY(form.chkBottoniGrandiTavolo()->isHidden());
    QVERIFY(form.lblAggiungi()->isHidden());
    QVERIFY(form.frxScontrino()->isHidden());
}

void TestFrmTavoli::roomBar() {
    QFETCH(QString, engine);
    Venue venue(engine);
    venue.room(3, QStringLiteral("Giardino"), QStringLiteral("prato.png"), 255);
    venue.room(1, QStringLiteral("Sala"));
    venue.room(9999, QStringLiteral("Conti clienti"));
    venue.room(2, QStringLiteral("Veranda"));
    frmTavoli &form = venue.load();

    QCOMPARE(form.cmdSalaCount(), 3);
    const QStringList captions = {QStringLiteral("Sala"), QStringLiteral("Veranda"),
                                  QStringLiteral("Giardino")};
    const int tops[] = {180, 900, 1620};
    for (int k = 0; k < 3; ++k) {
        QCOMPARE(form.cmdSala(k)->text(), captions.at(k));
        QCOMPARE(form.cmdSala(k)->property("Tag").toString(), QString::number(k + 1));
        QCOMPARE(form.cmdSala(k)->geometry(), pxRect(150, tops[k], 2445, 690));
        QVERIFY(!form.cmdSala(k)->isHidden());
        QVERIFY(!form.cmdModifica(k) || form.cmdModifica(k)->isHidden());
    }
    QCOMPARE(form.state().DatiSale.size(), 3);
    QCOMPARE(form.state().DatiSale.at(0).Sfondo, QString());
    QCOMPARE(form.state().DatiSale.at(0).ColoreSfondo, 0);
    QCOMPARE(form.state().DatiSale.at(2).Sfondo, QStringLiteral("prato.png"));
    QCOMPARE(form.state().DatiSale.at(2).ColoreSfondo, 255);
    QCOMPARE(form.lblTitolo()->text(), QStringLiteral("Sala"));
    QCOMPARE(form.state().SalaCorrente, 1);

    // A room button makes its room current; the bar keeps its colours.
    form.cmdSala(1)->click();
    QCOMPARE(form.state().SalaCorrente, 2);
    QCOMPARE(form.state().IndiceSalaCorrente, qint16(1));
    QCOMPARE(form.lblTitolo()->text(), QStringLiteral("Veranda"));

    // Rebuilding after a deletion destroys the third button.
    QPointer<QPushButton> third = form.cmdSala(2);
    venue.exec(QStringLiteral("Delete * from Sale Where Codice = 3"));
    form.CaricaSale();
    maptest::flushDeletes();
    QCOMPARE(form.cmdSalaCount(), 2);
    QVERIFY(third.isNull());
    QCOMPARE(form.state().DatiSale.size(), 2);
    QCOMPARE(form.findChildren<QPushButton *>(QStringLiteral("cmdSala(2)")).size(), 0);
}

void TestFrmTavoli::roomBarInLayoutEditing() {
    QFETCH(QString, engine);
    Venue venue(engine);
    for (int k = 1; k <= 3; ++k)
        venue.room(k, QStringLiteral("Sala %1").arg(k));
    venue.table(1, QStringLiteral("1"), 1, false, QStringLiteral("Finestra"));
    SharedState::current().Operazione = qrvAggiornaTavoli;
    frmTavoli &form = venue.load();

    for (int k = 0; k < 3; ++k) {
        QCOMPARE(form.cmdSala(k)->width(), px(1815));
        QVERIFY(form.cmdModifica(k) && !form.cmdModifica(k)->isHidden());
        QCOMPARE(form.cmdModifica(k)->y(), k == 0 ? px(240) : form.cmdSala(k)->y());
    }
    QVERIFY(!form.cmdNuovaSala()->isHidden());
    QVERIFY(!form.chkBottoniGrandiTavolo()->isHidden());
    QVERIFY(!form.lblAggiungi()->isHidden());
    // Descriptions stay hidden while the floor is edited.
    QVERIFY(!form.cmdTavolo(0)->isHidden());
    QVERIFY(form.lblTavolo(0)->isHidden());

    // The next load outside layout editing starts again from the designed width.
    SharedState::current().Operazione = qrvScegliUnTavolo;
    form.done(0);
    form.Form_Load();
    QCOMPARE(form.cmdSala(0)->width(), px(2445));
    QVERIFY(form.cmdModifica(0)->isHidden());
    QVERIFY(!form.lblTavolo(0)->isHidden());
}

void TestFrmTavoli::roomToOpen_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<qint32>("sala");
    QTest::addColumn<qint32>("expected");
    for (const QString &engine : qrvtest::engines()) {
        QTest::addRow("%s: no room asked", qPrintable(engine)) << engine << 0 << 4;
        QTest::addRow("%s: the second room", qPrintable(engine)) << engine << 7 << 7;
        QTest::addRow("%s: a deleted room opens the first", qPrintable(engine)) << engine << 5 << 4;
        QTest::addRow("%s: the hidden room 9999 opens the first", qPrintable(engine)) << engine << 9999 << 4;
    }
}

void TestFrmTavoli::roomToOpen() {
    QFETCH(QString, engine);
    QFETCH(qint32, sala);
    QFETCH(qint32, expected);
    Venue venue(engine);
    venue.room(4, QStringLiteral("Sala"));
    venue.room(7, QStringLiteral("Terrazza"));
    venue.room(9999, QStringLiteral("Conti clienti"));
    venue.table(1, QStringLiteral("1"), 4);
    venue.table(2, QStringLiteral("70"), 7);
    venue.table(3, QStringLiteral("99"), 9999);
    SharedState::current().Sala = sala;
    frmTavoli &form = venue.load();

    QCOMPARE(form.state().SalaCorrente, expected);
    QCOMPARE(form.lblTitolo()->text(), expected == 4 ? QStringLiteral("Sala") : QStringLiteral("Terrazza"));
    QCOMPARE(form.cmdTavolo(0)->text(), expected == 4 ? QStringLiteral("1") : QStringLiteral("70"));
    QVERIFY(form.cmdTavolo(1)->isHidden());
}

void TestFrmTavoli::buttonsReusedAndDestroyed() {
    QFETCH(QString, engine);
    Venue venue(engine);
    venue.room(1, QStringLiteral("Grande"));
    venue.room(2, QStringLiteral("Piccola"));
    for (int t = 1; t <= 25; ++t)
        venue.table(t, QString::number(t), 1, t % 2 == 0, t == 3 ? QStringLiteral("Anniversario") : QString(),
                    100 * t, 50 * t);
    for (int t = 26; t <= 28; ++t)
        venue.table(t, QString::number(t), 2);
    frmTavoli &form = venue.load();

    QCOMPARE(form.cmdTavoloCount(), 25);
    for (int i = 0; i < 25; ++i) {
        QVERIFY(!form.cmdTavolo(i)->isHidden());
        QCOMPARE(form.tagTavolo(i).toInt(), form.cmdTavolo(i)->text().toInt());
        QCOMPARE(form.indiceTavolo(form.tagTavolo(i).toInt()), i);
    }
    const int third = form.indiceTavolo(3);
    QCOMPARE(form.lblTavolo(third)->text(), QStringLiteral("Anniversario"));
    QCOMPARE(form.cmdTavolo(third)->pos(), QPoint(px(150), px(300)));
    QCOMPARE(form.lblTavolo(third)->pos(), QPoint(px(150), px(300 + 930)));
    QCOMPARE(form.cmdTavolo(third)->size(), QSize(px(930), px(930)));
    QCOMPARE(colourOf(form.cmdTavolo(third)), Green);
    QCOMPARE(colourOf(form.cmdTavolo(form.indiceTavolo(4))), Red);
    QCOMPARE(form.lblTavolo(form.indiceTavolo(5))->text(), QString()); // null description

    // A click that rebuilds the floor (as completing a move does) destroys its own button safely.
    QPointer<QPushButton> clicked = form.cmdTavolo(21);
    const auto rebuild =
        connect(form.fraTavoli(), &TableFloor::tableClicked, &form, [&form] { form.CaricaTavoli(); });
    clicked->click();
    disconnect(rebuild);
    QVERIFY(!clicked.isNull()); // kept until its click is over
    maptest::flushDeletes();
    QVERIFY(clicked.isNull());
    QCOMPARE(form.cmdTavoloCount(), 25);
    QCOMPARE(form.cmdTavolo(21)->text(), QStringLiteral("22"));

    QPointer<QPushButton> created = form.cmdTavolo(20);
    QPointer<QPushButton> permanent = form.cmdTavolo(10);
    form.cmdSala(1)->click();
    maptest::flushDeletes();

    QCOMPARE(form.cmdTavoloCount(), 18);
    QVERIFY(created.isNull());
    QCOMPARE(permanent.data(), form.cmdTavolo(10));
    for (int i = 0; i < 18; ++i) {
        QCOMPARE(form.cmdTavolo(i)->isHidden(), i >= 3);
        QCOMPARE(form.lblTavolo(i)->isHidden(), i >= 3);
    }
    QCOMPARE(form.findChildren<QPushButton *>(QStringLiteral("cmdTavolo(20)")).size(), 0);

    // An empty room hides every permanent button.
    venue.exec(QStringLiteral("Delete * from Tavoli Where CodiceSala = 2"));
    form.CaricaTavoli();
    for (int i = 0; i < 18; ++i)
        QVERIFY(form.cmdTavolo(i)->isHidden());
}

void TestFrmTavoli::roomLook() {
    QFETCH(QString, engine);
    Venue venue(engine);
    QDir(venue.app.path()).mkpath(QStringLiteral("SfondiSale"));
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QVERIFY(image.save(venue.app.filePath(QStringLiteral("SfondiSale/legno.png"))));
    venue.room(1, QStringLiteral("Con immagine"), QStringLiteral("legno.png"));
    venue.room(2, QStringLiteral("Immagine mancante"), QStringLiteral("manca.png"), 255);
    venue.room(3, QStringLiteral("Nulla"));
    frmTavoli &form = venue.load();

    QVERIFY(form.fraTavoli()->hasPicture());
    QCOMPARE(form.fraTavoli()->floorColour(), QColor(0x80, 0x80, 0x80));
    form.cmdSala(1)->click();
    QVERIFY(!form.fraTavoli()->hasPicture());
    QCOMPARE(form.fraTavoli()->floorColour(), QColor(Qt::red)); // 255 is pure red
    form.cmdSala(2)->click();
    QCOMPARE(form.fraTavoli()->floorColour(), QColor(0x80, 0x80, 0x80));
    QVERIFY(venue.window.notices.isEmpty());
    QVERIFY(venue.box.shown.isEmpty());
}

void TestFrmTavoli::singleRefreshes() {
    QFETCH(QString, engine);
    Venue venue(engine);
    venue.room(1, QStringLiteral("Uno"));
    venue.room(2, QStringLiteral("Due"));
    for (int t = 1; t <= 4; ++t)
        venue.table(t, QString::number(t), 1);
    venue.table(5, QStringLiteral("9"), 2);
    frmTavoli &form = venue.load();

    venue.setOccupato(2, true);
    venue.exec(QStringLiteral("Update Tavoli Set Descrizione = 'Rossi' Where Codice = 2"));
    form.RefreshTavolo(QStringLiteral("  2 "), false);
    QCOMPARE(colourOf(form.cmdTavolo(1)), Red);
    QCOMPARE(form.lblTavolo(1)->text(), QStringLiteral("Rossi"));
    QVERIFY(!form.TimerLampeggio()->isActive());

    venue.setOccupato(2, false);
    form.RefreshTavoloCodice(QStringLiteral("2"));
    QCOMPARE(colourOf(form.cmdTavolo(1)), Green);
    QCOMPARE(form.cmdTavolo(1)->text(), QStringLiteral("2"));

    // Buttons hidden with another room's tables keep their look: never refreshed.
    form.cmdSala(1)->click();
    QVERIFY(form.cmdTavolo(3)->isHidden());
    QCOMPARE(form.cmdTavolo(3)->text(), QStringLiteral("4"));
    venue.setOccupato(4, true);
    form.RefreshTavolo(QStringLiteral("4"), true);
    form.RefreshTavoloCodice(QStringLiteral("4"));
    QCOMPARE(colourOf(form.cmdTavolo(3)), Green);
    QCOMPARE(form.state().TavoloLampeggiante, -1);
}

void TestFrmTavoli::receiptOfOccupiedTable() {
    QFETCH(QString, engine);
    Venue venue(engine);
    venue.writeIni("[Tavoli]\nArticoloAggiunta=2\n");
    venue.room(1, QStringLiteral("Sala"));
    venue.table(10, QStringLiteral("10"), 1, true);
    venue.article(1, QStringLiteral("Spaghetti alla carbonara"));
    venue.article(2, QStringLiteral("Acqua"));
    venue.line(101, 10, 1, 2, 20.0);
    venue.line(102, 10, 0, 1, 1.5, 1, QStringLiteral("con pancetta extra croccante"));
    venue.line(103, 10, 2, 0, 9.0); // quantity 0: listed, not shown
    venue.line(104, 10, 2, 1, 1.0);
    venue.line(105, 11, 2, 1, 1.0); // another table
    frmTavoli &form = venue.load();
    QCOMPARE(form.cmdAggiungiArticolo()->text(), QStringLiteral("Acqua"));

    form.cmdTavolo(0)->click();
    QVERIFY(!form.frxScontrino()->isHidden());
    QCOMPARE(form.lblTavoloAnteprima()->text(), QStringLiteral("Tavolo 10"));
    Grid *grid = form.gridScontrino();
    QCOMPARE(grid->rows(), 3);
    QCOMPARE(gridRow(grid, 0), (S({"2", "Spaghetti alla c", "20,00", "101"})));
    QCOMPARE(gridRow(grid, 1), (S({"", "con pancetta extra croccante", "", "0"})));
    QCOMPARE(gridRow(grid, 2), (S({"1", "Acqua           ", "1,00", "104"})));
    QCOMPARE(form.lblTotale()->text(), QStringLiteral("22,50"));
    QCOMPARE(SharedState::current().IdDettSelezionati, QStringLiteral("101;102;103;104;"));
    QCOMPARE(visibleCommands(form),
             (S({"cmdAggiungiOrdine", "cmdContoSubito", "cmdContiSeparati", "cmdPreconto", "cmdPortaAlBanco",
                 "cmdSposta", "cmdAzzeraTavolo", "cmdAggiungiArticolo"})));

    // Touching a row: only an order line can be deleted one by one.
    for (int row : {1, 0, 1}) {
        grid->setRow(row);
        emit grid->rowTouched();
        QCOMPARE(form.cmdCancSelezionato()->isHidden(), row == 1);
    }

    // A table without lines: an empty grid and a zero total.
    venue.exec(QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = 10"));
    form.MostraScontrino(QStringLiteral("10"));
    QCOMPARE(grid->rows(), 0);
    QCOMPARE(form.lblTotale()->text(), QStringLiteral("0,00"));
    QCOMPARE(SharedState::current().IdDettSelezionati, QString());
}

void TestFrmTavoli::clickInEveryContext_data() {
    QTest::addColumn<QString>("engine");
    QTest::addColumn<qint32>("context");
    for (const QString &engine : qrvtest::engines())
        for (qint32 context : {0, 1, 2, 3, 4})
            QTest::addRow("%s: context %d", qPrintable(engine), context) << engine << context;
}

void TestFrmTavoli::clickInEveryContext() {
    QFETCH(QString, engine);
    QFETCH(qint32, context);
    Venue venue(engine);
    venue.room(1, QStringLiteral("Sala"));
    venue.table(1, QStringLiteral("1"), 1, false);
    venue.table(2, QStringLiteral("2"), 1, true);
    venue.line(7, 2, 1, 1, 3.0);
    SharedState::current().Operazione = context;
    SharedState::current().IdDettSelezionati = QStringLiteral("99;");
    frmTavoli &form = venue.load();

    form.cmdTavolo(0)->click();
    const bool chooses = context == 1 || context == 3;
    QCOMPARE(form.frxScontrino()->isHidden(), !chooses);
    QCOMPARE(form.state().IndiceTavoloSelezionato, qint16(0));
    if (!chooses) {
        QCOMPARE(SharedState::current().IdDettSelezionati, QStringLiteral("99;"));
        form.cmdTavolo(1)->click();
        QCOMPARE(form.state().IndiceTavoloSelezionato, qint16(context == 2 ? 1 : 0));
        QVERIFY(form.frxScontrino()->isHidden());
        return;
    }
    QCOMPARE(form.gridScontrino()->rows(), 1);
    QCOMPARE(gridRow(form.gridScontrino(), 0), (S({"", "Nessun ordine", "", ""})));
    QCOMPARE(visibleCommands(form), (S({"cmdNuovoConto", "cmdNuovoContoWeb", "cmdAzzeraTavolo"})));
    QCOMPARE(SharedState::current().IdDettSelezionati, QString());

    form.cmdTavolo(1)->click();
    QCOMPARE(form.state().IndiceTavoloSelezionato, qint16(1));
    QCOMPARE(SharedState::current().IdDettSelezionati, QStringLiteral("7;"));
    QVERIFY(!form.cmdAggiungiOrdine()->isHidden());
    QVERIFY(form.cmdAggiungiArticolo()->isHidden()); // no quick-add article set
}

void TestFrmTavoli::tableFreedMeanwhile() {
    QFETCH(QString, engine);
    Venue venue(engine);
    venue.room(1, QStringLiteral("Sala"));
    venue.table(1, QStringLiteral("1"), 1, true);
    venue.table(2, QStringLiteral("2"), 1, true);
    frmTavoli &form = venue.load();

    // Another till frees the table between the occupancy check and the display.
    venue.setOccupato(1, false);
    form.cmdConsulta(0);
    QVERIFY(form.frxScontrino()->isHidden());
    QCOMPARE(venue.window.notices.size(), 1);
    QCOMPARE(venue.window.notices.first().testo, QStringLiteral("Il tavolo non è occupato"));
    QCOMPARE(venue.window.notices.first().a, 2);
    QCOMPARE(venue.window.notices.first().c, 2);

    // A table deleted by another till: nothing is shown and nobody is told.
    form.cmdTavolo(1)->click();
    QVERIFY(!form.frxScontrino()->isHidden());
    venue.exec(QStringLiteral("Delete * from Tavoli Where Codice = 2"));
    form.frxScontrino()->hide();
    form.cmdConsulta(1);
    QVERIFY(form.frxScontrino()->isHidden());
    QCOMPARE(venue.window.notices.size(), 1);
    QVERIFY(venue.box.shown.isEmpty());
}

void TestFrmTavoli::scrollButtons() {
    QFETCH(QString, engine);
    Venue venue(engine);
    venue.room(1, QStringLiteral("Sala"));
    venue.table(1, QStringLiteral("1"), 1, true);
    venue.article(1, QStringLiteral("Caffè"));
    for (int id = 1; id <= 60; ++id)
        venue.line(id, 1, 1, 1, 1.2);
    frmTavoli &form = venue.load();
    form.cmdTavolo(0)->click();
    QCOMPARE(form.lblTotale()->text(), QStringLiteral("72,00"));
    Grid *grid = form.gridScontrino();
    QCOMPARE(grid->topRow(), 0);

    int previousTop = 0;
    for (int page = 0; page < 3; ++page) {
        const int bottom = grid->bottomRow();
        QVERIFY(bottom > previousTop);
        form.cmdPaginaGiu()->click();
        QTRY_COMPARE(grid->topRow(), bottom);
        previousTop = bottom;
    }
    form.cmdPaginaSu()->click();
    QTRY_COMPARE(grid->topRow(), 0);
}

void TestFrmTavoli::unloadStoresRoomAndSwitch() {
    QFETCH(QString, engine);
    Venue venue(engine);
    const QByteArray ini = "; host settings\r\n[Cassa]\r\nStampante=1\r\n[Tavoli]\r\nBottoniGrandi=1\r\n";
    venue.writeIni(ini);
    for (int k = 1; k <= 3; ++k)
        venue.room(k, QStringLiteral("Sala %1").arg(k));
    venue.table(1, QStringLiteral("1"), 2);
    venue.table(2, QStringLiteral("2"), 2);

    // Outside layout editing: the stored size is applied, the file is never written.
    SharedState::current().Sala = 2;
    frmTavoli &form = venue.load();
    QCOMPARE(form.latoTavolo(), 1500);
    QCOMPARE(form.cmdTavolo(0)->size(), QSize(px(1500), px(1500)));
    QCOMPARE(form.lblTavolo(0)->y(), px(200 + 1500));
    form.cmdSala(2)->click();
    form.finish();
    QVERIFY(form.endedByCommand());
    QCOMPARE(SharedState::current().Sala, 3);
    QCOMPARE(venue.readIni(), ini);

    // Layout editing: the switch resizes every button at once and is stored at unload.
    SharedState::current().Operazione = qrvAggiornaTavoli;
    SharedState::current().Sala = 2;
    form.Form_Load();
    QVERIFY(form.chkBottoniGrandiTavolo()->isChecked());
    form.chkBottoniGrandiTavolo()->click();
    for (int i = 0; i < form.cmdTavoloCount(); ++i)
        QCOMPARE(form.cmdTavolo(i)->size(), QSize(px(930), px(930)));
    QCOMPARE(form.cmdTavolo(1)->pos(), QPoint(px(200), px(200)));
    form.done(0); // the window manager closes it: the unload still runs
    QVERIFY(!form.endedByCommand());
    QCOMPARE(SharedState::current().Sala, 2);
    const QByteArray written = venue.readIni();
    QVERIFY(written.contains("BottoniGrandi=0"));
    QVERIFY(written.contains("Stampante=1"));
}

void TestFrmTavoli::firstActivationPreselects() {
    QFETCH(QString, engine);
    Venue venue(engine);
    venue.room(1, QStringLiteral("Sala"));
    venue.room(2, QStringLiteral("Altra"));
    venue.table(1, QStringLiteral("1"), 1);
    venue.table(2, QStringLiteral("2"), 1, true);
    venue.table(3, QStringLiteral("3"), 2, true);
    venue.table(4, QStringLiteral("4"), 2, true);
    venue.table(5, QStringLiteral("5"), 2, true);
    venue.line(1, 2, 1, 1, 2.0);
    venue.form.reset(new frmTavoli);
    frmTavoli &form = *venue.form;

    // A table of the room on show is selected with its lines.
    SharedState::current().TavoloScelto = QStringLiteral("2");
    bool shown = false;
    QTimer::singleShot(0, &form, [&] {
        auto end = qScopeGuard([&] { form.finish(); });
        QTRY_VERIFY(!form.frxScontrino()->isHidden());
        shown = true;
        QCOMPARE(form.lblTavoloAnteprima()->text(), QStringLiteral("Tavolo 2"));
        QCOMPARE(SharedState::current().IdDettSelezionati, QStringLiteral("1;"));
        form.Form_Activate(); // later activations do nothing
        QCOMPARE(form.gridScontrino()->rows(), 1);
        form.cmdSala(1)->click(); // buttons 0 to 2 now carry the other room's tables 3 to 5
    });
    form.exec();
    QVERIFY(shown);

    // A table of another room selects nothing, even with buttons left over from the last show.
    SharedState::current().Sala = 1;
    SharedState::current().TavoloScelto = QStringLiteral("5");
    SharedState::current().IdDettSelezionati.clear();
    bool checked = false;
    QTimer::singleShot(0, &form, [&] {
        auto end = qScopeGuard([&] { form.finish(); });
        QTRY_VERIFY(form.state().GiaAttivato);
        QVERIFY(form.frxScontrino()->isHidden());
        QCOMPARE(SharedState::current().IdDettSelezionati, QString());
        checked = true;
    });
    form.exec();
    QVERIFY(checked);
}

void TestFrmTavoli::modalShowThroughRegistry() {
    QFETCH(QString, engine);
    Venue venue(engine);
    venue.room(1, QStringLiteral("Sala"));
    venue.room(2, QStringLiteral("Altra"));
    venue.table(1, QStringLiteral("1"), 2);
    SharedState::current().Sala = 2;
    SharedState::current().ContoSubito = true;

    // The thread's map is created on first use and kept; every show loads it again.
    frmTavoli *form = frmTavoli::current();
    QCOMPARE(frmTavoli::current(), form);
    for (int show = 0; show < 2; ++show) {
        QTimer::singleShot(0, form, [form, show] {
            auto end = qScopeGuard([form] { form->finish(); });
            QVERIFY(form->isVisible());
            QVERIFY(!SharedState::current().ContoSubito);
            QCOMPARE(form->state().SalaCorrente, show == 0 ? 2 : 1);
            QCOMPARE(form->cmdTavolo(0)->isHidden(), show != 0);
            if (show == 0)
                form->cmdSala(0)->click();
            // The counter command's outcome, as its handler writes it.
            SharedState::current().TavoloScelto.clear();
            SharedState::current().OperazioneScelta = qrvNessunaOperazioneScelta;
        });
        QVERIFY(FormRegistry::show(FormId::Tavoli));
        QVERIFY(!form->isVisible());
        QCOMPARE(SharedState::current().Sala, 1);
        QVERIFY(!form->TimerRefresh()->isActive());
        QVERIFY(!form->WinsockNotify()->isOpen());
    }
    delete form;
}

QTEST_MAIN(TestFrmTavoli)
#include "test_frmtavoli.moc"
