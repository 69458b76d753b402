#pragma once

#include <QString>
#include <QVector>

namespace qrv {

/** Look of one room of the room bar, indexed like cmdSala. */
struct DatiSala {
    QString Sfondo;          ///< image file name inside SfondiSale, "" for none
    qint32 ColoreSfondo = 0; ///< 0x00BBGGRR; below 1 means the default grey
};

/**
 * The map's own values, kept by the form object between shows but set again by every load.
 * Room codes are kept wider than 16 bits so that a large Codice cannot wrap.
 */
struct TavoliFormState {
    qint16 UltimoBottoneFisso = 17;     ///< buttons up to this index are never destroyed
    bool GiaAttivato = false;           ///< the first activation of this load has run
    qint32 SalaCorrente = 0;            ///< Codice of the room on show
    qint16 IndiceSalaCorrente = 0;      ///< its index in the room bar and in DatiSale
    qint16 IndiceTavoloSelezionato = 0; ///< the touched table button
    qint32 ArticoloAggiunta = 0;        ///< article of the quick-add button; below 1 none
    QVector<DatiSala> DatiSale;         ///< one entry per room button
    int TavoloLampeggiante = -1;        ///< the blinking button, -1 for none
    qint16 LampeggiRestanti = 0;        ///< blink ticks still to run
};

} // namespace qrv
