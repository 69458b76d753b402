// Reading and writing the till's settings file: the values read, the bytes written (everything
// else in the file kept, its line endings and encoding too), and paths that cannot be used.
#include "core/settings/IniFile.h"
#include "core/settings/mdlFunzioniIni.h"
#include "support/TestDatabases.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using qrv::IniFile;
using qrvtest::rowTable;

namespace {

/** A file's bytes before and after: read, section/key gives value (defaultValue when missing); written,
 * value. */
struct IniRow {
    const char *name;
    QByteArray before;
    const char *section, *key;
    QByteArray value;
    QByteArray after;
};

} // namespace

Q_DECLARE_METATYPE(IniRow)

class TestIni : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_count = 0;

    /** A new file in the temporary folder holding bytes (none at all for a null array); its path. */
    QString fileWith(const QByteArray &bytes) {
        const QString path = m_dir.filePath(QStringLiteral("impostazioni%1.ini").arg(++m_count));
        QFile file(path);
        if (!bytes.isNull() && (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()))
            qFatal("cannot write the test file");
        return path;
    }

    static QByteArray bytesOf(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

private slots:
    // Read rows: after holds the default value; the file is left as it was.
    void read_data() {
        rowTable<IniRow>({
            {"blank value gives the default", "[Tavoli]\r\nBottoniGrandi=   \r\n", "Tavoli", "BottoniGrandi",
             "0", "0"},
            {"blanks around the value", "[Impostazioni]\nCodiceCassa=  3 \t\n", "Impostazioni", "CodiceCassa",
             "3", ""},
            {"missing section", "[Tavoli]\nCodiceCassa=3\n", "Impostazioni", "CodiceCassa", "", ""},
            {"odd case and blanks in names", "[ impostazioni ]\n  codicecassa  =7\n", " IMPOSTAZIONI ",
             "CODICECASSA ", "7", ""},
            {"value over 255 characters is cut", "[A]\nk=" + QByteArray(300, 'x'), "A", "k",
             QByteArray(255, 'x'), ""},
            {"cut inside trailing blanks, then trimmed",
             "[A]\nk=" + QByteArray(250, 'a') + QByteArray(10, ' ') + "b", "A", "k", QByteArray(250, 'a'),
             ""},
            {"comments are not keys", "; CodiceCassa=9\n[Impostazioni]\n;CodiceCassa=8\nCodiceCassa=5\n",
             "Impostazioni", "CodiceCassa", "5", ""},
            {"first of duplicate keys wins", "[Impostazioni]\nCodiceCassa=1\ncodicecassa=2\n", "Impostazioni",
             "CodiceCassa", "1", ""},
            {"only the first section of a name is read", "[A]\nx=1\n[B]\ny=3\n[a]\ny=2\n", "A", "y", "d",
             "d"},
            {"key of the next section is not taken", "[A]\n[B]\nk=1\n", "A", "k", "", ""},
            {"equals sign inside the value", "[A]\nk = a=b\n", "A", "k", "a=b", ""},
            {"enclosing quotes dropped", "[A]\nk=\"  a b \"\n", "A", "k", "a b", ""},
            {"byte order mark before the first section", "\xEF\xBB\xBF[Impostazioni]\r\nCodiceCassa=4",
             "Impostazioni", "CodiceCassa", "4", ""},
            {"windows-1252", "[Host]\r\nNome=Caff\xE8 \x80\r\n", "Host", "Nome", "Caffè €", ""},
            {"utf-8", "[Host]\nNome=Caff\xC3\xA8 \xE2\x82\xAC\n", "Host", "Nome", "Caffè €", ""},
        });
    }
    void read() {
        QFETCH(IniRow, row);
        const QString path = fileWith(row.before);
        QCOMPARE(qrv::LeggiIni(QLatin1Char(' ') + path + QLatin1Char(' '), QString::fromUtf8(row.section),
                               QString::fromUtf8(row.key), QString::fromUtf8(row.after)),
                 QString::fromUtf8(row.value));
        QCOMPARE(bytesOf(path), row.before);
    }

    void write_data() {
        const QByteArray host =
            "; till settings\r\n[Impostazioni]\r\nCodiceCassa = 2\r\nStampante=EPSON ; x\r\n\r\n"
            "[Tavoli]\r\nbottonigrandi = 0\r\nArticoloAggiunta=12\r\n\r\n[Host]\r\nA=1\r\n";
        rowTable<IniRow>({
            {"replace keeps every other byte, CRLF", host, " tavoli ", " BottoniGrandi ", " 1 ",
             QByteArray(host).replace("bottonigrandi = 0", "bottonigrandi = 1")},
            {"new key at the end of its section, before the blank line", host, "Tavoli", "Nuova", "x y",
             QByteArray(host).replace("ArticoloAggiunta=12\r\n", "ArticoloAggiunta=12\r\nNuova=x y\r\n")},
            {"new section appended after a blank line", host, "Altro", "k", "v",
             host + "\r\n[Altro]\r\nk=v\r\n"},
            {"LF file stays LF", "[Tavoli]\nBottoniGrandi=1\n[X]\ny=2\n", "Tavoli", "ArticoloAggiunta", "7",
             "[Tavoli]\nBottoniGrandi=1\nArticoloAggiunta=7\n[X]\ny=2\n"},
            {"last line without an ending", "[Tavoli]\nBottoniGrandi=1", "Tavoli", "K", "2",
             "[Tavoli]\nBottoniGrandi=1\nK=2\n"},
            {"line break in a value stays on one line", "[A]\nk=old\n", "A", "k", "a\r\n[B]",
             "[A]\nk=a  [B]\n"},
            {"new file in UTF-8", QByteArray(), "Tavoli", "Nome", "Caffè",
             "[Tavoli]\r\nNome=Caff\xC3\xA8\r\n"},
            {"windows-1252 stays", "[Host]\r\nNome=Caff\xE8 \x80\r\n[Tavoli]\r\nDescr=x\r\n", "Tavoli",
             "Descr", "Tè €", "[Host]\r\nNome=Caff\xE8 \x80\r\n[Tavoli]\r\nDescr=T\xE8 \x80\r\n"},
            {"utf-8 stays", "[Host]\nNome=Caff\xC3\xA8 \xE2\x82\xAC\n[Tavoli]\nDescr=x\n", "Tavoli", "Descr",
             "Tè €", "[Host]\nNome=Caff\xC3\xA8 \xE2\x82\xAC\n[Tavoli]\nDescr=T\xC3\xA8 \xE2\x82\xAC\n"},
        });
    }
    void write() {
        QFETCH(IniRow, row);
        const QString path = fileWith(row.before);
        QVERIFY(qrv::ScriviIni(path, QString::fromUtf8(row.section), QString::fromUtf8(row.key),
                               QString::fromUtf8(row.value)) != 0);
        QCOMPARE(bytesOf(path), row.after);
    }

    // A file that is missing, or a folder where it should be (unreadable even for a user who may
    // read anything), reads as the default; a write there, into a missing folder or to a blank path
    // fails and creates nothing.
    void unusablePaths() {
        const QString tavoli = QStringLiteral("Tavoli"), key = QStringLiteral("BottoniGrandi");
        QCOMPARE(qrv::LeggiIni(m_dir.filePath(QStringLiteral("none.ini")), tavoli, key, 0),
                 QStringLiteral("0"));
        const QString folder = m_dir.filePath(QStringLiteral("folder.ini"));
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(qrv::LeggiIni(folder, tavoli, key, 0), QStringLiteral("0"));
        QCOMPARE(qrv::ScriviIni(folder, tavoli, key, QStringLiteral("1")), 0);
        QVERIFY(QFileInfo(folder).isDir() && QDir(folder).isEmpty());
        const QString missing = m_dir.filePath(QStringLiteral("missing-folder/impostazioni.ini"));
        QCOMPARE(qrv::ScriviIni(missing, tavoli, key, QStringLiteral("1")), 0);
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("missing-folder"))));
        QCOMPARE(qrv::ScriviIni(QStringLiteral("  "), tavoli, key, QStringLiteral("1")), 0);
    }

    void writeKeepsTheFileItself() {
        // The host may keep the file with its own permissions, or behind a link.
        const QString path = fileWith("[Tavoli]\nBottoniGrandi=0\n");
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, permissions));
        const QString link = m_dir.filePath(QStringLiteral("link.ini"));
        QVERIFY(QFile::link(path, link));
        QVERIFY(qrv::ScriviIni(link, QStringLiteral("Tavoli"), QStringLiteral("BottoniGrandi"),
                               QStringLiteral("1")));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(bytesOf(path), QByteArray("[Tavoli]\nBottoniGrandi=1\n"));
        QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser), permissions);
    }

    void windows1252RoundTripsEveryByte() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(static_cast<char>(b));
        QCOMPARE(IniFile::detectEncoding(all), IniFile::Encoding::Windows1252);
        const QString text = IniFile::decode(all, IniFile::Encoding::Windows1252);
        QCOMPARE(text.at(0x80), QChar(0x20AC));
        QCOMPARE(IniFile::encode(text, IniFile::Encoding::Windows1252), all);
        // Characters the code page lacks become one "?" each, a pair of surrogates included.
        QCOMPARE(IniFile::encode(QStringLiteral("a\u0100\U0001F600b"), IniFile::Encoding::Windows1252),
                 QByteArray("a??b"));
    }
};

QTEST_GUILESS_MAIN(TestIni)
#include "test_ini.moc"
