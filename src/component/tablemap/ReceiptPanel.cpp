#include "component/tablemap/ReceiptPanel.h"

#include "component/platform/Grid.h"
#include "component/tablemap/MapLook.h"
#include "core/data/LinesWithArticles.h"
#include "core/data/Lookups.h"
#include "core/data/clsRecordset.h"
#include "core/data/dao/Recordset.h"
#include "core/settings/SharedState.h"
#include "core/tablemap/MapFormats.h"
#include "core/tablemap/MapRows.h"
#include "core/tablemap/ReceiptRows.h"

#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace qrv {

namespace {
const QColor Lilac(0xC0, 0xC0, 0xFF);
}

ReceiptPanel::ReceiptPanel(QWidget *parent) : QFrame(parent) {
    setObjectName(QStringLiteral("frxScontrino"));
    MapLook::setBackground(this, QColor(0xE0, 0xE0, 0xE0));

    m_titolo = new QLabel(this);
    m_titolo->setObjectName(QStringLiteral("lblTavoloAnteprima"));
    m_titolo->setFont(MapLook::arialBold(18));
    MapLook::place(m_titolo, 60, 90, 3315, 525);

    m_azzeraTavolo =
        command("cmdAzzeraTavolo", QStringLiteral("Svuota"), 3375, 45, 1230, 615, QColor(0xFF, 0x80, 0x80));

    m_grid = new Grid(this);
    m_grid->setObjectName(QStringLiteral("gridScontrino"));
    MapLook::place(m_grid, 45, 705, 3810, 5565);
    m_grid->setFont(MapLook::arialBold(11.25));
    m_grid->setCols(4);
    m_grid->setColWidthTwips(0, 405);
    m_grid->setColWidthTwips(1, 2700);
    m_grid->setColWidthTwips(2, 1260);
    // The line ID is for the commands, not for the operator.
    m_grid->setColumnHidden(3, true);

    m_paginaSu = new QPushButton(this);
    m_paginaSu->setObjectName(QStringLiteral("cmdPaginaSu"));
    m_paginaSu->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    m_paginaSu->setIconSize(QSize(32, 32));
    MapLook::place(m_paginaSu, 3870, 690, 735, 2805);
    m_paginaGiu = new QPushButton(this);
    m_paginaGiu->setObjectName(QStringLiteral("cmdPaginaGiu"));
    m_paginaGiu->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    m_paginaGiu->setIconSize(QSize(32, 32));
    MapLook::place(m_paginaGiu, 3870, 3510, 735, 2760);

    auto *caption = new QLabel(QStringLiteral("Totale"), this);
    caption->setObjectName(QStringLiteral("lblEtichettaTotale"));
    caption->setFont(MapLook::arialBold(12));
    MapLook::place(caption, 1605, 6345, 915, 345);

    m_totale = new QLabel(this);
    m_totale->setObjectName(QStringLiteral("lblTotale"));
    m_totale->setFont(MapLook::arialBold(14.25));
    m_totale->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    MapLook::place(m_totale, 2490, 6315, 1365, 390);

    m_cancSelezionato = command("cmdCancSelezionato", QStringLiteral("Cancella riga selezionata"), 15, 6660,
                                4590, 600, QColor(0xFF, 0xC0, 0xC0));
    m_aggiungiOrdine =
        command("cmdAggiungiOrdine", QStringLiteral("AGGIUNGI ORDINE"), 0, 7260, 2295, 960, Lilac);
    m_sposta = command("cmdSposta", QStringLiteral("SPOSTA PERSONE"), 2295, 7260, 2310, 960, Lilac);
    m_contiSeparati =
        command("cmdContiSeparati", QStringLiteral("CONTI SEPARATI"), 0, 8220, 2295, 960, Lilac);
    m_preconto = command("cmdPreconto", QStringLiteral("PRECONTO"), 2295, 8220, 2310, 960, Lilac);
    m_portaAlBanco = command("cmdPortaAlBanco", QStringLiteral("PORTA AL BANCO"), 0, 9180, 2295, 1335, Lilac);
    m_contoSubito =
        command("cmdContoSubito", QStringLiteral("CONTO"), 2295, 9180, 2310, 1335, QColor(0, 0xFF, 0));
    m_nuovoContoWeb = command("cmdNuovoContoWeb", QStringLiteral("APERTURA TAVOLO DA ORDINE WEB"), 0, 7260,
                              4605, 990, QColor(0xFF, 0xC0, 0x80));
    m_nuovoConto = command("cmdNuovoConto", QStringLiteral("APERTURA TAVOLO"), 0, 8235, 4605, 2265,
                           QColor(0xFF, 0x80, 0x00));

    connect(m_grid, &Grid::rowTouched, this, &ReceiptPanel::updateDeleteButton);
    resetToDesign();
}

QPushButton *ReceiptPanel::command(const char *name, const QString &caption, int l, int t, int w, int h,
                                   const QColor &colour) {
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    MapLook::place(button, l, t, w, h);
    MapLook::makeGraphical(button);
    MapLook::setButtonColour(button, colour);
    button->setFont(MapLook::arialBold(10));
    return button;
}

void ReceiptPanel::resetToDesign() {
    m_titolo->setText(QStringLiteral("Tavolo XXX"));
    m_sposta->setText(QStringLiteral("SPOSTA PERSONE"));
    m_grid->setRows(0);
    m_totale->clear();
    m_cancSelezionato->hide();
    hide();
}

void ReceiptPanel::PulisciScontrino() {
    m_grid->clearCells();
    m_grid->setRows(0);
    m_totale->setText(QString());
    for (QPushButton *b : {m_contoSubito, m_contiSeparati, m_portaAlBanco, m_nuovoConto, m_nuovoContoWeb,
                           m_sposta, m_azzeraTavolo, m_aggiungiArticolo, m_aggiungiOrdine, m_preconto})
        if (b)
            b->hide();
    SharedState::current().IdDettSelezionati.clear();
}

void ReceiptPanel::addRow(const ReceiptRow &row) {
    m_grid->addCells(row.cells());
}

void ReceiptPanel::showOccupiedCommands(bool quickAdd) {
    m_nuovoConto->hide();
    m_nuovoContoWeb->hide();
    for (QPushButton *b : {m_portaAlBanco, m_contoSubito, m_contiSeparati, m_sposta, m_aggiungiOrdine,
                           m_preconto, m_azzeraTavolo})
        b->show();
    if (m_aggiungiArticolo)
        m_aggiungiArticolo->setVisible(quickAdd);
}

void ReceiptPanel::updateDeleteButton() {
    const int row = m_grid->row();
    m_cancSelezionato->setVisible(row >= 0 && isDeletableLine(m_grid->textMatrix(row, 3)));
}

void ReceiptPanel::pageDown() {
    if (m_grid->rows() > 0)
        m_grid->setTopRow(m_grid->bottomRow());
}

void ReceiptPanel::pageUp() {
    if (m_grid->rows() > 0)
        m_grid->setTopRow(0);
}

void ReceiptPanel::showFreeTable(const QString &caption) {
    // The cleared panel has every table command hidden: only the opening ones come back.
    PulisciScontrino();
    m_titolo->setText(QStringLiteral("Tavolo ") + caption);
    for (QPushButton *b : {m_nuovoConto, m_nuovoContoWeb, m_azzeraTavolo})
        b->show();
    show();
    addRow(freeTableRow());
    m_cancSelezionato->hide();
}

void ReceiptPanel::cmdConsulta(const QString &codice, const QString &caption, bool quickAdd) {
    PulisciScontrino();
    if (codice.isEmpty()) {
        // No table behind the selection: nothing to show.
        hide();
        m_cancSelezionato->hide();
        return;
    }
    m_titolo->setText(QStringLiteral("Tavolo ") + caption);

    const QString routine = QStringLiteral("cmdConsulta");
    clsRecordset rs;
    rs.Apri(
        routine, true,
        QStringLiteral("Select ID_Scontrino, Codice, Occupato from Tavoli Where codice = %1;").arg(codice),
        false, true);
    readRows(rs, routine, [this](const dao::Recordset &row) {
        if (row.Field(QStringLiteral("Occupato")).toBool()) {
            show();
        } else {
            Avviso(QStringLiteral("Il tavolo non è occupato"), 2, 0, 2, true);
            hide();
        }
        return false;
    });
    if (!isHidden())
        MostraScontrino(codice, quickAdd);
    m_cancSelezionato->hide();
}

void ReceiptPanel::MostraScontrino(const QString &codice, bool quickAdd) {
    const QString routine = QStringLiteral("MostraScontrino");
    PulisciScontrino();

    QVector<ReceiptLine> lines;
    QHash<qint32, QString> descriptions;
    clsRecordset rs;
    rs.Apri(routine, false, linesWithArticlesQuery(codice), false, true);
    LineWithArticleReader reader;
    readRows(rs, routine, [&](const dao::Recordset &row) {
        const LineWithArticle stored = reader.read(row);
        ReceiptLine line;
        line.id = stored.id.toLongLong();
        line.codice = stored.codice.toInt();
        line.quantita = stored.quantita.toInt();
        line.variante = stored.variante.toInt();
        line.descrizione = stored.descrizione.toString();
        line.importo = stored.importo.toDouble();
        descriptions.insert(line.codice, stored.articolo);
        lines.append(line);
        return true;
    });

    const Receipt receipt =
        buildReceipt(lines, [&descriptions](qint32 articolo) { return descriptions.value(articolo); });
    m_grid->setUpdatesEnabled(false);
    for (const ReceiptRow &row : receipt.rows)
        addRow(row);
    m_grid->setUpdatesEnabled(true);
    SharedState::current().IdDettSelezionati = receipt.idDettSelezionati;
    m_totale->setText(formatAmount(receipt.totale));
    showOccupiedCommands(quickAdd);
}

} // namespace qrv
