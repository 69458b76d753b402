// Load time of the separate-bill screen: reading a table's order lines, looking up the article
// descriptions and filling one grid row per unit.
#include "component/separatebills/frmContiSeparati.h"
#include "core/data/dao/Database.h"
#include "core/settings/SharedState.h"
#include "support/TestDatabases.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <map>

namespace {

/**
 * A venue whose table 1 holds `units` units: article lines of `perLine` units each, every one
 * with a variant line, the articles taken from a menu of 40 (or all different when distinct).
 */
// Venues built once per shape; emptied before main returns, while the SQL drivers still exist.
std::map<QString, std::shared_ptr<qrv::dao::Database>> venues;

std::shared_ptr<qrv::dao::Database> venue(const QString &engine, int units, int perLine, bool distinct) {
    const QString key = QStringLiteral("%1/%2/%3/%4").arg(engine).arg(units).arg(perLine).arg(distinct);
    auto &db = venues[key];
    if (db)
        return db;
    db = qrvtest::freshDatabase(engine);
    const int lines = units / perLine;
    const int articles = distinct ? lines : 40;
    db->beginTransaction();
    for (int a = 1; a <= articles; ++a) {
        db->Execute(QStringLiteral(
                        "Insert into Articoli (Codice, Descrizione, Prezzo) values (%1, 'Articolo %1', 2.5)")
                        .arg(a));
    }
    for (int l = 0; l < lines; ++l) {
        db->Execute(
            QStringLiteral("Insert into DettaglioTavoli (Tavolo, Codice, Quantita, Descrizione, Variante, "
                           "Importo, IdRif) values (1, %1, %2, '', 0, %3, 0)")
                .arg(l % articles + 1)
                .arg(perLine)
                .arg(QString::number(2.5 * perLine)));
        db->Execute(
            QStringLiteral("Insert into DettaglioTavoli (Tavolo, Codice, Quantita, Descrizione, Variante, "
                           "Importo, IdRif) values (1, 0, 1, 'variante %1', 1, 0, 0)")
                .arg(l));
    }
    db->commitTransaction();
    return db;
}

void loadScreen(benchmark::State &bench, const QString &engine) {
    const int units = static_cast<int>(bench.range(0));
    const int perLine = static_cast<int>(bench.range(1));
    const bool distinct = bench.range(2) != 0;
    qrv::SharedState &state = qrv::SharedState::current();
    try {
        state.DataBase = venue(engine, units, perLine, distinct);
    } catch (const std::exception &error) {
        bench.SkipWithError(error.what());
        return;
    }
    state.TavoloScelto = QStringLiteral("1");
    qrv::frmContiSeparati *form = qrv::frmContiSeparati::instance();
    for (auto _ : bench)
        form->Form_Load();
    bench.counters["units"] = units;
    state.DataBase.reset();
}

void BM_LoadSQLite(benchmark::State &bench) {
    loadScreen(bench, QStringLiteral("sqlite"));
}
void BM_LoadPostgreSQL(benchmark::State &bench) {
    loadScreen(bench, QStringLiteral("postgresql"));
}

// Arguments: units, units per article line, every line a different article (1) or a menu of 40 (0).
void shapes(benchmark::internal::Benchmark *b) {
    b->ArgNames({"units", "perLine", "distinct"});
    b->Args({20, 2, 0})->Args({20, 1, 1})->Args({500, 5, 0})->Args({500, 1, 0})->Args({500, 1, 1});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_LoadSQLite)->Apply(shapes);
BENCHMARK(BM_LoadPostgreSQL)->Apply(shapes);

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    venues.clear();
    return 0;
}
