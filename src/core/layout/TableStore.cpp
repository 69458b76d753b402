#include "core/layout/TableStore.h"

#include "core/data/clsRecordset.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "core/layout/LayoutErrors.h"
#include "core/settings/SharedState.h"

namespace qrv {

bool TableStore::savePosition(const QString &codice, int top, int left) {
    if (!isWholeNumber(codice))
        return false;
    const QString routine = QStringLiteral("SalvaPosizionecmdArt");
    clsRecordset rs;
    rs.Apri(routine, false, QStringLiteral("Select Codice, Top, Left from Tavoli Where codice = ") + codice,
            false, true);
    bool written = false;
    if (rs.Errore() != clsRecordset::NoRow && rs.ilRecordset()) {
        dao::Recordset *row = rs.ilRecordset();
        // A row deleted at another till is simply not written.
        written = writeReported(routine, row, false, [&](dao::Recordset &r) {
                      r.setField(QStringLiteral("Top"), top);
                      r.setField(QStringLiteral("Left"), left);
                  }) == RowWrite::Written;
    }
    rs.Chiudi();
    return written;
}

bool TableStore::deleteTable(const QString &codice) {
    const std::shared_ptr<dao::Database> db = SharedState::current().DataBase;
    if (!db || !isWholeNumber(codice))
        return false;
    return runReported(QStringLiteral("EliminaTavolo"),
                       [&] { db->Execute(QStringLiteral("Delete * from Tavoli Where Codice = ") + codice); });
}

NewTableInsert::NewTableInsert() : m_rs(std::make_unique<clsRecordset>()) {
    m_rs->Apri(QStringLiteral("mnuNuovoBottone"), false, QStringLiteral("Tavoli"), false, true);
}

NewTableInsert::~NewTableInsert() {
    close();
}

bool NewTableInsert::insert(const NewTable &table) {
    dao::Recordset *rows = m_rs ? m_rs->ilRecordset() : nullptr;
    if (!rows)
        return false; // the open failed and was reported
    return writeReported(QStringLiteral("mnuNuovoBottone"), rows, true, [&](dao::Recordset &r) {
               r.setField(QStringLiteral("Numero"), table.numero);
               r.setField(QStringLiteral("Descrizione"), nonNull(table.descrizione));
               r.setField(QStringLiteral("CodiceSala"), table.codiceSala);
               r.setField(QStringLiteral("Left"), table.left);
               r.setField(QStringLiteral("Top"), table.top);
               r.setField(QStringLiteral("Occupato"), false);
               r.setField(QStringLiteral("OraUltimoOrdine"), QStringLiteral(""));
               r.setField(QStringLiteral("ID_Scontrino"), 0);
               r.setField(QStringLiteral("OraOccupato"), QStringLiteral(""));
           }) == RowWrite::Written;
}

void NewTableInsert::close() {
    if (m_rs)
        m_rs->Chiudi();
    m_rs.reset();
}

TablePropertiesEdit::TablePropertiesEdit() = default;

TablePropertiesEdit::~TablePropertiesEdit() {
    close();
}

bool TablePropertiesEdit::open(const QString &codice) {
    close();
    if (!isWholeNumber(codice))
        return false;
    const QString routine = QStringLiteral("cmdAggProprieta_Click");
    m_rs = std::make_unique<clsRecordset>();
    m_rs->Apri(routine, false,
               QStringLiteral("Select Codice,Numero, Descrizione from Tavoli Where codice = ") + codice,
               false, true);
    if (!m_rs->ilRecordset() ||
        !m_rs->Start(routine, QStringLiteral("codice"), QStringLiteral("="), codice)) {
        close();
        return false;
    }
    m_numero = fieldText(*m_rs->ilRecordset(), QStringLiteral("Numero"));
    m_descrizione = fieldText(*m_rs->ilRecordset(), QStringLiteral("Descrizione"));
    return true;
}

TablePropertiesEdit::Outcome TablePropertiesEdit::apply(const QString &numero, const QString &descrizione) {
    if (!m_rs || !m_rs->ilRecordset())
        return Outcome::TableGone;
    if (numero == m_numero && descrizione == m_descrizione)
        return Outcome::Unchanged;
    const RowWrite write = writeReported(QStringLiteral("cmdAggProprieta_Click"), m_rs->ilRecordset(), false,
                                         [&](dao::Recordset &r) {
                                             r.setField(QStringLiteral("Numero"), numero);
                                             if (!descrizione.isEmpty())
                                                 r.setField(QStringLiteral("Descrizione"), descrizione);
                                         });
    switch (write) {
    case RowWrite::Written:
        m_numero = numero;
        if (!descrizione.isEmpty())
            m_descrizione = descrizione;
        return Outcome::Written;
    case RowWrite::RowGone:
        return Outcome::TableGone;
    case RowWrite::Failed:
        break;
    }
    return Outcome::Failed;
}

void TablePropertiesEdit::close() {
    if (m_rs)
        m_rs->Chiudi();
    m_rs.reset();
}

} // namespace qrv
