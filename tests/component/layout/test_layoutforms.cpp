// The table data form and the room form on their own: what they show when they open, how they
// check their input, and what they write (the room form on SQLite and PostgreSQL).
#include "component/layout/frmDatiTavolo.h"
#include "component/layout/frmSala.h"
#include "component/platform/TouchKeyboard.h"
#include "component/platform/Twips.h"
#include "core/data/dao/Database.h"
#include "core/layout/RoomPalette.h"
#include "core/settings/SharedState.h"
#include "support/ModalScript.h"
#include "support/Till.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace qrv;
using qrvtest::ModalScript;
using qrvtest::scalar;

namespace {
bool isYellow(QWidget *box) {
    return box->palette().color(QPalette::Base) == QColor(0xFF, 0xFF, 0x00);
}

/** A text with a NUL character in it, as a paste or a keyboard wedge can leave it. */
QString withNul(const char *before, const char *after) {
    return QLatin1String(before) + QChar(u'\0') + QLatin1String(after);
}

const QString NulNotice =
    QStringLiteral("Il testo contiene un carattere non valido (codice 0): correggere il campo in giallo");
} // namespace

class TestLayoutForms : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { qrvtest::addEngineRows(); }
    void init() { m_till = std::make_unique<qrvtest::Till>(); }
    void cleanup() { m_till.reset(); }

    // Both forms stay open with a notice and the field in yellow, however often Salva is touched,
    // and write nothing; the next opening starts without yellow. The data form takes the number and
    // the description, the room form the name and the image.
    void refusesInput_data() {
        QTest::addColumn<bool>("room");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("yellow");
        const QString dopo = QStringLiteral("dopo"), numero = QStringLiteral("txtNumero");
        const QString descrizione = QStringLiteral("txtDescrizione");
        const QString noNumber = QStringLiteral("Compilare il numero del tavolo!");
        QTest::newRow("empty") << false << QString() << QString() << dopo << noNumber << numero;
        QTest::newRow("blanks") << false << QString() << QStringLiteral("   ") << dopo << noNumber << numero;
        QTest::newRow("stored too long") << false << QStringLiteral("1234") << QString() << dopo
                                         << QStringLiteral("Lunghezza massima 3 caratteri") << numero;
        QTest::newRow("NUL in the number")
            << false << QString() << withNul("1", "2") << dopo << NulNotice << numero;
        QTest::newRow("NUL in the description")
            << false << QString() << QStringLiteral("12") << withNul("do", "po") << NulNotice << descrizione;
        QTest::newRow("room without name") << true << QString() << QStringLiteral("   ") << QString()
                                           << QStringLiteral("Compilare descrizione sala") << descrizione;
        QTest::newRow("NUL in the room name")
            << true << QString() << withNul("Terr", "azza") << QString() << NulNotice << descrizione;
        QTest::newRow("image climbs out")
            << true << QString() << QStringLiteral("Terrazza") << QStringLiteral("../impostazioni.ini")
            << QStringLiteral("Immagine di sfondo non valida: scegliere un file della cartella SfondiSale")
            << QStringLiteral("cboSfondi");
    }

    void refusesInput() {
        QFETCH(bool, room);
        QFETCH(QString, stored);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, yellow);
        SharedState &shared = SharedState::current();
        shared.NumeroTavoloDati = stored;
        shared.DescrizioneTavoloDati = QStringLiteral("prima");
        if (room)
            open();
        QDialog *form = room ? static_cast<QDialog *>(roomForm("", 1)) : frmDatiTavolo::current();
        const auto box = [form](const char *name) {
            return form->findChild<QLineEdit *>(QLatin1String(name));
        };
        const auto button = [form](const char *name) {
            return form->findChild<QPushButton *>(QLatin1String(name));
        };
        bool stayedOpen = false;
        ModalScript script(form, {[&] {
                               box(room ? "txtDescrizione" : "txtNumero")->insert(first);
                               if (room)
                                   form->findChild<QComboBox *>()->setEditText(second);
                               else
                                   box("txtDescrizione")->setText(second);
                               button("cmdSalva")->click();
                               button("cmdSalva")->click();
                               stayedOpen = form->isVisible() && isYellow(form->findChild<QWidget *>(yellow));
                               button("cmdSpegni")->click();
                           }});
        room ? frmSala::mostra() : frmDatiTavolo::mostra();
        QVERIFY(stayedOpen);
        QCOMPARE(m_till->window.notices.size(), 2);
        QTEST(m_till->window.notices.first().testo, "notice");
        QCOMPARE(shared.NumeroTavoloDati + shared.DescrizioneTavoloDati, stored + QStringLiteral("prima"));
        if (room)
            QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Sale")), 4);
        room ? frmSala::current()->Form_Load()
             : frmDatiTavolo::current()->Form_Load(frmDatiTavolo::Opening::NewTable);
        QVERIFY(!isYellow(form->findChild<QWidget *>(yellow)));
    }

    // An existing table without number shows what is stored (a description longer than the box's
    // limit, written by the host, whole); the keyboard types into the focused box; closing leaves
    // the data alone.
    void existingTableKeyboardAndClose() {
        SharedState &shared = SharedState::current();
        shared.NumeroTavoloDati.clear();
        const QString longDescription = QString(60, QLatin1Char('d'));
        shared.DescrizioneTavoloDati = longDescription;
        frmDatiTavolo *form = frmDatiTavolo::current();
        ModalScript script(
            form, {[&] {
                QCOMPARE(form->txtNumero()->text(), QString());
                QVERIFY(!form->txtNumero()->isEnabled());
                QCOMPARE(form->txtDescrizione()->text(), longDescription);
                form->activateWindow();
                form->txtDescrizione()->clear();
                form->txtDescrizione()->setFocus();
                QTRY_COMPARE(QApplication::focusWidget(), form->txtDescrizione());
                for (const char *key : {"key(4)", "key(2)"})
                    form->ctlTastiera2()->findChild<QPushButton *>(QLatin1String(key))->click();
                QCOMPARE(form->txtDescrizione()->text(), QStringLiteral("42"));
                form->cmdSpegni()->click();
            }});
        frmDatiTavolo::mostra(frmDatiTavolo::Opening::ExistingTable);
        QCOMPARE(script.remaining(), 0);
        QCOMPARE(shared.NumeroTavoloDati + shared.DescrizioneTavoloDati, longDescription);
    }

    // Room 1 (no image) is renamed and keeps an empty image name; room 3 (with a colour) is deleted
    // at another till while the form is open; a new room in edit mode without a room forgets that
    // colour, overwrites no room, and is stored trimmed with the image and colour chosen; a stored
    // image name comes back into the box.
    void editsRooms() {
        open();
        addImage(QStringLiteral("terrazza.png"));
        addImage(QStringLiteral("sala interna.jpg"));
        frmSala *form = frmSala::current();
        ModalScript script(
            form, {[&] {
                       QCOMPARE(form->txtDescrizione()->text(), QStringLiteral("Sala"));
                       QCOMPARE(form->cboSfondi()->currentText(), QString());
                       QVERIFY(form->cmdCancella()->isEnabled());
                       QCOMPARE(form->ColoreScelto(), 0);
                       form->txtDescrizione()->setText(QStringLiteral("Sala d'ingresso"));
                       form->cmdSalva()->click();
                   },
                   [&] {
                       QCOMPARE(form->ColoreScelto(), 9884330);
                       dao::Database::open(qrvtest::urlOf(m_till->db))
                           ->Execute(QStringLiteral("Delete * from Sale Where Codice = 3"));
                       form->txtDescrizione()->setText(QStringLiteral("Giardino d'inverno"));
                       form->cmdSalva()->click();
                   },
                   [&] {
                       QCOMPARE(form->lblTitolo()->text(), QStringLiteral("INSERIMENTO NUOVA SALA"));
                       QCOMPARE(form->txtDescrizione()->text() + form->cboSfondi()->currentText(), QString());
                       QCOMPARE(form->ColoreScelto(), 0);
                       QVERIFY(!form->cmdCancella()->isEnabled());
                       QCOMPARE(form->cboSfondi()->count(), 2);
                       for (const PaletteSwatch &swatch : paletteSwatches()) {
                           QPushButton *pic = form->picColore(swatch.index);
                           QCOMPARE(pic->geometry(), pxRect(swatch.left, swatch.top, 555, 420));
                           QCOMPARE(pic->palette().color(QPalette::Button).rgb() & 0xFFFFFF, swatch.rgb);
                       }
                       form->txtDescrizione()->setText(QStringLiteral("  Sala dell'Angolo  "));
                       form->cboSfondi()->setCurrentIndex(
                           form->cboSfondi()->findText(QStringLiteral("terrazza.png")));
                       form->cmdColore()->click();
                       form->picColore(25)->click();
                       QVERIFY(!form->fraColore()->isVisible());
                       // Closing the palette with "Annulla" keeps the choice made before.
                       form->cmdColore()->click();
                       form->cmdAnnullaColore()->click();
                       QVERIFY(!form->fraColore()->isVisible());
                       QCOMPARE(form->ColoreScelto(), 255);
                       form->cmdSalva()->click();
                   }});
        for (const char *sala : {"1", "3", ""}) {
            roomForm(sala, 2);
            frmSala::mostra();
        }
        QCOMPARE(script.remaining(), 0);
        QCOMPARE(m_till->window.notices.size(), 1);
        QVERIFY(m_till->window.notices.first().testo.contains(
            QStringLiteral("cancellata da un'altra postazione")));
        QVERIFY(m_till->box.shown.isEmpty());
        QCOMPARE(
            scalar(m_till->db, QStringLiteral("Select Descrizione from Sale Where Codice = 1")).toString(),
            QStringLiteral("Sala d'ingresso"));
        const QVariant sfondo =
            scalar(m_till->db, QStringLiteral("Select Sfondo from Sale Where Codice = 1"));
        QVERIFY(!sfondo.isNull() && sfondo.toString().isEmpty());
        QCOMPARE(m_till->count(
                     QStringLiteral("Select count(*) from Sale Where Descrizione = 'Giardino d''inverno'")),
                 0);
        const QString row = QStringLiteral(" from Sale Where Descrizione = 'Sala dell''Angolo'");
        QCOMPARE(scalar(m_till->db, QStringLiteral("Select Sfondo") + row).toString(),
                 QStringLiteral("terrazza.png"));
        QCOMPARE(m_till->count(QStringLiteral("Select ColoreSfondo") + row), 255);
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Sale")), 4);
        roomForm("2", 2)->Form_Load();
        QCOMPARE(form->cboSfondi()->currentText(), QStringLiteral("parquet.png"));
        form->reject();
    }

private:
    /** The room form, set to open room sala (none: "") in mode modo. */
    frmSala *roomForm(const char *sala, qint16 modo) {
        SharedState::current().SalaInModifica = QString::fromUtf8(sala);
        SharedState::current().ModoSala = modo;
        return frmSala::current();
    }
    void open(bool demo = true) {
        QFETCH_GLOBAL(QString, engine);
        m_till->open(engine, demo);
    }
    void addImage(const QString &name) {
        QVERIFY(QDir(m_till->app.path()).mkpath(QStringLiteral("SfondiSale")));
        QFile file(m_till->app.path() + QStringLiteral("/SfondiSale/") + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    std::unique_ptr<qrvtest::Till> m_till;
};

QTEST_MAIN(TestLayoutForms)
#include "test_layoutforms.moc"
