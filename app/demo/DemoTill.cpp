#include "DemoTill.h"

#include "component/clsTavoli.h"
#include "component/frmTavoli.h"
#include "component/operations/ChangeNotifier.h"
#include "core/data/Lookups.h"
#include "core/data/SqlText.h"
#include "core/data/dao/DaoError.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "core/data/dao/VenueSetup.h"
#include "core/data/dao/Workspace.h"
#include "core/operations/OrderJournal.h"
#include "core/settings/SharedState.h"
#include "core/settings/mdlFunzioniIni.h"
#include "core/tablemap/MapClock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QPainter>
#include <QPixmap>
#include <QShortcut>
#include <QSqlDatabase>
#include <QStandardPaths>
#include <QTextStream>
#include <cstdio>

using namespace qrv;

namespace {

// The two lines an opened table gets: a bottle of water and a pizza.
constexpr qint32 DemoArticles[] = {1, 13};

QString hourMinute() {
    return MapClock::currentTime().toString(QStringLiteral("HH:mm"));
}

/** A plank floor, so that the demo's room with a background image shows one. */
void drawParquet(const QString &file) {
    QPixmap pixmap(1600, 1200);
    pixmap.fill(QColor(0xB0, 0x80, 0x50));
    QPainter painter(&pixmap);
    const int plank = 60;
    for (int row = 0; row * plank < pixmap.height(); ++row) {
        const int offset = (row % 3) * 130;
        for (int x = -offset; x < pixmap.width(); x += 390) {
            const int shade = 0x70 + ((row * 7 + x / 390 * 13) % 5) * 8;
            painter.fillRect(x + 1, row * plank + 1, 388, plank - 2,
                             QColor(shade + 0x40, shade + 0x10, shade - 0x20));
        }
    }
    painter.end();
    pixmap.save(file, "PNG");
}

} // namespace

DemoTill::DemoTill(DemoOptions options) : m_options(std::move(options)) {
    if (m_options.dataDir.isEmpty())
        m_options.dataDir = defaultDataDir();
    if (m_options.appDir.isEmpty())
        m_options.appDir = QDir(m_options.dataDir).filePath(QStringLiteral("app"));
    if (m_options.archiveDir.isEmpty())
        m_options.archiveDir = QDir(m_options.dataDir).filePath(QStringLiteral("archivi"));
}

DemoTill::~DemoTill() = default;

QString DemoTill::defaultDataDir() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("qrvtavoli-demo"));
}

QString DemoTill::schemaDir() {
    const QStringList candidates = {
        QStringLiteral(QRV_SOURCE_DIR "/schema"),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/qrvtavoli/schema")),
    };
    for (const QString &dir : candidates)
        if (QFileInfo::exists(QDir(dir).filePath(QStringLiteral("demo.sql"))))
            return QDir::cleanPath(dir);
    return QString();
}

bool DemoTill::prepare(QString *error) {
    for (const QString &dir : {m_options.dataDir, m_options.appDir, m_options.archiveDir}) {
        if (!QDir().mkpath(dir)) {
            *error = QStringLiteral("cannot create the folder %1").arg(dir);
            return false;
        }
    }
    prepareAppFolder();

    const bool ownVenue = m_options.dbUrl.isEmpty();
    const QString url = ownVenue ? QStringLiteral("sqlite:") +
                                       QDir(m_options.dataDir).filePath(QStringLiteral("venue.sqlite"))
                                 : m_options.dbUrl;
    try {
        m_db = dao::Database::open(url);
        bool hasVenue = false;
        for (const QString &table : m_db->connection().tables())
            hasVenue = hasVenue || table.compare(QLatin1String("Sale"), Qt::CaseInsensitive) == 0;
        if (!hasVenue) {
            const QString schema = schemaDir();
            if (schema.isEmpty()) {
                *error = QStringLiteral("the venue has no tables and no schema folder was found");
                return false;
            }
            dao::createSchema(*m_db, schema);
            dao::loadDemoVenue(*m_db, schema);
            createJournal();
            std::fprintf(stderr, "Created the demo venue in %s\n", qPrintable(url));
        } else if (ownVenue) {
            createJournal(); // a demo folder made before the venue kept a journal
        }
        m_workspace = std::make_shared<dao::Workspace>(m_db);
    } catch (const dao::DaoError &e) {
        *error = QStringLiteral("cannot open %1: %2 (%3)").arg(url, e.description()).arg(e.number());
        return false;
    }
    return true;
}

void DemoTill::createJournal() const {
    if (m_db->hasTable(OrderJournal::tableName()))
        return;
    const QString schema = schemaDir();
    const bool pg = m_db->engine() == dao::Database::Engine::PostgreSQL;
    QFile file(QDir(schema).filePath(pg ? QStringLiteral("registro-postgresql.sql")
                                        : QStringLiteral("registro-sqlite.sql")));
    if (schema.isEmpty() || !file.open(QIODevice::ReadOnly))
        return; // the demo runs without a journal
    m_db->beginTransaction();
    try {
        for (const QString &statement : dao::splitSqlScript(QString::fromUtf8(file.readAll())))
            m_db->ExecuteNative(statement);
        m_db->commitTransaction();
    } catch (const dao::DaoError &) {
        if (m_db->inTransaction())
            m_db->rollbackTransaction();
        throw;
    }
    // The map learns the venue's tables once per connection: it must find the new one.
    m_db->connection().close();
    m_db->reconnect();
}

QString DemoTill::settingsFile() const {
    return QDir(m_options.appDir).filePath(QStringLiteral("impostazioni.ini"));
}

void DemoTill::prepareAppFolder() const {
    const QDir app(m_options.appDir);
    const QString ini = settingsFile();
    if (!QFileInfo::exists(ini)) {
        // The ports 8989 and 8990 of this machine: a second demo till started with --port 8990 and
        // this one see each other's changes at once.
        QFile file(ini);
        if (file.open(QIODevice::WriteOnly | QIODevice::Text))
            file.write("[Impostazioni]\nCodiceCassa=1\n\n[Tavoli]\nBottoniGrandi=0\nArticoloAggiunta=7\n"
                       "PortaNotifiche=8989\nNotificheA=127.0.0.1:8989;127.0.0.1:8990\n");
    }
    if (m_options.port != 0)
        ScriviIni(ini, QStringLiteral("Tavoli"), QStringLiteral("PortaNotifiche"),
                  QString::number(m_options.port));
    if (!m_options.peers.isNull())
        ScriviIni(ini, QStringLiteral("Tavoli"), QStringLiteral("NotificheA"), m_options.peers);
    if (!m_options.cassa.isEmpty())
        ScriviIni(ini, QStringLiteral("Impostazioni"), QStringLiteral("CodiceCassa"), m_options.cassa);
    app.mkpath(QStringLiteral("SfondiSale"));
    const QString parquet = app.filePath(QStringLiteral("SfondiSale/parquet.png"));
    if (!QFileInfo::exists(parquet)) {
        const QString shipped = QStringLiteral(QRV_SOURCE_DIR "/SfondiSale/parquet.png");
        if (!QFileInfo::exists(shipped) || !QFile::copy(shipped, parquet))
            drawParquet(parquet);
    }
}

void DemoTill::configure(clsTavoli &tavoli) const {
    tavoli.setDataBase(m_db);
    tavoli.setWorkSpace(m_workspace);
    tavoli.setilPathArchivi(m_options.archiveDir);
    tavoli.setApp_Path(m_options.appDir);
    tavoli.setOperazione(m_options.context);
    tavoli.setSala(m_options.sala);
    tavoli.setTavoloScelto(m_options.tavolo);
}

int DemoTill::run() {
    clsTavoli tavoli;
    configure(tavoli);
    // The map has no window frame to close it by: Ctrl+Q closes it as the window manager would,
    // which ends the loop below.
    frmTavoli *map = frmTavoli::current();
    QShortcut quit(QKeySequence(Qt::CTRL | Qt::Key_Q), map);
    QObject::connect(&quit, &QShortcut::activated, map, &QWidget::close);
    for (;;) {
        tavoli.ScegliUnTavolo();
        QJsonObject line{
            {QStringLiteral("TavoloScelto"), tavoli.TavoloScelto()},
            {QStringLiteral("OperazioneScelta"), tavoli.OperazioneScelta()},
            {QStringLiteral("ContoSubito"), tavoli.ContoSubito()},
            {QStringLiteral("ContoSeparato"), tavoli.ContoSeparato()},
            {QStringLiteral("OrdineDaWeb"), tavoli.OrdineDaWeb()},
            {QStringLiteral("IdDettSelezionati"), tavoli.IdDettSelezionati()},
            {QStringLiteral("Sala"), tavoli.Sala()},
        };
        if (!frmTavoli::current()->endedByCommand()) {
            line.insert(QStringLiteral("action"), QStringLiteral("closed"));
            print(line);
            return 0;
        }
        QString action;
        try {
            action = perform(tavoli);
        } catch (const dao::DaoError &e) {
            action = QStringLiteral("failed: %1 (%2)").arg(e.description()).arg(e.number());
        }
        line.insert(QStringLiteral("action"), action);
        print(line);
        if (m_options.once)
            return 0;
    }
}

QString DemoTill::perform(const clsTavoli &tavoli) {
    const qint32 codice = tavoli.TavoloScelto().toInt();
    switch (tavoli.OperazioneScelta().toInt()) {
    case qrvContoNuovoTavolo:
        return codice > 0 ? openTable(codice) : QStringLiteral("none");
    case qrvFaiContoTavolo:
        return codice > 0 ? billTable(codice, tavoli.ContoSeparato(), tavoli.IdDettSelezionati(),
                                      tavoli.ContoSubito())
                          : QStringLiteral("none");
    case qrvPrecontoTavolo:
        return QStringLiteral("pre-bill");
    default:
        return QStringLiteral("counter sale");
    }
}

QString DemoTill::openTable(qint32 codice) {
    const QString table = QString::number(codice);
    const bool wasOccupied = TavoloOccupato(table);
    for (qint32 articolo : DemoArticles) {
        m_db->Execute(
            QStringLiteral("Insert into DettaglioTavoli (Tavolo, Codice, Quantita, Descrizione, Variante, "
                           "Importo, IdRif) values (%1, %2, 1, %3, 0, %4, 0)")
                .arg(table, QString::number(articolo),
                     sqlText(DescrizioneArticolo(QString::number(articolo))),
                     QString::number(PrezzoArticolo(articolo), 'g', 17)));
    }
    const QString now = sqlText(hourMinute());
    if (wasOccupied)
        m_db->Execute(
            QStringLiteral("Update Tavoli Set OraUltimoOrdine = %1 Where Codice = %2").arg(now, table));
    else
        m_db->Execute(
            QStringLiteral("Update Tavoli Set Occupato = True, OraOccupato = %1, OraUltimoOrdine = %1 "
                           "Where Codice = %2")
                .arg(now, table));
    notify(numeroOf(codice));
    return wasOccupied ? QStringLiteral("order added") : QStringLiteral("opened");
}

QString DemoTill::billTable(qint32 codice, bool separate, const QString &ids, bool now) {
    const QString table = QString::number(codice);
    if (separate) {
        // Only the chosen units' lines go; the table stays open while lines remain.
        for (const QString &id : ids.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            bool ok = false;
            const qint64 n = id.toLongLong(&ok);
            if (ok)
                m_db->Execute(QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = %1 and ID = %2")
                                  .arg(table, QString::number(n)));
        }
        std::unique_ptr<dao::Recordset> rest = m_db->OpenRecordset(
            QStringLiteral("Select ID from DettaglioTavoli Where Tavolo = %1").arg(table));
        const bool empty = rest->Eof();
        rest->Close();
        if (!empty) {
            notify(numeroOf(codice));
            return QStringLiteral("billed separately");
        }
    } else {
        m_db->Execute(QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = %1").arg(table));
    }
    m_db->Execute(
        QStringLiteral("Update Tavoli Set Occupato = False, OraOccupato = '', OraUltimoOrdine = '', "
                       "Descrizione = '' Where Codice = %1")
            .arg(table));
    notify(numeroOf(codice));
    if (separate)
        return QStringLiteral("billed separately and freed");
    return now ? QStringLiteral("billed") : QStringLiteral("sent to the counter and freed");
}

QString DemoTill::numeroOf(qint32 codice) const {
    std::unique_ptr<dao::Recordset> rs =
        m_db->OpenRecordset(QStringLiteral("Select Numero from Tavoli Where Codice = %1").arg(codice));
    const QString numero = rs->Eof() ? QString() : rs->Field(QStringLiteral("Numero")).toString();
    rs->Close();
    return numero;
}

void DemoTill::notify(const QString &numero) const {
    // Where the map announces its own changes, read afresh: the same destinations for both.
    ChangeNotifier notifier;
    notifier.configure(LeggiIni(settingsFile(), QStringLiteral("Tavoli"), QStringLiteral("NotificheA")));
    notifier.announce({numero}, m_db.get());
}

void DemoTill::print(const QJsonObject &line) const {
    const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact);
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool DemoTill::renderScreenshot(const QString &file, QString *error) {
    // Without a room the map opens the room editor and waits for an operator who is not there.
    bool hasRoom = false;
    try {
        std::unique_ptr<dao::Recordset> rooms =
            m_db->OpenRecordset(QStringLiteral("Select Codice from Sale Where Codice <> 9999"));
        hasRoom = !rooms->Eof();
        rooms->Close();
    } catch (const dao::DaoError &e) {
        *error = QStringLiteral("cannot read the rooms: %1 (%2)").arg(e.description()).arg(e.number());
        return false;
    }
    if (!hasRoom) {
        *error = QStringLiteral("the venue has no room to show; create one in --context 2 on a display");
        return false;
    }

    clsTavoli tavoli;
    configure(tavoli);
    frmTavoli *form = frmTavoli::current();
    form->Form_Load();
    form->show();
    QCoreApplication::processEvents();
    form->Form_Activate();
    QCoreApplication::processEvents();
    const QPixmap image = form->grab();
    form->done(0);
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!image.save(file, "PNG")) {
        *error = QStringLiteral("cannot write %1").arg(file);
        return false;
    }
    print(QJsonObject{{QStringLiteral("screenshot"), QFileInfo(file).absoluteFilePath()},
                      {QStringLiteral("Sala"), tavoli.Sala()}});
    return true;
}
