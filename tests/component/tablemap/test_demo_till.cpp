// The demo till as a host: its loop around the modal map, the simple operations it carries out
// itself, and the notification it sends after each change to the destinations of NotificheA, as
// the map does. The operator acts on each show of the map in turn.

#include "../../../app/demo/DemoTill.cpp"

#include "support/MapFixture.h"

#include <QNetworkDatagram>

using namespace qrv;
using qrvtest::scalar;

class TestDemoTill : public QObject {
    Q_OBJECT
private slots:
    void opensAndBillsTables_data() { qrvtest::addEngineRows(); }
    void opensAndBillsTables();
    void createsVenueAndRendersMap();
};

void TestDemoTill::opensAndBillsTables() {
    QFETCH(QString, engine);
    qrvtest::ScriptedMessageWindow window;
    auto venue = qrvtest::demoDatabase(engine);
    QTemporaryDir data;
    QUdpSocket listener;
    QVERIFY(listener.bind(QHostAddress::LocalHost, 0));

    DemoOptions options;
    options.dbUrl = qrvtest::urlOf(venue);
    options.dataDir = data.path();
    options.port = maptest::freePort();
    options.peers = QStringLiteral("127.0.0.1:%1").arg(listener.localPort());
    DemoTill till(options);
    QString error;
    QVERIFY2(till.prepare(&error), qPrintable(error));

    // Table 2 (Codice 2) is free in the demo venue; the commands' outcomes are written as they are.
    frmTavoli *form = frmTavoli::current();
    auto choose = [form](qint32 operazione, bool contoSubito) {
        return [form, operazione, contoSubito] {
            SharedState &shared = SharedState::current();
            shared.TavoloScelto = QStringLiteral("2");
            shared.OperazioneScelta = operazione;
            shared.ContoSubito = contoSubito;
            form->finish();
        };
    };
    bool redAfterOpening = false, quitByKey = false;
    qrvtest::ModalScript player(
        form, {choose(qrvContoNuovoTavolo, false),
               [&] {
                   redAfterOpening = maptest::colourOf(maptest::tableButton(form, 2)) == maptest::Red;
                   choose(qrvContoNuovoTavolo, false)(); // a second order, same table
               },
               choose(qrvFaiContoTavolo, true),
               [&] {
                   // The frameless map is quit with Ctrl+Q, which ends the till's
                   // loop. A window shortcut needs its window active, which the
                   // platform reports a moment later.
                   form->activateWindow();
                   QVERIFY(QTest::qWaitForWindowActive(form));
                   QTest::keyClick(form, Qt::Key_Q, Qt::ControlModifier);
                   quitByKey = !form->isVisible();
               }});
    QCOMPARE(till.run(), 0); // ends when the map is closed without a command
    QCOMPARE(player.remaining(), 0);
    QVERIFY(redAfterOpening && quitByKey);

    QCOMPARE(scalar(venue, QStringLiteral("Select count(*) from DettaglioTavoli Where Tavolo = 2")).toInt(),
             0);
    QVERIFY(!scalar(venue, QStringLiteral("Select Occupato from Tavoli Where Codice = 2")).toBool());
    QTRY_VERIFY(listener.hasPendingDatagrams());
    QByteArrayList received;
    while (listener.hasPendingDatagrams())
        received << listener.receiveDatagram().data();
    QCOMPARE(received, QByteArrayList({"2", "2", "2"}));
}

// A new demo folder turns on what a venue may: a journal, and notifications between the tills of
// this machine; the options write the till's own port, peers and code.
void TestDemoTill::createsVenueAndRendersMap() {
    QTemporaryDir data;
    DemoOptions options;
    options.dataDir = data.path();
    options.port = maptest::freePort();
    options.cassa = QStringLiteral("7");
    DemoTill till(options);
    QString error;
    QVERIFY2(till.prepare(&error), qPrintable(error));
    QVERIFY(QFileInfo::exists(data.filePath(QStringLiteral("app/SfondiSale/parquet.png"))));
    const QString ini = data.filePath(QStringLiteral("app/impostazioni.ini"));
    QCOMPARE(LeggiIni(ini, QStringLiteral("Tavoli"), QStringLiteral("PortaNotifiche")),
             QString::number(options.port));
    QCOMPARE(LeggiIni(ini, QStringLiteral("Tavoli"), QStringLiteral("NotificheA")),
             QStringLiteral("127.0.0.1:8989;127.0.0.1:8990"));
    QCOMPARE(LeggiIni(ini, QStringLiteral("Impostazioni"), QStringLiteral("CodiceCassa")),
             QStringLiteral("7"));
    QVERIFY(dao::Database::open(QStringLiteral("sqlite:") + data.filePath(QStringLiteral("venue.sqlite")))
                ->hasTable(QStringLiteral("RegistroTavoli")));

    const QString png = data.filePath(QStringLiteral("map.png"));
    QVERIFY2(till.renderScreenshot(png, &error), qPrintable(error));
    QImage image(png);
    QCOMPARE(image.height(), 768);
    // The first room's table 1 is occupied: its red shows on the picture.
    bool red = false;
    for (int y = 0; y < image.height() && !red; y += 4)
        for (int x = 0; x < image.width() && !red; x += 4)
            red = image.pixelColor(x, y) == maptest::Red;
    QVERIFY(red);

    // A second start keeps the venue; without rooms it renders nothing rather than wait.
    DemoTill again(options);
    QVERIFY(again.prepare(&error));
    dao::Database::open(QStringLiteral("sqlite:") + data.filePath(QStringLiteral("venue.sqlite")))
        ->Execute(QStringLiteral("Delete * from Sale"));
    QVERIFY(!again.renderScreenshot(png, &error));
    QVERIFY(error.contains(QLatin1String("no room")));
}

QTEST_MAIN(TestDemoTill)
#include "test_demo_till.moc"
