#include "dictionary.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

#include "lumeta_fixture.h"

namespace lumeta {
namespace {

using testing::lookup;

TEST(Dictionary, TableShape) {
  const auto table = dictionary_table();
  EXPECT_EQ(table.size(), 676u);
  std::set<std::string_view> readings;
  std::size_t candidates = 0;
  std::size_t group = 0;
  const auto groups = dictionary_groups();
  for (const DictionaryEntry& entry : table) {
    EXPECT_TRUE(readings.insert(entry.reading).second) << testing::u8(entry.reading);
    // Entries come group by group, in the groups' search order.
    while (group < groups.size() && entry.reading.substr(0, 2) != groups[group])
      ++group;
    ASSERT_LT(group, groups.size()) << testing::u8(entry.reading);
    const auto list = lookup(entry.reading);
    EXPECT_GE(list.size(), 1u);
    EXPECT_LE(list.size(), 51u) << testing::u8(entry.reading);
    candidates += list.size();
    for (const std::string& c : list) {
      EXPECT_TRUE(sjis::is_valid(c) && !c.empty()) << testing::u8(entry.reading);
      EXPECT_LE(c.size(), 12u);
    }
    EXPECT_TRUE(sjis::is_valid(entry.reading));
  }
  EXPECT_GT(candidates, 2500u);
}

TEST(Dictionary, TellingRows) {
  EXPECT_EQ(lookup("ああ"), std::vector<std::string>{"嗚呼"});
  EXPECT_EQ(lookup("あおい"),
            (std::vector<std::string>{"青い", "蒼い", "青井", "葵", "アオイ", "蒼井"}));
  EXPECT_EQ(lookup("けいたい"), (std::vector<std::string>{"携帯", "敬体", "形態", "継体", "形体"}));
  EXPECT_EQ(lookup("でんわ"), (std::vector<std::string>{"電話", "デンワ"}));
  EXPECT_EQ(lookup("かんじへんかん"), (std::vector<std::string>{"漢字変換", "監事変換"}));
  EXPECT_EQ(lookup("ろーまじにゅうりょく"), std::vector<std::string>{"ローマ字入力"});
  EXPECT_EQ(lookup("、"), std::vector<std::string>{"，"});
  EXPECT_EQ(lookup("。"), std::vector<std::string>{"．"});
  EXPECT_EQ(lookup("・"), (std::vector<std::string>{"‥", "…"}));
  const auto kyou = lookup("きょう");
  ASSERT_EQ(kyou.size(), 51u);
  EXPECT_EQ(kyou.front(), "今日");
  EXPECT_EQ(kyou.back(), "香");
  const auto ai = lookup("あい");
  ASSERT_EQ(ai.size(), 16u);
  EXPECT_EQ(ai.front(), "愛");
  const auto kai = lookup("かい");
  ASSERT_EQ(kai.size(), 10u);
  EXPECT_EQ(kai.front(), "回");
}

TEST(Dictionary, WholeReadingsOnly) {
  EXPECT_TRUE(lookup("あいう").empty());
  EXPECT_TRUE(lookup("あ").empty());
  EXPECT_TRUE(lookup("").empty());
  EXPECT_TRUE(lookup("a").empty());
  EXPECT_TRUE(lookup("ぢ").empty());
  EXPECT_TRUE(lookup("ぷ").empty());
  EXPECT_TRUE(lookup("んあ").empty());
  EXPECT_TRUE(lookup("ゃ").empty());
  EXPECT_TRUE(lookup("かＫ").empty());
}

TEST(Dictionary, LookupEmptiesEverySlot) {
  std::array<std::string, kCandidateSlots + 1> out;
  out.fill("stale");
  EXPECT_EQ(lookup_candidates(Dictionaries::builtin, "でんわ", out), 2);
  EXPECT_EQ(out[0], "");
  EXPECT_EQ(out[3], "");
  EXPECT_EQ(out[80], "");
}

}  // namespace
}  // namespace lumeta
