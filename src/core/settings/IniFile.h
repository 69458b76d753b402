#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <optional>

namespace qrv {

/**
 * A settings file in the profile-string format ([section] lines and key=value lines), held as
 * its raw lines so that a write changes only the line it concerns: every other byte (comments,
 * the host's sections, CRLF or LF endings) is written back as it was read.
 *
 * Sections and keys match case-insensitively with blanks around names ignored; the first
 * section of a name is the one read and written, and the first key in it wins.
 * A file that is valid UTF-8 is read and written as UTF-8; any other file is in the Western
 * Windows code page (cp1252) and stays in it. A new file is UTF-8 with CRLF line endings.
 */
class IniFile {
public:
    enum class Encoding { Utf8, Windows1252 };

    /** Longest value the reader returns, as the profile functions' 256-character buffer allowed. */
    static constexpr int MaxValueLength = 255;

    /** An empty new file. */
    IniFile() = default;
    /** The file whose contents are bytes; never fails (any byte sequence is some cp1252 text). */
    static IniFile fromBytes(const QByteArray &bytes);

    /**
     * The value of key in section: trimmed, without a pair of enclosing quotes, at most
     * MaxValueLength characters. Nothing when the section or the key is missing.
     */
    std::optional<QString> value(const QString &section, const QString &key) const;

    /**
     * Sets key=value in section: replaces the value of an existing key (keeping the key's own
     * spelling and the blanks around "="), else adds the key after the last line of the
     * section, else appends the section with the key at the end of the file.
     */
    void setValue(const QString &section, const QString &key, const QString &value);

    /** The file's contents, in the encoding and line endings it was read with. */
    QByteArray toBytes() const;

    Encoding encoding() const { return m_encoding; }

    static Encoding detectEncoding(const QByteArray &bytes);
    static QString decode(const QByteArray &bytes, Encoding encoding);
    /** Text in encoding; in cp1252, characters it lacks become "?". */
    static QByteArray encode(const QString &text, Encoding encoding);

private:
    struct Line {
        QByteArray content; ///< the line without its ending
        QByteArray ending;  ///< "\r\n", "\n" or empty for a last line without one
    };
    enum class Kind { Other, Section, Key };
    struct Parsed {
        Kind kind = Kind::Other;
        QString name; ///< section or key name, trimmed
    };

    Parsed parse(int index) const;
    /** Index of the header of the first section named section, or -1. */
    int findSection(const QString &section) const;
    /** Index of the first key line named key in the section whose header is at sectionIndex, or -1. */
    int findKey(int sectionIndex, const QString &key) const;
    /** Index of the line after the section whose header is at sectionIndex. */
    int sectionEnd(int sectionIndex) const;
    void insertLine(int index, const QString &text);

    QVector<Line> m_lines;
    Encoding m_encoding = Encoding::Utf8;
    QByteArray m_newline = QByteArrayLiteral("\r\n");
};

} // namespace qrv
