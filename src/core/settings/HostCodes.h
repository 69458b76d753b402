#pragma once

// The codes a host passes to the component and reads back from it.

#include <QtGlobal>

namespace qrv {

/** What the host puts into Operazione. */
enum ContestoqrvTavoli : qint32 {
    qrvScegliUnTavolo = 1, ///< ordinary service: choose a table and an operation
    qrvAggiornaTavoli = 2, ///< layout editing
    qrvConsultaTavolo = 3, ///< consultation
};

/** What the host reads from OperazioneScelta. */
enum OperazioneSceltaTavoli : qint32 {
    qrvFaiContoTavolo = 1,
    qrvContoNuovoTavolo = 2,
    qrvNessunaOperazioneScelta = 3,
    qrvPrecontoTavolo = 4,
};

} // namespace qrv
