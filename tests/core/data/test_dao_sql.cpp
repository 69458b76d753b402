// The text side of the access layer: Jet-dialect translation, FindFirst conditions, the splitting
// of schema scripts and the telling of a lost connection from other failures. No database needed.

#include "core/data/dao/ConnectionLoss.h"
#include "core/data/dao/FindCondition.h"
#include "core/data/dao/JetSql.h"
#include "core/data/dao/VenueSetup.h"

#include <QtTest>

using qrv::dao::Database;
using qrv::dao::FindCondition;

class TestDaoSql : public QObject {
    Q_OBJECT

private slots:
    void translateJet_data() {
        QTest::addColumn<QString>("jet");
        QTest::addColumn<QString>("sqlite");
        QTest::addColumn<QString>("postgresql");

        const auto same = [](const char *name, const char *jet, const char *expected) {
            QTest::newRow(name) << QString::fromUtf8(jet) << QString::fromUtf8(expected)
                                << QString::fromUtf8(expected);
        };
        // The component's statements that need translating (test_dao runs every one of them).
        same("remove one line", "Delete * from DettaglioTavoli Where Tavolo = 12 and ID = 5",
             "DELETE FROM DettaglioTavoli Where Tavolo = 12 and ID = 5");
        QTest::newRow("free the table")
            << QStringLiteral("Update Tavoli Set Occupato = False, Descrizione = '' Where Codice = 12")
            << QStringLiteral("Update Tavoli Set Occupato = 0, Descrizione = '' Where Codice = 12")
            << QStringLiteral("Update Tavoli Set Occupato = FALSE, Descrizione = '' Where Codice = 12");
        QTest::newRow("position") << QStringLiteral("Select Codice, Top, Left from Tavoli Where codice = 12")
                                  << QStringLiteral("Select Codice, Top, Left from Tavoli Where codice = 12")
                                  << QStringLiteral(
                                         "Select Codice, \"top\", \"left\" from Tavoli Where codice = 12");

        // What must never change: quoted text, longer words, the statement's own spelling.
        same("words inside text",
             "Update Tavoli Set Descrizione = 'True Left Top; Delete * from' Where Codice = 1",
             "Update Tavoli Set Descrizione = 'True Left Top; Delete * from' Where Codice = 1");
        same("doubled apostrophes", "Update Tavoli Set Descrizione = 'Dell''Orto; True' Where Codice = 1;",
             "Update Tavoli Set Descrizione = 'Dell''Orto; True' Where Codice = 1");
        same("longer words", "Select LeftNuovo, TopNuovo, Trueness, Falsetto from A Left Join B",
             "Select LeftNuovo, TopNuovo, Trueness, Falsetto from A Left Join B");
        same("delete without star", "Delete from Tavoli Where Codice = 1",
             "Delete from Tavoli Where Codice = 1");
        same("spaced delete", "DELETE  *  FROM Tavoli", "DELETE FROM Tavoli");
        same("trailing blanks and semicolons", "Select * from Sale ;  ; \n", "Select * from Sale");
        same("empty", "", "");
        QTest::newRow("qualified and lowercase")
            << QStringLiteral("Update Tavoli Set top = 200, Tavoli.LEFT = 400")
            << QStringLiteral("Update Tavoli Set top = 200, Tavoli.LEFT = 400")
            << QStringLiteral("Update Tavoli Set \"top\" = 200, Tavoli.\"left\" = 400");
        QTest::newRow("bracketed names") << QStringLiteral("Select [Left], [Descrizione] from Tavoli")
                                         << QStringLiteral("Select \"Left\", \"Descrizione\" from Tavoli")
                                         << QStringLiteral("Select \"left\", \"descrizione\" from Tavoli");
        QTest::newRow("insert with position")
            << QStringLiteral(
                   "Insert into Tavoli (Numero, Top, Left, Occupato) values ('5', 200, 400, False);")
            << QStringLiteral("Insert into Tavoli (Numero, Top, Left, Occupato) values ('5', 200, 400, 0)")
            << QStringLiteral(
                   "Insert into Tavoli (Numero, \"top\", \"left\", Occupato) values ('5', 200, 400, FALSE)");
    }

    void translateJet() {
        QFETCH(QString, jet);
        QFETCH(QString, sqlite);
        QFETCH(QString, postgresql);
        QCOMPARE(qrv::dao::translateJet(jet, Database::Engine::SQLite), sqlite);
        QCOMPARE(qrv::dao::translateJet(jet, Database::Engine::PostgreSQL), postgresql);
    }

    void parseCondition_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("terms"); // -1: refused
        QTest::addColumn<QString>("lastField");
        QTest::addColumn<QVariant>("lastValue");

        QTest::newRow("number") << QStringLiteral("codice = 12") << 1 << QStringLiteral("codice")
                                << QVariant(qint64(12));
        QTest::newRow("wide number") << QStringLiteral("Codice = 4000000000") << 1 << QStringLiteral("Codice")
                                     << QVariant(qint64(4000000000LL));
        QTest::newRow("negative decimal")
            << QStringLiteral("Importo >= -1.5") << 1 << QStringLiteral("Importo") << QVariant(-1.5);
        QTest::newRow("text with apostrophe")
            << QStringLiteral("Descrizione = 'Dell''Orto'") << 1 << QStringLiteral("Descrizione")
            << QVariant(QStringLiteral("Dell'Orto"));
        QTest::newRow("double-quoted text") << QStringLiteral("Numero <> \"3\"") << 1
                                            << QStringLiteral("Numero") << QVariant(QStringLiteral("3"));
        QTest::newRow("two terms, any case and") << QStringLiteral("codice = 12 AnD Numero <> '3'") << 2
                                                 << QStringLiteral("Numero") << QVariant(QStringLiteral("3"));
        QTest::newRow("boolean") << QStringLiteral("Occupato = True") << 1 << QStringLiteral("Occupato")
                                 << QVariant(true);
        QTest::newRow("bracketed field, no blanks")
            << QStringLiteral("[Left]<=400") << 1 << QStringLiteral("Left") << QVariant(qint64(400));
        QTest::newRow("is null") << QStringLiteral("Descrizione Is Null") << 1
                                 << QStringLiteral("Descrizione") << QVariant();
        QTest::newRow("missing value") << QStringLiteral("codice =") << -1 << QString() << QVariant();
        QTest::newRow("missing operator") << QStringLiteral("codice 12") << -1 << QString() << QVariant();
        QTest::newRow("or is not supported")
            << QStringLiteral("codice = 1 or codice = 2") << -1 << QString() << QVariant();
        QTest::newRow("unterminated text")
            << QStringLiteral("Numero = 'abc") << -1 << QString() << QVariant();
        QTest::newRow("dangling and") << QStringLiteral("codice = 1 and") << -1 << QString() << QVariant();
        QTest::newRow("number glued to letters")
            << QStringLiteral("codice = 12abc") << -1 << QString() << QVariant();
        QTest::newRow("empty") << QString() << -1 << QString() << QVariant();
    }

    void parseCondition() {
        QFETCH(QString, text);
        QFETCH(int, terms);
        QFETCH(QString, lastField);
        QFETCH(QVariant, lastValue);

        const std::optional<FindCondition> parsed = FindCondition::parse(text);
        if (terms < 0) {
            QVERIFY(!parsed);
            return;
        }
        QVERIFY(parsed);
        QCOMPARE(parsed->terms.size(), terms);
        QCOMPARE(parsed->terms.constLast().field, lastField);
        QCOMPARE(parsed->terms.constLast().value, lastValue);
    }

    void conditionMatches_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<bool>("matches");

        QTest::newRow("int equals") << QVariant(12) << QStringLiteral("f = 12") << true;
        QTest::newRow("longlong differs") << QVariant(qint64(13)) << QStringLiteral("f = 12") << false;
        QTest::newRow("not equal") << QVariant(13) << QStringLiteral("f <> 12") << true;
        QTest::newRow("less") << QVariant(11) << QStringLiteral("f < 12") << true;
        QTest::newRow("greater or equal") << QVariant(12.0) << QStringLiteral("f >= 12") << true;
        QTest::newRow("double to decimal") << QVariant(6.5) << QStringLiteral("f > 6.49") << true;
        QTest::newRow("text ignores case")
            << QVariant(QStringLiteral("Rossi Mario")) << QStringLiteral("f = 'ROSSI mario'") << true;
        QTest::newRow("text apostrophe")
            << QVariant(QStringLiteral("Dell'Orto")) << QStringLiteral("f = 'Dell''Orto'") << true;
        QTest::newRow("text holding a number against a number")
            << QVariant(QStringLiteral("12")) << QStringLiteral("f = 12") << true;
        QTest::newRow("number against quoted number") << QVariant(12) << QStringLiteral("f = '12'") << true;
        QTest::newRow("text order") << QVariant(QStringLiteral("b")) << QStringLiteral("f > 'A'") << true;
        QTest::newRow("null never equals") << QVariant() << QStringLiteral("f = 0") << false;
        QTest::newRow("null never differs") << QVariant() << QStringLiteral("f <> 0") << false;
        QTest::newRow("null is null") << QVariant() << QStringLiteral("f is null") << true;
        QTest::newRow("value is not null") << QVariant(0) << QStringLiteral("f Is Not Null") << true;
        QTest::newRow("bool true") << QVariant(true) << QStringLiteral("f = True") << true;
        QTest::newRow("bool false") << QVariant(false) << QStringLiteral("f = True") << false;
        QTest::newRow("stored 1 is true") << QVariant(qint64(1)) << QStringLiteral("f = True") << true;
        QTest::newRow("stored -1 is true") << QVariant(qint64(-1)) << QStringLiteral("f = true") << true;
        QTest::newRow("stored 0 is false") << QVariant(qint64(0)) << QStringLiteral("f = False") << true;
        QTest::newRow("bool field against 1") << QVariant(true) << QStringLiteral("f = 1") << true;
        QTest::newRow("text against number that is no number")
            << QVariant(QStringLiteral("abc")) << QStringLiteral("f = 1") << false;
        // Texts that read as a number only to a lenient parser are no number.
        QTest::newRow("number against 'nan'")
            << QVariant(qint64(7)) << QStringLiteral("Codice = 'nan'") << false;
        QTest::newRow("number against 'NaN'") << QVariant(7.5) << QStringLiteral("f <> 'NaN'") << true;
        QTest::newRow("number against 'inf'") << QVariant(qint64(7)) << QStringLiteral("f < 'inf'") << false;
        QTest::newRow("number against '-inf'")
            << QVariant(qint64(7)) << QStringLiteral("f > '-inf'") << false;
        QTest::newRow("'nan' against a number")
            << QVariant(QStringLiteral("nan")) << QStringLiteral("f = 7") << false;
        QTest::newRow("number against ' 7.0 '")
            << QVariant(qint64(7)) << QStringLiteral("f = ' 7.0 '") << true;
    }

    void conditionMatches() {
        QFETCH(QVariant, value);
        QFETCH(QString, condition);
        QFETCH(bool, matches);
        const std::optional<FindCondition> parsed = FindCondition::parse(condition);
        QVERIFY(parsed);
        QCOMPARE(FindCondition::matches(value, parsed->terms.constFirst()), matches);
    }

    void splitScript_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("statements");

        QTest::newRow("two statements")
            << QStringLiteral("CREATE TABLE a (x int);\nCREATE TABLE b (y int);\n")
            << QStringList{QStringLiteral("CREATE TABLE a (x int)"),
                           QStringLiteral("CREATE TABLE b (y int)")};
        QTest::newRow("comments and blanks")
            << QStringLiteral("-- a comment; with a semicolon\n\n;;SELECT 1; -- end\n")
            << QStringList{QStringLiteral("SELECT 1")};
        QTest::newRow("semicolon in text")
            << QStringLiteral("Insert into t values ('a;b', 'Dell''Orto; x');Select 2")
            << QStringList{QStringLiteral("Insert into t values ('a;b', 'Dell''Orto; x')"),
                           QStringLiteral("Select 2")};
        QTest::newRow("dashes in text") << QStringLiteral("Select '--not a comment'")
                                        << QStringList{QStringLiteral("Select '--not a comment'")};
        QTest::newRow("quoted identifier") << QStringLiteral("CREATE TABLE \"a;b\" (x int);")
                                           << QStringList{QStringLiteral("CREATE TABLE \"a;b\" (x int)")};
    }

    void connectionLost_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("sqlState");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("lost");
        const int statement = QSqlError::StatementError, connection = QSqlError::ConnectionError;
        QTest::newRow("driver connection error") << connection << QString() << QString() << true;
        QTest::newRow("administrator shutdown 57P01")
            << statement << QStringLiteral("57P01")
            << QStringLiteral("FATAL:  terminating connection due to administrator command") << true;
        QTest::newRow("crash shutdown 57P02") << statement << QStringLiteral("57P02") << QString() << true;
        QTest::newRow("cannot connect now 57P03")
            << statement << QStringLiteral("57P03") << QString() << true;
        QTest::newRow("class 08 connection failure")
            << statement << QStringLiteral("08006") << QString() << true;
        QTest::newRow("class 08 protocol violation")
            << statement << QStringLiteral("08P01") << QString() << true;
        QTest::newRow("socket closed, no state")
            << statement << QString()
            << QStringLiteral("server closed the connection unexpectedly\n\tThis probably means the server "
                              "terminated abnormally")
            << true;
        QTest::newRow("no connection to the server") << int(QSqlError::TransactionError) << QString()
                                                     << QStringLiteral("no connection to the server") << true;
        QTest::newRow("idle session timeout text")
            << statement << QStringLiteral("57P05")
            << QStringLiteral("FATAL:  terminating connection due to idle-session timeout") << true;
        QTest::newRow("lock not available")
            << statement << QStringLiteral("55P03")
            << QStringLiteral("canceling statement due to lock timeout") << false;
        QTest::newRow("deadlock") << statement << QStringLiteral("40P01")
                                  << QStringLiteral("deadlock detected") << false;
        QTest::newRow("syntax") << statement << QStringLiteral("42601") << QStringLiteral("syntax error")
                                << false;
        QTest::newRow("query canceled 57014")
            << statement << QStringLiteral("57014") << QStringLiteral("canceling statement") << false;
        QTest::newRow("trigger failure")
            << statement << QStringLiteral("P0001") << QStringLiteral("guasto simulato") << false;
    }
    void connectionLost() {
        QFETCH(int, type);
        QFETCH(QString, sqlState);
        QFETCH(QString, text);
        QFETCH(bool, lost);
        QCOMPARE(qrv::dao::isConnectionLost(QSqlError::ErrorType(type), sqlState, text), lost);
    }

    void splitScript() {
        QFETCH(QString, script);
        QFETCH(QStringList, statements);
        QCOMPARE(qrv::dao::splitSqlScript(script), statements);
    }
};

QTEST_GUILESS_MAIN(TestDaoSql)
#include "test_dao_sql.moc"
