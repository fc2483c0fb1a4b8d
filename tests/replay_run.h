// Runs the replay tool in the test's own process and keeps what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "replay.h"

namespace lumeta::testing {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

inline Outcome replay(std::vector<std::string> args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = run_replay(args, in, out, err);
  return {status, out.str(), err.str()};
}

// UTF-8 text as the replay prints it; u8 literals keep it so in sources compiled to CP932.
inline std::string u(const char8_t* s) {
  return reinterpret_cast<const char*>(s);
}

}  // namespace lumeta::testing
