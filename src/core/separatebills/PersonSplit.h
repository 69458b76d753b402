#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace qrv::separatebills {

/**
 * The keypad entry of the number of persons ("alla ROMANA": the whole bill split evenly) and the
 * text it shows. Keys act on their caption: digits and "00" append, "," is ignored, "Canc" starts
 * over.
 */
class PersonSplit {
public:
    /** The text shown before any digit is typed. */
    static QString promptText();
    /** The text shown when the persons typed so far are 0 ("0", "00"...): nothing to divide by. */
    static QString zeroPersonsText();

    /**
     * Applies the key with that caption to the entry. Returns the label's new text: the share of
     * totalText (the whole bill as shown, read with the locale's rules) per person, the prompt for
     * "Canc", the zero-persons text while the entry is 0; nothing for "," (the label stays).
     */
    std::optional<QString> press(const QString &caption, const QString &totalText,
                                 const QLocale &locale = QLocale());

    /** The digits typed so far ("" after "Canc"). */
    const QString &NumeroPersone() const { return m_numeroPersone; }
    void clear() { m_numeroPersone.clear(); }

private:
    QString m_numeroPersone;
};

/**
 * "Con " + numeroPersone + " persone alla ROMANA sono " + total / persons + " a testa.", the share
 * in the general number form (100 for "12" in Italy: "... sono 8,33333333333333 a testa.").
 * numeroPersone must be digits; when it is not, or its value is 0, returns the zero-persons text.
 */
QString shareText(const QString &numeroPersone, double total, const QLocale &locale = QLocale());

} // namespace qrv::separatebills
