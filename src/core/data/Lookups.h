#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace qrv {

/**
 * The small lookups and message helpers shared by every form. Each lookup is one clsRecordset
 * query on the shared DataBase; a missing row answers "", 0 or false. Database failures are
 * shown by clsRecordset under the routine name of the lookup.
 */

/**
 * True when a table numbered Numero exists in any room, the case of letters aside ("1a" finds
 * "1A"); "" matches only an empty number, a text holding NUL nothing.
 */
bool TavoloPresente(const QString &Numero);

/** The Occupato flag of the table whose Codice is given as decimal text; false when missing. */
bool TavoloOccupato(const QString &Codice);

/**
 * As TavoloOccupato, but nothing when the table's row could not be read (the operator cancelled
 * the failure box), so that a caller never takes an unreadable table for a free one.
 */
std::optional<bool> tableOccupancy(const QString &Codice);

/** The Descrizione of the client-bill table idconto (numbered "999"); "" for any other table. */
QString DescrizioneContoCLiente(qint32 idconto);

/** The Descrizione of article Codice (decimal text); "" when missing or null. */
QString DescrizioneArticolo(const QString &Codice);

/** The Prezzo of article Codice; 0 when missing. */
double PrezzoArticolo(qint32 Codice);

/** valore, or predefinito when valore is null (a database null or an empty QVariant). */
QVariant SeNullo(const QVariant &valore, const QVariant &predefinito);

/**
 * Shows a notice through the installed message window and returns at once; nothing happens
 * when no window is installed.
 */
void Avviso(const QString &testo, qint32 a, qint32 b, qint32 c, bool d);

/**
 * Asks a question through the installed message window (the large one when grande) and returns
 * the chosen button as a message-box answer code; without a window the standard message box asks.
 */
qint32 Messaggio(const QString &testo, const QString &titolo, qint32 pulsanti, bool grande);

} // namespace qrv
