#include "core/data/LockFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qrv {

namespace {

int openNoTruncate(const QByteArray &path) {
    int fd;
    do {
        fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

/** True when fd is still the file at path (a holder may have deleted it before we got the lock). */
bool stillLinked(int fd, const QByteArray &path) {
    struct stat opened {};
    struct stat named {};
    if (::fstat(fd, &opened) != 0 || ::stat(path.constData(), &named) != 0)
        return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

LockFile::LockFile(QString path) : m_path(std::move(path)) {}

LockFile::~LockFile() {
    unlock(false);
}

bool LockFile::isValidFileName(const QString &name) {
    if (name.isEmpty())
        return false;
    for (QChar c : name) {
        if (c.unicode() < 32 || QStringView(u"\\/:*?\"<>|").contains(c))
            return false;
    }
    return true;
}

void LockFile::setError(int number, const QString &text) {
    m_errorNumber = number;
    m_errorString = text;
}

LockFile::Result LockFile::tryLock() {
    if (isLocked())
        return Result::Locked;
    setError(0, QString());
    const QByteArray native = QFile::encodeName(m_path);
    // A holder deletes the file while it still holds it; whoever then wins the lock on the
    // deleted file must open the name again, or two tills would hold "the same" lock.
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd = openNoTruncate(native);
        if (fd < 0) {
            const int err = errno;
            const QString text = QString::fromLocal8Bit(std::strerror(err));
            if (err == ENOENT || err == ENOTDIR)
                setError(PathNotFound, QStringLiteral("Impossibile trovare il percorso (%1)").arg(text));
            else if (err == ENAMETOOLONG)
                setError(BadFileName, QStringLiteral("Nome o numero di file non valido (%1)").arg(text));
            else
                setError(AccessError, QStringLiteral("Errore di accesso al percorso/file (%1)").arg(text));
            return Result::Failed;
        }
        int rc;
        do {
            rc = ::flock(fd, LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc != 0) {
            const int err = errno;
            ::close(fd);
            if (err == EWOULDBLOCK) {
                setError(PermissionDenied, QStringLiteral("Permesso negato"));
                return Result::Busy;
            }
            setError(AccessError, QStringLiteral("Errore di accesso al percorso/file (%1)")
                                      .arg(QString::fromLocal8Bit(std::strerror(err))));
            return Result::Failed;
        }
        if (!stillLinked(fd, native)) {
            ::close(fd);
            continue;
        }
        // Opened for output: the holder starts from an empty file.
        if (::ftruncate(fd, 0) != 0) {
            // The lock is what matters; an unwritable size changes nothing for the others.
        }
        m_fd = fd;
        return Result::Locked;
    }
    setError(AccessError, QStringLiteral("Errore di accesso al percorso/file"));
    return Result::Failed;
}

void LockFile::unlock(bool removeFile) {
    if (!isLocked())
        return;
    if (removeFile)
        ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd); // closing the only descriptor releases the flock
    m_fd = -1;
}

} // namespace qrv
