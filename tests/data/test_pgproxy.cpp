#include "data/dao/Database.h"
#include "data/dao/Recordset.h"
#include "support/PgWireProxy.h"
#include "support/TestDatabases.h"

#include <QtTest>

using qrv::dao::Database;
using qrvtest::PgWireProxy;

class TestPgProxy : public QObject {
    Q_OBJECT

private slots:
    // The relay the benchmarks count round trips with: a venue opened through it over TCP is
    // counted exactly as the server answers, from the connection's first byte on.
    void countsEachAnswerOfTheServer_data() { qrvtest::addEngineRows(); }
    void countsEachAnswerOfTheServer() {
        QFETCH(QString, engine);
        if (engine != QLatin1String("postgresql"))
            QSKIP("Round trips are counted on the wire in front of a PostgreSQL server; SQLite has none");
        const std::shared_ptr<Database> venue = qrvtest::freshDatabase(engine);
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
};

QTEST_GUILESS_MAIN(TestPgProxy)
#include "test_pgproxy.moc"
