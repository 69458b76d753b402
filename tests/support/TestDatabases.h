#pragma once

#include <QString>
#include <QStringList>
#include <QTest>
#include <memory>

namespace qrv::dao {
class Database;
}

namespace qrvtest {

/** "sqlite", and "postgresql" unless QRV_TEST_PG=off. */
QStringList engines();

/** Adds the column "engine" and one row per engine to the current QtTest _data() table. */
void addEngineRows();

/** The engine of the running test row (global data column "engine", see addEngineRows). */
inline QString engine() {
    QFETCH_GLOBAL(QString, engine);
    return engine;
}

/** Fills the current _data() table with the column "row": one row per entry of rows, named after it. */
template <typename Row> void rowTable(std::initializer_list<Row> rows) {
    QTest::addColumn<Row>("row");
    for (const Row &r : rows)
        QTest::newRow(r.name) << r;
}

/**
 * A new, empty venue database on engine ("sqlite" or "postgresql"): the four tables exist, no rows.
 * SQLite lives in a temporary folder kept until the process exits; PostgreSQL is a new database
 * in the throwaway cluster (the ctest fixture's, or one this process starts and removes at exit).
 */
std::shared_ptr<qrv::dao::Database> freshDatabase(const QString &engine);

/** As freshDatabase, filled with the demo venue of schema/. */
std::shared_ptr<qrv::dao::Database> demoDatabase(const QString &engine);

/** The URL that opens the same database from another connection or process. */
QString urlOf(const std::shared_ptr<qrv::dao::Database> &db);

/** Runs a statement and returns the first column of the first row (null when there is none). */
QVariant scalar(const std::shared_ptr<qrv::dao::Database> &db, const QString &sql);

/** Logs text and throws std::runtime_error: a test set-up that cannot go on. */
[[noreturn]] void failSetUp(const QString &text);

/** Starts a throwaway PostgreSQL cluster owned by this process; returns its folder (the socket's). */
QString startCluster(const QString &prefix);
/** Runs tests/support/pg_cluster.sh with arguments ("stop dir", "restart dir fast", ...). */
void clusterScript(const QStringList &arguments);
/** The address of database in the cluster listening in socketDir, as user postgres. */
QString clusterUrl(const QString &socketDir, const QString &database);

} // namespace qrvtest
