#include "core/data/dao/DaoError.h"

namespace qrv::dao {

DaoError::DaoError(int number, QString description)
    : m_number(number)
    , m_description(std::move(description))
    , m_what((QString::number(number) + QLatin1Char(' ') + m_description).toUtf8()) {}

} // namespace qrv::dao
