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
    incremental.finish(text);  // what a long paragraph left for later
    full.reset(text);
    ASSERT_EQ(incremental.line_count(), full.line_count()) << "step " << step;
    for (int line = 0; line < full.line_count(); ++line) {
      ASSERT_EQ(incremental.line_start(line), full.line_start(line)) << "step " << step;
    }
  }
}

// One long paragraph whose breaks all move with an edit: each update re-wraps only a stretch,
// the rest is finished piece by piece, and what the display asks for is finished first.
TEST(WrapLayout, LongParagraphIsFinishedLaterAndMatchesAFullLayout) {
  const std::string pieces[] = {"a", "あ", "W", "ｱ", "漢字"};
  std::mt19937 random(5);
  WrapLayout incremental = make_layout();
  WrapLayout full = make_layout();
  std::string text;
  for (int i = 0; i < 6000; ++i)
    text += pieces[i % 3];
  incremental.reset(text);
  int pending = 0;
  for (int step = 0; step < 300; ++step) {
    if (incremental.pending()) incremental.finish(text, static_cast<int>(random() % 400));
    const std::string old = text;
    // Edits before and after the unchecked lines, inserting and removing.
    const std::size_t at = sjis::floor_boundary(text, random() % (text.size() - 4));
    if (step % 2) {
      text.insert(at, pieces[random() % std::size(pieces)]);
    } else {
      text.erase(at, sjis::next_boundary(text, at) - at);
    }
    const TextChange change = minimal_change(old, text);
    incremental.finish_to_position(old, change.start + change.removed);
    incremental.update(text, change);
    pending += incremental.pending();
    full.reset(text);
    ASSERT_EQ(incremental.line_of(static_cast<int>(at)), full.line_of(static_cast<int>(at)));
    if (step % 5 == 0) {
      // The line of a far position is found exactly once finished up to it.
      const int far = static_cast<int>(text.size() - 10);
      incremental.finish_to_position(text, far);
      ASSERT_EQ(incremental.line_of(far), full.line_of(far)) << "step " << step;
    }
    if (step % 7) continue;  // unchecked lines left for the next edits
    incremental.finish(text);
    ASSERT_FALSE(incremental.pending());
    ASSERT_EQ(incremental.line_count(), full.line_count()) << "step " << step;
    for (int line = 0; line < full.line_count(); ++line) {
      ASSERT_EQ(incremental.line_start(line), full.line_start(line)) << "step " << step;
    }
  }
  EXPECT_GT(pending, 50);  // the stretch was often left for later
}

}  // namespace
}  // namespace lumeta
