#include "core/operations/JournalReport.h"

#include "core/data/dao/Database.h"
#include "core/operations/OrderJournal.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace qrv::JournalReport {

namespace {

QString momentOf(const QVariant &value) {
    // PostgreSQL gives a timestamp, SQLite the text the till wrote.
    if (value.typeId() == QMetaType::QDateTime)
        return OrderJournal::timeText(value.toDateTime());
    return value.toString();
}

QVector<qint64> idsOf(const QString &text) {
    QVector<qint64> ids;
    for (const QString &id : text.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        ids.append(id.trimmed().toLongLong());
    return ids;
}

/** A table as the operator knows it: its number, with its Codice in brackets; "" for none. */
QString tableText(const QString &numero, qint64 codice) {
    if (codice <= 0)
        return QString();
    return (numero.isEmpty() ? QStringLiteral("?") : numero) + QStringLiteral(" [") +
           QString::number(codice) + QLatin1Char(']');
}

} // namespace

std::optional<QDateTime> parseSince(const QString &text) {
    QString t = text.trimmed();
    if (t.size() == 10) {
        const QDate day = QDate::fromString(t, QStringLiteral("yyyy-MM-dd"));
        return day.isValid() ? std::optional<QDateTime>(day.startOfDay()) : std::nullopt;
    }
    if (t.size() > 10 && t.at(10) == QLatin1Char('T'))
        t[10] = QLatin1Char(' ');
    for (const char *format : {"yyyy-MM-dd HH:mm", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm:ss.zzz"}) {
        const QDateTime when = QDateTime::fromString(t, QLatin1String(format));
        if (when.isValid())
            return when;
    }
    return std::nullopt;
}

QVector<JournalRow> read(dao::Database &db, const JournalFilter &filter) {
    QString sql =
        QStringLiteral("SELECT ID, Momento, Cassa, Operazione, CodiceDa, NumeroDa, CodiceA, NumeroA, "
                       "Righe, Totale, Descrizione FROM RegistroTavoli WHERE 1 = 1");
    QVariantList values;
    if (!filter.numero.trimmed().isEmpty()) {
        sql += QStringLiteral(" AND (NumeroDa = ? OR NumeroA = ?)");
        values << filter.numero.trimmed() << filter.numero.trimmed();
    }
    if (filter.since) {
        // The same text the tills write, so SQLite's text order is the order of the times.
        sql += QStringLiteral(" AND Momento >= ?");
        values << OrderJournal::timeText(*filter.since);
    }
    QVector<JournalRow> rows;
    for (const QVariantList &v : db.query(sql + QStringLiteral(" ORDER BY ID"), values))
        rows.append({v.value(0).toLongLong(), momentOf(v.value(1)), v.value(2).toString(),
                     v.value(3).toString(), v.value(4).toLongLong(), v.value(5).toString(),
                     v.value(6).toLongLong(), v.value(7).toString(), idsOf(v.value(8).toString()),
                     v.value(9).toDouble(), v.value(10).toString()});
    return rows;
}

QString table(const QVector<JournalRow> &rows) {
    QVector<QStringList> cells{{QStringLiteral("ID"), QStringLiteral("Momento"), QStringLiteral("Cassa"),
                                QStringLiteral("Operazione"), QStringLiteral("Da"), QStringLiteral("A"),
                                QStringLiteral("Righe"), QStringLiteral("Totale"),
                                QStringLiteral("Descrizione")}};
    for (const JournalRow &r : rows)
        cells.append({QString::number(r.id), r.momento, r.cassa, r.operazione,
                      tableText(r.numeroDa, r.codiceDa), tableText(r.numeroA, r.codiceA),
                      OrderJournal::lineList(r.righe), QString::number(r.totale, 'f', 2), r.descrizione});
    const int columns = static_cast<int>(cells.constFirst().size());
    QVector<int> width(columns, 0);
    for (const QStringList &line : cells)
        for (int c = 0; c < columns; ++c)
            width[c] = qMax(width[c], static_cast<int>(line.at(c).size()));
    QString text;
    for (const QStringList &line : cells) {
        QString out;
        for (int c = 0; c < columns; ++c) {
            // The amount right-aligned; the last column, free text, not padded.
            const QString cell = c == 7 ? line.at(c).rightJustified(width[c]) : line.at(c);
            out += c + 1 < columns ? cell.leftJustified(width[c]) + QStringLiteral("  ") : cell;
        }
        text += out.trimmed() + QLatin1Char('\n');
    }
    return text + QString::number(rows.size()) +
           (rows.size() == 1 ? QStringLiteral(" change\n") : QStringLiteral(" changes\n"));
}

QByteArray jsonLines(const QVector<JournalRow> &rows) {
    const auto textOrNull = [](const QString &s) { return s.isEmpty() ? QJsonValue() : QJsonValue(s); };
    QByteArray lines;
    for (const JournalRow &r : rows) {
        QJsonArray righe;
        for (qint64 id : r.righe)
            righe.append(id);
        const QJsonObject object{
            {QStringLiteral("ID"), r.id},
            {QStringLiteral("Momento"), r.momento},
            {QStringLiteral("Cassa"), textOrNull(r.cassa)},
            {QStringLiteral("Operazione"), r.operazione},
            {QStringLiteral("CodiceDa"), r.codiceDa},
            {QStringLiteral("NumeroDa"), textOrNull(r.numeroDa)},
            {QStringLiteral("CodiceA"), r.codiceA > 0 ? QJsonValue(r.codiceA) : QJsonValue()},
            {QStringLiteral("NumeroA"), textOrNull(r.numeroA)},
            {QStringLiteral("Righe"), righe},
            {QStringLiteral("Totale"), r.totale},
            {QStringLiteral("Descrizione"), textOrNull(r.descrizione)},
        };
        lines += QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
    }
    return lines;
}

} // namespace qrv::JournalReport
