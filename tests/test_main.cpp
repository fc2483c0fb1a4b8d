// The behaviour tests describe the program with its built-in dictionary alone; tests of the
// large dictionary switch it on for themselves (UsingLargeDictionary).
#include <gtest/gtest.h>

#include "dictionary.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  lumeta::use_dictionaries(lumeta::Dictionaries::builtin);
  return RUN_ALL_TESTS();
}
