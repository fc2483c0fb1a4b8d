// Runs the replay tool in the test's own process and keeps what it printed.
#pragma once

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "lumeta_fixture.h"
#include "replay.h"

namespace lumeta::testing {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// Runs with the tests' dictionaries: the built-in table alone unless UsingLargeDictionary.
inline Outcome replay(std::vector<std::string> args, const std::string& input = "") {
  if (test_conversion().dictionaries == Dictionaries::builtin)
    args.insert(args.begin(), "--builtin-dictionary");
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = run_replay(args, in, out, err);
  return {status, out.str(), err.str()};
}

// UTF-8 text as the replay prints it; u8 literals keep it so in sources compiled to CP932.
inline std::string u(const char8_t* s) {
  return reinterpret_cast<const char*>(s);
}

// What differs between the replay's recorded output and what it printed now, field by field:
// "line 1, text: recorded "回", printed "会"". Lines that are not JSON objects are shown whole;
// outputs that differ in layout only say so.
inline std::string output_difference(const std::string& recorded, const std::string& printed) {
  using Json = nlohmann::ordered_json;
  std::istringstream want(recorded), got(printed);
  std::string report;
  int number = 0;
  for (std::string a, b;;) {
    const bool more_a = static_cast<bool>(std::getline(want, a));
    const bool more_b = static_cast<bool>(std::getline(got, b));
    if (!more_a && !more_b) break;
    ++number;
    if (more_a && more_b && a == b) continue;
    const std::string where = "line " + std::to_string(number);
    const Json x = Json::parse(more_a ? a : "", nullptr, false);
    const Json y = Json::parse(more_b ? b : "", nullptr, false);
    if (!x.is_object() || !y.is_object()) {
      report += where + ": recorded " + (more_a ? a : "nothing") + "\n  printed " +
                (more_b ? b : "nothing") + "\n";
      continue;
    }
    bool any = false;
    for (const auto& [name, value] : x.items()) {
      if (y.contains(name) && y[name] == value) continue;
      report += where + ", " + name + ": recorded " + value.dump() + ", printed " +
                (y.contains(name) ? y[name].dump() : "nothing") + "\n";
      any = true;
    }
    for (const auto& [name, value] : y.items()) {
      if (x.contains(name)) continue;
      report += where + ", " + name + ": recorded nothing, printed " + value.dump() + "\n";
      any = true;
    }
    if (!any) report += where + ": the same fields, laid out differently\n";
  }
  return report;
}

}  // namespace lumeta::testing
