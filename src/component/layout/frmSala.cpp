#include "component/layout/frmSala.h"

#include "component/FormRegistry.h"
#include "component/layout/FormLook.h"
#include "component/platform/TouchKeyboard.h"
#include "component/platform/Twips.h"
#include "component/tablemap/MapLook.h"
#include "core/data/Lookups.h"
#include "core/data/MessageBox.h"
#include "core/layout/BackgroundImages.h"
#include "core/layout/RoomPalette.h"
#include "core/settings/SharedState.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace qrv {

namespace {
constexpr int FormWidth = 9570;
constexpr int FormHeight = 7680;
constexpr int DescrizioneLength = 50;

[[maybe_unused]] const bool registered = FormRegistry::registerForm(FormId::Sala, [] { frmSala::mostra(); });
} // namespace

frmSala::frmSala(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSala"));
    setWindowTitle(QStringLiteral("Sala"));
    setModal(true);
    setFixedSize(px(FormWidth), px(FormHeight));

    m_lblTitolo = FormLook::label(this, "lblTitolo", QString(), 120, 120, 8500, 555, 16, true);
    FormLook::label(this, "lblDescrizione", QStringLiteral("Descrizione"), 240, 795, 2880, 420, 12, false);
    m_txtDescrizione = FormLook::textBox(this, "txtDescrizione", 3165, 795, 5700, 420);
    FormLook::label(this, "lblSfondi", QStringLiteral("Immagine di sfondo"), 240, 1500, 2880, 420, 12, false);
    m_cboSfondi = new QComboBox(this);
    m_cboSfondi->setObjectName(QStringLiteral("cboSfondi"));
    m_cboSfondi->setEditable(true);
    m_cboSfondi->setInsertPolicy(QComboBox::NoInsert);
    m_cboSfondi->setFont(QFont(QStringLiteral("Arial"), 12));
    m_cboSfondi->setGeometry(pxRect(3180, 1500, 5670, 420));

    m_cmdColore = FormLook::button(this, "cmdColore", QStringLiteral("Colore di sfondo"), 3540, 2310, 1800,
                                   915, QColor(0xFF, 0xFF, 0x00));
    m_cmdCancella = FormLook::button(this, "cmdCancella", QStringLiteral("Cancella"), 5595, 2310, 1800, 915,
                                     QColor(0xFF, 0x80, 0x80));
    m_cmdSalva = FormLook::button(this, "cmdSalva", QStringLiteral("Salva"), 7635, 2310, 1800, 915,
                                  QColor(0x80, 0xFF, 0x80));
    m_cmdSpegni = FormLook::closeButton(this, FormWidth, 780, 495);

    buildPalette();

    m_tastiera = new TouchKeyboard(this);
    m_tastiera->setObjectName(QStringLiteral("ctlTastiera2"));
    m_tastiera->setGeometry(pxRect(105, 3480, 9330, 4080));

    connect(m_cmdColore, &QPushButton::clicked, this, &frmSala::cmdColore_Click);
    connect(m_cmdCancella, &QPushButton::clicked, this, &frmSala::cmdCancella_Click);
    connect(m_cmdSalva, &QPushButton::clicked, this, &frmSala::cmdSalva_Click);
    connect(m_cmdSpegni, &QPushButton::clicked, this, &frmSala::cmdSpegni_Click);
}

void frmSala::buildPalette() {
    // The palette covers the fields and buttons above it while it is open.
    m_fraColore = new QGroupBox(QStringLiteral("Colore di sfondo"), this);
    m_fraColore->setObjectName(QStringLiteral("fraColore"));
    m_fraColore->setGeometry(pxRect(0, -15, FormWidth, 3450));
    m_fraColore->setAutoFillBackground(true);
    for (const PaletteSwatch &swatch : paletteSwatches()) {
        auto *pic = new QPushButton(m_fraColore);
        pic->setObjectName(QStringLiteral("picColore(%1)").arg(swatch.index));
        pic->setGeometry(pxRect(swatch.left, swatch.top, SwatchWidth, SwatchHeight));
        pic->setFocusPolicy(Qt::NoFocus);
        MapLook::setButtonColour(pic, QColor::fromRgb(swatch.rgb));
        const int index = swatch.index;
        connect(pic, &QPushButton::clicked, this, [this, index] { picColore_Click(index); });
        m_picColore.append(pic);
    }
    m_cmdAnnullaColore = FormLook::button(m_fraColore, "cmdAnnullaColore", QStringLiteral("Annulla"), 7200,
                                          2400, 2040, 840, QColor(0xE0, 0xE0, 0xE0));
    connect(m_cmdAnnullaColore, &QPushButton::clicked, this, &frmSala::cmdAnnullaColore_Click);
    m_fraColore->hide();
}

QPushButton *frmSala::picColore(int index) const {
    return index >= 0 && index < m_picColore.size() ? m_picColore.at(index) : nullptr;
}

frmSala *frmSala::current() {
    thread_local QPointer<frmSala> form;
    if (!form)
        form = new frmSala;
    return form;
}

void frmSala::mostra() {
    frmSala *form = current();
    form->Form_Load();
    form->exec();
}

void frmSala::Form_Load() {
    const SharedState &shared = SharedState::current();
    m_fraColore->hide();
    FormLook::markInvalid(m_txtDescrizione, false);
    FormLook::markInvalid(m_cboSfondi, false);
    m_cboSfondi->clear();
    m_cboSfondi->addItems(listBackgroundImages(shared.App_Path));
    m_cboSfondi->setCurrentIndex(-1);
    m_cboSfondi->setEditText(QString());
    m_txtDescrizione->setMaxLength(DescrizioneLength);
    m_txtDescrizione->clear();
    m_coloreScelto = 0;

    if (shared.SalaInModifica.isEmpty() || shared.ModoSala == 1) {
        m_lblTitolo->setText(QStringLiteral("INSERIMENTO NUOVA SALA"));
        m_room.openNew();
        m_cmdCancella->setEnabled(false);
    } else {
        m_lblTitolo->setText(QStringLiteral("AGGIORNAMENTO SALA"));
        m_cmdCancella->setEnabled(true);
        if (m_room.openExisting(shared.SalaInModifica)) {
            FormLook::setLimitedText(m_txtDescrizione, m_room.descrizione(), DescrizioneLength);
            m_cboSfondi->setEditText(m_room.sfondo());
            m_coloreScelto = m_room.coloreSfondo();
            m_lblTitolo->setText(QStringLiteral("AGGIORNAMENTO SALA ") + m_room.descrizione());
        }
    }
    m_txtDescrizione->setFocus();
}

void frmSala::cmdSalva_Click() {
    const QString descrizione = m_txtDescrizione->text().trimmed();
    if (descrizione.isEmpty() || FormLook::holdsNul(descrizione)) {
        Avviso(descrizione.isEmpty() ? QStringLiteral("Compilare descrizione sala") : FormLook::nulNotice(),
               1, 0, 1, true);
        FormLook::markInvalid(m_txtDescrizione, true);
        m_txtDescrizione->setFocus();
        return;
    }
    const QString sfondo = m_cboSfondi->currentText().trimmed();
    if (!isSafeImageName(sfondo)) {
        // Images come only from SfondiSale: no path may lead the map elsewhere.
        Avviso(QStringLiteral("Immagine di sfondo non valida: scegliere un file della cartella SfondiSale"),
               1, 0, 1, true);
        FormLook::markInvalid(m_cboSfondi, true);
        m_cboSfondi->setFocus();
        return;
    }
    switch (m_room.save(descrizione, sfondo, m_coloreScelto)) {
    case RoomEdit::SaveResult::Saved:
        accept();
        return;
    case RoomEdit::SaveResult::RoomGone:
        Avviso(QStringLiteral("La sala è stata cancellata da un'altra postazione: modifiche non salvate"), 1,
               0, 1, true);
        reject();
        return;
    case RoomEdit::SaveResult::Failed:
        return; // already reported; the operator may try again or close
    }
}

void frmSala::cmdCancella_Click() {
    if (m_room.isNew())
        return;
    const int answer = MsgBox(QStringLiteral("Cancellare la sala ?"),
                              MessageBox::vbYesNo + MessageBox::vbInformation, QString());
    if (answer != MessageBox::vbYes)
        return;
    if (RoomEdit::deleteRoom(SharedState::current().SalaInModifica))
        accept();
}

void frmSala::cmdSpegni_Click() {
    reject();
}

void frmSala::cmdColore_Click() {
    m_fraColore->show();
    m_fraColore->raise();
}

void frmSala::cmdAnnullaColore_Click() {
    m_fraColore->hide();
}

void frmSala::picColore_Click(int index) {
    if (index < 0 || index >= PaletteSwatchCount)
        return;
    m_coloreScelto = storedColour(paletteSwatches()[static_cast<size_t>(index)].rgb);
    m_fraColore->hide();
}

void frmSala::done(int result) {
    m_room.close(); // the rows are not kept while the form is hidden
    QDialog::done(result);
}

} // namespace qrv
