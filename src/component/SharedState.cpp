#include "component/SharedState.h"

#include "data/dao/Database.h"
#include "data/dao/Workspace.h"

namespace qrv {

SharedState &SharedState::current() {
    thread_local SharedState state;
    return state;
}

} // namespace qrv
