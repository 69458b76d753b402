// The table map's window-free rules: notification payloads received and sent, the destinations of
// the notifications, receipt rows and totals, the clock text, the timer settings and the port.

#include "core/tablemap/MapFormats.h"
#include "core/tablemap/MapSettings.h"
#include "core/tablemap/NotificationPayload.h"
#include "core/tablemap/NotificationTargets.h"
#include "core/tablemap/ReceiptRows.h"
#include "support/TestDatabases.h"

#include <QTest>

using namespace qrv;

using Parts = QVector<NotificationPart>;
using qrvtest::rowTable;

namespace {
NotificationPart P(const char *numero, bool mostra) {
    return {QString::fromUtf8(numero), mostra};
}
ReceiptRow R(const char *q, const char *d, const char *i, const char *id) {
    return {QString::fromUtf8(q), QString::fromUtf8(d), QString::fromUtf8(i), QString::fromUtf8(id)};
}

/** PortaNotifiche as stored, the port the API set, the port used. */
struct Port {
    const char *name, *setting;
    quint16 set, expected;
};

/** NotificheA as stored; the destinations kept ("address:port") and the entries left out, " " between. */
struct Targets {
    const char *name, *setting, *targets, *rejected;
};
} // namespace

Q_DECLARE_METATYPE(Port)
Q_DECLARE_METATYPE(Targets)

class TestTablemapLogic : public QObject {
    Q_OBJECT
private slots:

    // What a till receives, split into table numbers (the last one blinking); for the rows with
    // numbers sent, also what a till sends for them.
    void splitNotification_data() {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<Parts>("expected");
        QTest::addColumn<QStringList>("sent");
        const auto row = [](const char *tag, const QByteArray &payload, const Parts &parts,
                            const QStringList &sent = {}) { QTest::newRow(tag) << payload << parts << sent; };
        row("three numbers, the last blinks", "12;15;18", {P("12", false), P("15", false), P("18", true)});
        row("trailing separator blinks nothing", "12;", {P("12", false)});
        row("single number with blanks", " 7 ", {P("7", true)});
        row("one table sent", "12", {P("12", true)}, {QStringLiteral(" 12 ")});
        row("empty, as sent when there is nothing to name", QByteArray(), {}, {QStringLiteral(" ")});
        row("only blanks", "   ", {});
        row("empty part inside", "12;;15", {P("12", false), P("15", true)});
        row("a move: source, then destination", "3;15", {P("3", false), P("15", true)},
            {QStringLiteral("3"), QStringLiteral("15")});
        row("sent: empty numbers and numbers with a separator left out", "A1", {P("A1", true)},
            {QString(), QStringLiteral("1;2"), QStringLiteral("A1")});
        row("repeated number refreshed once, where it last appears", "12;15;12",
            {P("15", false), P("12", true)});
        row("text numbers are kept as text", "A1;b2", {P("A1", false), P("b2", true)});
        row("a part too long to be a table number", "12;" + QByteArray(40, '9'), {P("12", false)});
        row("the same number thousands of times is one refresh", QByteArray("7;").repeated(4000),
            {P("7", false)});
        row("over the size limit: the number cut at the edge is dropped, nothing blinks",
            QByteArray(NotificationLimits::MaxBytes - 3, ' ') + "12;345", {P("12", false)});
        row("one oversized number", QByteArray(60000, '1'), {});
        QByteArray many, binary;
        Parts first;
        for (int i = 0; i < 2000; ++i)
            many += QByteArray::number(i % 1000) + ';';
        for (int i = 0; i < NotificationLimits::MaxParts; ++i)
            first.append({QString::number(i), false});
        row("at most MaxParts numbers, the first ones named", many, first);
        for (int i = 0; i < 256; ++i)
            binary += char(i);
        row("binary", binary, {});
    }
    void splitNotification() {
        QFETCH(QByteArray, payload);
        QFETCH(Parts, expected);
        QFETCH(QStringList, sent);
        QCOMPARE(qrv::splitNotification(payload), expected);
        if (!sent.isEmpty())
            QCOMPARE(NotificationTargets::payload(sent), payload);
    }

    void clockText() {
        QCOMPARE(qrv::clockText(QDateTime(QDate(2026, 12, 4), QTime(22, 9))),
                 QStringLiteral("04/12/2026 - 22:09"));
        QCOMPARE(qrv::clockText(QDateTime(QDate(2027, 1, 5), QTime(7, 3, 59))),
                 QStringLiteral("05/01/2027 - 07:03"));
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
        rowTable<Port>({
            {"missing", "", 0, 8989},
            {"a port, blanks around", " 9100 ", 0, 9100},
            {"the highest port", "65535", 0, 65535},
            {"the setting beats the API", "9100", 9200, 9100},
            {"missing, the API's port", "", 9200, 9200},
            {"zero", "0", 0, 8989},
            {"above 65535", "65536", 0, 8989},
            {"too many digits", "009100", 0, 8989},
            {"a sign", "+9100", 0, 8989},
            {"not a number", "91a0", 0, 8989},
        });
    }
    void notifyPort() {
        QFETCH(Port, row);
        qputenv("QRV_NOTIFY_PORT", "9300");
        MapSettings::setNotifyPort(row.set);
        QCOMPARE(MapSettings::notifyPort(QLatin1String(row.setting)), row.expected);
        MapSettings::setNotifyPort(0);
        qunsetenv("QRV_NOTIFY_PORT");
    }

    // NotificheA: the destinations kept ("address:port" each) and the entries left out.
    void notificationTargets_data() {
        rowTable<Targets>({
            {"missing: off", "", "", ""},
            {"blanks and empty entries: off", " ; ;", "", ""},
            {"default port", "192.168.1.20", "192.168.1.20:8989", ""},
            {"several, blanks around the parts", " 192.168.1.20 : 9000 ;127.0.0.1:8990; ",
             "192.168.1.20:9000 127.0.0.1:8990", ""},
            {"broadcast", "255.255.255.255;192.168.1.255:8990", "255.255.255.255:8989 192.168.1.255:8990",
             ""},
            {"localhost", "LocalHost:9001", "127.0.0.1:9001", ""},
            {"twice counts once", "10.0.0.1;10.0.0.1:8989", "10.0.0.1:8989", ""},
            {"bad entries left out, the others kept",
             "10.0.0.1:0;10.0.0.2:65536;10.0.0.3:x;10.0.0.4:;10.0.0.5:8990", "10.0.0.5:8990",
             "10.0.0.1:0 10.0.0.2:65536 10.0.0.3:x 10.0.0.4:"},
            {"not dotted IPv4", "cassa2.local;10.1;10.0.0.256;0x7f.0.0.1;0.0.0.0;1.2.3.4.5", "",
             "cassa2.local 10.1 10.0.0.256 0x7f.0.0.1 0.0.0.0 1.2.3.4.5"},
            {"IPv6", "::1;[::1]:8989;fe80::1", "", "::1 [::1]:8989 fe80::1"},
        });
    }
    void notificationTargets() {
        QFETCH(Targets, row);
        const NotificationTargets parsed = NotificationTargets::parse(QLatin1String(row.setting));
        QString kept;
        for (const NotificationTarget &t : parsed.targets())
            kept += t.address.toString() + QLatin1Char(':') + QString::number(t.port) + QLatin1Char(' ');
        QCOMPARE(kept.trimmed(), QLatin1String(row.targets));
        QCOMPARE(parsed.rejected().join(QLatin1Char(' ')), QLatin1String(row.rejected));
        QCOMPARE(parsed.isEmpty(), !*row.targets);
    }
};

QTEST_GUILESS_MAIN(TestTablemapLogic)
#include "test_tablemap_logic.moc"
