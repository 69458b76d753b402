#include "operations/logic/OrderLines.h"

#include "data/MessageBox.h"
#include "data/RetryStep.h"
#include "data/clsRecordset.h"
#include "data/dao/Database.h"
#include "data/dao/Recordset.h"
#include "operations/logic/OperationStatements.h"

namespace qrv {

namespace {

const QString kTitle = QStringLiteral("qrvTavoli");

QString failureText(const QString &routine, const QString &sql, const dao::DaoError &error) {
    return QStringLiteral("Errore nel comando chiamato da ") + routine + QStringLiteral("\r\n") + sql +
           QStringLiteral("\r\n") + QString::number(error.number()) + QLatin1Char(' ') + error.description();
}

} // namespace

std::optional<int> runStatement(const std::shared_ptr<dao::Database> &db, const QString &sql,
                                const QString &routine) {
    const auto affected = runTransaction(db, {sql}, routine);
    return affected ? std::optional<int>(affected->constFirst()) : std::nullopt;
}

std::optional<QVector<int>> runTransaction(const std::shared_ptr<dao::Database> &db,
                                           const QStringList &statements, const QString &routine) {
    QVector<int> affected;
    QString running;
    const bool done = runWithRetry(
        [&] {
            affected.clear();
            running = statements.value(0);
            if (statements.size() == 1) {
                affected.append(db->Execute(running));
                return;
            }
            db->beginTransaction();
            try {
                for (const QString &sql : statements) {
                    running = sql;
                    affected.append(db->Execute(sql));
                }
                running = QStringLiteral("CommitTrans");
                db->commitTransaction();
            } catch (const dao::DaoError &) {
                // A lost connection has already ended the transaction; anything else is undone here.
                if (db->inTransaction()) {
                    try {
                        db->rollbackTransaction();
                    } catch (const dao::DaoError &) {
                    }
                }
                throw;
            }
        },
        [&](const dao::DaoError &error) {
            return MsgBox(failureText(routine, running, error),
                          MessageBox::vbRetryCancel | MessageBox::vbCritical, kTitle) == MessageBox::vbRetry;
        },
        [&db] { return db; });
    if (!done)
        return std::nullopt;
    return affected;
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

OrderLines::Result OrderLines::removeOneUnit(const UnitRemoval &plan) {
    const auto affected =
        runStatement(m_db, OperationStatements::oneUnitLess(plan.id, plan.newQuantity, plan.newAmount),
                     QStringLiteral("cmdCancSelezionato_Click"));
    if (!affected)
        return Result::Failed;
    return *affected > 0 ? Result::Done : Result::NotFound;
}

OrderLines::Result OrderLines::removeLine(qint64 tavolo, qint64 id) {
    // The article and its variants go in one statement, all or none: a variant left behind would
    // reappear under whatever line precedes it at the next redraw.
    const auto all = lines(tavolo);
    if (!all)
        return Result::Failed;
    const QVector<qint64> variants = variantLinesOf(*all, id);
    const auto affected = runStatement(m_db, OperationStatements::deleteLine(tavolo, id, variants),
                                       QStringLiteral("cmdCancSelezionato_Click"));
    if (!affected)
        return Result::Failed;
    return *affected > 0 ? Result::Done : Result::NotFound;
}

OrderLines::Result OrderLines::emptyTable(qint64 tavolo) {
    // Lines gone but the table still occupied (or the reverse) is what the transaction prevents.
    const auto affected = runTransaction(
        m_db, {OperationStatements::deleteAllLines(tavolo), OperationStatements::freeTable(tavolo)},
        QStringLiteral("AzzeraTavolo"));
    if (!affected)
        return Result::Failed;
    return affected->constLast() > 0 ? Result::Done : Result::NotFound;
}

OrderLines::Result OrderLines::addArticle(qint64 tavolo, qint64 article, const QString &description,
                                          double price) {
    const QString routine = QStringLiteral("cmdAggiungiArticolo_Click");
    const QString query = OperationStatements::linesOfTable(tavolo);
    bool opened = false;
    const bool done = runWithRetry(
        [&] {
            clsRecordset rs;
            rs.setDataBase(m_db);
            rs.Apri(routine, false, query, false, true);
            dao::Recordset *rows = rs.ilRecordset();
            opened = rows != nullptr;
            if (!opened)
                return; // the open failed and the operator cancelled its box
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
            } catch (const dao::DaoError &) {
                try {
                    rows->CancelUpdate();
                } catch (const dao::DaoError &) {
                }
                throw;
            }
        },
        [&](const dao::DaoError &error) {
            return MsgBox(failureText(routine, query, error),
                          MessageBox::vbRetryCancel | MessageBox::vbCritical, kTitle) == MessageBox::vbRetry;
        },
        [this] { return m_db; });
    return done && opened ? Result::Done : Result::Failed;
}

} // namespace qrv
