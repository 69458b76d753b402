#pragma once

#include "core/operations/LineRemoval.h"
#include "core/operations/OrderJournal.h"
#include "core/operations/VariantLines.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <optional>

namespace qrv {

namespace dao {
class Database;
}

/**
 * Runs one statement on db; a failure is shown to the operator (naming routine and statement) with
 * Retry and Cancel, and Retry reopens a lost connection and runs it again. Returns the rows
 * affected, or nullopt once the operator cancelled a failure.
 */
std::optional<int> runStatement(const std::shared_ptr<dao::Database> &db, const QString &sql,
                                const QString &routine);

/**
 * As runStatement for several statements in one transaction of db: all of them or none. A failure
 * rolls back what ran and is shown with the statement that failed; Retry runs the whole
 * transaction again. Returns the rows each statement affected, or nullopt once the operator
 * cancelled.
 */
std::optional<QVector<int>> runTransaction(const std::shared_ptr<dao::Database> &db,
                                           const QStringList &statements, const QString &routine);

/**
 * The direct edits of a table's order lines: one unit less, a line with its variants removed,
 * the table emptied and freed, one unit of the preset article added. Each writes to the database
 * at once; failures are reported to the operator here, so callers only look at the result.
 *
 * With the journal on, each edit that changes something and its journal row are one transaction
 * (also the edits that are a single statement otherwise), so a row is there exactly when the edit
 * was committed. The table's number (numero, its button's caption) only goes into the journal.
 */
class OrderLines {
public:
    enum class Result {
        Done,     ///< the database was changed
        NotFound, ///< the line is no longer there (another till removed it); nothing changed
        Failed,   ///< the database refused and the operator gave up; nothing changed
    };

    explicit OrderLines(std::shared_ptr<dao::Database> db);

    /**
     * Journals every committed edit, signed with till (CodiceCassa), whenever the database has
     * RegistroTavoli; off until called.
     */
    void setJournal(const QString &till) { m_journal = OrderJournal(m_db, till); }

    /**
     * The lines of table tavolo in ID order (identifier and variant mark); empty when it has none,
     * nullopt when they could not be read (the failure was shown and the operator cancelled).
     */
    std::optional<QVector<OrderLineRef>> lines(qint64 tavolo) const;

    /**
     * Writes plan's quantity and amount into its line (plan.kind must be RemoveOneUnit); table is
     * the line's table, for the journal.
     */
    Result removeOneUnit(const UnitRemoval &plan, const TableRef &table = {});

    /**
     * Deletes line id of table tavolo and the variant lines that belong to it, all or none; Failed,
     * with nothing deleted, when the table's lines cannot be read.
     */
    Result removeLine(qint64 tavolo, qint64 id, const QString &numero = QString());

    /**
     * Deletes every line of the table and marks it free without description, in one transaction;
     * its times stay.
     */
    Result emptyTable(qint64 tavolo, const QString &numero = QString());

    /** Adds one unit of article (description and price as given) to table tavolo. */
    Result addArticle(qint64 tavolo, qint64 article, const QString &description, double price,
                      const QString &numero = QString());

private:
    std::shared_ptr<dao::Database> m_db;
    OrderJournal m_journal;
};

} // namespace qrv
