// The operations on the real map: the ending commands, the separate bill, the line edits and the
// move with their journal rows and notifications, and another till's process removing units meanwhile.
#include "support/OperationsFixture.h"

#include "component/operations/MoveOrder.h"
#include "component/separatebills/frmContiSeparati.h"
#include "core/data/dao/Workspace.h"
#include "core/operations/LineRemoval.h"
#include "core/operations/OrderLines.h"
#include "core/platform/NumberFormat.h"
#include "support/MapFixture.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>

using namespace qrv;
using maptest::control, maptest::receiptRows;
using opstest::addJournal, opstest::journal, opstest::lockIsFree;
using qrvtest::addArticle, qrvtest::addLine, qrvtest::addTable, qrvtest::DbPtr, qrvtest::engine;
using qrvtest::failWhen, qrvtest::Line, qrvtest::lines, qrvtest::rowTable, qrvtest::Table, qrvtest::tables;

namespace {

struct Ending {
    const char *name;
    qint32 context;
    qint64 table;
    bool freedMeanwhile;
    const char *command, *tavoloScelto;
    qint32 operazioneScelta;
    bool contoSubito, ordineDaWeb;
};

/** A press on the receipt panel that edits the order, with what it must leave. */
struct Edit {
    const char *name;
    qint64 table;
    int quantity, row;                  ///< quantity of the pizza line first; row touched first, -1 for none
    const char *amountCell, *meanwhile; ///< text put in the amount cell; SQL another till runs first
    const char *command;
    int answer;
    const char *expected, *total, *notice; ///< expected rows, "" for the grid unchanged
    const char *journal; ///< the journal rows, "|" between them (p, f, b, o, n stand for the lines' IDs)
};

} // namespace

Q_DECLARE_METATYPE(Ending)
Q_DECLARE_METATYPE(Edit)

namespace {

/** The scripted window, with hooks to look at the world when a notice or question comes. */
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

    QVector<qint32> values(int i) const {
        const Notice &n = notices.at(i);
        return {n.a, n.b, n.c, n.d};
    }
    QStringList texts() const {
        QStringList t;
        for (const Notice &n : notices)
            t.append(n.testo);
        return t;
    }
};

void clickTable(const frmTavoli &form, qint64 codice) {
    QPushButton *button = maptest::tableButton(&form, int(codice));
    QVERIFY2(button, qPrintable(QStringLiteral("no button for table %1").arg(codice)));
    button->click();
}

/**
 * A second till in its own process (arguments: database URL, line ID, count): removes one unit of
 * the line count times, each time from the line as it reads it. Returns the exit code.
 */
int removerChild(const QStringList &args) {
    try {
        const auto db = dao::Database::open(args.value(0));
        const qint64 id = args.value(1).toLongLong();
        OrderLines edits(db);
        for (int i = 0; i < args.value(2).toInt(); ++i) {
            const QVector<Line> all = lines(db);
            const auto line =
                std::find_if(all.begin(), all.end(), [id](const Line &l) { return l.id == id; });
            if (line == all.end())
                return 2;
            UnitRemoval plan{UnitRemoval::Kind::RemoveOneUnit, id, line->quantita - 1,
                             amountAfterOneUnitLess(line->importo, line->quantita)};
            if (edits.removeOneUnit(plan) != OrderLines::Result::Done)
                return 3;
        }
        return 0;
    } catch (const std::exception &e) {
        qCritical("%s", e.what());
        return 4;
    }
}

} // namespace

class TestOperationsForm : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;
    DbPtr m_db;
    qint64 m_pizza = 0, m_funghi = 0, m_birra = 0, m_ortolana = 0;
    QUdpSocket m_otherTills; // where this till's map announces its changes (NotificheA, a broadcast)
    quint16 m_port = 0;      // where the map listens (PortaNotifiche)

    /** The notifications that reached the other tills since the last call. */
    QStringList announced() {
        QStringList payloads;
        while (m_otherTills.hasPendingDatagrams()) {
            QByteArray datagram(int(m_otherTills.pendingDatagramSize()), '\0');
            m_otherTills.readDatagram(datagram.data(), datagram.size());
            payloads.append(QString::fromUtf8(datagram));
        }
        return payloads;
    }

    /**
     * Room 1 with tables 1 to 6. 1 "Rossi": Pizza x3 10,00 with the variant "+ funghi", Birra x1
     * 5,00. 2 "Dell'Orto": Pizza all'ortolana x1 8,00. 3 to 6 free. Quick-add article 2 (Birra).
     * The venue keeps a journal; the till is "2".
     */
    void venue(qint32 operazione = qrvScegliUnTavolo) {
        m_db = qrvtest::freshDatabase(engine());
        addJournal(m_db);
        qrvtest::addRoom(m_db, 1, QStringLiteral("Sala"));
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

private slots:
    void initTestCase_data() { qrvtest::addEngineRows(); }
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
        QVERIFY(m_otherTills.bind(QHostAddress::AnyIPv4, 0));
        m_port = maptest::freePort();
        QFile ini(m_folder.filePath(QStringLiteral("impostazioni.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Impostazioni]\r\nCodiceCassa=2\r\n[Tavoli]\r\nArticoloAggiunta=2\r\nPortaNotifiche=" +
                  QByteArray::number(m_port) +
                  "\r\nNotificheA=255.255.255.255:" + QByteArray::number(m_otherTills.localPort()) + "\r\n");
    }
    void init() {
        MoveOrder::setTimeScale(0.01);
        announced();
    }
    void cleanup() {
        MoveOrder::setTimeScale(1.0);
        MapSettings::setIntervalScale(0);
        SharedState::current().DataBase.reset();
        SharedState::current().WorkSpace.reset();
        m_db.reset();
    }

    // What the host reads after each command. A table another till freed after it was shown is
    // refused by the pre-bill and to-the-counter commands in the consult context only (-1 below);
    // the map then ends with no command, which hands the host no operation (OperazioneScelta 3).
    void endingCommands_data() {
        // OrdineDaWeb is true before every show: only the two opening commands write it.
        rowTable<Ending>({
            {"open", 1, 3, false, "cmdNuovoConto", "3", 2, false, false},
            {"web open", 1, 3, false, "cmdNuovoContoWeb", "3", 2, false, true},
            {"add order", 1, 1, false, "cmdAggiungiOrdine", "1", 2, false, true},
            {"bill", 1, 1, false, "cmdContoSubito", "1", 1, true, true},
            {"to the counter", 1, 1, false, "cmdPortaAlBanco", "1", 1, false, true},
            {"pre-bill", 1, 1, false, "cmdPreconto", "1", 4, false, true},
            {"counter sale", 1, 1, false, "cmdBancoTavoli", "", 3, false, true},
            {"consult pre-bill", 3, 2, false, "cmdPreconto", "2", 4, false, true},
            {"consult to the counter", 3, 2, false, "cmdPortaAlBanco", "2", 1, false, true},
            {"pre-bill of a freed table", 1, 1, true, "cmdPreconto", "1", 4, false, true},
            {"consult pre-bill of a freed table", 3, 1, true, "cmdPreconto", "", -1, false, true},
            {"consult to the counter of a freed table", 3, 1, true, "cmdPortaAlBanco", "", -1, false, true},
        });
    }
    void endingCommands() {
        QFETCH(Ending, row);
        venue(row.context);
        WatchingWindow window;
        SharedState &s = SharedState::current();
        // Left over from an earlier show: the load clears the bill flags, OrdineDaWeb survives.
        s.ContoSubito = true;
        s.ContoSeparato = true;
        s.OrdineDaWeb = true;
        s.OperazioneScelta = -1;
        bool endedByCommand = false;
        maptest::runMap([&](frmTavoli &form) {
            clickTable(form, row.table);
            if (row.freedMeanwhile)
                m_db->Execute(
                    QStringLiteral("Update Tavoli Set Occupato = False Where Codice = %1").arg(row.table));
            control(&form, row.command)->click();
            endedByCommand = !form.isVisible() && form.endedByCommand();
        });
        const bool refused = row.operazioneScelta < 0;
        QCOMPARE(endedByCommand, !refused);
        QCOMPARE(window.texts(),
                 refused ? QStringList{QStringLiteral("Il tavolo non ha conti in sospeso")} : QStringList());
        if (refused)
            QCOMPARE(window.values(0), (QVector<qint32>{2, 0, 1, 1}));
        QCOMPARE(s.TavoloScelto, QLatin1String(row.tavoloScelto));
        QCOMPARE((QVector<qint32>{s.OperazioneScelta, s.ContoSubito, s.ContoSeparato, s.OrdineDaWeb, s.Sala}),
                 (QVector<qint32>{refused ? qint32(qrvNessunaOperazioneScelta) : row.operazioneScelta,
                                  row.contoSubito, false, row.ordineDaWeb, 1}));
        QCOMPARE(lines(m_db).size(), 4); // nothing of it touched the order lines
        QVERIFY(journal(m_db).isEmpty() && announced().isEmpty());
    }

    // Cancelling the separate-bill screen keeps the map open with the receipt redrawn; confirming
    // "PORTA  AL  BANCO" there closes the map with a separate bill sent to the counter.
    void separateBillRoundTrip() {
        venue();
        SharedState &s = SharedState::current();
        QWidget *screen = frmContiSeparati::instance();
        qrvtest::ModalScript script(frmContiSeparati::instance(),
                                    {[screen] { control(screen, "cmdSpegni")->click(); },
                                     [screen] {
                                         control(screen, "cmdSelTutto")->click();
                                         control(screen, "cmdPortaAlBanco")->click();
                                     }});
        QStringList afterCancel;
        bool ended = false;
        maptest::runMap([&](frmTavoli &form) {
            clickTable(form, 1);
            control(&form, "cmdContiSeparati")->click();
            QVERIFY(form.isVisible() && !control<QWidget>(&form, "frxScontrino")->isHidden());
            afterCancel = receiptRows(&form);
            QCOMPARE((QVector<qint32>{s.OperazioneScelta, s.ContoSubito, s.ContoSeparato}),
                     (QVector<qint32>{qrvFaiContoTavolo, true, false}));
            control(&form, "cmdContiSeparati")->click();
            ended = !form.isVisible() && form.endedByCommand();
        });
        QCOMPARE(script.remaining(), 0);
        QCOMPARE(afterCancel.size(), 3);
        QVERIFY(ended);
        QCOMPARE(s.TavoloScelto, QStringLiteral("1"));
        QCOMPARE((QVector<qint32>{s.OperazioneScelta, s.ContoSubito, s.ContoSeparato}),
                 (QVector<qint32>{qrvFaiContoTavolo, false, true}));
        QVERIFY(s.IdDettSelezionati.endsWith(QString::number(m_birra) + QStringLiteral(";;")));
    }

    // The edits on the receipt panel, each wired once (what a removal plans is tested without a map).
    // The last line frees the table unless another till added one since the receipt was drawn. The
    // grid then matches a redraw; each change is journaled and announced, a non-change neither.
    void editTheOrder_data() {
        const char *add = "Insert into DettaglioTavoli (Tavolo, Codice, Quantita, Descrizione, Variante, "
                          "Importo, IdRif) values (2, 2, 1, 'Birra media', 0, 5, 0)";
        const char *free2 = "Update Tavoli Set Occupato = False Where Codice = 2";
        const int no = MessageBox::vbNo, yes = MessageBox::vbYes;
        const char *del = "cmdCancSelezionato", *empty = "cmdAzzeraTavolo", *quick = "cmdAggiungiArticolo";
        rowTable<Edit>({
            {"one unit less", 1, 3, 0, "", "", del, no, "2|6,67|P ||0 1|5,00|B", "11,67", "",
             "TOGLI_UNITA 1 p; 3.33 @2"},
            {"line with its variant", 1, 1, 0, "", "", del, no, "1|5,00|B", "5,00", "",
             "TOGLI_RIGA 1 p;f; 10.00 @2"},
            {"amount not a number", 1, 3, 0, "dieci", "", del, no, "", "15,00",
             "Importo della riga non valido: riga non modificata", ""},
            {"last line", 2, 3, 0, "", "", del, no, "||", "", "Liberato e azzerato tavolo Tavolo 2",
             "TOGLI_RIGA 2 o; 8.00 @2|AZZERA 2  0.00 @2"},
            {"last line, another till adds one", 2, 3, 0, "", add, del, no, "1|5,00|N", "5,00", "",
             "TOGLI_RIGA 2 o; 8.00 @2"},
            {"empty, no", 1, 3, -1, "", "", empty, no, "", "15,00", "", ""},
            {"empty, yes", 1, 3, -1, "", "", empty, yes, "||", "", "Liberato e azzerato tavolo Tavolo 1",
             "AZZERA 1 p;f;b; 15.00 @2"},
            {"quick add", 1, 3, -1, "", "", quick, no, "3|10,00|P ||0 1|5,00|B 1|5,00|N", "20,00", "",
             "AGGIUNGI 1 n; 5.00 Birra media @2"},
            {"quick add on a table freed meanwhile", 2, 3, -1, "", free2, quick, no, "||", "",
             "Il tavolo non è occupato", ""},
        });
    }
    void editTheOrder() {
        QFETCH(Edit, row);
        venue();
        m_db->Execute(QStringLiteral("Update DettaglioTavoli Set Quantita = %1 Where ID = %2")
                          .arg(row.quantity)
                          .arg(m_pizza));
        WatchingWindow window;
        window.answers = {row.answer};
        const auto before = tables(m_db).value(row.table);
        QVector<Line> beforeLines;
        QStringList shown, after, redrawn;
        QString total;
        bool deleteHidden = false, freeCommands = false;
        maptest::runMap([&](frmTavoli &form) {
            QCOMPARE(control<QUdpSocket>(&form, "WinsockNotify")->localPort(), m_port);
            clickTable(form, row.table);
            auto *grid = control<Grid>(&form, "gridScontrino");
            if (*row.amountCell)
                grid->setTextMatrix(row.row, 2, QLatin1String(row.amountCell));
            if (*row.meanwhile)
                m_db->Execute(QString::fromUtf8(row.meanwhile));
            beforeLines = lines(m_db);
            shown = receiptRows(&form);
            if (row.row >= 0) {
                grid->setRow(row.row);
                emit grid->rowTouched();
            }
            control(&form, row.command)->click();
            after = receiptRows(&form);
            total = control<QLabel>(&form, "lblTotale")->text();
            deleteHidden = control(&form, "cmdCancSelezionato")->isHidden();
            freeCommands =
                !control(&form, "cmdNuovoConto")->isHidden() && control(&form, "cmdSposta")->isHidden();
            clickTable(form, row.table);
            redrawn = receiptRows(&form);
        });
        const qint64 newest = lines(m_db).isEmpty() ? 0 : lines(m_db).last().id;
        const auto ids = [&](QString text) {
            return text.replace(QLatin1Char('p'), QString::number(m_pizza))
                .replace(QLatin1Char('f'), QString::number(m_funghi))
                .replace(QLatin1Char('b'), QString::number(m_birra))
                .replace(QLatin1Char('o'), QString::number(m_ortolana))
                .replace(QLatin1Char('n'), QString::number(newest));
        };
        const QStringList journaled =
            ids(QLatin1String(row.journal)).split(QLatin1Char('|'), Qt::SkipEmptyParts);
        QCOMPARE(journal(m_db), journaled);
        QCOMPARE(announced(), QStringList(journaled.size(), QString::number(row.table)));
        const QString expected = QLatin1String(row.expected);
        if (journaled.isEmpty())
            QCOMPARE(lines(m_db), beforeLines);
        if (expected.isEmpty()) {
            QCOMPARE(after, shown);
        } else {
            QCOMPARE(after.join(QLatin1Char(' ')), ids(expected.toLower()));
            QCOMPARE(redrawn, after);
        }
        QCOMPARE(total, QLatin1String(row.total));
        QVERIFY(deleteHidden);
        QCOMPARE(window.texts(), *row.notice ? QStringList{QString::fromUtf8(row.notice)} : QStringList());
        const bool freed = expected == QLatin1String("||");
        if (QByteArray(row.notice).startsWith("Liberato"))
            QCOMPARE(window.values(0), (QVector<qint32>{2, 0, 3, 0}));
        const bool asks = QLatin1String(row.command) == QLatin1String("cmdAzzeraTavolo");
        QCOMPARE(window.questions.size(), asks ? 1 : 0);
        if (asks) {
            const auto &q = window.questions.at(0);
            QCOMPARE(q.testo + QLatin1Char('|') + q.titolo + QLatin1Char('|') + QString::number(q.pulsanti),
                     QStringLiteral("Vuoi azzerare il tavolo Tavolo 1 ?|AZZERRAMENTO TAVOLO|4"));
        }
        // Freed ("Nessun ordine" shows as "||") with the free table's commands; the times stay.
        QCOMPARE(freeCommands, freed);
        const Table t = tables(m_db).value(row.table);
        QCOMPARE(t.occupato, !freed);
        QCOMPARE(t.oraOccupato, before.oraOccupato);
    }

    // Two tills: this one keeps redrawing the receipt of a table while another removes units of
    // its line (2,50 each). Every redraw shows quantity and amount of one and the same write, and
    // the redraw after the last removal matches the database.
    void receiptWhileAnotherTillRemoves() {
        venue();
        const int times = 30;
        m_db->Execute(QStringLiteral("Update DettaglioTavoli Set Quantita = 40, Importo = 100 Where ID = %1")
                          .arg(m_ortolana));
        QProcess otherTill;
        otherTill.setProcessChannelMode(QProcess::ForwardedChannels);
        QStringList torn;
        QString lastShown, lastTotal;
        maptest::runMap([&](frmTavoli &form) {
            clickTable(form, 2);
            otherTill.start(QCoreApplication::applicationFilePath(),
                            {QStringLiteral("--child-remover"), qrvtest::urlOf(m_db),
                             QString::number(m_ortolana), QString::number(times)});
            otherTill.waitForStarted();
            do {
                form.MostraScontrino(QStringLiteral("2"));
                const QStringList cells = receiptRows(&form).value(0).split(QLatin1Char('|'));
                if (cells.value(1) != formatAmount(2.5 * cells.value(0).toInt()))
                    torn.append(cells.join(QLatin1Char('|')));
            } while (!otherTill.waitForFinished(2));
            form.MostraScontrino(QStringLiteral("2"));
            lastShown = receiptRows(&form).value(0);
            lastTotal = control<QLabel>(&form, "lblTotale")->text();
        });
        QVERIFY(otherTill.exitStatus() == QProcess::NormalExit && otherTill.exitCode() == 0);
        QVERIFY2(torn.isEmpty(), qPrintable(torn.join(QLatin1Char(' '))));
        const Line l = lines(m_db, 2).at(0);
        QCOMPARE(l.quantita, qint64(40 - times));
        QCOMPARE(lastShown,
                 QStringLiteral("%1|%2|%3").arg(l.quantita).arg(formatAmount(l.importo)).arg(l.id));
        QCOMPARE(lastTotal, formatAmount(l.importo));
    }

    // A move from SPOSTA to the destination touch, told once committed and the lock released; a held
    // lock asks while the map keeps running; failures are reported; a second press, the window's
    // end, the source touched or the map closed move nothing. Then a touch is an ordinary click.
    void move_data() {
        QTest::addColumn<QString>("how");
        for (const char *how :
             {"lock free", "lock held, give up", "lock held, wait", "statement fails",
              "source freed meanwhile", "second press", "window over", "source touched", "map closed"})
            QTest::newRow(how) << QString::fromLatin1(how);
    }
    void move() {
        QFETCH(QString, how);
        const auto is = [&how](const char *text) { return how == QLatin1String(text); };
        const bool lockHeld = how.startsWith(QLatin1String("lock held"));
        const bool toDestination =
            lockHeld || is("lock free") || is("statement fails") || is("source freed meanwhile");
        const bool moved = is("lock free") || is("lock held, wait");
        venue();
        if (is("statement fails"))
            failWhen(m_db, QStringLiteral("guasto"), QStringLiteral("UPDATE OF OraUltimoOrdine"),
                     QStringLiteral("Tavoli"), QStringLiteral("NEW.codice = 1"));
        auto before = tables(m_db);
        auto beforeLines = lines(m_db);
        LockFile otherTill(OrderMove::lockPath(m_folder.path()));
        if (lockHeld)
            QCOMPARE(otherTill.tryLock(), LockFile::Result::Locked);
        qrvtest::ScriptedMessageBox box;
        WatchingWindow window;
        window.answers = {is("lock held, wait") ? int(MessageBox::vbYes) : int(MessageBox::vbNo)};
        bool ticked = false, tickedBeforeQuestion = false;
        window.onQuestion = [&] {
            tickedBeforeQuestion = ticked;
            if (is("lock held, wait"))
                otherTill.unlock(false); // the other till finishes while the operator answers
        };
        bool committedWhenTold = false, lockFreeWhenTold = false;
        const DbPtr otherConnection = dao::Database::open(qrvtest::urlOf(m_db));
        window.onNotice = [&](const QString &text) {
            if (text != QLatin1String("Spostamento terminato"))
                return;
            committedWhenTold = lines(otherConnection, 5).size() == 3;
            lockFreeWhenTold = lockIsFree(m_folder.path());
        };
        QStringList captions, shown;
        bool timerOn = false, sourceShownFree = false;
        QString label5;
        const auto touchTable2 = [&](frmTavoli &form) {
            captions << control(&form, "cmdSposta")->text();
            label5 = control<QLabel>(&form, "lblTavolo", maptest::floorOf(&form)->indexOf(5))->text();
            sourceShownFree = maptest::colourOf(maptest::tableButton(&form, 1)) == maptest::Green;
            clickTable(form, 2);
            shown = receiptRows(&form);
        };
        maptest::runMap([&](frmTavoli &form) {
            QPushButton *sposta = control(&form, "cmdSposta");
            auto *destinationWindow = control<QTimer>(&form, "TimerSPOSTA");
            captions << sposta->text();
            clickTable(form, 1);
            sposta->click();
            captions << sposta->text();
            timerOn = destinationWindow->isActive() &&
                      destinationWindow->interval() == MoveOrder::destinationWindowMs();
            QTimer::singleShot(1, [&] { ticked = true; });
            if (is("second press"))
                sposta->click();
            else if (is("window over"))
                QTRY_VERIFY_WITH_TIMEOUT(!destinationWindow->isActive(), 5000);
            else if (is("map closed"))
                return control(&form, "cmdBancoTavoli")->click();
            if (is("source freed meanwhile")) {
                // Another till bills table 1 while this map still shows it occupied.
                otherConnection->Execute(QStringLiteral("Delete * from DettaglioTavoli Where Tavolo = 1"));
                otherConnection->Execute(
                    QStringLiteral("Update Tavoli Set Occupato = False Where Codice = 1"));
                before = tables(otherConnection);
                beforeLines = lines(otherConnection);
            }
            if (!is("second press") && !is("window over"))
                clickTable(form, toDestination ? 5 : 1);
            touchTable2(form);
        });
        if (is("map closed"))
            maptest::runMap(touchTable2);
        QCOMPARE(captions, (QStringList{QStringLiteral("SPOSTA PERSONE"), QStringLiteral("ANNULLA SPOSTA"),
                                        is("map closed") ? QStringLiteral("SPOSTA PERSONE")
                                                         : QStringLiteral("SPOSTA")}));
        QVERIFY(timerOn);
        QCOMPARE(shown,
                 QStringList{QStringLiteral("1|8,00|") + QString::number(m_ortolana)}); // an ordinary click
        QStringList told{QStringLiteral("Selezionare il tavolo di destinazione entro 7 secondi")};
        if (moved)
            told << QStringLiteral("Spostamento terminato");
        else if (lockHeld)
            told << QStringLiteral("Spostamento annullato: nessun tavolo è stato modificato");
        else if (is("source freed meanwhile"))
            told << QStringLiteral("Spostamento non eseguito: il tavolo di partenza non è più occupato");
        QCOMPARE(window.texts(), told);
        QCOMPARE(window.values(0), (QVector<qint32>{1, 0, 2, 1}));
        QCOMPARE(window.questions.size(), lockHeld ? 1 : 0);
        if (lockHeld) {
            QVERIFY(window.questions.at(0).testo.contains(QLatin1String("LockVenditeMan.txt")));
            QVERIFY2(tickedBeforeQuestion, "the till froze while waiting for the lock");
        }
        QCOMPARE(box.shown.size(), is("statement fails") ? 1 : 0);
        if (is("statement fails")) {
            QVERIFY(box.shown.at(0).text.startsWith(
                QLatin1String("Spostamento non eseguito: i tavoli sono rimasti come prima.")));
            QCOMPARE(box.shown.at(0).flags, int(MessageBox::vbCritical));
        }
        QCOMPARE(lockIsFree(m_folder.path()), !is("lock held, give up"));
        QCOMPARE(sourceShownFree, moved || is("source freed meanwhile")); // the map was drawn again
        // Only a committed move is journaled and announced: "source;destination", the destination blinks.
        QCOMPARE(journal(m_db), moved ? QStringList{QStringLiteral("SPOSTA 1>5 %1;%2;%3; 15.00 Rossi @2")
                                                        .arg(m_pizza)
                                                        .arg(m_funghi)
                                                        .arg(m_birra)}
                                      : QStringList());
        QCOMPARE(announced(), moved ? QStringList{QStringLiteral("1;5")} : QStringList());
        if (!moved) {
            QCOMPARE(tables(m_db), before);
            QCOMPARE(lines(m_db), beforeLines);
            return;
        }
        QCOMPARE(window.values(1), (QVector<qint32>{2, 0, 3, 1}));
        QVERIFY(committedWhenTold && lockFreeWhenTold);
        QCOMPARE(label5, QStringLiteral("Rossi"));
        QVERIFY(lines(m_db, 1).isEmpty());
        QVERIFY(tables(m_db).value(5).occupato);
    }
};

int main(int argc, char **argv) {
    if (argc > 1 && qstrcmp(argv[1], "--child-remover") == 0) {
        QCoreApplication app(argc, argv);
        return removerChild(app.arguments().mid(2));
    }
    QApplication app(argc, argv);
    TestOperationsForm test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_operationsform.moc"
