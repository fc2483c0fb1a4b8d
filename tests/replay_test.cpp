#include "replay.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#include "dictionary.h"
#include "lumeta_fixture.h"
#include "replay_run.h"
#include "sjis.h"
#include "symbols.h"

namespace lumeta {
namespace {

using nlohmann::json;
using testing::Outcome;
using testing::replay;
using testing::u;

std::vector<json> lines(const std::string& out) {
  std::vector<json> objects;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);)
    objects.push_back(json::parse(line));
  return objects;
}

TEST(Replay, StartStateWithoutKeys) {
  const Outcome run = replay({});
  ASSERT_EQ(run.status, 0);
  const auto objects = lines(run.out);
  ASSERT_EQ(objects.size(), 1u);
  const json& s = objects[0];
  EXPECT_FALSE(s.contains("key"));
  EXPECT_EQ(s["text"], "");
  EXPECT_EQ(s["label"], u(u8"1行0列"));
  EXPECT_EQ(s["indicators"], json::array({u(u8"全"), u(u8"ローマ"), u(u8"大")}));
  EXPECT_EQ(s["goal_column"], -1);
  EXPECT_EQ(s["caret_line"], 0);
  EXPECT_EQ(s["tap_count"], json::object());
  EXPECT_EQ(s["symbol_dialog"], false);
}

TEST(Replay, FieldsInOrderOnOneLine) {
  const Outcome run = replay({"--trace", "K", "A", "I", "DOWN"});
  ASSERT_EQ(run.status, 0);
  const auto objects = lines(run.out);
  ASSERT_EQ(objects.size(), 4u);
  const std::string first_line = run.out.substr(0, run.out.find('\n'));
  EXPECT_TRUE(
      first_line.starts_with(u(u8"{\"key\": \"K\", \"text\": \"Ｋ\", \"bytes\": 2, "
                               u8"\"caret\": 2, \"label\": \"1行 2列\", \"mode\": 0")))
      << first_line;
  const json& last = objects.back();
  EXPECT_EQ(last["key"], "DOWN");
  EXPECT_EQ(last["text"], u(u8"回"));
  EXPECT_EQ(last["kana_text"], u(u8"かい"));
  EXPECT_EQ(last["segments"], json::parse(R"([[0, 2, "kanji", "plain"]])"));
  EXPECT_EQ(last["candidate_count"], 10);
  EXPECT_EQ(last["tap_count"], json::parse(R"({"24": 1})"));
  const std::vector<std::string> order = {"key",
                                          "text",
                                          "bytes",
                                          "caret",
                                          "label",
                                          "mode",
                                          "caps",
                                          "saved_mode",
                                          "indicators",
                                          "segments",
                                          "front_fixed",
                                          "front_text",
                                          "back_text",
                                          "kana_text",
                                          "romaji_text",
                                          "kana_after_caret",
                                          "zenkaku_digits",
                                          "number_conversion",
                                          "kanji_converting",
                                          "katakana_shown",
                                          "number_converting",
                                          "candidate_index",
                                          "candidate_count",
                                          "symbol_page",
                                          "symbol_dialog",
                                          "caret_line",
                                          "caret_column",
                                          "goal_column",
                                          "tap_count"};
  std::size_t at = 0;
  for (const std::string& name : order) {
    const std::size_t found = first_line.find("\"" + name + "\": ", at);
    ASSERT_NE(found, std::string::npos) << name;
    at = found;
  }
}

TEST(Replay, SegmentsMergeAndLineBreaksStayInTheText) {
  const auto objects = lines(replay({"A", "RET", "RET", "K", "A", "I", "LEFT"}).out);
  const json& s = objects.back();
  EXPECT_EQ(s["text"], u(u8"あ\r\nかい"));
  EXPECT_EQ(s["bytes"], 8);
  EXPECT_EQ(s["segments"], json::parse(R"([[4, 8, "kana", "underline"]])"));
  EXPECT_EQ(s["caret"], 6);
  EXPECT_EQ(s["label"], u(u8"2行 2列"));
}

TEST(Replay, KeysFromStandardInputAndCaretClicks) {
  const auto objects = lines(replay({}, "A I U\nCARET:3").out);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0]["caret"], 2);  // inside い: before it
  EXPECT_EQ(objects[0]["label"], u(u8"1行 2列"));
  const auto end = lines(replay({"A", "CARET:999999999999"}).out);
  EXPECT_EQ(end[0]["caret"], 2);
}

TEST(Replay, DeleteAllAndModes) {
  const auto objects = lines(replay({"--trace", "A", "DELALL", "MODE", "MODE"}).out);
  ASSERT_EQ(objects.size(), 4u);
  EXPECT_EQ(objects[1]["text"], "");
  EXPECT_EQ(objects[1]["label"], u(u8"1行 0列"));
  EXPECT_EQ(objects[3]["mode"], 5);
  EXPECT_EQ(objects[3]["symbol_dialog"], true);
  EXPECT_EQ(objects[3]["indicators"], json::array({u(u8"記")}));
}

TEST(Replay, UnknownTokenIsNamedAndNothingIsPrinted) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"A", "Q"},
                                               {"--trace", "A", "CARET:-1"},
                                               {"CARET:x"},
                                               {"QUIT"},
                                               {"a"}}) {
    const Outcome run = replay(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(args.back()), std::string::npos) << run.err;
  }
  const Outcome piped = replay({}, "A B");
  EXPECT_EQ(piped.status, 2);
  EXPECT_EQ(piped.out, "");
}

TEST(Replay, TokenInTheMessageIsShortAndEscaped) {
  const Outcome run = replay({std::string("Q\x01\x1b[2J\xff\\") + std::string(60, 'x')});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "lumeta-replay: unknown key token: Q\\x01\\x1B[2J\\xFF\\x5C" +
                         std::string(32, 'x') + "...\n");
  const Outcome kana = replay({u(u8"か\u0085") + "\xe3\x81"});  // C1 control, cut character
  EXPECT_EQ(kana.err, u(u8"lumeta-replay: unknown key token: か") + "\\xC2\\x85\\xE3\\x81\n");
}

TEST(Replay, OptionsAreCheckedAsOptions) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--bogus"}, {"A", "-t"}, {"--trace=1"}}) {
    const Outcome run = replay(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("unknown option"), std::string::npos) << run.err;
  }
  const Outcome keys = replay({"--dump-dictionary", "A"});
  EXPECT_EQ(keys.status, 2);
  EXPECT_EQ(keys.out, "");
  EXPECT_FALSE(keys.err.empty());
  const Outcome help = replay({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* part : {"--trace", "--dump-dictionary", "--help", "CARET:n", "Exit status",
                           "  0 ", "  1 ", "  2 "}) {
    EXPECT_NE(help.out.find(part), std::string::npos) << part;
  }
}

TEST(Replay, FailedOutputIsAnError) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"K", "A"}, {"--trace", "A"}, {"--dump-dictionary"}}) {
    std::istringstream in;
    std::ostream broken(nullptr);  // every write fails
    std::ostringstream err;
    EXPECT_EQ(run_replay(args, in, broken, err), 1);
    EXPECT_NE(err.str().find("cannot write"), std::string::npos);
  }
}

// The state after the last of `keys`.
json final_state(const std::vector<std::string>& keys) {
  const Outcome run = replay(keys);
  EXPECT_EQ(run.status, 0) << run.err;
  const auto objects = lines(run.out);
  return objects.empty() ? json() : objects.back();
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<std::string> downs(int n) {
  return std::vector<std::string>(static_cast<std::size_t>(n), "DOWN");
}

TEST(ReplayControls, PickIsDownToTheCandidateThenTheCentreKey) {
  // かい has ten candidates; きょう fills several pages of the strip.
  for (const std::vector<std::string>& reading :
       {std::vector<std::string>{"K", "A", "I"}, {"K", "Y", "O", "U"}}) {
    const int count = final_state(reading + std::vector<std::string>{"DOWN"})["candidate_count"];
    ASSERT_GT(count, 5);
    for (int n = 1; n <= count; ++n) {
      EXPECT_EQ(final_state(reading + std::vector<std::string>{"PICK:" + std::to_string(n)}),
                final_state(reading + downs(n) + std::vector<std::string>{"RET"}))
          << n;
    }
  }
  // Between confirmed text, and with a candidate already on display.
  const std::vector<std::string> middle = {"A", "RET", "I", "RET", "LEFT", "K", "A", "I"};
  EXPECT_EQ(final_state(middle + std::vector<std::string>{"PICK:4"}),
            final_state(middle + downs(4) + std::vector<std::string>{"RET"}));
  EXPECT_EQ(final_state({"K", "A", "I", "DOWN", "DOWN", "PICK:5"}),
            final_state(std::vector<std::string>{"K", "A", "I"} + downs(5) +
                        std::vector<std::string>{"RET"}));
  EXPECT_EQ(final_state({"K", "A", "I", "PICK:2"})["text"], u(u8"会"));
}

TEST(ReplayControls, PickOfACandidateNotShownChangesNothing) {
  struct Case {
    std::vector<std::string> before;
    bool candidates;
  };
  for (const Case& c : {Case{{"K", "A", "I"}, true},          // ten candidates
                        Case{{"K", "A", "I", "DOWN"}, true},  // the first on display
                        Case{{"K", "A", "N"}, false},         // none in the dictionary
                        Case{{"A", "RET"}, false},            // nothing pending
                        Case{{"MODE", "A", "I"}, false},      // alphabet mode: no strip
                        Case{{"MODE", "MODE"}, false}}) {     // symbol mode
    for (const std::string pick : {"PICK:11", "PICK:9999999999999", "PICK:1"}) {
      if (pick == "PICK:1" && c.candidates) continue;
      EXPECT_EQ(final_state(c.before + std::vector<std::string>{pick}), final_state(c.before))
          << pick << " after " << c.before.back();
    }
  }
}

TEST(ReplayControls, SymInsertsThatCellOfTheCurrentPage) {
  for (int page = 1; page <= 3; ++page) {
    const std::vector<std::string> open =
        std::vector<std::string>{"A", "RET", "MODE", "MODE"} + downs(page - 1);
    const auto entries = symbol_page_entries(page);
    for (int n : {1, 2, static_cast<int>(entries.size())}) {
      const json s = final_state(open + std::vector<std::string>{"SYM:" + std::to_string(n)});
      EXPECT_EQ(s["text"], u(u8"あ") + *sjis::to_utf8(entries[n - 1])) << page << " " << n;
      EXPECT_EQ(s["front_fixed"], s["text"]);
      EXPECT_EQ(s["mode"], 5);
    }
    // Past the page's last cell, and outside symbol mode, a click reaches no symbol.
    const std::string past = "SYM:" + std::to_string(entries.size() + 1);
    EXPECT_EQ(final_state(open + std::vector<std::string>{past}), final_state(open)) << page;
  }
  EXPECT_EQ(final_state({"A", "SYM:1"}), final_state({"A"}));
  EXPECT_EQ(final_state({"MODE", "MODE", "RET", "SYM:1"}), final_state({"MODE", "MODE", "RET"}));
  EXPECT_EQ(final_state({"MODE", "MODE", "SYM:1", "SYM:2", "LEFT", "SYM:3"})["text"],
            u(u8"○●◎"));  // ← does nothing in symbol mode
}

TEST(ReplayControls, UndoBringsBackWhatDeleteAllErased) {
  EXPECT_EQ(final_state({"A", "I", "RET", "LEFT", "DELALL", "UNDO"}),
            final_state({"A", "I", "RET", "LEFT", "DELALL", "MODE", "MODE", "MODE", "UNDO"}));
  const json back = final_state({"A", "I", "RET", "LEFT", "DELALL", "UNDO"});
  EXPECT_EQ(back["text"], u(u8"あい"));
  EXPECT_EQ(back["caret"], 4);  // the caret ends at the end of the text
  // With nothing to bring back it clicks nothing: only the idle pass runs.
  EXPECT_EQ(final_state({"UNDO"}), final_state({"SYM:1"}));
  // What was typed since stays, behind the text brought back; the pending letter is confirmed.
  const json typed_since = final_state({"A", "DELALL", "K", "UNDO"});
  EXPECT_EQ(typed_since["text"], u(u8"あＫ"));
  EXPECT_EQ(typed_since["romaji_text"], "");
  EXPECT_EQ(typed_since["caret"], 4);
}

TEST(ReplayControls, CopyShowsTheClipboardTextAndChangesNothingElse) {
  const Outcome plain = replay({"--trace", "A", "RET", "RET", "I"});
  EXPECT_EQ(plain.out.find("copied"), std::string::npos);  // only once a COPY has happened
  const Outcome run = replay({"--trace", "A", "RET", "RET", "I", "COPY", "LEFT"});
  ASSERT_EQ(run.status, 0);
  EXPECT_TRUE(run.out.starts_with(plain.out));
  auto objects = lines(run.out);
  ASSERT_EQ(objects.size(), 6u);
  EXPECT_EQ(objects[4]["copied"], u(u8"あ\nい"));  // line breaks as LF
  EXPECT_EQ(objects[5]["copied"], u(u8"あ\nい"));
  for (json* o : {&objects[3], &objects[4]})
    o->erase("key");
  objects[4].erase("copied");
  EXPECT_EQ(objects[4], objects[3]);
  // The last field, printed as the others are.
  EXPECT_TRUE(run.out.ends_with(u(u8"}, \"copied\": \"あ\\nい\"}\n"))) << run.out;
  EXPECT_EQ(final_state({"COPY"})["copied"], "");
  EXPECT_EQ(lines(replay({"A", "COPY", "DELALL"}).out)[0]["copied"], u(u8"あ"));
}

TEST(ReplayControls, SendDeliversTheWholeTextAndUndoBringsItBack) {
  EXPECT_EQ(replay({"K", "A"}).out.find("sent"), std::string::npos);  // only after a SEND
  const json sent = final_state({"A", "RET", "RET", "K", "A", "I", "DOWN", "SEND"});
  EXPECT_EQ(sent["sent"], u(u8"あ\n回"));  // what was pending goes as shown
  EXPECT_EQ(sent["text"], "");
  const json back = final_state({"A", "RET", "RET", "K", "A", "I", "DOWN", "SEND", "UNDO"});
  EXPECT_EQ(back["text"], u(u8"あ\r\n回"));
  EXPECT_EQ(final_state({"SEND"})["sent"], "");
}

TEST(ReplayControls, BadNumbersAreUnknownTokens) {
  for (const std::string token :
       {"PICK:0", "PICK:",  "PICK:x", "PICK:-1", "PICK:+1", "PICK:1.5", "SYM:0",
        "SYM:",   "SYM:1a", "SYM: 1", "pick:1",  "sym:1",   "UNDO:1",   "COPY:1",
        "undo",   "copy",   "PICK1",  "PRED:0",  "PRED:",   "pred:1"}) {
    const Outcome run = replay({"A", token});
    EXPECT_EQ(run.status, 2) << token;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(token), std::string::npos) << run.err;
  }
  EXPECT_EQ(replay({"PICK:0001"}).status, 0);
}

// The replay learns into the file given with --learning-file, and only then: choices confirmed
// in the keys and reading<TAB>spelling lines given to --lookup; predictions read it.
TEST(ReplayLearning, LearnsIntoTheFileGivenAndPredictsFromIt) {
  namespace fs = std::filesystem;
  testing::UsingLargeDictionary large;
  std::string name = (fs::temp_directory_path() / "lumeta-replay-XXXXXX").string();
  const fs::path dir = mkdtemp(name.data());
  const std::string file = (dir / "learning.sqlite3").string();
  const auto first_prediction = [&](const std::string& reading, std::vector<std::string> options) {
    options.push_back("--lookup");
    const Outcome run = replay(options, reading + "\n");
    const json predictions = json::parse(run.out)["predictions"];
    return predictions.empty() ? std::string() : predictions[0].get<std::string>();
  };
  const std::vector<std::string> learning = {"--learning-file", file};
  // Without the option, nothing is learned anywhere.
  EXPECT_EQ(replay({"K", "A", "K", "U", "DOWN", "DOWN", "DOWN", "RET"}).status, 0);
  const std::string unlearned = first_prediction(u(u8"かく"), learning);
  EXPECT_NE(unlearned, u(u8"描く"));
  // A recorded choice prints nothing and leads the predictions from then on.
  EXPECT_EQ(replay({"--learning-file", file, "--lookup"}, u(u8"かく\t描く\n")).out, "");
  EXPECT_EQ(first_prediction(u(u8"かく"), learning), u(u8"描く"));
  EXPECT_EQ(first_prediction(u(u8"か"), learning), u(u8"描く"));
  // A prediction clicked with PRED:n confirms it and is learned; PICK:n is a candidate.
  json clicked = json::parse(replay({"--learning-file", file, "K", "A", "PRED:1"}).out);
  EXPECT_EQ(clicked["text"], u(u8"描く"));
  clicked = json::parse(replay({"--learning-file", file, "K", "K", "A", "S", "S", "O", "U",
                                "PICK:1", "K", "K", "A", "PRED:1"})
                            .out);
  EXPECT_EQ(clicked["text"], u(u8"画像画像"));
  // Nothing learned is read, or learned, with the built-in table alone.
  EXPECT_EQ(
      replay({"--learning-file", file, "--builtin-dictionary", "--lookup"}, u(u8"かく\n")).out,
      replay({"--builtin-dictionary", "--lookup"}, u(u8"かく\n")).out);
  EXPECT_EQ(replay({"--learning-file"}).status, 2);
  fs::remove_all(dir);
}

TEST(Replay, DumpsTheWholeDictionary) {
  const Outcome run = replay({"--dump-dictionary"});
  ASSERT_EQ(run.status, 0);
  const auto objects = lines(run.out);
  ASSERT_EQ(objects.size(), dictionary_table().size());
  EXPECT_EQ(objects[0]["reading"], u(u8"ああ"));
  EXPECT_EQ(objects[0]["candidates"], json::array({u(u8"嗚呼")}));
  EXPECT_EQ(objects.back()["reading"], u(u8"・"));
  EXPECT_EQ(objects.back()["candidates"], json::array({u(u8"‥"), u(u8"…")}));
}

}  // namespace
}  // namespace lumeta
