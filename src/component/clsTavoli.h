#pragma once

#include "component/ComError.h"
#include "component/qrvtavoli_export.h"
#include "core/settings/HostCodes.h"

#include <QObject>
#include <QSqlDatabase>
#include <QUuid>
#include <QVariant>
#include <QVariantList>
#include <memory>

namespace qrv {

namespace dao {
class Database;
class Workspace;
} // namespace dao

/**
 * The component's only creatable class: the host's way in.
 *
 * Every property is a view onto the calling thread's SharedState, so all clsTavoli objects of a
 * thread (and every form) see the same values. Creating an object resets TavoloScelto to "",
 * OperazioneScelta to 3 and both bill flags to false for every object of the thread; nothing else.
 *
 * Early binding: the C++ members below, in the order of the interface. Late binding: the same
 * members as Qt properties and invokables of the same names, and Invoke() by dispatch identifier.
 * In the late-bound path the database and second-database properties take a QVariant holding a
 * std::shared_ptr<dao::Database> or a QSqlDatabase, the workspace property one holding a
 * std::shared_ptr<dao::Workspace>; anything else fails with ComError (DISP_E_TYPEMISMATCH) and
 * the previous value stays.
 */
class QRVTAVOLI_EXPORT clsTavoli : public QObject {
    Q_OBJECT
    // The write-only members are QVariant properties whose reading yields an invalid QVariant, as
    // for a property that does not exist: moc marks a property without READ invalid. Assigning them
    // converts as Invoke does and throws ComError for a value that does not convert.
    Q_PROPERTY(QVariant DataBase READ noValue WRITE putDataBase)
    Q_PROPERTY(QVariant ilPathArchivi READ noValue WRITE putilPathArchivi)
    Q_PROPERTY(QVariant App_Path READ noValue WRITE putApp_Path)
    Q_PROPERTY(QVariant Operazione READ noValue WRITE putOperazione)
    Q_PROPERTY(QString TavoloScelto READ TavoloScelto WRITE setTavoloScelto)
    Q_PROPERTY(QVariant ilDBMovimenti READ noValue WRITE putilDBMovimenti)
    Q_PROPERTY(QVariant WorkSpace READ noValue WRITE putWorkSpace)
    Q_PROPERTY(bool ContoSubito READ ContoSubito)
    Q_PROPERTY(qint32 Sala READ Sala WRITE setSala)
    Q_PROPERTY(QString OperazioneScelta READ OperazioneScelta)
    Q_PROPERTY(QString IdDettSelezionati READ IdDettSelezionati)
    Q_PROPERTY(bool ContoSeparato READ ContoSeparato)
    Q_PROPERTY(bool OrdineDaWeb READ OrdineDaWeb)
    Q_PROPERTY(qint32 TavoliConNomeCliente READ TavoliConNomeCliente WRITE setTavoliConNomeCliente)

public:
    /** The kind of access of a call by dispatch identifier. */
    enum class InvokeKind { Method, PropertyGet, PropertyPut };
    Q_ENUM(InvokeKind)

    /** Dispatch identifiers of the interface's members. */
    enum DispId : qint32 {
        DispTavoloScelto = 0x68030000,
        DispOperazione = 0x68030001,
        DispApp_Path = 0x68030002,
        DispilPathArchivi = 0x68030003,
        DispDataBase = 0x68030004,
        DispScegliUnTavolo = 0x60030005,
        DispMostra = 0x60030006,
        DispSala = 0x68030007,
        DispContoSubito = 0x68030008,
        DispWorkSpace = 0x68030009,
        DispilDBMovimenti = 0x6803000a,
        DispOperazioneScelta = 0x6803000b,
        DispIdDettSelezionati = 0x6803000c,
        DispContoSeparato = 0x6803000d,
        DispOrdineDaWeb = 0x6803000e,
        DispTavoliConNomeCliente = 0x6803000f,
        DispVisualizzaContoSeparatoCliente = 0x60030010,
    };

    /** The class identifier. */
    static const QUuid ClassId;
    /** The identifier of the current interface _clsTavoli. */
    static const QUuid InterfaceId;
    /** The identifiers of the seven earlier versions of the interface, oldest first. */
    static const QUuid EarlierInterfaceIds[7];
    /** The identifier of the type library (version 2.8) that describes the class and its enums. */
    static const QUuid TypeLibraryId;

    /**
     * True for the current interface, the seven earlier ones, and the two every object answers to
     * (IUnknown and IDispatch); false for anything else, the class identifier included.
     */
    static bool supportsInterface(const QUuid &interfaceId);

    explicit clsTavoli(QObject *parent = nullptr);
    ~clsTavoli() override;

    // The members of _clsTavoli, in interface order.

    /** The database every form queries; a null pointer releases it. */
    void setDataBase(std::shared_ptr<dao::Database> database);
    /** The same, wrapping a connection the host opened; throws dao::DaoError when it is not open. */
    void setDataBase(const QSqlDatabase &connection);
    /** The shared archive folder, without trailing separator. */
    void setilPathArchivi(const QString &sPathArchivi);
    /** The application folder, without trailing separator. */
    void setApp_Path(const QString &PercorsoCorrente);
    /** The context, a ContestoqrvTavoli value. */
    void setOperazione(qint32 lOperazione);
    /**
     * Shows the table map modally and returns when it closes. Returns at once when no table-map
     * form is part of the library or there is no QApplication.
     */
    Q_INVOKABLE void ScegliUnTavolo();
    /** Clears ContoSubito and ContoSeparato, then shows the table map as ScegliUnTavolo does. */
    Q_INVOKABLE void Mostra();
    /** The chosen table's Codice as text, "" for none, "999" after a client bill. */
    QString TavoloScelto() const;
    /** The second database handle, kept only. */
    void setilDBMovimenti(std::shared_ptr<dao::Database> vDB);
    void setilDBMovimenti(const QSqlDatabase &connection);
    /** The workspace whose transactions the move of an order uses. */
    void setWorkSpace(std::shared_ptr<dao::Workspace> vWrk);
    /** */
    bool ContoSubito() const;
    /** The room to open, and after a show the room that was on show. */
    qint32 Sala() const;
    /** */
    void setSala(qint32 laSala);
    /** The chosen operation, an OperazioneSceltaTavoli value, as decimal text ("1" to "4"). */
    QString OperazioneScelta() const;
    /** A table Codice to preselect when the map first appears; "" preselects nothing. */
    void setTavoloScelto(const QString &ilTavolo);
    /** */
    QString IdDettSelezionati() const;
    /** */
    bool ContoSeparato() const;
    /** True when the last new order was a web order. */
    bool OrdineDaWeb() const;
    /** Always 0. */
    qint32 TavoliConNomeCliente() const;
    /** Accepted and ignored. */
    void setTavoliConNomeCliente(qint32 flagTavoliConNomeCliente);
    /**
     * Opens the separate-bill screen for the client bill whose table Codice is idconto: sets
     * IdContoCliente and TavoloScelto "999" (which stays), shows the screen modally and returns
     * IdDettSelezionati when it closes. With no separate-bill form in the library (or no
     * QApplication) the screen is skipped and the current IdDettSelezionati is returned at once.
     */
    Q_INVOKABLE QString VisualizzaContoSeparatoCliente(qint32 idconto);

    // Late-bound assignments of the write-only members (the Qt properties and Invoke use them).

    /** Accepts std::shared_ptr<dao::Database> or an open QSqlDatabase; throws ComError otherwise. */
    void putDataBase(const QVariant &vDataBase);
    /** Accepts anything that converts to text; throws ComError otherwise. */
    void putilPathArchivi(const QVariant &sPathArchivi);
    void putApp_Path(const QVariant &PercorsoCorrente);
    /** Accepts a number or a text holding one; throws ComError otherwise. */
    void putOperazione(const QVariant &lOperazione);
    void putilDBMovimenti(const QVariant &vDB);
    /** Accepts std::shared_ptr<dao::Workspace>; throws ComError otherwise. */
    void putWorkSpace(const QVariant &vWrk);

    /**
     * Calls a member by dispatch identifier. args holds the parameters of a method, or the one
     * value of a property assignment. Returns the result of a getter or method, an invalid
     * QVariant for an assignment or a method without result. Throws ComError:
     * DISP_E_MEMBERNOTFOUND for an unknown identifier or a kind of access the member does not
     * have, DISP_E_BADPARAMCOUNT for a wrong number of arguments, DISP_E_TYPEMISMATCH or
     * DISP_E_OVERFLOW for an argument that does not convert; a failed assignment keeps the
     * previous value.
     */
    QVariant Invoke(qint32 dispid, InvokeKind kind, const QVariantList &args = {});

private:
    QVariant noValue() const { return QVariant(); }
    static std::shared_ptr<dao::Database> databaseFrom(const QVariant &value, const char *member);
};

} // namespace qrv

Q_DECLARE_METATYPE(std::shared_ptr<qrv::dao::Database>)
Q_DECLARE_METATYPE(std::shared_ptr<qrv::dao::Workspace>)
