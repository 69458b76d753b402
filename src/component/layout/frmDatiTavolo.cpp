#include "component/layout/frmDatiTavolo.h"

#include "component/FormRegistry.h"
#include "component/layout/FormLook.h"
#include "component/platform/TouchKeyboard.h"
#include "component/platform/Twips.h"
#include "core/data/Lookups.h"
#include "core/layout/TableNumber.h"
#include "core/settings/SharedState.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace qrv {

namespace {
constexpr int FormWidth = 9570;
constexpr int FormHeight = 6795;
constexpr int NumeroLength = 3;
constexpr int DescrizioneLength = 50;

[[maybe_unused]] const bool registered = FormRegistry::registerForm(
    FormId::DatiTavolo, [] { frmDatiTavolo::mostra(frmDatiTavolo::Opening::FromData); });
} // namespace

frmDatiTavolo::frmDatiTavolo(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDatiTavolo"));
    setWindowTitle(QStringLiteral("Tavolo"));
    setModal(true);
    setFixedSize(px(FormWidth), px(FormHeight));

    m_lblTitolo = FormLook::label(this, "lblTitolo", QString(), 120, 120, 7200, 600, 20, true);
    FormLook::label(this, "lblNumero", QStringLiteral("Numero del tavolo"), 240, 825, 2880, 420, 12, false);
    m_txtNumero = FormLook::textBox(this, "txtNumero", 3195, 825, 5700, 420);
    FormLook::label(this, "lblDescrizione", QStringLiteral("Descrizione"), 240, 1380, 2880, 420, 12, false);
    m_txtDescrizione = FormLook::textBox(this, "txtDescrizione", 3195, 1380, 5700, 420);
    m_cmdSalva = FormLook::button(this, "cmdSalva", QStringLiteral("Salva"), 7635, 2010, 1800, 915,
                                  QColor(0x80, 0xFF, 0x80));
    m_cmdSpegni = FormLook::closeButton(this, FormWidth, 780, 495);
    m_tastiera = new TouchKeyboard(this);
    m_tastiera->setObjectName(QStringLiteral("ctlTastiera2"));
    m_tastiera->setGeometry(pxRect(120, 3195, 9330, 3480));

    connect(m_cmdSalva, &QPushButton::clicked, this, &frmDatiTavolo::cmdSalva_Click);
    connect(m_cmdSpegni, &QPushButton::clicked, this, &frmDatiTavolo::cmdSpegni_Click);
}

frmDatiTavolo *frmDatiTavolo::current() {
    thread_local QPointer<frmDatiTavolo> form;
    if (!form)
        form = new frmDatiTavolo;
    return form;
}

void frmDatiTavolo::mostra(Opening how) {
    frmDatiTavolo *form = current();
    form->Form_Load(how);
    form->exec();
}

void frmDatiTavolo::Form_Load(Opening how) {
    const SharedState &shared = SharedState::current();
    const bool existing =
        how == Opening::ExistingTable || (how == Opening::FromData && !shared.NumeroTavoloDati.isEmpty());
    FormLook::markInvalid(m_txtNumero, false);
    FormLook::markInvalid(m_txtDescrizione, false);
    if (existing) {
        const QString numero = formatNumeroTavolo(shared.NumeroTavoloDati);
        FormLook::setLimitedText(m_txtNumero, numero, NumeroLength);
        m_txtNumero->setEnabled(false);
        m_lblTitolo->setText(QStringLiteral("TAVOLO ") + numero);
    } else {
        FormLook::setLimitedText(m_txtNumero, QString(), NumeroLength);
        m_txtNumero->setEnabled(true);
        m_lblTitolo->setText(QStringLiteral("NUOVO TAVOLO"));
    }
    FormLook::setLimitedText(m_txtDescrizione, shared.DescrizioneTavoloDati, DescrizioneLength);
    (existing ? m_txtDescrizione : m_txtNumero)->setFocus();
}

void frmDatiTavolo::refuse(QLineEdit *box, const QString &notice) {
    Avviso(notice, 2, 0, 1, true);
    FormLook::markInvalid(box, true);
    box->setFocus();
}

void frmDatiTavolo::refuseNumber(const QString &notice) {
    refuse(m_txtNumero, notice);
}

void frmDatiTavolo::cmdSalva_Click() {
    for (QLineEdit *box : {m_txtNumero, m_txtDescrizione}) {
        if (FormLook::holdsNul(box->text())) {
            refuse(box, FormLook::nulNotice());
            return;
        }
    }
    const QString numero = m_txtNumero->text().trimmed();
    if (numero.isEmpty()) {
        refuseNumber(QStringLiteral("Compilare il numero del tavolo!"));
        return;
    }
    m_txtNumero->setText(numero);
    if (numero.size() > NumeroLength) {
        refuseNumber(QStringLiteral("Lunghezza massima 3 caratteri"));
        return;
    }
    SharedState &shared = SharedState::current();
    shared.NumeroTavoloDati = numero;
    shared.DescrizioneTavoloDati = m_txtDescrizione->text().trimmed();
    accept();
}

void frmDatiTavolo::cmdSpegni_Click() {
    reject();
}

} // namespace qrv
