// Predictions in the strip and the learning behind them, worked through the keypad as the
// window works it: what is offered after a few kana, what a click on a prediction does, and
// how a confirmed choice leads the predictions the next time.
#include "predictions.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "candidate_strip_layout.h"
#include "learning_store.h"
#include "lumeta_fixture.h"

namespace lumeta::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> offered(const Lumeta& lumeta) {
  std::vector<std::string> out;
  for (const Prediction& p : lumeta.keypad.strip().predictions)
    out.push_back(p.spelling);
  return out;
}

bool contains(const std::vector<std::string>& list, std::string_view s) {
  return std::find(list.begin(), list.end(), s) != list.end();
}

// A learning store in a folder of its own, in use while it lives.
struct LearningFolder {
  fs::path dir;
  std::optional<LearningStore> store;
  LearningFolder() {
    std::string name = (fs::temp_directory_path() / "lumeta-predictions-XXXXXX").string();
    dir = mkdtemp(name.data());
    open();
  }
  void open() {
    store.emplace((dir / "learning.sqlite3").string());
    store->flush();
    test_conversion().learning = &*store;
  }
  // As after a restart: everything written, the file read again.
  void reopen() {
    test_conversion().learning = nullptr;
    store.reset();
    open();
  }
  ~LearningFolder() {
    test_conversion().learning = nullptr;
    store.reset();
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
};

TEST(Predictions, TheWordsBeingWrittenAreOfferedBeforeAnyDown) {
  UsingLargeDictionary large;
  Lumeta lumeta;
  lumeta.keys("K K A S S O");  // がぞ
  EXPECT_TRUE(contains(offered(lumeta), "画像"));
  // Romaji still pending leaves the predictions of the kana before it.
  lumeta.keys("U");
  const std::vector<std::string> gazou = offered(lumeta);
  lumeta.keys("H");  // がぞうｈ
  EXPECT_EQ(offered(lumeta), gazou);
  // After ↓ the strip follows the ↓ list alone.
  lumeta.keys("BS DOWN");
  EXPECT_TRUE(offered(lumeta).empty());
  EXPECT_EQ(lumeta.keypad.strip().candidates.front(), "画像");

  // The reading's own candidates keep a place on the first page.
  Lumeta kaku;
  kaku.keys("K A K U");
  const CandidateStrip strip = kaku.keypad.strip();
  ASSERT_FALSE(strip.predictions.empty());
  int candidates_on_page = 0;
  const auto pages = lay_out_strip(strip);
  for (const StripItem& item : pages.front())
    candidates_on_page += !item.prediction;
  EXPECT_GE(candidates_on_page, kCandidatesKept);
}

TEST(Predictions, EverydayWordsNotTheNamesOnlyTheirOwnersWrite) {
  UsingLargeDictionary large;
  const auto predicted = [](std::string_view keys) { return offered(Lumeta().keys(keys)); };
  // がぞ: 画像 first, no company (画像技研) or obscure place (峨蔵越) at all.
  const std::vector<std::string> gazo = predicted("K K A S S O");
  ASSERT_FALSE(gazo.empty());
  EXPECT_EQ(gazo.front(), "画像");
  EXPECT_FALSE(contains(gazo, "画像技研") || contains(gazo, "峨蔵越"));
  EXPECT_FALSE(contains(predicted("O RIGHT O K I S A"), "大木産業"));
  // がっこう, あした: the word itself (学校, 明日) leads the strip, before any river or family.
  for (std::string_view keys : {"K K A Y Y K O U", "A S I T A"}) {
    Lumeta lumeta;
    lumeta.keys(keys);
    EXPECT_TRUE(offered(lumeta).empty()) << keys;
  }
  // The names everyone writes stay: とうきょ → 東京.
  EXPECT_TRUE(contains(predicted("T O U K Y O"), "東京"));
  // The likeliest words lead, as the conversion model counts them: が → 学校 (not 学会),
  // ひょう → 表示 (not 評議), あたら → 新しい before its spelling in kana.
  EXPECT_EQ(predicted("K K A").front(), "学校");
  EXPECT_EQ(predicted("H Y O U").front(), "表示");
  EXPECT_EQ(predicted("A T A R A").front(), "新しい");
}

TEST(Predictions, AClickOnAPredictionConfirmsItInPlaceOfTheReading) {
  UsingLargeDictionary large;
  Lumeta lumeta;
  lumeta.keys("A RET K K A S S O S");  // あ, then がぞ with ｓ pending
  const std::vector<std::string> offers = offered(lumeta);
  const auto place = std::find(offers.begin(), offers.end(), "画像");
  ASSERT_NE(place, offers.end());
  lumeta.keypad.choose_prediction(static_cast<int>(place - offers.begin()) + 1);
  EXPECT_EQ(lumeta.text(), "あ画像");
  EXPECT_EQ(lumeta.engine.composition_length(), 0);
  // Nothing pending: the strip offers the words that may follow 画像 instead.
  EXPECT_TRUE(lumeta.keypad.strip().offers);
  // A number the strip does not show clicks nothing.
  lumeta.keys("K A");
  lumeta.keypad.choose_prediction(99);
  EXPECT_EQ(lumeta.text(), "あ画像か");
}

TEST(Predictions, AChoiceLearnedOnceLeadsTheNextTimeAlsoAfterARestart) {
  UsingLargeDictionary large;
  LearningFolder learning;
  Lumeta before;
  before.keys("K A K U");
  const std::vector<std::string> first = offered(before);
  // The third candidate of かく, reached with ↓ and confirmed.
  before.keys("DOWN DOWN DOWN");
  const std::string chosen = before.engine.state().candidate[3];
  before.keys("RET");
  EXPECT_EQ(before.text(), chosen);
  ASSERT_TRUE(first.empty() || first.front() != chosen);

  Lumeta after;
  after.keys("K A K U");
  ASSERT_FALSE(offered(after).empty());
  EXPECT_EQ(offered(after).front(), chosen);
  after.keys("BS");  // か: the learned word still leads
  EXPECT_EQ(offered(after).front(), chosen);
  // The ↓ order stays as the dictionaries give it.
  after.keys("K U DOWN");
  EXPECT_EQ(after.engine.state().candidate_index, 1);
  EXPECT_NE(after.engine.state().candidate[1], chosen);
  after.keys("BS BS BS");  // back to かく, then nothing pending

  // A prediction clicked and the katakana form confirmed are learned too; all outlive a restart.
  after.keys("K K A S S O");
  const std::vector<std::string> offers = offered(after);
  const auto place = std::find(offers.begin(), offers.end(), "画像");
  ASSERT_NE(place, offers.end());
  after.keypad.choose_prediction(static_cast<int>(place - offers.begin()) + 1);
  after.keys("R E I UP RET");
  EXPECT_EQ(after.text(), "画像レイ");
  learning.reopen();
  Lumeta restarted;
  restarted.keys("K A K");
  EXPECT_EQ(offered(restarted).front(), chosen);
  restarted.keys("BS BS K K A");
  EXPECT_EQ(offered(restarted).front(), "画像");
  restarted.keys("BS R E");
  EXPECT_EQ(offered(restarted).front(), "レイ");
}

TEST(Predictions, EveryWayOfConfirmingIsLearnedAndNothingElse) {
  UsingLargeDictionary large;
  LearningFolder learning;
  const auto learned = [&](std::string_view reading) {
    std::vector<std::string> out;
    for (const LearningStore::Choice& c : learning.store->choices(reading, 10)) {
      if (c.reading == reading) out.push_back(c.spelling);
    }
    return out;
  };
  Lumeta lumeta;
  // Taken back with クリア, or erased with the text: not chosen.
  lumeta.keys("K A K U DOWN BS BS BS K A I DOWN DELALL");
  EXPECT_TRUE(learned("かく").empty());
  EXPECT_TRUE(learned("かい").empty());
  // Confirmed by typing on, by a click in the text, by the mode key.
  lumeta.keys("K A K U DOWN DOWN A");
  const std::string second = lumeta.engine.state().candidate[2];
  EXPECT_EQ(learned("かく"), std::vector<std::string>{second});
  lumeta.keys("I DOWN CARET:0");  // あい, its first candidate
  EXPECT_EQ(learned("あい").size(), 1u);
  lumeta.keys("K A I DOWN MODE");
  EXPECT_EQ(learned("かい").size(), 1u);
}

TEST(Predictions, TheWordsWrittenAfterTheWordBeforeLeadOnceTheirFirstKanaAreTyped) {
  UsingLargeDictionary large;
  LearningFolder learning;
  Lumeta earlier;
  // 画像表示される, then 必要 on a line of its own: chosen last, so the most recent choice.
  earlier.keys("K K A S S O U DOWN H Y O U S S S I DOWN S A R E R U RET RET");
  earlier.keys("H I T U Y O U DOWN RET RET");
  ASSERT_EQ(earlier.text(), "画像表示される\r\n必要\r\n");

  Lumeta lumeta;
  lumeta.keys("H I");  // ひ on its own: the most recent choice leads
  ASSERT_FALSE(offered(lumeta).empty());
  EXPECT_EQ(offered(lumeta).front(), "必要");
  lumeta.keys("BS K K A S S O U DOWN RET H");
  EXPECT_TRUE(offered(lumeta).empty());  // ｈ: no kana typed yet
  lumeta.keys("I");                      // ひ after 画像: 表示, written after it, leads
  EXPECT_EQ(offered(lumeta).front(), "表示");
  EXPECT_TRUE(contains(offered(lumeta), "必要"));
  lumeta.keys("BS S A");  // さ after 画像: される followed 表示, not 画像
  EXPECT_FALSE(contains(offered(lumeta), "される"));
  EXPECT_FALSE(contains(offered(lumeta), "表示"));
  // A line break ends the chain: ひ is led by the most recent choice again.
  lumeta.keys("BS RET H I");
  EXPECT_EQ(offered(lumeta).front(), "必要");

  // A kana word is offered too, and a click types it, confirmed.
  lumeta.keys("BS H Y O U S S S I DOWN RET S A");
  ASSERT_FALSE(offered(lumeta).empty());
  EXPECT_EQ(offered(lumeta).front(), "される");
  lumeta.keypad.choose_prediction(1);
  EXPECT_EQ(lumeta.text(), "画像\r\n表示される");
  EXPECT_EQ(lumeta.engine.composition_length(), 0);
}

TEST(Predictions, TheBuiltInTableAloneOffersAndLearnsNothing) {
  LearningFolder learning;
  Lumeta lumeta;  // the tests' default: the built-in table alone
  lumeta.keys("K A I");
  EXPECT_TRUE(offered(lumeta).empty());
  lumeta.keys("DOWN DOWN RET");
  learning.store->flush();
  EXPECT_EQ(learning.store->choice_count(), 0u);
}

}  // namespace
}  // namespace lumeta::testing
