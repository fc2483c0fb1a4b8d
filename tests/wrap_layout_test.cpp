#include "wrap_layout.h"

#include <gtest/gtest.h>

#include <random>

#include "display_text.h"
#include "sjis.h"

namespace lumeta {
namespace {

// Half-width characters 1 unit wide, full-width ones 2, in a display 10 units wide.
WrapLayout make_layout() {
  WrapLayout layout([](uint16_t code) { return code > 0xFF ? 2 : 1; });
  layout.set_width(10);
  return layout;
}

TEST(WrapLayout, BreaksAtLineBreaksAndAtTheWidth) {
  WrapLayout layout = make_layout();
  const std::string text = "あいうえおかき\r\nab";  // 14 units: wraps after お
  layout.reset(text);
  ASSERT_EQ(layout.line_count(), 3);
  EXPECT_EQ(layout.line_start(1), 10);
  EXPECT_EQ(layout.line_start(2), 16);
  EXPECT_EQ(layout.line_of(10), 1);  // where a line wraps: the start of the next
  EXPECT_EQ(layout.line_of(9), 0);
  EXPECT_EQ(layout.line_end(text, 1), 14);
  EXPECT_EQ(layout.line_end(text, 2), 18);
  layout.reset("");
  EXPECT_EQ(layout.line_count(), 1);
  layout.reset("a\r\n");
  EXPECT_EQ(layout.line_count(), 2);
}

TEST(WrapLayout, IncrementalUpdatesMatchAFullLayout) {
  const std::string pieces[] = {"a", "あ", "ソ", "\r\n", "W", "漢字", "ｱ"};
  std::mt19937 random(11);
  WrapLayout incremental = make_layout();
  WrapLayout full = make_layout();
  std::string text;
  incremental.reset(text);
  for (int step = 0; step < 4000; ++step) {
    std::string next = text;
    const std::size_t at = sjis::floor_boundary(text, random() % (text.size() + 1));
    std::size_t cut = at;
    for (int k = random() % 3; k > 0 && cut < text.size(); --k)
      cut = sjis::next_boundary(text, cut);
    std::string insert;
    for (int k = random() % 4; k > 0; --k)
      insert += pieces[random() % std::size(pieces)];
    next = text.substr(0, at) + insert + text.substr(cut);
    const TextChange change = minimal_change(text, next);
    text = next;
    incremental.update(text, change);
    full.reset(text);
    ASSERT_EQ(incremental.line_count(), full.line_count()) << "step " << step;
    for (int line = 0; line < full.line_count(); ++line) {
      ASSERT_EQ(incremental.line_start(line), full.line_start(line)) << "step " << step;
    }
  }
}

}  // namespace
}  // namespace lumeta
