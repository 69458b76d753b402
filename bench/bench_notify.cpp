// Figures of the tills that tell each other, on SQLite and PostgreSQL: the cost the journal row adds
// to a move (the move alone, without and with RegistroTavoli), and the time from the touch that
// completes a move on one till's map to the destination's button recoloured on another till's
// map, in a process of its own on the same machine.

#include "component/frmTavoli.h"
#include "component/operations/MoveOrder.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/VenueSetup.h"
#include "core/data/dao/Workspace.h"
#include "core/operations/OrderMove.h"
#include "core/settings/SharedState.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>

using namespace qrv;

namespace {

constexpr int tablesInRoom = 20;

qint64 steadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void ensureApplication() {
    static int argc = 1;
    static char name[] = "bench_notify";
    static char *argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv); // lives until the process ends
    }
}

QTemporaryDir &folder() {
    static QTemporaryDir dir;
    return dir;
}

void writeFile(const QString &path, const QByteArray &text) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

/** One room of 20 tables, table 1 occupied with five lines; with RegistroTavoli when journal. */
std::shared_ptr<dao::Database> build(const QString &engine, bool journal) {
    auto db = qrvtest::freshDatabase(engine);
    if (journal) {
        QFile script(QStringLiteral(QRV_SOURCE_DIR "/schema/") +
                     (db->engine() == dao::Database::Engine::PostgreSQL
                          ? QStringLiteral("registro-postgresql.sql")
                          : QStringLiteral("registro-sqlite.sql")));
        script.open(QIODevice::ReadOnly);
        for (const QString &statement : dao::splitSqlScript(QString::fromUtf8(script.readAll())))
            db->ExecuteNative(statement);
        db->connection().close();
        db->reconnect();
    }
    db->beginTransaction();
    db->Execute(QStringLiteral("Insert into Sale (Codice, Descrizione) values (1, 'Sala')"));
    for (int i = 1; i <= tablesInRoom; ++i)
        db->Execute(QStringLiteral("Insert into Tavoli (Codice, Numero, Descrizione, Occupato, OraOccupato, "
                                   "OraUltimoOrdine, ID_Scontrino, Top, Left, CodiceSala, Forma) values "
                                   "(%1, '%1', '%2', %3, '', '', 0, %4, %5, 1, 'QUADRATO')")
                        .arg(i)
                        .arg(i == 1 ? QStringLiteral("Rossi") : QString())
                        .arg(i == 1 ? QStringLiteral("True") : QStringLiteral("False"))
                        .arg((i - 1) / 10 * 1000)
                        .arg((i - 1) % 10 * 1000));
    for (int l = 1; l <= 5; ++l)
        db->Execute(
            QStringLiteral("Insert into DettaglioTavoli (Tavolo, Codice, Quantita, Descrizione, Variante, "
                           "Importo, IdRif) values (1, %1, 2, 'Riga', 0, 9.5, 0)")
                .arg(l));
    db->commitTransaction();
    return db;
}

/** The table that holds the order now (1 or 2: every run moves it back and forth). */
qint64 occupied(const std::shared_ptr<dao::Database> &db) {
    return qrvtest::scalar(db, QStringLiteral("Select Codice from Tavoli Where Occupato = True"))
        .toLongLong();
}

std::shared_ptr<dao::Database> venue(benchmark::State &state, const char *engine, bool journal) {
    static std::map<std::string, std::shared_ptr<dao::Database>> venues;
    ensureApplication();
    auto &db = venues[std::string(engine) + (journal ? "+journal" : "")];
    try {
        if (!db)
            db = build(QString::fromLatin1(engine), journal);
    } catch (const std::exception &error) {
        state.SkipWithError(error.what());
        return nullptr;
    }
    return db;
}

/** The move alone (lock, transaction, statements, durable commit), without and with its journal row. */
void BM_MoveJournal(benchmark::State &state, const char *engine, bool journal) {
    const auto db = venue(state, engine, journal);
    if (!db)
        return;
    OrderMove move(db, std::make_shared<dao::Workspace>(db), folder().path());
    move.setJournal(QStringLiteral("1"));
    qint64 from = occupied(db), to = 3 - from;
    for (auto _ : state) {
        const OrderMove::Result r = move.run({from, QString::number(from)}, {to, QString::number(to)},
                                             QStringLiteral("Rossi"), QTime::currentTime());
        if (r.outcome != OrderMove::Outcome::Moved) {
            state.SkipWithError("move failed");
            return;
        }
        std::swap(from, to);
    }
}

/** A message window that notes when the operator is told the move is done. */
class NoticeClock : public qrvtest::ScriptedMessageWindow {
public:
    qint64 toldNs = 0;
    void notice(const QString &testo, qint32 a, qint32 b, qint32 c, bool d) override {
        if (testo == QLatin1String("Spostamento terminato"))
            toldNs = steadyNs();
        ScriptedMessageWindow::notice(testo, a, b, c, d);
    }
};

/**
 * The touch on the destination on this till's map (lock, transaction, commit, datagram) to the
 * destination's button red on the other till's map, which answers with the moment it saw it.
 */
void BM_CommitToOtherMap(benchmark::State &state, const char *engine) {
    const auto db = venue(state, engine, true);
    if (!db)
        return;
    QUdpSocket answers;
    answers.bind(QHostAddress::LocalHost, 0);
    const auto freePort = [] {
        QUdpSocket probe;
        probe.bind(QHostAddress::AnyIPv4, 0);
        return probe.localPort();
    };
    const quint16 otherPort = freePort();
    QTemporaryDir otherApp;
    writeFile(otherApp.filePath(QStringLiteral("impostazioni.ini")),
              "[Tavoli]\nPortaNotifiche=" + QByteArray::number(otherPort) + "\n");
    QProcess other;
    other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    other.start(
        QCoreApplication::applicationFilePath(),
        {QStringLiteral("--other-till"), db->url(), otherApp.path(), QString::number(answers.localPort())});
    if (!other.waitForReadyRead(30000) || !other.readAllStandardOutput().contains("READY")) {
        state.SkipWithError("the other till did not start");
        return;
    }

    writeFile(folder().filePath(QStringLiteral("impostazioni.ini")),
              "[Impostazioni]\nCodiceCassa=1\n[Tavoli]\nPortaNotifiche=" + QByteArray::number(freePort()) +
                  "\nNotificheA=127.0.0.1:" + QByteArray::number(otherPort) + "\n");
    SharedState &s = SharedState::current();
    s.DataBase = db;
    s.WorkSpace = std::make_shared<dao::Workspace>(db);
    s.ilPathArchivi = folder().path();
    s.App_Path = folder().path();
    s.Operazione = qrvScegliUnTavolo;
    s.Sala = 1;
    NoticeClock window;
    frmTavoli *form = frmTavoli::current();
    form->Form_Load();
    const qint64 holder = occupied(db);
    int from = form->indiceTavolo(int(holder)), to = form->indiceTavolo(int(3 - holder));
    double touchToOther = 0, toldToOther = 0, worst = 0;
    for (auto _ : state) {
        form->state().IndiceTavoloSelezionato = static_cast<qint16>(from);
        form->moveOrder()->cmdSposta_Click();
        const QString destination = form->fraTavoli()->tag(to);
        const qint64 touched = steadyNs();
        form->moveOrder()->destinationClicked(to);
        QByteArray answer;
        while (answer.isEmpty() && answers.waitForReadyRead(5000)) {
            answer.resize(int(answers.pendingDatagramSize()));
            answers.readDatagram(answer.data(), answer.size());
        }
        const QList<QByteArray> parts = answer.split(' ');
        if (parts.size() != 3 || QString::fromLatin1(parts.at(1)) != destination || parts.at(2) != "1") {
            state.SkipWithError("the other map did not turn the destination red");
            break;
        }
        const double ms = (parts.at(0).toLongLong() - touched) / 1e6;
        touchToOther += ms;
        worst = std::max(worst, ms);
        toldToOther += (parts.at(0).toLongLong() - window.toldNs) / 1e6;
        std::swap(from, to);
    }
    form->done(0);
    other.kill();
    other.waitForFinished();
    const double n = double(state.iterations());
    state.counters["touch_to_other_ms"] = benchmark::Counter(touchToOther / n);
    state.counters["worst_ms"] = benchmark::Counter(worst);
    state.counters["told_to_other_ms"] = benchmark::Counter(toldToOther / n);
}

/**
 * The other till (arguments: database URL, application folder, answer port): shows its map and,
 * once a notification has been handled, answers with the moment, the blinking table and whether its
 * button is red.
 */
int otherTill(const QStringList &args) {
    SharedState &s = SharedState::current();
    s.DataBase = dao::Database::open(args.value(0));
    s.App_Path = args.value(1);
    s.ilPathArchivi = args.value(1);
    s.Operazione = qrvScegliUnTavolo;
    s.Sala = 1;
    frmTavoli *form = frmTavoli::current();
    form->Form_Load();
    form->show();
    QUdpSocket answer;
    const quint16 port = static_cast<quint16>(args.value(2).toUInt());
    // Connected after the map's own handler, so it runs once the button is recoloured.
    QObject::connect(
        form->findChild<QUdpSocket *>(QStringLiteral("WinsockNotify")), &QUdpSocket::readyRead, form, [&] {
            const int i = form->state().TavoloLampeggiante;
            const QPushButton *button = form->fraTavoli()->button(i);
            const bool red = button && button->palette().color(QPalette::Button) == QColor(0xFF, 0x3E, 0x3E);
            answer.writeDatagram(QByteArray::number(steadyNs()) + ' ' + form->fraTavoli()->tag(i).toLatin1() +
                                     ' ' + (red ? "1" : "0"),
                                 QHostAddress::LocalHost, port);
        });
    fputs("READY\n", stdout);
    fflush(stdout);
    return QCoreApplication::exec();
}

} // namespace

BENCHMARK_CAPTURE(BM_MoveJournal, sqlite_without_journal, "sqlite", false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MoveJournal, sqlite_with_journal, "sqlite", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MoveJournal, postgresql_without_journal, "postgresql", false)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MoveJournal, postgresql_with_journal, "postgresql", true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CommitToOtherMap, sqlite, "sqlite")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CommitToOtherMap, postgresql, "postgresql")->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    if (argc > 1 && qstrcmp(argv[1], "--other-till") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return otherTill(app.arguments().mid(2));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
