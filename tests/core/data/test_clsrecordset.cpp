#include "core/data/clsRecordset.h"
#include "core/data/dao/DaoError.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "core/settings/SharedState.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"
#include "support/Till.h"
#include "support/VenueRows.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <iostream>
#include <memory>
#include <string>

using qrv::clsRecordset;
using qrv::MessageBox;
using qrv::SharedState;
using qrvtest::ScriptedMessageBox;
using DatabasePtr = std::shared_ptr<qrv::dao::Database>;

namespace {

const QString apriTitle = QStringLiteral("qrvTavoli - clsRecordset");
const QString prova = QStringLiteral("Prova");

QString fieldText(clsRecordset &rs, const QString &name) {
    return rs.ilRecordset()->Field(name).toString();
}

/** Another till: this program run again, holding the lock of a query until told or for a time. */
class LockHolder {
public:
    /** Starts the holder and waits until it holds the lock; false when it could not. */
    bool start(const DatabasePtr &db, const QString &archive, const QString &query, int releaseAfterMs) {
        m_process.setProgram(QCoreApplication::applicationFilePath());
        m_process.setArguments({QStringLiteral("--hold-lock"), qrvtest::urlOf(db), archive, query,
                                QString::number(releaseAfterMs)});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        return m_process.waitForStarted(10000) && waitFor("locked");
    }

    bool waitFor(const QByteArray &word) {
        for (;;) {
            m_output += m_process.readAllStandardOutput();
            if (m_output.contains(word))
                return true;
            if (!m_process.waitForReadyRead(20000))
                return m_output.append(m_process.readAllStandardOutput()).contains(word);
        }
    }

    void release() { m_process.write("release\n"); }
    bool finish() {
        if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(20000))
            return false;
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }
    void kill() {
        m_process.kill();
        m_process.waitForFinished(20000);
    }
    ~LockHolder() { kill(); }

private:
    QProcess m_process;
    QByteArray m_output;
};

/** The holder's side of LockHolder: argv = program --hold-lock url archive query releaseAfterMs. */
int holdLock(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    ScriptedMessageBox box; // a refusal is told through the exit code
    SharedState::current().DataBase = qrv::dao::Database::open(args.at(2));
    SharedState::current().ilPathArchivi = args.at(3);
    clsRecordset rs;
    rs.Apri(QStringLiteral("Holder"), true, args.at(4), true, false);
    if (rs.Errore() == clsRecordset::LockRefused)
        return 2;
    std::cout << "locked" << std::endl;
    const int releaseAfter = args.at(5).toInt();
    if (releaseAfter >= 0) {
        QThread::msleep(static_cast<unsigned long>(releaseAfter));
    } else {
        std::string line;
        std::getline(std::cin, line);
    }
    rs.Chiudi();
    std::cout << "released" << std::endl;
    return 0;
}

} // namespace

// Every test runs on each engine, on a database with tables 1, 2 (occupied), 3 in room 1 and 20 in
// room 2, shared as DataBase, with an empty archive folder and a scripted message box.
class TestClsRecordset : public QObject {
    Q_OBJECT

    std::unique_ptr<qrvtest::Till> m_till;
    DatabasePtr m_db;
    ScriptedMessageBox *m_box = nullptr;

    QString archiveFile(const QString &name) const { return m_till->app.filePath(name); }
    qint16 open(clsRecordset &rs, const QString &query, bool lock = false, bool wait = true) {
        rs.Apri(prova, true, query, lock, wait);
        return rs.Errore();
    }

private slots:
    void initTestCase_data() { qrvtest::addEngineRows(); }

    void init() {
        QFETCH_GLOBAL(QString, engine);
        m_till = std::make_unique<qrvtest::Till>();
        m_box = &m_till->box;
        m_db = m_till->open(engine, false);
        qrvtest::addTable(m_db, QStringLiteral("1"), QStringLiteral("Uno"));
        qrvtest::addTable(m_db, QStringLiteral("2"), QStringLiteral("Due"), 1, true);
        qrvtest::addTable(m_db, QStringLiteral("3"), QStringLiteral("Tre"));
        qrvtest::addTable(m_db, QStringLiteral("20"), QStringLiteral("Venti"), 2);
    }

    void cleanup() { m_db.reset(), m_till.reset(); }

    void readingLoops() {
        clsRecordset empty;
        QCOMPARE(open(empty, QStringLiteral("Select * from Tavoli Where CodiceSala = 7;")), qint16(10));
        clsRecordset one;
        QCOMPARE(open(one, QStringLiteral("Select * from Tavoli Where CodiceSala = 2;")), qint16(0));
        QCOMPARE(fieldText(one, QStringLiteral("Numero")), QStringLiteral("20"));
        QVERIFY(one.ilRecordset()->LockEdits());
        one.LeggiNext();
        QCOMPARE(one.Errore(), qint16(clsRecordset::NoRow));
        one.Chiudi();
        QVERIFY(!one.ilRecordset());

        clsRecordset rs;
        open(rs, QStringLiteral("Select * from Tavoli Where CodiceSala = 1 order by Numero;"));
        QStringList read;
        while (rs.Errore() != clsRecordset::NoRow) {
            QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok)); // unchanged by LeggiNext in the middle
            read << fieldText(rs, QStringLiteral("Numero"));
            rs.LeggiNext();
        }
        QCOMPARE(read, QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        rs.LeggiNext(); // past the end: stays 10, no message

        // MoveFirst with an empty Routine reports under, and hands back, the routine of Apri.
        QString routine;
        rs.MoveFirst(routine);
        QCOMPARE(routine, prova);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
        QCOMPARE(fieldText(rs, QStringLiteral("Numero")), QStringLiteral("1"));
        QVERIFY(m_box->shown.isEmpty());
    }

    void start() {
        const QString due =
            qrvtest::scalar(m_db, QStringLiteral("Select Codice from Tavoli Where Numero = '2'")).toString();
        clsRecordset rs;
        open(rs, QStringLiteral("Select * from Tavoli Where CodiceSala = 1;"));
        QVERIFY(rs.Start(prova, QStringLiteral("codice"), QStringLiteral("="), due));
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
        QCOMPARE(fieldText(rs, QStringLiteral("Descrizione")), QStringLiteral("Due"));

        QVERIFY(!rs.Start(prova, QStringLiteral("Numero"), QStringLiteral("="), QStringLiteral("'20'")));
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NotFound));

        // Without Chiave2 the second condition is left out, even when given.
        QVERIFY(rs.Start(prova, QStringLiteral("Numero"), QStringLiteral("="), QStringLiteral("'3'"),
                         QString(), QStringLiteral("="), QStringLiteral("'nessuno'")));
        QCOMPARE(fieldText(rs, QStringLiteral("Descrizione")), QStringLiteral("Tre"));

        // On an empty result set nothing is searched: not even a condition that cannot be parsed.
        open(rs, QStringLiteral("Select * from Tavoli Where CodiceSala = 7;"));
        QVERIFY(!rs.Start(prova, QStringLiteral("codice"), QStringLiteral("=("), QStringLiteral("???")));
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NotFound));
        QVERIFY(m_box->shown.isEmpty());
    }

    void failedOpenReadsAsNoRow() {
        const QString query = QStringLiteral("Select * from TavoliSbagliati Where Codice = 1;");
        clsRecordset rs;
        rs.Apri(QStringLiteral("CaricaTavoli"), true, query, false, true);
        QCOMPARE(m_box->shown.size(), 1);
        QCOMPARE(m_box->shown[0].title + QString::number(m_box->shown[0].flags),
                 apriTitle + QString::number(MessageBox::vbRetryCancel + MessageBox::vbCritical));
        const QString head = QStringLiteral("Errore nel metodo Apri (tabella:") + query +
                             QStringLiteral(" ) chiamato da CaricaTavoli\r\n");
        QVERIFY2(m_box->shown[0].text.startsWith(head), qPrintable(m_box->shown[0].text));
        QVERIFY2(QRegularExpression(QStringLiteral("^\\d+ \\S"))
                     .match(m_box->shown[0].text.mid(head.size()))
                     .hasMatch(),
                 qPrintable(m_box->shown[0].text));
        // Cancelled: the callers, who only test for 10, must not read rows that are not there.
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));
        QVERIFY(!rs.ilRecordset());
        rs.LeggiNext();
        rs.MoveFirst();
        QVERIFY(!rs.Start(prova, QStringLiteral("codice"), QStringLiteral("="), QStringLiteral("1")));
        QCOMPARE(m_box->shown.size(), 1);

        // Retry repeats the open: twice refused, then cancelled.
        m_box->answers = {MessageBox::vbRetry, MessageBox::vbRetry, MessageBox::vbCancel};
        rs.Apri(QStringLiteral("CaricaTavoli"), true, query, false, true);
        QCOMPARE(m_box->shown.size(), 4);
        QCOMPARE(m_box->shown[3].text, m_box->shown[0].text);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));

        // No database at all: a failure for the operator, not a crash.
        SharedState::current().DataBase.reset();
        QCOMPARE(open(rs, QStringLiteral("Select * from Tavoli;")), qint16(clsRecordset::NoRow));
        QVERIFY(m_box->shown.last().text.contains(QStringLiteral("DataBase")));
    }

    void failuresOfTheOtherMethods() {
        const QString query = QStringLiteral("Select * from Tavoli Where CodiceSala = 1;");
        clsRecordset rs;
        QCOMPARE(open(rs, query), qint16(clsRecordset::Ok));
        // Rows closed behind the wrapper's back: every move now fails in the access layer.
        rs.ilRecordset()->Close();
        const QString closed =
            QStringLiteral("\r\n") + QString::number(qrv::dao::DaoErrorCode::ObjectClosed) + QLatin1Char(' ');
        const int retryCancel = MessageBox::vbRetryCancel + MessageBox::vbCritical;
        const auto lastShown = [&](const QString &head, const QString &title, int flags) {
            QVERIFY2(m_box->shown.last().text.startsWith(head + closed),
                     qPrintable(m_box->shown.last().text));
            QCOMPARE(m_box->shown.last().title + QString::number(m_box->shown.last().flags),
                     title + QString::number(flags));
        };

        m_box->answers = {MessageBox::vbRetry, MessageBox::vbCancel};
        rs.LeggiNext(QStringLiteral("CaricaTavoli"));
        QCOMPARE(m_box->shown.size(), 2);
        lastShown(QStringLiteral("Errore nel metodo LeggiNext chiamato da CaricaTavoli\r\nRecordset:") +
                      query,
                  apriTitle, retryCancel);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow)); // the reading loop ends

        rs.AzzeraErrore();
        QString routine;
        rs.MoveFirst(routine);
        lastShown(QStringLiteral("Errore nel metodo MoveFirst chiamato da Prova\r\nRecordset:") + query,
                  QStringLiteral("clsRecordset"), retryCancel);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));

        QVERIFY(!rs.Start(QStringLiteral("SalvaPosizionecmdArt"), QStringLiteral("codice"),
                          QStringLiteral("="), QStringLiteral("12"), QStringLiteral("Numero"),
                          QStringLiteral("<>"), QStringLiteral("'3'")));
        lastShown(QStringLiteral("Errore nel metodo Start chiamato da SalvaPosizionecmdArt\r\n"
                                 "codice = 12 and Numero <> '3'"),
                  apriTitle, retryCancel);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));

        rs.CancellazioneRecordSet(prova);
        lastShown(QStringLiteral("Errore nel metodo CancellazioneRecordset chiamato da Prova\r\nRecordset:") +
                      query,
                  apriTitle, MessageBox::vbOKOnly + MessageBox::vbCritical);
        rs.Chiudi();
        QCOMPARE(m_box->shown.size(), 5);
        QCOMPARE(qrvtest::scalar(m_db, QStringLiteral("Select count(*) from Tavoli")).toInt(), 4);
    }

    void retryAfterTheCauseIsMended() {
        // The operator has the missing table made before answering Retry.
        class MendingBox : public ScriptedMessageBox {
        public:
            DatabasePtr db;
            int show(const QString &text, int flags, const QString &title) override {
                ScriptedMessageBox::show(text, flags, title);
                db->Execute(QStringLiteral("Create table Extra (Codice integer)"));
                db->Execute(QStringLiteral("Insert into Extra (Codice) values (5)"));
                return vbRetry;
            }
        } box;
        box.db = m_db;
        clsRecordset rs;
        QCOMPARE(open(rs, QStringLiteral("Select Codice from Extra")), qint16(clsRecordset::Ok));
        QCOMPARE(box.shown.size(), 1);
        QCOMPARE(rs.ilRecordset()->Field(QStringLiteral("Codice")).toInt(), 5);
    }

    void ownDatabaseGoesFirst() {
        QFETCH_GLOBAL(QString, engine);
        clsRecordset rs;
        rs.setDataBase(qrvtest::freshDatabase(engine));
        QCOMPARE(open(rs, QStringLiteral("Select * from Tavoli;")), qint16(clsRecordset::NoRow));
    }

    void deletionAndFields() {
        clsRecordset rs;
        open(rs, QStringLiteral("Select Codice, Numero from Tavoli Where CodiceSala = 1"));
        QCOMPARE(rs.TipoCampo(QStringLiteral("Nessuno")), 0);
        // The deletion runs the query again first: a row another till added since the open goes too.
        qrvtest::addTable(qrv::dao::Database::open(qrvtest::urlOf(m_db)), QStringLiteral("4"),
                          QStringLiteral("Quattro"));
        rs.CancellazioneRecordSet(prova);
        rs.Chiudi();
        QCOMPARE(qrvtest::scalar(m_db, QStringLiteral("Select Numero from Tavoli")).toString(),
                 QStringLiteral("20"));
        QVERIFY(m_box->shown.isEmpty());
    }

    void lockInOneProcess() {
        const QString query = QStringLiteral("Tavoli");
        const QString lockFile = archiveFile(QStringLiteral("Tavoli.txt"));
        clsRecordset holder;
        QCOMPARE(open(holder, query, true, false), qint16(clsRecordset::Ok));
        QVERIFY(QFile::exists(lockFile));
        QFile marker(archiveFile(QStringLiteral("user_Tavoli.txt")));
        QCOMPARE(marker.size(), 0);
        // The rest of the till system names the holder in the marker.
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.write("Cassa 2\r\naltro\r\n");
        marker.close();

        clsRecordset second;
        QCOMPARE(open(second, query, true, false), qint16(clsRecordset::LockRefused));
        QVERIFY(!second.ilRecordset());
        QCOMPARE(m_box->shown.size(), 1);
        QCOMPARE(m_box->shown[0].text, QStringLiteral("File Tavoli già aperto in uso esclusivo da Cassa 2"));
        QCOMPARE(m_box->shown[0].title + QString::number(m_box->shown[0].flags),
                 QStringLiteral("qrvTavoli0"));
        // The refused object holds nothing: closing it leaves the holder's file alone.
        second.Chiudi();
        QVERIFY(QFile::exists(lockFile));

        // A waiting open returns once the holder closes (here from a timer that runs while it waits).
        QTimer::singleShot(300, this, [&holder] { holder.Chiudi(); });
        QElapsedTimer waited;
        waited.start();
        QCOMPARE(open(second, query, true, true), qint16(clsRecordset::Ok));
        QVERIFY(waited.elapsed() >= 250);
        QCOMPARE(m_box->shown.size(), 1);
        QVERIFY(QFile::exists(lockFile));
        second.Chiudi();
        QVERIFY(!QFile::exists(lockFile));
        QVERIFY(marker.exists());

        // An object that never took a lock closes nothing and deletes nothing.
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.close();
        QVERIFY(marker.rename(lockFile));
        open(second, query);
        second.Chiudi();
        QVERIFY(QFile::exists(lockFile));
        QCOMPARE(m_box->shown.size(), 1);
    }

    void lockAcrossProcesses() {
        const QString query = QStringLiteral("Select Codice from Tavoli Where CodiceSala = 1");
        clsRecordset rs;
        {
            LockHolder otherTill;
            QVERIFY(otherTill.start(m_db, m_till->app.path(), query, -1));
            QCOMPARE(open(rs, query, true, false), qint16(clsRecordset::LockRefused));
            QCOMPARE(m_box->shown.size(), 1);
            QCOMPARE(m_box->shown[0].text,
                     QStringLiteral("File ") + query + QStringLiteral(" già aperto in uso esclusivo da "));
            otherTill.release();
            QVERIFY(otherTill.finish());
            QCOMPARE(open(rs, query, true, false), qint16(clsRecordset::Ok));
            rs.Chiudi();
        }
        {
            // A till that dies loses its lock at once.
            LockHolder otherTill;
            QVERIFY(otherTill.start(m_db, m_till->app.path(), query, -1));
            otherTill.kill();
            QCOMPARE(open(rs, query, true, false), qint16(clsRecordset::Ok));
            rs.Chiudi();
        }
        {
            // Waiting: Apri returns when the other till closes, about 300 ms later.
            LockHolder otherTill;
            QVERIFY(otherTill.start(m_db, m_till->app.path(), query, 300));
            QCOMPARE(open(rs, query, true, true), qint16(clsRecordset::Ok));
            QVERIFY(otherTill.waitFor("released"));
            QVERIFY(otherTill.finish());
            // Ours now, even though the holder deleted the file it had locked.
            QVERIFY(QFile::exists(archiveFile(query + QStringLiteral(".txt"))));
            LockHolder third;
            QVERIFY(!third.start(m_db, m_till->app.path(), query, -1));
        }
        QCOMPARE(m_box->shown.size(), 1);
    }

    void lockThatCannotBeTaken_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("archiveName");
        QTest::addColumn<int>("errorNumber");
        QTest::newRow("asterisk") << QStringLiteral("Select * from Tavoli") << QString() << 52;
        QTest::newRow("slash") << QStringLiteral("Select Codice/2 from Tavoli") << QString() << 52;
        QTest::newRow("missing archive folder")
            << QStringLiteral("Tavoli") << QStringLiteral("nessuna") << 76;
    }
    void lockThatCannotBeTaken() {
        QFETCH(QString, query);
        QFETCH(QString, archiveName);
        QFETCH(int, errorNumber);
        if (!archiveName.isEmpty())
            SharedState::current().ilPathArchivi = archiveFile(archiveName);
        const QString lockPath =
            SharedState::current().ilPathArchivi + QLatin1Char('/') + query + QStringLiteral(".txt");
        clsRecordset rs;
        // The query runs without a lock.
        QCOMPARE(open(rs, query, true, false), qint16(clsRecordset::Ok));
        QCOMPARE(m_box->shown.size(), 1);
        QCOMPARE(m_box->shown[0].title + QString::number(m_box->shown[0].flags), QStringLiteral("Errore16"));
        const QString head = QStringLiteral("Errore in BloccaSblocca aprendo ") + lockPath +
                             QStringLiteral("\r\n") + QString::number(errorNumber) + QLatin1Char(' ');
        QVERIFY2(m_box->shown[0].text.startsWith(head), qPrintable(m_box->shown[0].text));
        rs.Chiudi();
        QCOMPARE(QDir(m_till->app.path()).entryList(QDir::Files), QStringList());
    }
};

int main(int argc, char **argv) {
    if (argc > 1 && qstrcmp(argv[1], "--hold-lock") == 0)
        return holdLock(argc, argv);
    QCoreApplication app(argc, argv);
    TestClsRecordset test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_clsrecordset.moc"
