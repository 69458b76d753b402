#include "support/PrivateCluster.h"

#include "core/data/dao/Database.h"
#include "core/data/dao/VenueSetup.h"
#include "support/TestDatabases.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace qrvtest {

PrivateCluster::PrivateCluster() : m_dir(startCluster(QStringLiteral("qrvpg-own"))) {}

PrivateCluster::~PrivateCluster() {
    QProcess::execute(QStringLiteral("bash"), {QStringLiteral(QRV_SOURCE_DIR "/tests/support/pg_cluster.sh"),
                                               QStringLiteral("stop"), m_dir});
}

QString PrivateCluster::maintenance(const QString &sql) const {
    // A connection of its own for each call: it must not outlive a restart of the server.
    const QString name = QStringLiteral("qrvtest-private-maintenance");
    QString error, result;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        c.setHostName(m_dir);
        c.setUserName(QStringLiteral("postgres"));
        c.setDatabaseName(QStringLiteral("postgres"));
        if (!c.open()) {
            error = c.lastError().text();
        } else {
            QSqlQuery query(c);
            if (!query.exec(sql))
                error = query.lastError().text();
            else if (query.next())
                result = query.value(0).toString();
        }
        c.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty())
        failSetUp(QStringLiteral("Private PostgreSQL cluster in %1: %2 failed: %3").arg(m_dir, sql, error));
    return result;
}

std::shared_ptr<qrv::dao::Database> PrivateCluster::freshDatabase() {
    const QString name = QStringLiteral("qrvown_%1").arg(++m_databases);
    maintenance(QStringLiteral("CREATE DATABASE ") + name);
    const auto db = qrv::dao::Database::open(clusterUrl(m_dir, name));
    qrv::dao::createSchema(*db, QStringLiteral(QRV_SOURCE_DIR "/schema"));
    return db;
}

void PrivateCluster::restart(const QString &mode) {
    clusterScript({QStringLiteral("restart"), m_dir, mode});
}

void PrivateCluster::stopServer(const QString &mode) {
    clusterScript({QStringLiteral("stop-server"), m_dir, mode});
}

void PrivateCluster::startServer() {
    clusterScript({QStringLiteral("start-server"), m_dir});
}

int PrivateCluster::terminateConnections() {
    return maintenance(
               QStringLiteral("SELECT count(pg_terminate_backend(pid, 5000)) FROM pg_stat_activity WHERE "
                              "backend_type = 'client backend' AND pid <> pg_backend_pid()"))
        .toInt();
}

} // namespace qrvtest
