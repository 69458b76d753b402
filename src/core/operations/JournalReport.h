#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <optional>

namespace qrv {

namespace dao {
class Database;
}

/** One row of RegistroTavoli as the journal tool shows it. */
struct JournalRow {
    qint64 id = 0;
    QString momento; ///< "2026-12-04 22:09:05.123", the till's local time
    QString cassa, operazione;
    qint64 codiceDa = 0;
    QString numeroDa;
    qint64 codiceA = 0; ///< 0 when the operation has no destination
    QString numeroA;
    QVector<qint64> righe;
    double totale = 0;
    QString descrizione;
};

/** What the journal tool reads: all rows, or those of one table number and from a time on. */
struct JournalFilter {
    QString numero;                 ///< "" for every table; else source or destination number
    std::optional<QDateTime> since; ///< rows whose Momento is this time or later
};

/** Reading and printing the journal of the order changes (qrvtavoli-journal). */
namespace JournalReport {

/**
 * The start time of --since: an ISO date (YYYY-MM-DD, from its midnight) or a date and a time
 * (YYYY-MM-DD HH:MM, with :SS and .zzz optional, a "T" allowed for the blank); nullopt otherwise.
 */
std::optional<QDateTime> parseSince(const QString &text);

/** The rows of RegistroTavoli that meet filter, in ID order. Throws DaoError (also without the table). */
QVector<JournalRow> read(dao::Database &db, const JournalFilter &filter = {});

/** A readable table: a header line, one line per row in aligned columns, then the count. */
QString table(const QVector<JournalRow> &rows);

/** One compact JSON object per row and line, keys as the table's columns, Righe as an array. */
QByteArray jsonLines(const QVector<JournalRow> &rows);

} // namespace JournalReport

} // namespace qrv
