#pragma once

#include "core/settings/HostCodes.h"

#include <QString>
#include <memory>

namespace qrv {

namespace dao {
class Database;
class Workspace;
} // namespace dao

/**
 * The values shared by clsTavoli and every form: one set per host thread. Every clsTavoli
 * object of a thread is a view onto the same set.
 */
struct SharedState {
    std::shared_ptr<dao::Database> DataBase;
    std::shared_ptr<dao::Database> ilDBMovimenti;
    std::shared_ptr<dao::Workspace> WorkSpace;
    QString ilPathArchivi;
    QString App_Path;
    qint32 Operazione = 0;
    QString TavoloScelto;
    QString IdContoCliente;
    qint32 OperazioneScelta = qrvNessunaOperazioneScelta;
    bool ContoSubito = false;
    bool ContoSeparato = false;
    qint32 Sala = 0;
    QString IdDettSelezionati;
    bool OrdineDaWeb = false;
    QString SalaInModifica;
    qint16 ModoSala = 0;
    // Twips on the floor; wider than 16 bits so that a wide screen cannot overflow them.
    qint32 TopNuovoTavolo = 0;
    qint32 LeftNuovoTavolo = 0;
    QString NumeroTavoloDati;
    QString DescrizioneTavoloDati;

    /** The calling thread's set, created on first use. */
    static SharedState &current();
};

} // namespace qrv
