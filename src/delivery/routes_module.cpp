// The routes into other applications, built as a module of their own (liblumeta-routes.so)
// that the program loads once its window is on the screen: the libraries these routes bring
// (IBus with GIO, Xlib with XTest, the Wayland client) then cost nothing while it starts.
// Delivery::routes() finds the module and calls its one entry point.
#include <QGuiApplication>
#include <QWidget>
#include <memory>
#include <vector>

#include "delivery.h"
#ifdef LUMETA_WITH_IBUS
#include "ibus_delivery.h"
#endif
#ifdef LUMETA_WITH_WAYLAND
#include "wayland_delivery.h"
#endif
#ifdef LUMETA_WITH_X11
#include "x11_delivery.h"
#endif

// Adds the routes `via` allows on this desktop to `routes`, in the order they are tried (the
// clipboard, last, is the program's own).
extern "C" Q_DECL_EXPORT void lumeta_open_routes(
    QWidget* window, lumeta::SendVia via, [[maybe_unused]] const lumeta::DesktopBefore& before,
    std::vector<std::unique_ptr<lumeta::Delivery>>* routes) {
  using lumeta::SendVia;
  [[maybe_unused]] const auto allowed = [via](SendVia route) {
    return via == SendVia::automatic || via == route;
  };
  [[maybe_unused]] const QString platform = QGuiApplication::platformName();
#ifdef LUMETA_WITH_IBUS
  if (allowed(SendVia::ibus)) {
    if (auto ibus = lumeta::IBusDelivery::open(window)) routes->push_back(std::move(ibus));
  }
#endif
#ifdef LUMETA_WITH_WAYLAND
  if (allowed(SendVia::wayland) && platform.startsWith(QLatin1String("wayland"))) {
    if (auto wayland = lumeta::WaylandDelivery::open(window)) routes->push_back(std::move(wayland));
  }
#endif
#ifdef LUMETA_WITH_X11
  if (allowed(SendVia::x11) && platform == QLatin1String("xcb")) {
    if (auto x11 = lumeta::X11Delivery::open(window, before.x11_active_window)) {
      routes->push_back(std::move(x11));
    }
  }
#endif
}
