// The floor-plan editor on the real map: table buttons dragged with real mouse events (the
// press, moves and release go through the window system, so the pressed button keeps the
// pointer while it moves), the toolbox, the pop-up that creates a table, deleting and editing
// tables, and the room commands, on SQLite and PostgreSQL. The steps and the toolbox placement
// themselves are checked window-free in test_layoutlogic; here, that the map wires them.
#define QTEST_QPA_MOUSE_HANDLING

#include "component/frmTavoli.h"
#include "component/layout/EditMode.h"
#include "component/layout/frmDatiTavolo.h"
#include "component/layout/frmSala.h"
#include "component/platform/Twips.h"
#include "core/settings/SharedState.h"
#include "support/MapFixture.h"
#include "support/ModalScript.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

using namespace qrv;
using qrvtest::ModalScript;
using qrvtest::scalar;

using maptest::control;
using maptest::tableButton;

namespace {

QString title(QWidget *form) {
    return control<QLabel>(form, "lblTitolo")->text();
}

/** Clicks the control named name(index), which must be on show. */
void click(QWidget *form, const char *name, int index = -1) {
    QPushButton *button = control(form, name, index);
    QVERIFY2(button && button->isVisible(), name);
    button->click();
}

QPoint pxAt(int leftTw, int topTw) {
    return QPoint(px(leftTw), px(topTw));
}

QStringList noticeTexts(const qrvtest::ScriptedMessageWindow &window) {
    QStringList texts;
    for (const auto &notice : window.notices)
        texts << notice.testo + QString::number(notice.a);
    return texts;
}

} // namespace

class TestEditMode : public QObject {
    Q_OBJECT
private slots:
    void initTestCase_data() { qrvtest::addEngineRows(); }
    void init() { m_venue = std::make_unique<maptest::Venue>(); }
    void cleanup() { m_venue.reset(); }

    void dragThenTap() {
        frmTavoli &form = load();
        QWidget *floor = control<QWidget>(&form, "fraTavoli");
        QWidget *toolbox = control<QWidget>(&form, "frxAggiorna");
        const QString at5 = QStringLiteral("Select Left * 10000 + Top from Tavoli Where Codice = 5");
        QPushButton *button = tableButton(&form, 5); // Top 2800, Left 400
        QVERIFY(button);
        const QPoint start = button->pos() + QPoint(20, 20); // on the floor, in pixels
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(form.editMode()->drag().dragging());
        QCOMPARE(control(&form, "cmdTavolo", form.state().IndiceTavoloSelezionato), button);

        // 30 pixels = 450 twips to the right in one event: one step of 200, then one more as the
        // pointer (almost) stays.
        QTest::mouseMove(floor, start + QPoint(30, 0));
        QCOMPARE(button->pos(), pxAt(600, 2800));
        QTest::mouseMove(floor, start + QPoint(32, 0));
        QCOMPARE(button->pos(), pxAt(800, 2800));
        // While dragging the toolbox follows, flush with the button's left edge.
        QCOMPARE(form.editMode()->toolboxTwips(), QPoint(800, 2800 - 1035 - 40));
        QTest::mouseMove(floor, start + QPoint(32, -15)); // one step up
        QCOMPARE(button->pos(), pxAt(800, 2600));
        QCOMPARE(m_venue->count(at5), 4002800); // nothing stored before the release

        QTest::mouseRelease(floor, Qt::LeftButton, {}, start + QPoint(32, -15));
        QVERIFY(!form.editMode()->drag().dragging());
        QCOMPARE(m_venue->count(at5), 8002600);
        // The click after the release shows the toolbox 100 twips right of the button.
        QTRY_VERIFY(toolbox->isVisible());
        QCOMPARE(toolbox->pos(), pxAt(900, 2600 - 1035 - 40));

        // Dragged past the top-left corner: stored negative, not clamped.
        const QPoint again = button->pos() + QPoint(10, 10);
        QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
        for (int step = 1; step <= 6; ++step)
            QTest::mouseMove(floor, again - QPoint(14 * step, 14 * step));
        QTest::mouseRelease(floor, Qt::LeftButton, {}, again - QPoint(84, 84));
        QCOMPARE(m_venue->count(at5), -400 * 10000 + 1400);
        click(&form, "cmdAggChiudi");
        QVERIFY(!toolbox->isVisible());

        // A tap stores the position on show again; with no room above, the toolbox goes below.
        QPushButton *first = tableButton(&form, 1); // Top 400
        m_venue->exec(QStringLiteral("Update Tavoli Set Top = 1 Where Codice = 1"));
        QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(m_venue->count(QStringLiteral("Select Top from Tavoli Where Codice = 1")), 400);
        QTRY_VERIFY(toolbox->isVisible());
        QCOMPARE(form.editMode()->toolboxTwips(), QPoint(400 + 100, 400 + 930 + 40));
        QCOMPARE(control(&form, "cmdTavolo", form.state().IndiceTavoloSelezionato), first);
        QVERIFY(m_venue->box.shown.isEmpty());
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
        frmTavoli &form = load(true, operazione);
        SharedState &shared = SharedState::current();
        shared.TopNuovoTavolo = shared.LeftNuovoTavolo = -1;
        QMenu *popup = control<QMenu>(&form, "mnuPopup");
        QWidget *floor = control<QWidget>(&form, "fraTavoli");
        QWidget *toolbox = control<QWidget>(&form, "frxAggiorna");
        form.editMode()->MostraAggiorna(0, 3000, 3000);
        QVERIFY(toolbox->isVisible());
        // (100, 20) pixels = (1500, 300) twips: an empty spot of the floor.
        QTest::mousePress(floor, Qt::MouseButton(button), {}, QPoint(100, 20));
        QVERIFY(!toolbox->isVisible());
        QCOMPARE(popup->isVisible(), menu);
        QCOMPARE(QPoint(shared.LeftNuovoTavolo, shared.TopNuovoTavolo),
                 menu ? QPoint(1500, 300) : QPoint(-1, -1));
        popup->hide();
        QTest::mouseRelease(floor, Qt::MouseButton(button), {}, QPoint(100, 20));
    }

    // Closed first: nothing is created. Then from the menu: "999" is reserved, 20 stands in the
    // Veranda, " 77" is free.
    void createsATableFromTheMenu() {
        frmTavoli &form = load();
        const qlonglong tables = m_venue->count(QStringLiteral("Select count(*) from Tavoli"));
        frmDatiTavolo *data = frmDatiTavolo::current();
        QStringList shown; // title, number (! when locked) and description at each opening
        const QString typed = QStringLiteral("  Vicino all'uscita "); // stored trimmed
        const auto enter = [&](const QString &numero, bool save) {
            return [&, numero, save] {
                shown << data->lblTitolo()->text() + data->txtNumero()->text() +
                             (data->txtNumero()->isEnabled() ? QString() : QStringLiteral("!")) +
                             data->txtDescrizione()->text();
                data->txtNumero()->setText(numero);
                if (save)
                    data->txtDescrizione()->setText(typed);
                (save ? data->cmdSalva() : data->cmdSpegni())->click();
            };
        };
        ModalScript script(data, {enter(QStringLiteral("88"), false), enter(QStringLiteral("999"), true),
                                  enter(QStringLiteral("20"), true), enter(QStringLiteral(" 77"), true)});
        QSignalSpy rebuilt(&form, &frmTavoli::tablesLoaded);
        control<QAction>(&form, "mnuNuovoTavolo")->trigger();
        QCOMPARE(rebuilt.size(), 1);
        QCOMPARE(m_venue->count(QStringLiteral("Select count(*) from Tavoli")), tables);
        QVERIFY(m_venue->window.notices.isEmpty());

        // (100, 20) pixels = (1500, 300) twips: half a step both ways, snapped to the even 1600 and 400.
        QTest::mousePress(control<QWidget>(&form, "fraTavoli"), Qt::LeftButton, {}, QPoint(100, 20));
        QMenu *popup = control<QMenu>(&form, "mnuPopup");
        QTRY_VERIFY(popup->isVisible());
        QTest::mouseClick(popup, Qt::LeftButton, {},
                          popup->actionGeometry(popup->actions().first()).center());
        QTRY_COMPARE(script.remaining(), 0);
        const int added = m_venue->buttonOf(77);
        QVERIFY(added >= 0);
        QCOMPARE(m_venue->button(added)->pos(), pxAt(1600, 400));
        QCOMPARE(shown, (QStringList{QStringLiteral("NUOVO TAVOLO"), QStringLiteral("NUOVO TAVOLO"),
                                     QStringLiteral("NUOVO TAVOLOVicino all'uscita"),
                                     QStringLiteral("NUOVO TAVOLOVicino all'uscita")}));
        QCOMPARE(noticeTexts(m_venue->window),
                 (QStringList{QStringLiteral("Il numero 999 non è utiizzabile2"),
                              QStringLiteral("Tavolo 20 già presente.1")}));
        const QString row = QStringLiteral(" from Tavoli Where Numero = '77'");
        QCOMPARE(m_venue->count(QStringLiteral("Select count(*)") + row), 1);
        QCOMPARE(m_venue->count(QStringLiteral("Select Left * 10000 + Top * 10 + CodiceSala") + row),
                 16004001);
        QCOMPARE(scalar(m_venue->db, QStringLiteral("Select Descrizione") + row).toString(),
                 QStringLiteral("Vicino all'uscita"));
        QCOMPARE(m_venue->count(QStringLiteral("Select count(*) from Tavoli Where Numero = '999'")),
                 2); // the client bills only
    }

    // Proprietà shows the touched table's data: saved with no description, what is stored stays and
    // the number is written back as shown; then the description typed is stored. Elimina deletes
    // the table after a Yes, not its lines.
    void editsAndDeletesATable() {
        m_venue->open(qrvtest::engine(), true);
        m_venue->exec(QStringLiteral("Update Tavoli Set Numero = '01' Where Codice = 1"));
        frmTavoli &form = load(false);
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
        const QString row = QStringLiteral(" from Tavoli Where Codice = 1");
        const QString lines = QStringLiteral("Select count(*) from DettaglioTavoli Where Tavolo = 1");
        const qlonglong kept = m_venue->count(lines);
        QWidget *toolbox = control<QWidget>(&form, "frxAggiorna");
        QPushButton *button = tableButton(&form, 1); // occupied
        QVERIFY(button && button->text() == QLatin1String("01"));
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(toolbox->isVisible());
        click(&form, "cmdAggProprieta");
        QCOMPARE(button->text(), QStringLiteral("1"));
        QCOMPARE(scalar(m_venue->db, QStringLiteral("Select Numero") + row).toString(), QStringLiteral("1"));
        QCOMPARE(scalar(m_venue->db, QStringLiteral("Select Descrizione") + row).toString(),
                 QStringLiteral("Famiglia Conti"));
        click(&form, "cmdAggProprieta");
        QCOMPARE(script.remaining(), 0);
        QCOMPARE(scalar(m_venue->db, QStringLiteral("Select Descrizione") + row).toString(),
                 QStringLiteral("Famiglia dell'Acqua"));
        QVERIFY(m_venue->window.notices.isEmpty());

        m_venue->box.answers = {MessageBox::vbNo, MessageBox::vbYes};
        click(&form, "cmdAggEliminaBottone");
        QVERIFY(toolbox->isVisible()); // No: everything stays
        QCOMPARE(m_venue->count(QStringLiteral("Select count(*)") + row), 1);
        click(&form, "cmdAggEliminaBottone");
        QVERIFY(!toolbox->isVisible());
        QVERIFY(!tableButton(&form, 1));
        QCOMPARE(m_venue->box.shown.size(), 2);
        QCOMPARE(m_venue->box.shown.first().text, QStringLiteral("Eliminare il tavolo 1?"));
        QCOMPARE(m_venue->count(QStringLiteral("Select count(*)") + row), 0);
        QCOMPARE(m_venue->count(lines), kept);
    }

    // Closed, the new-room editor shows the highest room; saved, the new room (stored trimmed).
    void newRoom() {
        frmTavoli &form = load();
        frmSala *room = frmSala::current();
        ModalScript script(room, {[&] { room->cmdSpegni()->click(); },
                                  [&] {
                                      QVERIFY(room->isNewRoom());
                                      room->txtDescrizione()->setText(QStringLiteral(" Terrazza "));
                                      room->cmdSalva()->click();
                                  }});
        QCOMPARE(title(&form), QStringLiteral("Sala"));
        click(&form, "cmdNuovaSala");
        QCOMPARE(SharedState::current().ModoSala, qint16(1));
        QCOMPARE(title(&form), QStringLiteral("Giardino"));
        QCOMPARE(form.state().SalaCorrente, 3);
        QVERIFY(tableButton(&form, 31));

        click(&form, "cmdNuovaSala");
        QCOMPARE(script.remaining(), 0);
        QCOMPARE(title(&form), QStringLiteral("Terrazza"));
        QCOMPARE(form.state().IndiceSalaCorrente, 3);
        QCOMPARE(form.state().SalaCorrente, static_cast<qint32>(m_venue->count(QStringLiteral(
                                                "Select Codice from Sale Where Descrizione = 'Terrazza'"))));
        for (int i = 0; m_venue->button(i); ++i) // a new room has no tables
            QVERIFY(m_venue->button(i)->isHidden());
    }

    // Edits the Veranda from the bar, then deletes the room on show (after a No): the map shows the
    // first room left, with its tables, and a table created next stands in that room.
    void editsAndDeletesRoomsFromTheBar() {
        frmTavoli &form = load();
        const qlonglong lines = m_venue->count(QStringLiteral("Select count(*) from DettaglioTavoli"));
        frmSala *room = frmSala::current();
        bool openAfterNo = false;
        ModalScript script(
            room, {[&] {
                       QCOMPARE(room->lblTitolo()->text(), QStringLiteral("AGGIORNAMENTO SALA Veranda"));
                       room->txtDescrizione()->setText(QStringLiteral("Veranda d'estate"));
                       room->cmdSalva()->click();
                   },
                   [&] {
                       QCOMPARE(room->txtDescrizione()->text(), QStringLiteral("Sala"));
                       room->cmdCancella()->click();
                       openAfterNo = room->isVisible();
                       QCOMPARE(m_venue->count(QStringLiteral("Select count(*) from Sale Where Codice = 1")),
                                1);
                       room->cmdCancella()->click();
                   }});
        frmDatiTavolo *data = frmDatiTavolo::current();
        ModalScript numbers(data, {[&] {
                                data->txtNumero()->setText(QStringLiteral("77"));
                                data->cmdSalva()->click();
                            }});
        m_venue->box.answers = {MessageBox::vbNo, MessageBox::vbYes};
        click(&form, "cmdModifica", 1);
        QCOMPARE(control(&form, "cmdSala", 1)->text(), QStringLiteral("Veranda d'estate"));
        QCOMPARE(form.state().SalaCorrente, 1);

        click(&form, "cmdModifica", 0);
        QVERIFY(openAfterNo);
        QVERIFY(!control(&form, "cmdSala", 2));
        QCOMPARE(control(&form, "cmdSala", 0)->text(), QStringLiteral("Veranda d'estate"));
        QCOMPARE(title(&form), QStringLiteral("Veranda d'estate"));
        QCOMPARE(form.state().SalaCorrente, 2);
        QCOMPARE(form.state().IndiceSalaCorrente, qint16(0));
        QVERIFY(!tableButton(&form, 1) && tableButton(&form, 17));
        control<QAction>(&form, "mnuNuovoTavolo")->trigger();
        QCOMPARE(script.remaining() + numbers.remaining(), 0);
        QCOMPARE(m_venue->box.shown.size(), 2);
        QCOMPARE(m_venue->box.shown.first().text, QStringLiteral("Cancellare la sala ?"));
        QCOMPARE(m_venue->count(QStringLiteral("Select count(*) from Tavoli Where CodiceSala = 1")), 0);
        QCOMPARE(m_venue->count(QStringLiteral("Select count(*) from DettaglioTavoli")), lines);
        QCOMPARE(m_venue->count(QStringLiteral("Select CodiceSala from Tavoli Where Numero = '77'")), 2);
    }

    // An empty venue opens the room editor at load. A table is never written into a room that is
    // gone: deleted at another till while its number was typed, or with no room left at all;
    // deleting the last room asks for a new one.
    void tablesGoOnlyIntoExistingRooms() {
        frmDatiTavolo *data = frmDatiTavolo::current();
        ModalScript numbers(data, {[&] {
                                m_venue->exec(QStringLiteral("Delete * from Sale"));
                                data->txtNumero()->setText(QStringLiteral("41"));
                                data->cmdSalva()->click();
                            }});
        frmSala *room = frmSala::current();
        QStringList titles;
        const auto then = [&](QPushButton *button, const char *name = nullptr) {
            return [&, button, name] {
                titles << room->lblTitolo()->text();
                if (name)
                    room->txtDescrizione()->setText(QLatin1String(name));
                button->click();
            };
        };
        ModalScript rooms(room, {then(room->cmdSalva(), "Unica"), then(room->cmdSalva(), "Nuova"),
                                 then(room->cmdCancella()), then(room->cmdSpegni())});
        m_venue->box.answers = {MessageBox::vbYes};
        frmTavoli &form = load(false);
        QCOMPARE(title(&form), QStringLiteral("Unica"));
        QCOMPARE(form.state().SalaCorrente,
                 static_cast<qint32>(m_venue->count(QStringLiteral("Select Codice from Sale"))));
        QAction *create = control<QAction>(&form, "mnuNuovoTavolo");
        create->trigger(); // refused: no room left, so a new one is asked for
        QCOMPARE(title(&form), QStringLiteral("Nuova"));
        click(&form, "cmdModifica", 0); // deletes the only room: a new one is asked for again
        QCOMPARE(form.state().SalaCorrente, 0);
        create->trigger(); // no room: refused before the number is asked
        QCOMPARE(numbers.shows(), 1);
        QCOMPARE(titles, (QStringList{QStringLiteral("INSERIMENTO NUOVA SALA"),
                                      QStringLiteral("INSERIMENTO NUOVA SALA"),
                                      QStringLiteral("AGGIORNAMENTO SALA Nuova"),
                                      QStringLiteral("INSERIMENTO NUOVA SALA")}));
        QCOMPARE(noticeTexts(m_venue->window),
                 (QStringList{QStringLiteral("La sala non esiste più: tavolo non creato1"),
                              QStringLiteral("Nessuna sala: creare una sala prima di aggiungere tavoli1")}));
        QCOMPARE(m_venue->count(QStringLiteral("Select count(*) from Tavoli")), 0);
    }

private:
    /** The map of the demo venue (or the venue as it is), in layout-editing mode unless told. */
    frmTavoli &load(bool demo = true, qint32 operazione = qrvAggiornaTavoli) {
        if (demo)
            m_venue->open(qrvtest::engine(), true);
        SharedState::current().Operazione = operazione;
        frmTavoli &form = m_venue->load();
        if (!QTest::qWaitForWindowExposed(&form))
            QTest::qFail("the map was not shown", __FILE__, __LINE__);
        return form;
    }

    std::unique_ptr<maptest::Venue> m_venue;
};

QTEST_MAIN(TestEditMode)
#include "test_editmode.moc"
