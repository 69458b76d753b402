#include "core/layout/TableNumber.h"

#include <QRegularExpression>

namespace qrv {

QString formatNumeroTavolo(const QString &stored) {
    static const QRegularExpression wholeNumber(QStringLiteral("^\\s*([+-]?)0*(\\d+)\\s*$"));
    const QRegularExpressionMatch match = wholeNumber.match(stored);
    if (!match.hasMatch())
        return stored;
    const QString digits = match.captured(2);
    if (digits == QLatin1String("0"))
        return stored; // "###" would show nothing; the stored text is more useful
    const QString sign = match.captured(1) == QLatin1String("-") ? QStringLiteral("-") : QString();
    return sign + digits;
}

NewTableNumber checkNewTableNumber(const QString &numero,
                                   const std::function<bool(const QString &)> &exists) {
    if (numero == reservedTableNumber())
        return NewTableNumber::Reserved;
    if (numero.isEmpty())
        return NewTableNumber::Abandoned;
    if (exists && exists(numero))
        return NewTableNumber::Duplicate;
    return NewTableNumber::Accepted;
}

} // namespace qrv
