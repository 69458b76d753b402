#include "core/data/clsRecordset.h"

#include "core/data/LockFile.h"
#include "core/data/MessageBox.h"
#include "core/data/RetryStep.h"
#include "core/data/dao/DaoError.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/Recordset.h"
#include "core/settings/IniFile.h"
#include "core/settings/SharedState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>

namespace qrv {

namespace {

const QString crLf = QStringLiteral("\r\n");

QString componentTitle() {
    return QStringLiteral("qrvTavoli - clsRecordset");
}

/**
 * Waits ms while letting pending events run, so that the screen keeps painting (and timers keep
 * firing) while a lock is awaited; the operator's touches wait, so none runs in the middle of a query.
 */
void pauseWithEvents(int ms) {
    QElapsedTimer elapsed;
    elapsed.start();
    for (;;) {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const qint64 left = ms - elapsed.elapsed();
        if (left <= 0)
            return;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 10)));
    }
}

/** The first line of a marker file: UTF-8 when it is valid UTF-8, else the Western Windows code page. */
QString firstLineOf(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return IniFile::decode(line, IniFile::detectEncoding(line));
}

} // namespace

bool clsRecordset::runStep(const std::function<void()> &step, const std::function<QString()> &describe,
                           int flags, const QString &title) const {
    return runWithRetry(
        step,
        [&](const dao::DaoError &error) {
            if (m_quiet)
                return false;
            const QString text =
                describe() + crLf + QString::number(error.number()) + QLatin1Char(' ') + error.description();
            return MsgBox(text, flags, title) == MessageBox::vbRetry;
        },
        [this] { return m_database ? m_database : SharedState::current().DataBase; });
}

clsRecordset::clsRecordset() = default;

clsRecordset::~clsRecordset() {
    Chiudi();
}

dao::Recordset *clsRecordset::ilRecordset() const {
    return m_recordset.get();
}

std::shared_ptr<dao::Database> clsRecordset::database() const {
    if (m_database)
        return m_database;
    if (auto shared = SharedState::current().DataBase)
        return shared;
    throw dao::DaoError(dao::DaoErrorCode::ObjectClosed,
                        QStringLiteral("Nessun database aperto: DataBase non impostato"));
}

void clsRecordset::Apri(const QString &Routine, bool SolaLettura, const QString &QualeTabella, bool Blocca,
                        bool Aspetta) {
    Q_UNUSED(SolaLettura); // every recordset can be edited; the flag is kept for the callers
    // An object serves one query: whatever an earlier Apri left open goes first.
    if (m_recordset || m_lock)
        Chiudi();

    m_routine = Routine;
    if (Blocca && BloccaSblocca(QualeTabella, Aspetta)) {
        m_errore = LockRefused;
        return;
    }
    m_queryText = QualeTabella;

    const auto describe = [&] {
        return QStringLiteral("Errore nel metodo Apri (tabella:") + m_queryText +
               QStringLiteral(" ) chiamato da ") + Routine;
    };
    const int flags = MessageBox::vbRetryCancel + MessageBox::vbCritical;
    // A cancelled open must not look like a found row: the callers only test for 10.
    const auto giveUp = [&] {
        m_recordset.reset();
        m_errore = NoRow;
    };

    std::shared_ptr<dao::Database> db;
    // The cache is refreshed before the rows are read, so that other tills' commits are seen; the
    // rows and their count are then complete, so the query is not run a second time.
    if (!runStep(
            [&] {
                db = database();
                db->Idle();
                m_recordset = db->OpenRecordset(QualeTabella);
            },
            describe, flags, componentTitle())) {
        giveUp();
        return;
    }
    m_recordset->setLockEdits(true);

    bool hasRows = false;
    if (!runStep(
            [&] {
                hasRows = m_recordset->RecordCount() > 0;
                if (hasRows)
                    m_recordset->MoveFirst();
            },
            describe, flags, componentTitle())) {
        giveUp();
        return;
    }
    m_errore = hasRows ? Ok : NoRow;
}

void clsRecordset::PopolaRecordset() {
    // The access layer reads every row and the exact count when the recordset opens, so moving to
    // the last row and back counts nothing more; what is left is to run the query again.
    if (!m_recordset)
        return;
    try {
        m_recordset->Requery();
    } catch (const dao::DaoError &) {
    }
}

bool clsRecordset::BloccaSblocca(const QString &Q, bool Aspetta) {
    const QString archive = SharedState::current().ilPathArchivi;
    const QString lockPath = archive + QLatin1Char('/') + Q + QStringLiteral(".txt");
    const QString markerPath = archive + QStringLiteral("/user_") + Q + QStringLiteral(".txt");
    // A query text with characters no till's file system accepts, or no archive folder at all,
    // cannot be a lock: the operator is told and the query runs unguarded.
    const bool usableName = !archive.isEmpty() && LockFile::isValidFileName(Q);

    for (;;) {
        auto lock = std::make_unique<LockFile>(lockPath);
        LockFile::Result result = LockFile::Result::Failed;
        int errorNumber = 0;
        QString errorText;
        if (archive.isEmpty()) {
            errorNumber = LockFile::PathNotFound;
            errorText = QStringLiteral("Impossibile trovare il percorso (cartella archivi non impostata)");
        } else if (!usableName) {
            errorNumber = LockFile::BadFileName;
            errorText = QStringLiteral("Nome o numero di file non valido");
        } else {
            result = lock->tryLock();
            errorNumber = lock->errorNumber();
            errorText = lock->errorString();
        }

        if (result == LockFile::Result::Locked) {
            m_lock = std::move(lock);
            break;
        }
        if (result == LockFile::Result::Failed) {
            MsgBox(QStringLiteral("Errore in BloccaSblocca aprendo ") + lockPath + crLf +
                       QString::number(errorNumber) + QLatin1Char(' ') + errorText,
                   MessageBox::vbOKOnly + MessageBox::vbCritical, QStringLiteral("Errore"));
            break;
        }
        if (!Aspetta) {
            MsgBox(QStringLiteral("File ") + Q + QStringLiteral(" già aperto in uso esclusivo da ") +
                       firstLineOf(markerPath),
                   MessageBox::vbOKOnly, QStringLiteral("qrvTavoli"));
            return true;
        }
        // Waiting: retry until the holder closes, pausing so that this till neither spins the
        // processor nor freezes its screen meanwhile.
        pauseWithEvents(Q.toUpper() == QLatin1String("NUMERO") ? 1000 : 50);
    }

    if (usableName) {
        QFile marker(markerPath);
        if (marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
            marker.close();
    }
    return false;
}

void clsRecordset::Chiudi() {
    m_errore = Ok;
    if (m_recordset) {
        try {
            m_recordset->Close();
        } catch (const dao::DaoError &) {
        }
        m_recordset.reset();
    }
    if (m_lock) {
        m_lock->unlock(true);
        m_lock.reset();
    }
    m_errore = Ok;
}

void clsRecordset::LeggiNext(QString &Routine) {
    if (Routine.isEmpty())
        Routine = m_routine;
    if (!m_recordset) {
        m_errore = NoRow;
        return;
    }
    bool pastEnd = false;
    const bool done = runStep(
        [&] {
            if (!m_recordset->Eof())
                m_recordset->MoveNext();
            pastEnd = m_recordset->Eof();
        },
        [&] {
            return QStringLiteral("Errore nel metodo LeggiNext chiamato da ") + Routine + crLf +
                   QStringLiteral("Recordset:") + m_queryText;
        },
        MessageBox::vbRetryCancel + MessageBox::vbCritical, componentTitle());
    // A cancelled move ends the caller's reading loop rather than showing the same row again.
    if (pastEnd || !done)
        m_errore = NoRow;
}

void clsRecordset::LeggiNext(const QString &Routine) {
    QString routine = Routine;
    LeggiNext(routine);
}

void clsRecordset::MoveFirst(QString &Routine) {
    if (Routine.isEmpty())
        Routine = m_routine;
    if (!m_recordset) {
        m_errore = NoRow;
        return;
    }
    qint16 result = NoRow;
    const bool done = runStep(
        [&] {
            result = NoRow;
            if (m_recordset->RecordCount() > 0) {
                m_recordset->MoveFirst();
                result = m_recordset->Eof() ? NoRow : Ok;
            }
        },
        [&] {
            return QStringLiteral("Errore nel metodo MoveFirst chiamato da ") + Routine + crLf +
                   QStringLiteral("Recordset:") + m_queryText;
        },
        MessageBox::vbRetryCancel + MessageBox::vbCritical, QStringLiteral("clsRecordset"));
    m_errore = done ? result : qint16(NoRow);
}

void clsRecordset::MoveFirst(const QString &Routine) {
    QString routine = Routine;
    MoveFirst(routine);
}

bool clsRecordset::Start(const QString &Routine, const QString &Chiave1, const QString &Criterio1,
                         const QString &Valore1, const QString &Chiave2, const QString &Criterio2,
                         const QString &Valore2) {
    m_errore = Ok;
    const QChar blank = QLatin1Char(' ');
    QString condition = Chiave1 + blank + Criterio1 + blank + Valore1;
    if (!Chiave2.isEmpty())
        condition += QStringLiteral(" and ") + Chiave2 + blank + Criterio2 + blank + Valore2;

    const auto describe = [&] {
        return QStringLiteral("Errore nel metodo Start chiamato da ") + Routine + crLf + condition;
    };
    const int flags = MessageBox::vbRetryCancel + MessageBox::vbCritical;

    bool hasRows = false;
    if (m_recordset &&
        !runStep([&] { hasRows = m_recordset->RecordCount() > 0; }, describe, flags, componentTitle()))
        return false;
    if (!hasRows) {
        m_errore = NotFound;
        return false;
    }

    bool found = false;
    if (!runStep(
            [&] {
                m_recordset->MoveFirst();
                m_recordset->FindFirst(condition);
                found = !m_recordset->NoMatch();
            },
            describe, flags, componentTitle()))
        return false;
    m_errore = found ? Ok : NotFound;
    return found;
}

void clsRecordset::CancellazioneRecordSet(const QString &Routine) {
    if (!m_recordset)
        return;
    PopolaRecordset();
    runStep(
        [&] {
            while (!m_recordset->Eof()) {
                m_recordset->Delete();
                m_recordset->MoveNext();
            }
        },
        [&] {
            return QStringLiteral("Errore nel metodo CancellazioneRecordset chiamato da ") + Routine + crLf +
                   QStringLiteral("Recordset:") + m_queryText;
        },
        MessageBox::vbOKOnly + MessageBox::vbCritical, componentTitle());
}

qint32 clsRecordset::TipoCampo(const QString &Nome) const {
    if (!m_recordset)
        return 0;
    try {
        return m_recordset->FieldType(Nome);
    } catch (const dao::DaoError &) {
        return 0;
    }
}

qint32 clsRecordset::QuantiCampi() const {
    if (!m_recordset)
        return 0;
    try {
        return m_recordset->FieldCount();
    } catch (const dao::DaoError &) {
        return 0;
    }
}

} // namespace qrv
