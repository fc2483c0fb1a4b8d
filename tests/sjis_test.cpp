#include "sjis.h"

#include <gtest/gtest.h>

namespace lumeta::sjis {
namespace {

TEST(Boundaries, TrailBytesInTheLeadRangeAreNotStarts) {
  const std::string text = "ん1ソ\r\n＝＝a";  // 82F1 31 835C 0D0A 8181 8181 61
  EXPECT_TRUE(is_boundary(text, 0));
  EXPECT_FALSE(is_boundary(text, 1));
  EXPECT_TRUE(is_boundary(text, 2));
  EXPECT_TRUE(is_boundary(text, 3));
  EXPECT_FALSE(is_boundary(text, 4));
  EXPECT_TRUE(is_boundary(text, 5));
  EXPECT_FALSE(is_boundary(text, 6));  // between CR and LF
  EXPECT_TRUE(is_boundary(text, 7));
  EXPECT_FALSE(is_boundary(text, 8));
  EXPECT_TRUE(is_boundary(text, 9));
  EXPECT_FALSE(is_boundary(text, 10));
  EXPECT_TRUE(is_boundary(text, 11));
  EXPECT_TRUE(is_boundary(text, 12));
  EXPECT_EQ(previous_boundary(text, 12), 11u);
  EXPECT_EQ(previous_boundary(text, 11), 9u);
  EXPECT_EQ(previous_boundary(text, 7), 5u);
  EXPECT_EQ(previous_boundary(text, 3), 2u);
  EXPECT_EQ(next_boundary(text, 5), 7u);
  EXPECT_EQ(next_boundary(text, 2), 3u);
  EXPECT_EQ(floor_boundary(text, 6), 5u);
  EXPECT_EQ(floor_boundary(text, 99), text.size());
  EXPECT_EQ(count_chars(text), 7u);
}

TEST(Utf8, RoundTripsThroughShiftJis) {
  const std::string cp932 = "漢字\r\nｶﾅ～－￥\\";
  const auto utf8 = to_utf8(cp932);
  ASSERT_TRUE(utf8);
  EXPECT_EQ(*utf8,
            "\xE6\xBC\xA2\xE5\xAD\x97\r\n\xEF\xBD\xB6\xEF\xBE\x85\xEF\xBD\x9E\xEF\xBC\x8D"
            "\xEF\xBF\xA5\\");
  EXPECT_EQ(from_utf8(*utf8), cp932);
  // A conversion that fails leaves nothing behind for the next one (the converter is kept).
  EXPECT_FALSE(to_utf8("\x82"));
  EXPECT_EQ(to_utf8("\x82\xA0"), "\xE3\x81\x82");
  EXPECT_FALSE(from_utf8("\xE3\x81"));
  EXPECT_EQ(from_utf8("\xE3\x81\x82"), "\x82\xA0");
}

TEST(Validity, WholeCharactersAndWholeLineBreaks) {
  EXPECT_TRUE(is_valid("あa\r\nb"));
  EXPECT_FALSE(is_valid("あ\x82"));
  EXPECT_FALSE(is_valid("a\rb"));
  EXPECT_FALSE(is_valid("a\nb"));
}

}  // namespace
}  // namespace lumeta::sjis
