// Round trips to the server of reading a table's order, counted on the wire by a PostgreSQL relay
// in front of the server (catalogue queries of the driver included): they must not grow with the
// order. SQLite has no wire to count on.

#include "support/MapFixture.h"

#include "component/separatebills/frmContiSeparati.h"
#include "core/data/dao/Database.h"
#include "support/PgWireProxy.h"

using qrv::SharedState;
using qrvtest::PgWireProxy;

class TestRoundTrips : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!qrvtest::engines().contains(QLatin1String("postgresql")))
            QSKIP("PostgreSQL tests are off (QRV_TEST_PG=off)");
    }

    // The click to the filled receipt and the separate-bill load, on a short and on a long order of
    // all different articles, on a fresh connection and again: the same few round trips each time.
    void orderReadsDoNotGrowWithTheOrder() {
        constexpr int SmallOrder = 4, LargeOrder = 40;
        maptest::Venue venue(QStringLiteral("postgresql"));
        venue.room(1, "Sala");
        for (int t = 1; t <= 3; ++t)
            venue.table(t, t, 1, t <= 2, "", 200, 200 + t * 1000);
        for (int a = 1; a <= LargeOrder; ++a)
            venue.article(a, qPrintable(QStringLiteral("Articolo %1").arg(a)));
        int id = 0;
        for (const auto &[tavolo, count] :
             {std::pair<int, int>{1, SmallOrder}, std::pair<int, int>{2, LargeOrder}}) {
            for (int l = 1; l <= count; ++l) {
                venue.line(++id, tavolo, l, 2, 4);
                if (l % 4 == 0)
                    venue.line(++id, tavolo, 0, 1, 0, 1, "senza sale");
            }
        }

        // The relay counts each answer of the server from the connection's first byte on: over TCP
        // the driver first asks for TLS, answered by one bare byte, and the start-up still ends at
        // its own first ReadyForQuery.
        PgWireProxy proxy(PgWireProxy::targetOf(venue.db->url()), 0);
        QVERIFY2(proxy.start(), qPrintable(proxy.errorString()));
        SharedState::current().DataBase =
            qrv::dao::Database::open(proxy.urlFor(PgWireProxy::databaseOf(venue.db->url())));
        QCOMPARE(proxy.startUps(), qint64(1));
        qrv::frmTavoli &form = venue.load();
        qrv::frmContiSeparati *screen = qrv::frmContiSeparati::instance();
        const auto *units = maptest::control<qrv::Grid>(screen, "gridScontrino");

        // Round trips of the click on table codice, and of the separate-bill load of its order;
        // whatever the layer asks besides the query, each statement sent is one answer.
        const auto counted = [&proxy](const std::function<void()> &read) {
            proxy.reset();
            read();
            return proxy.roundTrips() == proxy.simpleQueries() + proxy.parses() ? proxy.roundTrips() : -1;
        };
        const auto click = [&](int codice) {
            return counted([&] { maptest::tableButton(&form, codice)->click(); });
        };
        const auto separateBill = [&](int codice) {
            SharedState::current().TavoloScelto = QString::number(codice);
            return counted([screen] { screen->Form_Load(); });
        };

        const qint64 clickFirst = click(1);
        const qint64 clickLarge = click(2);
        QCOMPARE(maptest::receiptRows(&form).size(), LargeOrder + LargeOrder / 4);
        const qint64 clickSmall = click(1);
        QCOMPARE(maptest::receiptRows(&form).size(), SmallOrder + SmallOrder / 4);
        QCOMPARE(clickFirst, clickSmall);
        QCOMPARE(clickLarge, clickSmall);
        QVERIFY2(clickLarge >= 1 && clickLarge <= 3,
                 qPrintable(QStringLiteral("%1 round trips").arg(clickLarge)));

        const qint64 billSmall = separateBill(1);
        QCOMPARE(units->rows(), 2 * SmallOrder);
        const qint64 billLarge = separateBill(2);
        QCOMPARE(units->rows(), 2 * LargeOrder);
        QCOMPARE(billLarge, billSmall);
        QVERIFY2(billLarge >= 1 && billLarge <= 3,
                 qPrintable(QStringLiteral("%1 round trips").arg(billLarge)));
        QCOMPARE(proxy.connectionsAccepted(), 1);
        QCOMPARE(proxy.encryptedConnections(), 0);
        venue.form.reset();
        SharedState::current().DataBase.reset();
    }
};

QTEST_MAIN(TestRoundTrips)
#include "test_roundtrips.moc"
