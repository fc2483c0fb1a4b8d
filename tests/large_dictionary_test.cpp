// The large dictionary after the built-in table: its linked table, what a lookup finds and in
// which order, and ↓ and the candidate strip working through its long lists.
#include "large_dictionary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

#include "conversion.h"
#include "dictionary.h"
#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

bool hiragana_or_long_vowel(std::string_view ch) {
  return (ch >= "ぁ" && ch <= "ん") || ch == "ー";
}

TEST(LargeDictionaryTable, SortedKeysOfTypableKanaEachWithCandidates) {
  const std::size_t n = large_dictionary::size();
  ASSERT_GT(n, 100'000u);
  std::size_t with_ending = 0;
  for (std::size_t i = 0; i < n; ++i) {
    std::string_view key = large_dictionary::key_at(i);
    if (i > 0) {
      ASSERT_LT(large_dictionary::key_at(i - 1), key) << i;
    }
    if (key.back() >= 'a' && key.back() <= 'z') {
      key.remove_suffix(1);
      ++with_ending;
    }
    ASSERT_TRUE(!key.empty() && key.size() % 2 == 0 && sjis::is_valid(key)) << i;
    for (std::size_t c = 0; c < key.size(); c += 2) {
      const std::string_view ch = key.substr(c, 2);
      // Hiragana and ー make almost every key; the rest are what the romaji tables (う゛ for
      // ｖｕ) and the sign key (、) type.
      if (!hiragana_or_long_vowel(ch)) {
        ASSERT_TRUE(ch == "゛" || ch == "、" || ch == "。") << u8(key);
      }
    }
    large_dictionary::Candidates list = large_dictionary::find(large_dictionary::key_at(i));
    ASSERT_FALSE(list.empty()) << u8(key);
    for (int count = 1; !list.empty(); ++count) {
      const std::string_view candidate = list.next();
      ASSERT_TRUE(!candidate.empty() && sjis::is_valid(candidate)) << u8(key);
      ASSERT_LE(count, kCandidateSlots);
    }
  }
  EXPECT_GT(with_ending, 10'000u);
  EXPECT_TRUE(large_dictionary::find("がぞ").empty());
  EXPECT_TRUE(large_dictionary::find("").empty());
  EXPECT_TRUE(large_dictionary::find("\xFF\xFF").empty());
}

TEST(LargeDictionaryTable, AnnotationsAndExpressionsAreGone) {
  // SKK writes 塊;かたまり and (concat "I\057O"): the text before the annotation stays, a
  // concatenation of strings is joined.
  UsingLargeDictionary large;
  const auto kai = lookup("かい");
  EXPECT_GE(position(kai, "塊"), 0);
  for (const std::string& c : kai)
    EXPECT_EQ(c.find(';'), std::string::npos) << u8(c);
  for (std::string_view key : {"かい", "がぞう", "かk", "つかt"}) {
    for (large_dictionary::Candidates list = large_dictionary::find(key); !list.empty();) {
      const std::string_view c = list.next();
      EXPECT_FALSE(c.starts_with("(concat")) << u8(c);
    }
  }
}

TEST(LargeDictionaryLookup, FindsWordsTheBuiltInTableLacks) {
  UsingLargeDictionary large;
  EXPECT_EQ(lookup("がぞう").front(), "画像");
  EXPECT_GE(position(lookup("はんい"), "範囲"), 0);
  EXPECT_GE(position(lookup("おなじ"), "同じ"), 0);
  EXPECT_GE(position(lookup("つかった"), "使った"), 0);
  EXPECT_GE(position(lookup("かく"), "書く"), 0);
  EXPECT_GE(position(lookup("かく"), "描く"), 0);
  EXPECT_GE(position(lookup("なまえ"), "名前"), 0);
  EXPECT_GE(position(lookup("ばあい"), "場合"), 0);
  EXPECT_GE(position(lookup("かんじた"), "感じた"), 0);  // じ written z
  EXPECT_GE(position(lookup("ろんじる"), "論じる"), 0);  // じ written j
  EXPECT_GE(position(lookup("よんだ"), "読んだ"), 0);    // ん
  EXPECT_GE(position(lookup("かいた"), "書いた"), 0);    // a vowel ending
}

TEST(LargeDictionaryLookup, BuiltInCandidatesFirstAndUnchanged) {
  for (const DictionaryEntry& entry : dictionary_table()) {
    const auto builtin = lookup(entry.reading);
    UsingLargeDictionary large;
    const auto both = lookup(entry.reading);
    ASSERT_GE(both.size(), builtin.size()) << u8(entry.reading);
    EXPECT_TRUE(std::equal(builtin.begin(), builtin.end(), both.begin())) << u8(entry.reading);
  }
  UsingLargeDictionary large;
  const auto kai = lookup("かい");
  ASSERT_GT(kai.size(), 10u);
  EXPECT_EQ(kai.front(), "回");
  EXPECT_EQ(kai[9], "快");  // the tenth built-in candidate, then the large dictionary's
}

TEST(LargeDictionaryLookup, WholeReadingAndRealWordFormsInOneRanking) {
  UsingLargeDictionary large;
  const auto kaku = lookup("かく");
  EXPECT_EQ(kaku.front(), "核");  // first in the large dictionary's list for かく
  EXPECT_GE(position(kaku, "書く"), 0);
  EXPECT_LT(position(kaku, "書く"), 15);
  const auto tsukatta = lookup("つかった");
  EXPECT_EQ(tsukatta.front(), "使った");  // 使っ + た
  EXPECT_LT(position(tsukatta, "遣った"), position(tsukatta, "漬かった"));
  EXPECT_EQ(position(tsukatta, "付かった"), -1);  // 付 is no stem of つかった
}

TEST(LargeDictionaryLookup, NoDuplicatesAndAtMostEightyCandidates) {
  UsingLargeDictionary large;
  std::vector<std::string_view> readings = {"かい", "こう", "し",       "き",     "かん",
                                            "とう", "かく", "つかった", "はんい", "おなじ"};
  for (const DictionaryEntry& entry : dictionary_table())
    readings.push_back(entry.reading);
  for (std::size_t i = 0; i < large_dictionary::size(); i += 97) {
    const std::string_view key = large_dictionary::key_at(i);
    if (key.back() < 'a') readings.push_back(key);
  }
  for (std::string_view reading : readings) {
    const auto list = lookup(reading);
    ASSERT_LE(list.size(), 80u) << u8(reading);
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), list.size()) << u8(reading);
  }
  EXPECT_EQ(lookup("かい").size(), 80u);
  // The slots given are the limit, whatever their number.
  std::array<std::string, 6> five;
  EXPECT_EQ(lookup_candidates(Dictionaries::builtin_and_large, "かい", five), 5);
  EXPECT_EQ(five[5], "階");
}

TEST(LargeDictionaryLookup, PendingRomajiAndOddReadingsFindNothing) {
  UsingLargeDictionary large;
  for (std::string_view reading :
       {"かｋ", "かいｋ", "つかっｔ", "がぞうＮ", "ｋ", "", "a", "か a", "\x82"}) {
    EXPECT_TRUE(lookup(reading).empty()) << u8(reading);
  }
}

TEST(LargeDictionaryLookup, BuiltInChoiceLeavesItOut) {
  EXPECT_TRUE(lookup("がぞう").empty());
  EXPECT_EQ(lookup("かい").size(), 10u);
  UsingLargeDictionary large;
  EXPECT_EQ(lookup("がぞう").size(), 1u);
}

TEST(LargeDictionaryConversion, DownShowsTheLargeCandidatesThenTheReading) {
  UsingLargeDictionary large;
  Lumeta t;
  t.keys("K K A S S O U DOWN");  // がぞう
  EXPECT_EQ(t.text(), "画像");
  t.keys("DOWN");
  EXPECT_EQ(t.text(), "がぞう");
  t.keys("DOWN RET");
  EXPECT_EQ(t.engine.state().front_fixed, "画像");
  t.keys("T U K A Y Y T A DOWN");  // つかった
  EXPECT_EQ(t.text(), "画像使った");
}

TEST(LargeDictionaryConversion, DownGoesThroughEightyAndBackToTheReading) {
  UsingLargeDictionary large;
  Lumeta t;
  t.keys("K A I");
  std::vector<std::string> shown;
  for (int i = 0; i < 80; ++i) {
    t.keys("DOWN");
    shown.push_back(std::string(t.text()));
  }
  EXPECT_EQ(t.engine.state().candidate_count, 80);
  EXPECT_EQ(shown, lookup("かい"));
  t.keys("DOWN");  // the 81st press: the reading again
  EXPECT_EQ(t.text(), "かい");
  EXPECT_EQ(t.engine.state().candidate_shown, 0);
  t.keys("DOWN");
  EXPECT_EQ(t.text(), "回");
}

TEST(LargeDictionaryConversion, PendingRomajiLeavesTheReadingAsItIs) {
  UsingLargeDictionary large;
  Lumeta t;
  t.keys("K A I K DOWN");
  EXPECT_EQ(t.text(), "かいＫ");
  EXPECT_EQ(t.engine.state().candidate_count, 0);
  EXPECT_EQ(t.engine.state().candidate_shown, 0);
  EXPECT_FALSE(t.strip().candidates.size());
}

TEST(LargeDictionaryConversion, TheStripListsWhatDownShows) {
  UsingLargeDictionary large;
  Lumeta t;
  t.keys("K A K U");
  const CandidateStrip strip = t.strip();
  ASSERT_TRUE(strip.active);
  EXPECT_EQ(strip.candidates, lookup("かく"));
  EXPECT_GE(position(strip.candidates, "書く"), 0);
}

}  // namespace
}  // namespace lumeta::testing
