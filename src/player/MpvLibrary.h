#pragma once

#include <mpv/client.h>
#include <mpv/render.h>

#include <string>

namespace vantor {

// libmpv's functions, resolved at run time rather than linked. Debian's libmpv pulls in some 230 shared
// libraries, whose loading took 0.15 s before main() could run; MpvPlayer loads it on a worker thread
// once the event loop runs, so the main window is built and painted first (a load beside the window's
// construction slowed that by 0.12 s: both wait on the dynamic loader). The library stays loaded for the
// life of the process: its threads' code must not be unmapped under them.
struct MpvLibrary {
    // The file name of the libmpv whose interface the headers describe.
    static std::string defaultName();
    // Loads `name` (defaultName() when empty) and resolves every function. Throws vantor::Error with the
    // loader's message when the library or one of its functions is missing. Safe on any thread.
    static MpvLibrary load(const std::string& name);

    decltype(&::mpv_create) create = nullptr;
    decltype(&::mpv_initialize) initialize = nullptr;
    decltype(&::mpv_set_option_string) setOptionString = nullptr;
    decltype(&::mpv_terminate_destroy) terminateDestroy = nullptr;
    decltype(&::mpv_error_string) errorString = nullptr;
    decltype(&::mpv_observe_property) observeProperty = nullptr;
    decltype(&::mpv_set_wakeup_callback) setWakeupCallback = nullptr;
    decltype(&::mpv_wakeup) wakeup = nullptr;
    decltype(&::mpv_wait_event) waitEvent = nullptr;
    decltype(&::mpv_command_async) commandAsync = nullptr;
    decltype(&::mpv_set_property_async) setPropertyAsync = nullptr;
    decltype(&::mpv_render_context_create) renderContextCreate = nullptr;
    decltype(&::mpv_render_context_free) renderContextFree = nullptr;
    decltype(&::mpv_render_context_set_update_callback) renderContextSetUpdateCallback = nullptr;
    decltype(&::mpv_render_context_update) renderContextUpdate = nullptr;
    decltype(&::mpv_render_context_render) renderContextRender = nullptr;
};

} // namespace vantor
