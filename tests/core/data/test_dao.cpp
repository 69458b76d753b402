// The access layer on real databases: every test body runs on SQLite and on PostgreSQL.

#include "core/data/dao/Database.h"
#include "core/data/dao/JetSql.h"
#include "core/data/dao/Recordset.h"
#include "core/data/dao/Workspace.h"
#include "support/PgWireProxy.h"
#include "support/TestDatabases.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>

using namespace qrv::dao;
using qrvtest::demoDatabase;

namespace {

/** Reads one value straight through Qt SQL, past the recordset code under test. */
QVariant raw(const std::shared_ptr<Database> &db, const QString &jetSql) {
    QSqlQuery q(db->connection());
    if (!q.exec(translateJet(jetSql, db->engine())) || !q.next())
        return QVariant();
    return q.value(0);
}

qint64 count(const std::shared_ptr<Database> &db, const QString &where) {
    return raw(db, QStringLiteral("Select count(*) from ") + where).toLongLong();
}

std::shared_ptr<Database> secondConnection(const std::shared_ptr<Database> &db) {
    return Database::open(qrvtest::urlOf(db));
}

} // namespace

// Runs expr and checks that it throws DaoError with the given number and some description.
#define QVERIFY_DAO_ERROR(expr, expected)                                                                    \
    do {                                                                                                     \
        bool thrown_ = false;                                                                                \
        try {                                                                                                \
            expr;                                                                                            \
        } catch (const DaoError &e_) {                                                                       \
            thrown_ = true;                                                                                  \
            QCOMPARE(e_.number(), int(expected));                                                            \
            QVERIFY2(!e_.description().isEmpty(), #expr);                                                    \
        }                                                                                                    \
        QVERIFY2(thrown_, "no DaoError from " #expr);                                                        \
    } while (0)

// Every test runs on each engine, on its own copy of the demo venue (m_db).
class TestDao : public QObject {
    Q_OBJECT

    std::shared_ptr<Database> m_db;

private slots:
    void initTestCase_data() { qrvtest::addEngineRows(); }
    void init() {
        QFETCH_GLOBAL(QString, engine);
        m_db = demoDatabase(engine);
    }
    void cleanup() { m_db.reset(); }

    void openErrors() {
        QFETCH_GLOBAL(QString, engine);
        QStringList bad;
        if (engine == QLatin1String("sqlite")) {
            QTemporaryDir dir;
            QFile garbage(dir.filePath(QStringLiteral("garbage.db")));
            QVERIFY(garbage.open(QIODevice::WriteOnly));
            garbage.write(QByteArray(4096, 'x'));
            garbage.close();
            bad = QStringList{QStringLiteral("sqlite:/qrv-no-such-folder/venue.db"),
                              QStringLiteral("sqlite:"), QStringLiteral("sqlite:") + garbage.fileName(),
                              QStringLiteral("mysql://host/m_db")};
        } else {
            QString missing = qrvtest::urlOf(m_db);
            missing.replace(QRegularExpression(QStringLiteral("qrvtest_[0-9_]+")),
                            QStringLiteral("qrv_no_such_db"));
            bad =
                QStringList{missing, QStringLiteral("postgresql://host:notaport/m_db"),
                            QStringLiteral("postgresql:///m_db?host=/qrv-no-such-socket-dir&user=postgres")};
            // The message names the engine's reason.
            try {
                Database::open(missing);
            } catch (const DaoError &e) {
                QVERIFY2(e.description().contains(QLatin1String("qrv_no_such_db")),
                         qPrintable(e.description()));
            }
        }
        for (const QString &url : std::as_const(bad))
            QVERIFY_DAO_ERROR(Database::open(url), DaoErrorCode::OpenFailed);
    }

    void readRows() {
        // No rows: at the end and at the start at once; nothing to move to or read.
        auto none = m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where Codice = -5;"));
        QCOMPARE(none->RecordCount(), 0);
        QVERIFY(none->Eof());
        QVERIFY(none->Bof());
        QVERIFY_DAO_ERROR(none->MoveFirst(), DaoErrorCode::NoCurrentRecord);
        QVERIFY_DAO_ERROR(none->Field(QStringLiteral("Numero")), DaoErrorCode::NoCurrentRecord);
        QCOMPARE(none->FieldCount(), 11);

        // One row: current at once; one MoveNext reaches the end, a second one is an error.
        auto one = m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where Codice = 4;"));
        QCOMPARE(one->RecordCount(), 1);
        QCOMPARE(one->Field(QStringLiteral("numero")).toString(), QStringLiteral("4"));
        QCOMPARE(one->Field(QStringLiteral("DESCRIZIONE")).toString(), QStringLiteral("Dell'Orto"));
        QCOMPARE(one->Field(QStringLiteral("Codice")).typeId(), int(QMetaType::LongLong)); // on every engine
        one->MoveNext();
        QVERIFY(one->Eof());
        QVERIFY_DAO_ERROR(one->Field(QStringLiteral("Numero")), DaoErrorCode::NoCurrentRecord);
        QVERIFY_DAO_ERROR(one->MoveNext(), DaoErrorCode::NoCurrentRecord);

        // Many rows in the order asked for.
        auto many = m_db->OpenRecordset(
            QStringLiteral("Select * from DettaglioTavoli Where Tavolo = 12 order by ID;"));
        QCOMPARE(qint64(many->RecordCount()),
                 count(m_db, QStringLiteral("DettaglioTavoli Where Tavolo = 12")));
        qint64 previous = 0;
        for (; !many->Eof(); many->MoveNext()) {
            QVERIFY(many->Field(QStringLiteral("ID")).toLongLong() > previous);
            previous = many->Field(QStringLiteral("ID")).toLongLong();
        }
        many->MoveLast();
        QCOMPARE(many->Field(QStringLiteral("ID")).toLongLong(), previous);

        // Empty columns come back null; an empty text is not null.
        auto texts = m_db->OpenRecordset(
            QStringLiteral("Select Codice, Descrizione from Tavoli Where Codice in (2, 3) order by Codice"));
        QVERIFY(texts->Field(QStringLiteral("Descrizione")).isNull());
        texts->MoveNext();
        QVERIFY(!texts->Field(QStringLiteral("Descrizione")).isNull());
        QCOMPARE(texts->Field(QStringLiteral("Descrizione")).toString(), QString());

        // Field names and types, matched without regard to case.
        auto typed = m_db->OpenRecordset(QStringLiteral("Select * from DettaglioTavoli Where ID = 1"));
        QCOMPARE(typed->FieldNames().size(), 8);
        QCOMPARE(typed->FieldType(QStringLiteral("Importo")), int(QMetaType::Double));
        QCOMPARE(typed->FieldType(QStringLiteral("descrizione")), int(QMetaType::QString));
        QVERIFY_DAO_ERROR(typed->Field(QStringLiteral("Nope")), DaoErrorCode::FieldNotFound);
    }

    void rowsSurviveOtherStatements() {
        // Two recordsets read in turn while statements run on the same connection.
        auto lines = m_db->OpenRecordset(
            QStringLiteral("Select * from DettaglioTavoli Where Tavolo = 12 order by ID;"));
        auto tables = m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where CodiceSala = 1;"));
        const int expectedLines = lines->RecordCount();
        int readLines = 0, readTables = 0;
        while (!lines->Eof()) {
            m_db->Execute(QStringLiteral("Update Tavoli Set OraUltimoOrdine = '13:30' Where Codice = 12"));
            QVERIFY(!lines->Field(QStringLiteral("Descrizione")).toString().isEmpty());
            ++readLines;
            lines->MoveNext();
            if (!tables->Eof()) {
                ++readTables;
                tables->MoveNext();
            }
        }
        QCOMPARE(readLines, expectedLines);
        QCOMPARE(readTables, qMin(expectedLines, 16));
    }

    void statementsOfTheComponent() {
        struct Query {
            const char *sql;
            int rows;
            const char *field;
            QVariant first;
        };
        const Query queries[] = {
            {"Select * from Tavoli Where CodiceSala = 1;", 16, "CodiceSala", 1},
            {"Select ID_Scontrino, Codice, Occupato from Tavoli Where codice = 12;", 1, "Occupato", true},
            {"Select * from Sale Where Codice <> 9999 Order by Codice;", 3, "Descrizione",
             QStringLiteral("Sala")},
            {"Select * from Sale;", 4, "Codice", QVariant()},
            {"Select * from DettaglioTavoli Where Tavolo = 1 order by ID;", 4, "ID", 1},
            {"Tavoli", 42, "Codice", QVariant()},
            {"Select Numero from Tavoli Where Numero = '12';", 1, "Numero", QStringLiteral("12")},
            {"Select Numero from Tavoli Where Numero = '';", 0, "Numero", QVariant()},
            {"Select Occupato from Tavoli Where Codice = 2;", 1, "Occupato", false},
            {"Select Descrizione from Tavoli Where Numero = '999' and Codice = 41", 1, "Descrizione",
             QStringLiteral("Rossi Mario")},
            {"Select Descrizione from Articoli Where Codice = 15;", 1, "Descrizione",
             QStringLiteral("Pizza all'ortolana")},
        };
        for (const Query &q : queries) {
            const QString sql = QString::fromUtf8(q.sql);
            auto rs = m_db->OpenRecordset(sql);
            QVERIFY2(rs->RecordCount() == q.rows, qPrintable(sql));
            if (q.first.isValid())
                QVERIFY2(rs->Field(QLatin1String(q.field)) == q.first, qPrintable(sql));
        }

        // The lines of a receipt with their article's description beside them: the lines' columns as
        // ever, and each row still written back by its key.
        auto lines = m_db->OpenRecordset(QStringLiteral(
            "Select *, (Select Descrizione from Articoli Where Articoli.Codice = "
            "DettaglioTavoli.Codice Limit 1) As DescrizioneArticolo from DettaglioTavoli Where Tavolo = 1 "
            "order by ID;"));
        QCOMPARE(lines->RecordCount(), 4);
        lines->MoveNext();
        QCOMPARE(lines->Field(QStringLiteral("Descrizione")).toString(),
                 QStringLiteral("+ mozzarella di bufala"));
        QCOMPARE(lines->Field(QStringLiteral("DescrizioneArticolo")).toString(),
                 QStringLiteral("Pizza Margherita"));
        lines->Edit();
        lines->setField(QStringLiteral("Quantita"), 3);
        lines->Update();
        QCOMPARE(raw(m_db, QStringLiteral("Select Quantita from DettaglioTavoli Where ID = 2")).toInt(), 3);

        struct Statement {
            const char *sql;
            int affected;
        };
        const Statement statements[] = {
            {"Update DettaglioTavoli Set Quantita = 1, Importo =  7 Where ID = 1", 1},
            {"Delete * from DettaglioTavoli Where Tavolo = 1 and ID = 4", 1},
            {"Update DettaglioTavoli set Tavolo = 2 Where Tavolo = 1", 3},
            {"Update Tavoli Set Occupato = True, Descrizione = 'Famiglia Conti' Where Codice = 2", 1},
            {"Update Tavoli Set Occupato = False, OraOccupato='', OraUltimoOrdine='', Descrizione = '' Where "
             "Codice = 1",
             1},
            {"Delete * from DettaglioTavoli Where Tavolo = 4", 7},
            {"Delete * from Tavoli Where Codice = 16", 1},
            {"Delete * from Tavoli Where Codice = 9998", 0},
            {"Delete * from Sale Where Codice = 3;", 1},
            {"Delete * from Tavoli Where CodiceSala = 3;", 10},
        };
        for (const Statement &s : statements) {
            const QString sql = QString::fromUtf8(s.sql);
            QVERIFY2(m_db->Execute(sql) == s.affected, qPrintable(sql));
        }
        QCOMPARE(raw(m_db, QStringLiteral("Select Importo from DettaglioTavoli Where ID = 1")).toDouble(),
                 7.0);
        QCOMPARE(count(m_db, QStringLiteral("DettaglioTavoli Where Tavolo = 2")), 3);
        QCOMPARE(count(m_db, QStringLiteral("DettaglioTavoli Where Tavolo = 1 or Tavolo = 4")), 0);
        QCOMPARE(raw(m_db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 2")).toString(),
                 QStringLiteral("Famiglia Conti"));
        QCOMPARE(count(m_db, QStringLiteral("Tavoli Where Occupato = True and Codice in (1, 2)")), 1);
        QCOMPARE(count(m_db, QStringLiteral("Tavoli")), 42 - 11);
        QCOMPARE(count(m_db, QStringLiteral("Sale")), 3);
    }

    void findFirst() {
        auto rs = m_db->OpenRecordset(QStringLiteral("Tavoli"));

        rs->FindFirst(QStringLiteral("Numero = '999' and Descrizione = 'bianchi laura'"));
        QCOMPARE(rs->Field(QStringLiteral("Codice")).toLongLong(), 42);

        rs->FindFirst(QStringLiteral("CodiceSala = 2 AND Occupato = True"));
        QCOMPARE(rs->Field(QStringLiteral("Codice")).toLongLong(), 19);
        rs->FindFirst(QStringLiteral("Descrizione = 'Dell''Orto'"));
        QCOMPARE(rs->Field(QStringLiteral("Codice")).toLongLong(), 4);

        // Not found: the flag is set and the current row stays where it was.
        rs->FindFirst(QStringLiteral("codice = 9999"));
        QVERIFY(rs->NoMatch());
        QCOMPARE(rs->Field(QStringLiteral("Codice")).toLongLong(), 4);

        QVERIFY_DAO_ERROR(rs->FindFirst(QStringLiteral("codice = = 2")), DaoErrorCode::SyntaxError);
        QVERIFY_DAO_ERROR(rs->FindFirst(QStringLiteral("Nope = 2")), DaoErrorCode::FieldNotFound);

        auto none = m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where Codice = -1"));
        none->FindFirst(QStringLiteral("codice = 1"));
        QVERIFY(none->NoMatch());
    }

    void addNewReadsTheNewKey() {
        // A new table through the whole-table recordset, as the layout editor adds one.
        auto tables = m_db->OpenRecordset(QStringLiteral("Tavoli"));
        tables->setLockEdits(true);
        tables->AddNew();
        tables->setField(QStringLiteral("Numero"), QStringLiteral("50"));
        tables->setField(QStringLiteral("Descrizione"), QStringLiteral("Tavolo dell'angolo"));
        tables->setField(QStringLiteral("Left"), 4400);
        tables->Update();
        QCOMPARE(tables->Field(QStringLiteral("Codice")).toLongLong(), 43);
        QCOMPARE(tables->RecordCount(), 43);
        QCOMPARE(tables->Field(QStringLiteral("Occupato")), QVariant(false)); // the column's default
        QCOMPARE(raw(m_db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 43")).toString(),
                 QStringLiteral("Tavolo dell'angolo"));

        // A line as the quick-add writes it: the table code as text, converted to the column's type.
        auto lines = m_db->OpenRecordset(
            QStringLiteral("Select * from DettaglioTavoli Where Tavolo = 5 order by ID;"));
        lines->AddNew();
        lines->setField(QStringLiteral("Codice"), qint16(7));
        lines->setField(QStringLiteral("Tavolo"), QStringLiteral("5"));
        lines->setField(QStringLiteral("Descrizione"), QStringLiteral("Caffè"));
        lines->setField(QStringLiteral("Importo"), 1.2);
        lines->Update();
        QCOMPARE(lines->Field(QStringLiteral("ID")).toLongLong(), 36);
        QCOMPARE(raw(m_db, QStringLiteral("Select Tavolo from DettaglioTavoli Where ID = 36")).toLongLong(),
                 5);

        // Inside a transaction the new keys are right and the rows survive the commit.
        Workspace ws(m_db);
        ws.BeginTrans();
        for (int quantita : {2, 3}) {
            lines->AddNew();
            lines->setField(QStringLiteral("Tavolo"), 5);
            lines->setField(QStringLiteral("Quantita"), quantita);
            lines->Update();
        }
        QCOMPARE(lines->Field(QStringLiteral("ID")).toLongLong(), 38);
        ws.CommitTrans();
        QCOMPARE(raw(secondConnection(m_db),
                     QStringLiteral("Select sum(Quantita) from DettaglioTavoli Where ID in (37, 38)"))
                     .toInt(),
                 5);
    }

    void editWritesByKey() {
        const auto other = secondConnection(m_db);
        const auto stored = [&](const QString &column, int codice) {
            return raw(other,
                       QStringLiteral("Select %1 from Tavoli Where Codice = %2").arg(column).arg(codice));
        };
        const QString text = QStringLiteral("L'angolo di Sant'Anna; -- 'x'");
        for (const bool lock : {false, true}) {
            const QString written = text + QString::number(lock);
            auto rs = m_db->OpenRecordset(
                QStringLiteral("Select Codice,Numero, Descrizione from Tavoli Where codice = 5"));
            rs->setLockEdits(lock);
            rs->Edit();
            rs->setField(QStringLiteral("Descrizione"), written);
            rs->Update();
            QCOMPARE(rs->Field(QStringLiteral("Descrizione")).toString(), written);
            QCOMPARE(stored(QStringLiteral("Descrizione"), 5).toString(), written);
            QVERIFY(!m_db->inTransaction());
        }
        QCOMPARE(count(m_db, QStringLiteral("Tavoli Where Descrizione like 'L''angolo%'")), 1);

        // The position of a dragged table; CancelUpdate writes nothing.
        auto pos =
            m_db->OpenRecordset(QStringLiteral("Select Codice, Top, Left from Tavoli Where codice = 12"));
        pos->setLockEdits(true);
        pos->Edit();
        pos->setField(QStringLiteral("Top"), 1400);
        pos->setField(QStringLiteral("Left"), 2600.0);
        pos->Update();
        pos->Edit();
        pos->setField(QStringLiteral("Top"), 9999);
        pos->CancelUpdate();
        QCOMPARE(pos->Field(QStringLiteral("Top")).toInt(), 1400);
        QCOMPARE(stored(QStringLiteral("Top"), 12).toInt(), 1400);
        QCOMPARE(stored(QStringLiteral("Left"), 12).toInt(), 2600);

        // A row deleted by another till cannot be updated.
        auto gone = m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where Codice = 6"));
        other->Execute(QStringLiteral("Delete * from Tavoli Where Codice = 6"));
        gone->Edit();
        gone->setField(QStringLiteral("Descrizione"), QStringLiteral("x"));
        QVERIFY_DAO_ERROR(gone->Update(), DaoErrorCode::RecordDeleted);
        gone->setLockEdits(true);
        QVERIFY_DAO_ERROR(gone->Edit(), DaoErrorCode::RecordDeleted);
        QVERIFY(!m_db->inTransaction());
    }

    void deleteRows() {
        auto rs = m_db->OpenRecordset(
            QStringLiteral("Select * from DettaglioTavoli Where Tavolo = 12 order by ID;"));
        const int n = rs->RecordCount();
        const qint64 firstId = rs->Field(QStringLiteral("ID")).toLongLong();
        rs->Delete();
        QVERIFY_DAO_ERROR(rs->Field(QStringLiteral("ID")), DaoErrorCode::RecordDeleted);
        QCOMPARE(count(m_db, QStringLiteral("DettaglioTavoli Where ID = %1").arg(firstId)), 0);
        QCOMPARE(rs->RecordCount(), n - 1);

        // Deleting every row in turn, as a whole result set is cleared.
        rs->MoveFirst();
        while (!rs->Eof()) {
            QVERIFY(rs->Field(QStringLiteral("ID")).toLongLong() > firstId);
            rs->Delete();
            rs->MoveNext();
        }
        QCOMPARE(rs->RecordCount(), 0);
        QCOMPARE(count(m_db, QStringLiteral("DettaglioTavoli")), 35 - n);
    }

    void requerySeesOtherTills() {
        const auto other = secondConnection(m_db);

        auto rs = m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where CodiceSala = 1;"));
        QCOMPARE(rs->RecordCount(), 16);
        other->Execute(QStringLiteral(
            "Insert into Tavoli (Numero, Occupato, Top, Left, CodiceSala) values ('60', False, "
            "200, 200, 1)"));
        other->Execute(QStringLiteral("Update Tavoli Set Descrizione = 'Nuovo' Where Codice = 2"));
        QCOMPARE(rs->RecordCount(), 16);
        rs->Requery();
        QCOMPARE(rs->RecordCount(), 17);
        rs->FindFirst(QStringLiteral("Codice = 2"));
        QCOMPARE(rs->Field(QStringLiteral("Descrizione")).toString(), QStringLiteral("Nuovo"));

        // A new recordset after the idle refresh sees the next commit too.
        other->Execute(QStringLiteral("Delete * from Tavoli Where Numero = '60'"));
        m_db->Idle();
        QCOMPARE(
            m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where CodiceSala = 1;"))->RecordCount(),
            16);
    }

    void lockOnEditHoldsOffOtherWriters() {
        const auto other = secondConnection(m_db);
        other->setBusyTimeout(150);
        const QString theirs = QStringLiteral("Update Tavoli Set Descrizione = 'theirs' Where Codice = 5");

        auto rs = m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where Codice = 5;"));
        rs->setLockEdits(true);
        rs->Edit();
        QVERIFY(m_db->inTransaction());
        QVERIFY_DAO_ERROR(other->Execute(theirs), DaoErrorCode::RecordLocked);
        if (m_db->engine() == Database::Engine::PostgreSQL) {
            QVERIFY_DAO_ERROR(other->ExecuteNative(QStringLiteral(
                                  "SELECT codice FROM tavoli WHERE codice = 5 FOR UPDATE NOWAIT")),
                              DaoErrorCode::RecordLocked);
            // The lock is on the row: the next table stays writable.
            QCOMPARE(other->Execute(QStringLiteral("Update Tavoli Set Descrizione = 'x' Where Codice = 6")),
                     1);
        }
        // Readers are never held off.
        QCOMPARE(raw(other, QStringLiteral("Select Numero from Tavoli Where Codice = 5")).toString(),
                 QStringLiteral("5"));

        rs->setField(QStringLiteral("Descrizione"), QStringLiteral("mine"));
        rs->Update();
        QVERIFY(!m_db->inTransaction());
        QCOMPARE(other->Execute(theirs), 1);
        QCOMPARE(raw(m_db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 5")).toString(),
                 QStringLiteral("theirs"));

        // CancelUpdate releases the lock as well, and so does closing the recordset.
        rs->Edit();
        rs->CancelUpdate();
        QCOMPARE(other->Execute(theirs), 1);
        rs->Edit();
        rs->Close();
        QVERIFY(!m_db->inTransaction());
        QCOMPARE(other->Execute(theirs), 1);
    }

    void lockOnEditWaitsForOtherWriter() {
        const auto other = secondConnection(m_db);
        m_db->setBusyTimeout(150);

        // Another till changed the row after we read it and still holds it.
        auto rs = m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where Codice = 5;"));
        rs->setLockEdits(true);
        other->beginTransaction();
        other->Execute(QStringLiteral("Update Tavoli Set Descrizione = 'their order' Where Codice = 5"));
        QVERIFY_DAO_ERROR(rs->Edit(), DaoErrorCode::RecordLocked);
        QVERIFY(!m_db->inTransaction());
        other->commitTransaction();

        // Once it is free the edit starts from what is stored now.
        rs->Edit();
        QCOMPARE(rs->Field(QStringLiteral("Descrizione")).toString(), QStringLiteral("their order"));
        rs->setField(QStringLiteral("Numero"), QStringLiteral("5b"));
        rs->Update();
        QCOMPARE(raw(other, QStringLiteral("Select Descrizione from Tavoli Where Codice = 5")).toString(),
                 QStringLiteral("their order"));
        QCOMPARE(raw(other, QStringLiteral("Select Numero from Tavoli Where Codice = 5")).toString(),
                 QStringLiteral("5b"));
    }

    void editJoinsOpenTransaction() {
        const auto other = secondConnection(m_db);
        Workspace ws(m_db);

        ws.BeginTrans();
        auto rs = m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where Codice = 7;"));
        rs->setLockEdits(true);
        rs->Edit();
        rs->setField(QStringLiteral("Descrizione"), QStringLiteral("inside"));
        rs->Update();
        QVERIFY(m_db->inTransaction()); // the update did not end the outer transaction
        QCOMPARE(raw(other, QStringLiteral("Select Descrizione from Tavoli Where Codice = 7")).toString(),
                 QString());
        ws.Rollback();
        QCOMPARE(raw(m_db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 7")).toString(),
                 QString());
    }

    void transactions() {
        const auto other = secondConnection(m_db);
        Workspace ws(m_db);
        const auto descrizione = [&](const std::shared_ptr<Database> &on, int codice) {
            return raw(on, QStringLiteral("Select Descrizione from Tavoli Where Codice = %1").arg(codice))
                .toString();
        };

        // The move of an order: statements kept together.
        ws.BeginTrans();
        m_db->Execute(QStringLiteral("Update DettaglioTavoli set Tavolo = 2 Where Tavolo = 1"));
        m_db->Execute(QStringLiteral(
            "Update Tavoli Set Occupato = True, Descrizione = 'Famiglia Conti' Where Codice = 2"));
        m_db->Execute(QStringLiteral("UPDATE Tavoli SET OraOccupato = '14:02' Where Codice = 2"));
        QCOMPARE(descrizione(other, 2), QString()); // not visible before the commit
        ws.CommitTrans();
        QCOMPARE(descrizione(other, 2), QStringLiteral("Famiglia Conti"));
        QCOMPARE(count(other, QStringLiteral("DettaglioTavoli Where Tavolo = 2")), 4);

        // Rollback leaves everything as it was.
        ws.BeginTrans();
        m_db->Execute(QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = 2"));
        ws.Rollback();
        QCOMPARE(count(other, QStringLiteral("DettaglioTavoli Where Tavolo = 2")), 4);

        // Nested levels: the inner rollback undoes only its own statements.
        ws.BeginTrans();
        m_db->Execute(QStringLiteral("Update Tavoli Set Descrizione = 'outer' Where Codice = 3"));
        ws.BeginTrans();
        m_db->Execute(QStringLiteral("Update Tavoli Set Descrizione = 'inner' Where Codice = 5"));
        ws.Rollback();
        QVERIFY(m_db->inTransaction());
        ws.CommitTrans();
        QCOMPARE(descrizione(other, 3), QStringLiteral("outer"));
        QCOMPARE(descrizione(other, 5), QString());

        QVERIFY_DAO_ERROR(ws.CommitTrans(), DaoErrorCode::TransactionFailed);
        QVERIFY_DAO_ERROR(ws.Rollback(), DaoErrorCode::TransactionFailed);
        Workspace empty(nullptr);
        QVERIFY_DAO_ERROR(empty.BeginTrans(), DaoErrorCode::ObjectClosed);
    }

    void failedStatementSpoilsTransaction() {
        Workspace ws(m_db);

        ws.BeginTrans();
        m_db->Execute(QStringLiteral("Update Tavoli Set Descrizione = 'half' Where Codice = 3"));
        QVERIFY_DAO_ERROR(m_db->Execute(QStringLiteral("Update Nowhere Set x = 1")),
                          DaoErrorCode::StatementFailed);
        QVERIFY_DAO_ERROR(ws.CommitTrans(), DaoErrorCode::TransactionFailed);
        QVERIFY(!m_db->inTransaction());
        QCOMPARE(raw(m_db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 3")).toString(),
                 QString());

        // A failure undone by rolling back its own level does not spoil the outer one.
        ws.BeginTrans();
        m_db->Execute(QStringLiteral("Update Tavoli Set Descrizione = 'kept' Where Codice = 3"));
        ws.BeginTrans();
        QVERIFY_DAO_ERROR(m_db->Execute(QStringLiteral("Update Nowhere Set x = 1")),
                          DaoErrorCode::StatementFailed);
        ws.Rollback();
        ws.CommitTrans();
        QCOMPARE(raw(m_db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 3")).toString(),
                 QStringLiteral("kept"));
    }

    void booleans() {
        auto rs = m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where CodiceSala = 1;"));
        QCOMPARE(rs->FieldType(QStringLiteral("Occupato")), int(QMetaType::Bool));
        rs->FindFirst(QStringLiteral("Codice = 2"));
        QCOMPARE(rs->Field(QStringLiteral("Occupato")), QVariant(false));

        // Written through a field: a Jet-style -1 is true as well.
        rs->Edit();
        rs->setField(QStringLiteral("Occupato"), -1);
        rs->Update();
        QCOMPARE(rs->Field(QStringLiteral("Occupato")), QVariant(true));
        QCOMPARE(count(m_db, QStringLiteral("Tavoli Where Occupato = True and Codice = 2")), 1);

        // Written by a statement with the Jet literals.
        m_db->Execute(QStringLiteral("Update Tavoli Set Occupato = True Where Codice = 3"));
        m_db->Execute(QStringLiteral("Update Tavoli Set Occupato = False Where Codice = 1"));
        rs->Requery();
        rs->FindFirst(QStringLiteral("Occupato = True"));
        QCOMPARE(rs->Field(QStringLiteral("Codice")).toLongLong(), 2);
        QCOMPARE(qrvtest::scalar(m_db, QStringLiteral("Select Occupato from Tavoli Where Codice = 3;")),
                 QVariant(true));
    }

    void wideKeys() {
        // Codes beyond 16 bits go through every path intact.
        QCOMPARE(m_db->Execute(QStringLiteral(
                     "Insert into Tavoli (Codice, Numero, Occupato, CodiceSala) values (70000, '70', "
                     "False, 100000)")),
                 1);
        auto rs = m_db->OpenRecordset(QStringLiteral("Select * from Tavoli Where Codice = 70000;"));
        QCOMPARE(rs->Field(QStringLiteral("Codice")).toLongLong(), 70000);
        QCOMPARE(rs->Field(QStringLiteral("CodiceSala")).toLongLong(), 100000);
        auto lines = m_db->OpenRecordset(
            QStringLiteral("Select * from DettaglioTavoli Where Tavolo = 70000 order by ID;"));
        lines->AddNew();
        lines->setField(QStringLiteral("Tavolo"), qint64(70000));
        lines->setField(QStringLiteral("IdRif"), QStringLiteral("2000000000"));
        lines->Update();
        lines->Requery();
        QCOMPARE(lines->RecordCount(), 1);
        QCOMPARE(lines->Field(QStringLiteral("IdRif")).toLongLong(), 2000000000);
        lines->FindFirst(QStringLiteral("Tavolo = 70000 and IdRif >= 2000000000"));
        QVERIFY(!lines->NoMatch());
    }

    void misuseIsReported() {
        QVERIFY_DAO_ERROR(m_db->Execute(QStringLiteral("Update Nowhere Set x = 1")),
                          DaoErrorCode::StatementFailed);
        QVERIFY_DAO_ERROR(m_db->Execute(QString()), DaoErrorCode::SyntaxError);
        // An apostrophe left undoubled in a statement fails cleanly.
        try {
            m_db->OpenRecordset(QStringLiteral("Select Numero from Tavoli Where Numero = 'a'b';"));
            QFAIL("no error");
        } catch (const DaoError &e) {
            QVERIFY(e.number() == DaoErrorCode::StatementFailed || e.number() == DaoErrorCode::SyntaxError);
        }
        // A recordset is opened on queries only; the statement does not run.
        QVERIFY_DAO_ERROR(m_db->OpenRecordset(QStringLiteral("Update Tavoli Set Numero = 'x'")),
                          DaoErrorCode::InvalidOperation);
        QCOMPARE(count(m_db, QStringLiteral("Tavoli Where Numero = 'x'")), 0);

        auto rs = m_db->OpenRecordset(
            QStringLiteral("Select * from DettaglioTavoli Where Tavolo = 1 order by ID;"));
        QVERIFY_DAO_ERROR(rs->setField(QStringLiteral("Quantita"), 2), DaoErrorCode::UpdateWithoutEdit);
        QVERIFY_DAO_ERROR(rs->Update(), DaoErrorCode::UpdateWithoutEdit);
        rs->Edit();
        QVERIFY_DAO_ERROR(rs->setField(QStringLiteral("Quantita"), QStringLiteral("abc")),
                          DaoErrorCode::TypeMismatch);
        QVERIFY_DAO_ERROR(rs->setField(QStringLiteral("Importo"), QStringLiteral("1,5")),
                          DaoErrorCode::TypeMismatch);
        QVERIFY_DAO_ERROR(rs->setField(QStringLiteral("Nope"), 1), DaoErrorCode::FieldNotFound);
        // A NUL in a text: SQLite would store it and PostgreSQL's driver refuse it; both refuse it alike.
        const QString withNul = QStringLiteral("Zeta") + QChar(0) + QStringLiteral("x");
        QVERIFY_DAO_ERROR(rs->setField(QStringLiteral("Descrizione"), withNul), DaoErrorCode::NulInText);
        rs->CancelUpdate();
        QVERIFY_DAO_ERROR(m_db->Execute(QStringLiteral("Update Tavoli Set Descrizione = '") + withNul +
                                        QStringLiteral("' Where Codice = 1")),
                          DaoErrorCode::NulInText);
        QCOMPARE(count(m_db, QStringLiteral("Tavoli Where Descrizione Like 'Zeta%'")), 0);

        // Rows that cannot be traced back to one row of one table are read-only.
        auto counted = m_db->OpenRecordset(QStringLiteral("Select count(*) as n from Tavoli"));
        QCOMPARE(counted->Field(QStringLiteral("n")).toLongLong(), 42);
        QVERIFY_DAO_ERROR(counted->Edit(), DaoErrorCode::ReadOnly);
        auto keyless =
            m_db->OpenRecordset(QStringLiteral("Select Descrizione from Articoli Where Codice = 7;"));
        QVERIFY_DAO_ERROR(keyless->Delete(), DaoErrorCode::ReadOnly);

        rs->Close();
        QVERIFY_DAO_ERROR(rs->RecordCount(), DaoErrorCode::ObjectClosed);
        QVERIFY_DAO_ERROR(rs->Field(QStringLiteral("ID")), DaoErrorCode::ObjectClosed);
        rs->Close(); // a second close is harmless
    }

    void fromConnection() {
        QFETCH_GLOBAL(QString, engine);
        const QString name = QStringLiteral("host-connection-%1").arg(engine);
        {
            // The host's own connection to the same database.
            QSqlDatabase host = QSqlDatabase::cloneDatabase(m_db->connection(), name);
            QVERIFY(host.open());
            {
                const auto db = Database::fromConnection(host);
                QCOMPARE(db->engine(), m_db->engine());
                QCOMPARE(db->OpenRecordset(QStringLiteral("Select * from Sale;"))->RecordCount(), 4);
                QCOMPARE(db->Execute(QStringLiteral("Update Tavoli Set Occupato = True Where Codice = 2")),
                         1);
                // The URL reaches the same database from a new connection.
                QCOMPARE(count(Database::open(db->url()),
                               QStringLiteral("Tavoli Where Occupato = True and Codice = 2")),
                         1);
            }
            QVERIFY(host.isOpen()); // the wrapper leaves the host's connection alone
            host.close();
            QVERIFY_DAO_ERROR(Database::fromConnection(host), DaoErrorCode::OpenFailed);
        }
        QSqlDatabase::removeDatabase(name);
    }

    // What the layer learns about a connection (its tables, their keys) is learnt once, shared by
    // every wrapper of the same QSqlDatabase, and learnt again once the connection is reopened after
    // a loss. Reading needs no key: no catalogue query (counted on the wire on PostgreSQL).
    void connectionKnowledge() {
        QFETCH_GLOBAL(QString, engine);
        std::unique_ptr<qrvtest::PgWireProxy> proxy;
        std::shared_ptr<Database> db = secondConnection(m_db);
        if (engine == QLatin1String("postgresql")) {
            const QString url = qrvtest::urlOf(m_db);
            proxy = std::make_unique<qrvtest::PgWireProxy>(qrvtest::PgWireProxy::targetOf(url), 0);
            QVERIFY2(proxy->start(), qPrintable(proxy->errorString()));
            proxy->setCapture(true);
            db = Database::open(proxy->urlFor(qrvtest::PgWireProxy::databaseOf(url)));
        }
        // Catalogue queries since the last look, -1 where there is no wire to count them on.
        const auto catalogue = [&proxy] {
            if (!proxy)
                return qint64(-1);
            static const QRegularExpression query(QStringLiteral(R"(\bpg_(attribute|class|index)\b)"));
            const auto sent = proxy->statements();
            proxy->reset();
            return qint64(
                std::count_if(sent.cbegin(), sent.cend(), [](const qrvtest::PgWireProxy::Statement &s) {
                    return query.match(s.sql).hasMatch();
                }));
        };
        const qint64 none = proxy ? 0 : -1, one = proxy ? 1 : -1;
        catalogue();

        auto tables = db->OpenRecordset(QStringLiteral("Select * from Tavoli Where Codice = 5;"));
        QCOMPARE(catalogue(), none);
        tables->Edit();
        tables->setField(QStringLiteral("Descrizione"), QStringLiteral("Finestra"));
        tables->Update();
        QCOMPARE(catalogue(), one); // the keys of every table at once

        // The host hands the same connection over again: a new wrapper, nothing learnt again.
        const auto host = Database::fromConnection(db->connection());
        auto lines = host->OpenRecordset(QStringLiteral("Select * from DettaglioTavoli Where Tavolo = 12;"));
        lines->Delete();
        QVERIFY(!host->hasTable(QStringLiteral("Extra")));
        m_db->ExecuteNative(
            QStringLiteral("CREATE TABLE extra (codice integer PRIMARY KEY, nome varchar(10))"));
        QVERIFY(!db->hasTable(QStringLiteral("Extra"))); // as learnt on this connection
        QCOMPARE(catalogue(), one);                      // the tables, once

        // The connection is lost and reopened: the tables and keys are learnt again, by every wrapper.
        {
            QSqlDatabase connection = db->connection();
            connection.close();
        }
        auto extra = db->OpenRecordset(QStringLiteral("Select * from Extra"));
        QVERIFY(host->hasTable(QStringLiteral("extra")));
        extra->AddNew();
        extra->setField(QStringLiteral("codice"), 7);
        extra->Update();
        extra->Edit();
        extra->setField(QStringLiteral("nome"), QStringLiteral("sette"));
        extra->Update();
        QCOMPARE(raw(m_db, QStringLiteral("Select nome from extra Where codice = 7")).toString(),
                 QStringLiteral("sette"));
        QCOMPARE(raw(m_db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 5")).toString(),
                 QStringLiteral("Finestra"));
        QCOMPARE(catalogue(), proxy ? 2 : -1); // the tables, and the keys
    }

    void demoVenue() {
        // Client bills only in the hidden room 9999; every occupied table has lines.
        QCOMPARE(count(m_db, QStringLiteral("Tavoli Where Numero = '999' and CodiceSala <> 9999")), 0);
        QCOMPARE(
            count(m_db, QStringLiteral("Tavoli Where Occupato = True and Codice not in (Select Tavolo from "
                                       "DettaglioTavoli)")),
            0);
        // New keys continue after the demo's on both engines alike.
        auto rooms = m_db->OpenRecordset(QStringLiteral("Select * from Sale;"));
        rooms->AddNew();
        rooms->setField(QStringLiteral("Descrizione"), QStringLiteral("Terrazza"));
        rooms->Update();
        QCOMPARE(rooms->Field(QStringLiteral("Codice")).toLongLong(), 10000);
    }
};

QTEST_GUILESS_MAIN(TestDao)
#include "test_dao.moc"
