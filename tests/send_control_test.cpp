// SendControl: the order of 送る's routes, what a click on 送る means while a delivery runs and
// right after one stopped, and other keys stopping it. The routes here are stand-ins that end
// when told to, so every case is exact; the real routes are tried on real desktops by
// send_test.sh and ibus_send_test.sh.
#include "send_control.h"

#include <gtest/gtest.h>

#include <QThread>
#include <optional>
#include <vector>

namespace lumeta {
namespace {

using Outcome = Delivery::Outcome;

// A route that ends at once with `at_start` when set, else runs until end() or stop().
class StandInRoute : public Delivery {
 public:
  explicit StandInRoute(std::optional<Outcome> at_start = std::nullopt) : at_start_(at_start) {}
  void start(const QString& text) override {
    texts.push_back(text);
    total_ = static_cast<int>(text.size());
    if (at_start_) {
      emit finished(*at_start_, *at_start_ == Outcome::delivered ? total_ : 0, total_);
      return;
    }
    running_ = true;
    emit progress(0, total_);
  }
  void stop() override {
    if (running_) end(Outcome::stopped, 1);
  }
  bool running() const override { return running_; }
  void end(Outcome outcome, int delivered) {
    running_ = false;
    emit finished(outcome, delivered, total_);
  }
  using Delivery::progress;

  std::vector<QString> texts;  // what each start() was given

 private:
  std::optional<Outcome> at_start_;
  bool running_ = false;
  int total_ = 0;
};

struct Ended {
  Outcome outcome;
  int delivered, total;
};

// A control over `routes`, its reports collected in `ended` and `progress`.
struct Fixture {
  std::vector<StandInRoute*> routes;
  std::unique_ptr<SendControl> control;
  std::vector<Ended> ended;
  std::vector<int> progress;

  explicit Fixture(std::vector<std::optional<Outcome>> outcomes) {
    std::vector<std::unique_ptr<Delivery>> owned;
    for (auto outcome : outcomes) {
      auto route = std::make_unique<StandInRoute>(outcome);
      routes.push_back(route.get());
      owned.push_back(std::move(route));
    }
    control = std::make_unique<SendControl>(std::move(owned));
    QObject::connect(control.get(), &SendControl::finished, [this](Outcome o, int d, int t) {
      ended.push_back({o, d, t});
    });
    QObject::connect(control.get(), &SendControl::progress,
                     [this](int d, int) { progress.push_back(d); });
  }
};

TEST(SendControl, SendViaNamesEveryRouteAndNothingElse) {
  EXPECT_EQ(parse_send_via(u"auto"), SendVia::automatic);
  EXPECT_EQ(parse_send_via(u"ibus"), SendVia::ibus);
  EXPECT_EQ(parse_send_via(u"wayland"), SendVia::wayland);
  EXPECT_EQ(parse_send_via(u"x11"), SendVia::x11);
  EXPECT_EQ(parse_send_via(u"clipboard"), SendVia::clipboard);
  EXPECT_EQ(parse_send_via(u""), std::nullopt);
  EXPECT_EQ(parse_send_via(u"IBus"), std::nullopt);
  EXPECT_EQ(parse_send_via(u"xtest"), std::nullopt);
}

// IBus finds no input context taking the focus: the same text goes to the next route, and only
// that route's ending is reported. A route that ends any other way is the last one tried.
TEST(SendControl, RoutesAreTriedInOrderUntilOneTakesTheText) {
  Fixture f({Outcome::not_taken, Outcome::delivered, Outcome::delivered});
  ASSERT_TRUE(f.control->clicked());
  f.control->start(QStringLiteral("回\nABC"));
  EXPECT_EQ(f.routes[0]->texts, std::vector<QString>{QStringLiteral("回\nABC")});
  EXPECT_EQ(f.routes[1]->texts, f.routes[0]->texts);
  EXPECT_TRUE(f.routes[2]->texts.empty());
  ASSERT_EQ(f.ended.size(), 1u);
  EXPECT_EQ(f.ended[0].outcome, Outcome::delivered);
  EXPECT_EQ(f.ended[0].delivered, 5);
  EXPECT_EQ(f.control->route(), f.routes[1]);

  // The next 送る begins with the first route again.
  f.control->start(QStringLiteral("あ"));
  EXPECT_EQ(f.routes[0]->texts.size(), 2u);
  EXPECT_EQ(f.routes[1]->texts.size(), 2u);

  // Errors of a route are its own (no target on X11 is said, not passed on).
  Fixture g({Outcome::no_target, Outcome::on_clipboard});
  g.control->start(QStringLiteral("あ"));
  EXPECT_TRUE(g.routes[1]->texts.empty());
  ASSERT_EQ(g.ended.size(), 1u);
  EXPECT_EQ(g.ended[0].outcome, Outcome::no_target);

  // Nothing left to try: the last route's word stands.
  Fixture h({Outcome::not_taken});
  h.control->start(QStringLiteral("あ"));
  ASSERT_EQ(h.ended.size(), 1u);
  EXPECT_EQ(h.ended[0].outcome, Outcome::not_taken);
}

// Progress of the route that runs is passed on; a route that gave up says nothing more.
TEST(SendControl, OnlyTheRunningRouteReportsProgress) {
  Fixture f({std::nullopt, std::nullopt});
  f.control->start(QStringLiteral("かいぎ"));
  f.routes[0]->end(Outcome::not_taken, 0);
  EXPECT_TRUE(f.control->running());
  emit f.routes[1]->progress(2, 3);
  emit f.routes[0]->progress(1, 3);
  f.routes[0]->end(Outcome::delivered, 3);  // late word from the first route: ignored
  EXPECT_EQ(f.progress, (std::vector<int>{0, 0, 2}));
  EXPECT_TRUE(f.ended.empty());
  f.routes[1]->end(Outcome::delivered, 3);
  ASSERT_EQ(f.ended.size(), 1u);
  EXPECT_FALSE(f.control->running());
}

// A click on 送る while a delivery runs stops it; the click that stopped it, arriving once the
// target let go, starts nothing for a second; after that 送る starts again. Any other key stops
// a delivery too and does nothing otherwise.
TEST(SendControl, ClicksAndKeysStopADelivery) {
  Fixture f({std::nullopt});
  EXPECT_TRUE(f.control->clicked());
  f.control->start(QStringLiteral("長い文章"));
  EXPECT_TRUE(f.control->running());
  EXPECT_FALSE(f.control->clicked());
  EXPECT_FALSE(f.control->running());
  ASSERT_EQ(f.ended.size(), 1u);
  EXPECT_EQ(f.ended[0].outcome, Outcome::stopped);
  EXPECT_FALSE(f.control->clicked()) << "the late click of the stop starts nothing";
  QThread::msleep(1050);
  EXPECT_TRUE(f.control->clicked());

  f.control->key_pressed();  // idle: nothing happens
  EXPECT_EQ(f.ended.size(), 1u);
  f.control->start(QStringLiteral("文章"));
  f.control->key_pressed();
  EXPECT_FALSE(f.control->running());
  ASSERT_EQ(f.ended.size(), 2u);
  EXPECT_EQ(f.ended[1].outcome, Outcome::stopped);

  // A delivery that ended whole leaves no guard behind.
  Fixture g({Outcome::delivered});
  g.control->start(QStringLiteral("あ"));
  EXPECT_TRUE(g.control->clicked());
}

}  // namespace
}  // namespace lumeta
