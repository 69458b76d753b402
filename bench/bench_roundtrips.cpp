// Round trips and time of every touch of the till: on PostgreSQL reached over TCP through a relay
// that adds a latency to each round trip, as a local network does, and on SQLite for comparison.
// The touches: start-up (load to painted floor), room switch and one refresh tick at 100 and 500
// tables; click on an occupied table to the filled receipt at 10 and 200 lines; the separate-bill
// screen loading 500 units; removing one unit from the receipt; the whole move from the touch of
// the destination to the redrawn floor. Figures are medians over the iterations.
//
//   bench_roundtrips [--latency-ms N] [--iterations N] [--engine sqlite|postgresql]
//                    [--only TEXT] [--tables 100,500] [--statements]
//
// --latency-ms (or QRV_BENCH_LATENCY_MS): added per round trip, 1 ms unless given.
// --only: only the touches whose name contains TEXT. --tables: the room sizes (20 to 1000); the
// order touches run in the venue of the last. --statements: also list what each touch sends to
// the server (numbers shown as N, repeats counted).

#include "PaintWait.h"
#include "component/frmTavoli.h"
#include "component/operations/LineEditing.h"
#include "component/operations/MoveOrder.h"
#include "component/platform/Grid.h"
#include "component/separatebills/frmContiSeparati.h"
#include "component/tablemap/TableFloor.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Workspace.h"
#include "core/settings/SharedState.h"
#include "core/tablemap/MapSettings.h"
#include "support/PgWireProxy.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

using namespace qrv;
using qrvtest::PgWireProxy;

namespace {

struct Options {
    int latencyMs = 1;
    int iterations = 15;
    int warmUp = 2;
    QStringList engines{QStringLiteral("sqlite"), QStringLiteral("postgresql")};
    QString only;
    bool statements = false;
    QVector<int> tables{100, 500};
};

Options options;

// Tables of the venue that carry orders; every even table of room 1 is occupied.
constexpr qint32 ShortOrder = 2;    // 10 lines of 10 articles
constexpr qint32 LongOrder = 4;     // 200 lines of 100 articles
constexpr qint32 UnitOrder = 6;     // one line of very many units, then four lines
constexpr qint32 SeparateOrder = 8; // 500 units of 100 articles, a variant on every fifth
constexpr qint32 MoveSource = 10;   // five lines; the move goes back and forth with 11
constexpr qint32 MoveOther = 11;
constexpr int Articles = 100;

/** A venue of two rooms of `tables` tables each, with the orders above, and the till's connection. */
struct Venue {
    QString engine;
    int tables = 0;
    std::shared_ptr<dao::Database> direct; ///< fills and changes the venue, never through the relay
    std::shared_ptr<dao::Database> till;   ///< what the till uses: through the relay on PostgreSQL
    std::unique_ptr<PgWireProxy> proxy;

    bool counted() const { return proxy != nullptr; }
};

void fill(dao::Database &db, int tables) {
    db.beginTransaction();
    db.Execute(QStringLiteral("Insert into Sale (Codice, Descrizione) values (1, 'Sala')"));
    db.Execute(QStringLiteral("Insert into Sale (Codice, Descrizione) values (2, 'Terrazza')"));
    for (int a = 1; a <= Articles; ++a)
        db.Execute(QStringLiteral("Insert into Articoli (Codice, Descrizione, Prezzo) values (%1, "
                                  "'Articolo numero %1', 2.5)")
                       .arg(a));
    int codice = 0;
    for (int sala = 1; sala <= 2; ++sala) {
        for (int t = 0; t < tables; ++t) {
            ++codice;
            db.Execute(
                QStringLiteral("Insert into Tavoli (Codice, Numero, Descrizione, Occupato, OraOccupato, "
                               "OraUltimoOrdine, ID_Scontrino, Top, Left, CodiceSala, Forma) values "
                               "(%1, '%2', 'Tavolo %1', %3, '', '', 0, %4, %5, %6, 'QUADRATO')")
                    .arg(codice)
                    .arg((codice - 1) % 999 + 1) // a number has at most three digits
                    .arg(sala == 1 && codice % 2 == 0 ? QStringLiteral("True") : QStringLiteral("False"))
                    .arg(200 + (t / 25) * 1000)
                    .arg(200 + (t % 25) * 1000)
                    .arg(sala));
        }
    }
    const QString line = QStringLiteral("Insert into DettaglioTavoli (Tavolo, Codice, Quantita, Descrizione, "
                                        "Variante, Importo, IdRif) values (%1, %2, %3, '%4', %5, %6, 0)");
    const auto add = [&](qint32 tavolo, int articolo, qint64 quantita, const QString &descrizione,
                         int variante, double importo) {
        db.Execute(line.arg(tavolo)
                       .arg(articolo)
                       .arg(quantita)
                       .arg(descrizione)
                       .arg(variante)
                       .arg(QString::number(importo, 'f', 2)));
    };
    for (int l = 0; l < 10; ++l)
        add(ShortOrder, l + 1, 1, QString(), 0, 2.5);
    for (int l = 0; l < 200; ++l)
        add(LongOrder, l % Articles + 1, 1, QString(), 0, 2.5);
    add(UnitOrder, 1, 1000000000, QString(), 0, 2000000000.0);
    for (int l = 0; l < 4; ++l)
        add(UnitOrder, l + 2, 1, QString(), 0, 2.5);
    for (int l = 0; l < 500; ++l) {
        add(SeparateOrder, l % Articles + 1, 1, QString(), 0, 2.5);
        if (l % 5 == 0)
            add(SeparateOrder, 0, 1, QStringLiteral("senza cipolla"), 1, 0);
    }
    for (int l = 0; l < 5; ++l)
        add(MoveSource, l + 1, 2, QString(), 0, 5);
    db.commitTransaction();
}

std::unique_ptr<Venue> makeVenue(const QString &engine, int tables) {
    auto venue = std::make_unique<Venue>();
    venue->engine = engine;
    venue->tables = tables;
    venue->direct = qrvtest::freshDatabase(engine);
    fill(*venue->direct, tables);
    venue->till = venue->direct;
    if (engine == QLatin1String("postgresql")) {
        const QString url = venue->direct->url();
        venue->proxy = std::make_unique<PgWireProxy>(PgWireProxy::targetOf(url), options.latencyMs);
        if (!venue->proxy->start())
            throw std::runtime_error("relay: " + venue->proxy->errorString().toStdString());
        venue->proxy->setCapture(true);
        venue->till = dao::Database::open(venue->proxy->urlFor(PgWireProxy::databaseOf(url)));
    }
    return venue;
}

// ---- Measuring ----------------------------------------------------------------------------------

struct Sample {
    double ms = 0;
    qint64 trips = -1;
    qint64 catalogue = -1;
};

template <typename T> T median(QVector<T> values) {
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? T() : values.at(values.size() / 2);
}

bool isCatalogue(const QString &sql) {
    static const QRegularExpression catalogue(
        QStringLiteral(R"(\bpg_(attribute|class|index|namespace|type)\b)"));
    return catalogue.match(sql).hasMatch();
}

/** The statements in the order first sent, numbers shown as N and repeats counted. */
void printStatements(const QVector<PgWireProxy::Statement> &statements) {
    static const QRegularExpression number(QStringLiteral(R"(\b\d+(\.\d+)?\b)"));
    static const QRegularExpression blanks(QStringLiteral(R"(\s+)"));
    QStringList order;
    QHash<QString, int> counts;
    for (const PgWireProxy::Statement &s : statements) {
        QString shape = QString(QLatin1Char(s.kind)) + QLatin1Char(' ') + s.sql;
        shape.replace(number, QStringLiteral("N")).replace(blanks, QStringLiteral(" "));
        shape = shape.trimmed();
        if (shape.size() > 150)
            shape = shape.left(147) + QStringLiteral("...");
        if (!counts.contains(shape))
            order.append(shape);
        ++counts[shape];
    }
    for (const QString &shape : std::as_const(order))
        std::printf("      %5d x %s\n", counts.value(shape), qPrintable(shape));
}

struct Touch {
    QString name;
    QString size;
    std::function<void()> prepare;  ///< untimed, before each iteration
    std::function<void()> act;      ///< timed; its round trips are counted
    std::function<QString()> check; ///< untimed, after each iteration: "" when the touch did its work
};

void run(Venue &venue, const Touch &touch) {
    if (!options.only.isEmpty() && !touch.name.contains(options.only, Qt::CaseInsensitive))
        return;
    QVector<Sample> samples;
    Sample first;
    QVector<PgWireProxy::Statement> lastStatements, firstStatements;
    QString failure;
    for (int i = 0; i < options.warmUp + options.iterations && failure.isEmpty(); ++i) {
        if (touch.prepare)
            touch.prepare();
        if (venue.proxy)
            venue.proxy->reset();
        QElapsedTimer clock;
        clock.start();
        touch.act();
        Sample sample;
        sample.ms = clock.nsecsElapsed() / 1e6;
        if (venue.proxy) {
            sample.trips = venue.proxy->roundTrips();
            lastStatements = venue.proxy->statements();
            sample.catalogue =
                std::count_if(lastStatements.cbegin(), lastStatements.cend(),
                              [](const PgWireProxy::Statement &s) { return isCatalogue(s.sql); });
        }
        if (touch.check)
            failure = touch.check();
        if (i >= options.warmUp)
            samples.append(sample);
        else if (i == 0) {
            first = sample;
            firstStatements = lastStatements;
        }
    }
    if (!failure.isEmpty()) {
        std::printf("%-34s %-12s %-10s FAILED: %s\n", qPrintable(touch.name), qPrintable(touch.size),
                    qPrintable(venue.engine), qPrintable(failure));
        std::fflush(stdout);
        return;
    }
    QVector<double> ms;
    QVector<qint64> trips, catalogue;
    for (const Sample &s : std::as_const(samples)) {
        ms.append(s.ms);
        trips.append(s.trips);
        catalogue.append(s.catalogue);
    }
    const auto count = [&](const QVector<qint64> &values) {
        if (!venue.counted())
            return QStringLiteral("-");
        const qint64 low = *std::min_element(values.cbegin(), values.cend());
        const qint64 high = *std::max_element(values.cbegin(), values.cend());
        QString text = QString::number(median(values));
        if (low != high)
            text += QStringLiteral(" (%1-%2)").arg(low).arg(high);
        return text;
    };
    const QString firstTrips = venue.counted() ? QString::number(first.trips) : QStringLiteral("-");
    std::printf("%-34s %-12s %-10s %12s %6s %9s %9.2f %9.2f %9.2f\n", qPrintable(touch.name),
                qPrintable(touch.size), qPrintable(venue.engine), qPrintable(count(trips)),
                qPrintable(firstTrips), qPrintable(count(catalogue)), median(ms),
                *std::min_element(ms.cbegin(), ms.cend()), *std::max_element(ms.cbegin(), ms.cend()));
    if (options.statements && venue.proxy) {
        printStatements(lastStatements);
        if (first.trips != samples.constLast().trips) {
            std::printf("    the first time:\n");
            printStatements(firstStatements);
        }
    }
    std::fflush(stdout);
}

// ---- The touches ---------------------------------------------------------------------------------

class Bench {
public:
    explicit Bench(Venue &venue) : m_venue(venue) {
        SharedState &shared = SharedState::current();
        shared = SharedState();
        shared.DataBase = venue.till;
        shared.WorkSpace = std::make_shared<dao::Workspace>(venue.till);
        shared.App_Path = m_folder.path();
        shared.ilPathArchivi = m_folder.path();
        shared.Operazione = qrvScegliUnTavolo;
        shared.Sala = 1;
        m_form.fraTavoli()->installEventFilter(&m_paints);
    }
    ~Bench() {
        if (m_form.isVisible())
            m_form.done(0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SharedState::current() = SharedState();
    }

    /** The room-size touches: start-up, room switch, refresh tick, move. */
    void roomTouches() {
        const QString size = QStringLiteral("%1 tables").arg(m_venue.tables);
        run(m_venue, {QStringLiteral("start-up (load to painted)"), size,
                      [this] {
                          if (m_form.isVisible())
                              m_form.done(0);
                          QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                      },
                      [this] {
                          m_form.Form_Load();
                          m_form.show();
                          waitForPaint(m_form.fraTavoli(), m_paints);
                      },
                      [this] { return shownTables(0); }});
        ensureShown();

        int room = 0;
        run(m_venue, {QStringLiteral("room switch (to painted)"), size, [&room] { room = 1 - room; },
                      [this, &room] {
                          m_form.cmdSala_Click(room);
                          QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                          waitForPaint(m_form.fraTavoli(), m_paints);
                      },
                      [this, &room] { return shownTables(room); }});

        // The tick recolours room 2, so that the orders of room 1 keep their occupied tables.
        bool occupied = false;
        run(m_venue, {QStringLiteral("refresh tick (to painted)"), size,
                      [this, &occupied] {
                          showRoom(1);
                          occupied = !occupied;
                          m_venue.direct->Execute(
                              QStringLiteral("Update Tavoli Set Occupato = %1 Where CodiceSala = 2")
                                  .arg(occupied ? QStringLiteral("True") : QStringLiteral("False")));
                      },
                      [this] {
                          m_form.TimerRefresh_Timer();
                          QCoreApplication::processEvents();
                      },
                      [this, &occupied] {
                          const QPushButton *b = m_form.fraTavoli()->button(0);
                          const bool red =
                              b && b->palette().color(QPalette::Button) == QColor(0xFF, 0x3E, 0x3E);
                          return red == occupied ? QString() : QStringLiteral("not recoloured");
                      }});
        m_venue.direct->Execute(QStringLiteral("Update Tavoli Set Occupato = False Where CodiceSala = 2"));

        qint32 from = MoveSource, to = MoveOther;
        run(m_venue,
            {QStringLiteral("move (destination to painted)"), size,
             [this, &from] {
                 showRoom(0);
                 m_form.state().IndiceTavoloSelezionato = static_cast<qint16>(m_form.indiceTavolo(from));
                 m_form.moveOrder()->cmdSposta_Click();
             },
             [this, &to] {
                 m_form.tableButtonClicked(m_form.indiceTavolo(to));
                 QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                 waitForPaint(m_form.fraTavoli(), m_paints);
             },
             [this, &from, &to] {
                 const QVariant lines = qrvtest::scalar(
                     m_venue.direct,
                     QStringLiteral("Select Count(*) from DettaglioTavoli Where Tavolo = %1").arg(to));
                 std::swap(from, to);
                 return lines.toInt() == 5 ? QString() : QStringLiteral("the order did not move");
             }});
    }

    /** The order-size touches: receipt, separate bill, removing a unit. */
    void orderTouches() {
        ensureShown();
        showRoom(0);
        const std::pair<qint32, int> orders[] = {{ShortOrder, 10}, {LongOrder, 200}};
        for (const auto &[code, expected] : orders) {
            run(m_venue, {QStringLiteral("click to filled receipt"), QStringLiteral("%1 lines").arg(expected),
                          [this] { m_form.frxScontrino()->hide(); },
                          [this, code] {
                              m_form.tableButtonClicked(m_form.indiceTavolo(code));
                              QCoreApplication::processEvents();
                          },
                          [this, expected] {
                              return m_form.frxScontrino()->grid()->rows() == expected
                                         ? QString()
                                         : QStringLiteral("receipt not filled");
                          }});
        }

        frmContiSeparati *screen = frmContiSeparati::instance();
        Grid *units = screen->findChild<Grid *>(QStringLiteral("gridScontrino"));
        run(m_venue, {QStringLiteral("separate-bill load"), QStringLiteral("500 units"),
                      [] { SharedState::current().TavoloScelto = QString::number(SeparateOrder); },
                      [screen] {
                          screen->Form_Load();
                          QCoreApplication::processEvents();
                      },
                      [units] {
                          return units && units->rows() == 500 ? QString()
                                                               : QStringLiteral("screen not filled");
                      }});
        SharedState::current().TavoloScelto.clear();

        QString before;
        run(m_venue, {QStringLiteral("remove one unit (receipt redrawn)"), QStringLiteral("1 of 5 lines"),
                      [this, &before] {
                          if (m_form.frxScontrino()->isHidden() ||
                              m_form.state().IndiceTavoloSelezionato != m_form.indiceTavolo(UnitOrder))
                              m_form.tableButtonClicked(m_form.indiceTavolo(UnitOrder));
                          m_form.frxScontrino()->grid()->setRow(0);
                          before = m_form.frxScontrino()->grid()->textMatrix(0, 0);
                      },
                      [this] {
                          m_form.lineEditing()->cmdCancSelezionato_Click();
                          QCoreApplication::processEvents();
                      },
                      [this, &before] {
                          return m_form.frxScontrino()->grid()->textMatrix(0, 0).toLongLong() ==
                                         before.toLongLong() - 1
                                     ? QString()
                                     : QStringLiteral("no unit removed");
                      }});
    }

private:
    void ensureShown() {
        if (!m_form.isVisible()) {
            m_form.Form_Load();
            m_form.show();
            waitForPaint(m_form.fraTavoli(), m_paints);
        }
    }

    void showRoom(int index) {
        if (m_form.state().IndiceSalaCorrente != index ||
            m_form.indiceTavolo(index * m_venue.tables + 1) < 0) {
            m_form.cmdSala_Click(index);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            waitForPaint(m_form.fraTavoli(), m_paints);
        }
    }

    /** "" when the floor shows the tables of room index (0 or 1). */
    QString shownTables(int index) const {
        int visible = 0;
        for (const QPushButton *b : m_form.fraTavoli()->buttons())
            visible += b->isHidden() ? 0 : 1;
        if (visible != m_venue.tables || m_form.indiceTavolo(index * m_venue.tables + 1) < 0)
            return QStringLiteral("%1 tables shown").arg(visible);
        return QString();
    }

    Venue &m_venue;
    QTemporaryDir m_folder;
    qrvtest::ScriptedMessageBox m_box;
    qrvtest::ScriptedMessageWindow m_window;
    frmTavoli m_form;
    PaintCounter m_paints;
};

bool parseOptions(const QStringList &args) {
    bool ok = true;
    if (!qEnvironmentVariableIsEmpty("QRV_BENCH_LATENCY_MS"))
        options.latencyMs = qEnvironmentVariableIntValue("QRV_BENCH_LATENCY_MS");
    for (int i = 1; i < args.size() && ok; ++i) {
        const QString &a = args.at(i);
        const QString next = i + 1 < args.size() ? args.at(i + 1) : QString();
        if (a == QLatin1String("--latency-ms")) {
            options.latencyMs = next.toInt(&ok);
            ++i;
        } else if (a == QLatin1String("--iterations")) {
            options.iterations = next.toInt(&ok);
            ok = ok && options.iterations > 0;
            ++i;
        } else if (a == QLatin1String("--engine")) {
            options.engines = QStringList{next};
            ok = next == QLatin1String("sqlite") || next == QLatin1String("postgresql");
            ++i;
        } else if (a == QLatin1String("--only")) {
            options.only = next;
            ++i;
        } else if (a == QLatin1String("--tables")) {
            options.tables.clear();
            for (const QString &n : next.split(QLatin1Char(','))) {
                const int t = n.toInt(&ok);
                ok = ok && t >= 20 && t <= 1000;
                options.tables.append(t);
            }
            ++i;
        } else if (a == QLatin1String("--statements")) {
            options.statements = true;
        } else {
            ok = false;
        }
    }
    return ok && options.latencyMs >= 0;
}

QString loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly)
               ? QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2)
               : QStringLiteral("?");
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!parseOptions(app.arguments())) {
        std::fprintf(stderr,
                     "usage: %s [--latency-ms N] [--iterations N] [--engine sqlite|postgresql] "
                     "[--only TEXT] [--tables 100,500] [--statements]\n",
                     argv[0]);
        return 2;
    }
    // No timer of the map may fire inside a measured touch; the notification socket gets a port of its own.
    MapSettings::setIntervalScale(1000);
    {
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        MapSettings::setNotifyPort(probe.localPort());
    }

    std::printf(
        "PostgreSQL over TCP through a relay adding %d ms per round trip; SQLite file without relay.\n"
        "%d iterations per touch after %d to warm up; times in ms (median, min, max); round trips: median "
        "of\n"
        "the iterations, and of the first time a touch ran on its connection. Load average: %s\n\n",
        options.latencyMs, options.iterations, options.warmUp, qPrintable(loadAverage()));
    std::printf("%-34s %-12s %-10s %12s %6s %9s %9s %9s %9s\n", "touch", "size", "engine", "round trips",
                "first", "catalogue", "median", "min", "max");
    std::fflush(stdout);
    int status = 0;
    for (const QString &engine : std::as_const(options.engines)) {
        for (const int tables : std::as_const(options.tables)) {
            try {
                std::unique_ptr<Venue> venue = makeVenue(engine, tables);
                {
                    Bench bench(*venue);
                    bench.roomTouches();
                    if (tables == options.tables.constLast())
                        bench.orderTouches();
                }
                venue->till.reset();
                venue->direct.reset();
            } catch (const std::exception &error) {
                std::printf("%s, %d tables: %s\n", qPrintable(engine), tables, error.what());
                status = 1;
            }
        }
    }
    std::printf("\nLoad average at the end: %s\n", qPrintable(loadAverage()));
    return status;
}
