#include "core/data/clsRecordset.h"
#include "core/data/dao/Recordset.h"
#include "support/Till.h"
#include "support/VenueRows.h"

#include <QtTest>

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
        for (; rs.Errore() == clsRecordset::Ok; rs.LeggiNext()) // unchanged by LeggiNext in the middle
            read << fieldText(rs, u"Numero"_s);
        QCOMPARE(read, QStringList({u"1"_s, u"2"_s, u"3"_s}));
        QCOMPARE(rs.Errore(), qint16(clsRecordset::NoRow));
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

        // Its own database goes before the shared one.
        QFETCH_GLOBAL(QString, engine);
        clsRecordset own;
        own.setDataBase(qrvtest::freshDatabase(engine));
        QCOMPARE(open(own, u"Select * from Tavoli;"_s), qint16(clsRecordset::NoRow));
        QCOMPARE(m_box->shown.size(), 1);

        // No database at all: a failure for the operator, not a crash.
        SharedState::current().DataBase.reset();
        QCOMPARE(open(rs, u"Select * from Tavoli;"_s), qint16(clsRecordset::NoRow));
        QVERIFY(m_box->shown.last().text.contains(u"DataBase"_s));
        SharedState::current().DataBase = m_db;
        {
            // Retry repeats the open, telling the same failure again, until the cause is mended (the
            // operator has the table made at the second message): then the rows are read.
            struct MendingBox : ScriptedMessageBox {
                DatabasePtr db;
                int show(const QString &text, int flags, const QString &title) override {
                    ScriptedMessageBox::show(text, flags, title);
                    if (shown.size() == 2)
                        db->Execute(u"Create table Extra as Select 5 as Codice"_s);
                    return vbRetry;
                }
            } box;
            box.db = m_db;
            QCOMPARE(open(rs, u"Select Codice from Extra"_s), qint16(clsRecordset::Ok));
            QCOMPARE(box.shown.size(), 2);
            QCOMPARE(box.shown[1].text, box.shown[0].text);
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

    // Lock files refuse a second holder whether it is another object or another till (test_ordermove
    // covers the one lock file class across processes, and a till killed holding it).
    void lockInOneProcess() {
        const QString query = u"Select Codice from Tavoli Where CodiceSala = 1"_s;
        const QString lockFile = archiveFile(query + u".txt"_s);
        clsRecordset holder, second;
        QCOMPARE(open(holder, query, true, false), qint16(clsRecordset::Ok));
        QVERIFY(QFile::exists(lockFile));
        QFile marker(archiveFile(u"user_"_s + query + u".txt"_s));
        QCOMPARE(marker.size(), 0);
        QCOMPARE(open(second, query, true, false), qint16(clsRecordset::LockRefused));
        // The rest of the till system names the holder in the marker.
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.write("Cassa 2\r\naltro\r\n");
        marker.close();
        QCOMPARE(open(second, query, true, false), qint16(clsRecordset::LockRefused));
        QVERIFY(!second.ilRecordset());
        const QString refused = u"File "_s + query + u" già aperto in uso esclusivo da "_s;
        QCOMPARE(m_box->shown.size(), 2);
        QCOMPARE(m_box->shown[0].text + u'|' + m_box->shown[1].text, refused + u'|' + refused + u"Cassa 2"_s);
        QCOMPARE(m_box->shown[1].title + QString::number(m_box->shown[1].flags), u"qrvTavoli0"_s);
        // The refused object holds nothing: closing it leaves the holder's file alone.
        second.Chiudi();
        QVERIFY(QFile::exists(lockFile));

        // A waiting open returns once the holder closes (here from a timer that runs while it waits).
        QTimer::singleShot(300, this, [&holder] { holder.Chiudi(); });
        QCOMPARE(open(second, query, true, true), qint16(clsRecordset::Ok));
        QVERIFY(!holder.ilRecordset());
        // Ours now, even though the holder deleted the file it had locked.
        QVERIFY(QFile::exists(lockFile));
        QCOMPARE(open(holder, query, true, false), qint16(clsRecordset::LockRefused));
        QCOMPARE(m_box->shown.size(), 3);
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
        QCOMPARE(m_box->shown.size(), 3);
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

QTEST_GUILESS_MAIN(TestClsRecordset)

#include "test_clsrecordset.moc"
