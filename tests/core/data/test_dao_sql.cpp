// The text side of the access layer: SQL made for each engine, FindFirst conditions, column values
// and the telling of a lost connection from other failures. No database needed.

#include "core/data/dao/ColumnValues.h"
#include "core/data/dao/ConnectionLoss.h"
#include "core/data/dao/FindCondition.h"
#include "core/data/dao/JetSql.h"
#include "core/data/dao/QueryClassification.h"
#include "core/data/dao/RowStatements.h"
#include "core/data/dao/VenueSetup.h"

#include <QtTest>

using namespace qrv::dao;
using namespace Qt::StringLiterals;
using Engine = Database::Engine;

class TestDaoSql : public QObject {
    Q_OBJECT

private slots:
    void sqlForEachEngine_data() {
        QTest::addColumn<QStringList>("made"); // on SQLite, on PostgreSQL
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char *name, const QString &sqlite, const QString &postgresql,
                            const std::function<QString(Engine)> &make) {
            QTest::newRow(name) << QStringList{make(Engine::SQLite), make(Engine::PostgreSQL)}
                                << QStringList{sqlite, postgresql.isNull() ? sqlite : postgresql};
        };
        const auto jet = [&row](const char *name, const QString &source, const QString &sqlite,
                                const QString &postgresql = QString()) {
            row(name, sqlite, postgresql, [&](Engine e) { return translateJet(source, e); });
        };
        // What must never change: quoted text, longer words, the statement's own spelling.
        const QString inText = u"Update T Set D = 'True Left Top; Delete * from' Where C = 1"_s;
        jet("words inside text", inText, inText);
        jet("doubled apostrophes", u"Update T Set D = 'Dell''Orto; True' Where C = 1;"_s,
            u"Update T Set D = 'Dell''Orto; True' Where C = 1"_s);
        const QString longer = u"Select LeftNuovo, TopNuovo, Trueness, Falsetto from A Left Join B"_s;
        jet("longer words", longer, longer);
        jet("delete without star", u"Delete from T Where C = 1"_s, u"Delete from T Where C = 1"_s);
        jet("spaced delete", u"DELETE  *  FROM Tavoli"_s, u"DELETE FROM Tavoli"_s);
        jet("trailing blanks and semicolons", u"Select * from Sale ;  ; \n"_s, u"Select * from Sale"_s);
        jet("empty", QString(), QString());
        jet("qualified and lowercase", u"Update T Set top = 200, T.LEFT = 400"_s,
            u"Update T Set top = 200, T.LEFT = 400"_s, u"Update T Set \"top\" = 200, T.\"left\" = 400"_s);
        jet("bracketed names", u"Select [Left], [Descrizione] from T"_s,
            u"Select \"Left\", \"Descrizione\" from T"_s, u"Select \"left\", \"descrizione\" from T"_s);

        // What a recordset opens: the one table its rows are written back to (and the query of a bare name).
        const auto opened = [&row](const char *name, const QString &source, const QString &sqlite,
                                   const QString &postgresql = QString()) {
            row(name, sqlite, postgresql, [&](Engine e) {
                const std::optional<ClassifiedQuery> q = classifyQuery(source, e);
                const QString bare = q && !source.contains(u' ') ? q->sql + u" | "_s : QString();
                return !q ? u"refused"_s : bare + (q->table.isEmpty() ? u"read-only"_s : q->table);
            });
        };
        opened("bracketed table", u"[Sale];"_s, uR"(SELECT * FROM "Sale" | Sale)"_s,
               uR"(SELECT * FROM "sale" | Sale)"_s);
        opened("quoted table, ordered", uR"(select Codice from "Sale" order by 1)"_s, u"Sale"_s);
        opened("subquery in the condition", u"Select * from T Where C in (Select C from U)"_s, u"T"_s);
        opened("join", u"Select * from A Left Join B on A.x = B.x"_s, u"read-only"_s);
        opened("two tables", u"Select * from A, B"_s, u"read-only"_s);
        opened("grouping", u"Select S from T group by S"_s, u"read-only"_s);
        opened("distinct", u"Select DISTINCT S from T"_s, u"read-only"_s);
        opened("common table expression", u"With t as (Select 1) Select * from t"_s, u"read-only"_s);
        opened("the word select", u"select"_s, u"select | read-only"_s);
        opened("two words", u"Tavoli x"_s, u"refused"_s);
        opened("nothing", QString(), u"refused"_s);

        // The statements that write one row back by its key.
        const QStringList columns{u"Numero"_s, u"Left"_s};
        row("lock a row", uR"(SELECT * FROM "T" WHERE "Codice" = ?)"_s,
            uR"(SELECT * FROM "t" WHERE "codice" = ? FOR UPDATE)"_s,
            [](Engine e) { return selectRowForUpdateSql(u"T"_s, u"Codice"_s, e); });
        row("insert", uR"(INSERT INTO "T" ("Numero", "Left") VALUES (?, ?) RETURNING *)"_s,
            uR"(INSERT INTO "t" ("numero", "left") VALUES (?, ?) RETURNING *)"_s,
            [&](Engine e) { return insertRowSql(u"T"_s, columns, e); });
        row("insert of defaults", uR"(INSERT INTO "T" DEFAULT VALUES RETURNING *)"_s,
            uR"(INSERT INTO "t" DEFAULT VALUES RETURNING *)"_s,
            [](Engine e) { return insertRowSql(u"T"_s, {}, e); });
        row("update", uR"(UPDATE "T" SET "Numero" = ?, "Left" = ? WHERE "Codice" = ?)"_s,
            uR"(UPDATE "t" SET "numero" = ?, "left" = ? WHERE "codice" = ?)"_s,
            [&](Engine e) { return updateRowSql(u"T"_s, columns, u"Codice"_s, e); });
        row("delete", uR"(DELETE FROM "Od""d" WHERE "ID" = ?)"_s, uR"(DELETE FROM "od""d" WHERE "id" = ?)"_s,
            [](Engine e) { return deleteRowSql(u"Od\"d"_s, u"ID"_s, e); });

        // Schema scripts split into statements (the same on every engine).
        const auto split = [](const char *name, const QString &script, const QStringList &statements) {
            QTest::newRow(name) << splitSqlScript(script) << statements;
        };
        split("two statements", u"CREATE TABLE a (x int);\nCREATE TABLE b (y int);\n"_s,
              {u"CREATE TABLE a (x int)"_s, u"CREATE TABLE b (y int)"_s});
        split("comments and blanks", u"-- a comment; with a semicolon\n\n;;SELECT 1; -- end\n"_s,
              {u"SELECT 1"_s});
        split("semicolon in text", u"Insert into t values ('a;b', 'Dell''Orto; x');Select 2"_s,
              {u"Insert into t values ('a;b', 'Dell''Orto; x')"_s, u"Select 2"_s});
        split("dashes in text", u"Select '--not a comment'"_s, {u"Select '--not a comment'"_s});
        split("quoted identifier", u"CREATE TABLE \"a;b\" (x int);"_s, {u"CREATE TABLE \"a;b\" (x int)"_s});
    }
    void sqlForEachEngine() {
        QFETCH(QStringList, made);
        QTEST(made, "expected");
    }

    void columnValues_data() {
        QTest::addColumn<QString>("use"); // as read, as assigned by a caller, as bound
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("sqlite"); // "mismatch": refused as TypeMismatch
        QTest::addColumn<QVariant>("postgresql");
        const auto row = [](const char *name, const QString &use, const QString &column, int type,
                            const QVariant &value, const QVariant &sqlite, const QVariant &postgresql = {}) {
            QTest::newRow(name) << use << column << type << value << sqlite
                                << (postgresql.isValid() ? postgresql : sqlite);
        };
        const QString read = u"read"_s, assign = u"assign"_s, bind = u"bind"_s;
        const int text = QMetaType::QString, whole = QMetaType::LongLong, real = QMetaType::Double;
        const QVariant mismatch(u"mismatch"_s), none;
        row("null read as no value", read, u"D"_s, text, QVariant(QMetaType::fromType<QString>()), none);
        row("whole number read as qint64", read, u"C"_s, QMetaType::Int, QVariant(12), QVariant(qint64(12)));
        row("Occupato is boolean", read, u"OCCUPATO"_s, whole, QVariant(qint64(-1)), QVariant(true));
        row("boolean column", read, u"Pagato"_s, QMetaType::Bool, QVariant(u"f"_s), QVariant(false));
        row("decimal read as it is", read, u"Importo"_s, real, QVariant(6.5), QVariant(6.5));
        row("number in text stays text", read, u"Numero"_s, text, QVariant(u"12"_s), QVariant(u"12"_s));
        row("text to whole number", assign, u"Tavolo"_s, whole, QVariant(u" 5 "_s), QVariant(qint64(5)));
        row("wide text to whole number", assign, u"IdRif"_s, whole, QVariant(u"2000000000"_s),
            QVariant(qint64(2000000000)));
        row("decimal rounded", assign, u"Quantita"_s, QMetaType::Int, QVariant(2.5), QVariant(qint64(3)));
        row("short widened", assign, u"Codice"_s, whole, QVariant::fromValue(qint16(7)), QVariant(qint64(7)));
        row("boolean to whole number", assign, u"Quantita"_s, whole, QVariant(true), QVariant(qint64(1)));
        row("text to decimal", assign, u"Importo"_s, real, QVariant(u"7.25"_s), QVariant(7.25));
        row("Jet -1 is true", assign, u"Occupato"_s, whole, QVariant(-1), QVariant(true));
        row("not a number", assign, u"Quantita"_s, whole, QVariant(u"abc"_s), mismatch);
        row("decimal comma", assign, u"Importo"_s, real, QVariant(u"1,5"_s), mismatch);
        row("nan", assign, u"Quantita"_s, whole, QVariant(u"nan"_s), mismatch);
        row("beyond 64 bits", assign, u"Quantita"_s, whole, QVariant(1e19), mismatch);
        row("number to text", assign, u"Numero"_s, text, QVariant(12), QVariant(12), QVariant(u"12"_s));
        row("null assigned", assign, u"Numero"_s, text, QVariant(QMetaType::fromType<QString>()), none);
        row("boolean bound", bind, QString(), 0, QVariant(true), QVariant(qint64(1)), QVariant(true));
        row("null bound", bind, QString(), 0, QVariant(QMetaType::fromType<int>()), none);
    }
    void columnValues() {
        QFETCH(QString, use);
        QFETCH(QString, column);
        QFETCH(int, type);
        QFETCH(QVariant, value);
        QFETCH(QVariant, sqlite);
        QFETCH(QVariant, postgresql);
        const Column described = describeColumn(column, type);
        for (const Engine engine : {Engine::SQLite, Engine::PostgreSQL}) {
            const QVariant expected = engine == Engine::SQLite ? sqlite : postgresql;
            QVariant result;
            try {
                result = use == u"read"_s     ? readValue(value, described)
                         : use == u"assign"_s ? assignedValue(value, described, engine)
                                              : bindableValue(value, engine);
            } catch (const DaoError &e) {
                QCOMPARE(e.number(), int(DaoErrorCode::TypeMismatch));
                result = u"mismatch"_s;
            }
            QCOMPARE(result, expected);
            QCOMPARE(result.typeId(), expected.typeId());
        }
    }

    void findCondition_data() {
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("matches"); // -1: the condition is refused
        QTest::addColumn<QString>("fields");
        const auto row = [](const char *name, const QString &condition, const QVariant &value, int matches,
                            const QString &fields = u"f"_s) {
            QTest::newRow(name) << condition << value << matches << fields;
        };
        // How a condition is read: every term must meet the value.
        row("number", u"codice = 12"_s, QVariant(12), 1, u"codice"_s);
        row("wide number", u"Codice = 4000000000"_s, QVariant(qint64(4000000000LL)), 1, u"Codice"_s);
        row("negative decimal", u"Importo >= -1.5"_s, QVariant(-1.5), 1, u"Importo"_s);
        row("double-quoted text", u"Numero <> \"3\""_s, QVariant(u"3"_s), 0, u"Numero"_s);
        row("two terms, any case and", u"codice = 12 AnD Numero <> '3'"_s, QVariant(12), 1,
            u"codice,Numero"_s);
        row("bracketed field, no blanks", u"[Left]<=400"_s, QVariant(400), 1, u"Left"_s);
        row("missing value", u"codice ="_s, QVariant(), -1);
        row("missing operator", u"codice 12"_s, QVariant(), -1);
        row("or is not supported", u"codice = 1 or codice = 2"_s, QVariant(), -1);
        row("unterminated text", u"Numero = 'abc"_s, QVariant(), -1);
        row("dangling and", u"codice = 1 and"_s, QVariant(), -1);
        row("number glued to letters", u"codice = 12abc"_s, QVariant(), -1);
        row("empty", QString(), QVariant(), -1);
        // How a value meets a term.
        row("longlong differs", u"f = 12"_s, QVariant(qint64(13)), 0);
        row("not equal", u"f <> 12"_s, QVariant(13), 1);
        row("less", u"f < 12"_s, QVariant(11), 1);
        row("greater or equal", u"f >= 12"_s, QVariant(12.0), 1);
        row("double to decimal", u"f > 6.49"_s, QVariant(6.5), 1);
        row("text holding a number against a number", u"f = 12"_s, QVariant(u"12"_s), 1);
        row("number against quoted number", u"f = '12'"_s, QVariant(12), 1);
        row("text order", u"f > 'A'"_s, QVariant(u"b"_s), 1);
        row("null never equals", u"f = 0"_s, QVariant(), 0);
        row("null never differs", u"f <> 0"_s, QVariant(), 0);
        row("null is null", u"f is null"_s, QVariant(), 1);
        row("value is not null", u"f Is Not Null"_s, QVariant(0), 1);
        row("bool false", u"f = True"_s, QVariant(false), 0);
        row("stored 1 is true", u"f = True"_s, QVariant(qint64(1)), 1);
        row("stored -1 is true", u"f = true"_s, QVariant(qint64(-1)), 1);
        row("stored 0 is false", u"f = False"_s, QVariant(qint64(0)), 1);
        row("bool field against 1", u"f = 1"_s, QVariant(true), 1);
        row("text against number that is no number", u"f = 1"_s, QVariant(u"abc"_s), 0);
        // Texts that read as a number only to a lenient parser are no number.
        row("number against 'NaN'", u"f <> 'NaN'"_s, QVariant(7.5), 1);
        row("number against '-inf'", u"f > '-inf'"_s, QVariant(qint64(7)), 0);
        row("'nan' against a number", u"f = 7"_s, QVariant(u"nan"_s), 0);
        row("number against ' 7.0 '", u"f = ' 7.0 '"_s, QVariant(qint64(7)), 1);
    }
    void findCondition() {
        QFETCH(QString, condition);
        QFETCH(QVariant, value);
        QFETCH(int, matches);
        QFETCH(QString, fields);
        const std::optional<FindCondition> parsed = FindCondition::parse(condition);
        QCOMPARE(bool(parsed), matches >= 0);
        if (!parsed)
            return;
        QStringList names;
        bool all = true;
        for (const FindCondition::Term &term : parsed->terms) {
            names << term.field;
            all = all && FindCondition::matches(value, term);
        }
        QCOMPARE(names.join(u','), fields);
        QCOMPARE(int(all), matches);
    }

    void connectionLost_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("sqlState");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("lost");
        const auto row = [](const char *name, const char *state, const QString &text, bool lost,
                            int type = QSqlError::StatementError) {
            QTest::newRow(name) << type << QString::fromLatin1(state) << text << lost;
        };
        row("driver connection error", "", QString(), true, QSqlError::ConnectionError);
        row("administrator shutdown 57P01", "57P01", QString(), true);
        row("crash shutdown 57P02", "57P02", QString(), true);
        row("cannot connect now 57P03", "57P03", QString(), true);
        row("class 08 connection failure", "08006", QString(), true);
        row("socket closed, no state", "",
            u"server closed the connection unexpectedly\n\tThis probably means"_s, true);
        row("no connection to the server", "", u"no connection to the server"_s, true,
            QSqlError::TransactionError);
        row("idle session timeout text", "57P05",
            u"FATAL:  terminating connection due to idle-session timeout"_s, true);
        row("lock not available", "55P03", u"canceling statement due to lock timeout"_s, false);
        row("deadlock", "40P01", u"deadlock detected"_s, false);
        row("syntax", "42601", u"syntax error"_s, false);
        row("query canceled 57014", "57014", u"canceling statement"_s, false);
        row("trigger failure", "P0001", u"guasto simulato"_s, false);
    }
    void connectionLost() {
        QFETCH(int, type);
        QFETCH(QString, sqlState);
        QFETCH(QString, text);
        QTEST(isConnectionLost(QSqlError::ErrorType(type), sqlState, text), "lost");
    }
};

QTEST_GUILESS_MAIN(TestDaoSql)
#include "test_dao_sql.moc"
