#include "core/data/dao/Recordset.h"

#include "core/data/dao/ColumnValues.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/FindCondition.h"
#include "core/data/dao/QueryClassification.h"
#include "core/data/dao/RowStatements.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace qrv::dao {

using namespace DaoErrorCode;

struct Recordset::Impl {
    enum class Mode { None, Adding, Editing };

    std::shared_ptr<Database> db;
    QString source;        // what the caller passed
    QString nativeSql;     // the query as the engine runs it
    QString table;         // the table rows are written back to; empty when the rows are read-only
    QString keyColumn;     // that table's key as the engine names it
    int keyIndex = -1;     // the key's position among the columns, -1 when not selected
    bool keyKnown = false; // keyColumn and keyIndex have been asked for since the rows were read
    QVector<Column> columns;
    QVector<QVector<QVariant>> rows;
    int pos = 0;
    bool currentDeleted = false;
    Mode mode = Mode::None;
    QVector<QVariant> buffer;
    QVector<bool> dirty;
    bool ownTransaction = false;

    Database::Engine engine() const { return db->engine(); }

    int columnIndex(const QString &name) const {
        for (int i = 0; i < columns.size(); ++i) {
            if (columns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        }
        return -1;
    }

    int requireColumn(const QString &name) const {
        const int i = columnIndex(name);
        if (i < 0)
            throw DaoError(FieldNotFound, QStringLiteral("Item not found in this collection: %1").arg(name));
        return i;
    }

    /** Reads the row query stands on into row, for the columns it holds. */
    void readInto(QVector<QVariant> &row, const QSqlQuery &query) const {
        const QSqlRecord record = query.record();
        for (int i = 0; i < columns.size(); ++i) {
            const int at = record.indexOf(columns.at(i).name);
            if (at >= 0)
                row[i] = readValue(query.value(at), columns.at(i));
        }
    }

    void load();
    /**
     * Learns the key of the table before a row is written: reading needs none, and asking for it
     * costs a catalogue query on PostgreSQL (once per connection).
     */
    void learnKey() {
        if (keyKnown || table.isEmpty())
            return;
        keyColumn = db->primaryKey(table);
        keyIndex = keyColumn.isEmpty() ? -1 : columnIndex(keyColumn);
        keyKnown = true;
    }
    void cancelEdit();
    /**
     * Prepares and runs sql with values bound. The caller owns the query so that, when it fails
     * inside a transaction, the rollback comes before the query is released (PostgreSQL cannot
     * free a statement inside an aborted transaction).
     */
    void execPrepared(QSqlQuery &query, const QString &sql, const QVector<QVariant> &values) const;
};

void Recordset::Impl::load() {
    const std::optional<ClassifiedQuery> classified = classifyQuery(source, engine());
    if (!classified)
        throw DaoError(InvalidOperation, QStringLiteral("Not a query or a table name: %1").arg(source));
    nativeSql = classified->sql;
    table = classified->table;

    Database::refuseNul(nativeSql);
    QVector<Column> newColumns;
    QVector<QVector<QVariant>> newRows;
    db->onConnection(StatementFailed, [&](QSqlDatabase &c, QSqlError &error) {
        newColumns.clear();
        newRows.clear();
        QSqlQuery query(c);
        query.setForwardOnly(true);
        if (!query.exec(nativeSql)) {
            error = query.lastError();
            return false;
        }
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i)
            newColumns.append(describeColumn(record.fieldName(i), record.field(i).metaType().id()));
        while (query.next()) {
            QVector<QVariant> row(newColumns.size());
            for (int i = 0; i < newColumns.size(); ++i)
                row[i] = readValue(query.value(i), newColumns.at(i));
            newRows.append(row);
        }
        if (query.lastError().isValid()) {
            error = query.lastError();
            return false;
        }
        // The statement ends here: no read stays open on the connection.
        query.finish();
        return true;
    });
    columns = newColumns;
    rows = newRows;
    keyColumn.clear();
    keyIndex = -1;
    keyKnown = false;
    pos = 0;
    currentDeleted = false;
    mode = Mode::None;
    buffer.clear();
    dirty.clear();
}

void Recordset::Impl::cancelEdit() {
    mode = Mode::None;
    buffer.clear();
    dirty.clear();
    if (ownTransaction) {
        ownTransaction = false;
        if (db && db->inTransaction()) {
            try {
                db->rollbackTransaction();
            } catch (const DaoError &) {
            }
        }
    }
}

void Recordset::Impl::execPrepared(QSqlQuery &query, const QString &sql,
                                   const QVector<QVariant> &values) const {
    db->onConnection(StatementFailed, [&](QSqlDatabase &c, QSqlError &error) {
        // A fresh query on every attempt: a reopened connection knows no earlier statement. Read
        // forward only, so that the driver does not ask the catalogue for the table of each column.
        query = QSqlQuery(c);
        query.setForwardOnly(true);
        if (query.prepare(sql)) {
            for (const QVariant &v : values)
                query.addBindValue(bindableValue(v, engine()));
            if (query.exec())
                return true;
        }
        error = query.lastError();
        return false;
    });
}

Recordset::Recordset() = default;

Recordset::~Recordset() {
    Close();
}

std::unique_ptr<Recordset> Recordset::create(std::shared_ptr<Database> database, const QString &sqlOrTable) {
    std::unique_ptr<Recordset> rs(new Recordset);
    rs->d = std::make_unique<Impl>();
    rs->d->db = std::move(database);
    rs->d->source = sqlOrTable;
    rs->d->load();
    rs->m_open = true;
    return rs;
}

void Recordset::requireOpen() const {
    if (!m_open || !d || !d->db)
        throw DaoError(ObjectClosed, QStringLiteral("Object invalid or no longer set"));
}

void Recordset::requireCurrent() const {
    requireOpen();
    if (d->currentDeleted)
        throw DaoError(RecordDeleted, QStringLiteral("Record is deleted"));
    if (d->pos < 0 || d->pos >= d->rows.size())
        throw DaoError(NoCurrentRecord, QStringLiteral("No current record"));
}

int Recordset::RecordCount() const {
    requireOpen();
    return d->rows.size();
}

void Recordset::MoveFirst() {
    requireOpen();
    d->cancelEdit();
    if (d->rows.isEmpty())
        throw DaoError(NoCurrentRecord, QStringLiteral("No current record"));
    d->pos = 0;
    d->currentDeleted = false;
}

void Recordset::MoveLast() {
    requireOpen();
    d->cancelEdit();
    if (d->rows.isEmpty())
        throw DaoError(NoCurrentRecord, QStringLiteral("No current record"));
    d->pos = d->rows.size() - 1;
    d->currentDeleted = false;
}

void Recordset::MoveNext() {
    requireOpen();
    d->cancelEdit();
    if (d->currentDeleted) {
        // The rows after a deleted one have moved up: the next row is already at pos.
        d->currentDeleted = false;
        return;
    }
    if (d->pos >= d->rows.size())
        throw DaoError(NoCurrentRecord, QStringLiteral("No current record"));
    ++d->pos;
}

bool Recordset::Eof() const {
    requireOpen();
    return d->pos >= d->rows.size();
}

bool Recordset::Bof() const {
    requireOpen();
    return d->rows.isEmpty() || d->pos < 0;
}

void Recordset::FindFirst(const QString &condition) {
    requireOpen();
    d->cancelEdit();
    const std::optional<FindCondition> parsed = FindCondition::parse(condition);
    if (!parsed)
        throw DaoError(SyntaxError, QStringLiteral("Syntax error in the condition: %1").arg(condition));
    QVector<int> indexes;
    for (const FindCondition::Term &term : parsed->terms)
        indexes.append(d->requireColumn(term.field));
    for (int r = 0; r < d->rows.size(); ++r) {
        bool all = true;
        for (int t = 0; t < indexes.size() && all; ++t)
            all = FindCondition::matches(d->rows.at(r).at(indexes.at(t)), parsed->terms.at(t));
        if (all) {
            d->pos = r;
            d->currentDeleted = false;
            m_noMatch = false;
            return;
        }
    }
    m_noMatch = true;
}

void Recordset::Requery() {
    requireOpen();
    d->cancelEdit();
    d->load();
    m_noMatch = false;
}

QVariant Recordset::Field(const QString &name) const {
    requireOpen();
    const int i = d->requireColumn(name);
    if (d->mode != Impl::Mode::None)
        return d->buffer.at(i);
    requireCurrent();
    return d->rows.at(d->pos).at(i);
}

QVariant Recordset::Field(int index) const {
    requireOpen();
    if (index < 0 || index >= d->columns.size())
        throw DaoError(FieldNotFound, QStringLiteral("Item not found in this collection: %1").arg(index));
    if (d->mode != Impl::Mode::None)
        return d->buffer.at(index);
    requireCurrent();
    return d->rows.at(d->pos).at(index);
}

int Recordset::fieldIndex(const QString &name) const {
    requireOpen();
    return d->columnIndex(name);
}

void Recordset::setField(const QString &name, const QVariant &value) {
    requireOpen();
    const int i = d->requireColumn(name);
    if (d->mode == Impl::Mode::None)
        throw DaoError(UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit"));
    // SQLite would store the NUL and PostgreSQL refuse it with a driver error: both refuse it here.
    if (value.typeId() == QMetaType::QString)
        Database::refuseNul(value.toString());
    d->buffer[i] = assignedValue(value, d->columns.at(i), d->engine());
    d->dirty[i] = true;
}

int Recordset::FieldCount() const {
    requireOpen();
    return d->columns.size();
}

QStringList Recordset::FieldNames() const {
    requireOpen();
    QStringList names;
    for (const Column &c : d->columns)
        names.append(c.name);
    return names;
}

int Recordset::FieldType(const QString &name) const {
    requireOpen();
    const Column &c = d->columns.at(d->requireColumn(name));
    return c.isBool ? int(QMetaType::Bool) : c.type;
}

void Recordset::AddNew() {
    requireOpen();
    d->cancelEdit();
    if (d->table.isEmpty())
        throw DaoError(ReadOnly, QStringLiteral("Cannot update: the rows of this query are read-only"));
    d->buffer = QVector<QVariant>(d->columns.size());
    d->dirty = QVector<bool>(d->columns.size(), false);
    d->mode = Impl::Mode::Adding;
}

void Recordset::Edit() {
    requireCurrent();
    d->cancelEdit();
    d->learnKey(); // before the lock's transaction, which a failed catalogue read would spoil
    if (d->table.isEmpty() || d->keyIndex < 0 || d->rows.at(d->pos).at(d->keyIndex).isNull())
        throw DaoError(ReadOnly, QStringLiteral("Cannot update: the rows of this query are read-only"));
    if (m_lockEdits) {
        const Database::Engine engine = d->engine();
        QSqlQuery query(d->db->connection());
        if (!d->db->inTransaction()) {
            d->db->beginTransaction(); // SQLite: BEGIN IMMEDIATE, the write lock itself
            d->ownTransaction = true;
        }
        try {
            if (engine == Database::Engine::PostgreSQL)
                d->db->runStatement(QStringLiteral("SET LOCAL lock_timeout = %1").arg(d->db->busyTimeout()));
            // Re-read the row under the lock, so the edit starts from what is stored now.
            d->execPrepared(query, selectRowForUpdateSql(d->table, d->keyColumn, engine),
                            {d->rows.at(d->pos).at(d->keyIndex)});
            if (!query.next())
                throw DaoError(RecordDeleted, QStringLiteral("Record is deleted"));
            d->readInto(d->rows[d->pos], query);
            query.finish();
        } catch (...) {
            d->cancelEdit();
            throw;
        }
    }
    d->buffer = d->rows.at(d->pos);
    d->dirty = QVector<bool>(d->columns.size(), false);
    d->mode = Impl::Mode::Editing;
}

void Recordset::Update() {
    requireOpen();
    if (d->mode == Impl::Mode::None)
        throw DaoError(UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit"));
    const Database::Engine engine = d->engine();
    QStringList names;
    QVector<QVariant> values;
    for (int i = 0; i < d->columns.size(); ++i) {
        if (d->dirty.at(i)) {
            names.append(d->columns.at(i).name);
            values.append(d->buffer.at(i));
        }
    }
    QSqlQuery query(d->db->connection());
    try {
        if (d->mode == Impl::Mode::Adding) {
            QVector<QVariant> row = d->buffer;
            d->execPrepared(query, insertRowSql(d->table, names, engine), values);
            if (query.next())
                d->readInto(row, query);
            query.finish(); // SQLite keeps the insert's write lock until the statement is reset
            d->rows.append(row);
            d->pos = d->rows.size() - 1;
            d->currentDeleted = false;
        } else {
            if (!names.isEmpty()) {
                values.append(d->rows.at(d->pos).at(d->keyIndex));
                d->execPrepared(query, updateRowSql(d->table, names, d->keyColumn, engine), values);
                if (query.numRowsAffected() == 0)
                    throw DaoError(RecordDeleted, QStringLiteral("Record is deleted"));
                query.finish();
            }
            if (d->ownTransaction) {
                d->ownTransaction = false;
                d->db->commitTransaction();
            }
            d->rows[d->pos] = d->buffer;
        }
    } catch (...) {
        d->cancelEdit();
        throw;
    }
    d->mode = Impl::Mode::None;
    d->buffer.clear();
    d->dirty.clear();
}

void Recordset::CancelUpdate() {
    requireOpen();
    if (d->mode == Impl::Mode::None)
        throw DaoError(UpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit"));
    d->cancelEdit();
}

void Recordset::Delete() {
    requireCurrent();
    d->cancelEdit();
    d->learnKey();
    if (d->table.isEmpty() || d->keyIndex < 0 || d->rows.at(d->pos).at(d->keyIndex).isNull())
        throw DaoError(ReadOnly, QStringLiteral("Cannot delete: the rows of this query are read-only"));
    // A row another till deleted already is gone all the same: no error for it.
    QSqlQuery query(d->db->connection());
    d->execPrepared(query, deleteRowSql(d->table, d->keyColumn, d->engine()),
                    {d->rows.at(d->pos).at(d->keyIndex)});
    d->rows.remove(d->pos);
    d->currentDeleted = true;
}

void Recordset::Close() {
    if (!m_open || !d)
        return;
    d->cancelEdit();
    d->rows.clear();
    d->columns.clear();
    d->db.reset();
    m_open = false;
}

} // namespace qrv::dao
