// A minimal host till built against the installed component alone: it opens a venue made from the
// installed schema, shows the map once and reads the outcome, early- and late-bound.
// Usage: host SCHEMA_DIR WORK_DIR
#include "component/clsTavoli.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Workspace.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {

// Runs a CREATE TABLE script a statement at a time; the scripts hold no ";" inside a statement.
void runScript(qrv::dao::Database &db, const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw qrv::dao::DaoError(qrv::dao::DaoErrorCode::OpenFailed, QStringLiteral("cannot read ") + path);
    QString script;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        script += line.left(line.indexOf(QLatin1String("--"))) + QLatin1Char('\n');
    for (const QString &statement : script.split(QLatin1Char(';'))) {
        if (!statement.trimmed().isEmpty())
            db.ExecuteNative(statement);
    }
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: host SCHEMA_DIR WORK_DIR\n");
        return 2;
    }
    const QString schemaDir = QString::fromLocal8Bit(argv[1]);
    const QString workDir = QString::fromLocal8Bit(argv[2]);
    try {
        auto db =
            qrv::dao::Database::open(QStringLiteral("sqlite:") + workDir + QStringLiteral("/venue.sqlite"));
        runScript(*db, schemaDir + QStringLiteral("/sqlite.sql"));
        auto workspace = std::make_shared<qrv::dao::Workspace>(db);
        workspace->BeginTrans();
        db->Execute(QStringLiteral("Insert into Sale (Codice, Descrizione) values (4, 'Sala')"));
        db->Execute(
            QStringLiteral("Insert into Tavoli (Numero, CodiceSala, Top, Left) values ('1', 4, 500, 500)"));
        workspace->CommitTrans();

        qrv::clsTavoli tavoli;
        tavoli.setDataBase(db);
        tavoli.setWorkSpace(workspace);
        tavoli.setilPathArchivi(workDir);
        tavoli.setApp_Path(workDir);
        tavoli.setOperazione(qrv::qrvScegliUnTavolo);
        tavoli.setSala(0);

        // Closes the map as soon as it is up, as an operator leaving without a command would.
        QString shown;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                shown = modal->objectName();
                modal->close();
            }
        });
        closer.start(20);
        tavoli.ScegliUnTavolo();
        closer.stop();

        // The room on show comes back in Sala; late-bound, by property name and by dispatch id.
        const int late = tavoli.property("Sala").toInt();
        const QString chosen =
            tavoli.Invoke(qrv::clsTavoli::DispOperazioneScelta, qrv::clsTavoli::InvokeKind::PropertyGet)
                .toString();
        quint32 comError = 0;
        try {
            tavoli.Invoke(0x12345, qrv::clsTavoli::InvokeKind::Method);
        } catch (const qrv::ComError &error) {
            comError = error.code();
        }
        int daoError = 0;
        try {
            qrv::dao::Database::open(QStringLiteral("nosuch:venue"));
        } catch (const qrv::dao::DaoError &error) {
            daoError = error.number();
        }
        std::printf("map=%s OperazioneScelta=%s Sala=%d late=%d/%s ComError=%x DaoError=%d\n",
                    qPrintable(shown), qPrintable(tavoli.OperazioneScelta()), tavoli.Sala(), late,
                    qPrintable(chosen), comError, daoError);
    } catch (const qrv::dao::DaoError &error) {
        std::fprintf(stderr, "database error %d: %s\n", error.number(), qPrintable(error.description()));
        return 1;
    }
    return 0;
}
