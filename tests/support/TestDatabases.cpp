#include "support/TestDatabases.h"

#include "core/data/dao/Database.h"
#include "core/data/dao/JetSql.h"
#include "core/data/dao/Recordset.h"
#include "core/data/dao/VenueSetup.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>
#include <cstdlib>
#include <stdexcept>

namespace qrvtest {

using qrv::dao::Database;

namespace {

QString schemaDir() {
    return QStringLiteral(QRV_SOURCE_DIR "/schema");
}

QString clusterScript() {
    return QStringLiteral(QRV_SOURCE_DIR "/tests/support/pg_cluster.sh");
}

[[noreturn]] void fail(const QString &text) {
    qCritical("%s", qPrintable(text));
    throw std::runtime_error(text.toStdString());
}

bool pgWanted() {
    return qEnvironmentVariable("QRV_TEST_PG").compare(QLatin1String("off"), Qt::CaseInsensitive) != 0;
}

// ---- SQLite: files in one temporary folder, kept until the process ends --------------------

QTemporaryDir &sqliteFolder() {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/qrvtest-XXXXXX"));
    if (!folder.isValid())
        fail(QStringLiteral("Cannot create a temporary folder for the SQLite databases"));
    return folder;
}

// ---- PostgreSQL: the ctest fixture's cluster, or one this process starts and stops ----------

class PgCluster {
public:
    static PgCluster &instance() {
        static PgCluster cluster;
        return cluster;
    }

    /** A new database named after this process; from the template when one is given. */
    QString createDatabase(const QString &templateName = QString()) {
        QMutexLocker lock(&m_mutex);
        ensureRunning();
        const QString name =
            QStringLiteral("qrvtest_%1_%2").arg(QCoreApplication::applicationPid()).arg(++m_counter);
        QString sql = QStringLiteral("CREATE DATABASE ") + name;
        if (!templateName.isEmpty())
            sql += QStringLiteral(" TEMPLATE ") + templateName;
        maintenance(sql);
        m_created.append(name);
        return name;
    }

    QString urlFor(const QString &database) const {
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("host"), m_socketDir);
        query.addQueryItem(QStringLiteral("user"), QStringLiteral("postgres"));
        return QStringLiteral("postgresql:///") + database + QLatin1Char('?') +
               query.toString(QUrl::FullyEncoded);
    }

    /** A template database holding the schema (and the demo when demo is true), made once. */
    QString templateDatabase(bool demo) {
        QString &name = demo ? m_demoTemplate : m_schemaTemplate;
        if (!name.isEmpty())
            return name;
        const QString created = createDatabase();
        {
            std::shared_ptr<Database> db = Database::open(urlFor(created));
            qrv::dao::createSchema(*db, schemaDir());
            if (demo)
                qrv::dao::loadDemoVenue(*db, schemaDir());
        }
        name = created;
        return name;
    }

private:
    PgCluster() = default;

    void ensureRunning() {
        if (!m_socketDir.isEmpty())
            return;
        const QString fixture = qEnvironmentVariable("QRV_TEST_PG_DIR");
        if (!fixture.isEmpty()) {
            const QString socketDir = QFileInfo(fixture).canonicalFilePath();
            if (!socketDir.isEmpty() && QFileInfo::exists(socketDir + QStringLiteral("/.s.PGSQL.5432"))) {
                m_socketDir = socketDir;
                registerCleanup();
                return;
            }
        }
        // No shared cluster: start one for this process and remove it at exit.
        const QString dir = QDir::tempPath() + QStringLiteral("/qrvpg-%1-%2")
                                                   .arg(QCoreApplication::applicationPid())
                                                   .arg(QDateTime::currentMSecsSinceEpoch() % 100000);
        QProcess script;
        script.setProcessChannelMode(QProcess::MergedChannels);
        // The script's watcher removes the cluster should this process end without cleaning up.
        script.start(QStringLiteral("bash"), {clusterScript(), QStringLiteral("start"), dir,
                                              QString::number(QCoreApplication::applicationPid())});
        if (!script.waitForFinished(120000) || script.exitStatus() != QProcess::NormalExit ||
            script.exitCode() != 0)
            fail(QStringLiteral("Cannot start a PostgreSQL cluster for the tests (%1):\n%2")
                     .arg(clusterScript(), QString::fromLocal8Bit(script.readAll())));
        m_privateDir = dir;
        m_socketDir = QFileInfo(dir).canonicalFilePath();
        registerCleanup();
    }

    void registerCleanup() {
        if (QCoreApplication::instance())
            qAddPostRoutine(&PgCluster::cleanup);
        else
            std::atexit(&PgCluster::cleanup);
    }

    static void cleanup() {
        PgCluster &c = instance();
        if (!c.m_privateDir.isEmpty()) {
            QProcess::execute(QStringLiteral("bash"),
                              {clusterScript(), QStringLiteral("stop"), c.m_privateDir});
            c.m_privateDir.clear();
        } else if (!c.m_created.isEmpty()) {
            // The shared cluster lives on for the other tests: drop what this process made.
            try {
                for (const QString &name : std::as_const(c.m_created))
                    c.maintenance(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
            } catch (const std::exception &) {
            }
        }
        c.m_created.clear();
        c.m_socketDir.clear();
        if (QSqlDatabase::contains(QStringLiteral("qrvtest-maintenance"))) {
            QSqlDatabase::database(QStringLiteral("qrvtest-maintenance"), false).close();
            QSqlDatabase::removeDatabase(QStringLiteral("qrvtest-maintenance"));
        }
    }

    void maintenance(const QString &sql) {
        const QString connectionName = QStringLiteral("qrvtest-maintenance");
        QString error;
        {
            QSqlDatabase c = QSqlDatabase::contains(connectionName)
                                 ? QSqlDatabase::database(connectionName, false)
                                 : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
            if (!c.isOpen()) {
                c.setHostName(m_socketDir);
                c.setUserName(QStringLiteral("postgres"));
                c.setDatabaseName(QStringLiteral("postgres"));
                if (!c.open())
                    error = c.lastError().text();
            }
            if (error.isEmpty()) {
                QSqlQuery query(c);
                if (!query.exec(sql))
                    error = query.lastError().text();
            }
        }
        if (!error.isEmpty())
            fail(QStringLiteral("PostgreSQL test cluster in %1: %2 failed: %3").arg(m_socketDir, sql, error));
    }

    QMutex m_mutex;
    QString m_socketDir;
    QString m_privateDir;
    QString m_schemaTemplate;
    QString m_demoTemplate;
    QStringList m_created;
    int m_counter = 0;
};

std::shared_ptr<Database> newDatabase(const QString &engine, bool demo) {
    if (engine == QLatin1String("sqlite")) {
        static int counter = 0;
        const QString path = sqliteFolder().filePath(QStringLiteral("venue-%1.db").arg(++counter));
        std::shared_ptr<Database> db = Database::open(QStringLiteral("sqlite:") + path);
        qrv::dao::createSchema(*db, schemaDir());
        if (demo)
            qrv::dao::loadDemoVenue(*db, schemaDir());
        return db;
    }
    if (engine == QLatin1String("postgresql")) {
        PgCluster &cluster = PgCluster::instance();
        const QString templateName = cluster.templateDatabase(demo);
        return Database::open(cluster.urlFor(cluster.createDatabase(templateName)));
    }
    fail(QStringLiteral("Unknown test engine \"%1\"").arg(engine));
}

} // namespace

QStringList engines() {
    QStringList list{QStringLiteral("sqlite")};
    if (pgWanted())
        list.append(QStringLiteral("postgresql"));
    return list;
}

void addEngineRows() {
    QTest::addColumn<QString>("engine");
    for (const QString &engine : engines())
        QTest::newRow(qPrintable(engine)) << engine;
}

std::shared_ptr<Database> freshDatabase(const QString &engine) {
    return newDatabase(engine, false);
}

std::shared_ptr<Database> demoDatabase(const QString &engine) {
    return newDatabase(engine, true);
}

QString urlOf(const std::shared_ptr<Database> &db) {
    return db->url();
}

QVariant scalar(const std::shared_ptr<Database> &db, const QString &sql) {
    std::unique_ptr<qrv::dao::Recordset> rs = db->OpenRecordset(sql);
    if (rs->Eof() || rs->FieldCount() == 0)
        return QVariant();
    return rs->Field(rs->FieldNames().constFirst());
}

} // namespace qrvtest
