#include "core/settings/IniFile.h"

#include <QStringDecoder>

namespace qrv {

namespace {

// Characters of cp1252 bytes 0x80..0x9F; 0 marks the five bytes the code page leaves undefined,
// which are read as the control character of the same number (as Latin-1 would).
constexpr char16_t cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

const QByteArray utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

bool sameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isBlank(const QByteArray &content) {
    return content.trimmed().isEmpty();
}

/** text on one line: a line break inside a value or a name would start a line of its own. */
QString oneLine(const QString &text) {
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

} // namespace

IniFile::Encoding IniFile::detectEncoding(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString ignored = utf8.decode(bytes);
    Q_UNUSED(ignored);
    return utf8.hasError() ? Encoding::Windows1252 : Encoding::Utf8;
}

QString IniFile::decode(const QByteArray &bytes, Encoding encoding) {
    if (encoding == Encoding::Utf8)
        return QString::fromUtf8(bytes);
    QString text;
    text.reserve(bytes.size());
    for (char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        if (b >= 0x80 && b <= 0x9F && cp1252High[b - 0x80] != 0)
            text.append(QChar(cp1252High[b - 0x80]));
        else
            text.append(QChar(char16_t(b)));
    }
    return text;
}

QByteArray IniFile::encode(const QString &text, Encoding encoding) {
    if (encoding == Encoding::Utf8)
        return text.toUtf8();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes.append(static_cast<char>(c));
            continue;
        }
        char byte = '?';
        for (int j = 0; j < 32; ++j) {
            if (cp1252High[j] == c || (cp1252High[j] == 0 && c == 0x80 + j)) {
                byte = static_cast<char>(0x80 + j);
                break;
            }
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i; // one "?" for the whole character
        bytes.append(byte);
    }
    return bytes;
}

IniFile IniFile::fromBytes(const QByteArray &bytes) {
    IniFile file;
    file.m_encoding = detectEncoding(bytes);
    bool newlineFound = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', start);
        Line line;
        if (end < 0) {
            line.content = bytes.mid(start);
            start = bytes.size();
        } else {
            const bool crlf = end > start && bytes.at(end - 1) == '\r';
            line.content = bytes.mid(start, end - start - (crlf ? 1 : 0));
            line.ending = crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
            if (!newlineFound) {
                file.m_newline = line.ending;
                newlineFound = true;
            }
            start = end + 1;
        }
        file.m_lines.append(line);
    }
    return file;
}

QByteArray IniFile::toBytes() const {
    QByteArray bytes;
    for (const Line &line : m_lines)
        bytes += line.content + line.ending;
    return bytes;
}

IniFile::Parsed IniFile::parse(int index) const {
    QByteArray content = m_lines.at(index).content;
    if (index == 0 && content.startsWith(utf8Bom))
        content.remove(0, utf8Bom.size());
    const QString text = decode(content, m_encoding).trimmed();
    Parsed parsed;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        parsed.kind = Kind::Section;
        parsed.name = text.mid(1, close < 0 ? -1 : close - 1).trimmed();
    } else if (!text.startsWith(QLatin1Char(';'))) {
        const qsizetype equals = text.indexOf(QLatin1Char('='));
        if (equals >= 0) {
            parsed.kind = Kind::Key;
            parsed.name = text.left(equals).trimmed();
        }
    }
    return parsed;
}

int IniFile::findSection(const QString &section) const {
    for (int i = 0; i < m_lines.size(); ++i) {
        const Parsed parsed = parse(i);
        if (parsed.kind == Kind::Section && sameName(parsed.name, section))
            return i;
    }
    return -1;
}

int IniFile::sectionEnd(int sectionIndex) const {
    int i = sectionIndex + 1;
    while (i < m_lines.size() && parse(i).kind != Kind::Section)
        ++i;
    return i;
}

int IniFile::findKey(int sectionIndex, const QString &key) const {
    const int end = sectionEnd(sectionIndex);
    for (int i = sectionIndex + 1; i < end; ++i) {
        const Parsed parsed = parse(i);
        if (parsed.kind == Kind::Key && sameName(parsed.name, key))
            return i;
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const {
    const int sectionIndex = findSection(section.trimmed());
    if (sectionIndex < 0)
        return std::nullopt;
    const int keyIndex = findKey(sectionIndex, key.trimmed());
    if (keyIndex < 0)
        return std::nullopt;
    const QString text = decode(m_lines.at(keyIndex).content, m_encoding);
    QString value = text.mid(text.indexOf(QLatin1Char('=')) + 1).trimmed();
    if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    if (value.size() > MaxValueLength) {
        value.truncate(MaxValueLength);
        if (value.back().isHighSurrogate())
            value.chop(1);
    }
    return value;
}

void IniFile::insertLine(int index, const QString &text) {
    // The line before the new one needs an ending of its own.
    if (index > 0 && m_lines[index - 1].ending.isEmpty())
        m_lines[index - 1].ending = m_newline;
    m_lines.insert(index, Line{encode(text, m_encoding), m_newline});
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value) {
    const QString sectionName = oneLine(section).trimmed();
    const QString keyName = oneLine(key).trimmed();
    const QString keyLine = keyName + QLatin1Char('=') + oneLine(value);

    const int sectionIndex = findSection(sectionName);
    if (sectionIndex < 0) {
        int at = m_lines.size();
        if (at > 0 && !isBlank(m_lines.last().content))
            insertLine(at++, QString());
        insertLine(at, QLatin1Char('[') + sectionName + QLatin1Char(']'));
        insertLine(at + 1, keyLine);
        return;
    }

    const int keyIndex = findKey(sectionIndex, keyName);
    if (keyIndex >= 0) {
        // Keep everything up to "=" and the blanks after it; only the value changes.
        QByteArray &content = m_lines[keyIndex].content;
        qsizetype valueStart = content.indexOf('=') + 1;
        while (valueStart < content.size() &&
               (content.at(valueStart) == ' ' || content.at(valueStart) == '\t'))
            ++valueStart;
        content = content.left(valueStart) + encode(oneLine(value), m_encoding);
        return;
    }

    int at = sectionEnd(sectionIndex);
    while (at > sectionIndex + 1 && isBlank(m_lines.at(at - 1).content))
        --at;
    insertLine(at, keyLine);
}

} // namespace qrv
