#pragma once

#include "component/qrvtavoli_export.h"

#include <QString>
#include <stdexcept>

namespace qrv {

// Failure codes of a call by dispatch identifier, with the values hosts of the old component
// already test for.
constexpr quint32 DISP_E_MEMBERNOTFOUND = 0x80020003u; ///< no such member, or not that kind of access
constexpr quint32 DISP_E_TYPEMISMATCH = 0x80020005u;   ///< an argument of the wrong kind
constexpr quint32 DISP_E_OVERFLOW = 0x8002000Au;       ///< a number out of the member's range
constexpr quint32 DISP_E_BADPARAMCOUNT = 0x8002000Eu;  ///< too many or too few arguments
constexpr quint32 E_INVALIDARG = 0x80070057u;          ///< an argument of the right kind but unusable

/** A late-bound call or property assignment of clsTavoli that failed: a code and a description. */
class QRVTAVOLI_EXPORT ComError : public std::runtime_error {
public:
    ComError(quint32 code, const QString &description)
        : std::runtime_error(description.toStdString())
        , m_code(code) {}

    quint32 code() const { return m_code; }
    QString description() const { return QString::fromStdString(what()); }

private:
    quint32 m_code;
};

} // namespace qrv
