#include "detail/FrameExtents.h"

#include <QGuiApplication>
#include <QWidget>
#include <chrono>
#include <cmath>
#include <thread>

#if ORVANE_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>
#endif

namespace orvane::toolkit::detail {

#if ORVANE_HAVE_XCB
namespace {

// xcb hands out replies that the caller frees.
template <class Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <class Reply>
Owned<Reply> Own(Reply* reply) {
    return Owned<Reply>(reply, &std::free);
}

xcb_atom_t Atom(xcb_connection_t* connection, std::string_view name) {
    const auto reply = Own(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The property's 32-bit values, empty when it is not set.
std::vector<std::uint32_t> Values(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
                                  xcb_atom_t type) {
    const auto reply = Own(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, 1024), nullptr));
    if (!reply || reply->format != 32) return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

bool Supports(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t request) {
    for (const std::uint32_t atom : Values(connection, root, Atom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM))
        if (atom == request) return true;
    return false;
}

}  // namespace

// The window manager's side of it (_NET_REQUEST_FRAME_EXTENTS): the client
// asks about a window not yet mapped, the manager sets _NET_FRAME_EXTENTS
// (left, right, top, bottom) on it.
std::optional<QMargins> AnnouncedFrameMargins(Qt::WindowFlags flags) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return std::nullopt;
    xcb_connection_t* connection = x11->connection();

    // Like the windows: fixed size, which spares it a resize handle.
    QWidget probe(nullptr, flags);
    probe.setFixedSize(160, 120);
    const auto window = static_cast<xcb_window_t>(probe.winId());  // made, not shown
    const auto tree = Own(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!tree) return std::nullopt;
    const xcb_atom_t request = Atom(connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = Atom(connection, "_NET_FRAME_EXTENTS");
    if (request == XCB_ATOM_NONE || !Supports(connection, tree->root, request)) return std::nullopt;

    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = request;
    xcb_send_event(connection, 0, tree->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(connection);

    // A window manager that lists the request answers at once; the bound
    // only keeps a stuck one from holding up the start.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::vector<std::uint32_t> frame;
    while ((frame = Values(connection, window, extents, XCB_ATOM_CARDINAL)).size() < 4) {
        if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // The manager counts device pixels; the windows count Qt's pixels.
    const double ratio = probe.devicePixelRatioF();
    const auto scaled = [ratio](std::uint32_t pixels) { return static_cast<int>(std::lround(pixels / ratio)); };
    return QMargins(scaled(frame[0]), scaled(frame[2]), scaled(frame[1]), scaled(frame[3]));
}

#else

std::optional<QMargins> AnnouncedFrameMargins(Qt::WindowFlags) { return std::nullopt; }

#endif

}  // namespace orvane::toolkit::detail
