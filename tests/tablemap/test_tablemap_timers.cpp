// Keeping the map current: the periodic refresh, the blinking of a notified table and the UDP
// notifications, with real sockets on 127.0.0.1 and real timers (shortened through the map's
// interval scale, never by sleeping).

#include "MapFixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace qrv;
using maptest::colourOf;
using maptest::Venue;

namespace {

const QColor Red(0xFF, 0x3E, 0x3E);
const QColor Green(0x6C, 0xE8, 0x6C);

/** Room 1 with tables 7, 12, 15, 18 (codes 1 to 4), room 2 with table 30 (code 5). */
void twoRooms(Venue &venue) {
    venue.room(1, QStringLiteral("Sala"));
    venue.room(2, QStringLiteral("Terrazza"));
    const char *numbers[] = {"7", "12", "15", "18"};
    for (int t = 0; t < 4; ++t)
        venue.table(t + 1, QString::fromLatin1(numbers[t]), 1, false, QString(), 200, 200 + 1200 * t);
    venue.table(5, QStringLiteral("30"), 2);
}

} // namespace

class TestTablemapTimers : public QObject {
    Q_OBJECT
private slots:
    void notificationRefreshesAndBlinksLast_data() { qrvtest::addEngineRows(); }
    void notificationRefreshesAndBlinksLast();
    void hostileDatagrams_data() { qrvtest::addEngineRows(); }
    void hostileDatagrams();
    void blinkTicks_data() { qrvtest::addEngineRows(); }
    void blinkTicks();
    void realTimers_data() { qrvtest::addEngineRows(); }
    void realTimers();
    void portTakenLeavesMapWorking_data() { qrvtest::addEngineRows(); }
    void portTakenLeavesMapWorking();
    void refreshFindsTablesByCode_data() { qrvtest::addEngineRows(); }
    void refreshFindsTablesByCode();
};

void TestTablemapTimers::notificationRefreshesAndBlinksLast() {
    QFETCH(QString, engine);
    Venue venue(engine);
    twoRooms(venue);
    frmTavoli &form = venue.load();
    QVERIFY(form.WinsockNotify()->state() == QAbstractSocket::BoundState);
    QCOMPARE(form.WinsockNotify()->localPort(), venue.port);
    const int t7 = venue.buttonOf(QStringLiteral("7")), t12 = venue.buttonOf(QStringLiteral("12")),
              t15 = venue.buttonOf(QStringLiteral("15")), t18 = venue.buttonOf(QStringLiteral("18"));

    // Three tables changed at another till: all refresh, only the last one blinks.
    for (int codice : {2, 3, 4})
        venue.setOccupato(codice, true);
    venue.send("12;15;18");
    QTRY_COMPARE(colourOf(form.cmdTavolo(t18)), Red);
    QCOMPARE(colourOf(form.cmdTavolo(t12)), Red);
    QCOMPARE(colourOf(form.cmdTavolo(t15)), Red);
    QCOMPARE(form.state().TavoloLampeggiante, t18);
    QVERIFY(form.TimerLampeggio()->isActive());
    QVERIFY(!form.TimerRefresh()->isActive()); // no periodic refresh during a blink
    form.FermaLampeggio();
    QVERIFY(!form.cmdTavolo(t18)->isHidden());
    QVERIFY(form.TimerRefresh()->isActive());

    // "12;": the empty last part matches nothing, so nothing blinks.
    venue.setOccupato(2, false);
    venue.send("12;");
    QTRY_COMPARE(colourOf(form.cmdTavolo(t12)), Green);
    QCOMPARE(form.state().TavoloLampeggiante, -1);
    QVERIFY(!form.TimerLampeggio()->isActive());

    // A table of another room changes nothing; a number with blanks blinks its table.
    venue.setOccupato(5, true);
    venue.setOccupato(1, true);
    venue.send("30");
    venue.send(" 7 ");
    QTRY_COMPARE(colourOf(form.cmdTavolo(t7)), Red);
    QCOMPARE(form.state().TavoloLampeggiante, t7);
    QCOMPARE(t7, 0); // the first button blinks like any other
    form.FermaLampeggio();

    // After the map closes its socket is gone: a datagram changes nothing.
    form.finish();
    QVERIFY(!form.WinsockNotify()->isOpen());
}

void TestTablemapTimers::hostileDatagrams() {
    QFETCH(QString, engine);
    Venue venue(engine);
    twoRooms(venue);
    frmTavoli &form = venue.load();
    const int t15 = venue.buttonOf(QStringLiteral("15"));

    QByteArray binary;
    for (int i = 0; i < 60000; ++i)
        binary += char((i * 37) % 256);
    QByteArray manyParts;
    for (int i = 0; i < 5000; ++i)
        manyParts += QByteArray::number(i % 400) + ';';

    QElapsedTimer clock;
    clock.start();
    venue.send(binary);
    venue.send(QByteArray(60000, '7'));
    venue.send(manyParts);
    for (int i = 0; i < 200; ++i)
        venue.send(QByteArray::number(1000 + i)); // a burst of numbers no table has
    venue.setOccupato(3, true);
    venue.send("15");
    QTRY_COMPARE(colourOf(form.cmdTavolo(t15)), Red);
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QTRY_VERIFY(!form.WinsockNotify()->hasPendingDatagrams());
    QVERIFY(venue.box.shown.isEmpty());
}

void TestTablemapTimers::blinkTicks() {
    QFETCH(QString, engine);
    Venue venue(engine);
    twoRooms(venue);
    frmTavoli &form = venue.load();
    QPushButton *button = form.cmdTavolo(2);

    // Ten toggles starting from visible, then a final show that restarts the periodic refresh.
    form.AvviaLampeggio(2);
    QCOMPARE(form.state().LampeggiRestanti, qint16(10));
    for (int tick = 1; tick <= 10; ++tick) {
        form.TimerLampeggio_Timer();
        QCOMPARE(button->isHidden(), tick % 2 == 1);
        QVERIFY(form.TimerLampeggio()->isActive());
    }
    form.TimerLampeggio_Timer();
    QVERIFY(!button->isHidden());
    QVERIFY(!form.TimerLampeggio()->isActive());
    QVERIFY(form.TimerRefresh()->isActive());
    QCOMPARE(form.state().TavoloLampeggiante, -1);

    // A second notification during a blink: the first button is shown again, the second blinks in full.
    form.AvviaLampeggio(1);
    form.TimerLampeggio_Timer();
    QVERIFY(form.cmdTavolo(1)->isHidden());
    form.AvviaLampeggio(3);
    QVERIFY(!form.cmdTavolo(1)->isHidden());
    QCOMPARE(form.state().TavoloLampeggiante, 3);
    QCOMPARE(form.state().LampeggiRestanti, qint16(10));

    // Switching rooms ends the blink rather than carrying it to another table's button.
    form.cmdSala(1)->click();
    QVERIFY(!form.TimerLampeggio()->isActive());
    QCOMPARE(form.state().TavoloLampeggiante, -1);
    QVERIFY(form.TimerRefresh()->isActive());

    // A hidden button does not blink.
    form.AvviaLampeggio(3);
    QVERIFY(!form.TimerLampeggio()->isActive());
    QCOMPARE(form.state().TavoloLampeggiante, 3);
    QVERIFY(form.cmdTavolo(3)->isHidden());
}

void TestTablemapTimers::realTimers() {
    QFETCH(QString, engine);
    Venue venue(engine);
    twoRooms(venue);
    MapSettings::setIntervalScale(0.01); // refresh 100 ms, blink 2 ms, clock 300 ms
    frmTavoli &form = venue.load();
    QCOMPARE(form.TimerRefresh()->interval(), 100);
    QCOMPARE(form.timerOrologio()->interval(), 300);
    QVERIFY(form.timerOrologio()->isActive());

    form.AvviaLampeggio(1);
    QTRY_VERIFY(!form.TimerLampeggio()->isActive());
    QVERIFY(!form.cmdTavolo(1)->isHidden());
    QVERIFY(form.TimerRefresh()->isActive());

    // A table changed in the database turns red without any notification.
    venue.setOccupato(4, true);
    venue.exec(QStringLiteral("Update Tavoli Set Descrizione = 'Bianchi' Where Codice = 4"));
    const int t18 = venue.buttonOf(QStringLiteral("18"));
    QTRY_COMPARE(colourOf(form.cmdTavolo(t18)), Red);
    QTRY_COMPARE(form.lblTavolo(t18)->text(), QStringLiteral("Bianchi"));
    QCOMPARE(form.cmdTavolo(t18)->text(), QStringLiteral("18"));
}

void TestTablemapTimers::portTakenLeavesMapWorking() {
    QFETCH(QString, engine);
    Venue venue(engine);
    twoRooms(venue);
    QUdpSocket squatter;
    QVERIFY(squatter.bind(QHostAddress::AnyIPv4, venue.port));
    MapSettings::setIntervalScale(0.01);
    frmTavoli &form = venue.load();

    QVERIFY(form.WinsockNotify()->state() != QAbstractSocket::BoundState);
    QCOMPARE(form.cmdTavoloCount(), 18);
    QVERIFY(!form.cmdTavolo(3)->isHidden());
    venue.setOccupato(1, true);
    QTRY_COMPARE(colourOf(form.cmdTavolo(0)), Red);
    QVERIFY(venue.box.shown.isEmpty());
}

void TestTablemapTimers::refreshFindsTablesByCode() {
    QFETCH(QString, engine);
    Venue venue(engine);
    venue.room(1, QStringLiteral("Sala"));
    for (int codice = 5; codice <= 9; ++codice)
        venue.table(codice, QString::number(codice), 1);
    // On PostgreSQL an updated row moves to the end of the table: the rows then come back with a
    // small code after larger ones.
    venue.exec(QStringLiteral("Update Tavoli Set Descrizione = 'prima' Where Codice = 5"));
    frmTavoli &form = venue.load();
    for (int codice = 5; codice <= 9; ++codice)
        QCOMPARE(form.tagTavolo(form.indiceTavolo(codice)), QString::number(codice));

    for (int codice = 5; codice <= 9; ++codice)
        venue.setOccupato(codice, true);
    // Another till adds an occupied table with a smaller code: it is not on this map yet.
    venue.table(2, QStringLiteral("2"), 1, true);
    venue.setOccupato(form.tagTavolo(0).toInt(), false);
    form.TimerRefresh_Timer();
    for (int i = 0; i < 5; ++i)
        QCOMPARE(colourOf(form.cmdTavolo(i)), form.tagTavolo(i) == form.tagTavolo(0) ? Green : Red);
    QCOMPARE(form.indiceTavolo(2), -1);
    QVERIFY(form.cmdTavolo(5)->isHidden());
}

QTEST_MAIN(TestTablemapTimers)
#include "test_tablemap_timers.moc"
