#include "component/FormRegistry.h"

#include <map>

namespace qrv {

namespace {
std::map<FormId, FormRegistry::ShowFunction> &registry() {
    static std::map<FormId, FormRegistry::ShowFunction> forms;
    return forms;
}
} // namespace

bool FormRegistry::registerForm(FormId id, ShowFunction show) {
    registry()[id] = std::move(show);
    return true;
}

FormRegistry::ShowFunction FormRegistry::registered(FormId id) {
    auto it = registry().find(id);
    return it == registry().end() ? ShowFunction() : it->second;
}

bool FormRegistry::show(FormId id) {
    auto it = registry().find(id);
    if (it == registry().end() || !it->second)
        return false;
    it->second();
    return true;
}

} // namespace qrv
