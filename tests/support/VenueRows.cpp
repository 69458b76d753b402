#include "support/VenueRows.h"

#include "core/data/dao/Database.h"
#include "support/TestDatabases.h"

#include <QStringList>

namespace qrvtest {

using qrv::dao::Database;

QString sqlValue(const QVariant &value) {
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toString();
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', 17);
    default:
        break;
    }
    QString text = value.toString();
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

qint64 insertRow(const std::shared_ptr<Database> &db, const QString &table, const Columns &columns) {
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

qint64 addTable(const std::shared_ptr<Database> &db, const QString &numero, const QVariant &descrizione,
                qint64 sala, bool occupato) {
    return insertRow(db, QStringLiteral("Tavoli"),
                     {{QStringLiteral("Numero"), numero},
                      {QStringLiteral("Descrizione"), descrizione},
                      {QStringLiteral("Occupato"), occupato},
                      {QStringLiteral("OraOccupato"), QStringLiteral("")},
                      {QStringLiteral("OraUltimoOrdine"), QStringLiteral("")},
                      {QStringLiteral("ID_Scontrino"), 0},
                      {QStringLiteral("Top"), 0},
                      {QStringLiteral("Left"), 0},
                      {QStringLiteral("CodiceSala"), sala},
                      {QStringLiteral("Forma"), QStringLiteral("QUADRATO")}});
}

void failWhen(const std::shared_ptr<Database> &db, const QString &name, const QString &event,
              const QString &table, const QString &condition) {
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

void dropFailure(const std::shared_ptr<Database> &db, const QString &name, const QString &table) {
    if (db->engine() == Database::Engine::SQLite)
        db->ExecuteNative(QStringLiteral("DROP TRIGGER %1").arg(name));
    else
        db->ExecuteNative(QStringLiteral("DROP TRIGGER %1 ON %2").arg(name, table.toLower()));
}

} // namespace qrvtest
