#include "TaskBarHint.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef TANZO_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace tanzo {

#ifdef TANZO_HAVE_XCB
namespace {

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    const auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

} // namespace
#endif

void keepOutOfTaskBar(QWidget* window) {
#ifdef TANZO_HAVE_XCB
    // Only the xcb platform has a window manager to ask (the offscreen
    // platform may answer the X11 interface without a connection).
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    if (!c)
        return;
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_atom_t state = internAtom(c, "_NET_WM_STATE");
    const xcb_atom_t skip[2] = {internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR"),
                                internAtom(c, "_NET_WM_STATE_SKIP_PAGER")};
    if (state == XCB_ATOM_NONE || skip[0] == XCB_ATOM_NONE)
        return;

    // Before the window is mapped the property itself is the request (Qt
    // keeps atoms it does not manage when it adds its own); a mapped window
    // asks the window manager with a client message. Both are sent, since
    // which of the two applies cannot be told reliably from here.
    xcb_change_property(c, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 2, skip);
    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = id;
        ev.type = state;
        ev.data.data32[0] = 1; // _NET_WM_STATE_ADD
        ev.data.data32[1] = skip[0];
        ev.data.data32[2] = skip[1];
        ev.data.data32[3] = 1; // from a normal application
        xcb_send_event(c, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&ev));
    }
    xcb_flush(c);
#else
    (void)window;
#endif
}

} // namespace tanzo
