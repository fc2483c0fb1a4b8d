// The lexicon's word forms: real words and their forms among the candidates, no stem glued to
// an ending that is not its form, predictions by reading prefix and the words likely next.
#include "lexicon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "dictionary.h"
#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

TEST(LexiconCandidates, NoStemGluedToAnEndingThatIsNotItsForm) {
  UsingLargeDictionary large;
  struct Invented {
    std::string_view reading;
    std::vector<std::string_view> spellings;
  };
  const std::vector<Invented> invented = {
      {"せってい", {"競ってい", "迫ってい", "糶ってい"}},
      {"いどう", {"出どう", "射どう", "居どう", "鋳どう"}},
      {"へんこう", {"経んこう", "經んこう", "減んこう"}},
      {"おおきい", {"多きい", "夛きい", "追おきい", "逐おきい", "負おきい"}},
      {"あたらしい", {"辺らしい", "当らしい", "中らしい", "会たらしい", "合たらしい"}},
      {"かいた", {"解た", "觧た", "買いた"}},
      {"いう", {"射う", "居う", "鋳う"}},
      {"にほん", {"似ほん", "煮ほん"}},
      {"せてい", {"競てい", "迫てい", "糶てい"}},
      {"かいだ", {"書いだ", "描いだ"}},  // 書い takes た, 嗅い takes だ
      {"かった", {"買いた", "刈いた"}},
      {"かいて", {"解て", "貝て", "階て"}},  // a noun and て
  };
  for (const Invented& row : invented) {
    const auto list = lookup(row.reading);
    for (std::string_view spelling : row.spellings)
      EXPECT_EQ(position(list, spelling), -1) << u8(row.reading) << " " << u8(spelling);
  }
}

TEST(LexiconCandidates, RealWordFormsFirstAmongTheLexiconsSpellings) {
  EXPECT_EQ(lexicon::spellings("つかった", 5).front(), "使った");
  const auto kaita = lexicon::spellings("かいた", 5);
  ASSERT_GE(kaita.size(), 2u);
  EXPECT_EQ(kaita[0], "書いた");
  EXPECT_EQ(kaita[1], "描いた");
  EXPECT_EQ(lexicon::spellings("あたらしい", 5).front(), "新しい");
  EXPECT_EQ(lexicon::spellings("おおきい", 5).front(), "大きい");
  // Longer forms: an ending after an ending, だ after 嗅い, する after a verbal noun, だ after
  // a noun.
  EXPECT_EQ(lexicon::spellings("かいている", 5).front(), "書いている");
  EXPECT_EQ(lexicon::spellings("かいだ", 5).front(), "嗅いだ");
  EXPECT_EQ(lexicon::spellings("いどうした", 5).front(), "移動した");
  EXPECT_EQ(lexicon::spellings("しずかだった", 5).front(), "静かだった");
  EXPECT_EQ(lexicon::spellings("おおきくて", 5).front(), "大きくて");
  EXPECT_EQ(lexicon::spellings("うめられ", 5).front(), "埋められ");  // an ending's continuative
  // A word that is one row keeps its place though a sequence spells it too (告げ + る).
  const auto tsugeru = lexicon::spellings("つげる", 10);
  EXPECT_NE(std::find(tsugeru.begin(), tsugeru.end(), "告げる"), tsugeru.end());
  // Never the reading itself, and at most the limit.
  EXPECT_EQ(position(lexicon::spellings("する", 80), "する"), -1);
  EXPECT_LE(lexicon::spellings("かい", 3).size(), 3u);
}

TEST(LexiconCandidates, BuiltInTableFirstThenOneRankingWithoutRepeats) {
  UsingLargeDictionary large;
  const auto kaku = lookup("かく");
  EXPECT_GE(position(kaku, "書く"), 0);
  EXPECT_LT(position(kaku, "書く"), 15);
  for (const DictionaryEntry& entry : dictionary_table()) {
    const auto list = lookup(entry.reading);
    std::string_view rest = entry.candidates;
    for (std::size_t i = 0; !rest.empty(); ++i) {
      const std::size_t space = rest.find(' ');
      ASSERT_LT(i, list.size()) << u8(entry.reading);
      EXPECT_EQ(list[i], rest.substr(0, space)) << u8(entry.reading);
      rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
    }
  }
  // A reading far longer than any word sequence finds nothing in the lexicon.
  std::string long_reading;
  for (int i = 0; i < 2000; ++i)
    long_reading += "かいた";
  EXPECT_TRUE(lexicon::spellings(long_reading, 80).empty());
}

TEST(LexiconPredictions, WordsWhoseReadingBeginsWithThePrefix) {
  for (std::string_view prefix : {"が", "がぞ", "がぞう", "れい", "しょうひ"}) {
    const auto list = lexicon::predictions(prefix, 8);
    ASSERT_FALSE(list.empty()) << u8(prefix);
    EXPECT_LE(list.size(), 8u);
    for (const lexicon::Prediction& p : list) {
      EXPECT_TRUE(p.reading.starts_with(prefix)) << u8(prefix) << " " << u8(p.reading);
      EXPECT_FALSE(p.spelling.empty());
    }
  }
  const auto gazo = lexicon::predictions("がぞ", 5);
  EXPECT_TRUE(std::any_of(gazo.begin(), gazo.end(), [](const auto& p) {
    return p.spelling == "画像" && p.reading == "がぞう";
  }));
  // Katakana words are predicted too.
  const auto reiya = lexicon::predictions("れいや", 8);
  EXPECT_TRUE(std::any_of(reiya.begin(), reiya.end(),
                          [](const auto& p) { return p.spelling.starts_with("レイヤ"); }));
  // Words in the form a dictionary lists them under: 書く, not 書け.
  for (const lexicon::Prediction& p : lexicon::predictions("かけ", 64))
    EXPECT_NE(p.spelling, "書け");
  EXPECT_TRUE(lexicon::predictions("ｋ", 5).empty());
  EXPECT_TRUE(lexicon::predictions("", 5).empty());
}

TEST(LexiconNextWords, ParticlesAfterNounsEndingsAfterForms) {
  const auto after_noun = lexicon::likely_next("がぞう", "画像", 12);
  for (std::string_view particle : {"を", "が", "の"})
    EXPECT_GE(position(after_noun, particle), 0) << u8(particle);
  // 書い (書いた's first word) takes た and て; a sequence is known by its last word.
  const auto after_form = lexicon::likely_next("かい", "書い", 8);
  EXPECT_GE(position(after_form, "た"), 0);
  EXPECT_GE(position(after_form, "て"), 0);
  EXPECT_EQ(position(after_form, "だ"), -1);  // 嗅い takes だ, 書い not
  EXPECT_FALSE(lexicon::likely_next("かいた", "書いた", 8).empty());
  EXPECT_TRUE(lexicon::likely_next("がぞう", "蛾象", 8).empty());
}

}  // namespace
}  // namespace lumeta::testing
