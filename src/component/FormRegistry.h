#pragma once

#include <functional>

namespace qrv {

/**
 * The forms the component shows modally. Each form's source registers how to show it (creating
 * it on first use on the calling thread and keeping it for the thread's life); clsTavoli shows
 * them through here, so the entry class does not depend on the forms' code.
 */
enum class FormId { Tavoli, ContiSeparati, Sala, DatiTavolo };

class FormRegistry {
public:
    using ShowFunction = std::function<void()>;

    /** Registers how to show a form modally; returns true so it can initialise a static. */
    static bool registerForm(FormId id, ShowFunction show);
    /** Shows the form modally and returns when it closes; false when no such form is registered. */
    static bool show(FormId id);
    /** How the form is shown, empty when it is not registered. */
    static ShowFunction registered(FormId id);
};

} // namespace qrv
