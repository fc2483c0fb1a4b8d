// lumeta-replay: the engine's headless front end. Each key token is one pointer press and
// release of that on-screen key, followed by the window's idle pass; the state is printed as
// JSON, one object per line.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace lumeta {

// Runs the replay with the command-line arguments (without the program name). Returns the exit
// status: 0; 1 when writing `out` failed; 2 for an unknown option, an unknown token or keys
// given with --dump-dictionary (said on `err`, nothing on `out`).
int run_replay(std::span<const std::string> args, std::istream& in, std::ostream& out,
               std::ostream& err);

}  // namespace lumeta
