#pragma once

#include <QString>
#include <QStringList>
#include <QTime>
#include <QVector>

namespace qrv {

/** The statements of the order-line edits and of the move, as the tills' database receives them. */
namespace OperationStatements {

/** "Select * from DettaglioTavoli Where Tavolo = 12 order by ID;": a table's lines in ID order. */
QString linesOfTable(qint64 tavolo);

/** One unit less: "Update DettaglioTavoli Set Quantita = 2, Importo =  6.66666666666667 Where ID = 5". */
QString oneUnitLess(qint64 id, qint64 newQuantity, double newAmount);

/**
 * "Delete * from DettaglioTavoli Where Tavolo = 12 and ID = 5"; with the line's variant lines
 * "... and ID In (5, 6, 7)".
 */
QString deleteLine(qint64 tavolo, qint64 id, const QVector<qint64> &variants = {});

/** "Delete * from DettaglioTavoli Where Tavolo = 12": every line of the table. */
QString deleteAllLines(qint64 tavolo);

/** "Update Tavoli Set Occupato = False, Descrizione = '' Where Codice = 12". */
QString freeTable(qint64 tavolo);

/** The time of day a table became occupied: "09:05". */
QString timeOfDay(const QTime &time);

/**
 * The query of whether the source of a move is still occupied, run inside the move's transaction; on
 * PostgreSQL the row stays locked until the commit ("... For Update"), so no other till frees it
 * meanwhile (SQLite's write transaction already keeps every other writer out).
 */
QString sourceOccupied(qint64 source, bool lockRow);

/**
 * The four statements of a move, in the order they run: the lines go to the destination, the
 * destination becomes occupied with the source's description (quoted safely) and the time, the
 * source becomes free with its times and description cleared. A NUL in the description is left out.
 */
QStringList move(qint64 source, qint64 destination, const QString &description, const QTime &now);

} // namespace OperationStatements

} // namespace qrv
