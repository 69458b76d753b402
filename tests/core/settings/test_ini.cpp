#include "core/settings/IniFile.h"
#include "core/settings/mdlFunzioniIni.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using qrv::IniFile;

class TestIni : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_count = 0;

    /** A new file in the temporary folder holding bytes; returns its path. */
    QString fileWith(const QByteArray &bytes) {
        const QString path = m_dir.filePath(QStringLiteral("impostazioni%1.ini").arg(++m_count));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
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

        const QString imp = QStringLiteral("Impostazioni"), cassa = QStringLiteral("CodiceCassa"), none;

        QTest::newRow("blank value gives the default")
            << QByteArray("[Tavoli]\r\nBottoniGrandi=   \r\n") << QStringLiteral("Tavoli")
            << QStringLiteral("BottoniGrandi") << QStringLiteral("0") << QStringLiteral("0");
        QTest::newRow("blanks around the value") << QByteArray("[Impostazioni]\nCodiceCassa=  3 \t\n") << imp
                                                 << cassa << none << QStringLiteral("3");
        QTest::newRow("missing section")
            << QByteArray("[Tavoli]\nCodiceCassa=3\n") << imp << cassa << none << QString();
        QTest::newRow("odd case and blanks in names")
            << QByteArray("[ impostazioni ]\n  codicecassa  =7\n") << QStringLiteral(" IMPOSTAZIONI ")
            << QStringLiteral("CODICECASSA ") << none << QStringLiteral("7");
        QTest::newRow("value over 255 characters is cut")
            << (QByteArray("[A]\nk=") + QByteArray(300, 'x')) << QStringLiteral("A") << QStringLiteral("k")
            << none << QString(255, QLatin1Char('x'));
        QTest::newRow("cut inside trailing blanks, then trimmed")
            << (QByteArray("[A]\nk=") + QByteArray(250, 'a') + QByteArray(10, ' ') + "b")
            << QStringLiteral("A") << QStringLiteral("k") << none << QString(250, QLatin1Char('a'));
        QTest::newRow("comments are not keys")
            << QByteArray("; CodiceCassa=9\n[Impostazioni]\n;CodiceCassa=8\nCodiceCassa=5\n") << imp << cassa
            << none << QStringLiteral("5");
        QTest::newRow("first of duplicate keys wins")
            << QByteArray("[Impostazioni]\nCodiceCassa=1\ncodicecassa=2\n") << imp << cassa << none
            << QStringLiteral("1");
        QTest::newRow("only the first section of a name is read")
            << QByteArray("[A]\nx=1\n[B]\ny=3\n[a]\ny=2\n") << QStringLiteral("A") << QStringLiteral("y")
            << QStringLiteral("d") << QStringLiteral("d");
        QTest::newRow("key of the next section is not taken")
            << QByteArray("[A]\n[B]\nk=1\n") << QStringLiteral("A") << QStringLiteral("k") << none
            << QString();
        QTest::newRow("equals sign inside the value") << QByteArray("[A]\nk = a=b\n") << QStringLiteral("A")
                                                      << QStringLiteral("k") << none << QStringLiteral("a=b");
        QTest::newRow("enclosing quotes dropped") << QByteArray("[A]\nk=\"  a b \"\n") << QStringLiteral("A")
                                                  << QStringLiteral("k") << none << QStringLiteral("a b");
        QTest::newRow("byte order mark before the first section")
            << QByteArray("\xEF\xBB\xBF[Impostazioni]\r\nCodiceCassa=4") << imp << cassa << none
            << QStringLiteral("4");
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

    void readMissingOrUnreadableFileGivesDefault() {
        QCOMPARE(qrv::LeggiIni(m_dir.filePath(QStringLiteral("none.ini")), QStringLiteral("Tavoli"),
                               QStringLiteral("ArticoloAggiunta"), 0),
                 QStringLiteral("0"));
        // A folder where the file should be cannot be read, even by a user who may read anything.
        const QString folder = m_dir.filePath(QStringLiteral("folder.ini"));
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(qrv::LeggiIni(folder, QStringLiteral("Tavoli"), QStringLiteral("BottoniGrandi"), 0),
                 QStringLiteral("0"));
        QCOMPARE(qrv::ScriviIni(folder, QStringLiteral("Tavoli"), QStringLiteral("BottoniGrandi"),
                                QStringLiteral("1")),
                 0);
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(QDir(folder).isEmpty());
    }

    void write_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        const QByteArray host =
            "; till settings\r\n[Impostazioni]\r\nCodiceCassa = 2\r\nStampante=EPSON ; x\r\n\r\n"
            "[Tavoli]\r\nbottonigrandi = 0\r\nArticoloAggiunta=12\r\n\r\n[Host]\r\nA=1\r\n";
        QByteArray replaced = host;
        replaced.replace("bottonigrandi = 0", "bottonigrandi = 1");
        QTest::newRow("replace keeps every other byte, CRLF")
            << host << QStringLiteral(" tavoli ") << QStringLiteral(" BottoniGrandi ")
            << QStringLiteral(" 1 ") << replaced;

        QByteArray added = host;
        added.replace("ArticoloAggiunta=12\r\n", "ArticoloAggiunta=12\r\nNuova=x y\r\n");
        QTest::newRow("new key at the end of its section, before the blank line")
            << host << QStringLiteral("Tavoli") << QStringLiteral("Nuova") << QStringLiteral("x y") << added;

        QTest::newRow("new section appended after a blank line")
            << host << QStringLiteral("Altro") << QStringLiteral("k") << QStringLiteral("v")
            << host + "\r\n[Altro]\r\nk=v\r\n";

        QTest::newRow("LF file stays LF")
            << QByteArray("[Tavoli]\nBottoniGrandi=1\n[X]\ny=2\n") << QStringLiteral("Tavoli")
            << QStringLiteral("ArticoloAggiunta") << QStringLiteral("7")
            << QByteArray("[Tavoli]\nBottoniGrandi=1\nArticoloAggiunta=7\n[X]\ny=2\n");
        QTest::newRow("last line without an ending")
            << QByteArray("[Tavoli]\nBottoniGrandi=1") << QStringLiteral("Tavoli") << QStringLiteral("K")
            << QStringLiteral("2") << QByteArray("[Tavoli]\nBottoniGrandi=1\nK=2\n");
        QTest::newRow("line break in a value stays on one line")
            << QByteArray("[A]\nk=old\n") << QStringLiteral("A") << QStringLiteral("k")
            << QStringLiteral("a\r\n[B]") << QByteArray("[A]\nk=a  [B]\n");
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

    void writeCreatesTheFileInUtf8() {
        const QString path = m_dir.filePath(QStringLiteral("new.ini"));
        QVERIFY(qrv::ScriviIni(path, QStringLiteral("Tavoli"), QStringLiteral("Nome"),
                               QStringLiteral("Caffè")) != 0);
        QCOMPARE(bytesOf(path), QByteArray("[Tavoli]\r\nNome=Caff\xC3\xA8\r\n"));
        QCOMPARE(qrv::LeggiIni(path, QStringLiteral("tavoli"), QStringLiteral("nome")),
                 QStringLiteral("Caffè"));
    }

    void failedWriteChangesNothing() {
        const QString path = m_dir.filePath(QStringLiteral("missing-folder/impostazioni.ini"));
        QCOMPARE(qrv::ScriviIni(path, QStringLiteral("Tavoli"), QStringLiteral("K"), QStringLiteral("1")), 0);
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("missing-folder"))));
        QCOMPARE(qrv::ScriviIni(QStringLiteral("  "), QStringLiteral("Tavoli"), QStringLiteral("K"),
                                QStringLiteral("1")),
                 0);
    }

    void writeKeepsTheFileItself() {
        // The host may keep the file with its own permissions, or behind a link.
        const QString path = fileWith("[Tavoli]\nBottoniGrandi=0\n");
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path, permissions));
        const QString link = m_dir.filePath(QStringLiteral("link.ini"));
        QVERIFY(QFile::link(path, link));
        QVERIFY(qrv::ScriviIni(link, QStringLiteral("Tavoli"), QStringLiteral("BottoniGrandi"),
                               QStringLiteral("1")) != 0);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(bytesOf(path), QByteArray("[Tavoli]\nBottoniGrandi=1\n"));
        QCOMPARE(QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser), permissions);
    }

    void encodingIsKept_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("windows-1252")
            << QByteArray("[Host]\r\nNome=Caff\xE8 \x80\r\n[Tavoli]\r\nDescr=x\r\n")
            << QByteArray("[Host]\r\nNome=Caff\xE8 \x80\r\n[Tavoli]\r\nDescr=T\xE8 \x80\r\n");
        QTest::newRow("utf-8")
            << QByteArray("[Host]\nNome=Caff\xC3\xA8 \xE2\x82\xAC\n[Tavoli]\nDescr=x\n")
            << QByteArray("[Host]\nNome=Caff\xC3\xA8 \xE2\x82\xAC\n[Tavoli]\nDescr=T\xC3\xA8 \xE2\x82\xAC\n");
    }

    void encodingIsKept() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QString path = fileWith(before);
        QCOMPARE(qrv::LeggiIni(path, QStringLiteral("Host"), QStringLiteral("Nome")),
                 QStringLiteral("Caffè €"));
        QVERIFY(qrv::ScriviIni(path, QStringLiteral("Tavoli"), QStringLiteral("Descr"),
                               QStringLiteral("Tè €")) != 0);
        QCOMPARE(bytesOf(path), after);
        QCOMPARE(qrv::LeggiIni(path, QStringLiteral("Tavoli"), QStringLiteral("Descr")),
                 QStringLiteral("Tè €"));
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
