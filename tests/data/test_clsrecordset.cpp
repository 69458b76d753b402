#include "component/SharedState.h"
#include "data/clsRecordset.h"
#include "data/dao/DaoError.h"
#include "data/dao/Database.h"
#include "data/dao/Recordset.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
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

/** Adds a table to the room and returns its Codice. */
qint64 addTable(const DatabasePtr &db, const QString &numero, const QString &descrizione, int sala,
                bool occupato = false) {
    db->Execute(
        QStringLiteral("Insert into Tavoli (Numero, Descrizione, Occupato, OraOccupato, OraUltimoOrdine, "
                       "ID_Scontrino, Top, Left, CodiceSala, Forma) values ('%1', '%2', %3, '', '', 0, 0, "
                       "0, %4, 'QUADRATO')")
            .arg(numero, descrizione, occupato ? QStringLiteral("True") : QStringLiteral("False"))
            .arg(sala));
    return qrvtest::scalar(db, QStringLiteral("Select Codice from Tavoli Where Numero = '%1'").arg(numero))
        .toLongLong();
}

QString fieldText(clsRecordset &rs, const QString &name) {
    return rs.ilRecordset()->Field(name).toString();
}

/**
 * Another till: a process of this test program that takes the lock of a query and keeps it until
 * it reads a line on its input, or for a given time.
 */
class LockHolder {
public:
    /** Starts the holder and waits until it holds the lock; false when it could not. */
    bool start(const DatabasePtr &db, const QString &archive, const QString &query, int releaseAfterMs) {
        m_process.setProgram(QCoreApplication::applicationFilePath());
        m_process.setArguments({QStringLiteral("--hold-lock"), qrvtest::urlOf(db), archive, query,
                                QString::number(releaseAfterMs)});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
        if (!m_process.waitForStarted(10000))
            return false;
        return waitFor("locked");
    }

    bool waitFor(const QByteArray &word) {
        for (;;) {
            m_output += m_process.readAllStandardOutput();
            if (m_output.contains(word))
                return true;
            if (!m_process.waitForReadyRead(20000)) {
                m_output += m_process.readAllStandardOutput();
                return m_output.contains(word);
            }
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

    ~LockHolder() {
        if (m_process.state() != QProcess::NotRunning)
            kill();
    }

private:
    QProcess m_process;
    QByteArray m_output;
};

/** The holder's side of LockHolder: argv = program --hold-lock url archive query releaseAfterMs. */
int holdLock(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 6)
        return 3;
    ScriptedMessageBox box; // a refusal is told through the exit code
    try {
        SharedState::current().DataBase = qrv::dao::Database::open(args.at(2));
    } catch (const qrv::dao::DaoError &error) {
        std::cerr << "holder: " << error.what() << std::endl;
        return 4;
    }
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

class TestClsRecordset : public QObject {
    Q_OBJECT

private:
    DatabasePtr m_db;
    std::unique_ptr<QTemporaryDir> m_archive;

    /** A new database with three tables in room 1 and one in room 2, shared as DataBase. */
    void useFreshDatabase() {
        QFETCH(QString, engine);
        m_db = qrvtest::freshDatabase(engine);
        addTable(m_db, QStringLiteral("1"), QStringLiteral("Uno"), 1);
        addTable(m_db, QStringLiteral("2"), QStringLiteral("Due"), 1, true);
        addTable(m_db, QStringLiteral("3"), QStringLiteral("Tre"), 1);
        addTable(m_db, QStringLiteral("20"), QStringLiteral("Venti"), 2);
        m_archive = std::make_unique<QTemporaryDir>();
        SharedState::current().DataBase = m_db;
        SharedState::current().ilPathArchivi = m_archive->path();
    }

    QString archiveFile(const QString &name) const { return m_archive->path() + QLatin1Char('/') + name; }

private slots:
    void cleanup() {
        SharedState::current().DataBase.reset();
        SharedState::current().ilPathArchivi.clear();
        m_db.reset();
        m_archive.reset();
    }

    void readingLoops_data() { qrvtest::addEngineRows(); }
    void readingLoops() {
        useFreshDatabase();
        ScriptedMessageBox box;

        clsRecordset empty;
        empty.Apri(QStringLiteral("Prova"), true,
                   QStringLiteral("Select * from Tavoli Where CodiceSala = 7;"), false, true);
        QCOMPARE(empty.Errore(), qint16(clsRecordset::NoRow));
        empty.Chiudi();

        clsRecordset one;
        one.Apri(QStringLiteral("Prova"), true, QStringLiteral("Select * from Tavoli Where CodiceSala = 2;"),
                 false, true);
        QCOMPARE(one.Errore(), qint16(clsRecordset::Ok));
        QCOMPARE(fieldText(one, QStringLiteral("Numero")), QStringLiteral("20"));
        QVERIFY(one.ilRecordset()->LockEdits());
        one.LeggiNext();
        QCOMPARE(one.Errore(), qint16(clsRecordset::NoRow));
        one.Chiudi();
        QVERIFY(!one.ilRecordset());

        clsRecordset rs;
        rs.Apri(QStringLiteral("Prova"), true,
                QStringLiteral("Select * from Tavoli Where CodiceSala = 1 order by Numero;"), false, true);
        QStringList read;
        while (rs.Errore() != clsRecordset::NoRow) {
            QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok)); // unchanged by LeggiNext in the middle
            read << fieldText(rs, QStringLiteral("Numero"));
            rs.LeggiNext();
        }
        QCOMPARE(read, QStringList({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        // Past the end, another LeggiNext stays at 10 without a message.
        rs.LeggiNext();
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));

        // MoveFirst with an empty Routine reports under, and hands back, the routine of Apri.
        QString routine;
        rs.MoveFirst(routine);
        QCOMPARE(routine, QStringLiteral("Prova"));
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
        QCOMPARE(fieldText(rs, QStringLiteral("Numero")), QStringLiteral("1"));
        QString other = QStringLiteral("Altra");
        rs.LeggiNext(other);
        QCOMPARE(other, QStringLiteral("Altra"));
        rs.Chiudi();

        empty.Apri(QStringLiteral("Prova"), true,
                   QStringLiteral("Select * from Tavoli Where CodiceSala = 7;"), false, true);
        empty.MoveFirst();
        QCOMPARE(empty.Errore(), qint16(clsRecordset::NoRow));
        QVERIFY(box.shown.isEmpty());
    }

    void start_data() { qrvtest::addEngineRows(); }
    void start() {
        useFreshDatabase();
        ScriptedMessageBox box;
        const qint64 due =
            qrvtest::scalar(m_db, QStringLiteral("Select Codice from Tavoli Where Numero = '2'"))
                .toLongLong();
        clsRecordset rs;
        rs.Apri(QStringLiteral("Prova"), true, QStringLiteral("Select * from Tavoli Where CodiceSala = 1;"),
                false, true);
        QVERIFY(rs.Start(QStringLiteral("Prova"), QStringLiteral("codice"), QStringLiteral("="),
                         QString::number(due)));
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
        QCOMPARE(fieldText(rs, QStringLiteral("Descrizione")), QStringLiteral("Due"));

        QVERIFY(rs.Start(QStringLiteral("Prova"), QStringLiteral("CodiceSala"), QStringLiteral("="),
                         QStringLiteral("1"), QStringLiteral("Numero"), QStringLiteral("<>"),
                         QStringLiteral("'1'")));
        QVERIFY(fieldText(rs, QStringLiteral("Numero")) != QStringLiteral("1"));

        QVERIFY(!rs.Start(QStringLiteral("Prova"), QStringLiteral("Numero"), QStringLiteral("="),
                          QStringLiteral("'20'")));
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NotFound));

        // Without Chiave2 the second condition is left out, even when given.
        QVERIFY(rs.Start(QStringLiteral("Prova"), QStringLiteral("Numero"), QStringLiteral("="),
                         QStringLiteral("'3'"), QString(), QStringLiteral("="), QStringLiteral("'nessuno'")));
        QCOMPARE(fieldText(rs, QStringLiteral("Descrizione")), QStringLiteral("Tre"));
        rs.Chiudi();

        // On an empty result set nothing is searched: not even a condition that cannot be parsed.
        rs.Apri(QStringLiteral("Prova"), true, QStringLiteral("Select * from Tavoli Where CodiceSala = 7;"),
                false, true);
        QVERIFY(!rs.Start(QStringLiteral("Prova"), QStringLiteral("codice"), QStringLiteral("=("),
                          QStringLiteral("???")));
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NotFound));
        rs.Chiudi();
        QVERIFY(box.shown.isEmpty());
    }

    void failures_data() { qrvtest::addEngineRows(); }
    void failures() {
        useFreshDatabase();
        ScriptedMessageBox box;
        const QString query = QStringLiteral("Select * from TavoliSbagliati Where Codice = 1;");
        clsRecordset rs;
        rs.Apri(QStringLiteral("CaricaTavoli"), true, query, false, true);
        QCOMPARE(box.shown.size(), 1);
        QCOMPARE(box.shown[0].title, apriTitle);
        QCOMPARE(box.shown[0].flags, MessageBox::vbRetryCancel + MessageBox::vbCritical);
        const QString head = QStringLiteral("Errore nel metodo Apri (tabella:") + query +
                             QStringLiteral(" ) chiamato da CaricaTavoli\r\n");
        QVERIFY2(box.shown[0].text.startsWith(head), qPrintable(box.shown[0].text));
        QVERIFY2(
            QRegularExpression(QStringLiteral("^\\d+ \\S.*$"), QRegularExpression::DotMatchesEverythingOption)
                .match(box.shown[0].text.mid(head.size()))
                .hasMatch(),
            qPrintable(box.shown[0].text));
        // Cancelled: the callers, who only test for 10, must not read rows that are not there.
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));
        QVERIFY(!rs.ilRecordset());
        rs.LeggiNext();
        rs.MoveFirst();
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));
        QVERIFY(!rs.Start(QStringLiteral("Prova"), QStringLiteral("codice"), QStringLiteral("="),
                          QStringLiteral("1")));
        rs.Chiudi();
        QCOMPARE(box.shown.size(), 1);

        // Retry repeats the open: twice refused, then cancelled.
        box.shown.clear();
        box.answers = {MessageBox::vbRetry, MessageBox::vbRetry, MessageBox::vbCancel};
        rs.Apri(QStringLiteral("CaricaTavoli"), true, query, false, true);
        QCOMPARE(box.shown.size(), 3);
        QCOMPARE(box.shown[2].text, box.shown[0].text);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));
        rs.Chiudi();
    }

    void failuresOfTheOtherMethods_data() { qrvtest::addEngineRows(); }
    void failuresOfTheOtherMethods() {
        useFreshDatabase();
        ScriptedMessageBox box;
        const QString query = QStringLiteral("Select * from Tavoli Where CodiceSala = 1;");
        clsRecordset rs;
        rs.Apri(QStringLiteral("Prova"), true, query, false, true);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
        // Rows closed behind the wrapper's back: every move now fails in the access layer.
        rs.ilRecordset()->Close();
        const QString closed =
            QStringLiteral("\r\n") + QString::number(qrv::dao::DaoErrorCode::ObjectClosed) + QLatin1Char(' ');
        const int retryCancel = MessageBox::vbRetryCancel + MessageBox::vbCritical;

        box.answers = {MessageBox::vbRetry, MessageBox::vbCancel};
        rs.LeggiNext(QStringLiteral("CaricaTavoli"));
        QCOMPARE(box.shown.size(), 2);
        QVERIFY2(
            box.shown[1].text.startsWith(QStringLiteral("Errore nel metodo LeggiNext chiamato da CaricaTavoli"
                                                        "\r\nRecordset:") +
                                         query + closed),
            qPrintable(box.shown[1].text));
        QCOMPARE(box.shown[1].title, apriTitle);
        QCOMPARE(box.shown[1].flags, retryCancel);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow)); // the reading loop ends

        rs.AzzeraErrore();
        QString routine;
        rs.MoveFirst(routine);
        QCOMPARE(box.shown.size(), 3);
        QVERIFY2(
            box.shown[2].text.startsWith(QStringLiteral("Errore nel metodo MoveFirst chiamato da Prova\r\n"
                                                        "Recordset:") +
                                         query + closed),
            qPrintable(box.shown[2].text));
        QCOMPARE(box.shown[2].title, QStringLiteral("clsRecordset"));
        QCOMPARE(box.shown[2].flags, retryCancel);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));

        QVERIFY(!rs.Start(QStringLiteral("SalvaPosizionecmdArt"), QStringLiteral("codice"),
                          QStringLiteral("="), QStringLiteral("12"), QStringLiteral("Numero"),
                          QStringLiteral("<>"), QStringLiteral("'3'")));
        QCOMPARE(box.shown.size(), 4);
        QVERIFY2(box.shown[3].text.startsWith(
                     QStringLiteral("Errore nel metodo Start chiamato da SalvaPosizionecmdArt"
                                    "\r\ncodice = 12 and Numero <> '3'") +
                     closed),
                 qPrintable(box.shown[3].text));
        QCOMPARE(box.shown[3].title, apriTitle);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));

        rs.CancellazioneRecordSet(QStringLiteral("Prova"));
        QCOMPARE(box.shown.size(), 5);
        QVERIFY2(box.shown[4].text.startsWith(
                     QStringLiteral("Errore nel metodo CancellazioneRecordset chiamato da "
                                    "Prova\r\nRecordset:") +
                     query + closed),
                 qPrintable(box.shown[4].text));
        QCOMPARE(box.shown[4].title, apriTitle);
        QCOMPARE(box.shown[4].flags, MessageBox::vbOKOnly + MessageBox::vbCritical);

        rs.Chiudi();
        QCOMPARE(box.shown.size(), 5);
        QCOMPARE(qrvtest::scalar(m_db, QStringLiteral("Select count(*) from Tavoli")).toInt(), 4);
    }

    void retryAfterTheCauseIsMended_data() { qrvtest::addEngineRows(); }
    void retryAfterTheCauseIsMended() {
        useFreshDatabase();
        // The operator has the missing rows' table made before answering Retry.
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
        rs.Apri(QStringLiteral("Prova"), true, QStringLiteral("Select Codice from Extra"), false, true);
        QCOMPARE(box.shown.size(), 1);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
        QCOMPARE(rs.ilRecordset()->Field(QStringLiteral("Codice")).toInt(), 5);
        rs.Chiudi();
    }

    void databaseChoice_data() { qrvtest::addEngineRows(); }
    void databaseChoice() {
        useFreshDatabase();
        QFETCH(QString, engine);
        ScriptedMessageBox box;
        const QString query = QStringLiteral("Select * from Tavoli;");

        // The object's own database goes before the shared one.
        DatabasePtr own = qrvtest::freshDatabase(engine);
        clsRecordset rs;
        rs.setDataBase(own);
        rs.Apri(QStringLiteral("Prova"), true, query, false, true);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));
        rs.Chiudi();

        // Neither set: a database failure for the operator, not a crash.
        SharedState::current().DataBase.reset();
        clsRecordset none;
        none.Apri(QStringLiteral("Prova"), true, query, false, true);
        QCOMPARE(box.shown.size(), 1);
        QVERIFY(box.shown[0].text.contains(QStringLiteral("DataBase")));
        QCOMPARE(none.Errore(), qint16(clsRecordset::NoRow));
        none.Chiudi();
    }

    void otherTillsRowsAreSeen_data() { qrvtest::addEngineRows(); }
    void otherTillsRowsAreSeen() {
        useFreshDatabase();
        ScriptedMessageBox box;
        DatabasePtr otherTill = qrv::dao::Database::open(qrvtest::urlOf(m_db));
        const QString query = QStringLiteral("Select * from Tavoli Where CodiceSala = 3;");
        clsRecordset rs;
        rs.Apri(QStringLiteral("Prova"), true, query, false, true);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));
        rs.Chiudi();
        addTable(otherTill, QStringLiteral("30"), QStringLiteral("Trenta"), 3);
        rs.Apri(QStringLiteral("Prova"), true, query, false, true);
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
        QCOMPARE(fieldText(rs, QStringLiteral("Descrizione")), QStringLiteral("Trenta"));
        rs.Chiudi();
        QVERIFY(box.shown.isEmpty());
    }

    void deletionAndFields_data() { qrvtest::addEngineRows(); }
    void deletionAndFields() {
        useFreshDatabase();
        ScriptedMessageBox box;
        clsRecordset rs;
        rs.Apri(QStringLiteral("Prova"), false,
                QStringLiteral("Select Codice, Numero from Tavoli Where CodiceSala = 1"), false, true);
        QCOMPARE(rs.QuantiCampi(), 2);
        QCOMPARE(rs.TipoCampo(QStringLiteral("NUMERO")),
                 rs.ilRecordset()->FieldType(QStringLiteral("Numero")));
        QCOMPARE(rs.TipoCampo(QStringLiteral("Nessuno")), 0);
        rs.CancellazioneRecordSet(QStringLiteral("Prova"));
        rs.Chiudi();
        QCOMPARE(
            qrvtest::scalar(m_db, QStringLiteral("Select count(*) from Tavoli Where CodiceSala = 1")).toInt(),
            0);
        QCOMPARE(qrvtest::scalar(m_db, QStringLiteral("Select count(*) from Tavoli")).toInt(), 1);
        QVERIFY(box.shown.isEmpty());
    }

    void lockInOneProcess_data() { qrvtest::addEngineRows(); }
    void lockInOneProcess() {
        useFreshDatabase();
        ScriptedMessageBox box;
        const QString query = QStringLiteral("Tavoli");
        clsRecordset holder;
        holder.Apri(QStringLiteral("Prova"), false, query, true, false);
        QCOMPARE(holder.Errore(), qint16(clsRecordset::Ok));
        QVERIFY(QFile::exists(archiveFile(QStringLiteral("Tavoli.txt"))));
        QFile marker(archiveFile(QStringLiteral("user_Tavoli.txt")));
        QVERIFY(marker.exists());
        QCOMPARE(marker.size(), 0);
        // The rest of the till system names the holder in the marker.
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.write("Cassa 2\r\naltro\r\n");
        marker.close();

        clsRecordset second;
        second.Apri(QStringLiteral("Prova"), false, query, true, false);
        QCOMPARE(second.Errore(), qint16(clsRecordset::LockRefused));
        QVERIFY(!second.ilRecordset());
        QCOMPARE(box.shown.size(), 1);
        QCOMPARE(box.shown[0].text, QStringLiteral("File Tavoli già aperto in uso esclusivo da Cassa 2"));
        QCOMPARE(box.shown[0].title, QStringLiteral("qrvTavoli"));
        QCOMPARE(box.shown[0].flags, int(MessageBox::vbOKOnly));
        // The refused object holds nothing: closing it leaves the holder's file alone.
        second.Chiudi();
        QVERIFY(QFile::exists(archiveFile(QStringLiteral("Tavoli.txt"))));

        // A waiting open returns once the holder closes (here from a timer that runs while it waits).
        QTimer::singleShot(300, this, [&holder] { holder.Chiudi(); });
        QElapsedTimer waited;
        waited.start();
        second.Apri(QStringLiteral("Prova"), false, query, true, true);
        QVERIFY(waited.elapsed() >= 250);
        QCOMPARE(second.Errore(), qint16(clsRecordset::Ok));
        QCOMPARE(box.shown.size(), 1);
        QVERIFY(QFile::exists(archiveFile(QStringLiteral("Tavoli.txt"))));
        second.Chiudi();
        QVERIFY(!QFile::exists(archiveFile(QStringLiteral("Tavoli.txt"))));
        QVERIFY(QFile::exists(archiveFile(QStringLiteral("user_Tavoli.txt"))));
    }

    void chiudiWithoutLockDeletesNothing_data() { qrvtest::addEngineRows(); }
    void chiudiWithoutLockDeletesNothing() {
        useFreshDatabase();
        ScriptedMessageBox box;
        QFile other(archiveFile(QStringLiteral("Tavoli.txt")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        clsRecordset rs;
        rs.Apri(QStringLiteral("Prova"), true, QStringLiteral("Tavoli"), false, true);
        rs.Chiudi();
        rs.Chiudi();
        QVERIFY(other.exists());
        QVERIFY(box.shown.isEmpty());
    }

    void lockAcrossProcesses_data() { qrvtest::addEngineRows(); }
    void lockAcrossProcesses() {
        useFreshDatabase();
        ScriptedMessageBox box;
        const QString query = QStringLiteral("Select Codice from Tavoli Where CodiceSala = 1");
        {
            LockHolder otherTill;
            QVERIFY(otherTill.start(m_db, m_archive->path(), query, -1));
            clsRecordset rs;
            rs.Apri(QStringLiteral("Prova"), false, query, true, false);
            QCOMPARE(rs.Errore(), qint16(clsRecordset::LockRefused));
            QCOMPARE(box.shown.size(), 1);
            QCOMPARE(box.shown[0].text,
                     QStringLiteral("File ") + query + QStringLiteral(" già aperto in uso esclusivo da "));
            rs.Chiudi();
            otherTill.release();
            QVERIFY(otherTill.finish());
            rs.Apri(QStringLiteral("Prova"), false, query, true, false);
            QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
            rs.Chiudi();
        }
        {
            // A till that dies loses its lock at once.
            LockHolder otherTill;
            QVERIFY(otherTill.start(m_db, m_archive->path(), query, -1));
            otherTill.kill();
            clsRecordset rs;
            rs.Apri(QStringLiteral("Prova"), false, query, true, false);
            QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
            rs.Chiudi();
        }
        {
            // Waiting: Apri returns when the other till closes, about 300 ms later.
            LockHolder otherTill;
            QVERIFY(otherTill.start(m_db, m_archive->path(), query, 300));
            clsRecordset rs;
            rs.Apri(QStringLiteral("Prova"), false, query, true, true);
            QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
            QVERIFY(otherTill.waitFor("released"));
            QVERIFY(otherTill.finish());
            // Ours now, even though the holder deleted the file it had locked.
            QVERIFY(QFile::exists(archiveFile(query + QStringLiteral(".txt"))));
            LockHolder third;
            QVERIFY(!third.start(m_db, m_archive->path(), query, -1));
            rs.Chiudi();
        }
        QCOMPARE(box.shown.size(), 1);
    }

    void lockThatCannotBeTaken_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("archiveName");
        QTest::addColumn<int>("errorNumber");
        const QStringList engines = qrvtest::engines();
        for (const QString &engine : engines) {
            QTest::addRow("%s: asterisk", qPrintable(engine))
                << engine << QStringLiteral("Select * from Tavoli") << QString() << 52;
            QTest::addRow("%s: slash", qPrintable(engine))
                << engine << QStringLiteral("Select Codice/2 from Tavoli") << QString() << 52;
            QTest::addRow("%s: missing archive folder", qPrintable(engine))
                << engine << QStringLiteral("Tavoli") << QStringLiteral("nessuna-cartella") << 76;
        }
    }
    void lockThatCannotBeTaken() {
        QFETCH(QString, query);
        QFETCH(QString, archiveName);
        QFETCH(int, errorNumber);
        useFreshDatabase();
        if (!archiveName.isEmpty())
            SharedState::current().ilPathArchivi = archiveFile(archiveName);
        const QString lockPath =
            SharedState::current().ilPathArchivi + QLatin1Char('/') + query + QStringLiteral(".txt");
        ScriptedMessageBox box;
        clsRecordset rs;
        rs.Apri(QStringLiteral("Prova"), true, query, true, false);
        QCOMPARE(box.shown.size(), 1);
        QCOMPARE(box.shown[0].title, QStringLiteral("Errore"));
        QCOMPARE(box.shown[0].flags, MessageBox::vbOKOnly + MessageBox::vbCritical);
        const QString head = QStringLiteral("Errore in BloccaSblocca aprendo ") + lockPath +
                             QStringLiteral("\r\n") + QString::number(errorNumber) + QLatin1Char(' ');
        QVERIFY2(box.shown[0].text.startsWith(head), qPrintable(box.shown[0].text));
        // The query runs without a lock.
        QCOMPARE(rs.Errore(), qint16(clsRecordset::Ok));
        QVERIFY(rs.ilRecordset());
        rs.Chiudi();
        QCOMPARE(QDir(m_archive->path()).entryList(QDir::Files), QStringList());
        QCOMPARE(box.shown.size(), 1);
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
