// Next-word offers: what the strip offers right after a confirmation, what a click on an offer
// does, which pairs of words are learned, and that keys typed instead act as before.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <tuple>
#include <utility>

#include "lumeta_fixture.h"
#include "next_words.h"
#include "replay_run.h"

namespace lumeta::testing {
namespace {

// Learned pairs in memory, ordered as the learning store orders followers: most often first,
// then most recently.
struct PairsInMemory {
  struct Seen {
    int count = 0;
    int last = 0;
  };
  std::map<std::pair<std::string, std::string>, Seen> pairs;
  int clock = 0;

  NextWordSources sources(std::vector<std::string> lexicon = {"の", "を", "に"}) {
    NextWordSources s;
    s.record_pair = [this](std::string_view previous, std::string_view next) {
      Seen& seen = pairs[{std::string(previous), std::string(next)}];
      ++seen.count;
      seen.last = ++clock;
    };
    s.followers = [this](std::string_view spelling, int limit) {
      std::vector<std::pair<Seen, std::string>> found;
      for (const auto& [pair, seen] : pairs) {
        if (pair.first == spelling) found.push_back({seen, pair.second});
      }
      std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return std::pair(a.first.count, a.first.last) > std::pair(b.first.count, b.first.last);
      });
      std::vector<std::string> words;
      for (const auto& [seen, word] : found) {
        if (static_cast<int>(words.size()) < limit) words.push_back(word);
      }
      return words;
    };
    s.likely_next = [lexicon](std::string_view, std::string_view, int) { return lexicon; };
    return s;
  }
  int count(std::string_view previous, std::string_view next) const {
    const auto found = pairs.find({std::string(previous), std::string(next)});
    return found == pairs.end() ? 0 : found->second.count;
  }
};

// Typing then confirming: 画像 from がぞう ↓, を as kana, each confirmed with the centre key.
constexpr std::string_view kGazou = "K K A S S O U DOWN RET";
constexpr std::string_view kWo = "W O RET";

struct Offering : Lumeta {
  UsingLargeDictionary large;
  PairsInMemory learned;
  Offering() {
    keypad.conversion().dictionaries = Dictionaries::builtin_and_large;
    keypad.next_words().set_sources(learned.sources());
  }
  Offering& type(std::initializer_list<std::string_view> words) {
    for (std::string_view word : words)
      keys(word);
    return *this;
  }
  std::vector<std::string> offers() const { return keypad.next_words().offers(); }
};

TEST(NextWordOffers, LearnedFollowersFirstThenTheLexicons) {
  Offering t;
  t.type({kGazou});
  EXPECT_EQ(t.text(), "画像");
  // Nothing learned yet: the lexicon's words alone.
  EXPECT_EQ(t.offers(), (std::vector<std::string>{"の", "を", "に"}));
  const CandidateStrip strip = t.keypad.strip();
  EXPECT_TRUE(strip.active && strip.offers);
  EXPECT_EQ(strip.shown, 0);

  t.type({kWo, kGazou, kWo, kGazou});
  EXPECT_EQ(t.learned.count("画像", "を"), 2);
  EXPECT_EQ(t.learned.count("を", "画像"), 2);
  // を followed 画像 twice: it comes first, and the lexicon's を is not offered twice.
  EXPECT_EQ(t.offers(), (std::vector<std::string>{"を", "の", "に"}));
  // Katakana and kana confirmed with the centre key bring offers too.
  t.keys("K A UP RET");
  EXPECT_EQ(t.keypad.next_words().previous(), "カ");
  EXPECT_FALSE(t.offers().empty());
  EXPECT_EQ(t.learned.count("画像", "カ"), 1);
}

TEST(NextWordOffers, ClickInsertsTheWordConfirmedAndOffersWhatFollows) {
  Offering t;
  t.type({kGazou, kWo, kGazou});
  t.keypad.choose_offer(1);  // を
  t.keypad.idle();
  EXPECT_EQ(t.text(), "画像を画像を");
  EXPECT_EQ(t.engine.state().front_fixed, t.engine.state().front_text);
  EXPECT_EQ(t.caret(), static_cast<int>(t.text().size()));
  EXPECT_EQ(t.learned.count("画像", "を"), 2);
  // After を the strip offers 画像, learned once, then the lexicon's words.
  EXPECT_EQ(t.offers(), (std::vector<std::string>{"画像", "の", "を", "に"}));
  t.keypad.choose_offer(1);
  EXPECT_EQ(t.text(), "画像を画像を画像");
  EXPECT_EQ(t.learned.count("を", "画像"), 2);
  // Typing goes on after the inserted words.
  t.keys("K A");
  EXPECT_EQ(t.text(), "画像を画像を画像か");
  // A number the strip does not offer does nothing.
  t.keys("RET");
  const std::string before(t.text());
  t.keypad.choose_offer(4);
  t.keypad.choose_offer(0);
  EXPECT_EQ(t.text(), before);
}

TEST(NextWordOffers, NothingOfferedWhilePendingOrInOtherModes) {
  Offering t;
  t.type({kGazou});
  t.keys("K");  // the first key typed instead: the offers go away
  EXPECT_TRUE(t.offers().empty());
  EXPECT_FALSE(t.keypad.strip().offers);
  // A candidate confirmed by typing on is learned, but something is pending: nothing offered.
  t.keys("A DOWN K");
  EXPECT_TRUE(t.offers().empty());
  // Half-width alphabet mode confirms nothing that brings offers.
  t.keys("RET MODE A RET");
  EXPECT_TRUE(t.offers().empty());
  // Nor does full-width number mode.
  t.keys("MODE MODE CAPS I RET");
  EXPECT_TRUE(t.offers().empty());
}

TEST(NextWordPairs, NotLearnedAcrossALineBreakACaretMoveOrAModeChange) {
  Offering t;
  t.type({kGazou, "RET", kWo});  // 決定 on nothing pending: a line break
  t.type({kGazou, "LEFT RIGHT", kWo});
  t.type({kGazou, "CARET:0", kWo});
  t.type({kGazou, "MODE MODE MODE", kWo});
  t.type({kGazou, "BS", kWo});  // confirmed text erased
  t.type({kGazou, "W O DELALL", kWo});
  t.type({kGazou, "W O DELALL UNDO", kWo});
  EXPECT_EQ(t.learned.count("画像", "を"), 0);
  for (const auto& [pair, seen] : t.learned.pairs)
    EXPECT_EQ(pair.first, "を") << u8(pair.second);  // を, then 画像 in the next try
  // Editing and converting the next reading keeps the chain.
  t.type({kGazou, "W O BS W O LEFT RIGHT RET"});
  EXPECT_EQ(t.learned.count("画像", "を"), 1);
}

// Every key with offers on the strip acts exactly as without them: the same text, caret,
// styles and state after each of many random keys.
TEST(NextWordOffers, KeysTypedInsteadActExactlyAsBefore) {
  UsingLargeDictionary large;
  PairsInMemory learned;
  Lumeta with, without;
  with.keypad.next_words().set_sources(learned.sources());
  std::vector<std::string> tokens;
  for (const KeyInfo& key : key_list()) {
    if (key.number != key::quit && key.number != key::copy) tokens.emplace_back(key.token);
  }
  // Words to confirm, so that offers stand on the strip often.
  for (std::string_view word : {kGazou, kWo, std::string_view("K A I DOWN RET")}) {
    for (int i = 0; i < 8; ++i)
      tokens.emplace_back(word);
  }
  std::mt19937 random(20261209);
  int offered = 0;
  for (int step = 0; step < 6000; ++step) {
    const std::string& token = tokens[random() % tokens.size()];
    with.keys(token);
    without.keys(token);
    offered += !with.keypad.next_words().offers().empty();
    ASSERT_EQ(with.text(), without.text()) << "step " << step << " " << token;
    ASSERT_EQ(with.caret(), without.caret()) << "step " << step;
    ASSERT_EQ(with.view.segments(), without.view.segments()) << "step " << step;
    ASSERT_EQ(with.label(), without.label()) << "step " << step;
    ASSERT_EQ(with.engine.state().input_mode, without.engine.state().input_mode) << "step " << step;
    ASSERT_EQ(with.engine.state().tap_count, without.engine.state().tap_count) << "step " << step;
  }
  EXPECT_GT(offered, 100);
  EXPECT_FALSE(learned.pairs.empty());
}

// The lexicon's own offers, as the process's sources give them: what a writer writes next.
TEST(NextWordOffers, TheLexiconOffersWhatAWriterWritesNext) {
  UsingLargeDictionary large;
  const NextWordSources sources = next_word_sources(test_conversion());
  const auto offers = [&](std::string_view reading, std::string_view spelling) {
    return next_word_offers(sources, reading, spelling);
  };
  const auto has = [](const std::vector<std::string>& list, std::string_view word) {
    return std::find(list.begin(), list.end(), word) != list.end();
  };
  // A word of its own follows a particle, never another particle (を まで, を など).
  EXPECT_TRUE(offers("を", "を").empty());
  EXPECT_TRUE(offers("が", "が").empty());
  // する after a verbal noun; the sentence's end after a verb in its dictionary form.
  for (auto [reading, spelling, first] :
       {std::tuple("せんたく", "選択", "する"), std::tuple("ひょうじ", "表示", "する"),
        std::tuple("つかう", "使う", "。"), std::tuple("つかった", "使った", "。")}) {
    const std::vector<std::string> after = offers(reading, spelling);
    ASSERT_FALSE(after.empty()) << spelling;
    EXPECT_EQ(after.front(), first);
  }
  // A noun's commonest particles first (as often as the conversion model saw them after it),
  // and it is never taken for a verb.
  std::vector<std::string> gazou = offers("がぞう", "画像");
  ASSERT_GE(gazou.size(), 3u);
  gazou.resize(3);
  EXPECT_TRUE(has(gazou, "を") && has(gazou, "の") && has(gazou, "が"));
  EXPECT_FALSE(has(offers("がぞう", "画像"), "。") || has(offers("がぞう", "画像"), "する"));
  // Nothing that needs another form of the verb: する is never followed by たり or つつ.
  const std::vector<std::string> suru = offers("する", "する");
  EXPECT_FALSE(has(suru, "たり") || has(suru, "つつ"));
}

// The replay with a learning file: --lookup learns consecutive words as pairs (never across an
// empty line) and answers >spelling lines; NEXT:n clicks an offer; what the keys confirm is
// learned too, and read back by the next run.
TEST(NextWordReplay, LearnsPairsAnswersOffersAndClicksThem) {
  namespace fs = std::filesystem;
  UsingLargeDictionary large;
  std::string name = (fs::temp_directory_path() / "lumeta-next-words-XXXXXX").string();
  const fs::path dir = mkdtemp(name.data());
  const std::string file = (dir / "learning.sqlite3").string();
  const auto offers_after = [&](const std::string& word, std::vector<std::string> options) {
    options.push_back("--lookup");
    const Outcome run = replay(options, ">" + word + "\n");
    const nlohmann::json j = nlohmann::json::parse(run.out);
    EXPECT_EQ(j["after"], word);
    std::vector<std::string> words;
    for (const auto& w : j["predictions"])
      words.push_back(w.get<std::string>());
    return words;
  };
  const std::vector<std::string> learning = {"--learning-file", file};
  const std::string text =
      u(u8"がぞう\t画像\nが\tが\nがぞう\t画像\nを\tを\nがぞう\t画像\n"
        u8"を\tを\n\nかい\t回\n");
  EXPECT_EQ(replay({"--learning-file", file, "--lookup"}, text).out, "");
  std::vector<std::string> offers = offers_after(u(u8"画像"), learning);
  ASSERT_GE(offers.size(), 2u);
  EXPECT_EQ(offers[0], u(u8"を"));  // twice, before が once
  EXPECT_EQ(offers[1], u(u8"が"));
  // No pair across the empty line: 回 never followed を.
  offers = offers_after(u(u8"を"), learning);
  EXPECT_EQ(std::count(offers.begin(), offers.end(), u(u8"回")), 0);
  EXPECT_EQ(offers[0], u(u8"画像"));
  // Nothing learned is offered with the built-in table alone, nor without the file.
  EXPECT_TRUE(offers_after(u(u8"画像"), {"--learning-file", file, "--builtin-dictionary"}).empty());
  for (const std::string& w : offers_after(u(u8"画像"), {}))
    EXPECT_NE(w, u(u8"が"));

  // NEXT:1 after 画像 inserts を confirmed; then 画像 is offered after it.
  const auto final_text = [&](std::vector<std::string> keys) {
    keys.insert(keys.begin(), learning.begin(), learning.end());
    return nlohmann::json::parse(replay(keys).out)["text"].get<std::string>();
  };
  const std::vector<std::string> gazou = {"K", "K", "A", "S", "S", "O", "U", "DOWN", "RET"};
  std::vector<std::string> keys = gazou;
  keys.insert(keys.end(), {"NEXT:1", "NEXT:1", "NEXT:1"});
  EXPECT_EQ(final_text(keys), u(u8"画像を画像を"));
  // Without a confirmation nothing is offered: NEXT clicks nothing.
  EXPECT_EQ(final_text({"K", "A", "NEXT:1"}), u(u8"か"));
  // Pairs the keys confirm are learned for the next run: 画像 回, five times, beats を (four).
  keys = gazou;
  for (int i = 0; i < 5; ++i) {
    keys.insert(keys.end(), {"K", "A", "I", "DOWN", "RET"});
    keys.insert(keys.end(), gazou.begin(), gazou.end());
  }
  final_text(keys);
  EXPECT_EQ(offers_after(u(u8"画像"), learning)[0], u(u8"回"));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace lumeta::testing
