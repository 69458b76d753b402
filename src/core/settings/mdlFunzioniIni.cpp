#include "core/settings/mdlFunzioniIni.h"

#include "core/settings/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace qrv {

namespace {

enum class ReadResult { Read, Missing, Unreadable };

ReadResult readFile(const QString &path, QByteArray &bytes) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return ReadResult::Missing;
    if (!info.isFile())
        return ReadResult::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::Unreadable;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError ? ReadResult::Read : ReadResult::Unreadable;
}

} // namespace

QString LeggiIni(const QString &file, const QString &section, const QString &key,
                 const QString &defaultValue) {
    const QString fallback = defaultValue.trimmed();
    QByteArray bytes;
    if (readFile(file.trimmed(), bytes) != ReadResult::Read)
        return fallback;
    const QString value =
        IniFile::fromBytes(bytes).value(section.trimmed(), key.trimmed()).value_or(QString());
    const QString trimmed = value.trimmed();
    return trimmed.isEmpty() ? fallback : trimmed;
}

QString LeggiIni(const QString &file, const QString &section, const QString &key, qint64 defaultValue) {
    return LeggiIni(file, section, key, QString::number(defaultValue));
}

qint32 ScriviIni(const QString &file, const QString &section, const QString &key, const QString &value) {
    const QString path = file.trimmed();
    if (path.isEmpty())
        return 0;
    QByteArray bytes;
    IniFile ini;
    switch (readFile(path, bytes)) {
    case ReadResult::Read:
        ini = IniFile::fromBytes(bytes);
        break;
    case ReadResult::Missing:
        break;
    case ReadResult::Unreadable:
        return 0; // writing would lose what could not be read
    }
    ini.setValue(section.trimmed(), key.trimmed(), value.trimmed());

    // Written aside and renamed into place: a failed write leaves the old file whole.
    QSaveFile out(path);
    out.setDirectWriteFallback(true);
    if (!out.open(QIODevice::WriteOnly))
        return 0;
    const QByteArray updated = ini.toBytes();
    if (out.write(updated) != updated.size()) {
        out.cancelWriting();
        return 0;
    }
    return out.commit() ? 1 : 0;
}

} // namespace qrv
