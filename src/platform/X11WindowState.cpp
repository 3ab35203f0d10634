#include "X11WindowState.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef TANZO_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>
#endif

namespace tanzo::x11 {

#ifdef TANZO_HAVE_XCB
namespace {

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    if (!name)
        return XCB_ATOM_NONE;
    const auto cookie = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

// The connection, or null off the xcb platform (the offscreen platform may
// answer the X11 interface without one).
xcb_connection_t* connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

std::vector<xcb_atom_t> stateAtoms(xcb_connection_t* c, xcb_window_t id, xcb_atom_t property) {
    std::vector<xcb_atom_t> atoms;
    const auto cookie = xcb_get_property(c, 0, id, property, XCB_ATOM_ATOM, 0, 64);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr);
    if (!reply)
        return atoms;
    if (reply->format == 32) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return atoms;
}

bool mapped(xcb_connection_t* c, xcb_window_t id) {
    xcb_get_window_attributes_reply_t* reply =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr);
    if (!reply)
        return false;
    const bool mapped = reply->map_state != XCB_MAP_STATE_UNMAPPED;
    std::free(reply);
    return mapped;
}

} // namespace
#endif

bool isActive() {
#ifdef TANZO_HAVE_XCB
    return connection() != nullptr;
#else
    return false;
#endif
}

bool isMapped(QWidget* window) {
#ifdef TANZO_HAVE_XCB
    xcb_connection_t* c = connection();
    return c && window && window->internalWinId() &&
           mapped(c, static_cast<xcb_window_t>(window->internalWinId()));
#else
    (void)window;
    return false;
#endif
}

bool setNetWmState(QWidget* window, bool add, const char* state, const char* second) {
#ifdef TANZO_HAVE_XCB
    xcb_connection_t* c = connection();
    if (!c || !window || !window->internalWinId())
        return false;
    const auto id = static_cast<xcb_window_t>(window->internalWinId());
    const xcb_atom_t property = internAtom(c, "_NET_WM_STATE");
    const xcb_atom_t first = internAtom(c, state);
    const xcb_atom_t other = internAtom(c, second);
    if (property == XCB_ATOM_NONE || first == XCB_ATOM_NONE)
        return false;

    {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        xcb_client_message_event_t ev{};
        ev.response_type = XCB_CLIENT_MESSAGE;
        ev.format = 32;
        ev.window = id;
        ev.type = property;
        ev.data.data32[0] = add ? 1 : 0; // _NET_WM_STATE_ADD / _REMOVE
        ev.data.data32[1] = first;
        ev.data.data32[2] = other;
        ev.data.data32[3] = 1; // from a normal application
        xcb_send_event(c, 0, screen->root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&ev));
    }
    if (!mapped(c, id)) {
        // Not managed yet: the property is the request. Atoms the toolkit
        // put there for its own reasons stay.
        std::vector<xcb_atom_t> atoms = stateAtoms(c, id, property);
        for (const xcb_atom_t atom : {first, other}) {
            if (atom == XCB_ATOM_NONE)
                continue;
            std::erase(atoms, atom);
            if (add)
                atoms.push_back(atom);
        }
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, property, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(atoms.size()), atoms.data());
    }
    xcb_flush(c);
    return true;
#else
    (void)window;
    (void)add;
    (void)state;
    (void)second;
    return false;
#endif
}

} // namespace tanzo::x11
