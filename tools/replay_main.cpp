#include <iostream>
#include <string>
#include <vector>

#include "replay.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return lumeta::run_replay(args, std::cin, std::cout, std::cerr);
}
