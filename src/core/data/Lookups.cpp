#include "core/data/Lookups.h"

#include "core/data/FinestraMessaggi.h"
#include "core/data/MessageBox.h"
#include "core/data/SqlText.h"
#include "core/data/clsRecordset.h"
#include "core/data/dao/Recordset.h"

#include <optional>

namespace qrv {

namespace {

/**
 * Runs query under routine and returns column of its first row; nothing when there is no row
 * (or the operator cancelled a failure).
 */
std::optional<QVariant> firstValue(const QString &routine, const QString &query, const QString &column,
                                   bool *readFailed = nullptr) {
    clsRecordset rs;
    rs.Apri(routine, true, query, false, true);
    // A cancelled failure leaves no rows open at all, where an empty answer leaves an empty set.
    if (readFailed)
        *readFailed = !rs.ilRecordset();
    std::optional<QVariant> value;
    if (rs.Errore() != clsRecordset::NoRow && rs.ilRecordset()) {
        try {
            value = rs.ilRecordset()->Field(column);
        } catch (const dao::DaoError &) {
        }
    }
    rs.Chiudi();
    return value;
}

/**
 * A code handed over as text, written back in decimal; nothing when the text is not a whole
 * number, so that no text can reach the statement unquoted.
 */
std::optional<QString> codeText(const QString &codice) {
    bool ok = false;
    const qlonglong value = codice.trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return QString::number(value);
}

QString textOf(const std::optional<QVariant> &value) {
    return value && !value->isNull() ? value->toString() : QString();
}

} // namespace

bool TavoloPresente(const QString &Numero) {
    // No table can carry a NUL: the answer is no, without a statement no engine takes alike.
    if (Numero.contains(QChar(0)))
        return false;
    // Numbers match without regard to case ("1A" is "1a"), as the original engine compared text.
    // The recordset's own search compares, so both engines answer alike whatever their collation.
    const QString routine = QStringLiteral("TavoloPresente");
    clsRecordset rs;
    rs.Apri(routine, true, QStringLiteral("Select Numero from Tavoli;"), false, true);
    const bool found = rs.Errore() != clsRecordset::NoRow && rs.ilRecordset() &&
                       rs.Start(routine, QStringLiteral("Numero"), QStringLiteral("="), sqlText(Numero));
    rs.Chiudi();
    return found;
}

std::optional<bool> tableOccupancy(const QString &Codice) {
    const auto code = codeText(Codice);
    if (!code)
        return false;
    bool failed = false;
    // Reported under the name of the lookup it was copied from, as the operators know it.
    const auto value = firstValue(QStringLiteral("TavoloPresente"),
                                  QStringLiteral("Select Occupato from Tavoli Where Codice = ") + *code +
                                      QStringLiteral(";"),
                                  QStringLiteral("Occupato"), &failed);
    if (failed)
        return std::nullopt;
    return value && value->toBool();
}

bool TavoloOccupato(const QString &Codice) {
    return tableOccupancy(Codice).value_or(false);
}

QString DescrizioneContoCLiente(qint32 idconto) {
    return textOf(
        firstValue(QStringLiteral("DescrizioneContoCLiente"),
                   QStringLiteral("Select Descrizione from Tavoli Where Numero = '999' and Codice = ") +
                       QString::number(idconto),
                   QStringLiteral("Descrizione")));
}

QString DescrizioneArticolo(const QString &Codice) {
    const auto code = codeText(Codice);
    if (!code)
        return QString();
    return textOf(firstValue(QStringLiteral("DescrizioneArticolo"),
                             QStringLiteral("Select Descrizione from Articoli Where Codice = ") + *code +
                                 QStringLiteral(";"),
                             QStringLiteral("Descrizione")));
}

double PrezzoArticolo(qint32 Codice) {
    const auto value =
        firstValue(QStringLiteral("PrezzoArticolo"),
                   QStringLiteral("Select Prezzo from Articoli Where Codice = ") + QString::number(Codice),
                   QStringLiteral("Prezzo"));
    return value && !value->isNull() ? value->toDouble() : 0.0;
}

QVariant SeNullo(const QVariant &valore, const QVariant &predefinito) {
    return valore.isNull() ? predefinito : valore;
}

void Avviso(const QString &testo, qint32 a, qint32 b, qint32 c, bool d) {
    // A notice never interrupts the caller, whatever the window does.
    if (FinestraMessaggi *window = FinestraMessaggi::current()) {
        try {
            window->notice(testo, a, b, c, d);
        } catch (...) {
        }
    }
}

qint32 Messaggio(const QString &testo, const QString &titolo, qint32 pulsanti, bool grande) {
    if (FinestraMessaggi *window = FinestraMessaggi::current())
        return grande ? window->largeQuestion(testo, titolo, pulsanti)
                      : window->question(testo, titolo, pulsanti);
    return MsgBox(testo, pulsanti, titolo);
}

} // namespace qrv
