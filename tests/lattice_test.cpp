// The phrase converter: whole readings of several words, best first and each spelling once,
// every reading converted however long or unknown, and outside costs (learning) weighing in.
#include "lattice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

std::vector<std::string> spellings(const std::vector<lattice::Phrase>& phrases) {
  std::vector<std::string> out;
  for (const lattice::Phrase& p : phrases)
    out.push_back(p.spelling);
  return out;
}

TEST(Lattice, PhraseBestFirstSplitIntoWords) {
  const auto phrases = lattice::convert("きょうはいいてんきです", 10);
  ASSERT_FALSE(phrases.empty());
  EXPECT_EQ(phrases[0].spelling, "今日はいい天気です");
  std::vector<std::string> words;
  std::string joined;
  for (const lattice::Word& w : phrases[0].words) {
    words.push_back(w.spelling);
    joined += w.reading;
    EXPECT_NE(w.id, model::kNoWord);
  }
  EXPECT_EQ(words, (std::vector<std::string>{"今日", "は", "いい", "天気", "です"}));
  EXPECT_EQ(joined, "きょうはいいてんきです");
  EXPECT_TRUE(phrases[0].attested);
  // Cheapest first, no spelling twice.
  const std::vector<std::string> all = spellings(phrases);
  for (std::size_t i = 1; i < phrases.size(); ++i) {
    EXPECT_LE(phrases[i - 1].cost, phrases[i].cost);
    EXPECT_EQ(std::count(all.begin(), all.end(), all[i]), 1);
  }
  // Words the model has never seen side by side are marked.
  const auto gazo = lattice::convert("がぞ", 10);
  const auto it = std::find_if(gazo.begin(), gazo.end(),
                               [](const lattice::Phrase& p) { return p.spelling == "画ぞ"; });
  ASSERT_NE(it, gazo.end());
  EXPECT_FALSE(it->attested);
}

TEST(Lattice, EveryReadingConverts) {
  // Not in any dictionary: the kana stand for themselves.
  const auto unknown = lattice::convert("ゎゑゎゑゎ", 3);
  ASSERT_FALSE(unknown.empty());
  // A loanword the dictionaries lack comes in katakana.
  EXPECT_EQ(spellings(lattice::convert("さぎょうでぃれくとりを", 3))[0], "作業ディレクトリを");
  // A long reading has no cap: every kana is converted.
  std::string longest;
  for (int i = 0; i < 200; ++i)
    longest += "わたしはがっこうへいきました";
  const auto phrases = lattice::convert(longest, 1);
  ASSERT_EQ(phrases.size(), 1u);
  std::string read;
  for (const lattice::Word& w : phrases[0].words)
    read += w.reading;
  EXPECT_EQ(read, longest);
  EXPECT_TRUE(phrases[0].spelling.starts_with("私は学校へ行きました私は"));
  // Not kana: nothing.
  EXPECT_TRUE(lattice::convert("かｋ", 3).empty());
  EXPECT_TRUE(lattice::convert("", 3).empty());
}

TEST(Lattice, OutsideCostsReorder) {
  EXPECT_EQ(spellings(lattice::convert("とうきょう", 3))[0], "東京");
  const lattice::Adjust favour = [](std::string_view reading, std::string_view spelling) {
    return reading == "とうきょう" && spelling == "東教" ? -4 * model::kDecade : 0;
  };
  EXPECT_EQ(spellings(lattice::convert("とうきょう", 3, favour))[0], "東教");
}

}  // namespace
}  // namespace lumeta::testing
