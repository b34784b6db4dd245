#include "window/native_caption.h"

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>

namespace {
xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}
}  // namespace

void KeepEmptyCaptionEmpty(QWidget* window) {
    if (!window || !window->windowTitle().isEmpty()) return;
    QWindow* handle = window->windowHandle();
    if (!handle || !handle->handle()) return;  // no native window yet
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return;  // another platform (Wayland, offscreen)
    static xcb_connection_t* atomsOf = nullptr;
    static xcb_atom_t netWmName = XCB_ATOM_NONE, utf8String = XCB_ATOM_NONE;
    if (atomsOf != connection) {
        netWmName = Atom(connection, "_NET_WM_NAME");
        utf8String = Atom(connection, "UTF8_STRING");
        atomsOf = connection;
    }
    const auto id = static_cast<xcb_window_t>(handle->winId());
    if (netWmName != XCB_ATOM_NONE && utf8String != XCB_ATOM_NONE)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netWmName, utf8String, 8, 0, nullptr);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(connection);
}
