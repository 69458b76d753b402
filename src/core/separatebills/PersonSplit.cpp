#include "core/separatebills/PersonSplit.h"

#include "core/platform/NumberFormat.h"

#include <limits>

namespace qrv::separatebills {

namespace {

bool isDigits(const QString &text) {
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

QString PersonSplit::promptText() {
    return QStringLiteral("Digitare il numero di persone per calcolo alla ROMANA");
}

QString PersonSplit::zeroPersonsText() {
    return QStringLiteral("Il numero di persone deve essere maggiore di 0");
}

std::optional<QString> PersonSplit::press(const QString &caption, const QString &totalText,
                                          const QLocale &locale) {
    if (caption == QLatin1String("Canc")) {
        m_numeroPersone.clear();
        return promptText();
    }
    if (caption == QLatin1String(",") || !isDigits(caption))
        return std::nullopt;
    m_numeroPersone += caption;
    return shareText(m_numeroPersone, parseLocaleNumber(totalText, locale), locale);
}

QString shareText(const QString &numeroPersone, double total, const QLocale &locale) {
    if (!isDigits(numeroPersone))
        return PersonSplit::zeroPersonsText();
    if (numeroPersone.count(QLatin1Char('0')) == numeroPersone.size())
        return PersonSplit::zeroPersonsText();
    // Digits only, so the only way the reading fails is a count too long for a double: the share
    // is then 0, as it tends to be.
    bool ok = false;
    double persons = numeroPersone.toDouble(&ok);
    if (!ok)
        persons = std::numeric_limits<double>::infinity();
    const double share = total / persons;
    return QStringLiteral("Con ") + numeroPersone + QStringLiteral(" persone alla ROMANA sono ") +
           formatGeneralNumber(share, locale) + QStringLiteral(" a testa.");
}

} // namespace qrv::separatebills
