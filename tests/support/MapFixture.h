#pragma once

// The table map in tests: a venue (a fresh database on the engine of the test row, an app folder
// with its settings file, scripted message windows, a notification port of its own), the map loaded
// on it or shown modally, and the map's controls found by their names.

#include "component/frmTavoli.h"
#include "component/platform/Grid.h"
#include "component/tablemap/TableFloor.h"
#include "core/tablemap/MapSettings.h"
#include "support/ModalScript.h"
#include "support/Till.h"
#include "support/VenueRows.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QUdpSocket>
#include <functional>
#include <memory>

namespace maptest {

const QColor Red(0xFF, 0x3E, 0x3E);
const QColor Green(0x6C, 0xE8, 0x6C);

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

inline QColor colourOf(const QWidget *button) {
    return button->palette().color(QPalette::Button);
}

/** The control of form named name, or name(index) for a control array; nullptr when there is none. */
template <class T = QPushButton> T *control(const QObject *form, const char *name, int index = -1) {
    const QString objectName =
        index < 0 ? QString::fromLatin1(name) : QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
    return form->findChild<T *>(objectName);
}

inline qrv::TableFloor *floorOf(const QObject *form) {
    return control<qrv::TableFloor>(form, "fraTavoli");
}

/** The table button carrying Codice codice in the room on show, nullptr when none does. */
inline QPushButton *tableButton(const QObject *form, int codice) {
    const int index = floorOf(form)->indexOf(codice);
    return index < 0 ? nullptr : control(form, "cmdTavolo", index);
}

/** The receipt grid, one "quantity|amount|ID" text per row. */
inline QStringList receiptRows(const QObject *form) {
    QStringList rows;
    const qrv::Grid *grid = control<qrv::Grid>(form, "gridScontrino");
    for (int r = 0; r < grid->rows(); ++r)
        rows << QStringList{grid->textMatrix(r, 0), grid->textMatrix(r, 2), grid->textMatrix(r, 3)}.join(
            QLatin1Char('|'));
    return rows;
}

/**
 * Shows the calling thread's map modally (through show, exec() when none is given) and runs body
 * once it is on screen; a map the body left open is closed as the window manager closes it.
 */
inline void runMap(const std::function<void(qrv::frmTavoli &)> &body,
                   const std::function<void()> &show = {}) {
    qrv::frmTavoli *form = qrv::frmTavoli::current();
    bool ran = false;
    qrvtest::ModalScript script(form, {[&] {
                                    if (QTest::qWaitForWindowExposed(form))
                                        body(*form);
                                    ran = true;
                                    if (form->isVisible())
                                        form->done(0);
                                }});
    show ? show() : void(form->exec());
    QVERIFY2(ran, "the map was not shown");
}

class Venue : public qrvtest::Till {
public:
    explicit Venue(const QString &engine = qrvtest::engine()) {
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
        qrvtest::addRoom(db, codice, text(descrizione), text(sfondo),
                         colore < 0 ? QVariant() : QVariant(colore));
    }
    void table(int codice, int numero, int sala, bool occupato = false, const char *descrizione = nullptr,
               int top = 200, int left = 200) {
        qrvtest::addTable(db, qrvtest::columns("Codice, Numero, Descrizione, Occupato, Top, Left, CodiceSala",
                                               {codice, QString::number(numero), text(descrizione), occupato,
                                                top, left, sala}));
    }
    void line(int id, int tavolo, int articolo, int quantita, double importo, int variante = 0,
              const char *descrizione = nullptr) {
        qrvtest::addLine(db, tavolo, articolo, quantita, text(descrizione), variante, importo, id);
    }
    void article(int codice, const char *descrizione) {
        qrvtest::addArticle(db, codice, text(descrizione), 1);
    }
    void setOccupato(int codice, bool occupato) {
        exec(QStringLiteral("Update Tavoli Set Occupato = %1 Where Codice = %2")
                 .arg(qrvtest::sqlValue(occupato))
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

    /** The control of the loaded map named name, or name(index) for a control array. */
    template <class T = QPushButton> T *control(const char *name, int index = -1) const {
        return maptest::control<T>(form.get(), name, index);
    }
    QPushButton *button(int index) const { return control("cmdTavolo", index); }
    qrv::TableFloor *floor() const { return floorOf(form.get()); }

    /** Index of the visible table button captioned numero, -1 when none. */
    int buttonOf(int numero) const {
        for (int i = 0; button(i); ++i)
            if (!button(i)->isHidden() && button(i)->text() == QString::number(numero))
                return i;
        return -1;
    }

    void send(const QByteArray &payload) const {
        QUdpSocket sender;
        sender.writeDatagram(payload, QHostAddress::LocalHost, port);
    }

    quint16 port = 0;
    std::unique_ptr<qrv::frmTavoli> form;

private:
    static QVariant text(const char *value) {
        return value ? QVariant(QString::fromUtf8(value)) : QVariant();
    }
};

} // namespace maptest
