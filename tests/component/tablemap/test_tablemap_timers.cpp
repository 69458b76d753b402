// Keeping the map current: the periodic refresh, the blinking of a notified table and the UDP
// notifications, with real sockets on 127.0.0.1 and real timers (shortened through the map's
// interval scale, never by sleeping).

#include "support/MapFixture.h"

#include "component/tablemap/NotificationReceiver.h"

#include <QLabel>
#include <QTimer>

using namespace qrv;
using namespace maptest;

namespace {

/** Room 1 with tables 7, 12, 15, 18 (codes 1 to 4) side by side, room 2 with table 30 (code 5). */
frmTavoli &loadTwoRooms(Venue &venue) {
    venue.room(1, "Sala");
    venue.room(2, "Terrazza");
    const int numbers[] = {7, 12, 15, 18};
    for (int t = 0; t < 4; ++t)
        venue.table(t + 1, numbers[t], 1, false, nullptr, 200, 200 + 1200 * t);
    venue.table(5, 30, 2);
    return venue.load();
}

QTimer *timer(const Venue &venue, const char *name) {
    return venue.control<QTimer>(name);
}

} // namespace

class TestTablemapTimers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { qrvtest::addEngineRows(); }

    void notifications() {
        Venue venue;
        frmTavoli &form = loadTwoRooms(venue);
        auto *socket = venue.control<QUdpSocket>("WinsockNotify");
        QCOMPARE(socket->localPort(), venue.port);
        const int t7 = venue.buttonOf(7), t12 = venue.buttonOf(12), t15 = venue.buttonOf(15),
                  t18 = venue.buttonOf(18);

        // All three refresh, only the last blinks; the periodic refresh waits meanwhile.
        for (int codice : {2, 3, 4})
            venue.setOccupato(codice, true);
        venue.send("12;15;18");
        QTRY_COMPARE(colourOf(venue.button(t18)), Red);
        QVERIFY(colourOf(venue.button(t12)) == Red && colourOf(venue.button(t15)) == Red);
        QCOMPARE(form.state().TavoloLampeggiante, t18);
        QVERIFY(timer(venue, "TimerLampeggio")->isActive() && !timer(venue, "TimerRefresh")->isActive());
        form.FermaLampeggio();
        QVERIFY(!venue.button(t18)->isHidden() && timer(venue, "TimerRefresh")->isActive());

        // Another room's table changes nothing; the first button blinks like any other.
        venue.setOccupato(5, true);
        venue.setOccupato(1, true);
        venue.send("30");
        venue.send(" 7 ");
        QTRY_COMPARE(colourOf(venue.button(t7)), Red);
        QCOMPARE(form.state().TavoloLampeggiante, t7);
        form.FermaLampeggio();

        // Junk, oversized, many-part and unknown payloads neither block the map nor bother anyone.
        QByteArray binary, manyParts;
        for (int i = 0; i < 60000; ++i)
            binary += char((i * 37) % 256);
        for (int i = 0; i < 5000; ++i)
            manyParts += QByteArray::number(i % 400) + ';';
        for (const QByteArray &payload : {binary, QByteArray(60000, '7'), manyParts})
            venue.send(payload);
        for (int i = 0; i < 200; ++i)
            venue.send(QByteArray::number(1000 + i));
        venue.setOccupato(3, false);
        venue.send("15");
        QTRY_COMPARE(colourOf(venue.button(t15)), Green);
        QTRY_VERIFY(!socket->hasPendingDatagrams());
        QVERIFY(venue.box.shown.isEmpty());

        form.finish();
        QVERIFY(!socket->isOpen());
    }

    void blinkTicks() {
        Venue venue;
        frmTavoli &form = loadTwoRooms(venue);
        QTimer *blink = timer(venue, "TimerLampeggio"), *refresh = timer(venue, "TimerRefresh");

        // Ten toggles starting from visible, then a final show that restarts the periodic refresh.
        form.AvviaLampeggio(2);
        QCOMPARE(form.state().LampeggiRestanti, qint16(10));
        for (int tick = 1; tick <= 10; ++tick) {
            form.TimerLampeggio_Timer();
            QCOMPARE(venue.button(2)->isHidden(), tick % 2 == 1);
            QVERIFY(blink->isActive());
        }
        form.TimerLampeggio_Timer();
        QVERIFY(!venue.button(2)->isHidden() && !blink->isActive() && refresh->isActive());
        QCOMPARE(form.state().TavoloLampeggiante, -1);

        // A second notification during a blink: the first button is shown again, the second blinks in full.
        form.AvviaLampeggio(1);
        form.TimerLampeggio_Timer();
        QVERIFY(venue.button(1)->isHidden());
        form.AvviaLampeggio(3);
        QVERIFY(!venue.button(1)->isHidden());
        QCOMPARE(form.state().TavoloLampeggiante, 3);
        QCOMPARE(form.state().LampeggiRestanti, qint16(10));

        // Switching rooms ends the blink rather than carrying it to another table's button.
        venue.control("cmdSala", 1)->click();
        QVERIFY(!blink->isActive() && refresh->isActive());
        QCOMPARE(form.state().TavoloLampeggiante, -1);

        // A hidden button does not blink.
        form.AvviaLampeggio(3);
        QVERIFY(!blink->isActive() && venue.button(3)->isHidden());
        QCOMPARE(form.state().TavoloLampeggiante, 3);
    }

    void sharedPort() {
        Venue venue;
        // A second till on the same port: the last bound gets datagrams, the other once it closes.
        QVector<QByteArray> otherTill;
        NotificationReceiver other([&otherTill](const QByteArray &payload) { otherTill << payload; });
        QVERIFY(other.start(venue.port));
        frmTavoli &form = loadTwoRooms(venue);
        venue.setOccupato(1, true);
        venue.send("7");
        QTRY_COMPARE(colourOf(venue.button(0)), Red);
        QVERIFY(otherTill.isEmpty());
        form.finish();
        venue.send("12");
        QTRY_COMPARE(otherTill, QVector<QByteArray>{"12"});
        other.stop();

        // A program holding the port without sharing it: the map works on without notifications, on
        // its real timers (refresh 100 ms, blink 2 ms, clock 300 ms).
        QUdpSocket squatter;
        QVERIFY(squatter.bind(QHostAddress::AnyIPv4, venue.port));
        MapSettings::setIntervalScale(0.01);
        frmTavoli &again = venue.load();
        QVERIFY(venue.control<QUdpSocket>("WinsockNotify")->state() != QAbstractSocket::BoundState);
        QVERIFY(timer(venue, "timerOrologio")->isActive());
        again.AvviaLampeggio(1);
        QTRY_VERIFY(!timer(venue, "TimerLampeggio")->isActive());
        QVERIFY(!venue.button(1)->isHidden() && timer(venue, "TimerRefresh")->isActive());
        // A table changed in the database turns red and shows its description without any notification.
        venue.setOccupato(4, true);
        venue.exec(QStringLiteral("Update Tavoli Set Descrizione = 'Bianchi' Where Codice = 4"));
        const int t18 = venue.buttonOf(18);
        QTRY_COMPARE(colourOf(venue.button(t18)), Red);
        QTRY_COMPARE(venue.control<QLabel>("lblTavolo", t18)->text(), QStringLiteral("Bianchi"));
        QVERIFY(venue.box.shown.isEmpty());
    }

    void refreshFindsTablesByCode() {
        Venue venue;
        venue.room(1, "Sala");
        for (int codice = 5; codice <= 9; ++codice)
            venue.table(codice, codice, 1);
        // On PostgreSQL an updated row moves to the end: a small code comes after larger ones.
        venue.exec(QStringLiteral("Update Tavoli Set Descrizione = 'prima' Where Codice = 5"));
        frmTavoli &form = venue.load();
        for (int codice = 5; codice <= 9; ++codice)
            QCOMPARE(venue.floor()->tag(venue.floor()->indexOf(codice)), QString::number(codice));

        for (int codice = 5; codice <= 9; ++codice)
            venue.setOccupato(codice, true);
        // Another till adds an occupied table with a smaller code: it is not on this map yet.
        venue.table(2, 2, 1, true);
        venue.setOccupato(venue.floor()->tag(0).toInt(), false);
        form.TimerRefresh_Timer();
        for (int i = 0; i < 5; ++i)
            QCOMPARE(colourOf(venue.button(i)), i == 0 ? Green : Red);
        QCOMPARE(venue.floor()->indexOf(2), -1);
        QVERIFY(venue.button(5)->isHidden());
    }
};

QTEST_MAIN(TestTablemapTimers)
#include "test_tablemap_timers.moc"
