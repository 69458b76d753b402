#pragma once

#include <QString>
#include <memory>

namespace qrv {

class clsRecordset;

/**
 * The rows behind the room form (rsSala): opened when the form loads, written by "Salva".
 * Texts go into fields of the recordset, never into SQL.
 */
class RoomEdit {
public:
    enum class SaveResult {
        Saved,
        RoomGone, ///< the room edited is no longer in the database: nothing written
        Failed,   ///< the database refused the write (already reported to the operator)
    };

    RoomEdit();
    ~RoomEdit();

    /** Opens Sale for a new room. */
    void openNew();
    /**
     * Opens the room with that code for editing; false (nothing to show) when it is not there
     * or the code is not a number.
     */
    bool openExisting(const QString &codice);
    bool isNew() const { return m_new; }

    /** Columns of the room opened for editing; a null reads as empty text or 0. */
    QString descrizione() const { return m_descrizione; }
    QString sfondo() const { return m_sfondo; }
    qint32 coloreSfondo() const { return m_colore; }

    /**
     * Adds the new room, or writes the edited one after checking that it is still there
     * (another till may have deleted it since the form opened).
     */
    SaveResult save(const QString &descrizione, const QString &sfondo, qint32 coloreSfondo);
    void close();

    /**
     * Deletes a room and every table standing in it, in one transaction: either both go or
     * neither does. Order lines of those tables stay. False when nothing was deleted.
     */
    static bool deleteRoom(const QString &codice);

private:
    std::unique_ptr<clsRecordset> m_rs;
    bool m_new = true;
    QString m_descrizione;
    QString m_sfondo;
    qint32 m_colore = 0;
};

} // namespace qrv
