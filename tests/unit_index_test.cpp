#include "unit_index.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "sjis.h"

namespace lumeta {
namespace {

// Characters of every width: one byte, two bytes (one with a trail byte in the lead range), and
// the line break.
constexpr std::string_view kPieces[] = {"a", "あ", "黒", "\r\n", "ｱ"};

std::string random_text(std::mt19937& rng, int chars) {
  std::string text;
  for (int i = 0; i < chars; ++i)
    text += kPieces[rng() % std::size(kPieces)];
  return text;
}

// A random character boundary of `text`.
int random_boundary(std::mt19937& rng, std::string_view text) {
  const int chars = static_cast<int>(sjis::count_chars(text));
  std::size_t position = 0;
  for (int n = static_cast<int>(rng() % (chars + 1)); n > 0; --n)
    position = sjis::next_boundary(text, position);
  return static_cast<int>(position);
}

int count_before(std::string_view text, int position) {
  return static_cast<int>(sjis::count_chars(text.substr(0, static_cast<std::size_t>(position))));
}

TEST(UnitIndex, AgreesWithCountingFromTheStartThroughEdits) {
  std::mt19937 rng(7);
  std::string text = random_text(rng, 5000);
  UnitIndex index;
  for (int round = 0; round < 300; ++round) {
    // Questions both ways, near and far, which leave pairs behind.
    for (int q = 0; q < 4; ++q) {
      const int position = random_boundary(rng, text);
      const int units = count_before(text, position);
      ASSERT_EQ(index.units_at(text, position), units) << round;
      ASSERT_EQ(index.position_at(text, units), position) << round;
    }
    // An edit somewhere: text removed, inserted or replaced, now and then the whole text.
    int start = random_boundary(rng, text);
    int end = random_boundary(rng, text);
    if (end < start) std::swap(start, end);
    if (round % 50 == 49) start = 0, end = static_cast<int>(text.size());
    const std::string removed = text.substr(start, end - start);
    const std::string inserted =
        random_text(rng, static_cast<int>(rng() % (round % 7 == 0 ? 900 : 4)));
    text.replace(start, end - start, inserted);
    index.edited({start, static_cast<int>(removed.size()), static_cast<int>(inserted.size())},
                 static_cast<int>(sjis::count_chars(removed)),
                 static_cast<int>(sjis::count_chars(inserted)));
  }
}

TEST(UnitIndex, PastTheEndAndBeforeTheStart) {
  const std::string text = "あa\r\nb";
  UnitIndex index;
  EXPECT_EQ(index.units_at(text, 1000), 4);
  EXPECT_EQ(index.units_at(text, -3), 0);
  EXPECT_EQ(index.position_at(text, 2), 3);  // before the line break
  EXPECT_EQ(index.position_at(text, 3), 5);  // after it
  EXPECT_EQ(index.position_at(text, 99), 6);
  EXPECT_EQ(index.position_at(text, -1), 0);
}

}  // namespace
}  // namespace lumeta
