#include "send_control.h"

#include <array>
#include <utility>

namespace lumeta {
namespace {

// How long after a delivery stopped half-way a click on 送る is taken for the one that stopped it.
constexpr int kStoppedClickMs = 1000;

// The names `--send-via` takes, one row per route.
constexpr std::array<std::pair<const char*, SendVia>, 5> kSendVia = {{
    {"auto", SendVia::automatic},
    {"ibus", SendVia::ibus},
    {"wayland", SendVia::wayland},
    {"x11", SendVia::x11},
    {"clipboard", SendVia::clipboard},
}};

}  // namespace

std::optional<SendVia> parse_send_via(QStringView name) {
  for (const auto& [text, via] : kSendVia) {
    if (name == QLatin1String(text)) return via;
  }
  return std::nullopt;
}

SendControl::SendControl(std::vector<std::unique_ptr<Delivery>> routes)
    : routes_(std::move(routes)) {
  for (std::size_t i = 0; i < routes_.size(); ++i) {
    connect(routes_[i].get(), &Delivery::progress, this, [this, i](int delivered, int total) {
      if (i == current_) emit progress(delivered, total);
    });
    connect(routes_[i].get(), &Delivery::finished, this,
            [this, i](Delivery::Outcome outcome, int delivered, int total) {
              if (i == current_) route_finished(outcome, delivered, total);
            });
  }
}

SendControl::~SendControl() {
  // Routes stopping as they go report to nobody.
  for (auto& route : routes_)
    route->disconnect(this);
}

bool SendControl::clicked() {
  if (running()) {
    routes_[current_]->stop();
    return false;
  }
  return !(interrupted_.isValid() && interrupted_.elapsed() < kStoppedClickMs);
}

void SendControl::start(const QString& text) {
  if (running() || routes_.empty()) return;
  text_ = text;
  current_ = 0;
  routes_[current_]->start(text_);
}

void SendControl::key_pressed() {
  if (running()) routes_[current_]->stop();
}

bool SendControl::running() const {
  return current_ < routes_.size() && routes_[current_]->running();
}

// A route that found nothing taking the text hands it to the next; any other outcome is the
// delivery's.
void SendControl::route_finished(Delivery::Outcome outcome, int delivered, int total) {
  if (outcome == Delivery::Outcome::not_taken && current_ + 1 < routes_.size()) {
    ++current_;
    routes_[current_]->start(text_);
    return;
  }
  text_.clear();
  if (outcome == Delivery::Outcome::stopped) {
    interrupted_.start();
  } else {
    interrupted_.invalidate();
  }
  emit finished(outcome, delivered, total);
}

}  // namespace lumeta
