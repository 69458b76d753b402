#include "core/operations/OperationStatements.h"

#include "core/data/SqlText.h"
#include "core/operations/LineRemoval.h"

namespace qrv {

namespace OperationStatements {

QString linesOfTable(qint64 tavolo) {
    return QStringLiteral("Select * from DettaglioTavoli Where Tavolo = ") + QString::number(tavolo) +
           QStringLiteral(" order by ID;");
}

QString oneUnitLess(qint64 id, qint64 newQuantity, double newAmount) {
    return QStringLiteral("Update DettaglioTavoli Set Quantita = ") + QString::number(newQuantity) +
           QStringLiteral(", Importo = ") + classicStr(newAmount) + QStringLiteral(" Where ID = ") +
           QString::number(id);
}

QString deleteLine(qint64 tavolo, qint64 id, const QVector<qint64> &variants) {
    QString sql = deleteAllLines(tavolo);
    if (variants.isEmpty())
        return sql + QStringLiteral(" and ID = ") + QString::number(id);
    sql += QStringLiteral(" and ID In (") + QString::number(id);
    for (qint64 variant : variants)
        sql += QStringLiteral(", ") + QString::number(variant);
    return sql + QLatin1Char(')');
}

QString deleteAllLines(qint64 tavolo) {
    return QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = ") + QString::number(tavolo);
}

QString freeTable(qint64 tavolo) {
    return QStringLiteral("Update Tavoli Set Occupato = False, Descrizione = '' Where Codice = ") +
           QString::number(tavolo);
}

QString timeOfDay(const QTime &time) {
    return QStringLiteral("%1:%2")
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'));
}

QString sourceOccupied(qint64 source, bool lockRow) {
    return QStringLiteral("Select Occupato from Tavoli Where Codice = ") + QString::number(source) +
           (lockRow ? QStringLiteral(" For Update") : QString());
}

QStringList move(qint64 source, qint64 destination, const QString &description, const QTime &now) {
    const QString from = QString::number(source);
    const QString to = QString::number(destination);
    // A NUL cannot stand in a statement on either engine; the description goes without it.
    const QString shown = QString(description).remove(QChar(0));
    return {
        QStringLiteral("Update DettaglioTavoli set Tavolo = ") + to + QStringLiteral(" Where Tavolo = ") +
            from,
        QStringLiteral("Update Tavoli Set Occupato = True, Descrizione = ") + sqlText(shown) +
            QStringLiteral(" Where Codice = ") + to,
        QStringLiteral("UPDATE Tavoli SET OraOccupato = '") + timeOfDay(now) +
            QStringLiteral("' Where Codice = ") + to,
        QStringLiteral(
            "Update Tavoli Set Occupato = False, OraOccupato='', OraUltimoOrdine='', Descrizione = '' "
            "Where Codice = ") +
            from,
    };
}

} // namespace OperationStatements

} // namespace qrv
