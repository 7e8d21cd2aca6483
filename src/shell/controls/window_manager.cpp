#include "shell/controls/window_manager.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <cstring>

namespace corvane {

namespace {

xcb_connection_t* X11Connection() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 != nullptr ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name),
      nullptr);
  xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

xcb_window_t RootOf(xcb_connection_t* connection) {
  return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

}  // namespace

void SkipTaskbarAndPager(QWidget& window) {
  xcb_connection_t* connection = X11Connection();
  if (connection == nullptr) return;
  // On a window not shown yet the property itself is the request; Qt adds its
  // own states to it when it maps the window.
  const xcb_atom_t states[] = {Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                               Atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()),
                      Atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 2, states);
}

bool IsActiveWindow(const QWidget& window) {
  if (xcb_connection_t* connection = X11Connection()) {
    static const xcb_atom_t active = Atom(connection, "_NET_ACTIVE_WINDOW");
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, RootOf(connection), active, XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    const bool known = reply != nullptr && reply->format == 32 && reply->value_len == 1;
    const bool result =
        known && *static_cast<xcb_window_t*>(xcb_get_property_value(reply)) == window.winId();
    std::free(reply);
    if (known) return result;
  }
  return window.isActiveWindow();
}

}  // namespace corvane
