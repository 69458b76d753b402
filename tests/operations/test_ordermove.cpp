// Moving an order on real databases with the real sales lock file: the statements' effect, the
// same table as destination, failures rolled back, the lock wait, several tills moving orders at
// once in separate processes, and a till killed while it holds the lock.
#include "OperationsFixture.h"

#include "data/LockFile.h"
#include "data/dao/Workspace.h"
#include "operations/logic/OrderMove.h"
#include "support/ScriptedMessages.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace qrv;
using namespace opstest;

namespace {

const QStringList kDescriptions = {QStringLiteral("Rossi"),
                                   QStringLiteral("Dell'Orto"),
                                   QStringLiteral("Compleanno"),
                                   QStringLiteral("L'ultimo tavolo"),
                                   QString(),
                                   QStringLiteral("'")};

/**
 * Child till: moves random occupied tables to random other tables, moves times. Inside the lock it
 * holds a marker file created exclusively, so two holders at once would show as a failed create.
 */
int moverChild(const QStringList &args) {
    const auto db = dao::Database::open(args.value(0));
    const QString archive = args.value(1);
    const int moves = args.value(2).toInt();
    QRandomGenerator random(args.value(3).toUInt());
    const QByteArray marker = QFile::encodeName(archive + QStringLiteral("/inside.marker"));
    bool overlap = false;

    OrderMove move(db, std::make_shared<dao::Workspace>(db), archive);
    move.setStageHook([&](OrderMove::Stage stage, int) {
        if (stage == OrderMove::Stage::LockTaken) {
            const int fd = ::open(marker.constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
            if (fd < 0)
                overlap = true;
            else
                ::close(fd);
        } else if (stage == OrderMove::Stage::Committed) {
            ::unlink(marker.constData());
        }
    });
    QDeadlineTimer deadline(120000);
    for (int i = 0; i < moves && !deadline.hasExpired(); ++i) {
        QVector<qint64> all, occupied;
        auto rs = db->OpenRecordset(QStringLiteral("Select Codice, Occupato from Tavoli"));
        for (; !rs->Eof(); rs->MoveNext()) {
            all.append(rs->Field(QStringLiteral("Codice")).toLongLong());
            if (rs->Field(QStringLiteral("Occupato")).toBool())
                occupied.append(all.last());
        }
        rs->Close();
        if (occupied.isEmpty())
            return 5;
        const qint64 source = occupied.at(random.bounded(int(occupied.size())));
        qint64 destination = source;
        while (destination == source)
            destination = all.at(random.bounded(int(all.size())));
        const QString description = kDescriptions.at(random.bounded(int(kDescriptions.size())));
        const OrderMove::Result r = move.run(source, destination, description, QTime::currentTime());
        if (overlap) {
            qCritical("two tills held the sales lock at once");
            return 3;
        }
        if (r.outcome != OrderMove::Outcome::Moved) {
            qCritical("move failed: %s", qPrintable(r.message()));
            return 2;
        }
    }
    return deadline.hasExpired() ? 6 : 0;
}

/** Child till: moves source to destination and stops for ever at the named stage, holding the lock. */
int pausedChild(const QStringList &args) {
    const auto db = dao::Database::open(args.value(0));
    const QString pauseAt = args.value(4);
    OrderMove move(db, std::make_shared<dao::Workspace>(db), args.value(1));
    move.setStageHook([&](OrderMove::Stage stage, int index) {
        const bool here = (pauseAt == QLatin1String("statement2") &&
                           stage == OrderMove::Stage::StatementRun && index == 1) ||
                          (pauseAt == QLatin1String("committed") && stage == OrderMove::Stage::Committed);
        if (!here)
            return;
        fputs("PAUSED\n", stdout);
        fflush(stdout);
        for (;;)
            QThread::sleep(60);
    });
    move.run(args.value(2).toLongLong(), args.value(3).toLongLong(), QStringLiteral("Spostato"), QTime(9, 5));
    return 7; // never reached: the test kills this process
}

} // namespace

class TestOrderMove : public QObject {
    Q_OBJECT

    QTemporaryDir m_archive;

    /** Tables 1..8: 1 and 2 occupied with lines (2 with a variant), 3 occupied without lines. */
    DbPtr venue(const QString &engine) {
        DbPtr db = qrvtest::freshDatabase(engine);
        addTable(db, 1, QStringLiteral("Rossi"), true, QStringLiteral("12:30"), QStringLiteral("12:45"));
        addTable(db, 2, QStringLiteral("Bianchi"), true, QStringLiteral("13:00"), QStringLiteral("13:10"));
        addTable(db, 3, QStringLiteral("Verdi"), true, QStringLiteral("13:20"), QString());
        for (qint64 c = 4; c <= 8; ++c)
            addTable(db, c, QString(), false);
        addLine(db, 1, 1, 2, QStringLiteral("Pizza"), 0, 14.0);
        addLine(db, 1, 2, 1, QStringLiteral("Birra"), 0, 5.0);
        addLine(db, 2, 1, 1, QStringLiteral("Pizza"), 0, 7.0);
        addLine(db, 2, 0, 1, QStringLiteral("+ funghi"), 1, 1.0);
        return db;
    }

    bool lockIsFree() const {
        LockFile probe(OrderMove::lockPath(m_archive.path()));
        return probe.tryLock() == LockFile::Result::Locked;
    }

    /** Every line on an occupied table, no line on a free one, the given lines all there once. */
    void checkInvariants(const DbPtr &db, QVector<Line> expected) {
        const QMap<qint64, Table> t = tables(db);
        QVector<Line> now = lines(db);
        for (const Line &l : now) {
            QVERIFY2(t.contains(l.tavolo),
                     qPrintable(QStringLiteral("line %1 on a missing table").arg(l.id)));
            QVERIFY2(t.value(l.tavolo).occupato,
                     qPrintable(QStringLiteral("line %1 on free table %2").arg(l.id).arg(l.tavolo)));
        }
        for (Line &l : now)
            l.tavolo = 0;
        for (Line &l : expected)
            l.tavolo = 0;
        QCOMPARE(now, expected);
    }

private slots:
    void initTestCase() { QVERIFY(m_archive.isValid()); }

    void moveMergesOntoTheDestination_data() { qrvtest::addEngineRows(); }
    void moveMergesOntoTheDestination() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        const QVector<Line> before1 = lines(db, 1), before2 = lines(db, 2);
        const auto ws = std::make_shared<dao::Workspace>(db);

        OrderMove move(db, ws, m_archive.path());
        bool heldInside = false;
        move.setStageHook([&](OrderMove::Stage stage, int index) {
            if (stage == OrderMove::Stage::StatementRun && index == 3)
                heldInside = !lockIsFree();
        });
        QCOMPARE(move.run(1, 2, QStringLiteral("Dell'Orto"), QTime(9, 5, 30)).outcome,
                 OrderMove::Outcome::Moved);
        QVERIFY(heldInside);
        QVERIFY(lockIsFree());

        QVERIFY(lines(db, 1).isEmpty());
        QVector<qint64> ids;
        for (const Line &l : lines(db, 2))
            ids.append(l.id);
        QCOMPARE(ids,
                 (QVector<qint64>{before1.at(0).id, before1.at(1).id, before2.at(0).id, before2.at(1).id}));
        const QMap<qint64, Table> t = tables(db);
        QCOMPARE(t.value(2), (Table{2, true, QStringLiteral("Dell'Orto"), QStringLiteral("09:05"),
                                    QStringLiteral("13:10")}));
        QCOMPARE(t.value(1), (Table{1, false, QString(), QString(), QString()}));
        QCOMPARE(t.value(3), (Table{3, true, QStringLiteral("Verdi"), QStringLiteral("13:20"), QString()}));
        // The lock file stays, empty.
        QFile lockFile(OrderMove::lockPath(m_archive.path()));
        QVERIFY(lockFile.exists());
        QCOMPARE(lockFile.size(), qint64(0));
    }

    void moveOntoAFreeTable_data() { qrvtest::addEngineRows(); }
    void moveOntoAFreeTable() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        // Without a workspace the move uses the database's own transaction.
        OrderMove move(db, nullptr, m_archive.path());
        QCOMPARE(move.run(2, 8, QStringLiteral("Bianchi"), QTime(23, 0)).outcome, OrderMove::Outcome::Moved);
        QCOMPARE(lines(db, 8).size(), 2);
        QCOMPARE(tables(db).value(8),
                 (Table{8, true, QStringLiteral("Bianchi"), QStringLiteral("23:00"), QString()}));
        QVERIFY(!tables(db).value(2).occupato);
    }

    void sameTableIsACancel_data() { qrvtest::addEngineRows(); }
    void sameTableIsACancel() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        const auto before = tables(db);
        const auto beforeLines = lines(db);
        QTemporaryDir archive;
        OrderMove move(db, nullptr, archive.path());
        QCOMPARE(move.run(1, 1, QStringLiteral("Rossi"), QTime(9, 5)).outcome,
                 OrderMove::Outcome::NothingToMove);
        QCOMPARE(move.run(0, 1, QStringLiteral("Rossi"), QTime(9, 5)).outcome,
                 OrderMove::Outcome::NothingToMove);
        QCOMPARE(tables(db), before);
        QCOMPARE(lines(db), beforeLines);
        QVERIFY(!QFile::exists(OrderMove::lockPath(archive.path()))); // not even the lock was taken
    }

    // A statement refused inside the transaction: everything rolled back, the lock released.
    void failureRollsBack_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("failing");
        for (const QString &engine : qrvtest::engines()) {
            const QByteArray e = engine.toLatin1();
            QTest::newRow(e + " lines")
                << engine << QStringLiteral("UPDATE OF Tavolo") << QStringLiteral("DettaglioTavoli")
                << QStringLiteral("NEW.tavolo = 2")
                << QStringLiteral("Update DettaglioTavoli set Tavolo = 2 Where Tavolo = 1");
            QTest::newRow(e + " destination")
                << engine << QStringLiteral("UPDATE OF Descrizione") << QStringLiteral("Tavoli")
                << QStringLiteral("NEW.codice = 2")
                << QStringLiteral(
                       "Update Tavoli Set Occupato = True, Descrizione = 'Dell''Orto' Where Codice = 2");
            QTest::newRow(e + " time")
                << engine << QStringLiteral("UPDATE OF OraOccupato") << QStringLiteral("Tavoli")
                << QStringLiteral("NEW.codice = 2")
                << QStringLiteral("UPDATE Tavoli SET OraOccupato = '09:05' Where Codice = 2");
            QTest::newRow(e + " source")
                << engine << QStringLiteral("UPDATE OF OraUltimoOrdine") << QStringLiteral("Tavoli")
                << QStringLiteral("NEW.codice = 1")
                << QStringLiteral("Update Tavoli Set Occupato = False, OraOccupato='', "
                                  "OraUltimoOrdine='', Descrizione = '' Where Codice = 1");
        }
    }
    void failureRollsBack() {
        QFETCH(QString, engine);
        QFETCH(QString, event);
        QFETCH(QString, table);
        QFETCH(QString, condition);
        QFETCH(QString, failing);
        const DbPtr db = venue(engine);
        failWhen(db, QStringLiteral("guasto"), event, table, condition);
        const auto before = tables(db);
        const auto beforeLines = lines(db);

        OrderMove move(db, std::make_shared<dao::Workspace>(db), m_archive.path());
        const OrderMove::Result r = move.run(1, 2, QStringLiteral("Dell'Orto"), QTime(9, 5));
        QCOMPARE(r.outcome, OrderMove::Outcome::Failed);
        QCOMPARE(r.statement, failing);
        QVERIFY(r.errorDescription.contains(QLatin1String("guasto simulato")));
        QVERIFY(r.message().startsWith(QLatin1String("Spostamento non eseguito")));
        QVERIFY(r.message().contains(failing));
        QVERIFY(!db->inTransaction());
        QVERIFY(lockIsFree());
        QCOMPARE(tables(db), before);
        QCOMPARE(lines(db), beforeLines);

        // The same database works on: the next move goes through.
        dropFailure(db, QStringLiteral("guasto"), table);
        QCOMPARE(move.run(1, 2, QStringLiteral("Dell'Orto"), QTime(9, 5)).outcome, OrderMove::Outcome::Moved);
        QCOMPARE(lines(db, 2).size(), 4);
    }

    // Another till deleted the destination table after this one drew the map: the lines must not
    // go to a table that no longer exists.
    void destinationDeletedMeanwhile_data() { qrvtest::addEngineRows(); }
    void destinationDeletedMeanwhile() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        const DbPtr otherTill = dao::Database::open(qrvtest::urlOf(db));
        otherTill->Execute(QStringLiteral("Delete * from Tavoli Where Codice = 6"));
        const auto before = tables(db);
        const auto beforeLines = lines(db);
        OrderMove move(db, std::make_shared<dao::Workspace>(db), m_archive.path());
        const OrderMove::Result r = move.run(1, 6, QStringLiteral("Rossi"), QTime(9, 5));
        QCOMPARE(r.outcome, OrderMove::Outcome::Failed);
        QVERIFY(r.message().contains(QStringLiteral("Il tavolo di destinazione non esiste più")));
        QCOMPARE(tables(db), before);
        QCOMPARE(lines(db), beforeLines);
        QVERIFY(lockIsFree());
    }

    // Another till holds the sales lock: the move waits (the wait function runs between attempts),
    // can give up without touching anything, and goes through once the lock is released.
    void lockWait_data() { qrvtest::addEngineRows(); }
    void lockWait() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        const auto before = tables(db);
        auto holder = std::make_unique<LockFile>(OrderMove::lockPath(m_archive.path()));
        QCOMPARE(holder->tryLock(), LockFile::Result::Locked);

        OrderMove move(db, nullptr, m_archive.path());
        QVector<qint64> elapsed;
        move.setWaitFunction([&](qint64 ms) {
            elapsed.append(ms);
            QThread::msleep(2);
            return elapsed.size() < 5;
        });
        QCOMPARE(move.run(1, 4, QStringLiteral("Rossi"), QTime(9, 5)).outcome, OrderMove::Outcome::GaveUp);
        QCOMPARE(elapsed.size(), 5);
        QVERIFY(std::is_sorted(elapsed.begin(), elapsed.end()));
        QCOMPARE(tables(db), before);
        QCOMPARE(holder->isLocked(), true);

        elapsed.clear();
        move.setWaitFunction([&](qint64 ms) {
            elapsed.append(ms);
            if (elapsed.size() == 3)
                holder->unlock(false);
            return true;
        });
        QCOMPARE(move.run(1, 4, QStringLiteral("Rossi"), QTime(9, 5)).outcome, OrderMove::Outcome::Moved);
        QCOMPARE(elapsed.size(), 3);
        QCOMPARE(lines(db, 4).size(), 2);
    }

    void lockFolderMissing_data() { qrvtest::addEngineRows(); }
    void lockFolderMissing() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        const auto before = tables(db);
        qrvtest::ScriptedMessageBox box;
        box.answers = {MessageBox::vbRetry, MessageBox::vbCancel};
        OrderMove move(db, nullptr, m_archive.path() + QStringLiteral("/non-esiste"));
        QCOMPARE(move.run(1, 4, QStringLiteral("Rossi"), QTime(9, 5)).outcome, OrderMove::Outcome::GaveUp);
        QCOMPARE(box.shown.size(), 2);
        QCOMPARE(box.shown.at(0).text, QStringLiteral("Errore attendivendite 76"));
        QCOMPARE(box.shown.at(0).title, QString());
        QCOMPARE(box.shown.at(0).flags & MessageBox::vbCritical, int(MessageBox::vbCritical));
        QCOMPARE(tables(db), before);
    }

    // Four tills move orders between random tables at once, each in its own process.
    void concurrentTills_data() { qrvtest::addEngineRows(); }
    void concurrentTills() {
        QFETCH(QString, engine);
        const DbPtr db = venue(engine);
        for (qint64 c = 9; c <= 12; ++c) {
            addTable(db, c, QStringLiteral("T%1").arg(c), true);
            addLine(db, c, 1, c, QStringLiteral("Pizza %1").arg(c), 0, 7.0 * c);
            addLine(db, c, 0, 1, QStringLiteral("+ variante %1").arg(c), 1, 0.5);
        }
        const QVector<Line> expected = lines(db);
        QTemporaryDir archive;
        const int tills = 5, moves = 60;
        QVector<QProcess *> children;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < tills; ++i) {
            auto *p = new QProcess(this);
            p->setProcessChannelMode(QProcess::ForwardedChannels);
            p->start(QCoreApplication::applicationFilePath(),
                     {QStringLiteral("--child-mover"), qrvtest::urlOf(db), archive.path(),
                      QString::number(moves), QString::number(1000 + i)});
            children.append(p);
        }
        for (QProcess *p : children) {
            QVERIFY(p->waitForFinished(180000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
            delete p;
        }
        qInfo("%d tills x %d moves in %lld ms", tills, moves, timer.elapsed());
        int relocated = 0;
        const QVector<Line> now = lines(db);
        for (int i = 0; i < now.size() && i < expected.size(); ++i)
            relocated += now.at(i).tavolo != expected.at(i).tavolo;
        QVERIFY(relocated > 0);
        checkInvariants(db, expected);
        QVERIFY(!QFile::exists(archive.path() + QStringLiteral("/inside.marker")));
    }

    // A till killed while it holds the lock: the move is all there or not at all, and the next
    // till takes the lock at once and can move the same tables.
    void tillKilledHoldingTheLock_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("pauseAt");
        QTest::addColumn<bool>("moved");
        for (const QString &engine : qrvtest::engines()) {
            QTest::newRow(qPrintable(engine + QStringLiteral(" inside the transaction")))
                << engine << QStringLiteral("statement2") << false;
            QTest::newRow(qPrintable(engine + QStringLiteral(" after the commit")))
                << engine << QStringLiteral("committed") << true;
        }
    }
    void tillKilledHoldingTheLock() {
        QFETCH(QString, engine);
        QFETCH(QString, pauseAt);
        QFETCH(bool, moved);
        const DbPtr db = venue(engine);
        const auto before = tables(db);
        const QVector<Line> beforeLines = lines(db);

        QProcess child;
        child.setReadChannel(QProcess::StandardOutput);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--child-paused"), qrvtest::urlOf(db), m_archive.path(),
                     QStringLiteral("1"), QStringLiteral("5"), pauseAt});
        QDeadlineTimer deadline(60000);
        while (!child.readAllStandardOutput().contains("PAUSED")) {
            QVERIFY2(!deadline.hasExpired(), "the child till never reached its pause");
            QVERIFY(child.state() != QProcess::NotRunning);
            child.waitForReadyRead(100);
        }
        QVERIFY(!lockIsFree());
        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished(10000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        // The system dropped the dead till's lock: the first attempt takes it.
        QVERIFY(lockIsFree());
        const QMap<qint64, Table> t = tables(db);
        if (moved) {
            QVERIFY(lines(db, 1).isEmpty());
            QCOMPARE(lines(db, 5).size(), 2);
            QCOMPARE(t.value(5),
                     (Table{5, true, QStringLiteral("Spostato"), QStringLiteral("09:05"), QString()}));
            QCOMPARE(t.value(1), (Table{1, false, QString(), QString(), QString()}));
        } else {
            QCOMPARE(t, before);
            QCOMPARE(lines(db), beforeLines);
        }
        checkInvariants(db, beforeLines);

        // The next till moves the same tables without waiting for the dead one.
        OrderMove next(db, nullptr, m_archive.path());
        int waits = 0;
        next.setWaitFunction([&](qint64) { return ++waits < 1000; });
        const qint64 from = moved ? 5 : 1;
        QElapsedTimer took;
        took.start();
        QCOMPARE(next.run(from, 6, QStringLiteral("Dopo"), QTime(10, 0)).outcome, OrderMove::Outcome::Moved);
        QCOMPARE(waits, 0);
        QVERIFY2(took.elapsed() < 4000, qPrintable(QString::number(took.elapsed())));
        QCOMPARE(lines(db, 6).size(), 2);
        checkInvariants(db, beforeLines);
    }
};

int main(int argc, char **argv) {
    if (argc > 1 && (qstrcmp(argv[1], "--child-mover") == 0 || qstrcmp(argv[1], "--child-paused") == 0)) {
        QCoreApplication app(argc, argv);
        const QStringList args = app.arguments().mid(2);
        try {
            return qstrcmp(argv[1], "--child-mover") == 0 ? moverChild(args) : pausedChild(args);
        } catch (const std::exception &e) {
            qCritical("%s", e.what());
            return 4;
        }
    }
    QCoreApplication app(argc, argv);
    TestOrderMove test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_ordermove.moc"
