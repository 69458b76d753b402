#include "core/layout/RoomStore.h"

#include "core/data/clsRecordset.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "core/layout/LayoutErrors.h"
#include "core/settings/SharedState.h"

namespace qrv {

namespace {
const QString &routineName() {
    static const QString name = QStringLiteral("CaricaSale");
    return name;
}
} // namespace

RoomEdit::RoomEdit() = default;

RoomEdit::~RoomEdit() {
    close();
}

void RoomEdit::openNew() {
    close();
    m_new = true;
    m_rs = std::make_unique<clsRecordset>();
    m_rs->Apri(routineName(), false, QStringLiteral("Select * from Sale;"), false, true);
}

bool RoomEdit::openExisting(const QString &codice) {
    close();
    m_new = false;
    if (!isWholeNumber(codice))
        return false;
    m_rs = std::make_unique<clsRecordset>();
    m_rs->Apri(routineName(), false,
               QStringLiteral("Select * from Sale Where codice = ") + codice + QLatin1Char(';'), false, true);
    if (m_rs->Errore() == clsRecordset::NoRow || !m_rs->ilRecordset())
        return false;
    const dao::Recordset &row = *m_rs->ilRecordset();
    m_descrizione = fieldText(row, QStringLiteral("Descrizione"));
    m_sfondo = fieldText(row, QStringLiteral("Sfondo"));
    m_colore = fieldText(row, QStringLiteral("ColoreSfondo")).toInt(); // SeNullo(ColoreSfondo, 0)
    return true;
}

RoomEdit::SaveResult RoomEdit::save(const QString &descrizione, const QString &sfondo, qint32 coloreSfondo) {
    if (!m_rs || !m_rs->ilRecordset() || (!m_new && m_rs->Errore() == clsRecordset::NoRow))
        return m_new ? SaveResult::Failed : SaveResult::RoomGone;
    // Editing re-reads the row under its lock: a room deleted meanwhile comes back as RowGone.
    const RowWrite write = writeReported(routineName(), m_rs->ilRecordset(), m_new, [&](dao::Recordset &r) {
        r.setField(QStringLiteral("Descrizione"), nonNull(descrizione));
        r.setField(QStringLiteral("Sfondo"), nonNull(sfondo));
        r.setField(QStringLiteral("ColoreSfondo"), coloreSfondo);
    });
    switch (write) {
    case RowWrite::Written:
        return SaveResult::Saved;
    case RowWrite::RowGone:
        return SaveResult::RoomGone;
    case RowWrite::Failed:
        break;
    }
    return SaveResult::Failed;
}

void RoomEdit::close() {
    if (m_rs)
        m_rs->Chiudi();
    m_rs.reset();
    m_descrizione.clear();
    m_sfondo.clear();
    m_colore = 0;
}

bool RoomEdit::deleteRoom(const QString &codice) {
    const std::shared_ptr<dao::Database> db = SharedState::current().DataBase;
    if (!db || !isWholeNumber(codice))
        return false;
    return runReported(QStringLiteral("cmdCancella_Click"), [&] {
        db->beginTransaction();
        try {
            db->Execute(QStringLiteral("Delete * from Sale Where Codice = ") + codice + QLatin1Char(';'));
            db->Execute(QStringLiteral("Delete * from Tavoli Where CodiceSala = ") + codice +
                        QLatin1Char(';'));
            db->commitTransaction();
        } catch (...) {
            try {
                db->rollbackTransaction();
            } catch (const dao::DaoError &) {
                // The statement's failure is the one reported; a dead connection rolls back by itself.
            }
            throw;
        }
    });
}

} // namespace qrv
