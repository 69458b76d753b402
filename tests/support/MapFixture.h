#pragma once

// A venue and a table map for the tests of the map: a fresh database on the engine of the test
// row, an app folder with its settings file, scripted message windows, and a port of its own for
// the notification socket. Test classes give every test both engines with initTestCase_data().

#include "component/frmTavoli.h"
#include "component/platform/Twips.h"
#include "component/tablemap/TableFloor.h"
#include "core/tablemap/MapSettings.h"
#include "support/Till.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QUdpSocket>
#include <memory>

namespace maptest {

const QColor Red(0xFF, 0x3E, 0x3E);
const QColor Green(0x6C, 0xE8, 0x6C);

/** text as an SQL literal, NULL for nullptr. */
inline QByteArray sql(const char *text) {
    return text ? "'" + QByteArray(text) + "'" : QByteArray("NULL");
}

/** A UDP port nobody is using right now. */
inline quint16 freePort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

/** Runs the deferred deletions, so that destroyed controls are really gone. */
inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline QColor colourOf(const QPushButton *button) {
    return button->palette().color(QPalette::Button);
}

/** The engine of the running test row (global data column "engine"). */
inline QString currentEngine() {
    QFETCH_GLOBAL(QString, engine);
    return engine;
}

class Venue : public qrvtest::Till {
public:
    explicit Venue(const QString &engine = currentEngine()) {
        open(engine, false);
        qrv::SharedState::current().Operazione = qrv::qrvScegliUnTavolo;
        port = freePort();
        qrv::MapSettings::setNotifyPort(port);
    }
    ~Venue() {
        form.reset();
        flushDeletes();
        qrv::MapSettings::setNotifyPort(0);
        qrv::MapSettings::setIntervalScale(0);
    }

    void exec(const QString &sql) { db->Execute(sql); }

    /** Texts given as nullptr are stored as NULL. */
    void room(int codice, const char *descrizione, const char *sfondo = nullptr, qint64 colore = -1) {
        exec(QString::asprintf(
            "Insert into Sale (Codice, Descrizione, Sfondo, ColoreSfondo) values (%d, %s, %s, %s)", codice,
            sql(descrizione).constData(), sql(sfondo).constData(),
            colore < 0 ? "NULL" : QByteArray::number(colore).constData()));
    }

    void table(int codice, int numero, int sala, bool occupato = false, const char *descrizione = nullptr,
               int top = 200, int left = 200) {
        exec(QString::asprintf(
            "Insert into Tavoli (Codice, Numero, Descrizione, Occupato, OraOccupato, "
            "OraUltimoOrdine, ID_Scontrino, Top, Left, CodiceSala, Forma) values (%d, '%d', %s, "
            "%s, '', '', 0, %d, %d, %d, 'QUADRATO')",
            codice, numero, sql(descrizione).constData(), occupato ? "True" : "False", top, left, sala));
    }

    void line(int id, int tavolo, int articolo, int quantita, double importo, int variante = 0,
              const char *descrizione = nullptr) {
        exec(QString::asprintf(
            "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, "
            "Importo, IdRif) values (%d, %d, %d, %d, %s, %d, %.17g, 0)",
            id, tavolo, articolo, quantita, sql(descrizione).constData(), variante, importo));
    }

    void article(int codice, const char *descrizione) {
        exec(QString::asprintf("Insert into Articoli (Codice, Descrizione, Prezzo) values (%d, %s, 1)",
                               codice, sql(descrizione).constData()));
    }

    void setOccupato(int codice, bool occupato) {
        exec(QStringLiteral("Update Tavoli Set Occupato = %1 Where Codice = %2")
                 .arg(occupato ? QStringLiteral("True") : QStringLiteral("False"))
                 .arg(codice));
    }

    QString iniPath() const { return app.filePath(QStringLiteral("impostazioni.ini")); }
    void writeIni(const QByteArray &text) {
        QFile file(iniPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray readIni() const {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    /** A new map, loaded (the whole start-up) and shown without a modal loop. */
    qrv::frmTavoli &load() {
        form.reset(new qrv::frmTavoli);
        form->Form_Load();
        form->show();
        return *form;
    }

    /** Index of the visible table button captioned numero, -1 when none. */
    int buttonOf(int numero) const {
        for (int i = 0; i < form->cmdTavoloCount(); ++i)
            if (!form->cmdTavolo(i)->isHidden() && form->cmdTavolo(i)->text() == QString::number(numero))
                return i;
        return -1;
    }

    void send(const QByteArray &payload) const {
        QUdpSocket sender;
        sender.writeDatagram(payload, QHostAddress::LocalHost, port);
    }

    quint16 port = 0;
    std::unique_ptr<qrv::frmTavoli> form;
};

} // namespace maptest
