#include "support/VenueRows.h"

#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "support/TestDatabases.h"

#include <QStringList>

namespace qrvtest {

using qrv::dao::Database;

QString sqlValue(const QVariant &value) {
    const int type = value.typeId();
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    if (type == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (type == QMetaType::Double || type == QMetaType::Float)
        return QString::number(value.toDouble(), 'g', 17);
    if (type == QMetaType::Int || type == QMetaType::UInt || type == QMetaType::LongLong ||
        type == QMetaType::ULongLong)
        return value.toString();
    return QLatin1Char('\'') + value.toString().replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

Columns columns(const char *names, const QVariantList &values) {
    Columns result;
    const QStringList list = QString::fromLatin1(names).split(QStringLiteral(", "));
    for (int i = 0; i < list.size(); ++i)
        result.append({list.at(i), values.value(i)});
    return result;
}

qint64 insertRow(const DbPtr &db, const QString &table, const Columns &columns) {
    QStringList names, values;
    const QString key = db->primaryKey(table);
    QVariant given;
    for (const auto &column : columns) {
        names << column.first;
        values << sqlValue(column.second);
        if (column.first.compare(key, Qt::CaseInsensitive) == 0)
            given = column.second;
    }
    db->Execute(QStringLiteral("Insert into %1 (%2) values (%3)")
                    .arg(table, names.join(QStringLiteral(", ")), values.join(QStringLiteral(", "))));
    if (given.isValid())
        return given.toLongLong();
    return scalar(db, QStringLiteral("Select max(%1) from %2").arg(key, table)).toLongLong();
}

qint64 addRoom(const DbPtr &db, qint64 codice, const QVariant &descrizione, const QVariant &sfondo,
               const QVariant &colore) {
    return insertRow(
        db, QStringLiteral("Sale"),
        columns("Codice, Descrizione, Sfondo, ColoreSfondo", {codice, descrizione, sfondo, colore}));
}

qint64 addTable(const DbPtr &db, const Columns &given) {
    Columns row =
        columns("Numero, Descrizione, Occupato, OraOccupato, OraUltimoOrdine, ID_Scontrino, Top, Left, "
                "CodiceSala, Forma",
                {QString(), QString(), false, QString(), QString(), 0, 0, 0, 1, QStringLiteral("QUADRATO")});
    for (const auto &column : given) {
        const auto it = std::find_if(row.begin(), row.end(), [&column](const auto &c) {
            return c.first.compare(column.first, Qt::CaseInsensitive) == 0;
        });
        if (it == row.end())
            row.append(column);
        else
            it->second = column.second;
    }
    return insertRow(db, QStringLiteral("Tavoli"), row);
}

qint64 addTable(const DbPtr &db, const QString &numero, const QVariant &descrizione, qint64 sala,
                bool occupato) {
    return addTable(
        db, columns("Numero, Descrizione, CodiceSala, Occupato", {numero, descrizione, sala, occupato}));
}

qint64 addTable(const DbPtr &db, qint64 codice, const QVariant &descrizione, bool occupato,
                const QString &oraOccupato, const QString &oraUltimoOrdine) {
    return addTable(
        db, columns("Codice, Numero, Descrizione, Occupato, OraOccupato, OraUltimoOrdine, Top, Left",
                    {codice, QString::number(codice), descrizione, occupato, oraOccupato, oraUltimoOrdine,
                     200 + 1100 * ((codice - 1) / 8), 200 + 1100 * ((codice - 1) % 8)}));
}

qint64 addLine(const DbPtr &db, qint64 tavolo, qint64 articolo, qint64 quantita, const QVariant &descrizione,
               qint64 variante, double importo, qint64 id) {
    Columns row = columns("Tavolo, Codice, Quantita, Descrizione, Variante, Importo, IdRif",
                          {tavolo, articolo, quantita, descrizione, variante, importo, 0});
    if (id > 0)
        row.append({QStringLiteral("ID"), id});
    return insertRow(db, QStringLiteral("DettaglioTavoli"), row);
}

qint64 addArticle(const DbPtr &db, qint64 codice, const QVariant &descrizione, double prezzo) {
    return insertRow(db, QStringLiteral("Articoli"),
                     columns("Codice, Descrizione, Prezzo", {codice, descrizione, prezzo}));
}

void failWhen(const DbPtr &db, const QString &name, const QString &event, const QString &table,
              const QString &condition) {
    if (db->engine() == Database::Engine::SQLite) {
        db->ExecuteNative(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW WHEN %4 "
                                         "BEGIN SELECT RAISE(ABORT, 'guasto simulato'); END")
                              .arg(name, event, table, condition));
        return;
    }
    db->ExecuteNative(
        QStringLiteral("CREATE OR REPLACE FUNCTION qrv_guasto() RETURNS trigger LANGUAGE plpgsql "
                       "AS $$ BEGIN RAISE EXCEPTION 'guasto simulato'; END $$"));
    db->ExecuteNative(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW WHEN (%4) "
                                     "EXECUTE FUNCTION qrv_guasto()")
                          .arg(name, event.toLower(), table.toLower(), condition));
}

void dropFailure(const DbPtr &db, const QString &name, const QString &table) {
    if (db->engine() == Database::Engine::SQLite)
        db->ExecuteNative(QStringLiteral("DROP TRIGGER %1").arg(name));
    else
        db->ExecuteNative(QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table.toLower()));
}

QVector<Line> lines(const DbPtr &db, qint64 tavolo) {
    const QString where = tavolo > 0 ? QStringLiteral(" Where Tavolo = %1").arg(tavolo) : QString();
    QVector<Line> result;
    auto rs = db->OpenRecordset(QStringLiteral("Select * from DettaglioTavoli%1 order by ID").arg(where));
    const auto number = [&rs](const char *name) { return rs->Field(QLatin1String(name)).toLongLong(); };
    for (; !rs->Eof(); rs->MoveNext())
        result.append({number("ID"), number("Tavolo"), number("Codice"), number("Quantita"),
                       number("Variante"), rs->Field(QStringLiteral("Importo")).toDouble(),
                       rs->Field(QStringLiteral("Descrizione")).toString()});
    rs->Close();
    return result;
}

QMap<qint64, Table> tables(const DbPtr &db) {
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

} // namespace qrvtest
