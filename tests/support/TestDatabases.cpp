#include "support/TestDatabases.h"

#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "core/data/dao/VenueSetup.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <cstdlib>
#include <stdexcept>

namespace qrvtest {

using qrv::dao::Database;

namespace {

const QString kSchemaDir = QStringLiteral(QRV_SOURCE_DIR "/schema");

std::shared_ptr<Database> withVenue(std::shared_ptr<Database> db, bool demo) {
    qrv::dao::createSchema(*db, kSchemaDir);
    if (demo)
        qrv::dao::loadDemoVenue(*db, kSchemaDir);
    return db;
}

// SQLite files live in one temporary folder, kept until the process ends.
std::shared_ptr<Database> sqliteDatabase(bool demo) {
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/qrvtest-XXXXXX"));
    static int counter = 0;
    if (!folder.isValid())
        failSetUp(QStringLiteral("Cannot create a temporary folder for the SQLite databases"));
    return withVenue(Database::open(QStringLiteral("sqlite:") +
                                    folder.filePath(QStringLiteral("venue-%1.db").arg(++counter))),
                     demo);
}

// PostgreSQL: the ctest fixture's cluster, or one this process starts and stops. Each database is
// copied from a template made once, holding the schema (and the demo venue).
class PgCluster {
public:
    static PgCluster &instance() {
        static PgCluster cluster;
        return cluster;
    }

    std::shared_ptr<Database> newDatabase(bool demo) {
        QMutexLocker lock(&m_mutex);
        QString &templateName = demo ? m_demoTemplate : m_schemaTemplate;
        if (templateName.isEmpty()) {
            const QString made = create(QString());
            withVenue(Database::open(urlFor(made)), demo);
            templateName = made;
        }
        return Database::open(urlFor(create(templateName)));
    }

private:
    PgCluster() = default;

    QString urlFor(const QString &database) const { return clusterUrl(m_socketDir, database); }

    /** A new database named after this process, from the template when one is given. */
    QString create(const QString &templateName) {
        ensureRunning();
        const QString name =
            QStringLiteral("qrvtest_%1_%2").arg(QCoreApplication::applicationPid()).arg(++m_counter);
        maintenance(QStringLiteral("CREATE DATABASE ") + name +
                    (templateName.isEmpty() ? QString() : QStringLiteral(" TEMPLATE ") + templateName));
        m_created.append(name);
        return name;
    }

    void ensureRunning() {
        if (!m_socketDir.isEmpty())
            return;
        const QString fixture = QFileInfo(qEnvironmentVariable("QRV_TEST_PG_DIR")).canonicalFilePath();
        if (!fixture.isEmpty() && QFileInfo::exists(fixture + QStringLiteral("/.s.PGSQL.5432"))) {
            m_socketDir = fixture;
        } else {
            // No shared cluster: one for this process, removed at exit (or by the script's watcher).
            m_privateDir = startCluster(QStringLiteral("qrvpg"));
            m_socketDir = m_privateDir;
        }
        if (QCoreApplication::instance())
            qAddPostRoutine(&PgCluster::cleanup);
        else
            std::atexit(&PgCluster::cleanup);
    }

    static void cleanup() {
        PgCluster &c = instance();
        if (!c.m_privateDir.isEmpty()) {
            QProcess::execute(QStringLiteral("bash"),
                              {QStringLiteral(QRV_SOURCE_DIR "/tests/support/pg_cluster.sh"),
                               QStringLiteral("stop"), c.m_privateDir});
        } else {
            // The shared cluster lives on for the other tests: drop what this process made.
            try {
                for (const QString &name : std::as_const(c.m_created))
                    c.maintenance(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name));
            } catch (const std::exception &) {
            }
        }
        c.m_maintenance.reset();
        c.m_created.clear();
        c.m_privateDir.clear();
        c.m_socketDir.clear();
    }

    void maintenance(const QString &sql) {
        try {
            if (!m_maintenance)
                m_maintenance = Database::open(urlFor(QStringLiteral("postgres")));
            m_maintenance->ExecuteNative(sql);
        } catch (const std::exception &e) {
            failSetUp(QStringLiteral("PostgreSQL test cluster in %1: %2 failed: %3")
                          .arg(m_socketDir, sql, QString::fromUtf8(e.what())));
        }
    }

    QMutex m_mutex;
    QString m_socketDir, m_privateDir, m_schemaTemplate, m_demoTemplate;
    QStringList m_created;
    int m_counter = 0;
    std::shared_ptr<Database> m_maintenance;
};

std::shared_ptr<Database> newDatabase(const QString &engine, bool demo) {
    if (engine == QLatin1String("sqlite"))
        return sqliteDatabase(demo);
    if (engine == QLatin1String("postgresql"))
        return PgCluster::instance().newDatabase(demo);
    failSetUp(QStringLiteral("Unknown test engine \"%1\"").arg(engine));
}

} // namespace

QStringList engines() {
    QStringList list{QStringLiteral("sqlite")};
    if (qEnvironmentVariable("QRV_TEST_PG").compare(QLatin1String("off"), Qt::CaseInsensitive) != 0)
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

void failSetUp(const QString &text) {
    qCritical("%s", qPrintable(text));
    throw std::runtime_error(text.toStdString());
}

void clusterScript(const QStringList &arguments) {
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(QStringLiteral("bash"),
                 QStringList{QStringLiteral(QRV_SOURCE_DIR "/tests/support/pg_cluster.sh")} + arguments);
    if (!script.waitForFinished(120000) || script.exitStatus() != QProcess::NormalExit ||
        script.exitCode() != 0)
        failSetUp(QStringLiteral("pg_cluster.sh %1 failed:\n%2")
                      .arg(arguments.join(QLatin1Char(' ')), QString::fromLocal8Bit(script.readAll())));
}

QString startCluster(const QString &prefix) {
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString dir =
        QDir::tempPath() +
        QStringLiteral("/%1-%2-%3").arg(prefix, pid).arg(QDateTime::currentMSecsSinceEpoch() % 100000);
    clusterScript({QStringLiteral("start"), dir, pid});
    return QFileInfo(dir).canonicalFilePath();
}

QString clusterUrl(const QString &socketDir, const QString &database) {
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("host"), socketDir);
    query.addQueryItem(QStringLiteral("user"), QStringLiteral("postgres"));
    return QStringLiteral("postgresql:///%1?%2").arg(database, query.toString(QUrl::FullyEncoded));
}

QVariant scalar(const std::shared_ptr<Database> &db, const QString &sql) {
    std::unique_ptr<qrv::dao::Recordset> rs = db->OpenRecordset(sql);
    return rs->Eof() || rs->FieldCount() == 0 ? QVariant() : rs->Field(rs->FieldNames().constFirst());
}

} // namespace qrvtest
