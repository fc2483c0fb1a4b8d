#include "delivery.h"

#include <QClipboard>
#include <QGuiApplication>

#ifdef LUMETA_WITH_IBUS
#include "ibus_delivery.h"
#endif
#ifdef LUMETA_WITH_WAYLAND
#include "wayland_delivery.h"
#endif
#ifdef LUMETA_WITH_X11
#include "x11_delivery.h"
#endif

namespace lumeta {

std::vector<std::unique_ptr<Delivery>> Delivery::routes(QWidget* window, SendVia via) {
  std::vector<std::unique_ptr<Delivery>> routes;
  [[maybe_unused]] const auto allowed = [via](SendVia route) {
    return via == SendVia::automatic || via == route;
  };
  [[maybe_unused]] const QString platform = QGuiApplication::platformName();
#ifdef LUMETA_WITH_IBUS
  if (allowed(SendVia::ibus)) {
    if (auto ibus = IBusDelivery::open(window)) routes.push_back(std::move(ibus));
  }
#endif
#ifdef LUMETA_WITH_WAYLAND
  if (allowed(SendVia::wayland) && platform.startsWith(QLatin1String("wayland"))) {
    if (auto wayland = WaylandDelivery::open(window)) routes.push_back(std::move(wayland));
  }
#endif
#ifdef LUMETA_WITH_X11
  if (allowed(SendVia::x11) && platform == QLatin1String("xcb")) {
    if (auto x11 = X11Delivery::open(window)) routes.push_back(std::move(x11));
  }
#endif
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
