#include "delivery.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibrary>
#include <cstdlib>
#include <string_view>

#ifdef LUMETA_WITH_XCB
#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#endif

namespace lumeta {

namespace {

// The module's one entry point, routes_module.cpp.
using OpenRoutes = void (*)(QWidget* window, SendVia via, const DesktopBefore& before,
                            std::vector<std::unique_ptr<Delivery>>* routes);

// Loads the routes module from beside the program (in the build tree) or from its library folder,
// found from the program's own (installed: /usr/bin/lumeta, /usr/lib/lumeta/liblumeta-routes.so).
// A module that is missing or does not load leaves 送る the clipboard alone.
OpenRoutes load_routes_module(const QString& program_folder) {
  for (const QString& folder :
       {program_folder, program_folder + QStringLiteral("/" LUMETA_MODULE_DIR_FROM_PROGRAM)}) {
    const QString path = folder + QStringLiteral("/liblumeta-routes.so");
    if (!QFileInfo::exists(path)) continue;
    QLibrary module(path);  // stays loaded: QLibrary unloads only when asked
    if (auto open = reinterpret_cast<OpenRoutes>(module.resolve("lumeta_open_routes"))) {
      return open;
    }
    qWarning("lumeta: 送る can only use the clipboard: %s", qPrintable(module.errorString()));
    return nullptr;
  }
  return nullptr;
}

OpenRoutes routes_module() {
  static const OpenRoutes open = load_routes_module(QCoreApplication::applicationDirPath());
  return open;
}

}  // namespace

bool Delivery::open_before_showing() {
  return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

DesktopBefore Delivery::desktop_before() {
  DesktopBefore before;
#ifdef LUMETA_WITH_XCB
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return before;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return before;
  constexpr std::string_view kName = "_NET_ACTIVE_WINDOW";
  const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, kName.size(), kName.data()),
                            nullptr),
      &std::free);
  if (!atom || atom->atom == XCB_ATOM_NONE) return before;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> active(
      xcb_get_property_reply(
          connection, xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1),
          nullptr),
      &std::free);
  if (active && active->format == 32 && xcb_get_property_value_length(active.get()) == 4) {
    before.x11_active_window = *static_cast<xcb_window_t*>(xcb_get_property_value(active.get()));
  }
#endif
  return before;
}

std::vector<std::unique_ptr<Delivery>> Delivery::routes(QWidget* window, SendVia via,
                                                        const DesktopBefore& before) {
  std::vector<std::unique_ptr<Delivery>> routes;
  if (via != SendVia::clipboard) {
    if (const OpenRoutes open = routes_module()) open(window, via, before, &routes);
  }
  routes.push_back(std::make_unique<ClipboardDelivery>());
  return routes;
}

QString Delivery::message(Outcome outcome, int delivered, int total) {
  switch (outcome) {
    case Outcome::delivered:
      return QStringLiteral("%1 文字を送りました（元に戻すで戻せます）").arg(delivered);
    case Outcome::stopped:
      return QStringLiteral("%1 文字中 %2 文字を送って止めました。残りはここにあります")
          .arg(total)
          .arg(delivered);
    case Outcome::not_taken:
      return QStringLiteral("送り先が文字を受け取りませんでした");
    case Outcome::no_target:
      return QStringLiteral("送り先がありません。送り先のウィンドウを選んでから送ってください");
    case Outcome::target_gone:
      return QStringLiteral("送り先のウィンドウがなくなったため送れません");
    case Outcome::target_lost:
      if (delivered == 0) {
        return QStringLiteral(
            "送っている間に送り先のウィンドウがなくなりました。届いたか分からないため、文章はここに"
            "残しています");
      }
      return QStringLiteral(
                 "送っている間に送り先のウィンドウがなくなりました。%1 文字中 %2 文字が届き、"
                 "残りはここにあります")
          .arg(total)
          .arg(delivered);
    case Outcome::no_focus:
      return QStringLiteral("送り先のウィンドウに入力できないため送れません");
    case Outcome::unsupported:
      return QStringLiteral("この画面では送れません（XTest がありません）");
    case Outcome::on_clipboard:
      return QStringLiteral("クリップボードに入れました。貼り付けてください");
  }
  return {};
}

void ClipboardDelivery::start(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  clipboard->setText(text, QClipboard::Clipboard);
  emit finished(Outcome::on_clipboard, 0, static_cast<int>(text.toStdU32String().size()));
}

}  // namespace lumeta
