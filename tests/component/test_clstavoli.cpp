#include "component/FormRegistry.h"
#include "component/clsTavoli.h"
#include "component/platform/MessageWindow.h"
#include "component/platform/QtMessageBox.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Workspace.h"
#include "core/settings/SharedState.h"
#include "support/ModalScript.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"
#include "support/VenueRows.h"

#include <QMetaProperty>
#include <QPushButton>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QTemporaryDir>
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

    void mostraShowsTheMapAndTheCounterCommandEndsIt_data() { qrvtest::addEngineRows(); }

    void mostraShowsTheMapAndTheCounterCommandEndsIt() {
        QFETCH(QString, engine);
        qrvtest::ScriptedMessageBox box;
        qrvtest::ScriptedMessageWindow messages;
        QTemporaryDir folder;
        DatabasePtr db = qrvtest::demoDatabase(engine);
        clsTavoli tavoli;
        hostSetsUp(tavoli, db, folder.path());
        SharedState::current().ContoSubito = true;
        SharedState::current().ContoSeparato = true;

        bool shown = false, flagsWhenShown = true;
        qrvtest::whenModal([&](QWidget *form) {
            shown = true;
            flagsWhenShown = SharedState::current().ContoSubito || SharedState::current().ContoSeparato;
            if (auto *banco = form->findChild<QPushButton *>(QStringLiteral("cmdBancoTavoli")))
                banco->click();
            else
                form->close();
        });
        tavoli.Mostra();
        QVERIFY2(shown, "the table map was not shown");
        QVERIFY(!flagsWhenShown);
        QCOMPARE(tavoli.OperazioneScelta(), QStringLiteral("3"));
        QCOMPARE(tavoli.TavoloScelto(), QString());
        QVERIFY2(tavoli.Sala() > 0, "the room on show is stored when the map closes");
        QVERIFY(!tavoli.ContoSubito());
        QVERIFY(box.shown.isEmpty());
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
        qrvtest::insertRow(db, QStringLiteral("DettaglioTavoli"),
                           {{QStringLiteral("Tavolo"), 5},
                            {QStringLiteral("Codice"), 1},
                            {QStringLiteral("Quantita"), 1},
                            {QStringLiteral("Importo"), 2.0}});
        clsTavoli tavoli;
        hostSetsUp(tavoli, db, folder.path());

        for (bool allWindows : {false, true}) {
            // The host preselects table 5; the operator bills it.
            tavoli.setTavoloScelto(QStringLiteral("5"));
            qrvtest::whenModal([](QWidget *form) {
                auto end = qScopeGuard([form] {
                    if (form->isVisible())
                        form->close();
                });
                auto *conto = form->findChild<QPushButton *>(QStringLiteral("cmdContoSubito"));
                QTRY_VERIFY(conto && conto->isVisible());
                conto->click();
            });
            tavoli.Mostra();
            QCOMPARE(tavoli.OperazioneScelta() + QLatin1Char('|') + tavoli.TavoloScelto(),
                     QStringLiteral("1|5"));
            QVERIFY(tavoli.ContoSubito());
            QVERIFY(!tavoli.IdDettSelezionati().isEmpty());

            bool closed = false;
            qrvtest::whenModal([&](QWidget *form) {
                QTRY_VERIFY(!form->findChild<QWidget *>(QStringLiteral("frxScontrino"))->isHidden());
                if (allWindows)
                    QApplication::closeAllWindows();
                else
                    form->windowHandle()->close(); // the close request a window manager sends
                closed = !form->isVisible();
                form->hide();
            });
            tavoli.ScegliUnTavolo();
            QVERIFY(closed);
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
        const qint64 line = qrvtest::insertRow(db, QStringLiteral("DettaglioTavoli"),
                                               {{QStringLiteral("Tavolo"), conto},
                                                {QStringLiteral("Codice"), 901},
                                                {QStringLiteral("Quantita"), 2},
                                                {QStringLiteral("Descrizione"), QStringLiteral("Tiramisu")},
                                                {QStringLiteral("Importo"), 9.0}});

        clsTavoli tavoli;
        tavoli.setDataBase(db);
        SharedState::current().IdDettSelezionati.clear();
        bool shown = false;
        qrvtest::whenModal([&shown](QWidget *form) {
            shown = true;
            auto *all = form->findChild<QPushButton *>(QStringLiteral("cmdSelTutto"));
            auto *cash = form->findChild<QPushButton *>(QStringLiteral("cmdContoSubito"));
            if (all && cash) {
                all->click();
                cash->click();
            } else {
                form->close();
            }
        });
        const QString chosen = tavoli.VisualizzaContoSeparatoCliente(qint32(conto));
        QVERIFY2(shown, "the separate-bill screen was not shown");
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

    void handlesAreSharedUntilReplaced() {
        clsTavoli tavoli;
        DatabasePtr db = sqliteDatabase();
        std::weak_ptr<qrv::dao::Database> watch = db;
        tavoli.setDataBase(db);
        db.reset();
        QVERIFY(!watch.expired()); // the component keeps its own reference
        tavoli.Invoke(clsTavoli::DispDataBase, Kind::PropertyPut, {QVariant::fromValue(DatabasePtr())});
        QVERIFY(watch.expired());
        QVERIFY(!SharedState::current().DataBase);
    }

    void databaseFromAHostConnection() {
        QTemporaryDir folder;
        const QString name = QStringLiteral("host-connection");
        {
            QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            connection.setDatabaseName(folder.filePath(QStringLiteral("venue.db")));
            QVERIFY(connection.open());
            clsTavoli tavoli;
            tavoli.Invoke(clsTavoli::DispDataBase, Kind::PropertyPut, {QVariant::fromValue(connection)});
            QVERIFY(SharedState::current().DataBase);
            QCOMPARE(SharedState::current().DataBase->connection().databaseName(), connection.databaseName());
            tavoli.setDataBase(DatabasePtr());
            connection.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    void invokeEveryMember_data() {
        QTest::addColumn<int>("dispid");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QVariant>("result");
        QTest::addColumn<QVariantMap>("changes"); // shared-state values that differ afterwards

        const DatabasePtr db = m_db, movimenti = m_movimenti;
        const WorkspacePtr workspace = m_workspace;
        const QVariant none;
        auto change = [](const char *name, const QVariant &value) {
            return QVariantMap{{QLatin1String(name), value}};
        };

        QTest::newRow("1 DataBase put")
            << int(clsTavoli::DispDataBase) << Kind::PropertyPut << QVariantList{QVariant::fromValue(db)}
            << none << change("DataBase", quintptr(db.get()));
        QTest::newRow("2 ilPathArchivi put") << int(clsTavoli::DispilPathArchivi) << Kind::PropertyPut
                                             << QVariantList{QStringLiteral("/mnt/arch")} << none
                                             << change("ilPathArchivi", QStringLiteral("/mnt/arch"));
        QTest::newRow("3 App_Path put")
            << int(clsTavoli::DispApp_Path) << Kind::PropertyPut << QVariantList{QStringLiteral("/opt/qrv")}
            << none << change("App_Path", QStringLiteral("/opt/qrv"));
        QTest::newRow("4 Operazione put") << int(clsTavoli::DispOperazione) << Kind::PropertyPut
                                          << QVariantList{2} << none << change("Operazione", 2);
        QTest::newRow("4 Operazione put as text")
            << int(clsTavoli::DispOperazione) << Kind::PropertyPut << QVariantList{QStringLiteral("3")}
            << none << change("Operazione", 3);
        QTest::newRow("5 ScegliUnTavolo")
            << int(clsTavoli::DispScegliUnTavolo) << Kind::Method << QVariantList{} << none << QVariantMap{};
        QTest::newRow("6 Mostra clears the bill flags")
            << int(clsTavoli::DispMostra) << Kind::Method << QVariantList{} << none
            << QVariantMap{{QStringLiteral("ContoSubito"), false}, {QStringLiteral("ContoSeparato"), false}};
        QTest::newRow("7 TavoloScelto get")
            << int(clsTavoli::DispTavoloScelto) << Kind::PropertyGet << QVariantList{}
            << QVariant(QStringLiteral("7")) << QVariantMap{};
        QTest::newRow("8 ilDBMovimenti put") << int(clsTavoli::DispilDBMovimenti) << Kind::PropertyPut
                                             << QVariantList{QVariant::fromValue(movimenti)} << none
                                             << change("ilDBMovimenti", quintptr(movimenti.get()));
        QTest::newRow("9 WorkSpace put") << int(clsTavoli::DispWorkSpace) << Kind::PropertyPut
                                         << QVariantList{QVariant::fromValue(workspace)} << none
                                         << change("WorkSpace", quintptr(workspace.get()));
        QTest::newRow("10 ContoSubito get") << int(clsTavoli::DispContoSubito) << Kind::PropertyGet
                                            << QVariantList{} << QVariant(true) << QVariantMap{};
        QTest::newRow("11 Sala get") << int(clsTavoli::DispSala) << Kind::PropertyGet << QVariantList{}
                                     << QVariant(4) << QVariantMap{};
        QTest::newRow("12 Sala put") << int(clsTavoli::DispSala) << Kind::PropertyPut << QVariantList{9}
                                     << none << change("Sala", 9);
        QTest::newRow("13 OperazioneScelta get")
            << int(clsTavoli::DispOperazioneScelta) << Kind::PropertyGet << QVariantList{}
            << QVariant(QStringLiteral("4")) << QVariantMap{};
        QTest::newRow("14 TavoloScelto put from a number")
            << int(clsTavoli::DispTavoloScelto) << Kind::PropertyPut << QVariantList{33} << none
            << change("TavoloScelto", QStringLiteral("33"));
        QTest::newRow("15 IdDettSelezionati get")
            << int(clsTavoli::DispIdDettSelezionati) << Kind::PropertyGet << QVariantList{}
            << QVariant(QStringLiteral("10;11;")) << QVariantMap{};
        QTest::newRow("16 ContoSeparato get") << int(clsTavoli::DispContoSeparato) << Kind::PropertyGet
                                              << QVariantList{} << QVariant(true) << QVariantMap{};
        QTest::newRow("17 OrdineDaWeb get") << int(clsTavoli::DispOrdineDaWeb) << Kind::PropertyGet
                                            << QVariantList{} << QVariant(true) << QVariantMap{};
        QTest::newRow("18 TavoliConNomeCliente get")
            << int(clsTavoli::DispTavoliConNomeCliente) << Kind::PropertyGet << QVariantList{} << QVariant(0)
            << QVariantMap{};
        QTest::newRow("19 TavoliConNomeCliente put")
            << int(clsTavoli::DispTavoliConNomeCliente) << Kind::PropertyPut << QVariantList{1} << none
            << QVariantMap{};
        QTest::newRow("20 VisualizzaContoSeparatoCliente")
            << int(clsTavoli::DispVisualizzaContoSeparatoCliente) << Kind::Method << QVariantList{12}
            << QVariant(QStringLiteral("10;11;"))
            << QVariantMap{{QStringLiteral("TavoloScelto"), QStringLiteral("999")},
                           {QStringLiteral("IdContoCliente"), QStringLiteral("12")}};
    }

    void invokeEveryMember() {
        QFETCH(int, dispid);
        QFETCH(Kind, kind);
        QFETCH(QVariantList, args);
        QFETCH(QVariant, result);
        QFETCH(QVariantMap, changes);
        WithoutForms noForms;
        clsTavoli tavoli;
        presetState();
        SharedState::current().DataBase.reset();
        SharedState::current().ilDBMovimenti.reset();
        SharedState::current().WorkSpace.reset();
        QVariantMap expected = snapshot();
        for (auto it = changes.cbegin(); it != changes.cend(); ++it)
            expected[it.key()] = it.value();

        if (kind == Kind::Method)
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("not part of this library")));
        const QVariant answer = tavoli.Invoke(dispid, kind, args);
        QCOMPARE(answer, result);
        QCOMPARE(snapshot(), expected);
    }

    void invokeFailures_data() {
        QTest::addColumn<int>("dispid");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<quint32>("code");

        const DatabasePtr db = m_db;
        const WorkspacePtr workspace = m_workspace;
        const quint32 notFound = qrv::DISP_E_MEMBERNOTFOUND, mismatch = qrv::DISP_E_TYPEMISMATCH,
                      count = qrv::DISP_E_BADPARAMCOUNT;

        QTest::newRow("unknown id") << 0x68030020 << Kind::PropertyGet << QVariantList{} << notFound;
        QTest::newRow("DataBase get: write-only")
            << int(clsTavoli::DispDataBase) << Kind::PropertyGet << QVariantList{} << notFound;
        QTest::newRow("Operazione as method")
            << int(clsTavoli::DispOperazione) << Kind::Method << QVariantList{1} << notFound;
        QTest::newRow("ContoSubito put: read-only")
            << int(clsTavoli::DispContoSubito) << Kind::PropertyPut << QVariantList{false} << notFound;

        QTest::newRow("Sala put without value")
            << int(clsTavoli::DispSala) << Kind::PropertyPut << QVariantList{} << count;
        QTest::newRow("Mostra with a value")
            << int(clsTavoli::DispMostra) << Kind::Method << QVariantList{1} << count;
        QTest::newRow("Visualizza without idconto")
            << int(clsTavoli::DispVisualizzaContoSeparatoCliente) << Kind::Method << QVariantList{} << count;

        QTest::newRow("Sala put text") << int(clsTavoli::DispSala) << Kind::PropertyPut
                                       << QVariantList{QStringLiteral("sala due")} << mismatch;
        QTest::newRow("Sala put beyond 32 bits")
            << int(clsTavoli::DispSala) << Kind::PropertyPut << QVariantList{qlonglong(5000000000)}
            << qrv::DISP_E_OVERFLOW;
        QTest::newRow("Operazione put a handle") << int(clsTavoli::DispOperazione) << Kind::PropertyPut
                                                 << QVariantList{QVariant::fromValue(db)} << mismatch;
        QTest::newRow("Visualizza with text")
            << int(clsTavoli::DispVisualizzaContoSeparatoCliente) << Kind::Method
            << QVariantList{QStringLiteral("dodici")} << mismatch;
        QTest::newRow("DataBase put text") << int(clsTavoli::DispDataBase) << Kind::PropertyPut
                                           << QVariantList{QStringLiteral("sqlite:/tmp/x.db")} << mismatch;
        QTest::newRow("DataBase put a workspace") << int(clsTavoli::DispDataBase) << Kind::PropertyPut
                                                  << QVariantList{QVariant::fromValue(workspace)} << mismatch;
        QTest::newRow("DataBase put nothing")
            << int(clsTavoli::DispDataBase) << Kind::PropertyPut << QVariantList{QVariant()} << mismatch;
        QTest::newRow("DataBase put a closed connection")
            << int(clsTavoli::DispDataBase) << Kind::PropertyPut
            << QVariantList{QVariant::fromValue(QSqlDatabase())} << qrv::E_INVALIDARG;
        QTest::newRow("WorkSpace put a database") << int(clsTavoli::DispWorkSpace) << Kind::PropertyPut
                                                  << QVariantList{QVariant::fromValue(db)} << mismatch;
    }

    void invokeFailures() {
        QFETCH(int, dispid);
        QFETCH(Kind, kind);
        QFETCH(QVariantList, args);
        QFETCH(quint32, code);
        WithoutForms noForms;
        clsTavoli tavoli;
        presetState();
        // Handles in place, so that a failed assignment is seen to keep them.
        DatabasePtr db = sqliteDatabase();
        tavoli.setDataBase(db);
        tavoli.setilDBMovimenti(db);
        tavoli.setWorkSpace(std::make_shared<qrv::dao::Workspace>(db));
        const QVariantMap before = snapshot();
        try {
            tavoli.Invoke(dispid, kind, args);
            QFAIL("the call succeeded");
        } catch (const ComError &error) {
            QCOMPARE(QString::number(error.code(), 16), QString::number(code, 16));
            QVERIFY(!error.description().isEmpty());
        }
        QCOMPARE(snapshot(), before);
    }

    void metaObjectListsTheMembersInInterfaceOrder() {
        const QMetaObject &meta = clsTavoli::staticMetaObject;
        QStringList members;
        for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i)
            members << QLatin1String(meta.property(i).name());
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
            members << QLatin1String(meta.method(i).name()) + QStringLiteral("()");
        QCOMPARE(members.join(QLatin1Char(' ')),
                 QStringLiteral(
                     "DataBase ilPathArchivi App_Path Operazione TavoloScelto ilDBMovimenti WorkSpace "
                     "ContoSubito Sala OperazioneScelta IdDettSelezionati ContoSeparato OrdineDaWeb "
                     "TavoliConNomeCliente ScegliUnTavolo() Mostra() VisualizzaContoSeparatoCliente()"));
        for (const char *readOnly :
             {"ContoSubito", "OperazioneScelta", "IdDettSelezionati", "ContoSeparato", "OrdineDaWeb"})
            QVERIFY2(!meta.property(meta.indexOfProperty(readOnly)).isWritable(), readOnly);
    }

    void propertiesByName() {
        WithoutForms noForms;
        clsTavoli tavoli;
        presetState();
        DatabasePtr db = sqliteDatabase();

        QVERIFY(tavoli.setProperty("Sala", 9));
        QCOMPARE(tavoli.Sala(), 9);
        QVERIFY(tavoli.setProperty("TavoloScelto", QStringLiteral("14")));
        QCOMPARE(tavoli.property("TavoloScelto"), QVariant(QStringLiteral("14")));
        QVERIFY(tavoli.setProperty("Operazione", 2));
        QVERIFY(tavoli.setProperty("DataBase", QVariant::fromValue(db)));
        QCOMPARE(SharedState::current().DataBase, db);

        // Write-only members have nothing to read.
        QVERIFY(!tavoli.property("DataBase").isValid());
        QVERIFY(!tavoli.property("App_Path").isValid());
        // Read-only members refuse an assignment.
        QVERIFY(!tavoli.setProperty("ContoSubito", false));
        QVERIFY(tavoli.ContoSubito());

        // A handle of the wrong kind fails and keeps the previous one.
        QVERIFY_THROWS_EXCEPTION(ComError, tavoli.setProperty("DataBase", QStringLiteral("venue.db")));
        QVERIFY_THROWS_EXCEPTION(ComError, tavoli.setProperty("Operazione", QStringLiteral("due")));
        QCOMPARE(SharedState::current().DataBase, db);
        QCOMPARE(SharedState::current().Operazione, 2);

        QString chosen;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not part of this library")));
        QVERIFY(QMetaObject::invokeMethod(&tavoli, "VisualizzaContoSeparatoCliente",
                                          Q_RETURN_ARG(QString, chosen), Q_ARG(qint32, 5)));
        QCOMPARE(chosen, QStringLiteral("10;11;"));
        QCOMPARE(SharedState::current().IdContoCliente, QStringLiteral("5"));
    }

    void interfaceIdentifiers_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("supported");
        QTest::newRow("current") << QStringLiteral("{7E16C0D2-7FB1-45F9-92A4-FC4B8C87B449}") << true;
        QTest::newRow("an earlier one") << QStringLiteral("{38BCB314-F1BC-4667-8612-D61CC1CB789C}") << true;
        QTest::newRow("IUnknown") << QStringLiteral("{00000000-0000-0000-C000-000000000046}") << true;
        QTest::newRow("IDispatch") << QStringLiteral("{00020400-0000-0000-C000-000000000046}") << true;
        QTest::newRow("the class is not an interface")
            << QStringLiteral("{52082644-4310-4A69-894C-28CDC1651B81}") << false;
        QTest::newRow("type library") << QStringLiteral("{E933F5D4-AE3D-48F5-94DE-B369DD331C79}") << false;
        QTest::newRow("null") << QString() << false;
    }

    void interfaceIdentifiers() {
        QFETCH(QString, id);
        QTEST(clsTavoli::supportsInterface(QUuid::fromString(id)), "supported");
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
