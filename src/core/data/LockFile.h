#pragma once

#include <QString>

namespace qrv {

/**
 * An exclusive lock on a file shared by the tills (the lock files of the archive folder).
 *
 * The lock is flock(LOCK_EX | LOCK_NB) on a descriptor of its own, so a second holder is
 * refused whether it is another process or another object of this one, and the system drops
 * the lock when a till dies. The file is opened without truncation and emptied only once the
 * lock is held, so a losing attempt never touches the holder's file.
 */
class LockFile {
public:
    enum class Result {
        Locked, ///< the lock is ours
        Busy,   ///< someone else holds it
        Failed, ///< the file cannot be opened (see errorNumber and errorString)
    };

    /** Error numbers of the classic runtime, quoted in messages to the operator. */
    enum ErrorNumber {
        BadFileName = 52,      ///< the name cannot be a file name
        PermissionDenied = 70, ///< the file is locked by someone else
        AccessError = 75,      ///< any other failure to open
        PathNotFound = 76,     ///< the folder does not exist
    };

    explicit LockFile(QString path);
    /** Releases the lock without deleting the file. */
    ~LockFile();
    LockFile(const LockFile &) = delete;
    LockFile &operator=(const LockFile &) = delete;

    /** Tries once to take the lock; Locked when it was already ours. */
    Result tryLock();
    /**
     * Releases the lock; with removeFile the file is deleted first, while it is still held,
     * so that no other till can be holding it when it disappears. Does nothing when not held.
     */
    void unlock(bool removeFile);
    bool isLocked() const { return m_fd >= 0; }

    QString path() const { return m_path; }
    /** The number and text of the last failure (0 and "" after success). */
    int errorNumber() const { return m_errorNumber; }
    QString errorString() const { return m_errorString; }

    /** True when name can be a file name on every till's system (no \ / : * ? " < > | or control). */
    static bool isValidFileName(const QString &name);

private:
    void setError(int number, const QString &text);

    QString m_path;
    int m_fd = -1;
    int m_errorNumber = 0;
    QString m_errorString;
};

} // namespace qrv
