#pragma once

#include <QString>
#include <memory>

namespace qrv::dao {
class Database;
}

namespace qrvtest {

/**
 * A PostgreSQL cluster of one test process's own, for tests that restart, stop or cut off the
 * server: the ctest fixture's cluster serves other tests at the same time. Started by the
 * constructor, stopped and removed by the destructor (and by the script's watcher should the
 * process end without it). Every call throws std::runtime_error when the server does not do it.
 */
class PrivateCluster {
public:
    PrivateCluster();
    ~PrivateCluster();
    PrivateCluster(const PrivateCluster &) = delete;
    PrivateCluster &operator=(const PrivateCluster &) = delete;

    /** A new database holding the four venue tables, empty. */
    std::shared_ptr<qrv::dao::Database> freshDatabase();

    /** Restarts the server with shutdown mode "fast" or "immediate"; returns once it accepts connections. */
    void restart(const QString &mode);
    /** Stops the server ("fast" or "immediate"), keeping its data. */
    void stopServer(const QString &mode = QStringLiteral("fast"));
    /** Starts the stopped server again; returns once it accepts connections. */
    void startServer();
    /** Ends every other client connection to the server and waits until they are gone; returns how many. */
    int terminateConnections();

private:
    QString maintenance(const QString &sql) const;

    QString m_dir; ///< the cluster's folder, its socket's too
    int m_databases = 0;
};

} // namespace qrvtest
