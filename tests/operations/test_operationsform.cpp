// The operations on the real map (offscreen, temporary venues on SQLite and PostgreSQL): the
// ending commands and what the host reads afterwards, the refusal in the consult context, the
// separate-bill round trip, the line edits and the table reset, and the move with its button,
// its timer, the destination touch and the sales lock.
#include "OperationsFixture.h"

#include "component/SharedState.h"
#include "data/LockFile.h"
#include "data/dao/Workspace.h"
#include "operations/MoveOrder.h"
#include "operations/logic/OrderMove.h"
#include "platform/Grid.h"
#include "support/ScriptedMessages.h"
#include "tablemap/frmTavoli.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace qrv;
using namespace opstest;

namespace {

/** Records like the scripted window, and lets a test look at the world when a notice or question comes. */
class WatchingWindow : public qrvtest::ScriptedMessageWindow {
public:
    std::function<void(const QString &)> onNotice;
    std::function<void()> onQuestion;

    void notice(const QString &testo, qint32 a, qint32 b, qint32 c, bool d) override {
        ScriptedMessageWindow::notice(testo, a, b, c, d);
        if (onNotice)
            onNotice(testo);
    }
    int question(const QString &testo, const QString &titolo, qint32 pulsanti) override {
        if (onQuestion)
            onQuestion();
        return ScriptedMessageWindow::question(testo, titolo, pulsanti);
    }

    QStringList texts() const {
        QStringList t;
        for (const Notice &n : notices)
            t.append(n.testo);
        return t;
    }
};

frmTavoli *map() {
    return frmTavoli::current();
}

QPushButton *button(const char *name) {
    return map()->findChild<QPushButton *>(QLatin1String(name));
}

void clickTable(qint64 codice) {
    const int i = map()->indiceTavolo(static_cast<qint32>(codice));
    QVERIFY2(i >= 0, qPrintable(QStringLiteral("no button for table %1").arg(codice)));
    map()->cmdTavolo(i)->click();
}

/** The grid of the receipt panel, one "q|description|amount|id" text per row. */
QStringList gridRows() {
    QStringList rows;
    Grid *g = map()->gridScontrino();
    for (int r = 0; r < g->rows(); ++r)
        rows.append(g->textMatrix(r, 0) + QLatin1Char('|') + g->textMatrix(r, 2) + QLatin1Char('|') +
                    g->textMatrix(r, 3));
    return rows;
}

void touchRow(int row) {
    map()->gridScontrino()->setRow(row);
    map()->gridScontrino_RowTouched();
}

} // namespace

class TestOperationsForm : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    DbPtr m_db;
    qint64 m_pizza = 0, m_funghi = 0, m_birra = 0, m_ortolana = 0;

    /**
     * Room 1 with tables 1 to 6. 1 "Rossi": Pizza x3 10,00 with the variant "+ funghi", Birra x1
     * 5,00. 2 "Dell'Orto": Pizza all'ortolana x1 8,00. 3 to 6 free. Quick-add article 2 (Birra).
     */
    void venue(const QString &engine, qint32 operazione = qrvScegliUnTavolo) {
        m_db = qrvtest::freshDatabase(engine);
        m_db->Execute(QStringLiteral("Insert into Sale (Codice, Descrizione) values (1, 'Sala')"));
        addArticle(m_db, 1, QStringLiteral("Pizza Margherita"), 7.0);
        addArticle(m_db, 2, QStringLiteral("Birra media"), 5.0);
        addArticle(m_db, 15, QStringLiteral("Pizza all'ortolana"), 8.0);
        addTable(m_db, 1, QStringLiteral("Rossi"), true, QStringLiteral("12:30"), QStringLiteral("12:45"));
        addTable(m_db, 2, QStringLiteral("Dell'Orto"), true, QStringLiteral("13:00"),
                 QStringLiteral("13:05"));
        for (qint64 c = 3; c <= 6; ++c)
            addTable(m_db, c, QString(), false);
        m_pizza = addLine(m_db, 1, 1, 3, QStringLiteral("Pizza Margherita"), 0, 10.0);
        m_funghi = addLine(m_db, 1, 0, 1, QStringLiteral("+ funghi"), 1, 0.0);
        m_birra = addLine(m_db, 1, 2, 1, QStringLiteral("Birra media"), 0, 5.0);
        m_ortolana = addLine(m_db, 2, 15, 1, QStringLiteral("Pizza all'ortolana"), 0, 8.0);

        SharedState &s = SharedState::current();
        s.DataBase = m_db;
        s.WorkSpace = std::make_shared<dao::Workspace>(m_db);
        s.ilPathArchivi = m_folder.path();
        s.App_Path = m_folder.path();
        s.Operazione = operazione;
        s.Sala = 1;
        s.TavoloScelto.clear();
    }

    /** Shows the map modally and runs script once it is up; a map the script left open is closed. */
    void runMap(const std::function<void()> &script) {
        // The load may let events run before the window is up: start only once it shows.
        auto *starter = new QTimer(map());
        starter->setInterval(0);
        QObject::connect(starter, &QTimer::timeout, map(), [starter, script] {
            if (!map()->isVisible())
                return;
            starter->stop();
            starter->deleteLater();
            script();
            if (map()->isVisible())
                map()->reject();
        });
        starter->start();
        map()->exec();
    }

    bool lockIsFree() const {
        LockFile probe(OrderMove::lockPath(m_folder.path()));
        return probe.tryLock() == LockFile::Result::Locked;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
        QFile ini(m_folder.filePath(QStringLiteral("impostazioni.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Tavoli]\r\nArticoloAggiunta=2\r\n");
    }
    void init() { MoveOrder::setTimeScale(0.01); }
    void cleanup() {
        MoveOrder::setTimeScale(1.0);
        SharedState::current().DataBase.reset();
        SharedState::current().WorkSpace.reset();
        m_db.reset();
    }

    // ---- ending commands -------------------------------------------------------------------

    void endingCommands_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<qint32>("context");
        QTest::addColumn<qint64>("table");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("tavoloScelto");
        QTest::addColumn<qint32>("operazioneScelta");
        QTest::addColumn<bool>("contoSubito");
        QTest::addColumn<bool>("ordineDaWeb");
        struct Row {
            const char *name;
            qint32 context;
            qint64 table;
            const char *command;
            const char *scelto;
            qint32 op;
            bool subito, web;
        };
        // OrdineDaWeb is true before every show: only the two opening commands write it.
        const Row rows[] = {
            {"open", 1, 3, "cmdNuovoConto", "3", 2, false, false},
            {"web open", 1, 3, "cmdNuovoContoWeb", "3", 2, false, true},
            {"add order", 1, 1, "cmdAggiungiOrdine", "1", 2, false, true},
            {"bill", 1, 1, "cmdContoSubito", "1", 1, true, true},
            {"to the counter", 1, 1, "cmdPortaAlBanco", "1", 1, false, true},
            {"pre-bill", 1, 1, "cmdPreconto", "1", 4, false, true},
            {"counter sale", 1, 1, "cmdBancoTavoli", "", 3, false, true},
            {"consult pre-bill", 3, 2, "cmdPreconto", "2", 4, false, true},
            {"consult to the counter", 3, 2, "cmdPortaAlBanco", "2", 1, false, true},
        };
        for (const QString &engine : qrvtest::engines()) {
            for (const Row &r : rows) {
                QTest::newRow(qPrintable(engine + QLatin1Char(' ') + QLatin1String(r.name)))
                    << engine << r.context << r.table << QString::fromLatin1(r.command)
                    << QString::fromLatin1(r.scelto) << r.op << r.subito << r.web;
            }
        }
    }
    void endingCommands() {
        QFETCH(QString, engine);
        QFETCH(qint32, context);
        QFETCH(qint64, table);
        QFETCH(QString, command);
        QFETCH(QString, tavoloScelto);
        QFETCH(qint32, operazioneScelta);
        QFETCH(bool, contoSubito);
        QFETCH(bool, ordineDaWeb);
        venue(engine, context);
        SharedState &s = SharedState::current();
        // Left over from an earlier show: the load clears the bill flags, OrdineDaWeb survives.
        s.ContoSubito = true;
        s.ContoSeparato = true;
        s.OrdineDaWeb = true;
        bool stillOpenBeforeCommand = false;
        runMap([&] {
            clickTable(table);
            stillOpenBeforeCommand = map()->isVisible();
            map()->findChild<QPushButton *>(command)->click();
        });
        QVERIFY(stillOpenBeforeCommand);
        QVERIFY(map()->endedByCommand());
        QCOMPARE(s.TavoloScelto, tavoloScelto);
        QCOMPARE(s.OperazioneScelta, operazioneScelta);
        QCOMPARE(s.ContoSubito, contoSubito);
        QCOMPARE(s.ContoSeparato, false);
        QCOMPARE(s.OrdineDaWeb, ordineDaWeb);
        QCOMPARE(s.Sala, 1);
        // Nothing of it touched the database.
        QCOMPARE(lines(m_db).size(), 4);
    }

    void consultRefusesAFreedTable_data() { qrvtest::addEngineRows(); }
    void consultRefusesAFreedTable() {
        QFETCH(QString, engine);
        venue(engine, qrvConsultaTavolo);
        WatchingWindow window;
        SharedState &s = SharedState::current();
        s.OperazioneScelta = qrvContoNuovoTavolo;
        bool openAfterRefusals = false;
        QString sceltoAfterRefusals;
        runMap([&] {
            clickTable(1);
            // Another till bills the table after it was shown here.
            m_db->Execute(QStringLiteral("Update Tavoli Set Occupato = False Where Codice = 1"));
            button("cmdPreconto")->click();
            button("cmdPortaAlBanco")->click();
            openAfterRefusals = map()->isVisible();
            sceltoAfterRefusals = s.TavoloScelto;
            button("cmdBancoTavoli")->click();
        });
        QVERIFY(openAfterRefusals);
        QCOMPARE(sceltoAfterRefusals, QString());
        QCOMPARE(window.notices.size(), 2);
        for (const auto &n : window.notices) {
            QCOMPARE(n.testo, QStringLiteral("Il tavolo non ha conti in sospeso"));
            QCOMPARE((QVector<qint32>{n.a, n.b, n.c}), (QVector<qint32>{2, 0, 1}));
            QVERIFY(n.d);
        }
        QCOMPARE(s.OperazioneScelta, qint32(qrvNessunaOperazioneScelta));

        // In the choose context the same click closes the map with a pre-bill.
        venue(engine, qrvScegliUnTavolo);
        runMap([&] {
            clickTable(1);
            m_db->Execute(QStringLiteral("Update Tavoli Set Occupato = False Where Codice = 1"));
            button("cmdPreconto")->click();
        });
        QCOMPARE(s.OperazioneScelta, qint32(qrvPrecontoTavolo));
        QCOMPARE(s.TavoloScelto, QStringLiteral("1"));
    }

    // Cancelling the separate-bill screen keeps the map open; confirming there closes it.
    void separateBillRoundTrip_data() { qrvtest::addEngineRows(); }
    void separateBillRoundTrip() {
        QFETCH(QString, engine);
        venue(engine);
        SharedState &s = SharedState::current();
        bool openAfterCancel = false, gridRedrawn = false;
        qint32 opAfterCancel = 0;
        bool subitoAfterCancel = false, separatoAfterCancel = true;
        int screens = 0;
        QTimer driver;
        driver.setInterval(5);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != QLatin1String("frmContiSeparati"))
                return;
            ++screens;
            if (screens == 1) {
                modal->findChild<QPushButton *>(QStringLiteral("cmdSpegni"))->click();
            } else {
                modal->findChild<QPushButton *>(QStringLiteral("cmdSelTutto"))->click();
                modal->findChild<QPushButton *>(QStringLiteral("cmdPortaAlBanco"))->click();
            }
        });
        driver.start();
        runMap([&] {
            clickTable(1);
            button("cmdContiSeparati")->click();
            openAfterCancel = map()->isVisible();
            opAfterCancel = s.OperazioneScelta;
            subitoAfterCancel = s.ContoSubito;
            separatoAfterCancel = s.ContoSeparato;
            gridRedrawn = !map()->frxScontrino()->isHidden() && map()->gridScontrino()->rows() == 3;
            if (openAfterCancel)
                button("cmdContiSeparati")->click();
        });
        driver.stop();
        QCOMPARE(screens, 2);
        QVERIFY(openAfterCancel);
        QVERIFY(gridRedrawn);
        QCOMPARE(opAfterCancel, qint32(qrvFaiContoTavolo));
        QVERIFY(subitoAfterCancel);
        QVERIFY(!separatoAfterCancel);
        // Confirmed "PORTA  AL  BANCO": the map closed with a separate bill sent to the counter.
        QVERIFY(map()->endedByCommand());
        QCOMPARE(s.TavoloScelto, QStringLiteral("1"));
        QCOMPARE(s.OperazioneScelta, qint32(qrvFaiContoTavolo));
        QVERIFY(s.ContoSeparato);
        QVERIFY(!s.ContoSubito);
        QVERIFY(!s.IdDettSelezionati.isEmpty());
    }

    // ---- line edits ------------------------------------------------------------------------

    void removeOneUnit_data() { qrvtest::addEngineRows(); }
    void removeOneUnit() {
        QFETCH(QString, engine);
        venue(engine);
        QStringList before, after;
        QString total;
        bool deleteShown = false, deleteHidden = false;
        int currentRow = 0;
        runMap([&] {
            clickTable(1);
            before = gridRows();
            touchRow(0);
            deleteShown = !map()->cmdCancSelezionato()->isHidden();
            map()->cmdCancSelezionato()->click();
            after = gridRows();
            total = map()->lblTotale()->text();
            deleteHidden = map()->cmdCancSelezionato()->isHidden();
            currentRow = map()->gridScontrino()->row();
        });
        const QString id = QString::number(m_pizza);
        QCOMPARE(before.at(0), QStringLiteral("3|10,00|") + id);
        QVERIFY(deleteShown);
        QCOMPARE(after.at(0), QStringLiteral("2|6,67|") + id);
        QCOMPARE(after.size(), 3);
        QCOMPARE(total, QStringLiteral("11,67"));
        QVERIFY(deleteHidden);
        QCOMPARE(currentRow, -1);
        const Line l = lines(m_db, 1).at(0);
        QCOMPARE(l.quantita, qint64(2));
        QCOMPARE(l.importo, 6.66666666666667);
    }

    void removeLineWithItsVariants_data() { qrvtest::addEngineRows(); }
    void removeLineWithItsVariants() {
        QFETCH(QString, engine);
        venue(engine);
        m_db->Execute(QStringLiteral("Update DettaglioTavoli Set Quantita = 1 Where ID = %1").arg(m_pizza));
        QStringList after, afterRedraw;
        QString total;
        runMap([&] {
            clickTable(1);
            touchRow(0);
            map()->cmdCancSelezionato()->click();
            after = gridRows();
            total = map()->lblTotale()->text();
            clickTable(1);
            afterRedraw = gridRows();
        });
        const QStringList expected{QStringLiteral("1|5,00|") + QString::number(m_birra)};
        QCOMPARE(after, expected);
        QCOMPARE(total, QStringLiteral("5,00"));
        // The variant is gone from the database too: the redraw shows no stray "+ funghi".
        QCOMPARE(afterRedraw, expected);
        QCOMPARE(lines(m_db, 1).size(), 1);
    }

    void rowsThatAreNotRemoved_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("amountCell");
        QTest::addColumn<QString>("notice");
        for (const QString &engine : qrvtest::engines()) {
            const QByteArray e = engine.toLatin1();
            QTest::newRow(e + " variant row") << engine << 1 << QString() << QString();
            QTest::newRow(e + " amount not a number")
                << engine << 0 << QStringLiteral("dieci")
                << QStringLiteral("Importo della riga non valido: riga non modificata");
        }
    }
    void rowsThatAreNotRemoved() {
        QFETCH(QString, engine);
        QFETCH(int, row);
        QFETCH(QString, amountCell);
        QFETCH(QString, notice);
        venue(engine);
        WatchingWindow window;
        const QVector<Line> before = lines(m_db);
        QStringList shown, after;
        runMap([&] {
            clickTable(1);
            if (!amountCell.isNull())
                map()->gridScontrino()->setTextMatrix(row, 2, amountCell);
            shown = gridRows();
            map()->gridScontrino()->setRow(row);
            map()->cmdCancSelezionato()->click();
            after = gridRows();
        });
        QCOMPARE(after, shown);
        QCOMPARE(lines(m_db), before);
        QCOMPARE(window.texts(), notice.isEmpty() ? QStringList() : QStringList{notice});
    }

    void removingTheLastLineFreesTheTable_data() { qrvtest::addEngineRows(); }
    void removingTheLastLineFreesTheTable() {
        QFETCH(QString, engine);
        venue(engine);
        WatchingWindow window;
        QStringList after;
        bool freeCommands = false;
        runMap([&] {
            clickTable(2);
            touchRow(0);
            map()->cmdCancSelezionato()->click();
            after = gridRows();
            freeCommands = !map()->cmdNuovoConto()->isHidden() && map()->cmdSposta()->isHidden();
        });
        QCOMPARE(after, QStringList{QStringLiteral("||")}); // "Nessun ordine"
        QVERIFY(freeCommands);
        QVERIFY(lines(m_db, 2).isEmpty());
        const Table t = tables(m_db).value(2);
        QVERIFY(!t.occupato);
        QCOMPARE(t.descrizione, QString());
        QCOMPARE(t.oraOccupato, QStringLiteral("13:00"));
        QVERIFY(window.texts().contains(QStringLiteral("Liberato e azzerato tavolo Tavolo 2")));
    }

    void emptyTableAsksFirst_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("answer");
        for (const QString &engine : qrvtest::engines()) {
            QTest::newRow(qPrintable(engine + QStringLiteral(" no"))) << engine << int(MessageBox::vbNo);
            QTest::newRow(qPrintable(engine + QStringLiteral(" yes"))) << engine << int(MessageBox::vbYes);
        }
    }
    void emptyTableAsksFirst() {
        QFETCH(QString, engine);
        QFETCH(int, answer);
        venue(engine);
        WatchingWindow window;
        window.answers = {answer};
        runMap([&] {
            clickTable(1);
            button("cmdAzzeraTavolo")->click();
        });
        QCOMPARE(window.questions.size(), 1);
        QCOMPARE(window.questions.at(0).testo, QStringLiteral("Vuoi azzerare il tavolo Tavolo 1 ?"));
        QCOMPARE(window.questions.at(0).titolo, QStringLiteral("AZZERRAMENTO TAVOLO"));
        QCOMPARE(window.questions.at(0).pulsanti, 4);
        QVERIFY(!window.questions.at(0).large);
        if (answer == MessageBox::vbNo) {
            QCOMPARE(lines(m_db, 1).size(), 3);
            QVERIFY(tables(m_db).value(1).occupato);
            QVERIFY(window.notices.isEmpty());
            return;
        }
        QVERIFY(lines(m_db, 1).isEmpty());
        QVERIFY(!tables(m_db).value(1).occupato);
        QCOMPARE(window.notices.size(), 1);
        QCOMPARE(window.notices.at(0).testo, QStringLiteral("Liberato e azzerato tavolo Tavolo 1"));
        QCOMPARE((QVector<qint32>{window.notices.at(0).a, window.notices.at(0).b, window.notices.at(0).c}),
                 (QVector<qint32>{2, 0, 3}));
        QVERIFY(!window.notices.at(0).d);
    }

    void quickAdd_data() { qrvtest::addEngineRows(); }
    void quickAdd() {
        QFETCH(QString, engine);
        venue(engine);
        WatchingWindow window;
        QString caption;
        QStringList after;
        runMap([&] {
            caption = map()->cmdAggiungiArticolo()->text();
            clickTable(1);
            map()->cmdAggiungiArticolo()->click();
            after = gridRows();
            // Another till bills table 2 after it was shown here: nothing is added to a free table.
            clickTable(2);
            m_db->Execute(QStringLiteral("Update Tavoli Set Occupato = False Where Codice = 2"));
            map()->cmdAggiungiArticolo()->click();
        });
        QCOMPARE(caption, QStringLiteral("Birra media"));
        QCOMPARE(after.size(), 4);
        const Line added = lines(m_db, 1).last();
        QCOMPARE(after.last(), QStringLiteral("1|5,00|") + QString::number(added.id));
        QCOMPARE(added.descrizione, QStringLiteral("Birra media"));
        QCOMPARE(added.codice, qint64(2));
        QCOMPARE(lines(m_db, 2).size(), 1);
        QVERIFY(window.texts().contains(QStringLiteral("Il tavolo non è occupato")));
    }

    // Two tills: this one keeps redrawing the receipt of a table while another removes units of
    // its line. Every redraw shows a state the other till wrote (quantity and amount together),
    // and the redraw after the last removal matches the database.
    void receiptWhileAnotherTillRemoves_data() { qrvtest::addEngineRows(); }
    void receiptWhileAnotherTillRemoves() {
        QFETCH(QString, engine);
        venue(engine);
        const qint64 start = 40;
        const int times = 30;
        m_db->Execute(QStringLiteral("Update DettaglioTavoli Set Quantita = 40, Importo = 100 Where ID = %1")
                          .arg(m_ortolana));
        QMap<QString, QString> states{{QStringLiteral("40"), QStringLiteral("100,00")}};
        double amount = 100.0;
        for (qint64 q = start; q > start - times; --q) {
            amount = nextStoredAmount(amount, q);
            states.insert(QString::number(q - 1), formatAmount(amount));
        }

        QProcess otherTill;
        otherTill.setProcessChannelMode(QProcess::ForwardedChannels);
        QStringList torn;
        int redraws = 0;
        QString lastShown, lastTotal;
        runMap([&] {
            clickTable(2);
            otherTill.start(QCoreApplication::applicationFilePath(),
                            {QStringLiteral("--child-remover"), qrvtest::urlOf(m_db),
                             QString::number(m_ortolana), QString::number(times)});
            otherTill.waitForStarted();
            do {
                map()->MostraScontrino(QStringLiteral("2"));
                const QString q = map()->gridScontrino()->textMatrix(0, 0);
                const QString a = map()->gridScontrino()->textMatrix(0, 2);
                if (states.value(q) != a)
                    torn.append(q + QLatin1Char('|') + a);
                ++redraws;
            } while (!otherTill.waitForFinished(2));
            map()->MostraScontrino(QStringLiteral("2"));
            lastShown = gridRows().value(0);
            lastTotal = map()->lblTotale()->text();
        });
        QCOMPARE(otherTill.exitStatus(), QProcess::NormalExit);
        QCOMPARE(otherTill.exitCode(), 0);
        QVERIFY2(torn.isEmpty(), qPrintable(torn.join(QLatin1Char(' '))));
        const Line l = lines(m_db, 2).at(0);
        QCOMPARE(l.quantita, start - times);
        QCOMPARE(lastShown, QString::number(l.quantita) + QLatin1Char('|') + formatAmount(l.importo) +
                                QLatin1Char('|') + QString::number(l.id));
        QCOMPARE(lastTotal, formatAmount(l.importo));
        qInfo("%d redraws while the other till removed %d units", redraws, times);
    }

    // ---- the move --------------------------------------------------------------------------

    void moveFromTheMap_data() { qrvtest::addEngineRows(); }
    void moveFromTheMap() {
        QFETCH(QString, engine);
        venue(engine);
        WatchingWindow window;
        // When the operator is told, the move is committed and the lock released.
        bool committedWhenTold = false, lockFreeWhenTold = false;
        const DbPtr otherTill = dao::Database::open(qrvtest::urlOf(m_db));
        window.onNotice = [&](const QString &text) {
            if (text != QLatin1String("Spostamento terminato"))
                return;
            committedWhenTold = lines(otherTill, 5).size() == 3;
            lockFreeWhenTold = lockIsFree();
        };
        QString designed, waitingCaption, afterCaption, label5;
        bool timerOn = false, waitingAfterMove = true;
        int interval = 0;
        runMap([&] {
            designed = map()->cmdSposta()->text();
            clickTable(1);
            map()->cmdSposta()->click();
            waitingCaption = map()->cmdSposta()->text();
            timerOn = map()->moveOrder()->TimerSPOSTA()->isActive();
            interval = map()->moveOrder()->TimerSPOSTA()->interval();
            clickTable(5);
            afterCaption = map()->cmdSposta()->text();
            waitingAfterMove = map()->moveOrder()->waiting();
            label5 = map()->lblTavolo(map()->indiceTavolo(5))->text();
        });
        QCOMPARE(designed, QStringLiteral("SPOSTA PERSONE"));
        QCOMPARE(waitingCaption, QStringLiteral("ANNULLA SPOSTA"));
        QVERIFY(timerOn);
        QCOMPARE(interval, MoveOrder::destinationWindowMs());
        QCOMPARE(afterCaption, QStringLiteral("SPOSTA"));
        QVERIFY(!waitingAfterMove);
        QCOMPARE(label5, QStringLiteral("Rossi"));
        QCOMPARE(window.texts(),
                 (QStringList{QStringLiteral("Selezionare il tavolo di destinazione entro 7 secondi"),
                              QStringLiteral("Spostamento terminato")}));
        QCOMPARE(window.notices.at(0).a, 1);
        QCOMPARE(window.notices.at(0).c, 2);
        QCOMPARE(window.notices.at(1).c, 3);
        QVERIFY(committedWhenTold);
        QVERIFY(lockFreeWhenTold);
        QVERIFY(lines(m_db, 1).isEmpty());
        QCOMPARE(lines(m_db, 5).size(), 3);
        const Table t5 = tables(m_db).value(5);
        QVERIFY(t5.occupato);
        QCOMPARE(t5.descrizione, QStringLiteral("Rossi"));
        QCOMPARE(t5.oraOccupato.size(), 5);
        QCOMPARE(tables(m_db).value(1), (Table{1, false, QString(), QString(), QString()}));
    }

    void moveThatEndsWithoutMoving_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("how");
        for (const QString &engine : qrvtest::engines()) {
            for (const char *how : {"second press", "window over", "source touched"})
                QTest::newRow(qPrintable(engine + QLatin1Char(' ') + QLatin1String(how)))
                    << engine << QString::fromLatin1(how);
        }
    }
    void moveThatEndsWithoutMoving() {
        QFETCH(QString, engine);
        QFETCH(QString, how);
        venue(engine);
        const auto before = tables(m_db);
        const auto beforeLines = lines(m_db);
        QString caption;
        bool waiting = true;
        QStringList shownAfter;
        runMap([&] {
            clickTable(1);
            map()->cmdSposta()->click();
            if (how == QLatin1String("second press")) {
                map()->cmdSposta()->click();
            } else if (how == QLatin1String("window over")) {
                QTRY_VERIFY_WITH_TIMEOUT(!map()->moveOrder()->waiting(), 5000);
                // The late touch is an ordinary click: it shows table 2.
                clickTable(2);
                shownAfter = gridRows();
            } else {
                clickTable(1);
            }
            caption = map()->cmdSposta()->text();
            waiting = map()->moveOrder()->waiting();
        });
        QCOMPARE(caption, QStringLiteral("SPOSTA"));
        QVERIFY(!waiting);
        QCOMPARE(tables(m_db), before);
        QCOMPARE(lines(m_db), beforeLines);
        if (how == QLatin1String("window over"))
            QCOMPARE(shownAfter, QStringList{QStringLiteral("1|8,00|") + QString::number(m_ortolana)});
    }

    void closingWhileWaiting_data() { qrvtest::addEngineRows(); }
    void closingWhileWaiting() {
        QFETCH(QString, engine);
        venue(engine);
        const auto before = tables(m_db);
        runMap([&] {
            clickTable(1);
            map()->cmdSposta()->click();
            button("cmdBancoTavoli")->click();
        });
        QCOMPARE(SharedState::current().OperazioneScelta, qint32(qrvNessunaOperazioneScelta));
        bool waitingAtShow = true;
        QString caption;
        QStringList shown;
        runMap([&] {
            waitingAtShow = map()->moveOrder()->waiting();
            caption = map()->cmdSposta()->text();
            clickTable(2);
            shown = gridRows();
        });
        QVERIFY(!waitingAtShow);
        QCOMPARE(caption, QStringLiteral("SPOSTA PERSONE"));
        QCOMPARE(shown, QStringList{QStringLiteral("1|8,00|") + QString::number(m_ortolana)});
        QCOMPARE(tables(m_db), before);
        QCOMPARE(lines(m_db, 1).size(), 3);
    }

    // Another till holds the sales lock: the map keeps running, the operator is asked after a few
    // seconds and can give up (nothing moves) or wait until the other till is done.
    void moveWaitsForTheSalesLock_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("keepWaiting");
        for (const QString &engine : qrvtest::engines()) {
            QTest::newRow(qPrintable(engine + QStringLiteral(" give up"))) << engine << false;
            QTest::newRow(qPrintable(engine + QStringLiteral(" wait"))) << engine << true;
        }
    }
    void moveWaitsForTheSalesLock() {
        QFETCH(QString, engine);
        QFETCH(bool, keepWaiting);
        venue(engine);
        const auto before = tables(m_db);
        LockFile otherTill(OrderMove::lockPath(m_folder.path()));
        QCOMPARE(otherTill.tryLock(), LockFile::Result::Locked);
        WatchingWindow window;
        window.answers = {keepWaiting ? int(MessageBox::vbYes) : int(MessageBox::vbNo)};
        bool ticked = false, tickedBeforeQuestion = false;
        window.onQuestion = [&] {
            tickedBeforeQuestion = ticked;
            if (keepWaiting)
                otherTill.unlock(false); // the other till finishes while the operator answers
        };
        runMap([&] {
            clickTable(1);
            map()->cmdSposta()->click();
            QTimer::singleShot(1, [&] { ticked = true; });
            clickTable(4);
        });
        QCOMPARE(window.questions.size(), 1);
        QVERIFY(window.questions.at(0).testo.contains(QLatin1String("LockVenditeMan.txt")));
        QCOMPARE(window.questions.at(0).pulsanti, 4);
        QVERIFY2(tickedBeforeQuestion, "the till froze while waiting for the lock");
        if (keepWaiting) {
            QVERIFY(window.texts().contains(QStringLiteral("Spostamento terminato")));
            QCOMPARE(lines(m_db, 4).size(), 3);
            return;
        }
        QVERIFY(window.texts().contains(
            QStringLiteral("Spostamento annullato: nessun tavolo è stato modificato")));
        QVERIFY(!window.texts().contains(QStringLiteral("Spostamento terminato")));
        QCOMPARE(tables(m_db), before);
        QCOMPARE(lines(m_db, 1).size(), 3);
    }

    void moveFailureIsReported_data() { qrvtest::addEngineRows(); }
    void moveFailureIsReported() {
        QFETCH(QString, engine);
        venue(engine);
        failWhen(m_db, QStringLiteral("guasto"), QStringLiteral("UPDATE OF OraUltimoOrdine"),
                 QStringLiteral("Tavoli"), QStringLiteral("NEW.codice = 1"));
        const auto before = tables(m_db);
        WatchingWindow window;
        qrvtest::ScriptedMessageBox box;
        runMap([&] {
            clickTable(1);
            map()->cmdSposta()->click();
            clickTable(2);
        });
        QCOMPARE(box.shown.size(), 1);
        QVERIFY(box.shown.at(0).text.startsWith(
            QLatin1String("Spostamento non eseguito: i tavoli sono rimasti come prima.")));
        QCOMPARE(box.shown.at(0).flags, int(MessageBox::vbCritical));
        QVERIFY(!window.texts().contains(QStringLiteral("Spostamento terminato")));
        QCOMPARE(tables(m_db), before);
        QCOMPARE(lines(m_db, 1).size(), 3);
        QCOMPARE(lines(m_db, 2).size(), 1);
        QVERIFY(lockIsFree());
    }
};

int main(int argc, char **argv) {
    if (argc > 1 && qstrcmp(argv[1], "--child-remover") == 0) {
        QCoreApplication app(argc, argv);
        return opstest::removerChild(app.arguments().mid(2));
    }
    QApplication app(argc, argv);
    TestOperationsForm test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_operationsform.moc"
