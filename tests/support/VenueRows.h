#pragma once

// The one builder of test venues: rows of Sale, Tavoli, DettaglioTavoli and Articoli, failures
// made with triggers, and readers of what the component wrote. Statements are written in the Jet
// dialect the component uses, so the access layer translates them for each engine.

#include <QMap>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <tuple>

namespace qrv::dao {
class Database;
}

namespace qrvtest {

using DbPtr = std::shared_ptr<qrv::dao::Database>;
using Columns = QVector<QPair<QString, QVariant>>;

/** A value as an SQL literal: NULL, True/False, a number in C notation, or text with '' doubled. */
QString sqlValue(const QVariant &value);

/** Columns from their names, ", " between them, and their values in the same order. */
Columns columns(const char *names, const QVariantList &values);

/** Inserts one row and returns its key: the one given in columns, else the highest in the table. */
qint64 insertRow(const DbPtr &db, const QString &table, const Columns &columns);

/** A room; texts and colour as given (null variants are stored as NULL). */
qint64 addRoom(const DbPtr &db, qint64 codice, const QVariant &descrizione, const QVariant &sfondo = {},
               const QVariant &colore = {});

/** A free table of room 1 at (0, 0) without times, with columns written over those defaults. */
qint64 addTable(const DbPtr &db, const Columns &columns);

/** A table in room sala, free unless occupato, at (0, 0); returns the Codice the database gave it. */
qint64 addTable(const DbPtr &db, const QString &numero, const QVariant &descrizione, qint64 sala = 1,
                bool occupato = false);

/** Table codice of room 1, numbered as its Codice, eight to a row on the floor so none overlap. */
qint64 addTable(const DbPtr &db, qint64 codice, const QVariant &descrizione, bool occupato = false,
                const QString &oraOccupato = {}, const QString &oraUltimoOrdine = {});

/** An order line; returns its ID (given, or assigned by the database when id is 0). */
qint64 addLine(const DbPtr &db, qint64 tavolo, qint64 articolo, qint64 quantita, const QVariant &descrizione,
               qint64 variante, double importo, qint64 id = 0);

qint64 addArticle(const DbPtr &db, qint64 codice, const QVariant &descrizione, double prezzo);

/**
 * Makes the engine refuse a statement: trigger name fires on event ("DELETE", "UPDATE OF column")
 * of table and raises "guasto simulato" for the rows meeting condition (NEW./OLD. columns in lower
 * case; "1 = 1" for every row).
 */
void failWhen(const DbPtr &db, const QString &name, const QString &event, const QString &table,
              const QString &condition);
void dropFailure(const DbPtr &db, const QString &name, const QString &table);

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
QVector<Line> lines(const DbPtr &db, qint64 tavolo = 0);

/** Every table by Codice. */
QMap<qint64, Table> tables(const DbPtr &db);

} // namespace qrvtest
