// Reading and writing the till's settings file: the values read, the bytes written (everything
// else in the file kept, its line endings and encoding too), and paths that cannot be used.
#include "core/settings/IniFile.h"
#include "core/settings/mdlFunzioniIni.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using qrv::IniFile;

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
    void read_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("defaultValue");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *tag, const QByteArray &contents, const char *section, const char *key,
                            const char *expected, const char *defaultValue = "") {
            QTest::newRow(tag) << contents << QString::fromUtf8(section) << QString::fromUtf8(key)
                               << QString::fromUtf8(defaultValue) << QString::fromUtf8(expected);
        };
        row("blank value gives the default", "[Tavoli]\r\nBottoniGrandi=   \r\n", "Tavoli", "BottoniGrandi",
            "0", "0");
        row("blanks around the value", "[Impostazioni]\nCodiceCassa=  3 \t\n", "Impostazioni", "CodiceCassa",
            "3");
        row("missing section", "[Tavoli]\nCodiceCassa=3\n", "Impostazioni", "CodiceCassa", "");
        row("odd case and blanks in names", "[ impostazioni ]\n  codicecassa  =7\n", " IMPOSTAZIONI ",
            "CODICECASSA ", "7");
        row("value over 255 characters is cut", "[A]\nk=" + QByteArray(300, 'x'), "A", "k",
            QByteArray(255, 'x').constData());
        row("cut inside trailing blanks, then trimmed",
            "[A]\nk=" + QByteArray(250, 'a') + QByteArray(10, ' ') + "b", "A", "k",
            QByteArray(250, 'a').constData());
        row("comments are not keys", "; CodiceCassa=9\n[Impostazioni]\n;CodiceCassa=8\nCodiceCassa=5\n",
            "Impostazioni", "CodiceCassa", "5");
        row("first of duplicate keys wins", "[Impostazioni]\nCodiceCassa=1\ncodicecassa=2\n", "Impostazioni",
            "CodiceCassa", "1");
        row("only the first section of a name is read", "[A]\nx=1\n[B]\ny=3\n[a]\ny=2\n", "A", "y", "d", "d");
        row("key of the next section is not taken", "[A]\n[B]\nk=1\n", "A", "k", "");
        row("equals sign inside the value", "[A]\nk = a=b\n", "A", "k", "a=b");
        row("enclosing quotes dropped", "[A]\nk=\"  a b \"\n", "A", "k", "a b");
        row("byte order mark before the first section", "\xEF\xBB\xBF[Impostazioni]\r\nCodiceCassa=4",
            "Impostazioni", "CodiceCassa", "4");
        row("windows-1252", "[Host]\r\nNome=Caff\xE8 \x80\r\n", "Host", "Nome", "Caffè €");
        row("utf-8", "[Host]\nNome=Caff\xC3\xA8 \xE2\x82\xAC\n", "Host", "Nome", "Caffè €");
    }
    void read() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, defaultValue);
        QFETCH(QString, expected);
        const QString path = fileWith(contents);
        QCOMPARE(qrv::LeggiIni(QLatin1Char(' ') + path + QLatin1Char(' '), section, key, defaultValue),
                 expected);
        QCOMPARE(bytesOf(path), contents);
    }

    void write_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const auto row = [](const char *tag, const QByteArray &before, const char *section, const char *key,
                            const char *value, const QByteArray &after) {
            QTest::newRow(tag) << before << QString::fromUtf8(section) << QString::fromUtf8(key)
                               << QString::fromUtf8(value) << after;
        };
        const QByteArray host =
            "; till settings\r\n[Impostazioni]\r\nCodiceCassa = 2\r\nStampante=EPSON ; x\r\n\r\n"
            "[Tavoli]\r\nbottonigrandi = 0\r\nArticoloAggiunta=12\r\n\r\n[Host]\r\nA=1\r\n";
        row("replace keeps every other byte, CRLF", host, " tavoli ", " BottoniGrandi ", " 1 ",
            QByteArray(host).replace("bottonigrandi = 0", "bottonigrandi = 1"));
        row("new key at the end of its section, before the blank line", host, "Tavoli", "Nuova", "x y",
            QByteArray(host).replace("ArticoloAggiunta=12\r\n", "ArticoloAggiunta=12\r\nNuova=x y\r\n"));
        row("new section appended after a blank line", host, "Altro", "k", "v",
            host + "\r\n[Altro]\r\nk=v\r\n");
        row("LF file stays LF", "[Tavoli]\nBottoniGrandi=1\n[X]\ny=2\n", "Tavoli", "ArticoloAggiunta", "7",
            "[Tavoli]\nBottoniGrandi=1\nArticoloAggiunta=7\n[X]\ny=2\n");
        row("last line without an ending", "[Tavoli]\nBottoniGrandi=1", "Tavoli", "K", "2",
            "[Tavoli]\nBottoniGrandi=1\nK=2\n");
        row("line break in a value stays on one line", "[A]\nk=old\n", "A", "k", "a\r\n[B]",
            "[A]\nk=a  [B]\n");
        row("new file in UTF-8", QByteArray(), "Tavoli", "Nome", "Caffè",
            "[Tavoli]\r\nNome=Caff\xC3\xA8\r\n");
        row("windows-1252 stays", "[Host]\r\nNome=Caff\xE8 \x80\r\n[Tavoli]\r\nDescr=x\r\n", "Tavoli",
            "Descr", "Tè €", "[Host]\r\nNome=Caff\xE8 \x80\r\n[Tavoli]\r\nDescr=T\xE8 \x80\r\n");
        row("utf-8 stays", "[Host]\nNome=Caff\xC3\xA8 \xE2\x82\xAC\n[Tavoli]\nDescr=x\n", "Tavoli", "Descr",
            "Tè €", "[Host]\nNome=Caff\xC3\xA8 \xE2\x82\xAC\n[Tavoli]\nDescr=T\xC3\xA8 \xE2\x82\xAC\n");
    }
    void write() {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        const QString path = fileWith(before);
        QVERIFY(qrv::ScriviIni(path, section, key, value) != 0);
        QCOMPARE(bytesOf(path), after);
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
