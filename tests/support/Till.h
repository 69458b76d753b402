#pragma once

#include "core/data/dao/Database.h"
#include "core/settings/SharedState.h"
#include "support/ScriptedMessages.h"
#include "support/TestDatabases.h"

#include <QTemporaryDir>
#include <memory>

namespace qrvtest {

/**
 * What a host till hands the component, for one test: one folder serving as application and
 * archive folder, the scripted message box and window, and on request a venue database. All of it
 * is shared through SharedState, which starts afresh and is reset again when the till goes.
 */
class Till {
public:
    Till() {
        qrv::SharedState &shared = qrv::SharedState::current();
        shared = qrv::SharedState();
        shared.App_Path = app.path();
        shared.ilPathArchivi = app.path();
    }
    ~Till() { qrv::SharedState::current() = qrv::SharedState(); }
    Till(const Till &) = delete;
    Till &operator=(const Till &) = delete;

    /** Gives the till a venue database on engine, the demo venue or an empty one, shared as DataBase. */
    std::shared_ptr<qrv::dao::Database> open(const QString &engine, bool demo = true) {
        db = demo ? demoDatabase(engine) : freshDatabase(engine);
        qrv::SharedState::current().DataBase = db;
        return db;
    }

    /** The first column of the first row of sql as a number. */
    qlonglong count(const QString &sql) const { return scalar(db, sql).toLongLong(); }

    QTemporaryDir app;
    ScriptedMessageBox box;
    ScriptedMessageWindow window;
    std::shared_ptr<qrv::dao::Database> db;
};

} // namespace qrvtest
