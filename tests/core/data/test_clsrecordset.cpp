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
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <iostream>
#include <memory>
#include <string>

using namespace Qt::StringLiterals;
using qrv::clsRecordset;
using qrv::MessageBox;
using qrv::SharedState;
using qrvtest::ScriptedMessageBox;
using DatabasePtr = std::shared_ptr<qrv::dao::Database>;

namespace {

const QString apriTitle = u"qrvTavoli - clsRecordset"_s;
const QString prova = u"Prova"_s;

QString fieldText(clsRecordset &rs, const QString &name) {
    return rs.ilRecordset()->Field(name).toString();
}

/** Another till: this program run again, holding the lock of a query until told or for a time. */
class LockHolder {
public:
    /** Starts the holder and waits until it holds the lock; false when it could not. */
    bool start(const DatabasePtr &db, const QString &archive, const QString &query, int releaseAfterMs) {
        m_process.setProgram(QCoreApplication::applicationFilePath());
        m_process.setArguments(
            {u"--hold-lock"_s, qrvtest::urlOf(db), archive, query, QString::number(releaseAfterMs)});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        return m_process.waitForStarted(10000) && waitFor("locked");
    }

    bool waitFor(const QByteArray &word) {
        while (!m_output.append(m_process.readAllStandardOutput()).contains(word))
            if (!m_process.waitForReadyRead(20000))
                return m_output.append(m_process.readAllStandardOutput()).contains(word);
        return true;
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
    rs.Apri(u"Holder"_s, true, args.at(4), true, false);
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
        qrvtest::addTable(m_db, u"1"_s, u"Uno"_s);
        qrvtest::addTable(m_db, u"2"_s, u"Due"_s, 1, true);
        qrvtest::addTable(m_db, u"3"_s, u"Tre"_s);
        qrvtest::addTable(m_db, u"20"_s, u"Venti"_s, 2);
    }

    void cleanup() { m_db.reset(), m_till.reset(); }

    void readingAndSearching() {
        clsRecordset empty;
        QCOMPARE(open(empty, u"Select * from Tavoli Where CodiceSala = 7;"_s), qint16(clsRecordset::NoRow));
        // On an empty result set nothing is searched: not even a condition that cannot be parsed.
        QVERIFY(!empty.Start(prova, u"codice"_s, u"=("_s, u"???"_s));
        QCOMPARE(empty.Errore(), qint16(clsRecordset::NotFound));
        clsRecordset one;
        QCOMPARE(open(one, u"Select * from Tavoli Where CodiceSala = 2;"_s), qint16(clsRecordset::Ok));
        QCOMPARE(fieldText(one, u"Numero"_s), u"20"_s);
        QVERIFY(one.ilRecordset()->LockEdits());
        one.LeggiNext();
        QCOMPARE(one.Errore(), qint16(clsRecordset::NoRow));
        one.Chiudi();
        QVERIFY(!one.ilRecordset());

        clsRecordset rs;
        open(rs, u"Select * from Tavoli Where CodiceSala = 1 order by Numero;"_s);
        QStringList read;
        while (rs.Errore() != clsRecordset::NoRow) {
            QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok)); // unchanged by LeggiNext in the middle
            read << fieldText(rs, u"Numero"_s);
            rs.LeggiNext();
        }
        QCOMPARE(read, QStringList({u"1"_s, u"2"_s, u"3"_s}));
        rs.LeggiNext(); // past the end: stays 10, no message
        // MoveFirst with an empty Routine reports under, and hands back, the routine of Apri.
        QString routine;
        rs.MoveFirst(routine);
        QCOMPARE(routine, prova);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
        QCOMPARE(fieldText(rs, u"Numero"_s), u"1"_s);

        const QString due =
            qrvtest::scalar(m_db, u"Select Codice from Tavoli Where Numero = '2'"_s).toString();
        QVERIFY(rs.Start(prova, u"codice"_s, u"="_s, due));
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
        QCOMPARE(fieldText(rs, u"Descrizione"_s), u"Due"_s);
        QVERIFY(!rs.Start(prova, u"Numero"_s, u"="_s, u"'20'"_s));
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NotFound));
        // Without Chiave2 the second condition is left out, even when given.
        QVERIFY(rs.Start(prova, u"Numero"_s, u"="_s, u"'3'"_s, QString(), u"="_s, u"'nessuno'"_s));
        QCOMPARE(fieldText(rs, u"Descrizione"_s), u"Tre"_s);
        QCOMPARE(rs.TipoCampo(u"Nessuno"_s), 0);
        // The deletion runs the query again first: a row another till added since the open goes too.
        qrvtest::addTable(qrv::dao::Database::open(qrvtest::urlOf(m_db)), u"4"_s, u"Quattro"_s);
        rs.CancellazioneRecordSet(prova);
        rs.Chiudi();
        QCOMPARE(qrvtest::scalar(m_db, u"Select Numero from Tavoli"_s).toString(), u"20"_s);
        QVERIFY(m_box->shown.isEmpty());
    }

    void failedOpenReadsAsNoRow() {
        const QString query = u"Select * from TavoliSbagliati Where Codice = 1;"_s;
        clsRecordset rs;
        rs.Apri(u"CaricaTavoli"_s, true, query, false, true);
        QCOMPARE(m_box->shown.size(), 1);
        QCOMPARE(m_box->shown[0].title + QString::number(m_box->shown[0].flags),
                 apriTitle + QString::number(MessageBox::vbRetryCancel + MessageBox::vbCritical));
        const QString head =
            u"Errore nel metodo Apri (tabella:"_s + query + u" ) chiamato da CaricaTavoli\r\n"_s;
        QVERIFY2(
            m_box->shown[0].text.startsWith(head) &&
                QRegularExpression(u"^\\d+ \\S"_s).match(m_box->shown[0].text.mid(head.size())).hasMatch(),
            qPrintable(m_box->shown[0].text));
        // Cancelled: the callers, who only test for 10, must not read rows that are not there.
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));
        QVERIFY(!rs.ilRecordset());
        rs.LeggiNext();
        rs.MoveFirst();
        QVERIFY(!rs.Start(prova, u"codice"_s, u"="_s, u"1"_s));
        QCOMPARE(m_box->shown.size(), 1);

        // Retry repeats the open: twice refused, then cancelled.
        m_box->answers = {MessageBox::vbRetry, MessageBox::vbRetry, MessageBox::vbCancel};
        rs.Apri(u"CaricaTavoli"_s, true, query, false, true);
        QCOMPARE(m_box->shown.size(), 4);
        QCOMPARE(m_box->shown[3].text, m_box->shown[0].text);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));

        // Its own database goes before the shared one.
        QFETCH_GLOBAL(QString, engine);
        clsRecordset own;
        own.setDataBase(qrvtest::freshDatabase(engine));
        QCOMPARE(open(own, u"Select * from Tavoli;"_s), qint16(clsRecordset::NoRow));
        QCOMPARE(m_box->shown.size(), 4);

        // No database at all: a failure for the operator, not a crash.
        SharedState::current().DataBase.reset();
        QCOMPARE(open(rs, u"Select * from Tavoli;"_s), qint16(clsRecordset::NoRow));
        QVERIFY(m_box->shown.last().text.contains(u"DataBase"_s));
        SharedState::current().DataBase = m_db;
        {
            // Retry after the cause is mended (the operator has the table made) opens the rows.
            struct MendingBox : ScriptedMessageBox {
                DatabasePtr db;
                int show(const QString &text, int flags, const QString &title) override {
                    ScriptedMessageBox::show(text, flags, title);
                    db->Execute(u"Create table Extra (Codice integer)"_s);
                    db->Execute(u"Insert into Extra (Codice) values (5)"_s);
                    return vbRetry;
                }
            } box;
            box.db = m_db;
            QCOMPARE(open(rs, u"Select Codice from Extra"_s), qint16(clsRecordset::Ok));
            QCOMPARE(box.shown.size(), 1);
            QCOMPARE(rs.ilRecordset()->Field(u"Codice"_s).toInt(), 5);
        }
    }

    void failuresOfTheOtherMethods() {
        const QString query = u"Select * from Tavoli Where CodiceSala = 1;"_s;
        clsRecordset rs;
        QCOMPARE(open(rs, query), qint16(clsRecordset::Ok));
        // Rows closed behind the wrapper's back: every move now fails in the access layer.
        rs.ilRecordset()->Close();
        const QString closed =
            u"\r\n"_s + QString::number(qrv::dao::DaoErrorCode::ObjectClosed) + QLatin1Char(' ');
        const int retryCancel = MessageBox::vbRetryCancel + MessageBox::vbCritical;
        const auto lastShown = [&](const QString &head, const QString &title, int flags) {
            QVERIFY2(m_box->shown.last().text.startsWith(head + closed),
                     qPrintable(m_box->shown.last().text));
            QCOMPARE(m_box->shown.last().title + QString::number(m_box->shown.last().flags),
                     title + QString::number(flags));
        };

        m_box->answers = {MessageBox::vbRetry, MessageBox::vbCancel};
        rs.LeggiNext(u"CaricaTavoli"_s);
        QCOMPARE(m_box->shown.size(), 2);
        lastShown(u"Errore nel metodo LeggiNext chiamato da CaricaTavoli\r\nRecordset:"_s + query, apriTitle,
                  retryCancel);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow)); // the reading loop ends

        rs.AzzeraErrore();
        QString routine;
        rs.MoveFirst(routine);
        lastShown(u"Errore nel metodo MoveFirst chiamato da Prova\r\nRecordset:"_s + query, u"clsRecordset"_s,
                  retryCancel);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));

        QVERIFY(!rs.Start(u"SalvaPosizionecmdArt"_s, u"codice"_s, u"="_s, u"12"_s, u"Numero"_s, u"<>"_s,
                          u"'3'"_s));
        lastShown(QStringLiteral("Errore nel metodo Start chiamato da SalvaPosizionecmdArt\r\n"
                                 "codice = 12 and Numero <> '3'"),
                  apriTitle, retryCancel);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));

        rs.CancellazioneRecordSet(prova);
        lastShown(u"Errore nel metodo CancellazioneRecordset chiamato da Prova\r\nRecordset:"_s + query,
                  apriTitle, MessageBox::vbOKOnly + MessageBox::vbCritical);
        rs.Chiudi();
        QCOMPARE(m_box->shown.size(), 5);
        QCOMPARE(qrvtest::scalar(m_db, u"Select count(*) from Tavoli"_s).toInt(), 4);
    }

    void lockInOneProcess() {
        const QString query = u"Tavoli"_s;
        const QString lockFile = archiveFile(u"Tavoli.txt"_s);
        clsRecordset holder;
        QCOMPARE(open(holder, query, true, false), qint16(clsRecordset::Ok));
        QVERIFY(QFile::exists(lockFile));
        QFile marker(archiveFile(u"user_Tavoli.txt"_s));
        QCOMPARE(marker.size(), 0);
        // The rest of the till system names the holder in the marker.
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.write("Cassa 2\r\naltro\r\n");
        marker.close();

        clsRecordset second;
        QCOMPARE(open(second, query, true, false), qint16(clsRecordset::LockRefused));
        QVERIFY(!second.ilRecordset());
        QCOMPARE(m_box->shown.size(), 1);
        QCOMPARE(m_box->shown[0].text, u"File Tavoli già aperto in uso esclusivo da Cassa 2"_s);
        QCOMPARE(m_box->shown[0].title + QString::number(m_box->shown[0].flags), u"qrvTavoli0"_s);
        // The refused object holds nothing: closing it leaves the holder's file alone.
        second.Chiudi();
        QVERIFY(QFile::exists(lockFile));

        // A waiting open returns once the holder closes (here from a timer that runs while it waits).
        QTimer::singleShot(300, this, [&holder] { holder.Chiudi(); });
        QCOMPARE(open(second, query, true, true), qint16(clsRecordset::Ok));
        QVERIFY(!holder.ilRecordset());
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
        const QString query = u"Select Codice from Tavoli Where CodiceSala = 1"_s;
        clsRecordset rs;
        {
            LockHolder otherTill;
            QVERIFY(otherTill.start(m_db, m_till->app.path(), query, -1));
            QCOMPARE(open(rs, query, true, false), qint16(clsRecordset::LockRefused));
            QCOMPARE(m_box->shown.size(), 1);
            QCOMPARE(m_box->shown[0].text, u"File "_s + query + u" già aperto in uso esclusivo da "_s);
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
            QVERIFY(QFile::exists(archiveFile(query + u".txt"_s)));
            LockHolder third;
            QVERIFY(!third.start(m_db, m_till->app.path(), query, -1));
        }
        QCOMPARE(m_box->shown.size(), 1);
    }

    void lockThatCannotBeTaken_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("archiveName");
        QTest::addColumn<int>("errorNumber");
        QTest::newRow("asterisk") << u"Select * from Tavoli"_s << QString() << 52;
        QTest::newRow("slash") << u"Select Codice/2 from Tavoli"_s << QString() << 52;
        QTest::newRow("missing archive folder") << u"Tavoli"_s << u"nessuna"_s << 76;
    }
    void lockThatCannotBeTaken() {
        QFETCH(QString, query);
        QFETCH(QString, archiveName);
        QFETCH(int, errorNumber);
        if (!archiveName.isEmpty())
            SharedState::current().ilPathArchivi = archiveFile(archiveName);
        const QString lockPath = SharedState::current().ilPathArchivi + QLatin1Char('/') + query + u".txt"_s;
        clsRecordset rs;
        // The query runs without a lock.
        QCOMPARE(open(rs, query, true, false), qint16(clsRecordset::Ok));
        QCOMPARE(m_box->shown.size(), 1);
        QCOMPARE(m_box->shown[0].title + QString::number(m_box->shown[0].flags), u"Errore16"_s);
        const QString head = u"Errore in BloccaSblocca aprendo "_s + lockPath + u"\r\n"_s +
                             QString::number(errorNumber) + QLatin1Char(' ');
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
