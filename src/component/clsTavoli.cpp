#include "component/clsTavoli.h"

#include "component/FormRegistry.h"
#include "component/platform/GuiThread.h"
#include "component/platform/MessageWindow.h"
#include "component/platform/QtMessageBox.h"
#include "core/data/FinestraMessaggi.h"
#include "core/data/MessageBox.h"
#include "core/data/dao/DaoError.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Workspace.h"
#include "core/settings/SharedState.h"

#include <limits>
#include <mutex>

namespace qrv {

const QUuid clsTavoli::ClassId(0x52082644, 0x4310, 0x4A69, 0x89, 0x4C, 0x28, 0xCD, 0xC1, 0x65, 0x1B, 0x81);
const QUuid clsTavoli::InterfaceId(0x7E16C0D2, 0x7FB1, 0x45F9, 0x92, 0xA4, 0xFC, 0x4B, 0x8C, 0x87, 0xB4,
                                   0x49);
const QUuid clsTavoli::EarlierInterfaceIds[7] = {
    QUuid(0x38BCB314, 0xF1BC, 0x4667, 0x86, 0x12, 0xD6, 0x1C, 0xC1, 0xCB, 0x78, 0x9C),
    QUuid(0xF9A5E7DA, 0x2E66, 0x4D16, 0x90, 0xB1, 0x28, 0x8A, 0x8B, 0xED, 0xDE, 0x9E),
    QUuid(0x090D30FF, 0xEA0F, 0x41C6, 0xA3, 0x15, 0x71, 0x57, 0x48, 0x66, 0x28, 0xAD),
    QUuid(0x78FAFF42, 0x0BAD, 0x4AD4, 0x9B, 0x07, 0xE1, 0xE4, 0x67, 0xD5, 0xAD, 0x0C),
    QUuid(0x6C3CD196, 0x6DFE, 0x4901, 0x99, 0xBA, 0x3C, 0xED, 0x44, 0x44, 0xCB, 0xD3),
    QUuid(0x1DE52C16, 0xC61F, 0x44CB, 0xA2, 0xAD, 0xDE, 0xA0, 0x21, 0x07, 0xBA, 0x7D),
    QUuid(0x900E3503, 0xFC92, 0x4202, 0xB8, 0x1B, 0xE1, 0x7E, 0x91, 0xB9, 0x06, 0x95),
};
const QUuid clsTavoli::TypeLibraryId(0xE933F5D4, 0xAE3D, 0x48F5, 0x94, 0xDE, 0xB3, 0x69, 0xDD, 0x33, 0x1C,
                                     0x79);

namespace {

const QUuid IUnknownId(0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
const QUuid IDispatchId(0x00020400, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

/**
 * Installs the Qt message box and the touch-screen message window for the whole process unless
 * the host (or a test) already installed its own, and makes Qt's standard buttons Italian unless
 * the host's translators already give them texts.
 */
void installMessageWindows() {
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    if (canShowWindows())
        QtMessageBox::installItalianTexts();
    if (!MessageBox::isInstalled())
        MessageBox::install(&QtMessageBox::shared());
    if (!FinestraMessaggi::current())
        FinestraMessaggi::install(&MessageWindow::shared());
}

/** Forms need a QApplication and its thread; elsewhere a show returns at once. */
void showForm(FormId id, const char *member) {
    if (!canShowWindows()) {
        qWarning("clsTavoli::%s: no form can be shown without a QApplication on its own thread", member);
        return;
    }
    if (!FormRegistry::show(id))
        qWarning("clsTavoli::%s: the form is not part of this library", member);
}

[[noreturn]] void fail(quint32 code, const QString &text) {
    throw ComError(code, text);
}

void expectArguments(const QVariantList &args, int count, const char *member) {
    if (args.size() != count)
        fail(DISP_E_BADPARAMCOUNT, QStringLiteral("%1 takes %2 argument(s), %3 given")
                                       .arg(QLatin1String(member))
                                       .arg(count)
                                       .arg(args.size()));
}

/** A 32-bit argument: a number or a text holding one; an empty argument counts as 0. */
qint32 toInt32(const QVariant &value, const char *member) {
    if (!value.isValid())
        return 0;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok)
        fail(DISP_E_TYPEMISMATCH, QStringLiteral("%1 expects a 32-bit number").arg(QLatin1String(member)));
    if (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())
        fail(DISP_E_OVERFLOW,
             QStringLiteral("%1: %2 is out of range").arg(QLatin1String(member)).arg(number));
    return static_cast<qint32>(number);
}

/** A text argument: anything that converts to text; an empty argument counts as "". */
QString toText(const QVariant &value, const char *member) {
    if (!value.isValid())
        return QString();
    QVariant copy = value;
    if (!copy.canConvert<QString>() || !copy.convert(QMetaType::fromType<QString>()))
        fail(DISP_E_TYPEMISMATCH, QStringLiteral("%1 expects a text").arg(QLatin1String(member)));
    return copy.toString();
}

} // namespace

bool clsTavoli::supportsInterface(const QUuid &interfaceId) {
    if (interfaceId == InterfaceId || interfaceId == IUnknownId || interfaceId == IDispatchId)
        return true;
    for (const QUuid &earlier : EarlierInterfaceIds) {
        if (interfaceId == earlier)
            return true;
    }
    return false;
}

clsTavoli::clsTavoli(QObject *parent) : QObject(parent) {
    SharedState &state = SharedState::current();
    state.TavoloScelto.clear();
    state.OperazioneScelta = qrvNessunaOperazioneScelta;
    state.ContoSubito = false;
    state.ContoSeparato = false;
    installMessageWindows();
}

clsTavoli::~clsTavoli() = default;

void clsTavoli::setDataBase(std::shared_ptr<dao::Database> database) {
    SharedState::current().DataBase = std::move(database);
}

void clsTavoli::setDataBase(const QSqlDatabase &connection) {
    setDataBase(dao::Database::fromConnection(connection));
}

void clsTavoli::setilPathArchivi(const QString &sPathArchivi) {
    SharedState::current().ilPathArchivi = sPathArchivi;
}

void clsTavoli::setApp_Path(const QString &PercorsoCorrente) {
    SharedState::current().App_Path = PercorsoCorrente;
}

void clsTavoli::setOperazione(qint32 lOperazione) {
    SharedState::current().Operazione = lOperazione;
}

void clsTavoli::ScegliUnTavolo() {
    showForm(FormId::Tavoli, "ScegliUnTavolo");
}

void clsTavoli::Mostra() {
    SharedState &state = SharedState::current();
    state.ContoSubito = false;
    state.ContoSeparato = false;
    showForm(FormId::Tavoli, "Mostra");
}

QString clsTavoli::TavoloScelto() const {
    return SharedState::current().TavoloScelto;
}

void clsTavoli::setilDBMovimenti(std::shared_ptr<dao::Database> vDB) {
    SharedState::current().ilDBMovimenti = std::move(vDB);
}

void clsTavoli::setilDBMovimenti(const QSqlDatabase &connection) {
    setilDBMovimenti(dao::Database::fromConnection(connection));
}

void clsTavoli::setWorkSpace(std::shared_ptr<dao::Workspace> vWrk) {
    SharedState::current().WorkSpace = std::move(vWrk);
}

bool clsTavoli::ContoSubito() const {
    return SharedState::current().ContoSubito;
}

qint32 clsTavoli::Sala() const {
    return SharedState::current().Sala;
}

void clsTavoli::setSala(qint32 laSala) {
    SharedState::current().Sala = laSala;
}

QString clsTavoli::OperazioneScelta() const {
    return QString::number(SharedState::current().OperazioneScelta);
}

void clsTavoli::setTavoloScelto(const QString &ilTavolo) {
    SharedState::current().TavoloScelto = ilTavolo;
}

QString clsTavoli::IdDettSelezionati() const {
    return SharedState::current().IdDettSelezionati;
}

bool clsTavoli::ContoSeparato() const {
    return SharedState::current().ContoSeparato;
}

bool clsTavoli::OrdineDaWeb() const {
    return SharedState::current().OrdineDaWeb;
}

qint32 clsTavoli::TavoliConNomeCliente() const {
    return 0;
}

void clsTavoli::setTavoliConNomeCliente(qint32 flagTavoliConNomeCliente) {
    Q_UNUSED(flagTavoliConNomeCliente)
}

QString clsTavoli::VisualizzaContoSeparatoCliente(qint32 idconto) {
    SharedState &state = SharedState::current();
    state.IdContoCliente = QString::number(idconto);
    state.TavoloScelto = QStringLiteral("999");
    showForm(FormId::ContiSeparati, "VisualizzaContoSeparatoCliente");
    return SharedState::current().IdDettSelezionati;
}

std::shared_ptr<dao::Database> clsTavoli::databaseFrom(const QVariant &value, const char *member) {
    if (value.metaType() == QMetaType::fromType<std::shared_ptr<dao::Database>>())
        return value.value<std::shared_ptr<dao::Database>>();
    if (value.metaType() == QMetaType::fromType<QSqlDatabase>()) {
        try {
            return dao::Database::fromConnection(value.value<QSqlDatabase>());
        } catch (const dao::DaoError &error) {
            fail(E_INVALIDARG, QStringLiteral("%1: %2").arg(QLatin1String(member), error.description()));
        }
    }
    fail(DISP_E_TYPEMISMATCH, QStringLiteral("%1 expects a database handle").arg(QLatin1String(member)));
}

void clsTavoli::putDataBase(const QVariant &vDataBase) {
    setDataBase(databaseFrom(vDataBase, "DataBase"));
}

void clsTavoli::putilPathArchivi(const QVariant &sPathArchivi) {
    setilPathArchivi(toText(sPathArchivi, "ilPathArchivi"));
}

void clsTavoli::putApp_Path(const QVariant &PercorsoCorrente) {
    setApp_Path(toText(PercorsoCorrente, "App_Path"));
}

void clsTavoli::putOperazione(const QVariant &lOperazione) {
    setOperazione(toInt32(lOperazione, "Operazione"));
}

void clsTavoli::putilDBMovimenti(const QVariant &vDB) {
    setilDBMovimenti(databaseFrom(vDB, "ilDBMovimenti"));
}

void clsTavoli::putWorkSpace(const QVariant &vWrk) {
    if (vWrk.metaType() != QMetaType::fromType<std::shared_ptr<dao::Workspace>>())
        fail(DISP_E_TYPEMISMATCH, QStringLiteral("WorkSpace expects a workspace handle"));
    setWorkSpace(vWrk.value<std::shared_ptr<dao::Workspace>>());
}

QVariant clsTavoli::Invoke(qint32 dispid, InvokeKind kind, const QVariantList &args) {
    // Which kinds of access each member has; anything else is "member not found", as for an
    // identifier the interface does not have.
    struct Member {
        qint32 dispid;
        const char *name;
        bool method, get, put;
    };
    static const Member members[] = {
        {DispDataBase, "DataBase", false, false, true},
        {DispilPathArchivi, "ilPathArchivi", false, false, true},
        {DispApp_Path, "App_Path", false, false, true},
        {DispOperazione, "Operazione", false, false, true},
        {DispScegliUnTavolo, "ScegliUnTavolo", true, false, false},
        {DispMostra, "Mostra", true, false, false},
        {DispTavoloScelto, "TavoloScelto", false, true, true},
        {DispilDBMovimenti, "ilDBMovimenti", false, false, true},
        {DispWorkSpace, "WorkSpace", false, false, true},
        {DispContoSubito, "ContoSubito", false, true, false},
        {DispSala, "Sala", false, true, true},
        {DispOperazioneScelta, "OperazioneScelta", false, true, false},
        {DispIdDettSelezionati, "IdDettSelezionati", false, true, false},
        {DispContoSeparato, "ContoSeparato", false, true, false},
        {DispOrdineDaWeb, "OrdineDaWeb", false, true, false},
        {DispTavoliConNomeCliente, "TavoliConNomeCliente", false, true, true},
        {DispVisualizzaContoSeparatoCliente, "VisualizzaContoSeparatoCliente", true, false, false},
    };
    const Member *member = nullptr;
    for (const Member &m : members) {
        if (m.dispid == dispid)
            member = &m;
    }
    if (!member)
        fail(DISP_E_MEMBERNOTFOUND,
             QStringLiteral("no member with dispatch id 0x%1").arg(quint32(dispid), 8, 16, QLatin1Char('0')));
    const bool allowed = (kind == InvokeKind::Method && member->method) ||
                         (kind == InvokeKind::PropertyGet && member->get) ||
                         (kind == InvokeKind::PropertyPut && member->put);
    if (!allowed)
        fail(DISP_E_MEMBERNOTFOUND,
             QStringLiteral("%1 does not have that kind of access").arg(QLatin1String(member->name)));

    const char *name = member->name;
    if (kind == InvokeKind::PropertyPut) {
        expectArguments(args, 1, name);
        const QVariant &value = args.first();
        switch (dispid) {
        case DispDataBase:
            putDataBase(value);
            break;
        case DispilPathArchivi:
            putilPathArchivi(value);
            break;
        case DispApp_Path:
            putApp_Path(value);
            break;
        case DispOperazione:
            putOperazione(value);
            break;
        case DispTavoloScelto:
            setTavoloScelto(toText(value, name));
            break;
        case DispilDBMovimenti:
            putilDBMovimenti(value);
            break;
        case DispWorkSpace:
            putWorkSpace(value);
            break;
        case DispSala:
            setSala(toInt32(value, name));
            break;
        case DispTavoliConNomeCliente:
            setTavoliConNomeCliente(toInt32(value, name));
            break;
        default:
            break;
        }
        return QVariant();
    }

    if (dispid == DispVisualizzaContoSeparatoCliente) {
        expectArguments(args, 1, name);
        return VisualizzaContoSeparatoCliente(toInt32(args.first(), name));
    }
    expectArguments(args, 0, name);
    switch (dispid) {
    case DispScegliUnTavolo:
        ScegliUnTavolo();
        return QVariant();
    case DispMostra:
        Mostra();
        return QVariant();
    case DispTavoloScelto:
        return TavoloScelto();
    case DispContoSubito:
        return ContoSubito();
    case DispSala:
        return Sala();
    case DispOperazioneScelta:
        return OperazioneScelta();
    case DispIdDettSelezionati:
        return IdDettSelezionati();
    case DispContoSeparato:
        return ContoSeparato();
    case DispOrdineDaWeb:
        return OrdineDaWeb();
    case DispTavoliConNomeCliente:
        return TavoliConNomeCliente();
    default:
        return QVariant();
    }
}

} // namespace qrv
