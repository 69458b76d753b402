#pragma once

#include <QString>

namespace qrv {

/**
 * Returns text as an SQL string literal: between single quotes, every apostrophe doubled, so
 * that "Dell'Orto" becomes 'Dell''Orto' and no text can end the literal early.
 * Write "... Where Numero = " + sqlText(numero) where the statement had '" + numero + "'.
 */
QString sqlText(const QString &text);

/** Returns text with every apostrophe doubled, for a statement that writes the quotes itself. */
QString sqlEscaped(const QString &text);

} // namespace qrv
