#include "../Backend.h"

#include <Kavrel/Platform/Environment.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <memory>
#include <type_traits>

namespace Kavrel::Platform::Backend
{

namespace
{
// The source indication of a request made on the user's behalf by a pager,
// which window managers honour without focus-stealing prevention.
constexpr std::uint32_t SOURCE_PAGER = 2;

// libxcb is loaded when a window is first activated, not with the layer: it
// and the four libraries it needs would otherwise be loaded and relocated at
// the start of every program of the layer, most of which never activate a
// window (1 ms of a 12 ms process listing). Null if it cannot be loaded.
struct Xcb
{
    decltype(&xcb_connect) connect;
    decltype(&xcb_disconnect) disconnect;
    decltype(&xcb_connection_has_error) connection_has_error;
    decltype(&xcb_get_setup) get_setup;
    decltype(&xcb_setup_roots_iterator) setup_roots_iterator;
    decltype(&xcb_screen_next) screen_next;
    decltype(&xcb_intern_atom) intern_atom;
    decltype(&xcb_intern_atom_reply) intern_atom_reply;
    decltype(&xcb_send_event_checked) send_event_checked;
    decltype(&xcb_request_check) request_check;

    static const Xcb* Get()
    {
        static const Xcb* const loaded = []() -> const Xcb*
        {
            // By its versioned name, from the system's folders: never one
            // found in the current folder.
            void* library = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
            if (!library)
                return nullptr;
            static Xcb xcb;
            bool complete = true;
            const auto load = [&](auto& function, const char* name)
            {
                function =
                    reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(library, name));
                complete = complete && function;
            };
            load(xcb.connect, "xcb_connect");
            load(xcb.disconnect, "xcb_disconnect");
            load(xcb.connection_has_error, "xcb_connection_has_error");
            load(xcb.get_setup, "xcb_get_setup");
            load(xcb.setup_roots_iterator, "xcb_setup_roots_iterator");
            load(xcb.screen_next, "xcb_screen_next");
            load(xcb.intern_atom, "xcb_intern_atom");
            load(xcb.intern_atom_reply, "xcb_intern_atom_reply");
            load(xcb.send_event_checked, "xcb_send_event_checked");
            load(xcb.request_check, "xcb_request_check");
            return complete ? &xcb : nullptr;
        }();
        return loaded;
    }
};
} // namespace

bool SystemActivateWindow(unsigned long windowId)
{
    const auto display = Platform::GetEnvironmentVariable("DISPLAY");
    if (!display || display->empty() || windowId == 0 || windowId > 0xFFFFFFFFul)
        return false;
    const Xcb* xcb = Xcb::Get();
    if (!xcb)
        return false;
    int screenNumber = 0;
    const std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection(
        xcb->connect(display->c_str(), &screenNumber), xcb->disconnect);
    if (!connection || xcb->connection_has_error(connection.get()))
        return false;
    xcb_screen_iterator_t screens = xcb->setup_roots_iterator(xcb->get_setup(connection.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb->screen_next(&screens);
    if (screens.rem == 0)
        return false;

    const char name[] = "_NET_ACTIVE_WINDOW";
    const std::unique_ptr<xcb_intern_atom_reply_t, void (*)(void*)> atom(
        xcb->intern_atom_reply(connection.get(), xcb->intern_atom(connection.get(), 0, sizeof name - 1, name),
                               nullptr),
        &std::free);
    if (!atom)
        return false;

    xcb_client_message_event_t message;
    std::memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(windowId);
    message.type = atom->atom;
    message.data.data32[0] = SOURCE_PAGER;
    message.data.data32[1] = XCB_CURRENT_TIME;
    const xcb_void_cookie_t sent =
        xcb->send_event_checked(connection.get(), 0, screens.data->root,
                                XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                                reinterpret_cast<const char*>(&message));
    std::unique_ptr<xcb_generic_error_t, void (*)(void*)> failure(xcb->request_check(connection.get(), sent),
                                                                  &std::free);
    return !failure;
}

} // namespace Kavrel::Platform::Backend
