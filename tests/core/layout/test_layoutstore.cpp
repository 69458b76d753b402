// The layout editor's writes to Tavoli and Sale where the forms' tests cannot reach: codes that
// are not numbers, rows deleted at another till, odd stored values, the defaults of a new table and
// the all-or-nothing deletion of a room with its tables. Every test runs on SQLite and PostgreSQL.
#include "core/data/dao/Database.h"
#include "core/layout/RoomStore.h"
#include "core/layout/TableStore.h"
#include "support/Till.h"
#include "support/VenueRows.h"

#include <QtTest>

using namespace qrv;
using qrvtest::scalar;

class TestLayoutStore : public QObject {
    Q_OBJECT

    std::unique_ptr<qrvtest::Till> m_till;

    qlonglong count(const QString &sql) { return m_till->count(sql); }
    void atAnotherTill(const QString &sql) { dao::Database::open(qrvtest::urlOf(m_till->db))->Execute(sql); }

private slots:
    void initTestCase_data() { qrvtest::addEngineRows(); }
    void init() {
        m_till = std::make_unique<qrvtest::Till>();
        m_till->open(qrvtest::engine());
    }
    void cleanup() {
        QVERIFY(m_till->box.shown.isEmpty()); // only a refused statement is reported
        m_till.reset();
    }

    void codesThatAreNotNumbersReachNoStatement() {
        const QString snapshot = QStringLiteral("Select count(*) from Tavoli Where Top = 0 and Left = 0");
        const qlonglong atOrigin = count(snapshot);
        QVERIFY(!TableStore::savePosition(QStringLiteral("5 or 1=1"), 0, 0));
        QVERIFY(!TableStore::deleteTable(QStringLiteral("2 or 1=1")));
        QVERIFY(!TablePropertiesEdit().open(QStringLiteral("7;")));
        QVERIFY(!RoomEdit().openExisting(QStringLiteral("1 or 1=1")));
        QVERIFY(!RoomEdit::deleteRoom(QStringLiteral("1 or 1=1")));
        QCOMPARE(count(snapshot), atOrigin);
        QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli")), 42);
        QCOMPARE(count(QStringLiteral("Select count(*) from Sale")), 4);
    }

    // A position is stored as given (negative too); nothing is written for a table, or a room,
    // that is not there, or that another till deleted after it was opened here: an outcome, not a
    // failure to retry, and no row lock or transaction is left behind.
    void rowsGoneAtAnotherTill() {
        QVERIFY(TableStore::savePosition(QStringLiteral("5"), -400, 1330));
        QCOMPARE(count(QStringLiteral("Select Top * 10000 + Left from Tavoli Where Codice = 5")),
                 -4000000 + 1330);
        QVERIFY(!TableStore::savePosition(QStringLiteral("777"), 200, 200));
        QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli Where Codice = 777")), 0);

        TablePropertiesEdit edit;
        QVERIFY(!edit.open(QStringLiteral("777"))); // no row: nothing to show
        QVERIFY(edit.open(QStringLiteral("11")));
        atAnotherTill(QStringLiteral("Delete * from Tavoli Where Codice = 11"));
        QCOMPARE(edit.apply(QStringLiteral("11"), QStringLiteral("Nuova")),
                 TablePropertiesEdit::Outcome::TableGone);
        QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli Where Codice = 11")), 0);
        edit.close();
        atAnotherTill(QStringLiteral("Update Tavoli Set Descrizione = 'x' Where Codice = 12"));

        RoomEdit missing;
        QVERIFY(!missing.openExisting(QStringLiteral("555")));
        QCOMPARE(missing.save(QStringLiteral("Fantasma"), QString(), 0), RoomEdit::SaveResult::RoomGone);
        QCOMPARE(count(QStringLiteral("Select count(*) from Sale Where Descrizione = 'Fantasma'")), 0);
    }

    // A new table is free, with no receipt, and its missing description and times are stored as
    // empty texts, not nulls. Stored nulls and a number with a fraction read back as they are, and
    // handing back what was read writes nothing.
    void newAndOddRows() {
        NewTable table;
        table.numero = QStringLiteral("78");
        table.codiceSala = 2;
        QVERIFY(NewTableInsert().insert(table));
        const QString row = QStringLiteral(" from Tavoli Where Numero = '78'");
        QVERIFY(count(QStringLiteral("Select Codice") + row) > 42); // assigned by the database
        QCOMPARE(count(QStringLiteral("Select ID_Scontrino") + row), 0);
        QCOMPARE(scalar(m_till->db, QStringLiteral("Select Occupato") + row), QVariant(false));
        for (const char *column : {"Descrizione", "OraOccupato", "OraUltimoOrdine"}) {
            const QVariant value =
                scalar(m_till->db, QStringLiteral("Select ") + QLatin1String(column) + row);
            QVERIFY2(!value.isNull() && value.toString().isEmpty(), column);
        }

        m_till->db->Execute(
            QStringLiteral("Update Tavoli Set Numero = NULL, Descrizione = NULL Where Codice = 9"));
        m_till->db->Execute(QStringLiteral("Update Tavoli Set Numero = '1.5' Where Codice = 10"));
        TablePropertiesEdit edit;
        QVERIFY(edit.open(QStringLiteral("9")));
        QCOMPARE(edit.numero() + edit.descrizione(), QString());
        QVERIFY(edit.open(QStringLiteral("10")));
        QCOMPARE(edit.numero(), QStringLiteral("1.5"));
        QCOMPARE(edit.apply(QStringLiteral("1.5"), edit.descrizione()),
                 TablePropertiesEdit::Outcome::Unchanged);
    }

    void roomDeletionIsAllOrNothing() {
        // The tables of the room cannot be deleted: the second statement fails.
        qrvtest::failWhen(m_till->db, QStringLiteral("tavoli_protetti"), QStringLiteral("DELETE"),
                          QStringLiteral("Tavoli"), QStringLiteral("1 = 1"));
        const qlonglong tables = count(QStringLiteral("Select count(*) from Tavoli Where CodiceSala = 2"));
        m_till->box.answers = {MessageBox::vbRetry, MessageBox::vbCancel};
        QVERIFY(!RoomEdit::deleteRoom(QStringLiteral("2")));
        // Retry ran the whole deletion again; both attempts were reported, naming the routine.
        QCOMPARE(m_till->box.shown.size(), 2);
        const QString text = m_till->box.shown.first().text;
        QVERIFY(text.startsWith(QStringLiteral("Errore in cmdCancella_Click\r\n")) &&
                text.contains(QStringLiteral("guasto simulato")));
        QCOMPARE(m_till->box.shown.first().flags, MessageBox::vbRetryCancel + MessageBox::vbCritical);
        // Neither the room nor its tables are half-deleted.
        QVERIFY(!m_till->db->inTransaction());
        QCOMPARE(count(QStringLiteral("Select count(*) from Sale Where Codice = 2")), 1);
        QCOMPARE(count(QStringLiteral("Select count(*) from Tavoli Where CodiceSala = 2")), tables);
        m_till->box.shown.clear();
    }
};

QTEST_GUILESS_MAIN(TestLayoutStore)
#include "test_layoutstore.moc"
