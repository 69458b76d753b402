#pragma once

#include "core/data/dao/DaoError.h"

#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>

namespace qrv::dao {

class Database;

/**
 * A dynaset: the rows of a query held in memory with the key of each row, readable,
 * searchable and editable. Edits and new rows are written back by key (UPDATE/INSERT).
 * Every failure throws DaoError.
 */
class Recordset {
public:
    ~Recordset();

    int RecordCount() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    /** True when there is no current row past the end (also for an empty result set). */
    bool Eof() const;
    bool Bof() const;

    /** Finds the first row meeting a condition such as "codice = 12 and Numero <> '3'". */
    void FindFirst(const QString &condition);
    bool NoMatch() const { return m_noMatch; }

    /** Re-runs the query; the first row becomes current. */
    void Requery();

    void setLockEdits(bool pessimistic) { m_lockEdits = pessimistic; }
    bool LockEdits() const { return m_lockEdits; }

    /**
     * Field of the current row by name, matched case-insensitively; null for an empty column.
     * Whole numbers come back as qint64 and booleans as bool on every engine. While a row is being
     * added or edited, the values set so far.
     */
    QVariant Field(const QString &name) const;
    /** Field of the current row by position (0 for the first column), as Field(name). */
    QVariant Field(int index) const;
    /** Field(index), or Field(name) when index is -1: a missing field is reported by its name. */
    QVariant Field(int index, const QString &name) const { return index >= 0 ? Field(index) : Field(name); }
    /**
     * Position of the named field (matched case-insensitively) for Field(int), so that a caller
     * reading many rows finds its columns once; -1 when there is none.
     */
    int fieldIndex(const QString &name) const;
    /** Sets a field of the row being added or edited. */
    void setField(const QString &name, const QVariant &value);
    int FieldCount() const;
    QStringList FieldNames() const;
    /** The type of the named field as a QMetaType id. */
    int FieldType(const QString &name) const;

    void AddNew();
    /** Starts editing the current row; with LockEdits the row stays locked until Update. */
    void Edit();
    /** Writes the added or edited row; a new row reads its database-assigned key back. */
    void Update();
    void CancelUpdate();
    void Delete();
    void Close();
    bool isOpen() const { return m_open; }

private:
    friend class Database;
    Recordset();
    static std::unique_ptr<Recordset> create(std::shared_ptr<Database> database, const QString &sqlOrTable);
    void requireOpen() const;
    void requireCurrent() const;

    struct Impl;
    std::unique_ptr<Impl> d;
    bool m_open = false;
    bool m_noMatch = false;
    bool m_lockEdits = false;
};

} // namespace qrv::dao
