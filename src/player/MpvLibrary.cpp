#include "MpvLibrary.h"

#include "model/VantorError.h"

#include <dlfcn.h>

namespace vantor {

namespace {

template <typename Function> void resolve(void* library, const char* symbol, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, symbol));
    if (!function)
        throw Error(std::string("mpv: the player library lacks ") + symbol);
}

} // namespace

std::string MpvLibrary::defaultName()
{
    // The major version of the client interface is the library's ABI version (libmpv.so.2 for 2.x).
    return "libmpv.so." + std::to_string(MPV_CLIENT_API_VERSION >> 16);
}

MpvLibrary MpvLibrary::load(const std::string& name)
{
    const std::string file = name.empty() ? defaultName() : name;
    void* library = dlopen(file.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        throw Error("mpv: the player library could not be loaded: " + std::string(reason ? reason : file));
    }
    MpvLibrary functions;
    resolve(library, "mpv_create", functions.create);
    resolve(library, "mpv_initialize", functions.initialize);
    resolve(library, "mpv_set_option_string", functions.setOptionString);
    resolve(library, "mpv_terminate_destroy", functions.terminateDestroy);
    resolve(library, "mpv_error_string", functions.errorString);
    resolve(library, "mpv_observe_property", functions.observeProperty);
    resolve(library, "mpv_set_wakeup_callback", functions.setWakeupCallback);
    resolve(library, "mpv_wakeup", functions.wakeup);
    resolve(library, "mpv_wait_event", functions.waitEvent);
    resolve(library, "mpv_command_async", functions.commandAsync);
    resolve(library, "mpv_set_property_async", functions.setPropertyAsync);
    resolve(library, "mpv_render_context_create", functions.renderContextCreate);
    resolve(library, "mpv_render_context_free", functions.renderContextFree);
    resolve(library, "mpv_render_context_set_update_callback", functions.renderContextSetUpdateCallback);
    resolve(library, "mpv_render_context_update", functions.renderContextUpdate);
    resolve(library, "mpv_render_context_render", functions.renderContextRender);
    return functions;
}

} // namespace vantor
