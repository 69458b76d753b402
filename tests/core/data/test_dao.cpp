// The access layer on real databases: every test body runs on SQLite and on PostgreSQL.

#include "core/data/dao/Database.h"
#include "core/data/dao/JetSql.h"
#include "core/data/dao/Recordset.h"
#include "core/data/dao/Workspace.h"
#include "support/PgWireProxy.h"
#include "support/TestDatabases.h"
#include "support/VenueRows.h"

#include <QSqlQuery>
#include <QtTest>

using namespace Qt::StringLiterals;
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
    return raw(db, u"Select count(*) from "_s + where).toLongLong();
}

/** One column of the table row codice, read past the recordset code under test. */
QVariant tavolo(const std::shared_ptr<Database> &db, const QString &column, qint64 codice) {
    return raw(db, u"Select %1 from Tavoli Where Codice = %2"_s.arg(column).arg(codice));
}

std::shared_ptr<Database> secondConnection(const std::shared_ptr<Database> &db) {
    return Database::open(qrvtest::urlOf(db));
}

/** Writes columns into the current row (or a new one when add) and stores it. */
void write(Recordset &rs, const qrvtest::Columns &columns, bool add = false) {
    add ? rs.AddNew() : rs.Edit();
    for (const auto &[name, value] : columns)
        rs.setField(name, value);
    rs.Update();
}

/** The number of the DaoError that f throws, -2 when it has no description, -1 when none is thrown. */
int daoError(const std::function<void()> &f) {
    try {
        f();
    } catch (const DaoError &e) {
        return e.description().isEmpty() ? -2 : e.number();
    }
    return -1;
}

} // namespace

#define QVERIFY_DAO_ERROR(expr, expected) QCOMPARE(daoError([&] { expr; }), int(expected))

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
        if (engine == u"sqlite"_s) {
            QTemporaryDir dir;
            QFile garbage(dir.filePath(u"garbage.db"_s));
            QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(4096, 'x')) == 4096);
            garbage.close();
            bad = QStringList{u"sqlite:/qrv-no-such-folder/venue.db"_s, u"sqlite:"_s,
                              u"sqlite:"_s + garbage.fileName(), u"mysql://host/m_db"_s};
        } else {
            QString missing = qrvtest::urlOf(m_db);
            missing.replace(QRegularExpression(u"qrvtest_[0-9_]+"_s), u"qrv_no_such_db"_s);
            bad = QStringList{missing, u"postgresql://host:notaport/m_db"_s,
                              u"postgresql:///m_db?host=/qrv-no-such-socket-dir&user=postgres"_s};
            // The message names the engine's reason.
            try {
                Database::open(missing);
            } catch (const DaoError &e) {
                QVERIFY2(e.description().contains(u"qrv_no_such_db"_s), qPrintable(e.description()));
            }
        }
        for (const QString &url : std::as_const(bad))
            QVERIFY_DAO_ERROR(Database::open(url), DaoErrorCode::OpenFailed);
    }

    void readRows() {
        // No rows: at the end and at the start at once; nothing to move to or read.
        auto none = m_db->OpenRecordset(u"Select * from Tavoli Where Codice = -5;"_s);
        QCOMPARE((QList<int>{none->RecordCount(), none->Eof(), none->Bof(), none->FieldCount()}),
                 (QList<int>{0, true, true, 11}));
        QVERIFY_DAO_ERROR(none->MoveFirst(), DaoErrorCode::NoCurrentRecord);
        QVERIFY_DAO_ERROR(none->Field(u"Numero"_s), DaoErrorCode::NoCurrentRecord);

        // One row: current at once; one MoveNext reaches the end, a second one is an error.
        auto one = m_db->OpenRecordset(u"Select * from Tavoli Where Codice = 4;"_s);
        QCOMPARE(one->RecordCount(), 1);
        QCOMPARE(one->Field(u"numero"_s).toString() + one->Field(u"DESCRIZIONE"_s).toString(),
                 u"4Dell'Orto"_s);
        one->MoveNext();
        QVERIFY(one->Eof());
        QVERIFY_DAO_ERROR(one->Field(u"Numero"_s), DaoErrorCode::NoCurrentRecord);
        QVERIFY_DAO_ERROR(one->MoveNext(), DaoErrorCode::NoCurrentRecord);

        // Many rows in the order asked for, read in turn with a second recordset while statements run
        // on the same connection.
        auto many = m_db->OpenRecordset(u"Select * from DettaglioTavoli Where Tavolo = 12 order by ID;"_s);
        auto tables = m_db->OpenRecordset(u"Select * from Tavoli Where CodiceSala = 1;"_s);
        QCOMPARE(qint64(many->RecordCount()), count(m_db, u"DettaglioTavoli Where Tavolo = 12"_s));
        qint64 previous = 0;
        int readTables = 0;
        for (; !many->Eof(); many->MoveNext()) {
            m_db->Execute(u"Update Tavoli Set OraUltimoOrdine = '13:30' Where Codice = 12"_s);
            QVERIFY(many->Field(u"ID"_s).toLongLong() > previous);
            previous = many->Field(u"ID"_s).toLongLong();
            if (!tables->Eof() && tables->Field(u"Codice"_s).toLongLong() > 0)
                ++readTables, tables->MoveNext();
        }
        QCOMPARE(readTables, qMin(many->RecordCount(), 16));
        many->MoveLast();
        QCOMPARE(many->Field(u"ID"_s).toLongLong(), previous);

        // Empty columns come back null; an empty text is not null.
        auto texts = m_db->OpenRecordset(
            u"Select Codice, Descrizione from Tavoli Where Codice in (2, 3) order by Codice"_s);
        QVERIFY(texts->Field(u"Descrizione"_s).isNull());
        texts->MoveNext();
        QVERIFY(!texts->Field(u"Descrizione"_s).isNull() &&
                texts->Field(u"Descrizione"_s).toString().isEmpty());

        // Field names and types, matched without regard to case.
        auto typed = m_db->OpenRecordset(u"Select * from DettaglioTavoli Where ID = 1"_s);
        QCOMPARE((QList<int>{int(typed->FieldNames().size()), typed->FieldType(u"Importo"_s),
                             typed->FieldType(u"descrizione"_s)}),
                 (QList<int>{8, QMetaType::Double, QMetaType::QString}));
        QVERIFY_DAO_ERROR(typed->Field(u"Nope"_s), DaoErrorCode::FieldNotFound);
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
            {"Select * from Sale Where Codice <> 9999 Order by Codice;", 3, "Descrizione", u"Sala"_s},
            {"Select * from DettaglioTavoli Where Tavolo = 1 order by ID;", 4, "ID", 1},
            {"Select Numero from Tavoli Where Numero = '12';", 1, "Numero", u"12"_s},
            {"Select Numero from Tavoli Where Numero = '';", 0, "Numero", QVariant()},
            {"Select Descrizione from Tavoli Where Numero = '999' and Codice = 41", 1, "Descrizione",
             u"Rossi Mario"_s},
            {"Select Descrizione from Articoli Where Codice = 15;", 1, "Descrizione",
             u"Pizza all'ortolana"_s},
        };
        // Client bills only in the hidden room 9999; every occupied table has lines.
        QCOMPARE(count(m_db, u"Tavoli Where (Numero = '999' and CodiceSala <> 9999) or (Occupato = True and "
                             "Codice not in (Select Tavolo from DettaglioTavoli))"_s),
                 0);
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
        QCOMPARE(lines->Field(u"Descrizione"_s).toString() + u'|' +
                     lines->Field(u"DescrizioneArticolo"_s).toString(),
                 u"+ mozzarella di bufala|Pizza Margherita"_s);
        write(*lines, {{u"Quantita"_s, 3}});
        QCOMPARE(raw(m_db, u"Select Quantita from DettaglioTavoli Where ID = 2"_s).toInt(), 3);

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
        QCOMPARE(raw(m_db, u"Select Importo from DettaglioTavoli Where ID = 1"_s).toDouble(), 7.0);
        QCOMPARE(count(m_db, u"DettaglioTavoli Where Tavolo = 2"_s), 3);
        QCOMPARE(count(m_db, u"DettaglioTavoli Where Tavolo = 1 or Tavolo = 4"_s), 0);
        QCOMPARE(tavolo(m_db, u"Descrizione"_s, 2).toString(), u"Famiglia Conti"_s);
        QCOMPARE(count(m_db, u"Tavoli Where Occupato = True and Codice in (1, 2)"_s), 1);
        QCOMPARE(count(m_db, u"Tavoli"_s), 42 - 11);
        QCOMPARE(count(m_db, u"Sale"_s), 3);
    }

    void findFirst() {
        auto rs = m_db->OpenRecordset(u"Tavoli"_s);

        // Not found: the flag is set and the current row stays where it was.
        QList<qint64> found;
        for (const QString &condition :
             {u"Numero = '999' and Descrizione = 'bianchi laura'"_s, u"CodiceSala = 2 AND Occupato = True"_s,
              u"Descrizione = 'Dell''Orto'"_s, u"codice = 9999"_s}) {
            rs->FindFirst(condition);
            found << rs->Field(u"Codice"_s).toLongLong() * (rs->NoMatch() ? -1 : 1);
        }
        QCOMPARE(found, (QList<qint64>{42, 19, 4, -4}));

        QVERIFY_DAO_ERROR(rs->FindFirst(u"codice = = 2"_s), DaoErrorCode::SyntaxError);
        QVERIFY_DAO_ERROR(rs->FindFirst(u"Nope = 2"_s), DaoErrorCode::FieldNotFound);

        auto none = m_db->OpenRecordset(u"Select * from Tavoli Where Codice = -1"_s);
        none->FindFirst(u"codice = 1"_s);
        QVERIFY(none->NoMatch());

        // Booleans whatever the engine stores: a Jet-style -1 written through a field is true.
        QCOMPARE(rs->FieldType(u"Occupato"_s), int(QMetaType::Bool));
        rs->FindFirst(u"Codice = 2"_s);
        QCOMPARE(rs->Field(u"Occupato"_s), QVariant(false));
        write(*rs, {{u"Occupato"_s, -1}});
        QCOMPARE(rs->Field(u"Occupato"_s), QVariant(true));
        QCOMPARE(tavolo(m_db, u"Occupato"_s, 2).toBool(), true);
    }

    void addNewReadsTheNewKey() {
        // A new table through the whole-table recordset, as the layout editor adds one.
        auto tables = m_db->OpenRecordset(u"Tavoli"_s);
        tables->setLockEdits(true);
        write(*tables,
              qrvtest::columns("Numero, Descrizione, Left", {u"50"_s, u"Tavolo dell'angolo"_s, 4400}), true);
        QCOMPARE(tables->Field(u"Codice"_s).toLongLong(), 43);
        QCOMPARE(tables->RecordCount(), 43);
        QCOMPARE(tables->Field(u"Occupato"_s), QVariant(false)); // the column's default
        QCOMPARE(tavolo(m_db, u"Descrizione"_s, 43).toString(), u"Tavolo dell'angolo"_s);

        // New keys continue after the demo's on both engines alike.
        auto rooms = m_db->OpenRecordset(u"Select * from Sale;"_s);
        write(*rooms, {{u"Descrizione"_s, u"Terrazza"_s}}, true);
        QCOMPARE(rooms->Field(u"Codice"_s).toLongLong(), 10000);

        // A line as the quick-add writes it, codes as text converted to the column's type; codes beyond
        // 16 bits go through every path intact.
        QCOMPARE(
            m_db->Execute(u"Insert into Tavoli (Codice, Numero, Occupato, CodiceSala) values (70000, '70', "
                          "False, 100000)"_s),
            1);
        QCOMPARE(tavolo(m_db, u"CodiceSala"_s, 70000).toLongLong(), 100000);
        auto lines =
            m_db->OpenRecordset(u"Select * from DettaglioTavoli Where Tavolo = 70000 order by ID;"_s);
        write(
            *lines,
            qrvtest::columns("Codice, Tavolo, IdRif, Descrizione, Importo",
                             {QVariant::fromValue(qint16(7)), u"70000"_s, u"2000000000"_s, u"Caffè"_s, 1.2}),
            true);
        QCOMPARE(lines->Field(u"ID"_s).toLongLong(), 36);
        lines->Requery();
        lines->FindFirst(u"Tavolo = 70000 and IdRif >= 2000000000 and Descrizione = 'Caffè'"_s);
        QCOMPARE(lines->Field(u"ID"_s).toLongLong(), 36);

        // Inside a transaction the new keys are right and the rows survive the commit.
        Workspace ws(m_db);
        ws.BeginTrans();
        for (int quantita : {2, 3})
            write(*lines, qrvtest::columns("Tavolo, Quantita", {70000, quantita}), true);
        QCOMPARE(lines->Field(u"ID"_s).toLongLong(), 38);
        ws.CommitTrans();
        QCOMPARE(
            count(secondConnection(m_db), u"DettaglioTavoli Where ID in (37, 38) and Quantita in (2, 3)"_s),
            2);
    }

    void editWritesByKey() {
        const auto other = secondConnection(m_db);
        const QString text = u"L'angolo di Sant'Anna; -- 'x'"_s;
        for (const bool lock : {false, true}) {
            const QString written = text + QString::number(lock);
            auto rs =
                m_db->OpenRecordset(u"Select Codice,Numero, Descrizione from Tavoli Where codice = 5"_s);
            rs->setLockEdits(lock);
            write(*rs, {{u"Descrizione"_s, written}});
            QCOMPARE(rs->Field(u"Descrizione"_s).toString(), written);
            QCOMPARE(tavolo(other, u"Descrizione"_s, 5).toString(), written);
            QVERIFY(!m_db->inTransaction());
        }
        QCOMPARE(count(m_db, u"Tavoli Where Descrizione like 'L''angolo%'"_s), 1);

        // The position of a dragged table; CancelUpdate writes nothing.
        auto pos = m_db->OpenRecordset(u"Select Codice, Top, Left from Tavoli Where codice = 12"_s);
        pos->setLockEdits(true);
        write(*pos, qrvtest::columns("Top, Left", {1400, 2600.0}));
        pos->Edit();
        pos->setField(u"Top"_s, 9999);
        pos->CancelUpdate();
        QCOMPARE(pos->Field(u"Top"_s).toInt(), 1400);
        QCOMPARE((QList<int>{tavolo(other, u"Top"_s, 12).toInt(), tavolo(other, u"Left"_s, 12).toInt()}),
                 (QList<int>{1400, 2600}));

        // A row deleted by another till cannot be updated.
        auto gone = m_db->OpenRecordset(u"Select * from Tavoli Where Codice = 6"_s);
        other->Execute(u"Delete * from Tavoli Where Codice = 6"_s);
        QVERIFY_DAO_ERROR(write(*gone, {{u"Descrizione"_s, u"x"_s}}), DaoErrorCode::RecordDeleted);
        gone->setLockEdits(true);
        QVERIFY_DAO_ERROR(gone->Edit(), DaoErrorCode::RecordDeleted);
        QVERIFY(!m_db->inTransaction());

        auto rs = m_db->OpenRecordset(u"Select * from DettaglioTavoli Where Tavolo = 12 order by ID;"_s);
        const int n = rs->RecordCount();
        const qint64 firstId = rs->Field(u"ID"_s).toLongLong();
        rs->Delete();
        QVERIFY_DAO_ERROR(rs->Field(u"ID"_s), DaoErrorCode::RecordDeleted);
        QCOMPARE(count(m_db, u"DettaglioTavoli Where ID = %1"_s.arg(firstId)), 0);
        QCOMPARE(rs->RecordCount(), n - 1);

        // The next row moves up into the deleted one's place (clearing a whole result set in turn is
        // test_clsrecordset's deletion).
        rs->MoveNext();
        QCOMPARE(count(m_db, u"DettaglioTavoli Where Tavolo = 12 and ID < %1"_s.arg(
                                 rs->Field(u"ID"_s).toLongLong())),
                 0);
        QCOMPARE(count(m_db, u"DettaglioTavoli"_s), 35 - 1);
    }

    void otherTills() {
        const auto other = secondConnection(m_db);

        auto rs = m_db->OpenRecordset(u"Select * from Tavoli Where CodiceSala = 1;"_s);
        QCOMPARE(rs->RecordCount(), 16);
        other->Execute(QStringLiteral(
            "Insert into Tavoli (Numero, Occupato, Top, Left, CodiceSala) values ('60', False, "
            "200, 200, 1)"));
        other->Execute(u"Update Tavoli Set Descrizione = 'Nuovo' Where Codice = 2"_s);
        QCOMPARE(rs->RecordCount(), 16);
        rs->Requery();
        QCOMPARE(rs->RecordCount(), 17);
        rs->FindFirst(u"Codice = 2"_s);
        QCOMPARE(rs->Field(u"Descrizione"_s).toString(), u"Nuovo"_s);

        // A new recordset after the idle refresh sees the next commit too.
        other->Execute(u"Delete * from Tavoli Where Numero = '60'"_s);
        m_db->Idle();
        QCOMPARE(m_db->OpenRecordset(u"Select * from Tavoli Where CodiceSala = 1;"_s)->RecordCount(), 16);

        // A locked edit holds off other writers of the row until it ends.
        other->setBusyTimeout(150);
        const QString theirs = u"Update Tavoli Set Descrizione = 'theirs' Where Codice = 5"_s;
        rs = m_db->OpenRecordset(u"Select * from Tavoli Where Codice = 5;"_s);
        rs->setLockEdits(true);
        rs->Edit();
        QVERIFY(m_db->inTransaction());
        QVERIFY_DAO_ERROR(other->Execute(theirs), DaoErrorCode::RecordLocked);
        if (m_db->engine() == Database::Engine::PostgreSQL) {
            QVERIFY_DAO_ERROR(other->ExecuteNative(QStringLiteral(
                                  "SELECT codice FROM tavoli WHERE codice = 5 FOR UPDATE NOWAIT")),
                              DaoErrorCode::RecordLocked);
            // The lock is on the row: the next table stays writable.
            QCOMPARE(other->Execute(u"Update Tavoli Set Descrizione = 'x' Where Codice = 6"_s), 1);
        }
        // Readers are never held off.
        QCOMPARE(tavolo(other, u"Numero"_s, 5).toString(), u"5"_s);

        rs->setField(u"Descrizione"_s, u"mine"_s);
        rs->Update();
        QVERIFY(!m_db->inTransaction());
        QCOMPARE(other->Execute(theirs), 1);
        QCOMPARE(tavolo(m_db, u"Descrizione"_s, 5).toString(), u"theirs"_s);

        // CancelUpdate releases the lock as well, and so does closing the recordset.
        rs->Edit();
        rs->CancelUpdate();
        QCOMPARE(other->Execute(theirs), 1);
        rs->Edit();
        rs->Close();
        QVERIFY(!m_db->inTransaction());
        QCOMPARE(other->Execute(theirs), 1);

        // Another till changed the row after we read it and still holds it.
        m_db->setBusyTimeout(150);
        rs = m_db->OpenRecordset(u"Select * from Tavoli Where Codice = 5;"_s);
        rs->setLockEdits(true);
        other->beginTransaction();
        other->Execute(u"Update Tavoli Set Descrizione = 'their order' Where Codice = 5"_s);
        QVERIFY_DAO_ERROR(rs->Edit(), DaoErrorCode::RecordLocked);
        QVERIFY(!m_db->inTransaction());
        other->commitTransaction();

        // Once it is free the edit starts from what is stored now.
        rs->Edit();
        QCOMPARE(rs->Field(u"Descrizione"_s).toString(), u"their order"_s);
        rs->setField(u"Numero"_s, u"5b"_s);
        rs->Update();
        QCOMPARE(tavolo(other, u"Descrizione"_s, 5).toString() + tavolo(other, u"Numero"_s, 5).toString(),
                 u"their order5b"_s);
    }

    void transactions() {
        const auto other = secondConnection(m_db);
        Workspace ws(m_db);
        const auto descrizione = [&](const std::shared_ptr<Database> &on, int codice) {
            return tavolo(on, u"Descrizione"_s, codice).toString();
        };

        // A locked edit inside an open transaction joins it: its update does not commit.
        ws.BeginTrans();
        auto rs = m_db->OpenRecordset(u"Select * from Tavoli Where Codice = 7;"_s);
        rs->setLockEdits(true);
        write(*rs, {{u"Descrizione"_s, u"inside"_s}});
        QVERIFY(m_db->inTransaction());
        QCOMPARE(descrizione(other, 7), QString());
        ws.Rollback();
        QCOMPARE(descrizione(m_db, 7), QString());

        // Nested levels: the inner rollback undoes only its own statements.
        ws.BeginTrans();
        m_db->Execute(u"Update Tavoli Set Descrizione = 'outer' Where Codice = 3"_s);
        ws.BeginTrans();
        m_db->Execute(u"Update Tavoli Set Descrizione = 'inner' Where Codice = 5"_s);
        ws.Rollback();
        QVERIFY(m_db->inTransaction());
        QCOMPARE(descrizione(other, 3), QString()); // not visible before the commit
        ws.CommitTrans();
        QCOMPARE(descrizione(other, 3) + u'|' + descrizione(other, 5), u"outer|"_s);

        QVERIFY_DAO_ERROR(ws.CommitTrans(), DaoErrorCode::TransactionFailed);
        QVERIFY_DAO_ERROR(ws.Rollback(), DaoErrorCode::TransactionFailed);
        QVERIFY_DAO_ERROR(Workspace(nullptr).BeginTrans(), DaoErrorCode::ObjectClosed);

        // A failed statement spoils the transaction: the commit fails and undoes the rest.
        ws.BeginTrans();
        m_db->Execute(u"Update Tavoli Set Descrizione = 'half' Where Codice = 3"_s);
        QVERIFY_DAO_ERROR(m_db->Execute(u"Update Nowhere Set x = 1"_s), DaoErrorCode::StatementFailed);
        QVERIFY_DAO_ERROR(ws.CommitTrans(), DaoErrorCode::TransactionFailed);
        QVERIFY(!m_db->inTransaction());
        QCOMPARE(descrizione(m_db, 3), u"outer"_s);

        // A failure undone by rolling back its own level does not spoil the outer one.
        ws.BeginTrans();
        m_db->Execute(u"Update Tavoli Set Descrizione = 'kept' Where Codice = 3"_s);
        ws.BeginTrans();
        QVERIFY_DAO_ERROR(m_db->Execute(u"Update Nowhere Set x = 1"_s), DaoErrorCode::StatementFailed);
        ws.Rollback();
        ws.CommitTrans();
        QCOMPARE(descrizione(m_db, 3), u"kept"_s);
    }

    void misuseIsReported() {
        QVERIFY_DAO_ERROR(m_db->Execute(QString()), DaoErrorCode::SyntaxError);
        // An apostrophe left undoubled in a statement fails cleanly.
        const int undoubled =
            daoError([&] { m_db->OpenRecordset(u"Select * from Tavoli Where Numero = 'a'b'"_s); });
        QVERIFY(undoubled == DaoErrorCode::StatementFailed || undoubled == DaoErrorCode::SyntaxError);
        // A recordset is opened on queries only; the statement does not run.
        QVERIFY_DAO_ERROR(m_db->OpenRecordset(u"Update Tavoli Set Numero = 'x'"_s),
                          DaoErrorCode::InvalidOperation);
        QCOMPARE(count(m_db, u"Tavoli Where Numero = 'x'"_s), 0);

        auto rs = m_db->OpenRecordset(u"Select * from DettaglioTavoli Where Tavolo = 1 order by ID;"_s);
        QVERIFY_DAO_ERROR(rs->setField(u"Quantita"_s, 2), DaoErrorCode::UpdateWithoutEdit);
        QVERIFY_DAO_ERROR(rs->Update(), DaoErrorCode::UpdateWithoutEdit);
        rs->Edit();
        QVERIFY_DAO_ERROR(rs->setField(u"Quantita"_s, u"abc"_s), DaoErrorCode::TypeMismatch);
        QVERIFY_DAO_ERROR(rs->setField(u"Nope"_s, 1), DaoErrorCode::FieldNotFound);
        // A NUL in a text: SQLite would store it and PostgreSQL's driver refuse it; both refuse it alike.
        const QString withNul = u"Zeta"_s + QChar(0) + u"x"_s;
        QVERIFY_DAO_ERROR(rs->setField(u"Descrizione"_s, withNul), DaoErrorCode::NulInText);
        rs->CancelUpdate();
        QVERIFY_DAO_ERROR(
            m_db->Execute(u"Update Tavoli Set Descrizione = '"_s + withNul + u"' Where Codice = 1"_s),
            DaoErrorCode::NulInText);
        QCOMPARE(count(m_db, u"Tavoli Where Descrizione Like 'Zeta%'"_s), 0);

        // Rows that cannot be traced back to one row of one table are read-only.
        auto counted = m_db->OpenRecordset(u"Select count(*) as n from Tavoli"_s);
        QCOMPARE(counted->Field(u"n"_s).toLongLong(), 42);
        QVERIFY_DAO_ERROR(counted->Edit(), DaoErrorCode::ReadOnly);
        auto keyless = m_db->OpenRecordset(u"Select Descrizione from Articoli Where Codice = 7;"_s);
        QVERIFY_DAO_ERROR(keyless->Delete(), DaoErrorCode::ReadOnly);

        rs->Close();
        QVERIFY_DAO_ERROR(rs->RecordCount(), DaoErrorCode::ObjectClosed);
        QVERIFY_DAO_ERROR(rs->Field(u"ID"_s), DaoErrorCode::ObjectClosed);
        rs->Close(); // a second close is harmless
    }

    void fromConnection() {
        QFETCH_GLOBAL(QString, engine);
        const QString name = u"host-connection-%1"_s.arg(engine);
        {
            QSqlDatabase host = QSqlDatabase::cloneDatabase(m_db->connection(), name);
            QVERIFY(host.open());
            {
                const auto db = Database::fromConnection(host);
                QCOMPARE(db->engine(), m_db->engine());
                QCOMPARE(db->Execute(u"Update Tavoli Set Occupato = True Where Codice = 2"_s), 1);
                // The URL reaches the same database from a new connection.
                QCOMPARE(count(Database::open(db->url()), u"Tavoli Where Occupato = True and Codice = 2"_s),
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
        if (engine == u"postgresql"_s) {
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
            static const QRegularExpression query(uR"(\bpg_(attribute|class|index)\b)"_s);
            qint64 n = 0;
            for (const qrvtest::PgWireProxy::Statement &s : proxy->statements())
                n += s.sql.contains(query);
            proxy->reset();
            return n;
        };
        const qint64 none = proxy ? 0 : -1, one = proxy ? 1 : -1;
        catalogue();

        auto tables = db->OpenRecordset(u"Select * from Tavoli Where Codice = 5;"_s);
        QCOMPARE(catalogue(), none);
        write(*tables, {{u"Descrizione"_s, u"Finestra"_s}});
        QCOMPARE(catalogue(), one); // the keys of every table at once

        // The host hands the same connection over again: a new wrapper, nothing learnt again.
        const auto host = Database::fromConnection(db->connection());
        auto lines = host->OpenRecordset(u"Select * from DettaglioTavoli Where Tavolo = 12;"_s);
        lines->Delete();
        QVERIFY(!host->hasTable(u"Extra"_s));
        m_db->ExecuteNative(u"CREATE TABLE extra (codice integer PRIMARY KEY, nome varchar(10))"_s);
        QVERIFY(!db->hasTable(u"Extra"_s)); // as learnt on this connection
        QCOMPARE(catalogue(), one);         // the tables, once

        // The connection is lost and reopened: the tables and keys are learnt again, by every wrapper.
        db->connection().close();
        auto extra = db->OpenRecordset(u"Select * from Extra"_s);
        QVERIFY(host->hasTable(u"extra"_s));
        write(*extra, {{u"codice"_s, 7}}, true);
        write(*extra, {{u"nome"_s, u"sette"_s}});
        QCOMPARE(raw(m_db, u"Select nome from extra Where codice = 7"_s).toString(), u"sette"_s);
        QCOMPARE(tavolo(m_db, u"Descrizione"_s, 5).toString(), u"Finestra"_s);
        QCOMPARE(catalogue(), proxy ? 2 : -1); // the tables, and the keys
    }
};

QTEST_GUILESS_MAIN(TestDao)
#include "test_dao.moc"
