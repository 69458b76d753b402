// The host's interface: the members by name and by dispatch identifier, the values each thread
// keeps, the handles, and the two shows a host asks for.

#include "support/MapFixture.h"

#include "component/FormRegistry.h"
#include "component/clsTavoli.h"
#include "component/platform/MessageWindow.h"
#include "component/platform/QtMessageBox.h"
#include "component/separatebills/frmContiSeparati.h"
#include "core/data/dao/Workspace.h"

#include <QMetaProperty>
#include <QSqlDatabase>
#include <QThread>
#include <QWindow>
#include <QtTest>

using qrv::clsTavoli;
using qrv::ComError;
using qrv::SharedState;
using Kind = qrv::clsTavoli::InvokeKind;
using DatabasePtr = std::shared_ptr<qrv::dao::Database>;
using WorkspacePtr = std::shared_ptr<qrv::dao::Workspace>;

namespace {

QString S(const char *text) {
    return QString::fromUtf8(text);
}

/** Every value of the calling thread's shared state, handles by address, for before/after checks. */
QVariantMap snapshot() {
    const SharedState &s = SharedState::current();
    return {
        {QStringLiteral("DataBase"), quintptr(s.DataBase.get())},
        {QStringLiteral("ilDBMovimenti"), quintptr(s.ilDBMovimenti.get())},
        {QStringLiteral("WorkSpace"), quintptr(s.WorkSpace.get())},
        {QStringLiteral("ilPathArchivi"), s.ilPathArchivi},
        {QStringLiteral("App_Path"), s.App_Path},
        {QStringLiteral("Operazione"), s.Operazione},
        {QStringLiteral("TavoloScelto"), s.TavoloScelto},
        {QStringLiteral("IdContoCliente"), s.IdContoCliente},
        {QStringLiteral("OperazioneScelta"), s.OperazioneScelta},
        {QStringLiteral("ContoSubito"), s.ContoSubito},
        {QStringLiteral("ContoSeparato"), s.ContoSeparato},
        {QStringLiteral("Sala"), s.Sala},
        {QStringLiteral("IdDettSelezionati"), s.IdDettSelezionati},
        {QStringLiteral("OrdineDaWeb"), s.OrdineDaWeb},
    };
}

/** Known values in every field that a getter reads or a call may change. */
void presetState() {
    SharedState &s = SharedState::current();
    s.ilPathArchivi = QStringLiteral("/srv/archivi");
    s.App_Path = QStringLiteral("/opt/cassa");
    s.Operazione = 1;
    s.TavoloScelto = QStringLiteral("7");
    s.IdContoCliente.clear();
    s.OperazioneScelta = 4;
    s.ContoSubito = true;
    s.ContoSeparato = true;
    s.Sala = 4;
    s.IdDettSelezionati = QStringLiteral("10;11;");
    s.OrdineDaWeb = true;
}

/**
 * Without the forms the show methods return at once. The forms are registered back when the
 * guard goes, so the tests that show them find them whatever ran before.
 */
class WithoutForms {
public:
    WithoutForms() {
        for (qrv::FormId id : {qrv::FormId::Tavoli, qrv::FormId::ContiSeparati}) {
            m_saved.append({id, qrv::FormRegistry::registered(id)});
            qrv::FormRegistry::registerForm(id, nullptr);
        }
    }
    ~WithoutForms() {
        for (const auto &form : m_saved)
            qrv::FormRegistry::registerForm(form.first, form.second);
    }

private:
    QVector<QPair<qrv::FormId, qrv::FormRegistry::ShowFunction>> m_saved;
};

DatabasePtr sqliteDatabase() {
    return qrvtest::freshDatabase(QStringLiteral("sqlite"));
}

/** What a host hands over before it shows the map: the venue, a workspace on it, one folder. */
void hostSetsUp(clsTavoli &tavoli, const DatabasePtr &db, const QString &folder) {
    tavoli.setDataBase(db);
    tavoli.setWorkSpace(std::make_shared<qrv::dao::Workspace>(db));
    tavoli.setApp_Path(folder);
    tavoli.setilPathArchivi(folder);
    tavoli.setOperazione(qrv::qrvScegliUnTavolo);
    tavoli.setSala(0);
}

} // namespace

class TestClsTavoli : public QObject {
    Q_OBJECT

    // Handles the dispatch tables pass around; released before the application ends.
    DatabasePtr m_db, m_movimenti;
    WorkspacePtr m_workspace;

private slots:
    void initTestCase() {
        m_db = sqliteDatabase();
        m_movimenti = sqliteDatabase();
        m_workspace = std::make_shared<qrv::dao::Workspace>(m_db);
    }

    void cleanupTestCase() {
        SharedState &state = SharedState::current();
        state.DataBase.reset();
        state.ilDBMovimenti.reset();
        state.WorkSpace.reset();
        m_workspace.reset();
        m_db.reset();
        m_movimenti.reset();
    }

    // After CONTO on table 5, a show that no command ends (the window manager's close, a host
    // closing every window) hands back the outcome of a new object, not table 5 to bill again.
    void closeWithoutCommandChoosesNothing_data() { qrvtest::addEngineRows(); }
    void closeWithoutCommandChoosesNothing() {
        QFETCH(QString, engine);
        qrvtest::ScriptedMessageBox box;
        qrvtest::ScriptedMessageWindow messages;
        QTemporaryDir folder;
        DatabasePtr db = qrvtest::demoDatabase(engine);
        db->Execute(QStringLiteral("Update Tavoli Set Occupato = True Where Codice = 5"));
        qrvtest::addLine(db, 5, 1, 1, QVariant(), 0, 2.0);
        clsTavoli tavoli;
        hostSetsUp(tavoli, db, folder.path());

        for (bool allWindows : {false, true}) {
            // The host preselects table 5; the operator bills it.
            tavoli.setTavoloScelto(QStringLiteral("5"));
            maptest::runMap(
                [](qrv::frmTavoli &form) {
                    QPushButton *conto = maptest::control(&form, "cmdContoSubito");
                    QTRY_VERIFY(conto->isVisible());
                    conto->click();
                },
                [&] { tavoli.Mostra(); });
            QCOMPARE(tavoli.OperazioneScelta() + QLatin1Char('|') + tavoli.TavoloScelto(),
                     QStringLiteral("1|5"));
            QVERIFY(tavoli.ContoSubito());
            QVERIFY(!tavoli.IdDettSelezionati().isEmpty());

            maptest::runMap(
                [&](qrv::frmTavoli &form) {
                    QTRY_VERIFY(!maptest::control<QWidget>(&form, "frxScontrino")->isHidden());
                    if (allWindows)
                        QApplication::closeAllWindows();
                    else
                        form.windowHandle()->close(); // the close request a window manager sends
                    QVERIFY(!form.isVisible());
                },
                [&] { tavoli.ScegliUnTavolo(); });
            QCOMPARE(tavoli.OperazioneScelta() + QLatin1Char('|') + tavoli.TavoloScelto(),
                     QStringLiteral("3|"));
            QVERIFY(!tavoli.ContoSubito() && !tavoli.ContoSeparato());
            QCOMPARE(tavoli.IdDettSelezionati(), QString());
            QCOMPARE(tavoli.Sala(), 1);
        }
        QVERIFY(box.shown.isEmpty());
    }

    void clientBillThroughVisualizzaContoSeparatoCliente_data() { qrvtest::addEngineRows(); }
    void clientBillThroughVisualizzaContoSeparatoCliente() {
        QFETCH(QString, engine);
        qrvtest::ScriptedMessageBox box;
        qrvtest::ScriptedMessageWindow messages;
        DatabasePtr db = qrvtest::freshDatabase(engine);
        const qint64 conto =
            qrvtest::addTable(db, QStringLiteral("999"), QStringLiteral("Rossi"), 9999, true);
        const qint64 line = qrvtest::addLine(db, conto, 901, 2, QStringLiteral("Tiramisu"), 0, 9.0);
        clsTavoli tavoli;
        tavoli.setDataBase(db);
        SharedState::current().IdDettSelezionati.clear();
        qrv::frmContiSeparati *screen = qrv::frmContiSeparati::instance();
        qrvtest::ModalScript script(screen, {[screen] {
                                        maptest::control(screen, "cmdSelTutto")->click();
                                        maptest::control(screen, "cmdContoSubito")->click();
                                    }});
        const QString chosen = tavoli.VisualizzaContoSeparatoCliente(qint32(conto));
        QCOMPARE(script.remaining(), 0);
        QCOMPARE(tavoli.TavoloScelto(), QStringLiteral("999"));
        QCOMPARE(SharedState::current().IdContoCliente, QString::number(conto));
        QCOMPARE(chosen, tavoli.IdDettSelezionati());
        QVERIFY2(chosen.startsWith(QString::number(line) + QLatin1Char(';')), qPrintable(chosen));
        QVERIFY(tavoli.ContoSeparato());
        QVERIFY(box.shown.isEmpty());
    }

    void eachThreadHasItsOwnValuesFromTheStartValues() {
        clsTavoli here;
        here.setSala(3);
        here.setTavoloScelto(QStringLiteral("21"));
        QString seen; // a new thread starts from the start values, whatever this one holds
        QThread *thread = QThread::create([&seen] {
            clsTavoli tavoli;
            const SharedState &state = SharedState::current();
            seen = QStringList{tavoli.TavoloScelto(),
                               tavoli.OperazioneScelta(),
                               QString::number(tavoli.ContoSubito()),
                               QString::number(tavoli.ContoSeparato()),
                               QString::number(tavoli.Sala()),
                               tavoli.IdDettSelezionati(),
                               QString::number(tavoli.OrdineDaWeb()),
                               QString::number(state.Operazione),
                               QString::number(bool(state.DataBase))}
                       .join(QLatin1Char('|'));
            tavoli.setSala(7);
        });
        thread->start();
        QVERIFY(thread->wait(10000));
        delete thread;
        QCOMPARE(seen, QStringLiteral("|3|0|0|0||0|0|0"));
        QCOMPARE(here.TavoloScelto() + QString::number(here.Sala()), QStringLiteral("213"));
    }

    void creationResetsFourValuesForEveryObject() {
        clsTavoli first;
        presetState();
        DatabasePtr db = sqliteDatabase();
        first.setDataBase(db);
        QVariantMap before = snapshot();

        clsTavoli second;
        QVariantMap after = snapshot();
        // Seen through the first object too: the values are the thread's, not the object's.
        QCOMPARE(first.OperazioneScelta() + first.TavoloScelto(), QStringLiteral("3"));
        QVERIFY(!first.ContoSubito() && !first.ContoSeparato());
        // Nothing else moved.
        for (const char *name : {"TavoloScelto", "OperazioneScelta", "ContoSubito", "ContoSeparato"}) {
            before.remove(QLatin1String(name));
            after.remove(QLatin1String(name));
        }
        QCOMPARE(after, before);
        {
            clsTavoli third; // values outlive the object that wrote them
            third.setSala(6);
        }
        QCOMPARE(first.Sala(), 6);
    }

    // The component keeps its own reference to a handle until another replaces it; a host's own
    // connection is taken as it is.
    void handles() {
        clsTavoli tavoli;
        DatabasePtr db = sqliteDatabase();
        std::weak_ptr<qrv::dao::Database> watch = db;
        tavoli.setDataBase(db);
        db.reset();
        QVERIFY(!watch.expired());
        tavoli.Invoke(clsTavoli::DispDataBase, Kind::PropertyPut, {QVariant::fromValue(DatabasePtr())});
        QVERIFY(watch.expired() && !SharedState::current().DataBase);

        QTemporaryDir folder;
        const QString name = QStringLiteral("host-connection");
        {
            QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            connection.setDatabaseName(folder.filePath(QStringLiteral("venue.db")));
            QVERIFY(connection.open());
            tavoli.Invoke(clsTavoli::DispDataBase, Kind::PropertyPut, {QVariant::fromValue(connection)});
            QCOMPARE(SharedState::current().DataBase->connection().databaseName(), connection.databaseName());
            tavoli.setDataBase(DatabasePtr());
        }
        QSqlDatabase::removeDatabase(name);
    }

    // Every member through the dispatch interface: what it answers and which shared values it
    // changes; a call the member does not take fails with its code and changes nothing, handles
    // included.
    void invoke_data() {
        QTest::addColumn<int>("dispid");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QVariant>("result");
        QTest::addColumn<QVariantMap>("changes"); // shared-state values that differ afterwards
        QTest::addColumn<quint32>("code");        // the failure, 0 for none
        const auto row = [](const char *name, int dispid, Kind kind, const QVariantList &args,
                            const QVariant &result, const QVariantMap &changes = {}) {
            QTest::newRow(name) << dispid << kind << args << result << changes << quint32(0);
        };
        const auto fails = [](const char *name, int dispid, Kind kind, const QVariantList &args,
                              quint32 code) {
            QTest::newRow(name) << dispid << kind << args << QVariant() << QVariantMap() << code;
        };
        const Kind get = Kind::PropertyGet, put = Kind::PropertyPut, method = Kind::Method;
        const auto set = [&row](const char *name, int dispid, const QVariant &value, const char *field,
                                const QVariant &stored) {
            row(name, dispid, Kind::PropertyPut, {value}, QVariant(), {{QLatin1String(field), stored}});
        };
        const auto handle = [](const auto &pointer) { return QVariant(quintptr(pointer.get())); };
        const quint32 notFound = qrv::DISP_E_MEMBERNOTFOUND, mismatch = qrv::DISP_E_TYPEMISMATCH,
                      count = qrv::DISP_E_BADPARAMCOUNT;
        const QVariant db = QVariant::fromValue(m_db);

        set("1 DataBase put", clsTavoli::DispDataBase, db, "DataBase", handle(m_db));
        set("2 ilPathArchivi put", clsTavoli::DispilPathArchivi, S("/mnt/arch"), "ilPathArchivi",
            S("/mnt/arch"));
        set("3 App_Path put", clsTavoli::DispApp_Path, S("/opt/qrv"), "App_Path", S("/opt/qrv"));
        set("4 Operazione put", clsTavoli::DispOperazione, 2, "Operazione", 2);
        set("4 Operazione put as text", clsTavoli::DispOperazione, S("3"), "Operazione", 3);
        row("5 ScegliUnTavolo", clsTavoli::DispScegliUnTavolo, method, {}, QVariant());
        row("6 Mostra clears the bill flags", clsTavoli::DispMostra, method, {}, QVariant(),
            {{S("ContoSubito"), false}, {S("ContoSeparato"), false}});
        row("7 TavoloScelto get", clsTavoli::DispTavoloScelto, get, {}, S("7"));
        set("8 ilDBMovimenti put", clsTavoli::DispilDBMovimenti, QVariant::fromValue(m_movimenti),
            "ilDBMovimenti", handle(m_movimenti));
        set("9 WorkSpace put", clsTavoli::DispWorkSpace, QVariant::fromValue(m_workspace), "WorkSpace",
            handle(m_workspace));
        row("10 ContoSubito get", clsTavoli::DispContoSubito, get, {}, true);
        row("11 Sala get", clsTavoli::DispSala, get, {}, 4);
        set("12 Sala put", clsTavoli::DispSala, 9, "Sala", 9);
        row("13 OperazioneScelta get", clsTavoli::DispOperazioneScelta, get, {}, S("4"));
        set("14 TavoloScelto put from a number", clsTavoli::DispTavoloScelto, 33, "TavoloScelto", S("33"));
        row("15 IdDettSelezionati get", clsTavoli::DispIdDettSelezionati, get, {}, S("10;11;"));
        row("16 ContoSeparato get", clsTavoli::DispContoSeparato, get, {}, true);
        row("17 OrdineDaWeb get", clsTavoli::DispOrdineDaWeb, get, {}, true);
        row("18 TavoliConNomeCliente get", clsTavoli::DispTavoliConNomeCliente, get, {}, 0);
        row("19 TavoliConNomeCliente put", clsTavoli::DispTavoliConNomeCliente, put, {1}, QVariant());
        row("20 VisualizzaContoSeparatoCliente", clsTavoli::DispVisualizzaContoSeparatoCliente, method, {12},
            S("10;11;"), {{S("TavoloScelto"), S("999")}, {S("IdContoCliente"), S("12")}});

        fails("unknown id", 0x68030020, get, {}, notFound);
        fails("DataBase get: write-only", clsTavoli::DispDataBase, get, {}, notFound);
        fails("Operazione as method", clsTavoli::DispOperazione, method, {1}, notFound);
        fails("ContoSubito put: read-only", clsTavoli::DispContoSubito, put, {false}, notFound);
        fails("Sala put without value", clsTavoli::DispSala, put, {}, count);
        fails("Mostra with a value", clsTavoli::DispMostra, method, {1}, count);
        fails("Visualizza without idconto", clsTavoli::DispVisualizzaContoSeparatoCliente, method, {}, count);
        fails("Sala put text", clsTavoli::DispSala, put, {S("sala due")}, mismatch);
        fails("Sala put beyond 32 bits", clsTavoli::DispSala, put, {qlonglong(5000000000)},
              qrv::DISP_E_OVERFLOW);
        fails("Operazione put a handle", clsTavoli::DispOperazione, put, {db}, mismatch);
        fails("Visualizza with text", clsTavoli::DispVisualizzaContoSeparatoCliente, method, {S("dodici")},
              mismatch);
        fails("DataBase put text", clsTavoli::DispDataBase, put, {S("sqlite:/tmp/x.db")}, mismatch);
        fails("DataBase put a workspace", clsTavoli::DispDataBase, put, {QVariant::fromValue(m_workspace)},
              mismatch);
        fails("DataBase put nothing", clsTavoli::DispDataBase, put, {QVariant()}, mismatch);
        fails("DataBase put a closed connection", clsTavoli::DispDataBase, put,
              {QVariant::fromValue(QSqlDatabase())}, qrv::E_INVALIDARG);
        fails("WorkSpace put a database", clsTavoli::DispWorkSpace, put, {db}, mismatch);
    }
    void invoke() {
        QFETCH(int, dispid);
        QFETCH(Kind, kind);
        QFETCH(QVariantList, args);
        QFETCH(QVariant, result);
        QFETCH(QVariantMap, changes);
        QFETCH(quint32, code);
        WithoutForms noForms;
        clsTavoli tavoli;
        presetState();
        // Handles in place for a failing call, so that it is seen to keep them.
        DatabasePtr db = code ? sqliteDatabase() : DatabasePtr();
        tavoli.setDataBase(db);
        tavoli.setilDBMovimenti(db);
        tavoli.setWorkSpace(db ? std::make_shared<qrv::dao::Workspace>(db) : WorkspacePtr());
        QVariantMap expected = snapshot();
        for (auto it = changes.cbegin(); it != changes.cend(); ++it)
            expected[it.key()] = it.value();

        if (kind == Kind::Method && !code)
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("not part of this library")));
        try {
            QCOMPARE(tavoli.Invoke(dispid, kind, args), result);
            QVERIFY2(!code, "the call succeeded");
        } catch (const ComError &error) {
            QCOMPARE(QString::number(error.code(), 16), QString::number(code, 16));
            QVERIFY(!error.description().isEmpty());
        }
        QCOMPARE(snapshot(), expected);
    }

    // The members by name, as a host that binds late sees them: in the interface's order with their
    // types, the read-only ones without a setter, the write-only ones with nothing to read.
    void membersByName() {
        const QMetaObject &meta = clsTavoli::staticMetaObject;
        QStringList members;
        for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
            members << QLatin1String(meta.property(i).name());
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
            members << QLatin1String(meta.method(i).typeName() + (' ' + meta.method(i).methodSignature()));
        QCOMPARE(
            members.join(QLatin1Char(' ')),
            QStringLiteral("DataBase ilPathArchivi App_Path Operazione TavoloScelto ilDBMovimenti WorkSpace "
                           "ContoSubito Sala OperazioneScelta IdDettSelezionati ContoSeparato OrdineDaWeb "
                           "TavoliConNomeCliente void ScegliUnTavolo() void Mostra() QString "
                           "VisualizzaContoSeparatoCliente(int)"));
        for (const char *readOnly :
             {"ContoSubito", "OperazioneScelta", "IdDettSelezionati", "ContoSeparato", "OrdineDaWeb"})
            QVERIFY2(!meta.property(meta.indexOfProperty(readOnly)).isWritable(), readOnly);

        WithoutForms noForms;
        clsTavoli tavoli;
        presetState();
        DatabasePtr db = sqliteDatabase();
        QVERIFY(tavoli.setProperty("Sala", 9) && tavoli.setProperty("Operazione", 2));
        QVERIFY(tavoli.setProperty("TavoloScelto", QStringLiteral("14")));
        QVERIFY(tavoli.setProperty("DataBase", QVariant::fromValue(db)));
        QCOMPARE(tavoli.Sala(), 9);
        QCOMPARE(tavoli.property("TavoloScelto"), QVariant(QStringLiteral("14")));
        QCOMPARE(SharedState::current().DataBase, db);
        QCOMPARE(SharedState::current().Operazione, 2);
        QVERIFY(!tavoli.property("DataBase").isValid() && !tavoli.property("App_Path").isValid());
    }

    // The current and an earlier interface, IUnknown and IDispatch; not the class, the type library
    // or the null identifier.
    void interfaceIdentifiers() {
        QString supported;
        for (const char *id :
             {"{7E16C0D2-7FB1-45F9-92A4-FC4B8C87B449}", "{38BCB314-F1BC-4667-8612-D61CC1CB789C}",
              "{00000000-0000-0000-C000-000000000046}", "{00020400-0000-0000-C000-000000000046}",
              "{52082644-4310-4A69-894C-28CDC1651B81}", "{E933F5D4-AE3D-48F5-94DE-B369DD331C79}", ""})
            supported += clsTavoli::supportsInterface(QUuid::fromString(QLatin1String(id)))
                             ? QLatin1Char('1')
                             : QLatin1Char('0');
        QCOMPARE(supported, QStringLiteral("1111000"));
    }

    void constructionInstallsMessageWindowsOnlyWhenNoneIs() {
        qrv::MessageBox::install(nullptr);
        qrv::FinestraMessaggi::install(nullptr);
        {
            clsTavoli tavoli;
            QCOMPARE(&qrv::MessageBox::current(),
                     static_cast<qrv::MessageBox *>(&qrv::QtMessageBox::shared()));
            QCOMPARE(qrv::FinestraMessaggi::current(),
                     static_cast<qrv::FinestraMessaggi *>(&qrv::MessageWindow::shared()));
        }
        {
            qrvtest::ScriptedMessageBox box;
            qrvtest::ScriptedMessageWindow window;
            clsTavoli tavoli;
            QCOMPARE(&qrv::MessageBox::current(), static_cast<qrv::MessageBox *>(&box));
            QCOMPARE(qrv::FinestraMessaggi::current(), static_cast<qrv::FinestraMessaggi *>(&window));
        }
    }
};

QTEST_MAIN(TestClsTavoli)
#include "test_clstavoli.moc"
