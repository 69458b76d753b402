#pragma once

// Venue rows, trigger-made failures and readers shared by the operations tests.

#include "core/data/LockFile.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "core/data/dao/VenueSetup.h"
#include "core/operations/JournalReport.h"
#include "core/operations/OrderMove.h"
#include "support/TestDatabases.h"
#include "support/VenueRows.h"

#include <QFile>
#include <QMap>
#include <QString>
#include <QTest>
#include <QVector>
#include <memory>
#include <tuple>

namespace opstest {

using qrvtest::dropFailure;
using qrvtest::failWhen;

using DbPtr = std::shared_ptr<qrv::dao::Database>;

/** Adds table codice (room 1, numbered as its Codice) and returns codice. */
inline qint64 addTable(const DbPtr &db, qint64 codice, const QString &descrizione, bool occupato,
                       const QString &oraOccupato = QString(), const QString &oraUltimoOrdine = QString()) {
    return qrvtest::insertRow(db, QStringLiteral("Tavoli"),
                              {{QStringLiteral("Codice"), codice},
                               {QStringLiteral("Numero"), QString::number(codice)},
                               {QStringLiteral("Descrizione"), descrizione},
                               {QStringLiteral("Occupato"), occupato},
                               {QStringLiteral("OraOccupato"), oraOccupato},
                               {QStringLiteral("OraUltimoOrdine"), oraUltimoOrdine},
                               {QStringLiteral("Top"), 200 + 1100 * ((codice - 1) / 8)},
                               {QStringLiteral("Left"), 200 + 1100 * ((codice - 1) % 8)},
                               {QStringLiteral("CodiceSala"), 1},
                               {QStringLiteral("Forma"), QStringLiteral("QUADRATO")}});
}

/** Adds an order line and returns its ID (given, or assigned by the database when id is 0). */
inline qint64 addLine(const DbPtr &db, qint64 tavolo, qint64 articolo, qint64 quantita,
                      const QString &descrizione, qint64 variante, double importo, qint64 id = 0) {
    qrvtest::Columns columns{{QStringLiteral("Tavolo"), tavolo},
                             {QStringLiteral("Codice"), articolo},
                             {QStringLiteral("Quantita"), quantita},
                             {QStringLiteral("Descrizione"), descrizione},
                             {QStringLiteral("Variante"), variante},
                             {QStringLiteral("Importo"), importo},
                             {QStringLiteral("IdRif"), 0}};
    if (id > 0)
        columns.append({QStringLiteral("ID"), id});
    return qrvtest::insertRow(db, QStringLiteral("DettaglioTavoli"), columns);
}

inline void addArticle(const DbPtr &db, qint64 codice, const QString &descrizione, double prezzo) {
    qrvtest::insertRow(db, QStringLiteral("Articoli"),
                       {{QStringLiteral("Codice"), codice},
                        {QStringLiteral("Descrizione"), descrizione},
                        {QStringLiteral("Prezzo"), prezzo}});
}

struct Line {
    qint64 id = 0, tavolo = 0, codice = 0, quantita = 0, variante = 0;
    double importo = 0;
    QString descrizione;
    bool operator==(const Line &o) const {
        return std::tie(id, tavolo, codice, quantita, variante, importo, descrizione) ==
               std::tie(o.id, o.tavolo, o.codice, o.quantita, o.variante, o.importo, o.descrizione);
    }
};

struct Table {
    qint64 codice = 0;
    bool occupato = false;
    QString descrizione, oraOccupato, oraUltimoOrdine;
    bool operator==(const Table &o) const {
        return std::tie(codice, occupato, descrizione, oraOccupato, oraUltimoOrdine) ==
               std::tie(o.codice, o.occupato, o.descrizione, o.oraOccupato, o.oraUltimoOrdine);
    }
};

/** Every order line (of one table when tavolo > 0), in ID order. */
inline QVector<Line> lines(const DbPtr &db, qint64 tavolo = 0) {
    const QString where =
        tavolo > 0 ? QStringLiteral(" Where Tavolo = ") + QString::number(tavolo) : QString();
    QVector<Line> result;
    auto rs = db->OpenRecordset(QStringLiteral("Select * from DettaglioTavoli") + where +
                                QStringLiteral(" order by ID"));
    const auto number = [&rs](const char *name) { return rs->Field(QLatin1String(name)).toLongLong(); };
    for (; !rs->Eof(); rs->MoveNext()) {
        result.append({number("ID"), number("Tavolo"), number("Codice"), number("Quantita"),
                       number("Variante"), rs->Field(QStringLiteral("Importo")).toDouble(),
                       rs->Field(QStringLiteral("Descrizione")).toString()});
    }
    rs->Close();
    return result;
}

/** Every table by Codice. */
inline QMap<qint64, Table> tables(const DbPtr &db) {
    QMap<qint64, Table> result;
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Tavoli order by Codice"));
    const auto text = [&rs](const char *name) { return rs->Field(QLatin1String(name)).toString(); };
    for (; !rs->Eof(); rs->MoveNext()) {
        const qint64 codice = rs->Field(QStringLiteral("Codice")).toLongLong();
        result.insert(codice, {codice, rs->Field(QStringLiteral("Occupato")).toBool(), text("Descrizione"),
                               text("OraOccupato"), text("OraUltimoOrdine")});
    }
    rs->Close();
    return result;
}

/**
 * Creates RegistroTavoli with the schema's script, as a host that keeps a journal does, and opens
 * the connection again so that what it knew of the venue's tables is learnt afresh.
 */
inline void addJournal(const DbPtr &db) {
    const bool pg = db->engine() == qrv::dao::Database::Engine::PostgreSQL;
    QFile script(QStringLiteral(QRV_SOURCE_DIR "/schema/") +
                 (pg ? QStringLiteral("registro-postgresql.sql") : QStringLiteral("registro-sqlite.sql")));
    QVERIFY(script.open(QIODevice::ReadOnly));
    for (const QString &statement : qrv::dao::splitSqlScript(QString::fromUtf8(script.readAll())))
        db->ExecuteNative(statement);
    db->connection().close();
    db->reconnect();
}

/**
 * The journal, one text per row: operation, table (number, or [Codice] when none was given),
 * ">" and the destination for a move, the line list, the total, the description and "@" the till.
 */
inline QStringList journal(const DbPtr &db) {
    const auto table = [](const QString &numero, qint64 codice) {
        return numero.isEmpty() ? QStringLiteral("[%1]").arg(codice) : numero;
    };
    QStringList rows;
    for (const qrv::JournalRow &r : qrv::JournalReport::read(*db)) {
        QString text = r.operazione + QLatin1Char(' ') + table(r.numeroDa, r.codiceDa);
        if (r.codiceA > 0)
            text += QLatin1Char('>') + table(r.numeroA, r.codiceA);
        text += QLatin1Char(' ') + qrv::OrderJournal::lineList(r.righe) + QLatin1Char(' ') +
                QString::number(r.totale, 'f', 2);
        if (!r.descrizione.isEmpty())
            text += QLatin1Char(' ') + r.descrizione;
        if (!r.cassa.isEmpty())
            text += QStringLiteral(" @") + r.cassa;
        rows.append(text);
    }
    return rows;
}

/** The engine of the running test row (global data column "engine", see qrvtest::addEngineRows). */
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

/** True when the sales lock of the archive folder can be taken at once (and is released again). */
inline bool lockIsFree(const QString &archiveFolder) {
    qrv::LockFile probe(qrv::OrderMove::lockPath(archiveFolder));
    return probe.tryLock() == qrv::LockFile::Result::Locked;
}

} // namespace opstest
