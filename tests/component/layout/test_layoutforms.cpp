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

    void refusesMissingOrLongNumbers_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("yellow");
        const QString dopo = QStringLiteral("dopo");
        const QString numero = QStringLiteral("txtNumero");
        QTest::newRow("empty") << QString() << QString() << dopo
                               << QStringLiteral("Compilare il numero del tavolo!") << numero;
        QTest::newRow("blanks") << QString() << QStringLiteral("   ") << dopo
                                << QStringLiteral("Compilare il numero del tavolo!") << numero;
        QTest::newRow("stored too long") << QStringLiteral("1234") << QString() << dopo
                                         << QStringLiteral("Lunghezza massima 3 caratteri") << numero;
        QTest::newRow("NUL in the number") << QString() << withNul("1", "2") << dopo << NulNotice << numero;
        QTest::newRow("NUL in the description") << QString() << QStringLiteral("12") << withNul("do", "po")
                                                << NulNotice << QStringLiteral("txtDescrizione");
    }

    void refusesMissingOrLongNumbers() {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, description);
        QFETCH(QString, notice);
        QFETCH(QString, yellow);
        SharedState &shared = SharedState::current();
        shared.NumeroTavoloDati = stored;
        shared.DescrizioneTavoloDati = QStringLiteral("prima");
        frmDatiTavolo *form = frmDatiTavolo::current();
        bool stayedOpen = false;
        ModalScript script(form, {[&] {
                               if (!typed.isEmpty())
                                   form->txtNumero()->insert(typed);
                               form->txtDescrizione()->setText(description);
                               form->cmdSalva()->click();
                               form->cmdSalva()->click(); // still refused, still yellow
                               stayedOpen = form->isVisible() && isYellow(form->findChild<QWidget *>(yellow));
                               form->cmdSpegni()->click();
                           }});
        frmDatiTavolo::mostra();
        QVERIFY(stayedOpen);
        QCOMPARE(m_till->window.notices.size(), 2);
        QCOMPARE(m_till->window.notices.first().testo, notice);
        QCOMPARE(shared.NumeroTavoloDati + shared.DescrizioneTavoloDati, stored + QStringLiteral("prima"));
        form->Form_Load(frmDatiTavolo::Opening::NewTable);
        QVERIFY(!isYellow(form->txtNumero()) && !isYellow(form->txtDescrizione()));
    }

    void existingTableWithoutNumberShowsWhatIsStored() {
        SharedState &shared = SharedState::current();
        shared.NumeroTavoloDati.clear();
        // A description longer than the box's limit (written by the host) is shown whole.
        const QString longDescription = QString(60, QLatin1Char('d'));
        shared.DescrizioneTavoloDati = longDescription;
        frmDatiTavolo *form = frmDatiTavolo::current();
        form->Form_Load(frmDatiTavolo::Opening::ExistingTable);
        QCOMPARE(form->txtNumero()->text(), QString());
        QVERIFY(!form->txtNumero()->isEnabled());
        QCOMPARE(form->txtDescrizione()->text(), longDescription);
    }

    void closingLeavesTheDataAlone() {
        SharedState &shared = SharedState::current();
        shared.NumeroTavoloDati = QStringLiteral("07");
        shared.DescrizioneTavoloDati = QStringLiteral("Finestra");
        frmDatiTavolo *form = frmDatiTavolo::current();
        ModalScript script(form, {[&] {
                               QCOMPARE(form->lblTitolo()->text(), QStringLiteral("TAVOLO 7"));
                               form->txtDescrizione()->setText(QStringLiteral("altro"));
                               form->cmdSpegni()->click();
                           }});
        frmDatiTavolo::mostra();
        QCOMPARE(script.remaining(), 0);
        QCOMPARE(shared.NumeroTavoloDati + shared.DescrizioneTavoloDati, QStringLiteral("07Finestra"));
    }

    void keyboardTypesIntoTheFocusedBox() {
        SharedState &shared = SharedState::current();
        frmDatiTavolo *form = frmDatiTavolo::current();
        ModalScript script(
            form, {[&] {
                form->activateWindow();
                form->txtNumero()->setFocus();
                QTRY_COMPARE(QApplication::focusWidget(), form->txtNumero());
                for (const char *key : {"key(4)", "key(2)"})
                    form->ctlTastiera2()->findChild<QPushButton *>(QLatin1String(key))->click();
                QCOMPARE(form->txtNumero()->text(), QStringLiteral("42"));
                form->cmdSalva()->click();
            }});
        frmDatiTavolo::mostra(frmDatiTavolo::Opening::NewTable);
        QCOMPARE(shared.NumeroTavoloDati, QStringLiteral("42"));
    }

    void paletteSwatchesStandInTheirPlaces() {
        frmSala *form = frmSala::current();
        for (const PaletteSwatch &swatch : paletteSwatches()) {
            QPushButton *pic = form->picColore(swatch.index);
            QCOMPARE(pic->geometry(), pxRect(swatch.left, swatch.top, 555, 420));
            QCOMPARE(pic->palette().color(QPalette::Button).rgb() & 0xFFFFFF, swatch.rgb);
        }
    }
    void newRoomIsStoredTrimmedWithImageAndColour() {
        open();
        addImage(QStringLiteral("terrazza.png"));
        addImage(QStringLiteral("sala interna.jpg"));
        frmSala *form = roomForm("", 1);
        ModalScript script(form, {[&] {
                               QVERIFY(!form->cmdCancella()->isEnabled());
                               QCOMPARE(form->cboSfondi()->count(), 2);
                               QCOMPARE(form->cboSfondi()->currentText(), QString());
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
        frmSala::mostra();
        QCOMPARE(script.remaining(), 0);
        const QString row = QStringLiteral(" from Sale Where Descrizione = 'Sala dell''Angolo'");
        QCOMPARE(scalar(m_till->db, QStringLiteral("Select Sfondo") + row).toString(),
                 QStringLiteral("terrazza.png"));
        QCOMPARE(m_till->count(QStringLiteral("Select ColoreSfondo") + row), 255);
        QVERIFY(m_till->window.notices.isEmpty());
    }

    void newRoomForgetsTheColourOfAnEditedOne() {
        open();
        frmSala *form = roomForm("3", 2);
        {
            ModalScript script(form, {[&] {
                                   QCOMPARE(form->ColoreScelto(), 9884330);
                                   form->cmdSpegni()->click();
                               }});
            frmSala::mostra();
        }
        roomForm("", 1);
        ModalScript script(form, {[&] {
                               QCOMPARE(form->txtDescrizione()->text(), QString());
                               form->txtDescrizione()->setText(QStringLiteral("Saletta"));
                               form->cmdSalva()->click();
                           }});
        frmSala::mostra();
        QCOMPARE(m_till->count(QStringLiteral("Select ColoreSfondo from Sale Where Descrizione = 'Saletta'")),
                 0);
        QCOMPARE(m_till->count(QStringLiteral("Select ColoreSfondo from Sale Where Codice = 3")), 9884330);
    }
    void editsARoomWithoutImage() {
        open();
        addImage(QStringLiteral("terrazza.png"));
        frmSala *form = roomForm("1", 2);
        ModalScript script(form, {[&] {
                               QCOMPARE(form->txtDescrizione()->text(), QStringLiteral("Sala"));
                               QCOMPARE(form->cboSfondi()->currentText(), QString());
                               QVERIFY(form->cmdCancella()->isEnabled());
                               QCOMPARE(form->ColoreScelto(), 0);
                               form->txtDescrizione()->setText(QStringLiteral("Sala d'ingresso"));
                               form->cmdSalva()->click();
                           }});
        frmSala::mostra();
        QCOMPARE(
            scalar(m_till->db, QStringLiteral("Select Descrizione from Sale Where Codice = 1")).toString(),
            QStringLiteral("Sala d'ingresso"));
        const QVariant sfondo =
            scalar(m_till->db, QStringLiteral("Select Sfondo from Sale Where Codice = 1"));
        QVERIFY(!sfondo.isNull() && sfondo.toString().isEmpty());
        // The stored image name comes back into the box.
        roomForm("2", 2)->Form_Load();
        QCOMPARE(form->cboSfondi()->currentText(), QStringLiteral("parquet.png"));
        form->reject();
    }

    void refusesRoomWithoutNameOrWithAPath_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("notice");
        QTest::addColumn<QString>("yellow");
        QTest::newRow("no name") << QStringLiteral("   ") << QString()
                                 << QStringLiteral("Compilare descrizione sala")
                                 << QStringLiteral("txtDescrizione");
        QTest::newRow("NUL in the name")
            << withNul("Terr", "azza") << QString() << NulNotice << QStringLiteral("txtDescrizione");
        QTest::newRow("climbs out") << QStringLiteral("Terrazza") << QStringLiteral("../impostazioni.ini")
                                    << QStringLiteral(
                                           "Immagine di sfondo non valida: scegliere un file della cartella "
                                           "SfondiSale")
                                    << QStringLiteral("cboSfondi");
    }

    void refusesRoomWithoutNameOrWithAPath() {
        QFETCH(QString, name);
        QFETCH(QString, image);
        QFETCH(QString, notice);
        QFETCH(QString, yellow);
        open();
        frmSala *form = roomForm("", 1);
        ModalScript script(form, {[&] {
                               form->txtDescrizione()->setText(name);
                               form->cboSfondi()->setEditText(image);
                               form->cmdSalva()->click();
                               QVERIFY(form->isVisible() && isYellow(form->findChild<QWidget *>(yellow)));
                               form->cmdSpegni()->click();
                           }});
        frmSala::mostra();
        QCOMPARE(script.remaining(), 0);
        QCOMPARE(m_till->window.notices.size(), 1);
        QCOMPARE(m_till->window.notices.first().testo, notice);
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Sale")), 4);
    }
    void roomDeletedMeanwhileShowsANotice() {
        open();
        frmSala *form = roomForm("3", 2);
        ModalScript script(form, {[&] {
                               // Another till deletes the room while the form is open.
                               dao::Database::open(qrvtest::urlOf(m_till->db))
                                   ->Execute(QStringLiteral("Delete * from Sale Where Codice = 3"));
                               form->txtDescrizione()->setText(QStringLiteral("Giardino d'inverno"));
                               form->cmdSalva()->click();
                           }});
        frmSala::mostra();
        QCOMPARE(m_till->window.notices.size(), 1);
        QVERIFY(m_till->window.notices.first().testo.contains(
            QStringLiteral("cancellata da un'altra postazione")));
        QVERIFY(m_till->box.shown.isEmpty());
        QCOMPARE(m_till->count(
                     QStringLiteral("Select count(*) from Sale Where Descrizione = 'Giardino d''inverno'")),
                 0);
    }
    void deletesTheRoomAfterYes() {
        open();
        const qlonglong lines = m_till->count(QStringLiteral("Select count(*) from DettaglioTavoli"));
        frmSala *form = roomForm("2", 2);
        bool openAfterNo = false;
        m_till->box.answers = {MessageBox::vbNo, MessageBox::vbYes};
        ModalScript script(
            form, {[&] {
                form->cmdCancella()->click();
                openAfterNo = form->isVisible();
                QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Sale Where Codice = 2")), 1);
                form->cmdCancella()->click();
            }});
        frmSala::mostra();
        QVERIFY(openAfterNo && !form->isVisible());
        QCOMPARE(m_till->box.shown.size(), 2);
        QCOMPARE(m_till->box.shown.first().text, QStringLiteral("Cancellare la sala ?"));
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Sale Where Codice = 2")), 0);
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Tavoli Where CodiceSala = 2")), 0);
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from DettaglioTavoli")), lines);
    }

    void saveFollowsTheModeTheFormOpenedIn() {
        // Edit mode without a room opens as a new room and never overwrites the first room.
        open();
        frmSala *form = roomForm("", 2);
        ModalScript script(form, {[&] {
                               QCOMPARE(form->lblTitolo()->text(), QStringLiteral("INSERIMENTO NUOVA SALA"));
                               form->txtDescrizione()->setText(QStringLiteral("Dehors"));
                               form->cmdSalva()->click();
                           }});
        frmSala::mostra();
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Sale")), 5);
        QCOMPARE(
            scalar(m_till->db, QStringLiteral("Select Descrizione from Sale Where Codice = 1")).toString(),
            QStringLiteral("Sala"));
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
