#include "core/data/dao/Workspace.h"

#include "core/data/dao/Database.h"

namespace qrv::dao {

namespace {

Database &require(const std::shared_ptr<Database> &database) {
    if (!database)
        throw DaoError(DaoErrorCode::ObjectClosed, QStringLiteral("The workspace has no database"));
    return *database;
}

} // namespace

Workspace::Workspace(std::shared_ptr<Database> database) : m_database(std::move(database)) {}

void Workspace::BeginTrans() {
    require(m_database).beginTransaction();
}

void Workspace::CommitTrans() {
    require(m_database).commitTransaction();
}

void Workspace::Rollback() {
    require(m_database).rollbackTransaction();
}

} // namespace qrv::dao
