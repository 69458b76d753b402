#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace qrv {

namespace dao {
class Database;
class Recordset;
} // namespace dao

class LockFile;

/**
 * One query of the component: opened with Apri, read with LeggiNext until Errore is 10,
 * closed with Chiudi. Database failures are shown to the operator (Retry repeats the step);
 * callers only look at Errore. Apri can guard the query with a lock file in the archive folder.
 */
class clsRecordset {
public:
    /** Values of Errore. */
    enum : qint16 { Ok = 0, NoRow = 10, NotFound = 23, LockRefused = 93 };

    clsRecordset();
    ~clsRecordset();
    clsRecordset(const clsRecordset &) = delete;
    clsRecordset &operator=(const clsRecordset &) = delete;

    /**
     * Opens QualeTabella (a whole SQL query) on the object's own database, else on the shared one.
     * Errore: 0 with the first row current, 10 for no row (also when the operator cancels a
     * failure, so callers never read rows that are not there), 93 when Blocca is refused.
     */
    void Apri(const QString &Routine, bool SolaLettura, const QString &QualeTabella, bool Blocca,
              bool Aspetta = false);
    /** Closes the rows and the lock file, deletes the lock file; never reports anything. */
    void Chiudi();
    /** Moves to the next row; Errore becomes 10 past the last one and is otherwise unchanged. */
    void LeggiNext(QString &Routine);
    void LeggiNext(const QString &Routine = QString());
    void MoveFirst(QString &Routine);
    void MoveFirst(const QString &Routine = QString());
    /** Positions on the first row where Chiave1 Criterio1 Valore1 [and Chiave2 ...]; false with Errore 23. */
    bool Start(const QString &Routine, const QString &Chiave1, const QString &Criterio1,
               const QString &Valore1, const QString &Chiave2 = QString(),
               const QString &Criterio2 = QString(), const QString &Valore2 = QString());
    void CancellazioneRecordSet(const QString &Routine);
    void AzzeraErrore() { m_errore = Ok; }

    qint16 Errore() const { return m_errore; }
    /** The open rows, or nullptr when none are open. */
    dao::Recordset *ilRecordset() const;
    qint32 TipoCampo(const QString &Nome) const;
    qint32 QuantiCampi() const;

    std::shared_ptr<dao::Database> DataBase() const { return m_database; }
    void setDataBase(std::shared_ptr<dao::Database> database) { m_database = std::move(database); }

    /**
     * Quiet: database failures are not shown; the failing method gives up at once as if the
     * operator had cancelled its box (Apri then leaves no recordset and Errore 10). Off unless set;
     * the lock messages of Blocca are shown either way.
     */
    void setQuiet(bool quiet) { m_quiet = quiet; }

private:
    /**
     * Runs step; a database error is shown as describe() followed by its number and description,
     * and Retry reopens a lost connection and runs the step again. False when the operator gave up.
     */
    bool runStep(const std::function<void()> &step, const std::function<QString()> &describe, int flags,
                 const QString &title) const;
    /** Takes the lock file of Q; true when another holder refused it and the caller did not wait. */
    bool BloccaSblocca(const QString &Q, bool Aspetta);
    /** Runs the query again (the first row becomes current), ignoring every failure. */
    void PopolaRecordset();
    /** The object's own database, else the shared one; throws DaoError when neither is set. */
    std::shared_ptr<dao::Database> database() const;

    std::unique_ptr<dao::Recordset> m_recordset;
    qint16 m_errore = Ok;
    QString m_queryText;
    QString m_routine;
    std::unique_ptr<LockFile> m_lock;
    std::shared_ptr<dao::Database> m_database;
    bool m_quiet = false;
};

} // namespace qrv
