// The replay prints, byte for byte, the state recorded in tests/replay_golden for a few hundred
// key sequences: short and long texts, every mode, caret clicks and delete-all. A deliberate
// change of behaviour regenerates the file with scripts/update_replay_golden.sh.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "replay_run.h"

namespace lumeta::testing {
namespace {

std::vector<std::string> read_lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

TEST(ReplayGolden, EverySequencePrintsTheRecordedState) {
  const std::string dir = LUMETA_REPLAY_GOLDEN_DIR;
  const std::vector<std::string> sequences = read_lines(dir + "/sequences.txt");
  const std::vector<std::string> expected = read_lines(dir + "/expected.jsonl");
  ASSERT_GT(sequences.size(), 200u);
  ASSERT_EQ(sequences.size(), expected.size());
  for (std::size_t i = 0; i < sequences.size(); ++i) {
    std::vector<std::string> args;
    std::istringstream tokens(sequences[i]);
    for (std::string token; tokens >> token;)
      args.push_back(token);
    const Outcome run = replay(args);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out == expected[i] + "\n")
        << "sequence " << i + 1 << ": " << sequences[i] << '\n'
        << output_difference(expected[i] + "\n", run.out);
  }
}

}  // namespace
}  // namespace lumeta::testing
