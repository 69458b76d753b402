#include "operations/logic/OrderLines.h"

#include "data/MessageBox.h"
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
    for (;;) {
        try {
            return db->Execute(sql);
        } catch (const dao::DaoError &error) {
            const int answer = MsgBox(failureText(routine, sql, error),
                                      MessageBox::vbRetryCancel | MessageBox::vbCritical, kTitle);
            if (answer != MessageBox::vbRetry)
                return std::nullopt;
        }
    }
}

OrderLines::OrderLines(std::shared_ptr<dao::Database> db) : m_db(std::move(db)) {}

QVector<OrderLineRef> OrderLines::lines(qint64 tavolo) const {
    QVector<OrderLineRef> result;
    clsRecordset rs;
    rs.setDataBase(m_db);
    rs.Apri(QStringLiteral("cmdCancSelezionato_Click"), true, OperationStatements::linesOfTable(tavolo),
            false, true);
    while (rs.Errore() == clsRecordset::Ok && rs.ilRecordset()) {
        const dao::Recordset *row = rs.ilRecordset();
        result.append({row->Field(QStringLiteral("ID")).toLongLong(),
                       row->Field(QStringLiteral("Variante")).toLongLong()});
        rs.LeggiNext();
    }
    rs.Chiudi();
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
    const QVector<qint64> variants = variantLinesOf(lines(tavolo), id);
    const auto affected = runStatement(m_db, OperationStatements::deleteLine(tavolo, id, variants),
                                       QStringLiteral("cmdCancSelezionato_Click"));
    if (!affected)
        return Result::Failed;
    return *affected > 0 ? Result::Done : Result::NotFound;
}

OrderLines::Result OrderLines::emptyTable(qint64 tavolo) {
    const QString routine = QStringLiteral("AzzeraTavolo");
    if (!runStatement(m_db, OperationStatements::deleteAllLines(tavolo), routine))
        return Result::Failed;
    const auto freed = runStatement(m_db, OperationStatements::freeTable(tavolo), routine);
    if (!freed)
        return Result::Failed;
    return *freed > 0 ? Result::Done : Result::NotFound;
}

OrderLines::Result OrderLines::addArticle(qint64 tavolo, qint64 article, const QString &description,
                                          double price) {
    const QString routine = QStringLiteral("cmdAggiungiArticolo_Click");
    const QString query = OperationStatements::linesOfTable(tavolo);
    for (;;) {
        clsRecordset rs;
        rs.setDataBase(m_db);
        rs.Apri(routine, false, query, false, true);
        dao::Recordset *rows = rs.ilRecordset();
        if (!rows) {
            rs.Chiudi();
            return Result::Failed;
        }
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
            rs.Chiudi();
            return Result::Done;
        } catch (const dao::DaoError &error) {
            try {
                rows->CancelUpdate();
            } catch (const dao::DaoError &) {
            }
            rs.Chiudi();
            const int answer = MsgBox(failureText(routine, query, error),
                                      MessageBox::vbRetryCancel | MessageBox::vbCritical, kTitle);
            if (answer != MessageBox::vbRetry)
                return Result::Failed;
        }
    }
}

} // namespace qrv
