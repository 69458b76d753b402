// Figures of the table operations on SQLite and PostgreSQL: removing one unit of a line, the move
// itself (sales lock, transaction, four statements, durable commit) with the commit timed apart,
// the reload of a 100-table room, and the whole move as the map runs it (lock to reload).

#include "component/frmTavoli.h"
#include "component/operations/MoveOrder.h"
#include "core/data/dao/DaoError.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Workspace.h"
#include "core/operations/LineRemoval.h"
#include "core/operations/OrderLines.h"
#include "core/operations/OrderMove.h"
#include "core/platform/NumberFormat.h"
#include "core/settings/SharedState.h"
#include "support/TestDatabases.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace {

constexpr int tablesInRoom = 100;

void ensureApplication() {
    static int argc = 1;
    static char name[] = "bench_operations";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv); // lives until the process ends
    }
}

QTemporaryDir &archive() {
    static QTemporaryDir folder;
    return folder;
}

/** One room of 100 tables: table 1 occupied with five lines, table 3 with one line of very many units. */
std::shared_ptr<qrv::dao::Database> build(const QString &engine) {
    auto db = qrvtest::freshDatabase(engine);
    db->beginTransaction();
    db->Execute(QStringLiteral("Insert into Sale (Codice, Descrizione) values (1, 'Sala')"));
    for (int i = 1; i <= tablesInRoom; ++i) {
        db->Execute(QStringLiteral("Insert into Tavoli (Codice, Numero, Descrizione, Occupato, OraOccupato, "
                                   "OraUltimoOrdine, ID_Scontrino, Top, Left, CodiceSala, Forma) values "
                                   "(%1, '%1', '%2', %3, '', '', 0, %4, %5, 1, 'QUADRATO')")
                        .arg(i)
                        .arg(i == 1 ? QStringLiteral("Rossi") : QString())
                        .arg(i == 1 || i == 3 ? QStringLiteral("True") : QStringLiteral("False"))
                        .arg((i - 1) / 10 * 1000)
                        .arg((i - 1) % 10 * 1000));
    }
    const QString line = QStringLiteral("Insert into DettaglioTavoli (Tavolo, Codice, Quantita, Descrizione, "
                                        "Variante, Importo, IdRif) values (%1, %2, %3, '%4', 0, %5, 0)");
    for (int l = 1; l <= 5; ++l)
        db->Execute(line.arg(1).arg(l).arg(2).arg(QStringLiteral("Riga")).arg(9.5));
    db->Execute(line.arg(3).arg(1).arg(1000000000).arg(QStringLiteral("Coperto")).arg(2000000000));
    db->commitTransaction();
    return db;
}

/** The venue of engine, made on first use, with the shared state of a till pointed at it. */
std::shared_ptr<qrv::dao::Database> useVenue(benchmark::State &state, const char *engine) {
    // Never destroyed: the connections must outlive nothing of Qt SQL at process exit.
    static auto &venues = *new std::map<std::string, std::shared_ptr<qrv::dao::Database>>;
    ensureApplication();
    auto &db = venues[engine];
    try {
        if (!db)
            db = build(QString::fromLatin1(engine));
    } catch (const std::exception &error) {
        state.SkipWithError(error.what());
        return nullptr;
    }
    qrv::SharedState &s = qrv::SharedState::current();
    s.DataBase = db;
    s.WorkSpace = std::make_shared<qrv::dao::Workspace>(db);
    s.ilPathArchivi = archive().path();
    s.App_Path = archive().path();
    s.Operazione = qrv::qrvScegliUnTavolo;
    s.Sala = 1;
    return db;
}

/** Remove one unit as the button does: plan from the row's texts, then the one UPDATE (autocommit). */
void BM_RemoveOneUnit(benchmark::State &state, const char *engine) {
    const auto db = useVenue(state, engine);
    if (!db)
        return;
    qrv::OrderLines edits(db);
    const auto column = [&db](const char *name) {
        return qrvtest::scalar(
            db, QStringLiteral("Select %1 from DettaglioTavoli Where Tavolo = 3").arg(QLatin1String(name)));
    };
    const qint64 lineId = column("ID").toLongLong();
    qint64 quantity = column("Quantita").toLongLong();
    double amount = column("Importo").toDouble();
    for (auto _ : state) {
        const qrv::UnitRemoval plan = qrv::planUnitRemoval(
            QString::number(quantity), qrv::formatAmount(amount), QString::number(lineId));
        if (edits.removeOneUnit(plan) != qrv::OrderLines::Result::Done) {
            state.SkipWithError("removal failed");
            return;
        }
        quantity = plan.newQuantity;
        amount = plan.newAmount;
    }
}

/** The move alone: lock, transaction, four statements, durable commit; the commit is timed apart. */
void BM_Move(benchmark::State &state, const char *engine) {
    const auto db = useVenue(state, engine);
    if (!db)
        return;
    qrv::OrderMove move(db, std::make_shared<qrv::dao::Workspace>(db), archive().path());
    QElapsedTimer clock;
    qint64 beforeCommit = 0, commitNs = 0, restNs = 0, start = 0;
    move.setStageHook([&](qrv::OrderMove::Stage stage, int index) {
        if (stage == qrv::OrderMove::Stage::StatementRun && index == 3)
            beforeCommit = clock.nsecsElapsed();
        else if (stage == qrv::OrderMove::Stage::Committed)
            commitNs += clock.nsecsElapsed() - beforeCommit;
    });
    // The order goes back and forth between tables 1 and 2, and every run goes on from where the
    // last one left it.
    qint64 from = 1, to = 2;
    if (qrvtest::scalar(db, QStringLiteral("Select Occupato from Tavoli Where Codice = 2")).toBool())
        std::swap(from, to);
    clock.start();
    for (auto _ : state) {
        start = clock.nsecsElapsed();
        const qint64 committedBefore = commitNs;
        if (move.run(from, to, QStringLiteral("Rossi"), QTime::currentTime()).outcome !=
            qrv::OrderMove::Outcome::Moved) {
            state.SkipWithError("move failed");
            return;
        }
        restNs += clock.nsecsElapsed() - start - (commitNs - committedBefore);
        std::swap(from, to);
    }
    const double n = double(state.iterations());
    state.counters["commit_ms"] = benchmark::Counter(commitNs / n / 1e6);
    state.counters["without_commit_ms"] = benchmark::Counter(restNs / n / 1e6);
}

qrv::frmTavoli *loadedMap() {
    qrv::frmTavoli *form = qrv::frmTavoli::current();
    if (!form->isLoaded())
        form->Form_Load();
    return form;
}

/** The reload of the 100-table room that follows every move (CaricaTavoli). */
void BM_CaricaTavoli(benchmark::State &state, const char *engine) {
    if (!useVenue(state, engine))
        return;
    qrv::frmTavoli *form = loadedMap();
    form->CaricaTavoli();
    for (auto _ : state)
        form->CaricaTavoli();
}

/** The whole move as the map runs it: SPOSTA, touch of the destination, lock to reload. */
void BM_MoveFromTheMap(benchmark::State &state, const char *engine) {
    if (!useVenue(state, engine))
        return;
    qrv::frmTavoli *form = loadedMap();
    form->CaricaTavoli();
    int from = form->indiceTavolo(1), to = form->indiceTavolo(2);
    for (auto _ : state) {
        form->state().IndiceTavoloSelezionato = static_cast<qint16>(from);
        form->moveOrder()->cmdSposta_Click();
        form->moveOrder()->destinationClicked(to);
        std::swap(from, to);
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_RemoveOneUnit, sqlite, "sqlite")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_RemoveOneUnit, postgresql, "postgresql")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Move, sqlite, "sqlite")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Move, postgresql, "postgresql")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CaricaTavoli, sqlite, "sqlite")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CaricaTavoli, postgresql, "postgresql")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MoveFromTheMap, sqlite, "sqlite")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MoveFromTheMap, postgresql, "postgresql")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
