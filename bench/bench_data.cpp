// Figures of the data layer as the component uses it: a room of 500 tables read through
// clsRecordset, the occupancy lookup of one table, and one UPDATE, on SQLite and PostgreSQL; and
// the time from a restarted PostgreSQL server accepting connections to the room read again on the
// till's old connection (reopened on the way), on a cluster of the benchmark's own.

#include "core/data/Lookups.h"
#include "core/data/clsRecordset.h"
#include "core/data/dao/DaoError.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "core/settings/SharedState.h"
#include "support/PrivateCluster.h"
#include "support/TestDatabases.h"

#include <QCoreApplication>
#include <QMap>

#include <benchmark/benchmark.h>

namespace {

constexpr int tablesInRoom = 500;

void ensureApplication() {
    static int argc = 1;
    static char name[] = "bench_data";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // lives until the process ends
}

struct Venue {
    std::shared_ptr<qrv::dao::Database> db;
    QString someTable; ///< Codice of a table in the middle of the room
};

/** A venue with one room of 500 tables on engine, made once; nullptr db when the engine is missing. */
const Venue &venue(const QString &engine) {
    static QMap<QString, Venue> venues;
    if (venues.contains(engine))
        return venues[engine];
    ensureApplication();
    Venue &v = venues[engine];
    try {
        v.db = qrvtest::freshDatabase(engine);
        v.db->beginTransaction();
        for (int i = 1; i <= tablesInRoom; ++i) {
            v.db->Execute(
                QStringLiteral("Insert into Tavoli (Numero, Descrizione, Occupato, OraOccupato, "
                               "OraUltimoOrdine, ID_Scontrino, Top, Left, CodiceSala, Forma) values "
                               "('%1', 'Tavolo %1', %2, '', '', 0, %3, %4, 1, 'QUADRATO')")
                    .arg(i)
                    .arg(i % 3 == 0 ? QStringLiteral("True") : QStringLiteral("False"))
                    .arg((i / 20) * 1000)
                    .arg((i % 20) * 1000));
        }
        v.db->commitTransaction();
        v.someTable = qrvtest::scalar(v.db, QStringLiteral("Select Codice from Tavoli Where Numero = '250'"))
                          .toString();
    } catch (const qrv::dao::DaoError &error) {
        fprintf(stderr, "%s: %s\n", qPrintable(engine), error.what());
        v.db.reset();
    }
    return v;
}

bool useVenue(benchmark::State &state, const char *engine, Venue &out) {
    out = venue(QString::fromLatin1(engine));
    if (!out.db) {
        state.SkipWithError("engine not available");
        return false;
    }
    qrv::SharedState::current().DataBase = out.db;
    return true;
}

void BM_ReadRoom(benchmark::State &state, const char *engine) {
    Venue v;
    if (!useVenue(state, engine, v))
        return;
    const QString query = QStringLiteral("Select * from Tavoli Where CodiceSala = 1;");
    for (auto _ : state) {
        qrv::clsRecordset rs;
        rs.Apri(QStringLiteral("CaricaTavoli"), true, query, false, true);
        int rows = 0;
        while (rs.Errore() != qrv::clsRecordset::NoRow) {
            benchmark::DoNotOptimize(rs.ilRecordset()->Field(QStringLiteral("Descrizione")));
            ++rows;
            rs.LeggiNext();
        }
        rs.Chiudi();
        if (rows != tablesInRoom)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * tablesInRoom);
}

void BM_TavoloOccupato(benchmark::State &state, const char *engine) {
    Venue v;
    if (!useVenue(state, engine, v))
        return;
    for (auto _ : state)
        benchmark::DoNotOptimize(qrv::TavoloOccupato(v.someTable));
}

void BM_ExecuteUpdate(benchmark::State &state, const char *engine) {
    Venue v;
    if (!useVenue(state, engine, v))
        return;
    const QString update =
        QStringLiteral("UPDATE Tavoli SET OraUltimoOrdine = '12:30' Where Codice = ") + v.someTable;
    for (auto _ : state)
        benchmark::DoNotOptimize(v.db->Execute(update));
}

/**
 * A periodic refresh of a 500-table room right after the server restarted (-m fast): the server
 * accepts connections when the restart returns; the refresh reopens the lost connection and reads
 * the room. On the map this follows at the first tick after the restart (TimerRefresh, 10 s).
 */
void BM_RefreshAfterRestart(benchmark::State &state) {
    ensureApplication();
    std::unique_ptr<qrvtest::PrivateCluster> cluster;
    std::shared_ptr<qrv::dao::Database> db;
    try {
        cluster = std::make_unique<qrvtest::PrivateCluster>();
        db = cluster->freshDatabase();
        db->beginTransaction();
        for (int i = 1; i <= tablesInRoom; ++i)
            db->Execute(QStringLiteral("Insert into Tavoli (Numero, Occupato, Top, Left, CodiceSala) values "
                                       "('%1', False, 0, 0, 1)")
                            .arg(i));
        db->commitTransaction();
    } catch (const std::exception &error) {
        state.SkipWithError(error.what());
        return;
    }
    qrv::SharedState::current().DataBase = db;
    const QString query = QStringLiteral("Select * from Tavoli Where CodiceSala = 1;");
    for (auto _ : state) {
        state.PauseTiming();
        cluster->restart(QStringLiteral("fast"));
        state.ResumeTiming();
        qrv::clsRecordset rs;
        rs.setQuiet(true);
        rs.Apri(QStringLiteral("CaricaTavoli"), true, query, false, true);
        if (!rs.ilRecordset() || rs.ilRecordset()->RecordCount() != tablesInRoom)
            state.SkipWithError("the room was not read after the restart");
        rs.Chiudi();
    }
    qrv::SharedState::current().DataBase.reset();
}

} // namespace

BENCHMARK(BM_RefreshAfterRestart)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(BM_ReadRoom, sqlite, "sqlite")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadRoom, postgresql, "postgresql")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TavoloOccupato, sqlite, "sqlite")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_TavoloOccupato, postgresql, "postgresql")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ExecuteUpdate, sqlite, "sqlite")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ExecuteUpdate, postgresql, "postgresql")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
