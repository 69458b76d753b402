#include "core/operations/OrderLines.h"

#include "core/data/MessageBox.h"
#include "core/data/RetryStep.h"
#include "core/data/clsRecordset.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "core/operations/OperationStatements.h"

#include <functional>

namespace qrv {

namespace {

const QString kTitle = QStringLiteral("qrvTavoli");

QString failureText(const QString &routine, const QString &sql, const dao::DaoError &error) {
    return QStringLiteral("Errore nel comando chiamato da ") + routine + QStringLiteral("\r\n") + sql +
           QStringLiteral("\r\n") + QString::number(error.number()) + QLatin1Char(' ') + error.description();
}

void rollBackQuietly(dao::Database &db) {
    // A lost connection has already ended the transaction; anything else is undone here.
    if (db.inTransaction()) {
        try {
            db.rollbackTransaction();
        } catch (const dao::DaoError &) {
        }
    }
}

bool retryAsked(const QString &routine, const QString &sql, const dao::DaoError &error) {
    return MsgBox(failureText(routine, sql, error), MessageBox::vbRetryCancel | MessageBox::vbCritical,
                  kTitle) == MessageBox::vbRetry;
}

using EntryOf = std::function<OrderJournal::Entry(const ChangedLines &)>;

/**
 * runTransaction, and with journal (not null, and on) always one transaction in which statement
 * tracked reports the lines it changes and the journal row follows the statements when statement
 * decisive changed a row.
 */
std::optional<QVector<int>> runStatements(const std::shared_ptr<dao::Database> &db,
                                          const QStringList &statements, const QString &routine,
                                          const OrderJournal *journal, int tracked, int decisive,
                                          const EntryOf &entryOf) {
    QVector<int> affected;
    QString running;
    const bool done = runWithRetry(
        [&] {
            affected.clear();
            running = statements.value(0);
            // Asked on every try: a Retry after a lost connection learns the tables again.
            const bool journaled = journal && journal->isOn();
            if (statements.size() == 1 && !journaled) {
                affected.append(db->Execute(running));
                return;
            }
            db->beginTransaction();
            try {
                ChangedLines changed;
                for (int i = 0; i < statements.size(); ++i) {
                    running = statements.at(i);
                    if (journaled && i == tracked) {
                        changed = OrderJournal::runTracked(*db, running);
                        affected.append(static_cast<int>(changed.ids.size()));
                    } else {
                        affected.append(db->Execute(running));
                    }
                }
                if (journaled && affected.value(decisive) > 0) {
                    running = OrderJournal::insertStatement();
                    journal->write(entryOf(changed));
                }
                running = QStringLiteral("CommitTrans");
                db->commitTransaction();
            } catch (const dao::DaoError &) {
                rollBackQuietly(*db);
                throw;
            }
        },
        [&](const dao::DaoError &error) { return retryAsked(routine, running, error); },
        [&db] { return db; });
    if (!done)
        return std::nullopt;
    return affected;
}

} // namespace

std::optional<int> runStatement(const std::shared_ptr<dao::Database> &db, const QString &sql,
                                const QString &routine) {
    const auto affected = runTransaction(db, {sql}, routine);
    return affected ? std::optional<int>(affected->constFirst()) : std::nullopt;
}

std::optional<QVector<int>> runTransaction(const std::shared_ptr<dao::Database> &db,
                                           const QStringList &statements, const QString &routine) {
    return runStatements(db, statements, routine, nullptr, -1, -1, EntryOf());
}

OrderLines::OrderLines(std::shared_ptr<dao::Database> db) : m_db(std::move(db)) {}

std::optional<QVector<OrderLineRef>> OrderLines::lines(qint64 tavolo) const {
    QVector<OrderLineRef> result;
    clsRecordset rs;
    rs.setDataBase(m_db);
    rs.Apri(QStringLiteral("cmdCancSelezionato_Click"), true, OperationStatements::linesOfTable(tavolo),
            false, true);
    // A cancelled open leaves no rows: that is a failed read, not a table without lines.
    bool read = rs.ilRecordset() != nullptr;
    try {
        while (read && rs.Errore() == clsRecordset::Ok && rs.ilRecordset()) {
            const dao::Recordset *row = rs.ilRecordset();
            result.append({row->Field(QStringLiteral("ID")).toLongLong(),
                           row->Field(QStringLiteral("Variante")).toLongLong()});
            rs.LeggiNext();
        }
    } catch (const dao::DaoError &) {
        read = false;
    }
    rs.Chiudi();
    if (!read)
        return std::nullopt;
    return result;
}

OrderLines::Result OrderLines::removeOneUnit(const UnitRemoval &plan, const TableRef &table) {
    const auto affected = runStatements(
        m_db, {OperationStatements::oneUnitLess(plan.id, plan.newQuantity, plan.newAmount)},
        QStringLiteral("cmdCancSelezionato_Click"), &m_journal, 0, 0, [&](const ChangedLines &changed) {
            // The amount the unit took off the order, from the figures the statement was made of.
            return OrderJournal::Entry{OrderJournal::Operation::OneUnitLess,
                                       table,
                                       {},
                                       {changed.ids, plan.amount - plan.newAmount},
                                       QString()};
        });
    if (!affected)
        return Result::Failed;
    return affected->constFirst() > 0 ? Result::Done : Result::NotFound;
}

OrderLines::Result OrderLines::removeLine(qint64 tavolo, qint64 id, const QString &numero) {
    // The article and its variants go in one statement, all or none: a variant left behind would
    // reappear under whatever line precedes it at the next redraw.
    const auto all = lines(tavolo);
    if (!all)
        return Result::Failed;
    const QVector<qint64> variants = variantLinesOf(*all, id);
    const auto affected = runStatements(
        m_db, {OperationStatements::deleteLine(tavolo, id, variants)},
        QStringLiteral("cmdCancSelezionato_Click"), &m_journal, 0, 0, [&](const ChangedLines &changed) {
            return OrderJournal::Entry{
                OrderJournal::Operation::LineRemoved, {tavolo, numero}, {}, changed, QString()};
        });
    if (!affected)
        return Result::Failed;
    return affected->constFirst() > 0 ? Result::Done : Result::NotFound;
}

OrderLines::Result OrderLines::emptyTable(qint64 tavolo, const QString &numero) {
    // Lines gone but the table still occupied (or the reverse) is what the transaction prevents.
    const auto affected = runStatements(
        m_db, {OperationStatements::deleteAllLines(tavolo), OperationStatements::freeTable(tavolo)},
        QStringLiteral("AzzeraTavolo"), &m_journal, 0, 1, [&](const ChangedLines &changed) {
            return OrderJournal::Entry{
                OrderJournal::Operation::TableEmptied, {tavolo, numero}, {}, changed, QString()};
        });
    if (!affected)
        return Result::Failed;
    return affected->constLast() > 0 ? Result::Done : Result::NotFound;
}

OrderLines::Result OrderLines::addArticle(qint64 tavolo, qint64 article, const QString &description,
                                          double price, const QString &numero) {
    const QString routine = QStringLiteral("cmdAggiungiArticolo_Click");
    const QString query = OperationStatements::linesOfTable(tavolo);
    QString running = query;
    bool opened = false;
    const bool done = runWithRetry(
        [&] {
            running = query;
            clsRecordset rs;
            rs.setDataBase(m_db);
            rs.Apri(routine, false, query, false, true);
            dao::Recordset *rows = rs.ilRecordset();
            opened = rows != nullptr;
            if (!opened)
                return; // the open failed and the operator cancelled its box
            // With the journal the new line and its row are one transaction; without, one insert.
            const bool journaled = m_journal.isOn();
            if (journaled)
                m_db->beginTransaction();
            try {
                rows->AddNew();
                rows->setField(QStringLiteral("Codice"), article);
                rows->setField(QStringLiteral("Tavolo"), tavolo);
                rows->setField(QStringLiteral("Quantita"), 1);
                rows->setField(QStringLiteral("Descrizione"), description);
                rows->setField(QStringLiteral("VARIANTE"), 0);
                rows->setField(QStringLiteral("Importo"), price);
                rows->setField(QStringLiteral("IdRif"), 0);
                rows->Update();
                if (journaled) {
                    // The line as the insert returned it: its new ID and the amount stored.
                    const ChangedLines added{{rows->Field(QStringLiteral("ID")).toLongLong()},
                                             rows->Field(QStringLiteral("Importo")).toDouble()};
                    running = OrderJournal::insertStatement();
                    m_journal.write(
                        {OrderJournal::Operation::QuickAdd, {tavolo, numero}, {}, added, description});
                    running = QStringLiteral("CommitTrans");
                    m_db->commitTransaction();
                }
            } catch (const dao::DaoError &) {
                try {
                    rows->CancelUpdate();
                } catch (const dao::DaoError &) {
                }
                if (journaled)
                    rollBackQuietly(*m_db);
                throw;
            }
        },
        [&](const dao::DaoError &error) { return retryAsked(routine, running, error); },
        [this] { return m_db; });
    return done && opened ? Result::Done : Result::Failed;
}

} // namespace qrv
