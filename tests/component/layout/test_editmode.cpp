// The floor-plan editor on the real map: table buttons dragged with real mouse events (the
// press, moves and release go through the window system, so the pressed button keeps the
// pointer while it moves), the toolbox, the pop-up that creates a table, deleting and editing
// tables, and the room commands, on SQLite and PostgreSQL.
#define QTEST_QPA_MOUSE_HANDLING

#include "component/frmTavoli.h"
#include "component/layout/EditMode.h"
#include "component/layout/frmDatiTavolo.h"
#include "component/layout/frmSala.h"
#include "component/platform/Twips.h"
#include "component/tablemap/TableFloor.h"
#include "core/data/dao/Database.h"
#include "core/settings/SharedState.h"
#include "support/ModalScript.h"
#include "support/Till.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using namespace qrv;
using qrvtest::ModalScript;
using qrvtest::scalar;

class TestEditMode : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { qrvtest::addEngineRows(); }
    void init() { m_till = std::make_unique<qrvtest::Till>(); }
    void cleanup() { m_till.reset(); }

    void dragMovesInStepsAndStoresOnRelease() {
        open();
        runMap([&](frmTavoli *form) {
            QWidget *floor = form->fraTavoli();
            const int i = form->indiceTavolo(5); // Top 2800, Left 400
            QPushButton *button = form->cmdTavolo(i);
            QVERIFY(button && button->isVisible());
            const QPoint start = button->pos() + QPoint(20, 20); // on the floor, in pixels
            QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
            QVERIFY(form->editMode()->drag().dragging());
            QCOMPARE(form->state().IndiceTavoloSelezionato, i);

            // 30 pixels = 450 twips to the right in one event: one step of 200.
            QTest::mouseMove(floor, start + QPoint(30, 0));
            QCOMPARE(QPoint(form->leftTavolo(i), form->topTavolo(i)), QPoint(600, 2800));
            // The pointer (almost) stays: the button catches up by one more step, then stops.
            QTest::mouseMove(floor, start + QPoint(31, 0));
            QCOMPARE(form->leftTavolo(i), 800);
            QTest::mouseMove(floor, start + QPoint(32, 0));
            QCOMPARE(form->leftTavolo(i), 800);
            QCOMPARE(button->pos(), QPoint(px(800), px(2800)));
            // While dragging the toolbox follows, flush with the button's left edge.
            QCOMPARE(form->editMode()->toolboxTwips(), QPoint(800, 2800 - 1035 - 40));
            // 15 pixels up: one step up.
            QTest::mouseMove(floor, start + QPoint(32, -15));
            QCOMPARE(QPoint(form->leftTavolo(i), form->topTavolo(i)), QPoint(800, 2600));
            QCOMPARE(m_till->count(QStringLiteral("Select Left from Tavoli Where Codice = 5")), 400);

            QTest::mouseRelease(floor, Qt::LeftButton, {}, start + QPoint(32, -15));
            QVERIFY(!form->editMode()->drag().dragging());
            QCOMPARE(m_till->count(QStringLiteral("Select Left * 10000 + Top from Tavoli Where Codice = 5")),
                     8002600);
            // The click after the release shows the toolbox 100 twips right of the button.
            QTRY_VERIFY(form->frxAggiorna()->isVisible());
            QCOMPARE(form->editMode()->toolboxTwips(), QPoint(900, 2600 - 1035 - 40));
            QCOMPARE(form->frxAggiorna()->pos(), QPoint(px(900), px(1525)));

            // Dragged past the top-left corner: stored negative, not clamped.
            const QPoint again = button->pos() + QPoint(10, 10);
            QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
            for (int step = 1; step <= 6; ++step)
                QTest::mouseMove(floor, again - QPoint(14 * step, 14 * step));
            QTest::mouseRelease(floor, Qt::LeftButton, {}, again - QPoint(84, 84));
            QCOMPARE(m_till->count(QStringLiteral("Select Left * 10000 + Top from Tavoli Where Codice = 5")),
                     -400 * 10000 + 1400);
            QVERIFY(m_till->box.shown.isEmpty());
        });
    }
    void tapStoresAndShowsTheToolbox() {
        open();
        runMap([&](frmTavoli *form) {
            QPushButton *button = buttonOf(form, 1); // Top 400: no room above, the toolbox goes below
            QVERIFY(button);
            m_till->db->Execute(QStringLiteral("Update Tavoli Set Top = 1 Where Codice = 1"));
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
            // The release of a tap stores the position on show again.
            QCOMPARE(m_till->count(QStringLiteral("Select Top from Tavoli Where Codice = 1")), 400);
            QTRY_VERIFY(form->frxAggiorna()->isVisible());
            QCOMPARE(form->editMode()->toolboxTwips(), QPoint(400 + 100, 400 + 930 + 40));
            QCOMPARE(form->state().IndiceTavoloSelezionato, form->indiceTavolo(1));
            form->findChild<QPushButton *>(QStringLiteral("cmdAggChiudi"))->click();
            QVERIFY(!form->frxAggiorna()->isVisible());
        });
    }

    void floorPress_data() {
        QTest::addColumn<qint32>("operazione");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("menu");
        QTest::newRow("left, editing") << qint32(qrvAggiornaTavoli) << int(Qt::LeftButton) << true;
        QTest::newRow("right, editing") << qint32(qrvAggiornaTavoli) << int(Qt::RightButton) << false;
        QTest::newRow("left, choosing a table") << qint32(qrvScegliUnTavolo) << int(Qt::LeftButton) << false;
    }

    void floorPress() {
        QFETCH(qint32, operazione);
        QFETCH(int, button);
        QFETCH(bool, menu);
        open();
        SharedState &shared = SharedState::current();
        shared.TopNuovoTavolo = -1;
        shared.LeftNuovoTavolo = -1;
        runMap(
            [&](frmTavoli *form) {
                QMenu *popup = form->editMode()->mnuPopup();
                form->editMode()->MostraAggiorna(0, 3000, 3000);
                QVERIFY(form->frxAggiorna()->isVisible());
                // (100, 20) pixels = (1500, 300) twips: an empty spot of the floor.
                QTest::mousePress(form->fraTavoli(), Qt::MouseButton(button), {}, QPoint(100, 20));
                QVERIFY(!form->frxAggiorna()->isVisible());
                QCOMPARE(popup->isVisible(), menu);
                QCOMPARE(QPoint(shared.LeftNuovoTavolo, shared.TopNuovoTavolo),
                         menu ? QPoint(1500, 300) : QPoint(-1, -1));
                popup->hide();
                QTest::mouseRelease(form->fraTavoli(), Qt::MouseButton(button), {}, QPoint(100, 20));
            },
            operazione);
    }
    void createsATableFromTheMenu() {
        open();
        frmDatiTavolo *data = frmDatiTavolo::current();
        QStringList shown; // title, number (! when locked) and description at each opening
        const auto enter = [&](const QString &numero, const QString &descrizione) {
            return [&, numero, descrizione] {
                shown << data->lblTitolo()->text() + data->txtNumero()->text() +
                             (data->txtNumero()->isEnabled() ? QString() : QStringLiteral("!")) +
                             data->txtDescrizione()->text();
                data->txtNumero()->setText(numero);
                data->txtDescrizione()->setText(descrizione);
                data->cmdSalva()->click();
            };
        };
        // "999" is reserved, 20 stands in the Veranda, " 77" is free.
        const QString typed = QStringLiteral("  Vicino all'uscita "); // stored trimmed
        ModalScript script(data, {enter(QStringLiteral("999"), typed), enter(QStringLiteral("20"), typed),
                                  enter(QStringLiteral(" 77"), typed)});
        runMap([&](frmTavoli *form) {
            // (100, 20) pixels = (1500, 300) twips: half a step both ways, snapped to the even 1600 and 400.
            QTest::mousePress(form->fraTavoli(), Qt::LeftButton, {}, QPoint(100, 20));
            QMenu *popup = form->editMode()->mnuPopup();
            QTRY_VERIFY(popup->isVisible());
            QAction *create = popup->actions().first();
            QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(create).center());
            QTRY_COMPARE(script.remaining(), 0);
            QPushButton *added = nullptr;
            for (int i = 0; i < form->cmdTavoloCount(); ++i)
                if (form->cmdTavolo(i)->isVisible() && form->cmdTavolo(i)->text() == QLatin1String("77"))
                    added = form->cmdTavolo(i);
            QVERIFY(added);
            QCOMPARE(added->pos(), QPoint(px(1600), px(400)));
        });
        QCOMPARE(shown,
                 (QStringList{QStringLiteral("NUOVO TAVOLO"), QStringLiteral("NUOVO TAVOLOVicino all'uscita"),
                              QStringLiteral("NUOVO TAVOLOVicino all'uscita")}));
        QStringList notices;
        for (const auto &notice : m_till->window.notices)
            notices << notice.testo + QString::number(notice.a);
        QCOMPARE(notices, (QStringList{QStringLiteral("Il numero 999 non è utiizzabile2"),
                                       QStringLiteral("Tavolo 20 già presente.1")}));

        const QString row = QStringLiteral(" from Tavoli Where Numero = '77'");
        QCOMPARE(m_till->count(QStringLiteral("Select count(*)") + row), 1);
        QCOMPARE(m_till->count(QStringLiteral("Select Left * 10000 + Top * 10 + CodiceSala") + row),
                 16004001);
        QCOMPARE(scalar(m_till->db, QStringLiteral("Select Descrizione") + row).toString(),
                 QStringLiteral("Vicino all'uscita"));
        QCOMPARE(scalar(m_till->db, QStringLiteral("Select Occupato") + row).toBool(), false);
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Tavoli Where Numero = '999'")),
                 2); // the client bills only
    }

    void closingTheDataFormCreatesNothing() {
        open();
        const qlonglong tables = m_till->count(QStringLiteral("Select count(*) from Tavoli"));
        frmDatiTavolo *data = frmDatiTavolo::current();
        ModalScript script(data, {[&] {
                               data->txtNumero()->setText(QStringLiteral("88"));
                               data->cmdSpegni()->click();
                           }});
        runMap([&](frmTavoli *form) {
            QSignalSpy rebuilt(form, &frmTavoli::tablesLoaded);
            SharedState::current().TopNuovoTavolo = 610;
            SharedState::current().LeftNuovoTavolo = 1290;
            form->editMode()->mnuNuovoBottone();
            QCOMPARE(script.remaining(), 0);
            QCOMPARE(rebuilt.size(), 1);
        });
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Tavoli")), tables);
        QVERIFY(m_till->window.notices.isEmpty());
    }
    void deletesATableAfterYes() {
        open();
        const qlonglong lines =
            m_till->count(QStringLiteral("Select count(*) from DettaglioTavoli Where Tavolo = 1"));
        m_till->box.answers = {MessageBox::vbNo, MessageBox::vbYes};
        runMap([&](frmTavoli *form) {
            QPushButton *button = buttonOf(form, 1); // occupied
            QVERIFY(button);
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
            QTRY_VERIFY(form->frxAggiorna()->isVisible());
            QPushButton *elimina = form->findChild<QPushButton *>(QStringLiteral("cmdAggEliminaBottone"));
            elimina->click();
            QVERIFY(form->frxAggiorna()->isVisible()); // No: everything stays
            QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Tavoli Where Codice = 1")), 1);
            elimina->click();
            QVERIFY(!form->frxAggiorna()->isVisible());
            QCOMPARE(form->indiceTavolo(1), -1);
        });
        QCOMPARE(m_till->box.shown.size(), 2);
        QCOMPARE(m_till->box.shown.first().text, QStringLiteral("Eliminare il tavolo 1?"));
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Tavoli Where Codice = 1")), 0);
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from DettaglioTavoli Where Tavolo = 1")),
                 lines);
    }
    void editsTheDescription() {
        open();
        m_till->db->Execute(QStringLiteral("Update Tavoli Set Numero = '01' Where Codice = 1"));
        frmDatiTavolo *data = frmDatiTavolo::current();
        ModalScript script(data, {[&] {
                                      QCOMPARE(data->lblTitolo()->text(), QStringLiteral("TAVOLO 1"));
                                      QCOMPARE(data->txtNumero()->text(), QStringLiteral("1"));
                                      QVERIFY(!data->txtNumero()->isEnabled());
                                      QCOMPARE(data->txtDescrizione()->text(),
                                               QStringLiteral("Famiglia Conti"));
                                      data->txtDescrizione()->clear();
                                      data->cmdSalva()->click();
                                  },
                                  [&] {
                                      data->txtDescrizione()->setText(QStringLiteral("Famiglia dell'Acqua"));
                                      data->cmdSalva()->click();
                                  }});
        runMap([&](frmTavoli *form) {
            QPushButton *button = buttonOf(form, 1);
            QVERIFY(button);
            QCOMPARE(button->text(), QStringLiteral("01"));
            button->click();
            QPushButton *proprieta = form->findChild<QPushButton *>(QStringLiteral("cmdAggProprieta"));
            proprieta->click();
            QCOMPARE(button->text(), QStringLiteral("1"));
            QCOMPARE(
                scalar(m_till->db, QStringLiteral("Select Numero from Tavoli Where Codice = 1")).toString(),
                QStringLiteral("1"));
            QCOMPARE(scalar(m_till->db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 1"))
                         .toString(),
                     QStringLiteral("Famiglia Conti"));
            proprieta->click();
        });
        QCOMPARE(script.remaining(), 0);
        QCOMPARE(
            scalar(m_till->db, QStringLiteral("Select Descrizione from Tavoli Where Codice = 1")).toString(),
            QStringLiteral("Famiglia dell'Acqua"));
        QVERIFY(m_till->window.notices.isEmpty());
    }

    void newRoomIsShownAfterSave() {
        open();
        frmSala *room = frmSala::current();
        ModalScript script(room, {[&] {
                               QVERIFY(room->isNewRoom());
                               room->txtDescrizione()->setText(QStringLiteral(" Terrazza "));
                               room->cmdSalva()->click();
                           }});
        runMap([&](frmTavoli *form) {
            form->cmdNuovaSala()->click();
            QCOMPARE(script.remaining(), 0);
            QCOMPARE(form->lblTitolo()->text(), QStringLiteral("Terrazza"));
            QCOMPARE(form->state().IndiceSalaCorrente, 3);
            const qint32 codice = static_cast<qint32>(
                m_till->count(QStringLiteral("Select Codice from Sale Where Descrizione = 'Terrazza'")));
            QCOMPARE(form->state().SalaCorrente, codice);
            for (int i = 0; i < form->cmdTavoloCount(); ++i)
                QVERIFY(!form->cmdTavolo(i)->isVisible());
        });
        QCOMPARE(SharedState::current().ModoSala, qint16(1));
    }

    void closedNewRoomShowsTheHighestRoom() {
        open();
        frmSala *room = frmSala::current();
        ModalScript script(room, {[&] { room->cmdSpegni()->click(); }});
        runMap([&](frmTavoli *form) {
            QCOMPARE(form->lblTitolo()->text(), QStringLiteral("Sala"));
            form->cmdNuovaSala()->click();
            QCOMPARE(form->lblTitolo()->text(), QStringLiteral("Giardino"));
            QCOMPARE(form->state().SalaCorrente, 3);
            QVERIFY(buttonOf(form, 31) && buttonOf(form, 31)->isVisible());
        });
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Sale")), 4);
    }
    void editsAndDeletesRoomsFromTheBar() {
        open();
        frmSala *room = frmSala::current();
        ModalScript script(room, {[&] {
                                      QCOMPARE(room->lblTitolo()->text(),
                                               QStringLiteral("AGGIORNAMENTO SALA Veranda"));
                                      room->txtDescrizione()->setText(QStringLiteral("Veranda d'estate"));
                                      room->cmdSalva()->click();
                                  },
                                  [&] {
                                      QCOMPARE(room->txtDescrizione()->text(), QStringLiteral("Sala"));
                                      room->cmdCancella()->click();
                                  }});
        frmDatiTavolo *data = frmDatiTavolo::current();
        ModalScript numbers(data, {[&] {
                                data->txtNumero()->setText(QStringLiteral("77"));
                                data->cmdSalva()->click();
                            }});
        m_till->box.answers = {MessageBox::vbYes};
        runMap([&](frmTavoli *form) {
            QVERIFY(form->cmdModifica(1) && form->cmdModifica(1)->isVisible());
            form->cmdModifica(1)->click();
            QCOMPARE(form->cmdSala(1)->text(), QStringLiteral("Veranda d'estate"));
            QCOMPARE(form->state().SalaCorrente, 1);

            // Deleting the room on show: the map shows the first room left, with its tables.
            form->cmdModifica(0)->click();
            QCOMPARE(form->cmdSalaCount(), 2);
            QCOMPARE(form->cmdSala(0)->text(), QStringLiteral("Veranda d'estate"));
            QCOMPARE(form->lblTitolo()->text(), QStringLiteral("Veranda d'estate"));
            QCOMPARE(form->state().SalaCorrente, 2);
            QCOMPARE(form->state().IndiceSalaCorrente, qint16(0));
            QVERIFY(!buttonOf(form, 1));
            QVERIFY(buttonOf(form, 17) && buttonOf(form, 17)->isVisible());
            // A table created next stands in that room.
            form->editMode()->mnuNuovoBottone();
        });
        QCOMPARE(script.remaining() + numbers.remaining(), 0);
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Tavoli Where CodiceSala = 1")), 0);
        QCOMPARE(m_till->count(QStringLiteral("Select CodiceSala from Tavoli Where Numero = '77'")), 2);
    }

    // A table is never written into a room that is gone: deleted at another till while its number
    // was typed, or with no room left at all; deleting the last room asks for a new one.
    void tablesGoOnlyIntoExistingRooms() {
        open(false);
        m_till->db->Execute(QStringLiteral("Insert into Sale (Codice, Descrizione) values (5, 'Unica')"));
        frmDatiTavolo *data = frmDatiTavolo::current();
        ModalScript numbers(data, {[&] {
                                m_till->db->Execute(QStringLiteral("Delete * from Sale Where Codice = 5"));
                                data->txtNumero()->setText(QStringLiteral("41"));
                                data->cmdSalva()->click();
                            }});
        frmSala *room = frmSala::current();
        QStringList titles;
        const auto title = [&] { titles << room->lblTitolo()->text(); };
        ModalScript rooms(room, {[&] {
                                     title();
                                     room->txtDescrizione()->setText(QStringLiteral("Nuova"));
                                     room->cmdSalva()->click();
                                 },
                                 [&] {
                                     title();
                                     room->cmdCancella()->click();
                                 },
                                 [&] {
                                     title();
                                     room->cmdSpegni()->click();
                                 }});
        m_till->box.answers = {MessageBox::vbYes};
        runMap([&](frmTavoli *form) {
            QCOMPARE(form->lblTitolo()->text(), QStringLiteral("Unica"));
            form->editMode()->mnuNuovoBottone(); // refused: no room left, so a new one is asked for
            QCOMPARE(form->lblTitolo()->text(), QStringLiteral("Nuova"));
            form->cmdModifica(0)->click(); // deletes the only room: a new one is asked for again
            QCOMPARE(form->state().SalaCorrente, 0);
            form->editMode()->mnuNuovoBottone(); // no room: refused before the number is asked
        });
        QCOMPARE(numbers.shows(), 1);
        QCOMPARE(titles, (QStringList{QStringLiteral("INSERIMENTO NUOVA SALA"),
                                      QStringLiteral("AGGIORNAMENTO SALA Nuova"),
                                      QStringLiteral("INSERIMENTO NUOVA SALA")}));
        QStringList notices;
        for (const auto &notice : m_till->window.notices)
            notices << notice.testo;
        QCOMPARE(notices,
                 (QStringList{QStringLiteral("La sala non esiste più: tavolo non creato"),
                              QStringLiteral("Nessuna sala: creare una sala prima di aggiungere tavoli")}));
        QCOMPARE(m_till->count(QStringLiteral("Select count(*) from Tavoli")), 0);
    }
    void emptyVenueOpensTheRoomEditor() {
        open(false);
        SharedState::current().Sala = 0;
        frmSala *room = frmSala::current();
        ModalScript script(room, {[&] {
                               QCOMPARE(room->lblTitolo()->text(), QStringLiteral("INSERIMENTO NUOVA SALA"));
                               room->txtDescrizione()->setText(QStringLiteral("Sala unica"));
                               room->cmdSalva()->click();
                           }});
        runMap([&](frmTavoli *form) {
            QCOMPARE(form->lblTitolo()->text(), QStringLiteral("Sala unica"));
            QCOMPARE(form->state().SalaCorrente,
                     static_cast<qint32>(m_till->count(QStringLiteral("Select Codice from Sale"))));
        });
        QCOMPARE(script.remaining(), 0);
    }

private:
    void open(bool demo = true) {
        QFETCH_GLOBAL(QString, engine);
        m_till->open(engine, demo);
    }
    /** Shows the map in layout-editing mode and runs body inside its modal loop, then ends it. */
    void runMap(const std::function<void(frmTavoli *)> &body, qint32 operazione = qrvAggiornaTavoli);

    QPushButton *buttonOf(frmTavoli *form, qint32 codice) {
        const int index = form->indiceTavolo(codice);
        return index >= 0 ? form->cmdTavolo(index) : nullptr;
    }

    std::unique_ptr<qrvtest::Till> m_till;
};

void TestEditMode::runMap(const std::function<void(frmTavoli *)> &body, qint32 operazione) {
    SharedState::current().Operazione = operazione;
    frmTavoli *form = frmTavoli::current();
    bool ran = false;
    // The load lets pending events run, so the body waits for the form to be shown.
    ModalScript script(form, {[&] {
                           if (QTest::qWaitForWindowExposed(form))
                               body(form);
                           else
                               QTest::qFail("the map was not shown", __FILE__, __LINE__);
                           ran = true;
                           form->finish();
                       }});
    form->exec();
    QVERIFY(ran);
}

QTEST_MAIN(TestEditMode)
#include "test_editmode.moc"
