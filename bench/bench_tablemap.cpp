// Figures of the table map on an embedded SQLite venue, under the offscreen platform:
// start-up to first paint, room switch and one periodic refresh for rooms of 20, 100 and 500
// tables; a notification datagram to the recoloured button; a table click to the filled receipt
// for orders of 10 and 200 lines; and the demo till's peak memory with a 500-table room on show.

#include "PaintWait.h"
#include "component/frmTavoli.h"
#include "component/platform/Grid.h"
#include "component/tablemap/TableFloor.h"
#include "core/data/dao/Database.h"
#include "core/settings/SharedState.h"
#include "core/tablemap/MapSettings.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

using namespace qrv;

namespace {

QApplication &app() {
    static int argc = 1;
    static char name[] = "bench_tablemap";
    static char *argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: at exit the SQL driver's statics may already be gone.
    static QApplication *application = new QApplication(argc, argv);
    return *application;
}

/**
 * A venue with rooms 1 and 2 of tables tables each (room 1 with every other table occupied),
 * and the occupied table 2 carrying lines order lines.
 */
struct BenchVenue {
    std::shared_ptr<dao::Database> db;
    QTemporaryDir app;
    qrvtest::ScriptedMessageWindow window;

    BenchVenue(int tables, int lines = 0) : db(qrvtest::freshDatabase(QStringLiteral("sqlite"))) {
        db->beginTransaction();
        db->Execute(QStringLiteral("Insert into Sale (Codice, Descrizione) values (1, 'Sala')"));
        db->Execute(QStringLiteral("Insert into Sale (Codice, Descrizione) values (2, 'Terrazza')"));
        db->Execute(
            QStringLiteral("Insert into Articoli (Codice, Descrizione, Prezzo) values (1, 'Pizza', 7)"));
        int codice = 0;
        for (int sala = 1; sala <= 2; ++sala) {
            for (int t = 0; t < tables; ++t) {
                ++codice;
                db->Execute(
                    QStringLiteral("Insert into Tavoli (Codice, Numero, Descrizione, Occupato, Top, Left, "
                                   "CodiceSala) values (%1, '%2', 'Tavolo %2', %3, %4, %5, %6)")
                        .arg(codice)
                        .arg(QString::number(codice))
                        .arg(sala == 1 && t % 2 ? QStringLiteral("True") : QStringLiteral("False"))
                        .arg(200 + (t / 25) * 1000)
                        .arg(200 + (t % 25) * 1000)
                        .arg(sala));
            }
        }
        for (int id = 1; id <= lines; ++id)
            db->Execute(
                QStringLiteral("Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, "
                               "Variante, Importo, IdRif) values (%1, 2, 1, 1, '', 0, 7, 0)")
                    .arg(id));
        db->commitTransaction();

        SharedState &shared = SharedState::current();
        shared = SharedState();
        shared.DataBase = db;
        shared.App_Path = app.path();
        shared.Operazione = qrvScegliUnTavolo;
        shared.Sala = 1;
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        MapSettings::setNotifyPort(probe.localPort());
    }
    ~BenchVenue() { SharedState::current() = SharedState(); }
};

void BM_StartUpToFirstPaint(benchmark::State &state) {
    app();
    BenchVenue venue(static_cast<int>(state.range(0)));
    frmTavoli form;
    PaintCounter counter;
    form.fraTavoli()->installEventFilter(&counter);
    for (auto _ : state) {
        form.Form_Load();
        form.show();
        waitForPaint(form.fraTavoli(), counter);
        state.PauseTiming();
        form.done(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["tables"] = static_cast<double>(state.range(0));
}

void BM_RoomSwitch(benchmark::State &state) {
    app();
    BenchVenue venue(static_cast<int>(state.range(0)));
    frmTavoli form;
    PaintCounter counter;
    form.fraTavoli()->installEventFilter(&counter);
    form.Form_Load();
    form.show();
    int room = 0;
    for (auto _ : state) {
        room = 1 - room;
        form.cmdSala_Click(room);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        waitForPaint(form.fraTavoli(), counter);
    }
    form.done(0);
    state.counters["tables"] = static_cast<double>(state.range(0));
}

void BM_RefreshTick(benchmark::State &state) {
    app();
    BenchVenue venue(static_cast<int>(state.range(0)));
    frmTavoli form;
    form.Form_Load();
    form.show();
    QCoreApplication::processEvents();
    bool occupied = false;
    for (auto _ : state) {
        state.PauseTiming();
        // Something to recolour on every tick: the whole room changes state.
        occupied = !occupied;
        venue.db->Execute(QStringLiteral("Update Tavoli Set Occupato = %1 Where CodiceSala = 1")
                              .arg(occupied ? QStringLiteral("True") : QStringLiteral("False")));
        state.ResumeTiming();
        form.TimerRefresh_Timer();
    }
    form.done(0);
    state.counters["tables"] = static_cast<double>(state.range(0));
}

void BM_DatagramToRecolouredButton(benchmark::State &state) {
    app();
    BenchVenue venue(100);
    frmTavoli form;
    form.Form_Load();
    form.show();
    QCoreApplication::processEvents();
    const int index = form.indiceTavolo(50);
    QPushButton *button = form.fraTavoli()->button(index);
    QUdpSocket sender;
    bool occupied = button->palette().color(QPalette::Button) == QColor(0xFF, 0x3E, 0x3E);
    for (auto _ : state) {
        state.PauseTiming();
        occupied = !occupied;
        venue.db->Execute(QStringLiteral("Update Tavoli Set Occupato = %1 Where Codice = 50")
                              .arg(occupied ? QStringLiteral("True") : QStringLiteral("False")));
        const QColor before = button->palette().color(QPalette::Button);
        state.ResumeTiming();
        sender.writeDatagram("50", QHostAddress::LocalHost, MapSettings::notifyPort());
        QElapsedTimer guard;
        guard.start();
        while (button->palette().color(QPalette::Button) == before && guard.elapsed() < 5000)
            QCoreApplication::processEvents();
        if (guard.elapsed() >= 5000)
            state.SkipWithError("the button was not recoloured");
        state.PauseTiming();
        form.FermaLampeggio();
        state.ResumeTiming();
    }
    form.done(0);
}

void BM_ClickToFilledReceipt(benchmark::State &state) {
    app();
    const int lines = static_cast<int>(state.range(0));
    BenchVenue venue(20, lines);
    frmTavoli form;
    form.Form_Load();
    form.show();
    QCoreApplication::processEvents();
    const int index = form.indiceTavolo(2);
    for (auto _ : state) {
        form.tableButtonClicked(index);
        QCoreApplication::processEvents();
        if (form.frxScontrino()->grid()->rows() != lines)
            state.SkipWithError("receipt not filled");
    }
    form.done(0);
    state.counters["lines"] = lines;
}

/** The demo till's peak resident memory with a room of 500 tables on show (rendered offscreen). */
void BM_DemoPeakMemory500(benchmark::State &state) {
    app();
    const QString demo = QStringLiteral(QRV_BINARY_DIR "/qrvtavoli-demo");
    if (!QFileInfo::exists(demo)) {
        state.SkipWithError("qrvtavoli-demo is not built");
        return;
    }
    BenchVenue venue(500);
    QTemporaryDir data;
    double peakMb = 0;
    for (auto _ : state) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.start(demo, {QStringLiteral("--db"), qrvtest::urlOf(venue.db), QStringLiteral("--data"),
                             data.path(), QStringLiteral("--sala"), QStringLiteral("1"),
                             QStringLiteral("--screenshot"), data.filePath(QStringLiteral("map.png"))});
        if (!process.waitForFinished(60000) || process.exitCode() != 0) {
            state.SkipWithError("the demo till failed");
            return;
        }
        // The largest resident set of any child reaped so far: the demo is the only big one.
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        peakMb = usage.ru_maxrss / 1024.0;
    }
    state.counters["peak_MB"] = peakMb;
}

} // namespace

BENCHMARK(BM_StartUpToFirstPaint)->Arg(20)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RoomSwitch)->Arg(20)->Arg(100)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefreshTick)->Arg(20)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DatagramToRecolouredButton)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClickToFilledReceipt)->Arg(10)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoPeakMemory500)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
