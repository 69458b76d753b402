// The table map's window-free rules: notification payloads received and sent, the destinations of
// the notifications, receipt rows and totals, the clock text, the timer settings and the port.

#include "core/tablemap/MapFormats.h"
#include "core/tablemap/MapSettings.h"
#include "core/tablemap/NotificationPayload.h"
#include "core/tablemap/NotificationTargets.h"
#include "core/tablemap/ReceiptRows.h"

#include <QElapsedTimer>
#include <QTest>

using namespace qrv;

using Parts = QVector<NotificationPart>;

namespace {
NotificationPart P(const char *numero, bool mostra) {
    return {QString::fromUtf8(numero), mostra};
}
ReceiptRow R(const char *q, const char *d, const char *i, const char *id) {
    return {QString::fromUtf8(q), QString::fromUtf8(d), QString::fromUtf8(i), QString::fromUtf8(id)};
}
} // namespace

class TestTablemapLogic : public QObject {
    Q_OBJECT
private slots:

    void splitNotification_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<Parts>("expected");

        QTest::newRow("three numbers, the last blinks")
            << QByteArray("12;15;18") << Parts{P("12", false), P("15", false), P("18", true)};
        QTest::newRow("trailing separator blinks nothing") << QByteArray("12;") << Parts{P("12", false)};
        QTest::newRow("single number with blanks") << QByteArray(" 7 ") << Parts{P("7", true)};
        QTest::newRow("empty") << QByteArray() << Parts{};
        QTest::newRow("only blanks") << QByteArray("   ") << Parts{};
        QTest::newRow("empty part inside") << QByteArray("12;;15") << Parts{P("12", false), P("15", true)};
        QTest::newRow("repeated number refreshed once, where it last appears")
            << QByteArray("12;15;12") << Parts{P("15", false), P("12", true)};
        QTest::newRow("text numbers are kept as text")
            << QByteArray("A1;b2") << Parts{P("A1", false), P("b2", true)};
        QTest::newRow("a part too long to be a table number")
            << QByteArray("12;" + QByteArray(40, '9')) << Parts{P("12", false)};
        QTest::newRow("the same number thousands of times is one refresh")
            << QByteArray("7;").repeated(4000) << Parts{P("7", false)};
        QTest::newRow("over the size limit: the number cut at the edge is dropped, nothing blinks")
            << QByteArray(NotificationLimits::MaxBytes - 3, ' ') + "12;345" << Parts{P("12", false)};
        QTest::newRow("one oversized number") << QByteArray(60000, '1') << Parts{};
    }

    void splitNotification() {
        QFETCH(QByteArray, payload);
        QFETCH(Parts, expected);
        QCOMPARE(qrv::splitNotification(payload), expected);
    }

    void hostilePayloads() {
        QByteArray many;
        for (int i = 0; i < 2000; ++i)
            many += QByteArray::number(i % 1000) + ';';
        QElapsedTimer clock;
        clock.start();
        const Parts parts = qrv::splitNotification(many);
        QVERIFY(!parts.isEmpty() && parts.size() <= NotificationLimits::MaxParts);
        QVERIFY2(clock.elapsed() < 500, "splitting must not block the screen");

        QByteArray binary;
        for (int i = 0; i < 256; ++i)
            binary += char(i);
        for (const NotificationPart &p : qrv::splitNotification(binary))
            QVERIFY(p.numero.size() <= NotificationLimits::MaxNumberLength);
    }

    void clockText_data() {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("expected");
        QTest::newRow("evening") << QDateTime(QDate(2026, 12, 4), QTime(22, 9)) << "04/12/2026 - 22:09";
        QTest::newRow("leading zeros")
            << QDateTime(QDate(2027, 1, 5), QTime(7, 3, 59)) << "05/01/2027 - 07:03";
    }

    void clockText() {
        QFETCH(QDateTime, when);
        QFETCH(QString, expected);
        QCOMPARE(qrv::clockText(when), expected);
    }

    void receiptOfLines() {
        const QVector<ReceiptLine> lines = {
            {10, 1, 2, 0, QStringLiteral("ignored"), 3.0},
            {11, 0, 1, 5, QStringLiteral("senza ghiaccio"), 0.0},
            {3000000000, 10, 1, 0, QString(), 10.0},
            {13, 0, 0, 0, QStringLiteral("reso"), 4.0},         // quantity 0: listed, not shown
            {14, 0, 1, 7, QStringLiteral("extra bufala"), 1.5}, // variant with an amount
            {15, 3, -1, 0, QString(), 2.5},                     // negative quantity: not shown
        };
        QVector<qint32> looked;
        auto describe = [&looked](qint32 codice) {
            looked.append(codice);
            return codice == 1 ? QStringLiteral("Acqua") : QStringLiteral("Spaghetti alla carbonara");
        };
        const Receipt receipt = buildReceipt(lines, describe, QLocale(QStringLiteral("it_IT")));

        const QVector<ReceiptRow> expected = {
            R("2", "Acqua           ", "3,00", "10"),
            R("", "senza ghiaccio", "", "0"),
            R("1", "Spaghetti alla c", "10,00", "3000000000"),
            R("", "extra bufala", "", "0"),
        };
        QCOMPARE(receipt.rows, expected);
        QCOMPARE(receipt.totale, 14.5);
        QCOMPARE(receipt.idDettSelezionati, QStringLiteral("10;11;3000000000;13;14;15;"));
        QCOMPARE(looked, (QVector<qint32>{1, 10}));
    }

    // Only the API shortens the timers: the environment of a till in service changes nothing.
    void timerSettings() {
        qputenv("QRV_TIMER_SCALE", "0.5");
        QCOMPARE(MapSettings::interval(MapSettings::RefreshInterval), 10000);
        MapSettings::setIntervalScale(0.001);
        QCOMPARE(MapSettings::interval(MapSettings::BlinkInterval), 1); // never below 1 ms
        MapSettings::setIntervalScale(0);
        QCOMPARE(MapSettings::interval(MapSettings::BlinkInterval), 200);
        qunsetenv("QRV_TIMER_SCALE");
    }

    // PortaNotifiche: a port from 1 to 65535, else the port the API set, else 8989; never the environment.
    void notifyPort_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<quint16>("set");
        QTest::addColumn<quint16>("expected");
        QTest::newRow("missing") << QString() << quint16(0) << quint16(8989);
        QTest::newRow("a port, blanks around") << QStringLiteral(" 9100 ") << quint16(0) << quint16(9100);
        QTest::newRow("the highest port") << QStringLiteral("65535") << quint16(0) << quint16(65535);
        QTest::newRow("the setting beats the API")
            << QStringLiteral("9100") << quint16(9200) << quint16(9100);
        QTest::newRow("missing, the API's port") << QString() << quint16(9200) << quint16(9200);
        QTest::newRow("zero") << QStringLiteral("0") << quint16(0) << quint16(8989);
        QTest::newRow("above 65535") << QStringLiteral("65536") << quint16(0) << quint16(8989);
        QTest::newRow("too many digits") << QStringLiteral("009100") << quint16(0) << quint16(8989);
        QTest::newRow("a sign") << QStringLiteral("+9100") << quint16(0) << quint16(8989);
        QTest::newRow("not a number") << QStringLiteral("91a0") << quint16(0) << quint16(8989);
    }
    void notifyPort() {
        QFETCH(QString, setting);
        QFETCH(quint16, set);
        QFETCH(quint16, expected);
        qputenv("QRV_NOTIFY_PORT", "9300");
        MapSettings::setNotifyPort(set);
        QCOMPARE(MapSettings::notifyPort(setting), expected);
        MapSettings::setNotifyPort(0);
        qunsetenv("QRV_NOTIFY_PORT");
    }

    // NotificheA: the destinations kept ("address:port" each) and the entries left out.
    void notificationTargets_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<QStringList>("rejected");
        const auto list = [](const char *text) {
            return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        };
        QTest::newRow("missing: off") << QString() << QStringList() << QStringList();
        QTest::newRow("blanks and empty entries: off")
            << QStringLiteral(" ; ;") << QStringList() << QStringList();
        QTest::newRow("default port")
            << QStringLiteral("192.168.1.20") << list("192.168.1.20:8989") << QStringList();
        QTest::newRow("several, blanks around the parts")
            << QStringLiteral(" 192.168.1.20 : 9000 ;127.0.0.1:8990; ")
            << list("192.168.1.20:9000 127.0.0.1:8990") << QStringList();
        QTest::newRow("broadcast") << QStringLiteral("255.255.255.255;192.168.1.255:8990")
                                   << list("255.255.255.255:8989 192.168.1.255:8990") << QStringList();
        QTest::newRow("localhost") << QStringLiteral("LocalHost:9001") << list("127.0.0.1:9001")
                                   << QStringList();
        QTest::newRow("twice counts once")
            << QStringLiteral("10.0.0.1;10.0.0.1:8989") << list("10.0.0.1:8989") << QStringList();
        QTest::newRow("bad entries left out, the others kept")
            << QStringLiteral("10.0.0.1:0;10.0.0.2:65536;10.0.0.3:x;10.0.0.4:;10.0.0.5:8990")
            << list("10.0.0.5:8990") << list("10.0.0.1:0 10.0.0.2:65536 10.0.0.3:x 10.0.0.4:");
        QTest::newRow("not dotted IPv4")
            << QStringLiteral("cassa2.local;10.1;10.0.0.256;0x7f.0.0.1;0.0.0.0;1.2.3.4.5") << QStringList()
            << list("cassa2.local 10.1 10.0.0.256 0x7f.0.0.1 0.0.0.0 1.2.3.4.5");
        QTest::newRow("IPv6") << QStringLiteral("::1;[::1]:8989;fe80::1") << QStringList()
                              << list("::1 [::1]:8989 fe80::1");
    }
    void notificationTargets() {
        QFETCH(QString, setting);
        QFETCH(QStringList, targets);
        QFETCH(QStringList, rejected);
        const NotificationTargets parsed = NotificationTargets::parse(setting);
        QStringList kept;
        for (const NotificationTarget &t : parsed.targets())
            kept.append(t.address.toString() + QLatin1Char(':') + QString::number(t.port));
        QCOMPARE(kept, targets);
        QCOMPARE(parsed.rejected(), rejected);
        QCOMPARE(parsed.isEmpty(), targets.isEmpty());
    }

    // What a till sends is what the receivers split back: the numbers in order, the last one blinking.
    void notificationSent_data() {
        QTest::addColumn<QStringList>("numeri");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("one table") << QStringList{QStringLiteral(" 12 ")} << QByteArray("12");
        QTest::newRow("a move: source, then destination")
            << QStringList{QStringLiteral("3"), QStringLiteral("15")} << QByteArray("3;15");
        QTest::newRow("empty numbers and numbers with a separator left out")
            << QStringList{QString(), QStringLiteral("1;2"), QStringLiteral("A1")} << QByteArray("A1");
        QTest::newRow("nothing to name") << QStringList{QStringLiteral(" ")} << QByteArray();
    }
    void notificationSent() {
        QFETCH(QStringList, numeri);
        QFETCH(QByteArray, payload);
        QCOMPARE(NotificationTargets::payload(numeri), payload);
        const Parts parts = qrv::splitNotification(payload);
        if (!parts.isEmpty())
            QCOMPARE(parts.constLast(), P(payload.split(';').constLast().constData(), true));
    }
};

QTEST_GUILESS_MAIN(TestTablemapLogic)
#include "test_tablemap_logic.moc"
