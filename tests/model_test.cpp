// The built-in word trigram model: its words by reading and by prefix, and costs that prefer
// what writers write after the words before it.
#include "model.h"

#include <gtest/gtest.h>

#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

TEST(Model, WordsByReadingBestFirstAndByPrefix) {
  ASSERT_GT(model::size(), 100000u);
  EXPECT_EQ(model::reading_of(model::kSentenceStart), "");
  const model::WordRange kyou = model::words_read("きょう");
  ASSERT_FALSE(kyou.empty());
  for (model::WordId w = kyou.begin; w < kyou.end; ++w) {
    EXPECT_EQ(model::reading_of(w), "きょう");
    if (w > kyou.begin) {
      EXPECT_LE(model::unigram_cost(w - 1), model::unigram_cost(w));
    }
  }
  const model::WordId today = model::find("きょう", "今日");
  ASSERT_NE(today, model::kNoWord);
  EXPECT_LT(today - kyou.begin, 5u) << "今日 among the likeliest spellings of きょう";
  EXPECT_EQ(model::spelling_of(today), "今日");
  EXPECT_EQ(model::find("きょう", "明日"), model::kNoWord);

  // Every word whose reading begins with きょう, and nothing else.
  const model::WordRange prefix = model::words_starting("きょう");
  EXPECT_LE(prefix.begin, kyou.begin);
  EXPECT_GE(prefix.end, kyou.end);
  for (model::WordId w = prefix.begin; w < prefix.end; ++w)
    EXPECT_TRUE(model::reading_of(w).starts_with("きょう")) << u8(model::reading_of(w));
  EXPECT_FALSE(model::reading_of(prefix.begin - 1).starts_with("きょう"));
  EXPECT_FALSE(model::reading_of(prefix.end).starts_with("きょう"));
  EXPECT_TRUE(model::words_starting("ゞゞ").empty());
}

TEST(Model, ContextDecidesTheSpelling) {
  const model::WordId today = model::find("きょう", "今日");
  const model::WordId capital = model::find("きょう", "京");
  const model::WordId wa = model::find("は", "は");
  const model::WordId good = model::find("いい", "いい");
  const model::WordId weather = model::find("てんき", "天気");
  for (model::WordId w : {today, capital, wa, good, weather})
    ASSERT_NE(w, model::kNoWord);
  // <s> 今日 は is likelier than <s> 京 は.
  const auto start_then_wa = [wa](model::WordId w) {
    return model::bigram_cost(model::kSentenceStart, w) +
           model::trigram_cost(model::kSentenceStart, w, wa);
  };
  EXPECT_LT(start_then_wa(today), start_then_wa(capital));
  EXPECT_TRUE(model::bigram_known(today, wa));
  EXPECT_LT(model::trigram_cost(today, wa, good), model::unigram_cost(good));
  EXPECT_LT(model::trigram_cost(wa, good, weather), model::unigram_cost(weather));
  // A pair the model lacks backs off to the word alone, never cheaper than it.
  const model::WordId rare = model::find("ぞ", "ぞ");
  ASSERT_NE(rare, model::kNoWord);
  EXPECT_FALSE(model::bigram_known(weather, rare));
  EXPECT_GE(model::bigram_cost(weather, rare), model::unigram_cost(rare));
  // A word the model lacks costs more than any of its words alone.
  EXPECT_GE(model::bigram_cost(today, model::kNoWord), model::unknown_cost());
  EXPECT_GT(model::unknown_cost(), model::unigram_cost(capital));
}

}  // namespace
}  // namespace lumeta::testing
