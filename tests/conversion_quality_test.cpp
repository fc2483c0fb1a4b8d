// The quality table (conversion_quality.tsv): for each reading, where ↓ offers a spelling — the
// everyday word first, forms and phrases within a few, padded spellings never. A change to the
// dictionaries' merge order or to the ranking that breaks a row fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "lumeta_fixture.h"
#include "sjis.h"

namespace lumeta::testing {
namespace {

TEST(ConversionQuality, EveryRowOfTheTableHolds) {
  UsingLargeDictionary large;
  std::ifstream table(LUMETA_QUALITY_TABLE);
  ASSERT_TRUE(table) << LUMETA_QUALITY_TABLE;
  std::string line;
  int rows = 0;
  while (std::getline(table, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = line.find('\t', tab1 + 1);
    ASSERT_NE(tab2, std::string::npos) << line;
    const auto reading = sjis::from_utf8(line.substr(0, tab1));
    const auto spelling = sjis::from_utf8(line.substr(tab1 + 1, tab2 - tab1 - 1));
    ASSERT_TRUE(reading && spelling) << line;
    const int place = std::stoi(line.substr(tab2 + 1));
    const std::vector<std::string> list = lookup(*reading);
    const auto found = position(list, *spelling);  // 0-based, -1 when absent
    std::string shown;
    for (std::size_t i = 0; i < list.size() && i < 6; ++i)
      shown += " " + u8(list[i]);
    ++rows;
    if (place == 0) {
      EXPECT_EQ(found, -1) << line << " |" << shown;
    } else {
      EXPECT_GE(found, 0) << line << " |" << shown;
      EXPECT_LT(found, place) << line << " |" << shown;
    }
  }
  EXPECT_GT(rows, 50);
}

}  // namespace
}  // namespace lumeta::testing
