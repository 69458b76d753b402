#pragma once

#include "core/operations/OrderJournal.h"

#include <QString>
#include <QTime>
#include <functional>
#include <memory>

namespace qrv {

namespace dao {
class Database;
class Workspace;
} // namespace dao

/**
 * Moves a table's whole order to another table: under the sales lock file LockVenditeMan.txt of
 * the archive folder, in one transaction, the four statements of the move, then a durable commit.
 * When the journal is on, its row goes into the same transaction, before the commit. A failure
 * rolls everything back and releases the lock; nothing is shown to the operator here except the
 * lock file's open failures (the caller reports the result).
 */
class OrderMove {
public:
    enum class Outcome {
        Moved,         ///< committed: the destination holds the order, the source is free
        NothingToMove, ///< source and destination are the same table (or a code below 1)
        GaveUp,        ///< the sales lock could not be taken and the wait was abandoned
        Failed,        ///< a statement or the commit failed, or the destination is gone; all rolled back
        SourceFree,    ///< the source was freed meanwhile (billed, emptied, moved): nothing moved
    };

    struct Result {
        Outcome outcome = Outcome::NothingToMove;
        QString statement;   ///< Failed: the statement that failed ("CommitTrans" for the commit)
        int errorNumber = 0; ///< Failed: the access layer's error number
        QString errorDescription;
        ChangedLines moved; ///< Moved with the journal on: the lines that went to the destination

        /** The text that tells the operator a failed move left both tables as they were. */
        QString message() const;
    };

    /** Points of the move that the stage hook is told about. */
    enum class Stage { LockTaken, TransactionBegun, StatementRun, Committed, RolledBack, LockReleased };

    /** Between two refused lock attempts; elapsedMs since the first. Return false to give up. */
    using WaitFunction = std::function<bool(qint64 elapsedMs)>;
    /**
     * The lock file cannot be opened at all (no folder, no permission): errorNumber in the classic
     * runtime's numbering. Return true to try again, false to give up.
     */
    using OpenFailureFunction = std::function<bool(int errorNumber)>;
    /** Told each stage; statementIndex is 0 to 3 for StatementRun, -1 otherwise. */
    using StageHook = std::function<void(Stage stage, int statementIndex)>;

    /**
     * The move runs its statements on db; the transaction is begun and committed on workspace, or
     * on db itself when workspace is null. archiveFolder holds LockVenditeMan.txt.
     */
    OrderMove(std::shared_ptr<dao::Database> db, std::shared_ptr<dao::Workspace> workspace,
              QString archiveFolder);

    /** The sales lock file of an archive folder; "" when no folder is given (there is no lock then). */
    static QString lockPath(const QString &archiveFolder);

    /**
     * Until replaced: pause a few milliseconds and keep waiting for ever. The open failure asks
     * with "Errore attendivendite " and the number, Retry or Cancel.
     */
    void setWaitFunction(WaitFunction wait) { m_wait = std::move(wait); }
    void setOpenFailureFunction(OpenFailureFunction onFailure) { m_openFailure = std::move(onFailure); }
    void setStageHook(StageHook hook) { m_hook = std::move(hook); }
    /**
     * Journals every committed move, signed with till (CodiceCassa), inside the move's transaction
     * whenever the database has RegistroTavoli; off until called.
     */
    void setJournal(const QString &till) { m_journal = OrderJournal(m_db, till); }

    /**
     * Moves every line of source to destination, gives destination the description and the time
     * now (hour and minute) and marks it occupied, frees source. Returns NothingToMove without
     * touching anything when source equals destination, and SourceFree, with nothing changed and
     * the lock released, when source is found free inside the lock and the transaction (another
     * till billed, emptied or moved it since this till's map was drawn). With no archive folder the
     * lock cannot be taken: the open failure is "path not found" (76), as for the recordset locks.
     */
    Result run(qint64 source, qint64 destination, const QString &description, const QTime &now);
    /** As run above; the tables' numbers (the buttons' captions) go into the journal. */
    Result run(const TableRef &source, const TableRef &destination, const QString &description,
               const QTime &now);

private:
    /** Runs query (the source's Occupato) inside the transaction: true when the source is still occupied. */
    bool sourceStillOccupied(const QString &query);
    /** Rolls back the move's transaction when one is still open, then tells RolledBack; never throws. */
    void rollBack();
    void stage(Stage s, int index = -1) const {
        if (m_hook)
            m_hook(s, index);
    }

    std::shared_ptr<dao::Database> m_db;
    std::shared_ptr<dao::Workspace> m_workspace;
    QString m_archiveFolder;
    WaitFunction m_wait;
    OpenFailureFunction m_openFailure;
    StageHook m_hook;
    OrderJournal m_journal;
};

} // namespace qrv
