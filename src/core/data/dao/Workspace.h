#pragma once

#include <memory>

namespace qrv::dao {

class Database;

/** The session that groups statements into transactions (the host's workspace handle). */
class Workspace {
public:
    explicit Workspace(std::shared_ptr<Database> database);

    void BeginTrans();
    /** Commits and flushes to disk; throws DaoError when the commit fails (nothing is kept then). */
    void CommitTrans();
    void Rollback();

    std::shared_ptr<Database> database() const { return m_database; }

private:
    std::shared_ptr<Database> m_database;
};

} // namespace qrv::dao
