#pragma once

#include <QString>
#include <exception>

namespace qrv::dao {

/**
 * A failure of the database access layer: an error number and a description.
 * Numbers are our own (see DaoErrorCode); the description carries the engine's text.
 */
class DaoError : public std::exception {
public:
    DaoError(int number, QString description);

    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QByteArray m_what;
};

/** Error numbers raised by the access layer. */
namespace DaoErrorCode {
constexpr int OpenFailed = 3044;        // the database cannot be opened
constexpr int SyntaxError = 3075;       // the statement or a condition could not be parsed
constexpr int StatementFailed = 3146;   // the engine refused the statement
constexpr int NoCurrentRecord = 3021;   // move or field access without a current row
constexpr int UpdateWithoutEdit = 3020; // Update without AddNew or Edit
constexpr int RecordLocked = 3260;      // the row is locked by another till
constexpr int FieldNotFound = 3265;     // no column of that name
constexpr int TransactionFailed = 3034; // commit or rollback failed
constexpr int TypeMismatch = 13;        // a value of the wrong kind
constexpr int ObjectClosed = 3420;      // the recordset was closed
constexpr int ReadOnly = 3027;          // the rows cannot be written back (no table or no key)
constexpr int RecordDeleted = 3167;     // the row was deleted meanwhile
constexpr int InvalidOperation = 3219;  // the operation does not fit the object (e.g. not a query)
constexpr int ConnectionLost = 3151;    // the connection to the server was lost and not reopened
constexpr int NulInText = 3421;         // a text holding a NUL character (no engine stores one alike)
} // namespace DaoErrorCode

} // namespace qrv::dao
