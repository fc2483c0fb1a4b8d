// The replay's choice of dictionaries: with --builtin-dictionary it prints exactly what it
// printed when the built-in table was the only one, and --lookup prints the candidates ↓ shows.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "dictionary.h"
#include "lumeta_fixture.h"
#include "replay_run.h"

namespace lumeta::testing {
namespace {

using nlohmann::json;

// One recorded case: the arguments and what the replay printed for them.
struct Recorded {
  std::vector<std::string> args;
  std::string output;
};

std::vector<Recorded> recorded_cases() {
  std::ifstream in(LUMETA_REPLAY_GOLDEN_DIR "/conversion.txt");
  std::vector<Recorded> cases;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("$ ")) {
      cases.emplace_back();
      std::istringstream words(line.substr(2));
      for (std::string w; words >> w;)
        cases.back().args.push_back(w);
    } else if (!cases.empty()) {
      cases.back().output += line + '\n';
    }
  }
  return cases;
}

TEST(ReplayDictionaries, BuiltInChoicePrintsWhatTheReplayAlwaysPrinted) {
  const std::vector<Recorded> cases = recorded_cases();
  ASSERT_GE(cases.size(), 400u);
  UsingLargeDictionary large;  // the option alone must bring the built-in table back
  int converted = 0;
  for (const Recorded& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.begin(), "--builtin-dictionary");
    const Outcome run = replay(args);
    ASSERT_EQ(run.status, 0);
    std::string keys;
    for (const std::string& a : c.args)
      keys += a + ' ';
    ASSERT_TRUE(run.out == c.output) << keys << '\n' << output_difference(c.output, run.out);
    converted += run.out.find("\"kanji_converting\": 1") != std::string::npos;
  }
  EXPECT_GT(converted, 50);
  // The choice lasts for the run only.
  const Outcome next = replay({"K", "K", "A", "S", "S", "O", "U", "DOWN"});
  EXPECT_EQ(json::parse(next.out)["text"], u(u8"画像"));
}

TEST(ReplayDictionaries, LargeDictionaryByDefault) {
  UsingLargeDictionary large;
  const Outcome run = replay({"K", "K", "A", "S", "S", "O", "U", "DOWN"});
  ASSERT_EQ(run.status, 0);
  EXPECT_EQ(json::parse(run.out)["text"], u(u8"画像"));
  const Outcome builtin =
      replay({"--builtin-dictionary", "K", "K", "A", "S", "S", "O", "U", "DOWN"});
  EXPECT_EQ(json::parse(builtin.out)["text"], u(u8"がぞう"));
}

TEST(ReplayDictionaries, LookupPrintsTheCandidatesOfEachReading) {
  UsingLargeDictionary large;
  const Outcome run = replay({"--lookup"}, u(u8"がぞう\nかい\r\n\nかｋ\n\xFF\n"));
  ASSERT_EQ(run.status, 0);
  std::istringstream lines(run.out);
  std::vector<json> objects;
  std::vector<std::string> texts;
  for (std::string line; std::getline(lines, line);) {
    texts.push_back(line);
    objects.push_back(json::parse(line));
  }
  ASSERT_EQ(objects.size(), 4u);  // the empty line is no reading
  // The fields of old, then what the strip's first page offers beside the candidates.
  EXPECT_TRUE(texts[0].starts_with(
      u(u8"{\"reading\": \"がぞう\", \"candidates\": [\"画像\"], \"predictions\": [")))
      << texts[0];
  EXPECT_TRUE(objects[0]["predictions"].is_array());
  EXPECT_EQ(objects[0]["first_page_candidates"], 1);
  EXPECT_EQ(objects[1]["reading"], u(u8"かい"));
  EXPECT_EQ(objects[1]["candidates"].size(), 80u);
  EXPECT_EQ(objects[1]["candidates"][0], u(u8"回"));
  EXPECT_EQ(objects[2]["candidates"], json::array());
  EXPECT_EQ(objects[3]["candidates"], json::array());

  const Outcome builtin = replay({"--lookup", "--builtin-dictionary"}, u(u8"かい\nがぞう\n"));
  std::istringstream builtin_lines(builtin.out);
  std::string kai, gazou;
  std::getline(builtin_lines, kai);
  std::getline(builtin_lines, gazou);
  EXPECT_EQ(json::parse(kai)["candidates"],
            json::parse(u(u8R"(["回", "会", "界", "海", "階", "解", "開", "貝", "改", "快"])")));
  EXPECT_EQ(json::parse(gazou)["candidates"], json::array());
  // With the built-in table alone the lines are what they always were.
  EXPECT_EQ(gazou, u(u8"{\"reading\": \"がぞう\", \"candidates\": []}"));
}

TEST(ReplayDictionaries, DumpStillPrintsTheBuiltInTable) {
  UsingLargeDictionary large;
  const Outcome run = replay({"--dump-dictionary"});
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 676);
}

TEST(ReplayDictionaries, HelpListsTheOptions) {
  const Outcome run = replay({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* option : {"--trace", "--lookup", "--builtin-dictionary", "--dump-dictionary",
                             "--help", "--no-predictions"}) {
    // Each option stands apart from its description, the longest too.
    EXPECT_NE(run.out.find(std::string(option) + "  "), std::string::npos) << option;
  }
  EXPECT_NE(run.out.find("--learning-file PATH"), std::string::npos);
  EXPECT_NE(run.out.find("PRED:n"), std::string::npos);
}

}  // namespace
}  // namespace lumeta::testing
