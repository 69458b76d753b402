#include "core/operations/OrderJournal.h"

#include "core/data/dao/Database.h"
#include "core/data/dao/JetSql.h"
#include "core/tablemap/MapClock.h"

#include <algorithm>

namespace qrv {

namespace {

QVariant textOrNull(const QString &text) {
    // A NUL cannot be stored alike by the engines; the statements of the change leave it out too.
    const QString kept = QString(text).remove(QChar(0));
    return kept.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(kept);
}

QVariant codeOrNull(qint64 codice) {
    return codice > 0 ? QVariant(codice) : QVariant(QMetaType::fromType<qlonglong>());
}

} // namespace

OrderJournal::OrderJournal(std::shared_ptr<dao::Database> db, QString till)
    : m_db(std::move(db))
    , m_till(std::move(till)) {}

bool OrderJournal::isOn() const {
    return m_db && m_db->hasTable(tableName());
}

void OrderJournal::write(const Entry &entry) const {
    m_db->query(insertStatement(), values(entry, m_till, MapClock::currentTime()));
}

ChangedLines OrderJournal::runTracked(dao::Database &db, const QString &jetStatement) {
    const QVector<QVariantList> rows =
        db.query(dao::translateJet(jetStatement, db.engine()) + QStringLiteral(" RETURNING ID, Importo"));
    ChangedLines changed;
    for (const QVariantList &row : rows) {
        changed.ids.append(row.value(0).toLongLong());
        changed.total += row.value(1).toDouble();
    }
    std::sort(changed.ids.begin(), changed.ids.end());
    return changed;
}

QString OrderJournal::operationName(Operation operation) {
    switch (operation) {
    case Operation::Move:
        return QStringLiteral("SPOSTA");
    case Operation::QuickAdd:
        return QStringLiteral("AGGIUNGI");
    case Operation::OneUnitLess:
        return QStringLiteral("TOGLI_UNITA");
    case Operation::LineRemoved:
        return QStringLiteral("TOGLI_RIGA");
    case Operation::TableEmptied:
        return QStringLiteral("AZZERA");
    }
    return QString();
}

QString OrderJournal::lineList(const QVector<qint64> &ids) {
    QString text;
    for (qint64 id : ids)
        text += QString::number(id) + QLatin1Char(';');
    return text;
}

QString OrderJournal::timeText(const QDateTime &when) {
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QString OrderJournal::insertStatement() {
    return QStringLiteral(
        "INSERT INTO RegistroTavoli (Momento, Cassa, Operazione, CodiceDa, NumeroDa, "
        "CodiceA, NumeroA, Righe, Totale, Descrizione) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
}

QVariantList OrderJournal::values(const Entry &entry, const QString &till, const QDateTime &when) {
    return {
        timeText(when),
        textOrNull(till.trimmed()),
        operationName(entry.operation),
        entry.source.codice,
        textOrNull(entry.source.numero.trimmed()),
        codeOrNull(entry.destination.codice),
        textOrNull(entry.destination.numero.trimmed()),
        textOrNull(lineList(entry.lines.ids)),
        entry.lines.total,
        textOrNull(entry.description),
    };
}

} // namespace qrv
