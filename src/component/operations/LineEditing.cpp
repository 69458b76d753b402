#include "component/operations/LineEditing.h"

#include "component/operations/ChangeNotifier.h"
#include "component/platform/Grid.h"
#include "component/tablemap/MapActions.h"
#include "component/tablemap/ReceiptPanel.h"
#include "component/tablemap/RoomBar.h"
#include "component/tablemap/TableFloor.h"
#include "core/data/Lookups.h"
#include "core/data/MessageBox.h"
#include "core/operations/LineRemoval.h"
#include "core/operations/OrderLines.h"
#include "core/platform/NumberFormat.h"
#include "core/settings/SharedState.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace qrv {

LineEditing::LineEditing(MapActions &map, RoomBar *rooms, TableFloor *floor, ReceiptPanel *receipt,
                         ChangeNotifier *changes, QObject *parent)
    : QObject(parent)
    , m_map(map)
    , m_rooms(rooms)
    , m_floor(floor)
    , m_receipt(receipt)
    , m_changes(changes) {
    connect(rooms->cmdAggiungiArticolo(), &QPushButton::clicked, this,
            &LineEditing::cmdAggiungiArticolo_Click);
    connect(receipt->cmdCancSelezionato(), &QPushButton::clicked, this,
            &LineEditing::cmdCancSelezionato_Click);
    connect(receipt->cmdAzzeraTavolo(), &QPushButton::clicked, this, &LineEditing::cmdAzzeraTavolo_Click);
}

OrderLines LineEditing::orderLines() const {
    OrderLines lines(SharedState::current().DataBase);
    lines.setJournal(m_map.codiceCassa());
    return lines;
}

QString LineEditing::selectedNumero() const {
    const QPushButton *button = m_floor->button(m_map.state().IndiceTavoloSelezionato);
    return button ? button->text() : QString();
}

void LineEditing::announce() const {
    m_changes->announce({selectedNumero()}, SharedState::current().DataBase.get());
}

bool LineEditing::selectedTable(qint64 &tavolo, QString &codice) const {
    const int index = m_map.state().IndiceTavoloSelezionato;
    if (index < 0)
        return false;
    codice = m_floor->tag(index);
    bool ok = false;
    tavolo = codice.trimmed().toLongLong(&ok);
    return ok;
}

void LineEditing::cmdAggiungiArticolo_Click() {
    const qint32 articolo = m_map.state().ArticoloAggiunta;
    if (m_receipt->isHidden() || articolo == 0)
        return;
    qint64 tavolo = 0;
    QString codice;
    if (!selectedTable(tavolo, codice))
        return;
    // Another till may have billed the table since it was shown: a line on a free table would be
    // an order nobody sees.
    const std::optional<bool> occupato = tableOccupancy(codice);
    if (!occupato)
        return; // the operator was told that the table could not be read; nothing is added
    if (!*occupato) {
        Avviso(QStringLiteral("Il tavolo non è occupato"), 2, 0, 2, true);
        m_map.tableButtonClicked(m_map.state().IndiceTavoloSelezionato);
        return;
    }
    if (orderLines().addArticle(tavolo, articolo, m_rooms->cmdAggiungiArticolo()->text(),
                                PrezzoArticolo(articolo), selectedNumero()) == OrderLines::Result::Done)
        announce();
    m_map.MostraScontrino(codice);
}

void LineEditing::cmdCancSelezionato_Click() {
    Grid *grid = m_receipt->grid();
    const int index = m_map.state().IndiceTavoloSelezionato;
    const int row = grid->row();
    if (index < 0 || row < 0)
        return;
    const UnitRemoval plan =
        planUnitRemoval(grid->textMatrix(row, 0), grid->textMatrix(row, 2), grid->textMatrix(row, 3));
    qint64 tavolo = 0;
    QString codice;
    if (plan.kind == UnitRemoval::Kind::Nothing || !selectedTable(tavolo, codice))
        return;
    const auto done = [this, grid] {
        grid->setRow(-1);
        m_receipt->cmdCancSelezionato()->hide();
    };

    OrderLines lines = orderLines();
    if (plan.kind == UnitRemoval::Kind::BadAmount) {
        Avviso(QStringLiteral("Importo della riga non valido: riga non modificata"), 2, 0, 1, true);
        done();
        return;
    }
    if (plan.kind == UnitRemoval::Kind::RemoveLine) {
        const OrderLines::Result result = lines.removeLine(tavolo, plan.id, selectedNumero());
        if (result == OrderLines::Result::Failed)
            return;
        if (result == OrderLines::Result::Done)
            announce();
        // The variant rows that followed the article move up into its place: they go with it.
        grid->removeItem(row);
        while (grid->row() >= 0 && grid->textMatrix(grid->row(), 3) == QLatin1String("0"))
            grid->removeItem(grid->row());
    } else {
        const OrderLines::Result result = lines.removeOneUnit(plan, {tavolo, selectedNumero()});
        if (result == OrderLines::Result::Failed)
            return;
        if (result == OrderLines::Result::NotFound) {
            // Another till removed the line meanwhile: show what the table holds now.
            Avviso(QStringLiteral("La riga selezionata non è più presente"), 2, 0, 1, true);
            m_map.MostraScontrino(codice);
            done();
            return;
        }
        announce();
        grid->setTextMatrix(row, 0, QString::number(plan.newQuantity));
        grid->setTextMatrix(row, 2, formatAmount(plan.newAmount));
    }
    done();

    if (grid->rows() == 0) {
        // Lines another till added since this receipt was drawn are shown, not emptied away; lines
        // that cannot be read are not taken for none.
        const auto left = lines.lines(tavolo);
        if (!left || !left->isEmpty()) {
            m_map.MostraScontrino(codice);
            return;
        }
        AzzeraTavolo();
        return;
    }
    double total = 0;
    for (int r = 0; r < grid->rows(); ++r)
        total += parseLocaleNumber(grid->textMatrix(r, 2));
    m_receipt->lblTotale()->setText(formatAmount(total));
}

void LineEditing::cmdAzzeraTavolo_Click() {
    if (m_map.state().IndiceTavoloSelezionato < 0)
        return;
    const qint32 answer = Messaggio(QStringLiteral("Vuoi azzerare il tavolo ") +
                                        m_receipt->lblTavoloAnteprima()->text() + QStringLiteral(" ?"),
                                    QStringLiteral("AZZERRAMENTO TAVOLO"), MessageBox::vbYesNo, false);
    if (answer == MessageBox::vbYes)
        AzzeraTavolo();
}

void LineEditing::AzzeraTavolo() {
    qint64 tavolo = 0;
    QString codice;
    if (!selectedTable(tavolo, codice))
        return;
    const OrderLines::Result result = orderLines().emptyTable(tavolo, selectedNumero());
    if (result == OrderLines::Result::Failed) {
        m_map.MostraScontrino(codice);
        return;
    }
    if (result == OrderLines::Result::Done)
        announce();
    const QString caption = m_receipt->lblTavoloAnteprima()->text();
    m_floor->RefreshTavoloCodice(codice);
    // Redrawn as a touch on the table draws it: a free table gets the free table's commands.
    m_map.tableButtonClicked(m_map.state().IndiceTavoloSelezionato);
    Avviso(QStringLiteral("Liberato e azzerato tavolo ") + caption, 2, 0, 3, false);
}

} // namespace qrv
