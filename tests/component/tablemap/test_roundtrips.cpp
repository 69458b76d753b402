// Round trips to the server of reading a table's order, counted on the wire by a PostgreSQL relay
// in front of the server (catalogue queries of the driver included): they must not grow with the
// order. The relay itself is checked first against what the server answers. SQLite has no wire to
// count on.

#include "component/frmTavoli.h"
#include "component/platform/Grid.h"
#include "component/separatebills/frmContiSeparati.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "core/settings/SharedState.h"
#include "core/tablemap/MapSettings.h"
#include "support/PgWireProxy.h"
#include "support/Till.h"

#include <QUdpSocket>
#include <QtTest>

using qrv::SharedState;
using qrv::dao::Database;
using qrvtest::PgWireProxy;

namespace {

// Tables 1 and 2 are occupied: 1 with a short order, 2 with a long one; every article different.
constexpr int SmallOrder = 4;
constexpr int LargeOrder = 40;

void fill(qrv::dao::Database &db) {
    db.beginTransaction();
    db.Execute(QStringLiteral("Insert into Sale (Codice, Descrizione) values (1, 'Sala')"));
    for (int t = 1; t <= 3; ++t)
        db.Execute(QStringLiteral("Insert into Tavoli (Codice, Numero, Descrizione, Occupato, Top, Left, "
                                  "CodiceSala) values (%1, '%1', '', %2, 200, %3, 1)")
                       .arg(t)
                       .arg(t <= 2 ? QStringLiteral("True") : QStringLiteral("False"))
                       .arg(200 + t * 1000));
    for (int a = 1; a <= LargeOrder; ++a)
        db.Execute(
            QStringLiteral("Insert into Articoli (Codice, Descrizione, Prezzo) values (%1, 'Articolo %1', 2)")
                .arg(a));
    const QString line = QStringLiteral("Insert into DettaglioTavoli (Tavolo, Codice, Quantita, Descrizione, "
                                        "Variante, Importo, IdRif) values (%1, %2, %3, '%4', %5, %6, 0)");
    for (const auto &[tavolo, lines] :
         {std::pair<int, int>{1, SmallOrder}, std::pair<int, int>{2, LargeOrder}}) {
        for (int l = 1; l <= lines; ++l) {
            db.Execute(line.arg(tavolo).arg(l).arg(2).arg(QString()).arg(0).arg(4));
            if (l % 4 == 0)
                db.Execute(line.arg(tavolo).arg(0).arg(1).arg(QStringLiteral("senza sale")).arg(1).arg(0));
        }
    }
    db.commitTransaction();
}

} // namespace

class TestRoundTrips : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (!qrvtest::engines().contains(QLatin1String("postgresql")))
            QSKIP("PostgreSQL tests are off (QRV_TEST_PG=off)");
    }

    // The relay the benchmarks count round trips with: a venue opened through it over TCP is
    // counted exactly as the server answers, from the connection's first byte on.
    void relayCountsEachAnswerOfTheServer() {
        const std::shared_ptr<Database> venue = qrvtest::freshDatabase(QStringLiteral("postgresql"));
        PgWireProxy proxy(PgWireProxy::targetOf(venue->url()), 0);
        QVERIFY2(proxy.start(), qPrintable(proxy.errorString()));
        proxy.setCapture(true);
        {
            const auto db = Database::open(proxy.urlFor(PgWireProxy::databaseOf(venue->url())));
            // Over TCP the driver first asks for TLS, answered by one bare byte; the start-up still
            // ends at its own first ReadyForQuery.
            QCOMPARE(proxy.startUps(), qint64(1));
            proxy.reset();

            db->Execute(QStringLiteral("Insert into Sale (Codice, Descrizione) values (1, 'Sala')"));
            QCOMPARE(proxy.roundTrips(), qint64(1));
            QCOMPARE(proxy.statements().size(), 1);
            QVERIFY(proxy.statements().constFirst().sql.contains(QLatin1String("'Sala'")));
            bool refused = false;
            try {
                db->Execute(QStringLiteral("Select * from NessunaTabella"));
            } catch (const qrv::dao::DaoError &) {
                refused = true;
            }
            QVERIFY(refused);
            QCOMPARE(proxy.roundTrips(), qint64(2));

            // Whatever the layer asks besides the query (the driver's catalogue), each statement
            // sent is one answer: the two directions never drift apart.
            proxy.reset();
            const auto rs = db->OpenRecordset(QStringLiteral("Select * from Sale"));
            QCOMPARE(rs->RecordCount(), 1);
            QVERIFY(proxy.roundTrips() >= 1);
            QCOMPARE(proxy.roundTrips(), proxy.simpleQueries() + proxy.parses());
            QVERIFY(proxy.statements().constFirst().sql.contains(QLatin1String("Sale")));
        }
        QCOMPARE(proxy.connectionsAccepted(), 1);
        QCOMPARE(proxy.encryptedConnections(), 0);
        proxy.stop();
        QVERIFY(!proxy.isRunning());
    }

    // The click to the filled receipt and the separate-bill load, on a short and on a long order of
    // all different articles, on a fresh connection and again: the same few round trips each time.
    void orderReadsDoNotGrowWithTheOrder() {
        qrvtest::Till till;
        const auto venue = till.open(QStringLiteral("postgresql"), false);
        fill(*venue);
        PgWireProxy proxy(PgWireProxy::targetOf(venue->url()), 0);
        QVERIFY2(proxy.start(), qPrintable(proxy.errorString()));
        SharedState::current().DataBase =
            qrv::dao::Database::open(proxy.urlFor(PgWireProxy::databaseOf(venue->url())));
        SharedState::current().Operazione = qrv::qrvScegliUnTavolo;
        {
            QUdpSocket probe;
            probe.bind(QHostAddress::LocalHost, 0);
            qrv::MapSettings::setNotifyPort(probe.localPort());
        }

        auto form = std::make_unique<qrv::frmTavoli>();
        form->Form_Load();
        qrv::frmContiSeparati *screen = qrv::frmContiSeparati::instance();
        const qrv::Grid *units = screen->findChild<qrv::Grid *>(QStringLiteral("gridScontrino"));
        QVERIFY(units);

        // Round trips of the click on table codice, and of the separate-bill load of its order.
        const auto click = [&](int codice) {
            proxy.reset();
            form->tableButtonClicked(form->indiceTavolo(codice));
            return proxy.roundTrips();
        };
        const auto separateBill = [&](int codice) {
            SharedState::current().TavoloScelto = QString::number(codice);
            proxy.reset();
            screen->Form_Load();
            return proxy.roundTrips();
        };

        const qint64 clickFirst = click(1);
        const qint64 clickLarge = click(2);
        QCOMPARE(form->gridScontrino()->rows(), LargeOrder + LargeOrder / 4);
        const qint64 clickSmall = click(1);
        QCOMPARE(form->gridScontrino()->rows(), SmallOrder + SmallOrder / 4);
        QCOMPARE(clickFirst, clickSmall);
        QCOMPARE(clickLarge, clickSmall);
        QVERIFY2(clickLarge <= 3, qPrintable(QStringLiteral("%1 round trips").arg(clickLarge)));

        const qint64 billSmall = separateBill(1);
        QCOMPARE(units->rows(), 2 * SmallOrder);
        const qint64 billLarge = separateBill(2);
        QCOMPARE(units->rows(), 2 * LargeOrder);
        QCOMPARE(billLarge, billSmall);
        QVERIFY2(billLarge <= 3, qPrintable(QStringLiteral("%1 round trips").arg(billLarge)));

        form.reset();
        SharedState::current().DataBase.reset();
        qrv::MapSettings::setNotifyPort(0);
    }
};

QTEST_MAIN(TestRoundTrips)
#include "test_roundtrips.moc"
