#pragma once

#include <QVariant>

namespace qrv::dao {

/** Whether a QMetaType id is a whole-number type (of any width or sign). */
bool isIntegerType(int typeId);

/** Whether the value holds a number (whole or floating), not text that reads as one. */
bool isNumber(const QVariant &value);

/**
 * The value as a boolean, as the engines store one: a bool as it is, any non-zero number (a Jet
 * -1 included) or numeric text as true, and the words true, t, yes, y, on in any case; false
 * for anything else.
 */
bool truthOf(const QVariant &value);

} // namespace qrv::dao
