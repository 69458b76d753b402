// The map and the move through a PostgreSQL outage, on a private cluster this test restarts, stops
// and cuts off (SQLite has no connection to lose).

#include "support/MapFixture.h"

#include "core/data/LockFile.h"
#include "core/data/Lookups.h"
#include "core/data/dao/Workspace.h"
#include "core/operations/OrderMove.h"
#include "support/PrivateCluster.h"

#include <QLabel>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QTimer>
#include <functional>

using namespace qrv;
using namespace maptest;

namespace {

/**
 * The operator in front of a real box: whileShown runs while the box is up, letting the map's
 * timers tick behind it as a modal box does, and answers. Installed over the fixture's box.
 */
class OperatorBox : public MessageBox {
public:
    OperatorBox() { install(this); }
    ~OperatorBox() override { install(nullptr); }
    int show(const QString &text, int, const QString &) override {
        shown.append(text);
        return whileShown ? whileShown() : int(vbCancel);
    }

    QStringList shown;
    std::function<int()> whileShown;
};

/** Another till marks table 1 occupied or free, on a connection of its own. */
void otherTillSets(const Venue &venue, bool occupato) {
    dao::Database::open(venue.db->url())
        ->Execute(QStringLiteral("Update Tavoli Set Occupato = %1 Where Codice = 1")
                      .arg(occupato ? QStringLiteral("True") : QStringLiteral("False")));
}

} // namespace

class TestOutage : public QObject {
    Q_OBJECT

    std::unique_ptr<qrvtest::PrivateCluster> m_cluster;

    /**
     * The venue's database becomes a new one of the private cluster (the fixture's is left unused),
     * on a connection of the host's own (named "host", handed over with fromConnection) when asked.
     */
    void useOwnCluster(Venue &venue, bool hostConnection = false) {
        venue.db = m_cluster->freshDatabase();
        if (hostConnection) {
            QSqlDatabase host = QSqlDatabase::cloneDatabase(venue.db->connection(), QStringLiteral("host"));
            QVERIFY(host.open());
            venue.db = dao::Database::fromConnection(host);
        }
        SharedState::current().DataBase = venue.db;
    }

    /** Room 1 with the free tables 7 (code 1) and 12 (code 2), shown, refreshed every 100 ms. */
    frmTavoli &showMap(Venue &venue, bool hostConnection = false) {
        useOwnCluster(venue, hostConnection);
        venue.room(1, "Sala");
        venue.table(1, 7, 1);
        venue.table(2, 12, 1, false, nullptr, 200, 1400);
        MapSettings::setIntervalScale(0.01);
        return venue.load();
    }

private slots:
    void initTestCase() {
        if (!qrvtest::engines().contains(QLatin1String("postgresql")))
            QSKIP("PostgreSQL tests are off (QRV_TEST_PG=off)");
        m_cluster = std::make_unique<qrvtest::PrivateCluster>();
    }
    void cleanupTestCase() { m_cluster.reset(); }

    // The server restarts, or the till's connection is ended, between two ticks: the next tick
    // reconnects and shows what another till changed meanwhile, and the operator sees nothing of it.
    // A connection the host handed over is reopened in place, for the host too.
    void nextTickReconnects_data() {
        QTest::addColumn<QString>("outage");
        QTest::addColumn<bool>("hostConnection");
        QTest::newRow("restart -m fast") << QStringLiteral("fast") << false;
        QTest::newRow("restart -m immediate") << QStringLiteral("immediate") << false;
        QTest::newRow("pg_terminate_backend") << QStringLiteral("terminate") << false;
        QTest::newRow("host's connection, restart -m fast") << QStringLiteral("fast") << true;
    }
    void nextTickReconnects() {
        QFETCH(QString, outage);
        QFETCH(bool, hostConnection);
        const auto removeHost = qScopeGuard([] { QSqlDatabase::removeDatabase(QStringLiteral("host")); });
        Venue venue(QStringLiteral("sqlite"));
        showMap(venue, hostConnection);
        QPushButton *t7 = venue.button(venue.buttonOf(7));
        QCOMPARE(colourOf(t7), Green);
        auto *refresh = venue.control<QTimer>("TimerRefresh");
        refresh->stop();
        if (outage == QLatin1String("terminate"))
            QCOMPARE(m_cluster->terminateConnections(), 1);
        else
            m_cluster->restart(outage);
        otherTillSets(venue, true);
        refresh->start();
        QTRY_COMPARE(colourOf(t7), Red);
        QVERIFY(venue.box.shown.isEmpty());
        QVERIFY(venue.control<QLabel>("lblMappaNonAggiornata")->isHidden());
        if (hostConnection)
            QVERIFY(QSqlDatabase::database(QStringLiteral("host"), false).isOpen());
    }

    // The server stays away for several ticks: one box, however many ticks pass behind it, and
    // Retry once the server is back brings the map up to date. A box the operator cancels leaves
    // the mark on the map and no further box; the first tick after the server is back removes it.
    void longOutage() {
        Venue venue(QStringLiteral("sqlite"));
        frmTavoli &form = showMap(venue);
        OperatorBox box;
        int ticks = 0;
        auto *refresh = venue.control<QTimer>("TimerRefresh");
        connect(refresh, &QTimer::timeout, &form, [&ticks] { ++ticks; });
        QPushButton *t7 = venue.button(venue.buttonOf(7));
        const auto *mark = venue.control<QLabel>("lblMappaNonAggiornata");

        bool tickedBehindTheBox = false, retried = false;
        box.whileShown = [&] {
            // A notification reaches the floor behind the box, and the periodic refresh starts
            // again as the end of a blink starts it: neither may open a second box.
            form.RefreshTavolo(QStringLiteral("12"), true);
            refresh->start();
            const int seen = ticks;
            tickedBehindTheBox = QTest::qWaitFor([&] { return ticks >= seen + 3; }, 5000);
            m_cluster->startServer();
            otherTillSets(venue, true);
            retried = true;
            return int(MessageBox::vbRetry);
        };
        m_cluster->stopServer();
        QTRY_VERIFY_WITH_TIMEOUT(retried, 30000); // the server start may be slow on a loaded machine
        QVERIFY(tickedBehindTheBox);
        QCOMPARE(box.shown.size(), 1);
        QVERIFY(box.shown.at(0).contains(QLatin1String("chiamato da CaricaTavoli")));
        QTRY_COMPARE(colourOf(t7), Red);
        QVERIFY(mark->isHidden());

        box.whileShown = [] { return int(MessageBox::vbCancel); };
        m_cluster->stopServer(QStringLiteral("immediate"));
        QTRY_VERIFY(!mark->isHidden());
        QCOMPARE(mark->text(), QStringLiteral("Mappa non aggiornata: database non raggiungibile"));
        const int cancelledAt = ticks;
        QTRY_VERIFY(ticks >= cancelledAt + 3);
        QCOMPARE(box.shown.size(), 2);
        // A touch meanwhile asks once and, cancelled, shows the occupied table neither as free nor
        // as occupied.
        t7->click();
        QCOMPARE(box.shown.size(), 3);
        QVERIFY(venue.control<QWidget>("frxScontrino")->isHidden());
        m_cluster->startServer();
        otherTillSets(venue, false);
        QTRY_VERIFY(mark->isHidden());
        QCOMPARE(colourOf(t7), Green);
        QCOMPARE(box.shown.size(), 3);
    }

    // The server goes between two statements of a move: the server rolled the transaction back,
    // nothing moved, the lock is free, the failure names itself, and the next move goes through.
    void moveCutOff_data() {
        QTest::addColumn<QString>("outage");
        QTest::newRow("restart -m immediate") << QStringLiteral("immediate");
        QTest::newRow("pg_terminate_backend") << QStringLiteral("terminate");
    }
    void moveCutOff() {
        QFETCH(QString, outage);
        Venue venue(QStringLiteral("sqlite"));
        useOwnCluster(venue);
        venue.table(1, 1, 1, true, "Rossi");
        venue.table(5, 5, 1);
        venue.line(10, 1, 3, 2, 14.0);
        venue.line(11, 1, 0, 1, 1.0, 1, "+ funghi");
        const QString archive = SharedState::current().ilPathArchivi;
        OrderMove move(venue.db, std::make_shared<dao::Workspace>(venue.db), archive);
        move.setStageHook([&](OrderMove::Stage stage, int index) {
            if (stage != OrderMove::Stage::StatementRun || index != 1)
                return;
            if (outage == QLatin1String("terminate"))
                m_cluster->terminateConnections();
            else
                m_cluster->restart(outage);
        });

        const OrderMove::Result r = move.run(1, 5, QStringLiteral("Rossi"), QTime(9, 5));
        QCOMPARE(r.outcome, OrderMove::Outcome::Failed);
        QCOMPARE(r.errorNumber, dao::DaoErrorCode::ConnectionLost);
        QVERIFY(r.message().startsWith(
            QLatin1String("Spostamento non eseguito: i tavoli sono rimasti come prima.")));
        QVERIFY(!venue.db->inTransaction());
        LockFile lock(OrderMove::lockPath(archive));
        QCOMPARE(lock.tryLock(), LockFile::Result::Locked);
        lock.unlock(false);

        // Read on the till's own connection, which the next statement reopens.
        QCOMPARE(venue.count(QStringLiteral("Select count(*) from DettaglioTavoli Where Tavolo = 1")), 2);
        QVERIFY(TavoloOccupato(QStringLiteral("1")) && !TavoloOccupato(QStringLiteral("5")));
        move.setStageHook({});
        QCOMPARE(move.run(1, 5, QStringLiteral("Rossi"), QTime(9, 5)).outcome, OrderMove::Outcome::Moved);
        QCOMPARE(venue.count(QStringLiteral("Select count(*) from DettaglioTavoli Where Tavolo = 5")), 2);
        QVERIFY(venue.box.shown.isEmpty());
    }
};

QTEST_MAIN(TestOutage)
#include "test_outage.moc"
