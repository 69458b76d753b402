#include "core/settings/SharedState.h"

#include "core/data/dao/Database.h"
#include "core/data/dao/Workspace.h"

namespace qrv {

SharedState &SharedState::current() {
    thread_local SharedState state;
    return state;
}

} // namespace qrv
