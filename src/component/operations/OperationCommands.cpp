#include "component/operations/OperationCommands.h"

#include "component/FormRegistry.h"
#include "component/tablemap/MapActions.h"
#include "component/tablemap/ReceiptPanel.h"
#include "component/tablemap/RoomBar.h"
#include "component/tablemap/TableFloor.h"
#include "core/data/Lookups.h"
#include "core/settings/SharedState.h"

#include <QPushButton>

namespace qrv {

OperationCommands::OperationCommands(MapActions &map, RoomBar *rooms, TableFloor *floor,
                                     ReceiptPanel *receipt, QObject *parent)
    : QObject(parent)
    , m_map(map)
    , m_floor(floor) {
    const auto bind = [this](QPushButton *button, void (OperationCommands::*handler)()) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    bind(receipt->cmdNuovoConto(), &OperationCommands::cmdNuovoConto_Click);
    bind(receipt->cmdNuovoContoWeb(), &OperationCommands::cmdNuovoContoWeb_Click);
    bind(receipt->cmdAggiungiOrdine(), &OperationCommands::cmdAggiungiOrdine_Click);
    bind(receipt->cmdContoSubito(), &OperationCommands::cmdContoSubito_Click);
    bind(receipt->cmdPortaAlBanco(), &OperationCommands::cmdPortaAlBanco_Click);
    bind(receipt->cmdPreconto(), &OperationCommands::cmdPreconto_Click);
    bind(receipt->cmdContiSeparati(), &OperationCommands::cmdContiSeparati_Click);
    bind(rooms->cmdBancoTavoli(), &OperationCommands::cmdBancoTavoli_Click);
}

QString OperationCommands::codice() const {
    return m_floor->tag(m_map.state().IndiceTavoloSelezionato);
}

bool OperationCommands::refusedInConsultation(const QString &codice) const {
    // Read again: another till may have billed the table since it was shown.
    const bool occupato = TavoloOccupato(codice);
    if (SharedState::current().Operazione == qrvConsultaTavolo && !occupato) {
        Avviso(QStringLiteral("Il tavolo non ha conti in sospeso"), 2, 0, 1, true);
        return true;
    }
    return false;
}

void OperationCommands::choose(const QString &tavolo, qint32 operazione, std::optional<bool> contoSubito,
                               std::optional<bool> contoSeparato, std::optional<bool> ordineDaWeb) {
    SharedState &s = SharedState::current();
    s.TavoloScelto = tavolo;
    s.OperazioneScelta = operazione;
    if (contoSubito)
        s.ContoSubito = *contoSubito;
    if (contoSeparato)
        s.ContoSeparato = *contoSeparato;
    if (ordineDaWeb)
        s.OrdineDaWeb = *ordineDaWeb;
}

void OperationCommands::cmdNuovoConto_Click() {
    choose(codice(), qrvContoNuovoTavolo, false, false, false);
    m_map.finish();
}

void OperationCommands::cmdNuovoContoWeb_Click() {
    choose(codice(), qrvContoNuovoTavolo, false, false, true);
    m_map.finish();
}

void OperationCommands::cmdAggiungiOrdine_Click() {
    choose(codice(), qrvContoNuovoTavolo, false, false);
    m_map.finish();
}

void OperationCommands::cmdContoSubito_Click() {
    choose(codice(), qrvFaiContoTavolo, true, false);
    m_map.finish();
}

void OperationCommands::cmdPortaAlBanco_Click() {
    const QString tavolo = codice();
    if (refusedInConsultation(tavolo))
        return;
    choose(tavolo, qrvFaiContoTavolo, false, false);
    m_map.finish();
}

void OperationCommands::cmdPreconto_Click() {
    const QString tavolo = codice();
    if (refusedInConsultation(tavolo))
        return;
    choose(tavolo, qrvPrecontoTavolo);
    m_map.finish();
}

void OperationCommands::cmdContiSeparati_Click() {
    choose(codice(), qrvFaiContoTavolo, true, true);
    SharedState &s = SharedState::current();
    // Without the screen nothing was chosen: the host must not bill a selection that was never made.
    if (!FormRegistry::show(FormId::ContiSeparati))
        s.ContoSeparato = false;
    if (s.ContoSeparato)
        m_map.finish();
    else
        m_map.MostraScontrino(s.TavoloScelto);
}

void OperationCommands::cmdBancoTavoli_Click() {
    choose(QString(), qrvNessunaOperazioneScelta);
    m_map.finish();
}

} // namespace qrv
