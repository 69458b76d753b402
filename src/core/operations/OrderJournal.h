#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantList>
#include <QVector>
#include <memory>

namespace qrv {

namespace dao {
class Database;
}

/** A table as the journal and the notifications name it: its Codice and the number its button shows. */
struct TableRef {
    qint64 codice = 0;
    QString numero; ///< the button's caption; "" when not known
};

/** The order lines a change touched, as the engine reported them, and the sum of their amounts. */
struct ChangedLines {
    QVector<qint64> ids; ///< DettaglioTavoli.ID, ascending
    double total = 0;
};

/**
 * The journal of the order changes made on the map, kept in the table RegistroTavoli when the
 * host's database has one (the component never creates it). Each row is written by the change
 * itself, inside its transaction and before its commit, so the journal holds exactly the changes
 * that were committed. Without the table, or without a database, the journal is off and writes
 * nothing.
 */
class OrderJournal {
public:
    enum class Operation { Move, QuickAdd, OneUnitLess, LineRemoved, TableEmptied };

    /** One row of the journal, without its time and till. */
    struct Entry {
        Operation operation = Operation::Move;
        TableRef source;      ///< the table changed; for a move, where the order came from
        TableRef destination; ///< a move's destination; codice 0 for the other operations
        ChangedLines lines;   ///< the lines concerned; total is the amount moved, added or removed
        QString description;  ///< the description moved, or the article added
    };

    /** Off: no database. */
    OrderJournal() = default;
    /** The journal of db, signed with till (CodiceCassa). */
    OrderJournal(std::shared_ptr<dao::Database> db, QString till);

    /**
     * True when the database has the table RegistroTavoli. Learnt once per connection (no round
     * trip per change), so a table created while a till runs is used from its next connection.
     */
    bool isOn() const;

    /** Inserts entry stamped with the map's clock; call it inside the change's transaction. Throws DaoError.
     */
    void write(const Entry &entry) const;

    /**
     * Runs jetStatement, an UPDATE or DELETE of DettaglioTavoli in the component's dialect, and
     * returns the lines it changed as the engine reports them (RETURNING ID, Importo): no read
     * beside the write can disagree with it. Throws DaoError.
     */
    static ChangedLines runTracked(dao::Database &db, const QString &jetStatement);

    static QString tableName() { return QStringLiteral("RegistroTavoli"); }
    /** "SPOSTA", "AGGIUNGI", "TOGLI_UNITA", "TOGLI_RIGA", "AZZERA". */
    static QString operationName(Operation operation);
    /** The identifiers as the till writes line lists: each followed by ";" ("5;6;7;"); "" for none. */
    static QString lineList(const QVector<qint64> &ids);
    /** The journal's time text, "2026-12-04 22:09:05.123": sorts as the times do. */
    static QString timeText(const QDateTime &when);
    /** The insert of one row, with a "?" for each value of values(). */
    static QString insertStatement();
    /** The bound values of the insert, in its order; a part that is not known is NULL. */
    static QVariantList values(const Entry &entry, const QString &till, const QDateTime &when);

private:
    std::shared_ptr<dao::Database> m_db;
    QString m_till;
};

} // namespace qrv
