#pragma once

// What only the operations tests need on top of the venue builder: the journal of the order
// changes and the sales lock.

#include "core/data/LockFile.h"
#include "core/data/dao/Database.h"
#include "core/data/dao/VenueSetup.h"
#include "core/operations/JournalReport.h"
#include "core/operations/OrderJournal.h"
#include "core/operations/OrderMove.h"
#include "support/TestDatabases.h"
#include "support/VenueRows.h"

#include <QFile>
#include <QTest>

namespace opstest {

using qrvtest::DbPtr;

/** Creates RegistroTavoli as a host keeping a journal does; reconnects so the table is learnt afresh. */
inline void addJournal(const DbPtr &db) {
    const bool pg = db->engine() == qrv::dao::Database::Engine::PostgreSQL;
    QFile script(QStringLiteral(QRV_SOURCE_DIR "/schema/registro-%1.sql")
                     .arg(pg ? QStringLiteral("postgresql") : QStringLiteral("sqlite")));
    QVERIFY(script.open(QIODevice::ReadOnly));
    for (const QString &statement : qrv::dao::splitSqlScript(QString::fromUtf8(script.readAll())))
        db->ExecuteNative(statement);
    db->connection().close();
    db->reconnect();
}

/**
 * The journal, one text per row: operation, table (number, or [Codice] when none was given),
 * ">" and the destination for a move, the line list, the total, the description and "@" the till.
 */
inline QStringList journal(const DbPtr &db) {
    const auto table = [](const QString &numero, qint64 codice) {
        return numero.isEmpty() ? QStringLiteral("[%1]").arg(codice) : numero;
    };
    QStringList rows;
    for (const qrv::JournalRow &r : qrv::JournalReport::read(*db)) {
        QString text = r.operazione + QLatin1Char(' ') + table(r.numeroDa, r.codiceDa);
        if (r.codiceA > 0)
            text += QLatin1Char('>') + table(r.numeroA, r.codiceA);
        text += QLatin1Char(' ') + qrv::OrderJournal::lineList(r.righe) + QLatin1Char(' ') +
                QString::number(r.totale, 'f', 2);
        if (!r.descrizione.isEmpty())
            text += QLatin1Char(' ') + r.descrizione;
        if (!r.cassa.isEmpty())
            text += QStringLiteral(" @") + r.cassa;
        rows.append(text);
    }
    return rows;
}

/** True when the sales lock of the archive folder can be taken at once (and is released again). */
inline bool lockIsFree(const QString &archiveFolder) {
    qrv::LockFile probe(qrv::OrderMove::lockPath(archiveFolder));
    return probe.tryLock() == qrv::LockFile::Result::Locked;
}

} // namespace opstest
