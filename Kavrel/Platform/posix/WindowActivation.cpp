#include "../Backend.h"

#include <Kavrel/Platform/Environment.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace Kavrel::Platform::Backend
{

namespace
{
// The source indication of a request made on the user's behalf by a pager,
// which window managers honour without focus-stealing prevention.
constexpr std::uint32_t SOURCE_PAGER = 2;
} // namespace

bool SystemActivateWindow(unsigned long windowId)
{
    const auto display = Platform::GetEnvironmentVariable("DISPLAY");
    if (!display || display->empty() || windowId == 0 || windowId > 0xFFFFFFFFul)
        return false;
    int screenNumber = 0;
    const std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection(
        xcb_connect(display->c_str(), &screenNumber), &xcb_disconnect);
    if (!connection || xcb_connection_has_error(connection.get()))
        return false;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0)
        return false;

    const char name[] = "_NET_ACTIVE_WINDOW";
    const std::unique_ptr<xcb_intern_atom_reply_t, void (*)(void*)> atom(
        xcb_intern_atom_reply(connection.get(), xcb_intern_atom(connection.get(), 0, sizeof name - 1, name),
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
        xcb_send_event_checked(connection.get(), 0, screens.data->root,
                               XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                               reinterpret_cast<const char*>(&message));
    std::unique_ptr<xcb_generic_error_t, void (*)(void*)> failure(xcb_request_check(connection.get(), sent),
                                                                  &std::free);
    return !failure;
}

} // namespace Kavrel::Platform::Backend
