#pragma once

// A venue and a table map for the tests of the map: a fresh database on one engine, an app
// folder with its settings file, scripted message windows, and a port of its own for the
// notification socket.

#include "component/SharedState.h"
#include "data/dao/Database.h"
#include "platform/Twips.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"
#include "tablemap/TableFloor.h"
#include "tablemap/frmTavoli.h"
#include "tablemap/logic/MapSettings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <memory>

namespace maptest {

inline QString sqlOrNull(const QString &text) {
    return text.isNull() ? QStringLiteral("NULL") : QStringLiteral("'%1'").arg(text);
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

class Venue {
public:
    explicit Venue(const QString &engine) : db(qrvtest::freshDatabase(engine)) {
        qrv::SharedState &shared = qrv::SharedState::current();
        shared = qrv::SharedState();
        shared.DataBase = db;
        shared.App_Path = app.path();
        shared.ilPathArchivi = app.path();
        shared.Operazione = qrv::qrvScegliUnTavolo;
        port = freePort();
        qrv::MapSettings::setNotifyPort(port);
    }
    ~Venue() {
        form.reset();
        flushDeletes();
        qrv::SharedState::current() = qrv::SharedState();
        qrv::MapSettings::setNotifyPort(0);
        qrv::MapSettings::setIntervalScale(0);
    }

    void exec(const QString &sql) { db->Execute(sql); }

    void room(int codice, const QString &descrizione, const QString &sfondo = QString(), qint64 colore = -1) {
        exec(QStringLiteral(
                 "Insert into Sale (Codice, Descrizione, Sfondo, ColoreSfondo) values (%1, '%2', %3, %4)")
                 .arg(codice)
                 .arg(descrizione, sqlOrNull(sfondo),
                      colore < 0 ? QStringLiteral("NULL") : QString::number(colore)));
    }

    void table(int codice, const QString &numero, int sala, bool occupato = false,
               const QString &descrizione = QString(), int top = 200, int left = 200) {
        exec(QStringLiteral(
                 "Insert into Tavoli (Codice, Numero, Descrizione, Occupato, OraOccupato, OraUltimoOrdine, "
                 "ID_Scontrino, Top, Left, CodiceSala, Forma) values (%1, '%2', %3, %4, '', '', 0, %5, %6, "
                 "%7, 'QUADRATO')")
                 .arg(codice)
                 .arg(numero, sqlOrNull(descrizione),
                      occupato ? QStringLiteral("True") : QStringLiteral("False"))
                 .arg(top)
                 .arg(left)
                 .arg(sala));
    }

    void line(int id, int tavolo, int articolo, int quantita, double importo, int variante = 0,
              const QString &descrizione = QString()) {
        exec(QStringLiteral(
                 "Insert into DettaglioTavoli (ID, Tavolo, Codice, Quantita, Descrizione, Variante, "
                 "Importo, IdRif) values (%1, %2, %3, %4, %5, %6, %7, 0)")
                 .arg(id)
                 .arg(tavolo)
                 .arg(articolo)
                 .arg(quantita)
                 .arg(sqlOrNull(descrizione))
                 .arg(variante)
                 .arg(QString::number(importo, 'g', 17)));
    }

    void article(int codice, const QString &descrizione, double prezzo = 1) {
        exec(QStringLiteral("Insert into Articoli (Codice, Descrizione, Prezzo) values (%1, '%2', %3)")
                 .arg(codice)
                 .arg(descrizione, QString::number(prezzo, 'g', 17)));
    }

    void setOccupato(int codice, bool occupato) {
        exec(QStringLiteral("Update Tavoli Set Occupato = %1 Where Codice = %2")
                 .arg(occupato ? QStringLiteral("True") : QStringLiteral("False"))
                 .arg(codice));
    }

    void writeIni(const QByteArray &text) {
        QFile file(app.filePath(QStringLiteral("impostazioni.ini")));
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }

    QByteArray readIni() const {
        QFile file(app.filePath(QStringLiteral("impostazioni.ini")));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    /** A new map, loaded (the whole start-up) and shown without a modal loop. */
    qrv::frmTavoli &load() {
        form.reset(new qrv::frmTavoli);
        form->Form_Load();
        form->show();
        return *form;
    }

    /** Index of the visible table button captioned numero, -1 when none. */
    int buttonOf(const QString &numero) const {
        for (int i = 0; i < form->cmdTavoloCount(); ++i)
            if (!form->cmdTavolo(i)->isHidden() && form->cmdTavolo(i)->text() == numero)
                return i;
        return -1;
    }

    void send(const QByteArray &payload) const {
        QUdpSocket sender;
        sender.writeDatagram(payload, QHostAddress::LocalHost, port);
    }

    std::shared_ptr<qrv::dao::Database> db;
    QTemporaryDir app;
    quint16 port = 0;
    qrvtest::ScriptedMessageBox box;
    qrvtest::ScriptedMessageWindow window;
    std::unique_ptr<qrv::frmTavoli> form;
};

} // namespace maptest
