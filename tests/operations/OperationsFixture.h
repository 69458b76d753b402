#pragma once

// Venue rows, trigger-made failures and readers shared by the operations tests.

#include "data/dao/Database.h"
#include "data/dao/Recordset.h"
#include "operations/logic/LineRemoval.h"
#include "operations/logic/OrderLines.h"
#include "support/TestDatabases.h"

#include <QMap>
#include <QString>
#include <QVector>
#include <memory>

namespace opstest {

using DbPtr = std::shared_ptr<qrv::dao::Database>;

inline QString text(const QString &value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

/** Adds table codice (room 1) and returns codice. */
inline qint64 addTable(const DbPtr &db, qint64 codice, const QString &descrizione, bool occupato,
                       const QString &oraOccupato = QString(), const QString &oraUltimoOrdine = QString()) {
    db->Execute(
        QStringLiteral("Insert into Tavoli (Codice, Numero, Descrizione, Occupato, OraOccupato, "
                       "OraUltimoOrdine, ID_Scontrino, Top, Left, CodiceSala, Forma) values (%1, %2, %3, %4, "
                       "%5, %6, 0, %7, %8, 1, 'QUADRATO')")
            .arg(codice)
            .arg(text(QString::number(codice)), text(descrizione),
                 occupato ? QStringLiteral("True") : QStringLiteral("False"), text(oraOccupato),
                 text(oraUltimoOrdine))
            .arg(200 + 1100 * ((codice - 1) / 8))
            .arg(200 + 1100 * ((codice - 1) % 8)));
    return codice;
}

/** Adds an order line and returns its ID (given, or assigned by the database when id is 0). */
inline qint64 addLine(const DbPtr &db, qint64 tavolo, qint64 articolo, qint64 quantita,
                      const QString &descrizione, qint64 variante, double importo, qint64 id = 0) {
    const QString values = QStringLiteral("%1, %2, %3, %4, %5, %6, 0)")
                               .arg(tavolo)
                               .arg(articolo)
                               .arg(quantita)
                               .arg(text(descrizione))
                               .arg(variante)
                               .arg(QString::number(importo, 'g', 17));
    if (id > 0) {
        db->Execute(QStringLiteral(
                        "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, "
                        "Importo, IdRif) values (%1, ")
                        .arg(id) +
                    values);
        return id;
    }
    db->Execute(QStringLiteral(
                    "Insert into DettaglioTavoli (Tavolo, Codice, Quantita, Descrizione, Variante, Importo, "
                    "IdRif) values (") +
                values);
    return qrvtest::scalar(db, QStringLiteral("Select max(ID) from DettaglioTavoli")).toLongLong();
}

inline void addArticle(const DbPtr &db, qint64 codice, const QString &descrizione, double prezzo) {
    db->Execute(QStringLiteral("Insert into Articoli (Codice, Descrizione, Prezzo) values (%1, %2, %3)")
                    .arg(codice)
                    .arg(text(descrizione))
                    .arg(QString::number(prezzo, 'g', 17)));
}

struct Line {
    qint64 id = 0, tavolo = 0, codice = 0, quantita = 0, variante = 0;
    double importo = 0;
    QString descrizione;
    bool operator==(const Line &o) const {
        return id == o.id && tavolo == o.tavolo && codice == o.codice && quantita == o.quantita &&
               variante == o.variante && importo == o.importo && descrizione == o.descrizione;
    }
};

struct Table {
    qint64 codice = 0;
    bool occupato = false;
    QString descrizione, oraOccupato, oraUltimoOrdine;
    bool operator==(const Table &o) const {
        return codice == o.codice && occupato == o.occupato && descrizione == o.descrizione &&
               oraOccupato == o.oraOccupato && oraUltimoOrdine == o.oraUltimoOrdine;
    }
};

/** Every order line (of one table when tavolo > 0), in ID order. */
inline QVector<Line> lines(const DbPtr &db, qint64 tavolo = 0) {
    QString sql = QStringLiteral("Select * from DettaglioTavoli");
    if (tavolo > 0)
        sql += QStringLiteral(" Where Tavolo = ") + QString::number(tavolo);
    sql += QStringLiteral(" order by ID");
    QVector<Line> result;
    auto rs = db->OpenRecordset(sql);
    for (; !rs->Eof(); rs->MoveNext()) {
        Line l;
        l.id = rs->Field(QStringLiteral("ID")).toLongLong();
        l.tavolo = rs->Field(QStringLiteral("Tavolo")).toLongLong();
        l.codice = rs->Field(QStringLiteral("Codice")).toLongLong();
        l.quantita = rs->Field(QStringLiteral("Quantita")).toLongLong();
        l.variante = rs->Field(QStringLiteral("Variante")).toLongLong();
        l.importo = rs->Field(QStringLiteral("Importo")).toDouble();
        l.descrizione = rs->Field(QStringLiteral("Descrizione")).toString();
        result.append(l);
    }
    rs->Close();
    return result;
}

/** Every table by Codice. */
inline QMap<qint64, Table> tables(const DbPtr &db) {
    QMap<qint64, Table> result;
    auto rs = db->OpenRecordset(QStringLiteral("Select * from Tavoli order by Codice"));
    for (; !rs->Eof(); rs->MoveNext()) {
        Table t;
        t.codice = rs->Field(QStringLiteral("Codice")).toLongLong();
        t.occupato = rs->Field(QStringLiteral("Occupato")).toBool();
        t.descrizione = rs->Field(QStringLiteral("Descrizione")).toString();
        t.oraOccupato = rs->Field(QStringLiteral("OraOccupato")).toString();
        t.oraUltimoOrdine = rs->Field(QStringLiteral("OraUltimoOrdine")).toString();
        result.insert(t.codice, t);
    }
    rs->Close();
    return result;
}

/**
 * Makes the engine refuse a statement: a trigger on event ("DELETE" or "UPDATE OF column") of
 * table raises an error for the rows meeting condition (written with NEW. or OLD., lower case).
 */
inline void failWhen(const DbPtr &db, const QString &name, const QString &event, const QString &table,
                     const QString &condition) {
    if (db->engine() == qrv::dao::Database::Engine::SQLite) {
        db->ExecuteNative(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW WHEN %4 "
                                         "BEGIN SELECT RAISE(ABORT, 'guasto simulato'); END")
                              .arg(name, event, table, condition));
        return;
    }
    db->ExecuteNative(
        QStringLiteral("CREATE OR REPLACE FUNCTION qrv_guasto() RETURNS trigger LANGUAGE plpgsql AS "
                       "$$ BEGIN RAISE EXCEPTION 'guasto simulato'; END $$"));
    db->ExecuteNative(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW WHEN (%4) "
                                     "EXECUTE FUNCTION qrv_guasto()")
                          .arg(name, event.toLower(), table.toLower(), condition));
}

inline void dropFailure(const DbPtr &db, const QString &name, const QString &table) {
    if (db->engine() == qrv::dao::Database::Engine::SQLite)
        db->ExecuteNative(QStringLiteral("DROP TRIGGER %1").arg(name));
    else
        db->ExecuteNative(QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table.toLower()));
}

/** The amount a till writes after reading amount (shown as "#0.00") on a line of quantity units. */
inline double nextStoredAmount(double amount, qint64 quantity) {
    const qrv::UnitRemoval plan =
        qrv::planUnitRemoval(QString::number(quantity), qrv::formatAmount(amount, QLocale::c()),
                             QStringLiteral("1"), QLocale::c());
    return qrv::classicStr(plan.newAmount).trimmed().toDouble();
}

/**
 * A second till in its own process (arguments: database URL, line ID, count): removes one unit of
 * the line count times, each time from the line as its receipt shows it. Returns the exit code.
 */
inline int removerChild(const QStringList &args) {
    try {
        const auto db = qrv::dao::Database::open(args.value(0));
        const qint64 id = args.value(1).toLongLong();
        const int times = args.value(2).toInt();
        qrv::OrderLines edits(db);
        for (int i = 0; i < times; ++i) {
            auto rs = db->OpenRecordset(QStringLiteral("Select * from DettaglioTavoli Where ID = ") +
                                        QString::number(id));
            if (rs->Eof())
                return 2;
            const QString q = rs->Field(QStringLiteral("Quantita")).toString();
            const QString a =
                qrv::formatAmount(rs->Field(QStringLiteral("Importo")).toDouble(), QLocale::c());
            rs->Close();
            const qrv::UnitRemoval plan = qrv::planUnitRemoval(q, a, QString::number(id), QLocale::c());
            if (plan.kind != qrv::UnitRemoval::Kind::RemoveOneUnit ||
                edits.removeOneUnit(plan) != qrv::OrderLines::Result::Done)
                return 3;
        }
        return 0;
    } catch (const std::exception &e) {
        qCritical("%s", e.what());
        return 4;
    }
}

} // namespace opstest
