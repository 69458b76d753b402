#pragma once

#include <QString>
#include <memory>

namespace qrv {

class clsRecordset;

/** A table created on the floor: what mnuNuovoBottone writes into its new Tavoli row. */
struct NewTable {
    QString numero;
    QString descrizione;
    qint32 codiceSala = 0;
    int top = 0;  ///< twips, already snapped
    int left = 0; ///< twips, already snapped
};

/**
 * The writes of the layout editor to Tavoli. Texts go into fields of a recordset, never into
 * SQL; codes must be whole numbers (a button's tag), anything else is refused unwritten.
 * Database failures are reported to the operator (clsRecordset, or runReported).
 */
namespace TableStore {

/**
 * SalvaPosizionecmdArt: stores a table button's position in its row. False when the row is no
 * longer there (deleted at another till), when the code is not a number, or on a failure.
 */
bool savePosition(const QString &codice, int top, int left);

/** Deletes a table's row; its order lines stay. True when the statement ran. */
bool deleteTable(const QString &codice);

} // namespace TableStore

/**
 * The rows behind the creation of a table (mnuNuovoBottone): the whole Tavoli table, opened
 * before the operator is asked for the number and closed once the table is written or abandoned.
 */
class NewTableInsert {
public:
    NewTableInsert();
    ~NewTableInsert();

    /** Adds the row of a new table (free, no times, receipt 0). True when it was written. */
    bool insert(const NewTable &table);
    void close();

private:
    std::unique_ptr<clsRecordset> m_rs;
};

/**
 * The properties command on one table (cmdAggProprieta_Click): the row is read when opened and
 * edited through the same recordset after the data form closed.
 */
class TablePropertiesEdit {
public:
    TablePropertiesEdit();
    ~TablePropertiesEdit();

    /** Finds the table's row; false (nothing to show) when it is not there. */
    bool open(const QString &codice);
    /** Numero and Descrizione of the row as text; a null reads as empty text. */
    QString numero() const { return m_numero; }
    QString descrizione() const { return m_descrizione; }

    enum class Outcome {
        Unchanged, ///< the data form returned what the row holds: nothing written
        Written,
        TableGone, ///< the table was deleted meanwhile (at another till): nothing written
        Failed,    ///< the database refused and the operator gave up (already reported)
    };

    /**
     * Writes what the data form returned when it differs from the row: Numero always, Descrizione
     * only when not empty.
     */
    Outcome apply(const QString &numero, const QString &descrizione);
    void close();

private:
    std::unique_ptr<clsRecordset> m_rs;
    QString m_numero;
    QString m_descrizione;
};

} // namespace qrv
