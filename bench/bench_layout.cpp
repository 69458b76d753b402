// Figures of the floor-plan editor on a room of 500 tables: one drag step of a table button
// (a mouse-move that moves the button by 200 twips and the toolbox with it: no query, no
// rebuild), the same with the repaint it causes, the rebuild of the map (CaricaTavoli), the
// insert of a new table, and the creation of a table followed by the rebuild, on SQLite and
// PostgreSQL.

#include "component/frmTavoli.h"
#include "component/layout/EditMode.h"
#include "component/platform/Twips.h"
#include "component/tablemap/TableFloor.h"
#include "core/data/dao/DaoError.h"
#include "core/data/dao/Database.h"
#include "core/layout/TableStore.h"
#include "core/settings/SharedState.h"
#include "support/TestDatabases.h"

#include <QApplication>
#include <QMap>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int tablesInRoom = 500;

void ensureApplication() {
    static int argc = 1;
    static char name[] = "bench_layout";
    static char *argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!QCoreApplication::instance())
        new QApplication(argc, argv); // lives until the process ends
}

/** A venue with one room of 500 tables on engine, made once; nullptr when the engine is missing. */
std::shared_ptr<qrv::dao::Database> venue(const QString &engine) {
    // Never destroyed: the connections must outlive nothing of Qt SQL at process exit.
    static auto &venues = *new QMap<QString, std::shared_ptr<qrv::dao::Database>>;
    if (venues.contains(engine))
        return venues.value(engine);
    ensureApplication();
    std::shared_ptr<qrv::dao::Database> db;
    try {
        db = qrvtest::freshDatabase(engine);
        db->Execute(
            QStringLiteral("Insert into Sale (Descrizione, Sfondo, ColoreSfondo) values ('Salone', '', 0)"));
        db->beginTransaction();
        for (int i = 1; i <= tablesInRoom; ++i) {
            db->Execute(QStringLiteral("Insert into Tavoli (Numero, Descrizione, Occupato, OraOccupato, "
                                       "OraUltimoOrdine, ID_Scontrino, Top, Left, CodiceSala, Forma) values "
                                       "('%1', 'Tavolo %1', %2, '', '', 0, %3, %4, 1, 'QUADRATO')")
                            .arg(i)
                            .arg(i % 3 == 0 ? QStringLiteral("True") : QStringLiteral("False"))
                            .arg((i / 25) * 1000)
                            .arg((i % 25) * 1000));
        }
        db->commitTransaction();
    } catch (const qrv::dao::DaoError &error) {
        fprintf(stderr, "%s: %s\n", qPrintable(engine), error.what());
        db.reset();
    }
    venues.insert(engine, db);
    return db;
}

/** The map in layout-editing mode on the 500-table room, loaded and shown (not modally). */
qrv::frmTavoli *mapOn(const std::shared_ptr<qrv::dao::Database> &db) {
    static QTemporaryDir app;
    qrv::SharedState &shared = qrv::SharedState::current();
    shared.DataBase = db;
    shared.App_Path = app.path();
    shared.ilPathArchivi = app.path();
    shared.Operazione = qrv::qrvAggiornaTavoli;
    shared.Sala = 1;
    qrv::frmTavoli *form = qrv::frmTavoli::current();
    form->Form_Load();
    form->show();
    QCoreApplication::processEvents();
    return form;
}

QMouseEvent mouseAt(QEvent::Type type, QPushButton *button, QWidget *floor, QPointF floorTwips,
                    Qt::MouseButton cause, Qt::MouseButtons held) {
    const QPointF onFloor = floorTwips / qrv::TwipsPerPixel;
    const QPointF local = onFloor - QPointF(button->pos());
    return QMouseEvent(type, local, floor->mapToGlobal(onFloor), cause, held, Qt::NoModifier);
}

void dragSteps(benchmark::State &state, bool repaint) {
    std::shared_ptr<qrv::dao::Database> db = venue(QStringLiteral("sqlite"));
    if (!db) {
        state.SkipWithError("no database");
        return;
    }
    qrv::frmTavoli *form = mapOn(db);
    QWidget *floor = form->fraTavoli();
    const int index = form->indiceTavolo(
        qrvtest::scalar(db, QStringLiteral("Select Codice from Tavoli Where Numero = '260'")).toInt());
    QPushButton *button = form->fraTavoli()->button(index);
    const QPointF grip(300, 300); // twips inside the button
    const auto at = [&](double dx) {
        return QPointF(form->fraTavoli()->leftTwips(index) + grip.x() + dx,
                       form->fraTavoli()->topTwips(index) + grip.y());
    };
    QMouseEvent press =
        mouseAt(QEvent::MouseButtonPress, button, floor, at(0), Qt::LeftButton, Qt::LeftButton);
    QCoreApplication::sendEvent(button, &press);
    const int startLeft = form->fraTavoli()->leftTwips(index);
    int direction = 1;
    for (auto _ : state) {
        QMouseEvent move =
            mouseAt(QEvent::MouseMove, button, floor, at(direction * 210), Qt::NoButton, Qt::LeftButton);
        QCoreApplication::sendEvent(button, &move);
        if (repaint)
            QCoreApplication::processEvents();
        direction = -direction;
    }
    if (form->fraTavoli()->leftTwips(index) != startLeft &&
        form->fraTavoli()->leftTwips(index) != startLeft + 200)
        state.SkipWithError("the button did not step");
    state.counters["tables"] = form->fraTavoli()->count();
    QMouseEvent release =
        mouseAt(QEvent::MouseButtonRelease, button, floor, at(0), Qt::LeftButton, Qt::NoButton);
    QCoreApplication::sendEvent(button, &release);
    form->hide();
}

void BM_DragStep(benchmark::State &state) {
    dragSteps(state, false);
}

void BM_DragStepWithRepaint(benchmark::State &state) {
    dragSteps(state, true);
}

void BM_CaricaTavoli(benchmark::State &state, const char *engine) {
    std::shared_ptr<qrv::dao::Database> db = venue(QString::fromLatin1(engine));
    if (!db) {
        state.SkipWithError("no database");
        return;
    }
    qrv::frmTavoli *form = mapOn(db);
    for (auto _ : state)
        form->CaricaTavoli();
    state.counters["tables"] = form->fraTavoli()->count();
    form->hide();
}

void BM_CreateTableAndRebuild(benchmark::State &state, const char *engine) {
    std::shared_ptr<qrv::dao::Database> db = venue(QString::fromLatin1(engine));
    if (!db) {
        state.SkipWithError("no database");
        return;
    }
    qrv::frmTavoli *form = mapOn(db);
    qrv::NewTable table;
    table.numero = QStringLiteral("X1");
    table.descrizione = QStringLiteral("Nuovo");
    table.codiceSala = 1;
    table.top = 20000;
    table.left = 200;
    for (auto _ : state) {
        // What "Crea un nuovo tavolo" does around the number: open Tavoli, insert, close, rebuild.
        qrv::NewTableInsert().insert(table);
        form->CaricaTavoli();
        state.PauseTiming();
        db->Execute(QStringLiteral("Delete * from Tavoli Where Numero = 'X1'"));
        state.ResumeTiming();
    }
    state.counters["tables"] = form->fraTavoli()->count();
    form->hide();
}

void BM_InsertTable(benchmark::State &state, const char *engine) {
    std::shared_ptr<qrv::dao::Database> db = venue(QString::fromLatin1(engine));
    if (!db) {
        state.SkipWithError("no database");
        return;
    }
    qrv::SharedState::current().DataBase = db;
    qrv::NewTable table;
    table.numero = QStringLiteral("X2");
    table.codiceSala = 1;
    for (auto _ : state) {
        qrv::NewTableInsert().insert(table);
        state.PauseTiming();
        db->Execute(QStringLiteral("Delete * from Tavoli Where Numero = 'X2'"));
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DragStepWithRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CaricaTavoli, sqlite, "sqlite")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CaricaTavoli, postgresql, "postgresql")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InsertTable, sqlite, "sqlite")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InsertTable, postgresql, "postgresql")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CreateTableAndRebuild, sqlite, "sqlite")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CreateTableAndRebuild, postgresql, "postgresql")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
