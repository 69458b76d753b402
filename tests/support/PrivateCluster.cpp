#include "support/PrivateCluster.h"

#include "core/data/dao/Database.h"
#include "core/data/dao/VenueSetup.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <stdexcept>

namespace qrvtest {

namespace {

QString clusterScript() {
    return QStringLiteral(QRV_SOURCE_DIR "/tests/support/pg_cluster.sh");
}

[[noreturn]] void fail(const QString &text) {
    qCritical("%s", qPrintable(text));
    throw std::runtime_error(text.toStdString());
}

} // namespace

PrivateCluster::PrivateCluster()
    : m_dir(QDir::tempPath() + QStringLiteral("/qrvpg-own-%1-%2")
                                   .arg(QCoreApplication::applicationPid())
                                   .arg(QDateTime::currentMSecsSinceEpoch() % 100000)) {
    script({QStringLiteral("start"), m_dir, QString::number(QCoreApplication::applicationPid())});
    m_socketDir = QFileInfo(m_dir).canonicalFilePath();
}

PrivateCluster::~PrivateCluster() {
    QProcess::execute(QStringLiteral("bash"), {clusterScript(), QStringLiteral("stop"), m_dir});
}

void PrivateCluster::script(const QStringList &arguments) const {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("bash"), QStringList{clusterScript()} + arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        fail(QStringLiteral("pg_cluster.sh %1 failed:\n%2")
                 .arg(arguments.join(QLatin1Char(' ')), QString::fromLocal8Bit(process.readAll())));
}

QString PrivateCluster::maintenance(const QString &sql) const {
    // A connection of its own for each call: it must not outlive a restart of the server.
    const QString name = QStringLiteral("qrvtest-private-maintenance");
    QString error, result;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        c.setHostName(m_socketDir);
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
        fail(QStringLiteral("Private PostgreSQL cluster in %1: %2 failed: %3").arg(m_socketDir, sql, error));
    return result;
}

std::shared_ptr<qrv::dao::Database> PrivateCluster::freshDatabase() {
    const QString name = QStringLiteral("qrvown_%1").arg(++m_databases);
    maintenance(QStringLiteral("CREATE DATABASE ") + name);
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("host"), m_socketDir);
    query.addQueryItem(QStringLiteral("user"), QStringLiteral("postgres"));
    const auto db = qrv::dao::Database::open(QStringLiteral("postgresql:///") + name + QLatin1Char('?') +
                                             query.toString(QUrl::FullyEncoded));
    qrv::dao::createSchema(*db, QStringLiteral(QRV_SOURCE_DIR "/schema"));
    return db;
}

void PrivateCluster::restart(const QString &mode) {
    script({QStringLiteral("restart"), m_dir, mode});
}

void PrivateCluster::stopServer(const QString &mode) {
    script({QStringLiteral("stop-server"), m_dir, mode});
}

void PrivateCluster::startServer() {
    script({QStringLiteral("start-server"), m_dir});
}

int PrivateCluster::terminateConnections() {
    return maintenance(
               QStringLiteral("SELECT count(pg_terminate_backend(pid, 5000)) FROM pg_stat_activity WHERE "
                              "backend_type = 'client backend' AND pid <> pg_backend_pid()"))
        .toInt();
}

} // namespace qrvtest
