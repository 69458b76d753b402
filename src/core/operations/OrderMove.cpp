#include "core/operations/OrderMove.h"

#include "core/data/LockFile.h"
#include "core/data/MessageBox.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "core/data/dao/Workspace.h"
#include "core/operations/OperationStatements.h"

#include <QElapsedTimer>
#include <QThread>

namespace qrv {

QString OrderMove::Result::message() const {
    return QStringLiteral("Spostamento non eseguito: i tavoli sono rimasti come prima.\r\n") + statement +
           QStringLiteral("\r\n") + QString::number(errorNumber) + QLatin1Char(' ') + errorDescription;
}

OrderMove::OrderMove(std::shared_ptr<dao::Database> db, std::shared_ptr<dao::Workspace> workspace,
                     QString archiveFolder)
    : m_db(std::move(db))
    // The statements run on the database, so only a workspace over that same database can make
    // them one transaction; a workspace over another connection would commit nothing of the move.
    , m_workspace(workspace && workspace->database() == m_db ? std::move(workspace) : nullptr)
    , m_archiveFolder(std::move(archiveFolder))
    , m_wait([](qint64) {
        QThread::msleep(5);
        return true;
    })
    , m_openFailure([](int errorNumber) {
        return MsgBox(QStringLiteral("Errore attendivendite ") + QString::number(errorNumber),
                      MessageBox::vbRetryCancel | MessageBox::vbCritical, QString()) == MessageBox::vbRetry;
    }) {}

QString OrderMove::lockPath(const QString &archiveFolder) {
    // Never a lock file at the root of the file system for a folder that was not set.
    if (archiveFolder.isEmpty())
        return QString();
    return archiveFolder + QStringLiteral("/LockVenditeMan.txt");
}

bool OrderMove::sourceStillOccupied(const QString &query) {
    const std::unique_ptr<dao::Recordset> row = m_db->OpenRecordset(query);
    // A source deleted meanwhile has nothing to move either.
    return !row->Eof() && row->Field(QStringLiteral("Occupato")).toBool();
}

void OrderMove::rollBack() {
    try {
        if (m_db->inTransaction()) {
            if (m_workspace)
                m_workspace->Rollback();
            else
                m_db->rollbackTransaction();
        }
    } catch (const dao::DaoError &) {
        // The engine has already dropped the transaction (a failed commit, a lost connection).
    }
    stage(Stage::RolledBack);
}

OrderMove::Result OrderMove::run(qint64 source, qint64 destination, const QString &description,
                                 const QTime &now) {
    return run(TableRef{source, QString()}, TableRef{destination, QString()}, description, now);
}

OrderMove::Result OrderMove::run(const TableRef &from, const TableRef &to, const QString &description,
                                 const QTime &now) {
    const qint64 source = from.codice, destination = to.codice;
    Result result;
    if (source < 1 || destination < 1 || source == destination)
        return result;

    const QString path = lockPath(m_archiveFolder);
    LockFile lock(path);
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const LockFile::Result attempt = path.isEmpty() ? LockFile::Result::Failed : lock.tryLock();
        if (attempt == LockFile::Result::Locked)
            break;
        const int errorNumber = path.isEmpty() ? int(LockFile::PathNotFound) : lock.errorNumber();
        const bool goOn =
            attempt == LockFile::Result::Busy ? m_wait(waited.elapsed()) : m_openFailure(errorNumber);
        if (!goOn) {
            result.outcome = Outcome::GaveUp;
            return result;
        }
    }
    stage(Stage::LockTaken);

    const QStringList statements = OperationStatements::move(source, destination, description, now);
    QString running = QStringLiteral("BeginTrans");
    try {
        // Learnt once per connection: no round trip here after the first move.
        const bool journal = m_journal.isOn();
        if (m_workspace)
            m_workspace->BeginTrans();
        else
            m_db->beginTransaction();
        stage(Stage::TransactionBegun);
        // The map this till drew may be old: a source another till freed meanwhile would make the
        // destination occupied with no order. Read under the lock, it cannot change until the commit.
        running =
            OperationStatements::sourceOccupied(source, m_db->engine() == dao::Database::Engine::PostgreSQL);
        if (!sourceStillOccupied(running)) {
            rollBack();
            result.outcome = Outcome::SourceFree;
        } else {
            for (int i = 0; i < statements.size(); ++i) {
                running = statements.at(i);
                // With the journal, the lines that move are the ones the engine reports moving.
                int affected = 0;
                if (journal && i == 0) {
                    result.moved = OrderJournal::runTracked(*m_db, running);
                    affected = static_cast<int>(result.moved.ids.size());
                } else {
                    affected = m_db->Execute(running);
                }
                // Another till deleted the destination since the map was drawn: the lines would go
                // to a table nobody can show, so the whole move is undone.
                if (i == 1 && affected == 0)
                    throw dao::DaoError(dao::DaoErrorCode::NoCurrentRecord,
                                        QStringLiteral("Il tavolo di destinazione non esiste più"));
                stage(Stage::StatementRun, i);
            }
            if (journal) {
                running = OrderJournal::insertStatement();
                m_journal.write({OrderJournal::Operation::Move, from, to, result.moved,
                                 QString(description).remove(QChar(0))});
            }
            running = QStringLiteral("CommitTrans");
            if (m_workspace)
                m_workspace->CommitTrans();
            else
                m_db->commitTransaction();
            stage(Stage::Committed);
            result.outcome = Outcome::Moved;
        }
    } catch (const dao::DaoError &error) {
        rollBack();
        result.moved = ChangedLines();
        result.outcome = Outcome::Failed;
        result.statement = running;
        result.errorNumber = error.number();
        result.errorDescription = error.description();
    }
    lock.unlock(false);
    stage(Stage::LockReleased);
    return result;
}

} // namespace qrv
