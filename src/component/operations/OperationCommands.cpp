#include "component/operations/OperationCommands.h"

#include "component/FormRegistry.h"
#include "component/frmTavoli.h"
#include "core/data/Lookups.h"
#include "core/settings/SharedState.h"

#include <QPushButton>

namespace qrv {

OperationCommands::OperationCommands(frmTavoli *form) : QObject(form), m_form(form) {
    const auto bind = [this](QPushButton *button, void (OperationCommands::*handler)()) {
        connect(button, &QPushButton::clicked, this, handler);
    };
    bind(form->cmdNuovoConto(), &OperationCommands::cmdNuovoConto_Click);
    bind(form->cmdNuovoContoWeb(), &OperationCommands::cmdNuovoContoWeb_Click);
    bind(form->cmdAggiungiOrdine(), &OperationCommands::cmdAggiungiOrdine_Click);
    bind(form->cmdContoSubito(), &OperationCommands::cmdContoSubito_Click);
    bind(form->cmdPortaAlBanco(), &OperationCommands::cmdPortaAlBanco_Click);
    bind(form->cmdPreconto(), &OperationCommands::cmdPreconto_Click);
    bind(form->cmdContiSeparati(), &OperationCommands::cmdContiSeparati_Click);
    bind(form->cmdBancoTavoli(), &OperationCommands::cmdBancoTavoli_Click);
}

QString OperationCommands::codice() const {
    return m_form->tagTavolo(m_form->state().IndiceTavoloSelezionato);
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
    m_form->finish();
}

void OperationCommands::cmdNuovoContoWeb_Click() {
    choose(codice(), qrvContoNuovoTavolo, false, false, true);
    m_form->finish();
}

void OperationCommands::cmdAggiungiOrdine_Click() {
    choose(codice(), qrvContoNuovoTavolo, false, false);
    m_form->finish();
}

void OperationCommands::cmdContoSubito_Click() {
    choose(codice(), qrvFaiContoTavolo, true, false);
    m_form->finish();
}

void OperationCommands::cmdPortaAlBanco_Click() {
    const QString tavolo = codice();
    if (refusedInConsultation(tavolo))
        return;
    choose(tavolo, qrvFaiContoTavolo, false, false);
    m_form->finish();
}

void OperationCommands::cmdPreconto_Click() {
    const QString tavolo = codice();
    if (refusedInConsultation(tavolo))
        return;
    choose(tavolo, qrvPrecontoTavolo);
    m_form->finish();
}

void OperationCommands::cmdContiSeparati_Click() {
    choose(codice(), qrvFaiContoTavolo, true, true);
    SharedState &s = SharedState::current();
    // Without the screen nothing was chosen: the host must not bill a selection that was never made.
    if (!FormRegistry::show(FormId::ContiSeparati))
        s.ContoSeparato = false;
    if (s.ContoSeparato)
        m_form->finish();
    else
        m_form->MostraScontrino(s.TavoloScelto);
}

void OperationCommands::cmdBancoTavoli_Click() {
    choose(QString(), qrvNessunaOperazioneScelta);
    m_form->finish();
}

} // namespace qrv
