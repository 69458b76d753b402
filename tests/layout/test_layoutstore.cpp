// The layout editor's writes to Tavoli and Sale, on SQLite and PostgreSQL: positions, new
// tables, deletions, the properties edit, rooms (new, edit, deleted meanwhile) and the
// all-or-nothing deletion of a room with its tables.
#include "component/SharedState.h"
#include "data/dao/Database.h"
#include "layout/logic/RoomStore.h"
#include "layout/logic/TableStore.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"

#include <QtTest>

using namespace qrv;
using qrvtest::scalar;

class TestLayoutStore : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void storesPositions_data() { qrvtest::addEngineRows(); }
    void storesPositions();
    void insertsNewTables_data() { qrvtest::addEngineRows(); }
    void insertsNewTables();
    void deletesTablesButNotTheirLines_data() { qrvtest::addEngineRows(); }
    void deletesTablesButNotTheirLines();
    void editsTableProperties_data() { qrvtest::addEngineRows(); }
    void editsTableProperties();
    void propertiesOfOddRows_data() { qrvtest::addEngineRows(); }
    void propertiesOfOddRows();
    void propertiesOfATableDeletedMeanwhile_data() { qrvtest::addEngineRows(); }
    void propertiesOfATableDeletedMeanwhile();
    void createsAndEditsRooms_data() { qrvtest::addEngineRows(); }
    void createsAndEditsRooms();
    void roomDeletedMeanwhileIsNotWritten_data() { qrvtest::addEngineRows(); }
    void roomDeletedMeanwhileIsNotWritten();
    void deletesARoomWithItsTables_data() { qrvtest::addEngineRows(); }
    void deletesARoomWithItsTables();
    void roomDeletionIsAllOrNothing_data() { qrvtest::addEngineRows(); }
    void roomDeletionIsAllOrNothing();

private:
    std::shared_ptr<dao::Database> demo();
    qlonglong count(const QString &sql) { return scalar(m_db, sql).toLongLong(); }

    std::shared_ptr<dao::Database> m_db;
    std::unique_ptr<qrvtest::ScriptedMessageBox> m_box;
};

void TestLayoutStore::init() {
    m_box = std::make_unique<qrvtest::ScriptedMessageBox>();
}

void TestLayoutStore::cleanup() {
    SharedState::current().DataBase.reset();
    m_db.reset();
    m_box.reset();
}

std::shared_ptr<dao::Database> TestLayoutStore::demo() {
    QFETCH(QString, engine);
    m_db = qrvtest::demoDatabase(engine);
    SharedState::current().DataBase = m_db;
    return m_db;
}

void TestLayoutStore::storesPositions() {
    demo();
    QVERIFY(TableStore::savePosition(QStringLiteral("5"), -400, 1330));
    QCOMPARE(count(QStringLiteral("Select Top from Tavoli Where Codice = 5")), -400);
    QCOMPARE(count(QStringLiteral("Select Left from Tavoli Where Codice = 5")), 1330);
    // Another table keeps its place.
    QCOMPARE(count(QStringLiteral("Select Top from Tavoli Where Codice = 6")), 2800);

    // A table deleted at another till is not written back, and nothing is shown.
    QVERIFY(!TableStore::savePosition(QStringLiteral("777"), 200, 200));
    QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli Where Codice = 777")), 0);
    // A tag that is not a code never reaches the database.
    const QString atOrigin = QStringLiteral("Select count(*) from Tavoli Where Top = 0 and Left = 0");
    const qlonglong before = count(atOrigin);
    QVERIFY(!TableStore::savePosition(QStringLiteral("5 or 1=1"), 0, 0));
    QCOMPARE(count(atOrigin), before);
    QVERIFY(m_box->shown.isEmpty());
}

void TestLayoutStore::insertsNewTables() {
    demo();
    const qlonglong before = count(QStringLiteral("Select count(*) from Tavoli"));
    NewTable table;
    table.numero = QStringLiteral("77");
    table.descrizione = QStringLiteral("Vicino all'ingresso");
    table.codiceSala = 2;
    table.top = 600;
    table.left = 1200;
    QVERIFY(TableStore::insertTable(table));
    table.numero = QStringLiteral("78");
    table.descrizione = QString();
    QVERIFY(TableStore::insertTable(table));
    QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli")), before + 2);

    const QString row = QStringLiteral(" from Tavoli Where Numero = '77'");
    QCOMPARE(scalar(m_db, QStringLiteral("Select Descrizione") + row).toString(),
             QStringLiteral("Vicino all'ingresso"));
    QCOMPARE(count(QStringLiteral("Select CodiceSala") + row), 2);
    QCOMPARE(count(QStringLiteral("Select Left") + row), 1200);
    QCOMPARE(count(QStringLiteral("Select Top") + row), 600);
    QCOMPARE(scalar(m_db, QStringLiteral("Select Occupato") + row).toBool(), false);
    QCOMPARE(count(QStringLiteral("Select ID_Scontrino") + row), 0);
    const QVariant oraOccupato = scalar(m_db, QStringLiteral("Select OraOccupato") + row);
    QVERIFY(!oraOccupato.isNull());
    QCOMPARE(oraOccupato.toString(), QString());
    QVERIFY(!scalar(m_db, QStringLiteral("Select OraUltimoOrdine") + row).isNull());
    // The database assigned a new code, above the demo's.
    QVERIFY(count(QStringLiteral("Select Codice") + row) > 42);
    // An empty description is stored as empty text, not as a null.
    const QVariant empty = scalar(m_db, QStringLiteral("Select Descrizione from Tavoli Where Numero = '78'"));
    QVERIFY(!empty.isNull());
    QCOMPARE(empty.toString(), QString());
}

void TestLayoutStore::deletesTablesButNotTheirLines() {
    demo();
    const qlonglong lines = count(QStringLiteral("Select count(*) from DettaglioTavoli Where Tavolo = 1"));
    QVERIFY(lines > 0);
    QVERIFY(TableStore::deleteTable(QStringLiteral("1"))); // occupied: deleted all the same
    QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli Where Codice = 1")), 0);
    QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli Where Codice = 2")), 1);
    QCOMPARE(count(QStringLiteral("Select count(*) from DettaglioTavoli Where Tavolo = 1")), lines);
    QVERIFY(!TableStore::deleteTable(QStringLiteral("2 or 1=1")));
    QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli Where Codice = 2")), 1);
}

void TestLayoutStore::editsTableProperties() {
    demo();
    m_db->Execute(
        QStringLiteral("Update Tavoli Set Numero = '07', Descrizione = 'Finestra' Where Codice = 7"));
    {
        TablePropertiesEdit edit;
        QVERIFY(edit.open(QStringLiteral("7")));
        QCOMPARE(edit.numero(), QStringLiteral("07"));
        QCOMPARE(edit.descrizione(), QStringLiteral("Finestra"));
        // Closing the data form hands back what was read: nothing is written.
        QCOMPARE(edit.apply(QStringLiteral("07"), QStringLiteral("Finestra")),
                 TablePropertiesEdit::Outcome::Unchanged);
        // The formatted number goes back; an emptied description leaves the stored one.
        QCOMPARE(edit.apply(QStringLiteral("7"), QString()), TablePropertiesEdit::Outcome::Written);
    }
    QCOMPARE(scalar(m_db, QStringLiteral("Select Numero from Tavoli Where Codice = 7")).toString(),
             QStringLiteral("7"));
    QCOMPARE(scalar(m_db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 7")).toString(),
             QStringLiteral("Finestra"));
    {
        TablePropertiesEdit edit;
        QVERIFY(edit.open(QStringLiteral("7")));
        QCOMPARE(edit.apply(QStringLiteral("7"), QStringLiteral("Tavolo dell'oste")),
                 TablePropertiesEdit::Outcome::Written);
    }
    QCOMPARE(scalar(m_db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 7")).toString(),
             QStringLiteral("Tavolo dell'oste"));
    QCOMPARE(scalar(m_db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 8")).isNull(), true);
    QVERIFY(m_box->shown.isEmpty());
}

void TestLayoutStore::propertiesOfOddRows() {
    demo();
    m_db->Execute(QStringLiteral("Update Tavoli Set Numero = NULL, Descrizione = NULL Where Codice = 9"));
    m_db->Execute(QStringLiteral("Update Tavoli Set Numero = '1.5' Where Codice = 10"));
    TablePropertiesEdit edit;
    QVERIFY(edit.open(QStringLiteral("9")));
    QCOMPARE(edit.numero(), QString());
    QCOMPARE(edit.descrizione(), QString());
    QVERIFY(edit.open(QStringLiteral("10")));
    QCOMPARE(edit.numero(), QStringLiteral("1.5"));
    QVERIFY(!edit.open(QStringLiteral("777"))); // no row: nothing to show
    QVERIFY(!edit.open(QStringLiteral("7;")));
    QVERIFY(m_box->shown.isEmpty());
}

void TestLayoutStore::propertiesOfATableDeletedMeanwhile() {
    demo();
    TablePropertiesEdit edit;
    QVERIFY(edit.open(QStringLiteral("11")));
    // Another till deletes the table while the data form is open.
    std::shared_ptr<dao::Database> other = dao::Database::open(qrvtest::urlOf(m_db));
    other->Execute(QStringLiteral("Delete * from Tavoli Where Codice = 11"));
    QCOMPARE(edit.apply(QStringLiteral("11"), QStringLiteral("Nuova")),
             TablePropertiesEdit::Outcome::TableGone);
    QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli Where Codice = 11")), 0);
    QVERIFY(m_box->shown.isEmpty()); // an outcome, not a failure to retry
    edit.close();
    // No row lock or transaction is left behind: another write goes through at once.
    other->Execute(QStringLiteral("Update Tavoli Set Descrizione = 'x' Where Codice = 12"));
}

void TestLayoutStore::createsAndEditsRooms() {
    demo();
    {
        RoomEdit room;
        room.openNew();
        QVERIFY(room.isNew());
        QCOMPARE(room.save(QStringLiteral("Sala dell'Angolo"), QStringLiteral("terrazza.png"), 255),
                 RoomEdit::SaveResult::Saved);
    }
    const QString added = QStringLiteral(" from Sale Where Descrizione = 'Sala dell''Angolo'");
    QCOMPARE(count(QStringLiteral("Select count(*)") + added), 1);
    QCOMPARE(scalar(m_db, QStringLiteral("Select Sfondo") + added).toString(),
             QStringLiteral("terrazza.png"));
    QCOMPARE(count(QStringLiteral("Select ColoreSfondo") + added), 255);
    const QString codice = scalar(m_db, QStringLiteral("Select Codice") + added).toString();
    QVERIFY(codice.toInt() > 3 && codice.toInt() != 9999);

    // Room 1 has neither image nor colour: they read as none.
    {
        RoomEdit room;
        QVERIFY(room.openExisting(QStringLiteral("1")));
        QVERIFY(!room.isNew());
        QCOMPARE(room.descrizione(), QStringLiteral("Sala"));
        QCOMPARE(room.sfondo(), QString());
        QCOMPARE(room.coloreSfondo(), 0);
        QCOMPARE(room.save(QStringLiteral("Sala grande"), QString(), 16711680), RoomEdit::SaveResult::Saved);
    }
    QCOMPARE(scalar(m_db, QStringLiteral("Select Descrizione from Sale Where Codice = 1")).toString(),
             QStringLiteral("Sala grande"));
    const QVariant sfondo = scalar(m_db, QStringLiteral("Select Sfondo from Sale Where Codice = 1"));
    QVERIFY(!sfondo.isNull()); // saved as empty text
    QCOMPARE(sfondo.toString(), QString());
    QCOMPARE(count(QStringLiteral("Select ColoreSfondo from Sale Where Codice = 1")), 16711680);
    QCOMPARE(scalar(m_db, QStringLiteral("Select Descrizione from Sale Where Codice = 2")).toString(),
             QStringLiteral("Veranda"));
    {
        RoomEdit room;
        QVERIFY(room.openExisting(QStringLiteral("3")));
        QCOMPARE(room.coloreSfondo(), 9884330);
        QVERIFY(room.openExisting(QStringLiteral("2")));
        QCOMPARE(room.sfondo(), QStringLiteral("parquet.png"));
        QVERIFY(!room.openExisting(QStringLiteral("555")));
        QVERIFY(!room.openExisting(QStringLiteral("1 or 1=1")));
    }
    QVERIFY(m_box->shown.isEmpty());
}

void TestLayoutStore::roomDeletedMeanwhileIsNotWritten() {
    demo();
    RoomEdit room;
    QVERIFY(room.openExisting(QStringLiteral("3")));
    std::shared_ptr<dao::Database> other = dao::Database::open(qrvtest::urlOf(m_db));
    other->Execute(QStringLiteral("Delete * from Sale Where Codice = 3"));
    QCOMPARE(room.save(QStringLiteral("Giardino d'inverno"), QString(), 0), RoomEdit::SaveResult::RoomGone);
    QCOMPARE(count(QStringLiteral("Select count(*) from Sale Where Codice = 3")), 0);
    QCOMPARE(count(QStringLiteral("Select count(*) from Sale Where Descrizione = 'Giardino d''inverno'")), 0);
    QVERIFY(m_box->shown.isEmpty());
    // A room that was already missing when the form opened is not written either.
    RoomEdit missing;
    QVERIFY(!missing.openExisting(QStringLiteral("555")));
    QCOMPARE(missing.save(QStringLiteral("Fantasma"), QString(), 0), RoomEdit::SaveResult::RoomGone);
    QCOMPARE(count(QStringLiteral("Select count(*) from Sale Where Descrizione = 'Fantasma'")), 0);
}

void TestLayoutStore::deletesARoomWithItsTables() {
    demo();
    const qlonglong lines = count(QStringLiteral("Select count(*) from DettaglioTavoli"));
    const qlonglong otherTables = count(QStringLiteral("Select count(*) from Tavoli Where CodiceSala <> 2"));
    QVERIFY(count(QStringLiteral("Select count(*) from Tavoli Where CodiceSala = 2")) > 0);
    QVERIFY(RoomEdit::deleteRoom(QStringLiteral("2")));
    QCOMPARE(count(QStringLiteral("Select count(*) from Sale Where Codice = 2")), 0);
    QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli Where CodiceSala = 2")), 0);
    QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli Where CodiceSala <> 2")), otherTables);
    QCOMPARE(count(QStringLiteral("Select count(*) from Sale")), 3);
    QCOMPARE(count(QStringLiteral("Select count(*) from DettaglioTavoli")), lines); // order lines stay
    QVERIFY(!m_db->inTransaction());
    QVERIFY(!RoomEdit::deleteRoom(QStringLiteral("1 or 1=1")));
    QCOMPARE(count(QStringLiteral("Select count(*) from Sale")), 3);
}

void TestLayoutStore::roomDeletionIsAllOrNothing() {
    QFETCH(QString, engine);
    demo();
    // The tables of the room cannot be deleted: the second statement fails.
    if (engine == QLatin1String("sqlite")) {
        m_db->ExecuteNative(QStringLiteral("CREATE TRIGGER tavoli_protetti BEFORE DELETE ON Tavoli "
                                           "BEGIN SELECT RAISE(ABORT, 'tavoli protetti'); END"));
    } else {
        m_db->ExecuteNative(
            QStringLiteral("CREATE FUNCTION tavoli_protetti() RETURNS trigger LANGUAGE plpgsql AS "
                           "$$ BEGIN RAISE EXCEPTION 'tavoli protetti'; END $$"));
        m_db->ExecuteNative(QStringLiteral("CREATE TRIGGER tavoli_protetti BEFORE DELETE ON tavoli "
                                           "FOR EACH ROW EXECUTE FUNCTION tavoli_protetti()"));
    }
    const qlonglong tables = count(QStringLiteral("Select count(*) from Tavoli Where CodiceSala = 2"));
    m_box->answers = {MessageBox::vbRetry, MessageBox::vbCancel};
    QVERIFY(!RoomEdit::deleteRoom(QStringLiteral("2")));
    // Retry ran the whole deletion again; both attempts were reported, naming the routine.
    QCOMPARE(m_box->shown.size(), 2);
    QVERIFY(m_box->shown.first().text.startsWith(QStringLiteral("Errore in cmdCancella_Click\r\n")));
    QVERIFY(m_box->shown.first().text.contains(QStringLiteral("tavoli protetti")));
    QCOMPARE(m_box->shown.first().flags, MessageBox::vbRetryCancel + MessageBox::vbCritical);
    // Neither the room nor its tables are half-deleted.
    QVERIFY(!m_db->inTransaction());
    QCOMPARE(count(QStringLiteral("Select count(*) from Sale Where Codice = 2")), 1);
    QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli Where CodiceSala = 2")), tables);
}

QTEST_GUILESS_MAIN(TestLayoutStore)
#include "test_layoutstore.moc"
