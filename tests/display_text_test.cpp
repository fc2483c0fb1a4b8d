#include "display_text.h"

#include <gtest/gtest.h>

#include <random>

#include "sjis.h"

namespace lumeta {
namespace {

TEST(DisplayText, ReportsTheChangedMiddleOnWholeCharacters) {
  DisplayText display;
  std::string next = "あいう";
  TextChange change = display.replace(next);
  EXPECT_EQ(change.start, 0);
  EXPECT_EQ(change.inserted, 6);
  EXPECT_EQ(display.chars(), 3u);

  next = "あソう";  // い 82A2 and ソ 835C share their first byte
  change = display.replace(next);
  EXPECT_EQ(change.start, 2);
  EXPECT_EQ(change.removed, 2);
  EXPECT_EQ(change.inserted, 2);

  next = "あソう\r\n";
  change = display.replace(next);
  EXPECT_EQ(change.start, 6);
  EXPECT_EQ(change.inserted, 2);
  EXPECT_EQ(display.chars(), 4u);
}

TEST(DisplayText, CharacterCountFollowsRandomEdits) {
  const std::string pieces[] = {"a", "あ", "ソ", "ん", "＝", "\r\n", "1", "ｱ", "表"};
  std::mt19937 random(7);
  DisplayText display;
  std::string text;
  for (int i = 0; i < 3000; ++i) {
    // Rebuild around a random character boundary, as the engine's refreshes do.
    std::size_t at = sjis::floor_boundary(text, random() % (text.size() + 1));
    std::string next = text.substr(0, at);
    const int add = random() % 3;
    for (int k = 0; k < add; ++k)
      next += pieces[random() % std::size(pieces)];
    std::size_t cut = at;
    for (int k = random() % 3; k > 0 && cut < text.size(); --k)
      cut = sjis::next_boundary(text, cut);
    next += text.substr(cut);
    const std::string expected = next;
    const std::string old = text;
    const TextChange change = display.replace(next);
    text = expected;
    ASSERT_EQ(display.text(), expected);
    ASSERT_EQ(display.chars(), sjis::count_chars(expected));
    ASSERT_EQ(old.substr(0, change.start), expected.substr(0, change.start));
    ASSERT_EQ(old.substr(change.start + change.removed),
              expected.substr(change.start + change.inserted));
    ASSERT_TRUE(sjis::is_boundary(expected, change.start));
  }
}

}  // namespace
}  // namespace lumeta
