#pragma once

#include <QVariant>
#include <optional>

namespace qrv::dao {

/** Whether a QMetaType id is a whole-number type (of any width or sign). */
bool isIntegerType(int typeId);

/** Whether the value holds a number (whole or floating), not text that reads as one. */
bool isNumber(const QVariant &value);

/**
 * The number a text is written as: optional blanks and sign, digits with an optional point and
 * fraction, an optional exponent. Nothing for any other text, "nan", "inf" and "infinity" included,
 * and for a number too large to be finite.
 */
std::optional<double> numberInText(const QString &text);

/**
 * The value as a boolean, as the engines store one: a bool as it is, any non-zero number (a Jet
 * -1 included) or numeric text as true, and the words true, t, yes, y, on in any case; false
 * for anything else.
 */
bool truthOf(const QVariant &value);

} // namespace qrv::dao
