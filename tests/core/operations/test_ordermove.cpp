// Moving an order on real databases with the real sales lock file: the statements' effect, the
// same table as destination, failures rolled back (with their journal row), several tills moving
// orders at once in separate processes with one journal row per committed move, and a till killed
// while it holds the lock.
#include "support/OperationsFixture.h"

#include "core/data/dao/Workspace.h"
#include "core/operations/OperationStatements.h"
#include "support/ScriptedMessages.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using namespace qrv;
using namespace qrvtest;
using opstest::addJournal, opstest::journal, opstest::lockIsFree;

namespace {

// Descriptions a move carries, apostrophes and the empty one among them.
const QStringList kDescriptions =
    QStringLiteral("Rossi|Dell'Orto|Compleanno|L'ultimo tavolo||'").split(QLatin1Char('|'));

/**
 * Child till: moves random occupied tables to random other tables, picking them from a view of the
 * map reread only every four moves, as a till's map may be seconds old. Inside the lock it holds a
 * marker file created exclusively (two holders at once show as a failed create) and checks through
 * a second connection that the source it moves is occupied. Journals as till "T" + seed; prints how
 * many moves found their source already free and how many were made.
 */
int moverChild(const QStringList &args) {
    const auto db = dao::Database::open(args.value(0)), probe = dao::Database::open(args.value(0));
    const QString archive = args.value(1), marker = args.value(1) + QStringLiteral("/inside.marker");
    QRandomGenerator random(args.value(3).toUInt());
    bool overlap = false, fromFree = false;
    qint64 source = 0;
    OrderMove move(db, std::make_shared<dao::Workspace>(db), archive);
    move.setJournal(QStringLiteral("T") + args.value(3));
    move.setStageHook([&](OrderMove::Stage stage, int index) {
        QFile inside(marker);
        if (stage == OrderMove::Stage::LockTaken)
            overlap = overlap || !inside.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        else if (stage == OrderMove::Stage::Committed || stage == OrderMove::Stage::RolledBack)
            inside.remove();
        else if (stage == OrderMove::Stage::StatementRun && index == 0)
            fromFree = fromFree || !tables(probe).value(source).occupato;
    });
    QDeadlineTimer deadline(120000);
    QMap<qint64, Table> view;
    int sourceFree = 0, moved = 0;
    for (int i = 0; i < args.value(2).toInt() && !deadline.hasExpired(); ++i) {
        if (i % 4 == 0)
            view = tables(db);
        QList<qint64> occupied;
        for (const Table &table : std::as_const(view))
            if (table.occupato)
                occupied.append(table.codice);
        if (occupied.isEmpty()) {
            view = tables(db);
            continue;
        }
        source = occupied.at(random.bounded(int(occupied.size())));
        qint64 destination = source;
        while (destination == source)
            destination = view.keys().at(random.bounded(int(view.size())));
        const OrderMove::Result r =
            move.run({source, QString::number(source)}, {destination, QString::number(destination)},
                     kDescriptions.at(random.bounded(int(kDescriptions.size()))), QTime::currentTime());
        if (overlap || fromFree) {
            qCritical(overlap ? "two tills held the sales lock at once" : "a free table was moved");
            return 3;
        }
        if (r.outcome != OrderMove::Outcome::SourceFree && r.outcome != OrderMove::Outcome::Moved) {
            qCritical("move failed: %s", qPrintable(r.message()));
            return 2;
        }
        ++(r.outcome == OrderMove::Outcome::Moved ? moved : sourceFree);
    }
    printf("%d %d\n", sourceFree, moved);
    return deadline.hasExpired() ? 6 : 0;
}

/** Child till: moves source to destination and stops for ever at the named stage, holding the lock. */
int pausedChild(const QStringList &args) {
    const auto db = dao::Database::open(args.value(0));
    const QString pauseAt = args.value(4);
    OrderMove move(db, std::make_shared<dao::Workspace>(db), args.value(1));
    move.setStageHook([&](OrderMove::Stage stage, int index) {
        if ((pauseAt == QLatin1String("statement2") && stage == OrderMove::Stage::StatementRun &&
             index == 1) ||
            (pauseAt == QLatin1String("committed") && stage == OrderMove::Stage::Committed)) {
            fputs("PAUSED\n", stdout);
            fflush(stdout);
            for (;;)
                QThread::sleep(60);
        }
    });
    move.run(args.value(2).toLongLong(), args.value(3).toLongLong(), QStringLiteral("Spostato"), QTime(9, 5));
    return 7; // never reached: the test kills this process
}

struct Failure {
    const char *name, *event, *table, *condition;
    qint64 destination;
    int failing; ///< the statement of the move that fails, -1 for the journal's insert
    bool otherWorkspace;
};

} // namespace

Q_DECLARE_METATYPE(Failure)

class TestOrderMove : public QObject {
    Q_OBJECT

    QTemporaryDir m_archive;

    /** Tables 1..8: 1 and 2 occupied with lines (2 with a variant), 3 occupied without; the journal on
     * request. */
    DbPtr venue(bool journal = false) {
        DbPtr db = freshDatabase(engine());
        if (journal)
            addJournal(db);
        addTable(db, 1, QStringLiteral("Rossi"), true, QStringLiteral("12:30"), QStringLiteral("12:45"));
        addTable(db, 2, QStringLiteral("Bianchi"), true, QStringLiteral("13:00"), QStringLiteral("13:10"));
        addTable(db, 3, QStringLiteral("Verdi"), true, QStringLiteral("13:20"));
        for (qint64 c = 4; c <= 8; ++c)
            addTable(db, c, QString());
        addLine(db, 1, 1, 2, QStringLiteral("Pizza"), 0, 14.0);
        addLine(db, 1, 2, 1, QStringLiteral("Birra"), 0, 5.0);
        addLine(db, 2, 1, 1, QStringLiteral("Pizza"), 0, 7.0);
        addLine(db, 2, 0, 1, QStringLiteral("+ funghi"), 1, 1.0);
        return db;
    }

    /** Every line on an occupied table, no line on a free one, the given lines all there once. */
    void checkInvariants(const DbPtr &db, QVector<Line> expected) {
        const QMap<qint64, Table> t = tables(db);
        QVector<Line> now = lines(db);
        for (Line &l : now) {
            QVERIFY2(
                t.value(l.tavolo).occupato,
                qPrintable(QStringLiteral("line %1 on free or missing table %2").arg(l.id).arg(l.tavolo)));
            l.tavolo = 0;
        }
        for (Line &l : expected)
            l.tavolo = 0;
        QCOMPARE(now, expected);
    }

private slots:
    void initTestCase_data() { addEngineRows(); }
    void initTestCase() { QVERIFY(m_archive.isValid()); }

    // The same table as destination (or no source) moves nothing and takes no lock. A move onto an
    // occupied table merges the orders, holding the lock until the commit; the lock file stays, empty.
    void moveMergesOntoTheDestination() {
        const DbPtr db = venue();
        const auto before = tables(db);
        QVector<Line> expected = lines(db);
        QTemporaryDir archive;
        OrderMove move(db, std::make_shared<dao::Workspace>(db), archive.path());
        for (qint64 source : {1, 0})
            QCOMPARE(move.run(source, 1, QStringLiteral("Rossi"), QTime(9, 5)).outcome,
                     OrderMove::Outcome::NothingToMove);
        QCOMPARE(tables(db), before);
        QCOMPARE(lines(db), expected);
        QVERIFY(!QFile::exists(OrderMove::lockPath(archive.path())));

        bool heldInside = false;
        move.setStageHook([&](OrderMove::Stage stage, int index) {
            if (stage == OrderMove::Stage::StatementRun && index == 3)
                heldInside = !lockIsFree(archive.path());
        });
        QCOMPARE(move.run(1, 2, QStringLiteral("Dell'Orto"), QTime(9, 5, 30)).outcome,
                 OrderMove::Outcome::Moved);
        QVERIFY(heldInside && lockIsFree(archive.path()));
        for (Line &l : expected)
            l.tavolo = 2;
        QCOMPARE(lines(db), expected);
        auto after = before;
        after[2] = {2, true, QStringLiteral("Dell'Orto"), QStringLiteral("09:05"), QStringLiteral("13:10")};
        after[1] = {1, false, QString(), QString(), QString()};
        QCOMPARE(tables(db), after);
        const QFileInfo lockFile(OrderMove::lockPath(archive.path()));
        QVERIFY(lockFile.exists() && lockFile.size() == 0);

        // The source is free by now, as on a map drawn before this move: nothing moves.
        QCOMPARE(move.run(1, 4, QStringLiteral("Rossi"), QTime(9, 5)).outcome,
                 OrderMove::Outcome::SourceFree);
        QCOMPARE(tables(db), after);
        QVERIFY(lockIsFree(archive.path()) && !db->inTransaction());
    }

    // A statement refused inside the transaction, the journal's row refused, or a destination
    // another till deleted after this one drew the map: everything rolled back, the journal row
    // included, the lock released, the database usable. A workspace of another connection cannot
    // hold the statements: the move still runs as one transaction of the database it writes to.
    void failureRollsBack_data() {
        rowTable<Failure>({
            {"journal", "INSERT", "RegistroTavoli", "1 = 1", 2, -1, false},
            {"lines", "UPDATE OF Tavolo", "DettaglioTavoli", "NEW.tavolo = 2", 2, 0, false},
            {"destination", "UPDATE OF Descrizione", "Tavoli", "NEW.codice = 2", 2, 1, false},
            {"time", "UPDATE OF OraOccupato", "Tavoli", "NEW.codice = 2", 2, 2, false},
            {"source", "UPDATE OF OraUltimoOrdine", "Tavoli", "NEW.codice = 1", 2, 3, false},
            {"destination deleted", "", "", "", 6, 1, false},
            {"workspace of another connection", "UPDATE OF OraUltimoOrdine", "Tavoli", "NEW.codice = 1", 2, 3,
             true},
        });
    }
    void failureRollsBack() {
        QFETCH(Failure, row);
        const QString event = QLatin1String(row.event), table = QLatin1String(row.table);
        const DbPtr db = venue(true);
        if (event.isEmpty())
            dao::Database::open(urlOf(db))->Execute(QStringLiteral("Delete * from Tavoli Where Codice = 6"));
        else
            failWhen(db, QStringLiteral("guasto"), event, table, QLatin1String(row.condition));
        const auto before = tables(db);
        const auto beforeLines = lines(db);
        const DbPtr other = row.otherWorkspace ? dao::Database::open(urlOf(db)) : db;
        OrderMove move(db, std::make_shared<dao::Workspace>(other), m_archive.path());
        move.setJournal(QStringLiteral("2"));
        const QString description = QStringLiteral("Dell'Orto");
        const OrderMove::Result r = move.run(1, row.destination, description, QTime(9, 5));
        const QString failing =
            row.failing < 0
                ? OrderJournal::insertStatement()
                : OperationStatements::move(1, row.destination, description, QTime(9, 5)).at(row.failing);
        QCOMPARE(r.outcome, OrderMove::Outcome::Failed);
        QCOMPARE(r.statement, failing);
        QVERIFY(r.errorDescription.contains(event.isEmpty()
                                                ? QStringLiteral("Il tavolo di destinazione non esiste più")
                                                : QStringLiteral("guasto simulato")));
        QVERIFY(r.message().startsWith(QLatin1String("Spostamento non eseguito")) &&
                r.message().contains(failing));
        QVERIFY(!db->inTransaction() && !other->inTransaction() && lockIsFree(m_archive.path()));
        QCOMPARE(tables(db), before);
        QCOMPARE(lines(db), beforeLines);
        QVERIFY(journal(db).isEmpty());

        // The same database works on: the next move goes through, journaled with the lines it moved.
        if (!event.isEmpty())
            dropFailure(db, QStringLiteral("guasto"), table);
        QCOMPARE(move.run(1, 2, description, QTime(9, 5)).outcome, OrderMove::Outcome::Moved);
        QCOMPARE(lines(db, 2).size(), 4);
        QCOMPARE(journal(db), QStringList{QStringLiteral("SPOSTA [1]>[2] 1;2; 19.00 Dell'Orto @2")});
    }

    // A folder that does not exist, or none set at all (never a lock file at the root of the file
    // system): "path not found", as for the recordset's lock files.
    void lockFolderMissing() {
        const DbPtr db = venue();
        const auto before = tables(db);
        for (const QString &folder : {m_archive.path() + QStringLiteral("/non-esiste"), QString()}) {
            ScriptedMessageBox box;
            box.answers = {MessageBox::vbRetry, MessageBox::vbCancel};
            QCOMPARE(OrderMove(db, nullptr, folder).run(1, 4, QStringLiteral("Rossi"), QTime(9, 5)).outcome,
                     OrderMove::Outcome::GaveUp);
            QCOMPARE(box.shown.size(), 2);
            QCOMPARE(box.shown.at(0).text, QStringLiteral("Errore attendivendite 76"));
        }
        QCOMPARE(tables(db), before);
    }

    // Five tills move orders between random tables at once, each in its own process. The journal
    // holds one row per committed move: replayed from the lines as they were, each row finds
    // exactly its lines (and their total) on its source, and the replay ends where the tills did.
    void concurrentTills() {
        const DbPtr db = venue(true);
        for (qint64 c = 9; c <= 12; ++c) {
            addTable(db, c, QStringLiteral("T%1").arg(c), true);
            addLine(db, c, 1, c, QStringLiteral("Pizza %1").arg(c), 0, 7.0 * c);
            addLine(db, c, 0, 1, QStringLiteral("+ variante %1").arg(c), 1, 0.5);
        }
        const QVector<Line> expected = lines(db);
        QTemporaryDir archive;
        std::vector<std::unique_ptr<QProcess>> children;
        for (int i = 0; i < 5; ++i) {
            children.push_back(std::make_unique<QProcess>());
            children.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
            children.back()->start(QCoreApplication::applicationFilePath(),
                                   {QStringLiteral("--child-mover"), urlOf(db), archive.path(),
                                    QStringLiteral("60"), QString::number(1000 + i)});
        }
        int sourceFree = 0, moved = 0;
        for (const auto &p : children) {
            QVERIFY(p->waitForFinished(180000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
            const QList<QByteArray> counts = p->readAllStandardOutput().trimmed().split(' ');
            sourceFree += counts.value(0).toInt();
            moved += counts.value(1).toInt();
        }
        QVERIFY(sourceFree > 0);        // stale views did pick tables freed meanwhile
        QVERIFY(lines(db) != expected); // orders did move
        checkInvariants(db, expected);
        QVERIFY(!QFile::exists(archive.path() + QStringLiteral("/inside.marker")));

        const QVector<JournalRow> rows = JournalReport::read(*db);
        QCOMPARE(int(rows.size()), moved);
        QMap<qint64, qint64> where; // line ID -> table, replayed
        QMap<qint64, double> amount;
        for (const Line &l : expected) {
            where.insert(l.id, l.tavolo);
            amount.insert(l.id, l.importo);
        }
        for (const JournalRow &r : rows) {
            QVector<qint64> onSource;
            double total = 0;
            for (auto it = where.cbegin(); it != where.cend(); ++it)
                if (it.value() == r.codiceDa) {
                    onSource.append(it.key());
                    total += amount.value(it.key());
                }
            QCOMPARE(r.operazione, QStringLiteral("SPOSTA"));
            QCOMPARE(r.righe, onSource);
            QCOMPARE(r.totale, total);
            QCOMPARE(r.numeroA, QString::number(r.codiceA));
            for (qint64 id : r.righe)
                where[id] = r.codiceA;
        }
        for (const Line &l : lines(db))
            QCOMPARE(where.value(l.id), l.tavolo);

        // What the journal tool shows: one table's moves, the moves from a time on, JSON lines.
        const auto count = [&rows](const auto &pick) {
            return int(std::count_if(rows.begin(), rows.end(), pick));
        };
        QCOMPARE(int(JournalReport::read(*db, {QStringLiteral("1"), std::nullopt}).size()),
                 count([](const JournalRow &r) { return r.codiceDa == 1 || r.codiceA == 1; }));
        const QString middle = rows.at(rows.size() / 2).momento;
        QCOMPARE(int(JournalReport::read(*db, {QString(), JournalReport::parseSince(middle)}).size()),
                 count([&](const JournalRow &r) { return r.momento >= middle; }));
        const QList<QByteArray> json = JournalReport::jsonLines(rows).trimmed().split('\n');
        QCOMPARE(int(json.size()), int(rows.size()));
        const QJsonObject first = QJsonDocument::fromJson(json.first()).object();
        QCOMPARE(first.value(QStringLiteral("Righe")).toArray().size(), rows.first().righe.size());
        QCOMPARE(first.value(QStringLiteral("Momento")).toString(), rows.first().momento);
    }

    // A till killed while it holds the lock: the move is all there or not at all, and the next
    // till takes the lock at once and can move the same tables.
    void tillKilledHoldingTheLock_data() {
        QTest::addColumn<QString>("pauseAt");
        QTest::newRow("inside the transaction") << QStringLiteral("statement2");
        QTest::newRow("after the commit") << QStringLiteral("committed");
    }
    void tillKilledHoldingTheLock() {
        QFETCH(QString, pauseAt);
        const bool moved = pauseAt == QLatin1String("committed");
        const DbPtr db = venue();
        auto expectedTables = tables(db);
        const QVector<Line> beforeLines = lines(db);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child-paused"), urlOf(db), m_archive.path(), QStringLiteral("1"),
                     QStringLiteral("5"), pauseAt});
        QDeadlineTimer deadline(60000);
        while (!child.readAllStandardOutput().contains("PAUSED")) {
            QVERIFY2(!deadline.hasExpired() && child.state() != QProcess::NotRunning,
                     "the child till never reached its pause");
            child.waitForReadyRead(100);
        }
        QVERIFY(!lockIsFree(m_archive.path()));
        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        // The system dropped the dead till's lock: the first attempt takes it.
        QVERIFY(lockIsFree(m_archive.path()));
        QVector<Line> expected = beforeLines;
        if (moved) {
            for (Line &l : expected)
                l.tavolo = l.tavolo == 1 ? 5 : l.tavolo;
            expectedTables[5] = {5, true, QStringLiteral("Spostato"), QStringLiteral("09:05"), QString()};
            expectedTables[1] = {1, false, QString(), QString(), QString()};
        }
        QCOMPARE(lines(db), expected);
        QCOMPARE(tables(db), expectedTables);

        // The next till moves the same tables without waiting for the dead one.
        OrderMove next(db, nullptr, m_archive.path());
        int waits = 0;
        next.setWaitFunction([&](qint64) { return ++waits < 1000; });
        QCOMPARE(next.run(moved ? 5 : 1, 6, QStringLiteral("Dopo"), QTime(10, 0)).outcome,
                 OrderMove::Outcome::Moved);
        QCOMPARE(waits, 0);
        QCOMPARE(lines(db, 6).size(), 2);
        checkInvariants(db, beforeLines);
    }
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const bool mover = argc > 1 && qstrcmp(argv[1], "--child-mover") == 0;
    if (mover || (argc > 1 && qstrcmp(argv[1], "--child-paused") == 0)) {
        try {
            return mover ? moverChild(app.arguments().mid(2)) : pausedChild(app.arguments().mid(2));
        } catch (const std::exception &e) {
            qCritical("%s", e.what());
            return 4;
        }
    }
    TestOrderMove test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_ordermove.moc"
