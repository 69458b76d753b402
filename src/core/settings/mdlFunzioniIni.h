#pragma once

#include <QString>

namespace qrv {

/**
 * Reads key in section of the settings file: the value trimmed (at most 255 characters), or
 * the trimmed default when the file, the section or the key is missing, unreadable or blank.
 * Names are trimmed and matched without regard to case.
 */
QString LeggiIni(const QString &file, const QString &section, const QString &key,
                 const QString &defaultValue = QString());
/** As above with a whole-number default (0 for "BottoniGrandi"). */
QString LeggiIni(const QString &file, const QString &section, const QString &key, qint64 defaultValue);

/**
 * Writes key=value (all trimmed) into section of the settings file, creating the file, the
 * section or the key as needed; every other line stays as it was. Returns non-zero on success;
 * 0 when the file cannot be read or written, and then the file is unchanged.
 */
qint32 ScriviIni(const QString &file, const QString &section, const QString &key, const QString &value);

} // namespace qrv
